// The built library, loaded with dlopen and driven through its record as a
// host drives it.
#include "floatcompare.h"
#include "pluginlibrary.h"
#include "soundsetpresence.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <limits>
#include <string>
#include <vector>

namespace {

class PluginLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        testHost() = TestHost{};
        ASSERT_NE(pluginLibrary(), nullptr) << dlerror();
    }
};

TEST_F(PluginLibrary, BothExportNamesAreOneFunction) {
    PluginEntry pluginMain = pluginEntry("VSTPluginMain");
    PluginEntry main = pluginEntry("main");
    ASSERT_NE(pluginMain, nullptr);
    EXPECT_EQ(pluginMain, main);
    AEffect* a = main(testHostCallback);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->magic, kEffectMagic);
    EXPECT_EQ(closeInstance(a), 1);
    // Nothing else of the engine or the shell is visible to a host.
    EXPECT_EQ(dlsym(pluginLibrary(), "createEffectInstance"), nullptr);
    EXPECT_EQ(dlsym(pluginLibrary(), "_Z20createEffectInstancePFlP7AEffectiilPvfE"), nullptr);
}

TEST_F(PluginLibrary, HostVersionZeroGetsNoInstance) {
    testHost().versionAnswer = 0;
    CapturedStdout output;
    EXPECT_EQ(pluginEntry("VSTPluginMain")(testHostCallback), nullptr);
    EXPECT_EQ(pluginEntry("VSTPluginMain")(nullptr), nullptr);
    // Nothing was built: no sample pack was read.
    EXPECT_EQ(output.text().find("Loading sample pack"), std::string::npos);
}

TEST_F(PluginLibrary, Record) {
    AEffect* e = openInstance();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_EQ(e->numInputs, 0);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->numPrograms, 177);
    EXPECT_EQ(e->numParams, 1);
    EXPECT_EQ(e->uniqueID, 61547);
    EXPECT_EQ(e->flags & (effFlagsCanReplacing | effFlagsIsSynth),
              effFlagsCanReplacing | effFlagsIsSynth);
    EXPECT_EQ(e->flags & ~(effFlagsCanReplacing | effFlagsIsSynth | effFlagsHasEditor), 0);
    // The instance comes with its editor, which registered itself.
    EXPECT_EQ(e->flags, 0x111);
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(dispatch(e, effGetVstVersion), 2400);
    EXPECT_EQ(dispatch(e, effGetPlugCategory), kPlugCategSynth);
    EXPECT_EQ(dispatch(e, effGetVendorVersion), 1);
    EXPECT_EQ(dispatch(e, effGetNumMidiInputChannels), 1);
    EXPECT_EQ(dispatch(e, effGetNumMidiOutputChannels), 0);
    EXPECT_EQ(dispatch(e, effCanBeAutomated, 0), 1);
    EXPECT_EQ(closeInstance(e), 1);
}

TEST_F(PluginLibrary, NamesAndTextsKeepTheHostsLimits) {
    AEffect* e = openInstance();
    ASSERT_NE(e, nullptr);
    struct Text {
        VstInt32 opcode;
        VstInt32 index;
        VstInt32 limit;
        const char* expected;
    };
    const Text texts[] = {
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
    for (const Text& t : texts) {
        bool intact = false;
        bool padded = false;
        EXPECT_EQ(textResult(e, t.opcode, t.index, t.limit, intact, 0, &padded), t.expected)
            << "opcode " << t.opcode << " index " << t.index;
        EXPECT_TRUE(intact) << "opcode " << t.opcode << " wrote past its limit";
        EXPECT_TRUE(padded) << "opcode " << t.opcode << " left bytes before its limit unpadded";
    }
    EXPECT_EQ(dispatch(e, effGetProgramNameIndexed, 0, 0, nullptr), 0);

    // Indices outside the lists are refused and leave the host's text alone;
    // the category argument changes nothing.
    for (VstInt32 index : {177, -1, 100000}) {
        char text[32] = "untouched";
        EXPECT_EQ(dispatch(e, effGetProgramNameIndexed, index, 3, text), 0) << index;
        EXPECT_STREQ(text, "untouched");
    }
    char text[32] = "";
    EXPECT_EQ(dispatch(e, effGetProgramNameIndexed, 8, 99, text), 1);
    EXPECT_STREQ(text, "Lead-00");
    for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
        for (VstInt32 index : {1, -1}) {
            char name[16] = "untouched";
            dispatch(e, opcode, index, 0, name);
            EXPECT_STREQ(name, "untouched") << "opcode " << opcode << " index " << index;
        }
    }

    // A long name from the host is stored cut to 24 characters.
    dispatch(e, effSetProgram, 0, 176);
    char longName[] = "A program name far longer than twenty-four characters";
    dispatch(e, effSetProgramName, 0, 0, longName);
    bool intact = false;
    EXPECT_EQ(textResult(e, effGetProgramName, 0, 24, intact), "A program name far longe");
    EXPECT_EQ(textResult(e, effGetProgramNameIndexed, 176, 24, intact), "A program name far longe");
    EXPECT_EQ(closeInstance(e), 1);
}

