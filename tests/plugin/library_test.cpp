// The built library, loaded with dlopen and driven through its record as a
// host drives it; then as a careless or hostile host drives it: every opcode
// with empty arguments, odd block sizes, missing buffers and broken event
// lists. Nothing may crash, write out of bounds or render a non-finite
// sample; under the sanitizers nothing may be reported either.
#include "../support/floatcompare.h"
#include "../support/scratch.h"
#include "boundedtext.h"
#include "vstevents.h"
#include "vstplugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

// Each test starts from a fresh host state with an open instance, `plugin`,
// whose effClose must answer 1.
class Library : public ::testing::Test {
protected:
    void SetUp() override {
        hostState() = HostState{};
        plugin = std::make_unique<VstPlugin>(AMBER_PLUGIN_LIBRARY);
        ASSERT_TRUE(plugin->isLoaded()) << plugin->error();
        e = plugin->effect();
    }
    void TearDown() override {
        if (plugin && plugin->isLoaded()) {
            EXPECT_EQ(plugin->close(), 1);
        }
    }
    std::unique_ptr<VstPlugin> plugin;
    AEffect* e = nullptr;
};

TEST_F(Library, EntryPointsAndCapabilities) {
    void* library = dlopen(AMBER_PLUGIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const auto entry = [library](const char* name) {
        return reinterpret_cast<AEffect* (*)(audioMasterCallback)>(dlsym(library, name));
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
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("Loading sample pack"),
              std::string::npos);
    dlclose(library);

    // Whole texts, compared case-sensitively; never "don't know".
    int n = 0;
    for (std::string text :
         {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo", "ReceiveVstEvents",
          "receivevstmidievent", "receiveVstEvents ", "", "sendVstEvents"}) {
        EXPECT_EQ(plugin->dispatch(effCanDo, 0, 0, text.data()), n++ < 2 ? 1 : -1)
            << '"' << text << '"';
    }
}

TEST_F(Library, NamesTextsAndPinsKeepTheHostsLimits) {
    // The category argument (3) changes nothing; a buffer left alone keeps
    // its nine '#' and no NUL.
    const char* kUntouched = "#########|past its end";
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
        {effGetProgramNameIndexed, 176, 24, "Unnamed Program"},
        // Indices outside the lists leave the host's text alone.
        {effGetProgramNameIndexed, 177, 8, kUntouched},
        {effGetProgramNameIndexed, -1, 8, kUntouched},
        {effGetParamName, 1, 8, kUntouched},
        {effGetParamLabel, -1, 8, kUntouched},
        {effGetParamDisplay, 1, 8, kUntouched}};
    for (const auto& [opcode, index, limit, expected] : texts) {
        const auto write = [&](char* t) { e->dispatcher(e, opcode, index, 3, t, 0.0f); };
        EXPECT_EQ(boundedText(limit, write), expected) << opcode << " " << index;
    }
    EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, 0, 0, nullptr), 0);

    // Two stereo outputs, their labels padded to the last byte; indices that
    // name no output are refused and leave the record alone.
    for (VstInt32 index : {0, 1, 2, -1, INT_MIN}) {
        VstPinProperties pin, expected;
        std::memset(&pin, '#', sizeof pin);
        std::memset(&expected, '#', sizeof expected);
        const bool exists = index == 0 || index == 1;
        if (exists) {
            std::strncpy(expected.label, index == 0 ? "Vstx 1" : "Vstx 2", sizeof expected.label);
            expected.flags = kVstPinIsActive | kVstPinIsStereo;
        }
        EXPECT_EQ(plugin->dispatch(effGetOutputProperties, index, 0, &pin), exists) << index;
        EXPECT_EQ(std::memcmp(&pin, &expected, sizeof pin), 0) << index;
    }
    VstPinProperties pin{};
    EXPECT_EQ(plugin->dispatch(effGetInputProperties, 0, 0, &pin), 0);
}

