// The built library, loaded with dlopen and driven through its record as a
// host drives it.
#include "../support/floatcompare.h"
#include "pluginlibrary.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>
#include <limits>
#include <string>
#include <vector>

namespace {

using PluginEntry = AEffect* (*)(audioMasterCallback);
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

class Library : public PluginLibrary {
protected:
    PluginEntry entry(const char* name) {
        void* symbol = dlsym(library(), name);
        PluginEntry function = nullptr;
        std::memcpy(&function, &symbol, sizeof function);
        return function;
    }
};

TEST_F(Library, BothExportNamesAreOneFunction) {
    ASSERT_NE(entry("VSTPluginMain"), nullptr);
    EXPECT_EQ(entry("VSTPluginMain"), entry("main"));
    AEffect* a = entry("main")(hostCallback);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->magic, kEffectMagic);
    EXPECT_EQ(a->dispatcher(a, effClose, 0, 0, nullptr, 0.0f), 1);
    // Nothing else of the engine or the shell is visible to a host.
    EXPECT_EQ(dlsym(library(), "createEffectInstance"), nullptr);
    EXPECT_EQ(dlsym(library(), "_Z20createEffectInstancePFlP7AEffectiilPvfE"), nullptr);
}

TEST_F(Library, HostVersionZeroGetsNoInstance) {
    hostState().versionAnswer = 0;
    CaptureStdout();
    EXPECT_EQ(entry("VSTPluginMain")(hostCallback), nullptr);
    EXPECT_EQ(entry("VSTPluginMain")(nullptr), nullptr);
    EXPECT_FALSE(VstPlugin(AMBER_PLUGIN_LIBRARY).isLoaded());
    // Nothing was built: no sample pack was read.
    EXPECT_EQ(GetCapturedStdout().find("Loading sample pack"), std::string::npos);
}

TEST_F(Library, Record) {
    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_EQ(e->numInputs, 0);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->numPrograms, 177);
    EXPECT_EQ(e->numParams, 1);
    EXPECT_EQ(e->uniqueID, 61547);
    // Replacing, a synthesizer, and an editor that registered itself.
    EXPECT_EQ(e->flags, 0x111);
    EXPECT_EQ(dispatch(effGetPlugCategory), kPlugCategSynth);
    EXPECT_EQ(dispatch(effGetVendorVersion), 1);
    EXPECT_EQ(dispatch(effGetNumMidiInputChannels), 1);
    EXPECT_EQ(dispatch(effGetNumMidiOutputChannels), 0);
}

TEST_F(Library, NamesAndTextsKeepTheHostsLimits) {
    const struct {
        VstInt32 opcode;
        VstInt32 index;
        VstInt32 limit;
        const char* expected;
    } texts[] = {
        {effGetParamName, 0, 8, "Funkines"},
        {effGetParamLabel, 0, 8, "osc"},
        {effGetParamDisplay, 0, 8, "0 osc"},
        {effGetEffectName, 0, 32, "Amber Threshold"},
        {effGetVendorString, 0, 64, "Kestrovalian"},
        {effGetProductString, 0, 64, "Amber Threshold"},
        {effGetProgramName, 0, 24, "Our Favorites"},
        {effGetProgramNameIndexed, 1, 24, "-= DRUMS =-"},
        {effGetProgramNameIndexed, 89, 24, "Laser-05"},
        {effGetProgramNameIndexed, 175, 24, "Other-27"},
        {effGetProgramNameIndexed, 176, 24, "Unnamed Program"},
    };
    for (const auto& t : texts) {
        const TextResult result = textResult(e, t.opcode, t.index, t.limit);
        EXPECT_EQ(result.text, t.expected) << "opcode " << t.opcode << " index " << t.index;
        EXPECT_TRUE(result.intact) << "opcode " << t.opcode << " wrote past its limit";
        EXPECT_TRUE(result.padded) << "opcode " << t.opcode << " left bytes unpadded";
    }
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, 0, 0, nullptr), 0);

    // Indices outside the lists are refused and leave the host's text alone;
    // the category argument changes nothing.
    for (VstInt32 index : {177, -1, 100000}) {
        char text[32] = "untouched";
        EXPECT_EQ(dispatch(effGetProgramNameIndexed, index, 3, text), 0) << index;
        EXPECT_STREQ(text, "untouched");
    }
    char text[32] = "";
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, 8, 99, text), 1);
    EXPECT_STREQ(text, "Lead-00");
    for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
        for (VstInt32 index : {1, -1}) {
            char name[16] = "untouched";
            dispatch(opcode, index, 0, name);
            EXPECT_STREQ(name, "untouched") << "opcode " << opcode << " index " << index;
        }
    }

    // A long name from the host is stored cut to 24 characters.
    dispatch(effSetProgram, 0, 176);
    char longName[] = "A program name far longer than twenty-four characters";
    dispatch(effSetProgramName, 0, 0, longName);
    EXPECT_EQ(textResult(e, effGetProgramName, 0, 24).text, "A program name far longe");
    EXPECT_EQ(textResult(e, effGetProgramNameIndexed, 176, 24).text, "A program name far longe");
}