TEST_F(PluginLibrary, CanDo) {
    AEffect* e = openInstance();
    ASSERT_NE(e, nullptr);
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
        EXPECT_EQ(dispatch(e, effCanDo, 0, 0, copy.data()), answer) << '"' << text << '"';
    }
    EXPECT_EQ(closeInstance(e), 1);
}

TEST_F(PluginLibrary, OutputPins) {
    AEffect* e = openInstance();
    ASSERT_NE(e, nullptr);
    for (VstInt32 index : {0, 1}) {
        VstPinProperties pin{};
        std::memset(pin.label, '#', sizeof pin.label);
        std::memset(pin.shortLabel, 'x', sizeof pin.shortLabel);
        pin.arrangementType = 77;
        ASSERT_EQ(dispatch(e, effGetOutputProperties, index, 0, &pin), 1);
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
        EXPECT_EQ(dispatch(e, effGetOutputProperties, index, 0, &pin), 0) << index;
        EXPECT_EQ(pin.label[0], '\0') << index;
        EXPECT_EQ(pin.flags, 0x55) << index;
    }
    VstPinProperties pin{};
    EXPECT_EQ(dispatch(e, effGetInputProperties, 0, 0, &pin), 0);
    EXPECT_EQ(closeInstance(e), 1);
}

TEST_F(PluginLibrary, ParameterMapping) {
    AEffect* e = openInstance();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->getParameter(e, 0), 0.5f);
    struct Case {
        float host;
        float normalized;
        const char* display;
    };
    const Case cases[] = {
        {1.0f, 1.0f, "3 osc"},          {0.0f, 0.0f, "-3 osc"}, {0.5f, 0.5f, "0 osc"},
        {0.99f, 5.0f / 6.0f, "2 osc"},  {7.0f, 1.0f, "3 osc"},  {-2.0f, 0.0f, "-3 osc"},
        {0.34f, 2.0f / 6.0f, "-1 osc"},
    };
    for (const Case& c : cases) {
        e->setParameter(e, 0, c.host);
        EXPECT_FLOAT_EQ(e->getParameter(e, 0), c.normalized) << c.host;
        bool intact = false;
        EXPECT_EQ(textResult(e, effGetParamDisplay, 0, 8, intact), c.display) << c.host;
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
    dispatch(e, effSetProgram, 0, 3);
    EXPECT_EQ(e->getParameter(e, 0), 0.5f);
    dispatch(e, effSetProgram, 0, 0);
    EXPECT_FLOAT_EQ(e->getParameter(e, 0), 1.0f / 3.0f);
    EXPECT_EQ(closeInstance(e), 1);
}

TEST_F(PluginLibrary, RefusedProgramIndices) {
    AEffect* e = openInstance();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(dispatch(e, effGetProgram), 0);
    dispatch(e, effSetProgram, 0, 5);
    EXPECT_EQ(dispatch(e, effGetProgram), 5);
    for (VstIntPtr refused :
         {VstIntPtr(177), VstIntPtr(-1), VstIntPtr(1000), std::numeric_limits<VstIntPtr>::min()}) {
        CapturedStdout output;
        dispatch(e, effSetProgram, 0, refused);
        EXPECT_EQ(dispatch(e, effGetProgram), 5) << refused;
        bool intact = false;
        EXPECT_EQ(textResult(e, effGetProgramName, 0, 24, intact), "Drum Kit 2") << refused;
        // Refused before the engine: no pack was loaded again.
        EXPECT_EQ(output.text().find("Loading sample pack"), std::string::npos) << refused;
    }
    EXPECT_EQ(closeInstance(e), 1);
}

TEST_F(PluginLibrary, MidiIsMaskedAndNonMidiSkipped) {
    AEffect* e = openInstance();
    ASSERT_NE(e, nullptr);
    dispatch(e, effSetProgram, 0, 8);

    VstEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.byteSize = sizeof sysex;
    std::vector<VstMidiEvent> events = {
        midiEvent(0x94, 60, 100, 0),   // channel 5: a note-on all the same
        midiEvent(0x90, 0xC0, 100, 3), // key byte 0xC0 reaches the engine as 0x40
        midiEvent(0x9F, 62, 0x80, 5),  // velocity 0x80 masks to 0: a note-off
        midiEvent(0x9F, 67, 0xFF, 7),  // velocity 0xFF masks to 0x7F
        midiEvent(0xC0, 5, 0, 8),      // program change messages change nothing
    };
    EventList list(events);
    // A non-MIDI event and a null entry among them are skipped.
    auto* m = list.midi.data();
    list.setEntries({reinterpret_cast<VstEvent*>(&m[0]), &sysex, reinterpret_cast<VstEvent*>(&m[1]),
                     nullptr, reinterpret_cast<VstEvent*>(&m[2]),
                     reinterpret_cast<VstEvent*>(&m[3]), reinterpret_cast<VstEvent*>(&m[4])});

    CapturedStdout output;
    EXPECT_EQ(dispatch(e, effProcessEvents, 0, 0, list.list), 1);
    const std::vector<float> block = render(e, 64, 64);
    const std::string text = output.text();
    EXPECT_EQ(linesStartingWith(text, "note on: "),
              (std::vector<std::string>{"note on: 60", "note on: 64", "note on: 67"}))
        << text;
    EXPECT_EQ(firstNonFinite(block), -1);
    EXPECT_EQ(dispatch(e, effGetProgram), 8);
    EXPECT_EQ(closeInstance(e), 1);
}

