// The built library, loaded with dlopen and driven through its record as a
// host drives it.
#include "../support/floatcompare.h"
#include "boundedtext.h"
#include "pluginlibrary.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <dlfcn.h>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Library = PluginLibrary;
using PluginEntry = AEffect* (*)(audioMasterCallback);

std::string textOf(AEffect* e, VstInt32 opcode, VstInt32 index, int limit) {
    return boundedText(limit, [&](char* t) { e->dispatcher(e, opcode, index, 3, t, 0.0f); });
}

TEST_F(Library, EntryPointsAndCapabilities) {
    void* library = dlopen(AMBER_PLUGIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const auto entry = [library](const char* name) {
        PluginEntry function = nullptr;
        void* symbol = dlsym(library, name);
        std::memcpy(&function, &symbol, sizeof function);
        return function;
    };
    // Both names are one function; nothing else of the engine or the shell
    // is visible to a host.
    ASSERT_NE(entry("VSTPluginMain"), nullptr);
    EXPECT_EQ(entry("VSTPluginMain"), entry("main"));
    EXPECT_EQ(dlsym(library, "createEffectInstance"), nullptr);
    EXPECT_EQ(dlsym(library, "_Z20createEffectInstancePFlP7AEffectiilPvfE"), nullptr);
    AEffect* a = entry("main")(hostCallback);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->dispatcher(a, effClose, 0, 0, nullptr, 0.0f), 1);
    // A host that answers version 0, or none, gets no instance: nothing is
    // built, no sample pack read.
    hostState().versionAnswer = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(entry("VSTPluginMain")(hostCallback), nullptr);
    EXPECT_EQ(entry("VSTPluginMain")(nullptr), nullptr);
    EXPECT_FALSE(VstPlugin(AMBER_PLUGIN_LIBRARY).isLoaded());
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("Loading sample pack"),
              std::string::npos);
    dlclose(library);

    // Whole texts, compared case-sensitively; never "don't know".
    int n = 0;
    for (std::string text :
         {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo", "ReceiveVstEvents",
          "receivevstmidievent", "receiveVstEvents ", "", "sendVstEvents"}) {
        EXPECT_EQ(dispatch(effCanDo, 0, 0, text.data()), n++ < 2 ? 1 : -1) << '"' << text << '"';
    }
}

TEST_F(Library, NamesTextsAndPinsKeepTheHostsLimits) {
    // The category argument (3) changes nothing.
    const std::tuple<VstInt32, VstInt32, int, const char*> texts[] = {
        {effGetParamName, 0, 8, "Funkines"},
        {effGetParamLabel, 0, 8, "osc"},
        {effGetParamDisplay, 0, 8, "0 osc"},
        {effGetEffectName, 0, 32, "Amber Threshold"},
        {effGetVendorString, 0, 64, "Kestrovalian"},
        {effGetProductString, 0, 64, "Amber Threshold"},
        {effGetProgramName, 0, 24, "Our Favorites"},
        {effGetProgramNameIndexed, 1, 24, "-= DRUMS =-"},
        {effGetProgramNameIndexed, 8, 24, "Lead-00"},
        {effGetProgramNameIndexed, 175, 24, "Other-27"},
        {effGetProgramNameIndexed, 176, 24, "Unnamed Program"}};
    for (const auto& [opcode, index, limit, expected] : texts) {
        EXPECT_EQ(textOf(e, opcode, index, limit), expected) << opcode << " " << index;
    }
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, 0, 0, nullptr), 0);
    // Indices outside the lists are refused and leave the host's text alone.
    for (auto [opcode, index] : {std::pair{effGetProgramNameIndexed, 177},
                                 {effGetProgramNameIndexed, -1},
                                 {effGetProgramNameIndexed, 100000},
                                 {effGetParamName, 1},
                                 {effGetParamLabel, -1},
                                 {effGetParamDisplay, 1}}) {
        char text[32] = "untouched";
        EXPECT_EQ(dispatch(opcode, index, 3, text), 0);
        EXPECT_STREQ(text, "untouched") << opcode << " " << index;
    }
    // A long name from the host is stored cut to 24 characters.
    dispatch(effSetProgram, 0, 176);
    char longName[] = "A program name far longer than twenty-four characters";
    dispatch(effSetProgramName, 0, 0, longName);
    EXPECT_EQ(textOf(e, effGetProgramName, 0, 24), "A program name far longe");
    EXPECT_EQ(textOf(e, effGetProgramNameIndexed, 176, 24), "A program name far longe");

    // Two stereo outputs, their labels padded to the last byte; indices that
    // name no output are refused and leave the record alone.
    for (VstInt32 index : {0, 1, 2, -1, INT_MIN}) {
        VstPinProperties pin, expected;
        std::memset(&pin, '#', sizeof pin);
        std::memset(&expected, '#', sizeof expected);
        const bool exists = index == 0 || index == 1;
        if (exists) {
            std::memset(expected.label, 0, sizeof expected.label);
            std::strcpy(expected.label, index == 0 ? "Vstx 1" : "Vstx 2");
            expected.flags = kVstPinIsActive | kVstPinIsStereo;
        }
        EXPECT_EQ(dispatch(effGetOutputProperties, index, 0, &pin), exists) << index;
        EXPECT_EQ(std::memcmp(&pin, &expected, sizeof pin), 0) << index;
    }
    VstPinProperties pin{};
    EXPECT_EQ(dispatch(effGetInputProperties, 0, 0, &pin), 0);
}