// One instance through all of it, the instrument's diagnostic lines kept out
// of the test's output.
TEST_F(Library, HostMisuse) {
    testing::internal::CaptureStdout();
    // Every opcode with empty arguments, then with a zeroed scratch record
    // where a pointer is expected and indices no list has. effClose ends the
    // instance (last, in TearDown); only a real window may go to the editor.
    std::vector<char> scratch(8192, 0);
    for (VstInt32 opcode = -5; opcode <= 200; ++opcode) {
        for (VstInt32 index : {0, -1, std::numeric_limits<VstInt32>::max()}) {
            std::fill(scratch.begin(), scratch.end(), 0);
            if (opcode != effClose && (index == 0 || opcode != effEditOpen)) {
                plugin->dispatch(opcode, index, 0, index == 0 ? nullptr : scratch.data());
            }
        }
    }
    EXPECT_EQ(std::tie(e->magic, e->numPrograms), std::make_tuple(kEffectMagic, 177));
    plugin->dispatch(effMainsChanged, 0, 1);

    // Parameters: any index, any value, never a non-finite one back.
    const float inf = std::numeric_limits<float>::infinity();
    for (VstInt32 index : {-1, 0, 1, INT_MAX, INT_MIN}) {
        for (float value : {-inf, inf, std::nanf(""), -1e30f, 1e30f, 0.5f}) {
            e->setParameter(e, index, value);
            EXPECT_TRUE(std::isfinite(e->getParameter(e, index))) << index << " " << value;
        }
    }
    e->setParameter(e, 0, inf);
    EXPECT_EQ(std::make_tuple(e->getParameter(e, 0), e->getParameter(e, 1)),
              std::make_tuple(1.0f, 0.0f));

    // Missing buffers, and broken event lists.
    float left[64];
    float* oneMissing[2] = {left, nullptr};
    float* bothMissing[2] = {nullptr, nullptr};
    for (float** outputs : {static_cast<float**>(nullptr), oneMissing, bothMissing}) {
        e->processReplacing(e, nullptr, outputs, 64);
    }
    EXPECT_EQ(plugin->dispatch(effProcessEvents, 0, 0, nullptr), 0);
    EventList nulls({});
    nulls.setEntries({nullptr, nullptr, nullptr});
    VstEvents none{}, negative{};
    negative.numEvents = -3;
    for (VstEvents* list : {nulls.list, &none, &negative}) {
        EXPECT_EQ(plugin->dispatch(effProcessEvents, 0, 0, list), 1);
    }
    // Offsets a host should never send (before the block, far behind it),
    // and more events than the engine's queue holds in one block.
    EXPECT_TRUE(allFinite(render(e, 2048, 512,
                                 {midiEvent(0x90, 60, 100, -50), midiEvent(0x90, 61, 100, 1 << 30),
                                  midiEvent(0x90, 62, 100, INT_MIN)})));
    std::vector<VstMidiEvent> flood;
    for (int i = 0; i < 2000; ++i) {
        flood.push_back(midiEvent(i % 2 ? 0x80 : 0x90, 30 + i % 60, 100, i % 64));
    }
    EXPECT_TRUE(allFinite(render(e, 4096, 64, flood)));

    // Odd block sizes, empty ones among them, render every frame and no more.
    plugin->dispatch(effSetProgram, 0, 40);
    for (VstInt32 frames : {1, 17, 16385, 40000, 0, -1}) {
        const int last = std::max(0, frames - 1);
        EXPECT_TRUE(allFinite(render(e, frames, frames,
                                     {midiEvent(0x90, 40, 100, 0), midiEvent(0x90, 52, 100, last),
                                      midiEvent(0x80, 40, 0, last / 2)})))
            << frames;
    }
    testing::internal::GetCapturedStdout();
}

// The built library as hosts load it from more than one folder: each copy
// carries its own protobuf runtime, so two copies in one process each
// register the pack schema without meeting the other's registration.
namespace fs = std::filesystem;

// A plug-in folder of its own in `root`: a copy of the built library (a new
// file, so the loader maps it a second time) with the built sound set linked
// beside it.
std::string copyInto(const TempDir& root, const std::string& folder) {
    const fs::path built(AMBER_PLUGIN_LIBRARY);
    const fs::path dir = root.file(folder);
    fs::create_directories(dir);
    fs::copy_file(built, dir / built.filename());
    fs::create_directory_symlink(built.parent_path() / "sounds", dir / "sounds");
    return (dir / built.filename()).string();
}

// The loudest sample of a note played on the default program.
float notePeak(VstPlugin& plugin) {
    plugin.start(44100.0, 512);
    const std::vector<float> out = render(plugin.effect(), 8192, 512, {midiEvent(0x90, 60, 100)});
    return std::fabs(*std::max_element(
        out.begin(), out.end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); }));
}

// Two copies play together; a second instance of one stays silent while
// the first plays, and works on when the first is closed; a copy unloaded and
// loaded again plays as before.
TEST(CopiedFolders, TwoCopiesPlayTogetherAndAgainAfterReloading) {
    const TempDir root;
    const std::string firstPath = copyInto(root, "usr-lib-vst");
    auto first = std::make_unique<VstPlugin>(firstPath);
    VstPlugin second(copyInto(root, "home-vst")), sameCopy(firstPath);
    ASSERT_TRUE(first->isLoaded() && second.isLoaded() && sameCopy.isLoaded()) << first->error();
    // Two mappings of the code, not one library opened twice.
    EXPECT_NE(first->effect()->dispatcher, second.effect()->dispatcher);
    EXPECT_GT(std::min(notePeak(*first), notePeak(second)), 0.01f);
    sameCopy.start(44100.0, 512);
    const std::vector<float> silent = render(sameCopy.effect(), 1024, 512);
    EXPECT_TRUE(samplesEqual(std::vector<float>(silent.size(), 0.0f), silent));
    EXPECT_EQ(first->close(), 1);
    first = std::make_unique<VstPlugin>(firstPath);
    ASSERT_TRUE(first->isLoaded()) << first->error();
    EXPECT_GT(std::min(notePeak(*first), notePeak(sameCopy)), 0.01f);
}

} // namespace