TEST_F(PluginLibrary, EmptyEventListsAnswerOne) {
    AEffect* e = openInstance();
    ASSERT_NE(e, nullptr);
    VstEvents none{};
    EXPECT_EQ(dispatch(e, effProcessEvents, 0, 0, &none), 1);
    none.numEvents = -3;
    EXPECT_EQ(dispatch(e, effProcessEvents, 0, 0, &none), 1);
    EXPECT_EQ(closeInstance(e), 1);
}

TEST_F(PluginLibrary, TimeInformationIsAskedOncePerBlockWithTheTempoFilter) {
    AEffect* e = openInstance();
    ASSERT_NE(e, nullptr);
    VstTimeInfo time{};
    time.tempo = 97.0;
    time.flags = kVstTempoValid;
    testHost().timeInfo = &time;
    render(e, 512 * 3, 512);
    EXPECT_EQ(testHost().timeRequests, 3);
    EXPECT_EQ(testHost().lastTimeFilter, kVstTempoValid);
    // Blocks of no frames are not rendered and ask nothing.
    float left[4] = {1, 2, 3, 4};
    float right[4] = {5, 6, 7, 8};
    float* outputs[2] = {left, right};
    e->processReplacing(e, nullptr, outputs, 0);
    e->processReplacing(e, nullptr, outputs, -4);
    EXPECT_EQ(testHost().timeRequests, 3);
    EXPECT_EQ(left[0], 1.0f);
    EXPECT_EQ(right[3], 8.0f);
    testHost().timeInfo = nullptr;
    EXPECT_EQ(closeInstance(e), 1);
}

TEST_F(PluginLibrary, SwitchingOnAsksForMidi) {
    AEffect* e = openInstance();
    ASSERT_NE(e, nullptr);
    dispatch(e, effMainsChanged, 0, 1);
    dispatch(e, effMainsChanged, 0, 0);
    dispatch(e, effMainsChanged, 0, 1);
    EXPECT_EQ(testHost().wantMidiRequests, 2);
    EXPECT_EQ(closeInstance(e), 1);
}

TEST_F(PluginLibrary, TwoInstancesAreIndependent) {
    AEffect* a = openInstance();
    AEffect* b = openInstance();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    dispatch(a, effSetProgram, 0, 37);
    a->setParameter(a, 0, 1.0f);
    char name[] = "Renamed";
    dispatch(a, effSetProgramName, 0, 0, name);

    EXPECT_EQ(dispatch(b, effGetProgram), 0);
    EXPECT_EQ(b->getParameter(b, 0), 0.5f);
    bool intact = false;
    EXPECT_EQ(textResult(b, effGetProgramNameIndexed, 37, 24, intact), "Bass-00");
    EXPECT_EQ(textResult(a, effGetProgramNameIndexed, 37, 24, intact), "Renamed");

    // Notes in one instance do not sound in the other.
    const std::vector<float> silentB = render(b, 1024, 256);
    const std::vector<float> silence(silentB.size(), 0.0f);
    EXPECT_TRUE(samplesEqual(silence, silentB));

    // Closing one leaves the other working.
    EXPECT_EQ(closeInstance(a), 1);
    EXPECT_EQ(dispatch(b, effGetProgram), 0);
    EXPECT_EQ(firstNonFinite(render(b, 256, 256)), -1);
    EXPECT_EQ(closeInstance(b), 1);
}

// A held note sounds through the whole road: event list, queue, voice, mix.
TEST_F(PluginLibrary, AHeldNoteSounds) {
    AEffect* e = openInstance();
    ASSERT_NE(e, nullptr);
    dispatch(e, effSetProgram, 0, 13);
    CapturedStdout quiet;
    const std::vector<float> out = render(e, 512 * 12, 512, {{100, midiEvent(0x90, 60, 100)}});
    quiet.text();
    EXPECT_EQ(closeInstance(e), 1);
    ASSERT_EQ(firstNonFinite(out), -1);
    double before = 0;
    double after = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        (i < 200 ? before : after) += static_cast<double>(out[i]) * out[i];
    }
    EXPECT_EQ(before, 0.0);
    if (!soundSetBeside(AMBER_PLUGIN_LIBRARY)) {
        GTEST_SKIP() << "the factory sound set is not beside the library";
    }
    EXPECT_GT(after, 0.0);
}

} // namespace