TEST_F(Library, ParameterMapping) {
    EXPECT_EQ(e->getParameter(e, 0), 0.5f);
    const std::tuple<float, float, const char*> cases[] = {
        {1.0f, 1.0f, "3 osc"},         {0.0f, 0.0f, "-3 osc"}, {0.5f, 0.5f, "0 osc"},
        {0.99f, 5.0f / 6.0f, "2 osc"}, {7.0f, 1.0f, "3 osc"},  {-2.0f, 0.0f, "-3 osc"},
        {0.34f, 2.0f / 6.0f, "-1 osc"}};
    for (const auto& [host, normalized, display] : cases) {
        e->setParameter(e, 0, host);
        EXPECT_FLOAT_EQ(e->getParameter(e, 0), normalized) << host;
        EXPECT_EQ(textOf(e, effGetParamDisplay, 0, 8), display) << host;
    }
    // A NaN from the host is not a value; indices beyond the one parameter
    // change nothing and read 0.
    e->setParameter(e, 0, std::numeric_limits<float>::quiet_NaN());
    e->setParameter(e, 1, 1.0f);
    e->setParameter(e, -1, 1.0f);
    EXPECT_FLOAT_EQ(e->getParameter(e, 0), 1.0f / 3.0f);
    EXPECT_EQ(e->getParameter(e, 1) + e->getParameter(e, -1), 0.0f);
    // Every program has its own parameter.
    dispatch(effSetProgram, 0, 3);
    EXPECT_EQ(e->getParameter(e, 0), 0.5f);
    dispatch(effSetProgram, 0, 0);
    EXPECT_FLOAT_EQ(e->getParameter(e, 0), 1.0f / 3.0f);
}

TEST_F(Library, TwoInstancesAreIndependent) {
    VstPlugin other(AMBER_PLUGIN_LIBRARY);
    ASSERT_TRUE(other.isLoaded());
    AEffect* b = other.effect();
    EXPECT_NE(e, b);
    dispatch(effSetProgram, 0, 37);
    e->setParameter(e, 0, 1.0f);
    char name[] = "Renamed";
    dispatch(effSetProgramName, 0, 0, name);
    EXPECT_EQ(std::make_tuple(other.dispatch(effGetProgram), b->getParameter(b, 0)),
              std::make_tuple(0, 0.5f));
    EXPECT_EQ(textOf(b, effGetProgramNameIndexed, 37, 24), "Bass-00");
    EXPECT_EQ(textOf(e, effGetProgramNameIndexed, 37, 24), "Renamed");
    // Notes in one instance do not sound in the other.
    render(e, 256, 256, {midiEvent(0x90, 60, 100)});
    const std::vector<float> silentB = render(b, 1024, 256);
    EXPECT_TRUE(samplesEqual(std::vector<float>(silentB.size(), 0.0f), silentB));
    // Closing one leaves the other working.
    EXPECT_EQ(plugin->close(), 1);
    EXPECT_EQ(other.dispatch(effGetProgram), 0);
    EXPECT_TRUE(allFinite(render(b, 256, 256)));
    EXPECT_EQ(other.close(), 1);
}

} // namespace