// Whole texts, compared case-sensitively; never "don't know".
TEST_F(Library, CanDo) {
    const std::pair<const char*, VstIntPtr> answers[] = {
        {"receiveVstEvents", 1},
        {"receiveVstMidiEvent", 1},
        {"receiveVstTimeInfo", -1},
        {"ReceiveVstEvents", -1},
        {"receivevstmidievent", -1},
        {"receiveVstEvents ", -1},
        {"", -1},
        {"sendVstEvents", -1},
    };
    for (const auto& [text, answer] : answers) {
        std::string copy = text;
        EXPECT_EQ(dispatch(effCanDo, 0, 0, copy.data()), answer) << '"' << text << '"';
    }
}

TEST_F(Library, OutputPins) {
    for (VstInt32 index : {0, 1}) {
        VstPinProperties pin{};
        std::memset(pin.label, '#', sizeof pin.label);
        std::memset(pin.shortLabel, 'x', sizeof pin.shortLabel);
        pin.arrangementType = 77;
        ASSERT_EQ(dispatch(effGetOutputProperties, index, 0, &pin), 1);
        EXPECT_STREQ(pin.label, index == 0 ? "Vstx 1" : "Vstx 2");
        // The rest of the label, up to and including its last byte, is NUL.
        for (std::size_t i = 6; i < sizeof pin.label; ++i) {
            ASSERT_EQ(pin.label[i], '\0') << "label byte " << i;
        }
        EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
        EXPECT_EQ(pin.arrangementType, 77);
        EXPECT_EQ(pin.shortLabel[0], 'x');
    }
    // Indices that name no output are refused and leave the record alone.
    for (VstInt32 index : {2, -1, std::numeric_limits<VstInt32>::min()}) {
        VstPinProperties pin{};
        pin.flags = 0x55;
        EXPECT_EQ(dispatch(effGetOutputProperties, index, 0, &pin), 0) << index;
        EXPECT_EQ(pin.label[0], '\0') << index;
        EXPECT_EQ(pin.flags, 0x55) << index;
    }
    VstPinProperties pin{};
    EXPECT_EQ(dispatch(effGetInputProperties, 0, 0, &pin), 0);
}

TEST_F(Library, ParameterMapping) {
    EXPECT_EQ(e->getParameter(e, 0), 0.5f);
    const struct {
        float host;
        float normalized;
        const char* display;
    } cases[] = {
        {1.0f, 1.0f, "3 osc"},          {0.0f, 0.0f, "-3 osc"}, {0.5f, 0.5f, "0 osc"},
        {0.99f, 5.0f / 6.0f, "2 osc"},  {7.0f, 1.0f, "3 osc"},  {-2.0f, 0.0f, "-3 osc"},
        {0.34f, 2.0f / 6.0f, "-1 osc"},
    };
    for (const auto& c : cases) {
        e->setParameter(e, 0, c.host);
        EXPECT_FLOAT_EQ(e->getParameter(e, 0), c.normalized) << c.host;
        EXPECT_EQ(textResult(e, effGetParamDisplay, 0, 8).text, c.display) << c.host;
    }
    // A NaN from the host is not a value; indices beyond the one parameter
    // change nothing.
    e->setParameter(e, 0, std::numeric_limits<float>::quiet_NaN());
    EXPECT_FLOAT_EQ(e->getParameter(e, 0), 1.0f / 3.0f);
    e->setParameter(e, 1, 1.0f);
    e->setParameter(e, -1, 1.0f);
    EXPECT_FLOAT_EQ(e->getParameter(e, 0), 1.0f / 3.0f);
    EXPECT_EQ(e->getParameter(e, 1), 0.0f);
    EXPECT_EQ(e->getParameter(e, -1), 0.0f);

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

    EXPECT_EQ(other.dispatch(effGetProgram), 0);
    EXPECT_EQ(b->getParameter(b, 0), 0.5f);
    EXPECT_EQ(textResult(b, effGetProgramNameIndexed, 37, 24).text, "Bass-00");
    EXPECT_EQ(textResult(e, effGetProgramNameIndexed, 37, 24).text, "Renamed");

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
