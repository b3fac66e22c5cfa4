// The built library as hosts load it from more than one folder: each copy
// carries its own protobuf runtime, so two copies in one process each
// register the pack schema without meeting the other's registration; and a
// copy unloaded and loaded again plays as before.
#include "pluginlibrary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A plug-in folder of its own: a copy of the built library (a new file, so
// the loader maps it a second time) with the built sound set linked beside it.
class CopiedFolders : public ::testing::Test {
protected:
    void TearDown() override { fs::remove_all(m_root); }
    std::string copy(const std::string& folder) {
        const fs::path built(AMBER_PLUGIN_LIBRARY);
        const fs::path dir = m_root / folder;
        fs::create_directories(dir);
        fs::copy_file(built, dir / built.filename());
        fs::create_directory_symlink(built.parent_path() / "sounds", dir / "sounds");
        return (dir / built.filename()).string();
    }
    const fs::path m_root =
        fs::temp_directory_path() / ("amber-copies-" + std::to_string(getpid()));
};

// The loudest sample of a note played on the default program.
float notePeak(VstPlugin& plugin) {
    plugin.start(44100.0, 512);
    float peak = 0.0f;
    for (float s : render(plugin.effect(), 8192, 512, {midiEvent(0x90, 60, 100)})) {
        peak = std::max(peak, std::fabs(s));
    }
    return peak;
}

TEST_F(CopiedFolders, TwoCopiesLoadAndPlayTogether) {
    VstPlugin first(copy("usr-lib-vst"));
    VstPlugin second(copy("home-vst"));
    ASSERT_TRUE(first.isLoaded()) << first.error();
    ASSERT_TRUE(second.isLoaded()) << second.error();
    // Two mappings of the code, not one library opened twice.
    EXPECT_NE(first.effect()->dispatcher, second.effect()->dispatcher);
    EXPECT_GT(notePeak(first), 0.01f);
    EXPECT_GT(notePeak(second), 0.01f);
    EXPECT_EQ(first.close(), 1);
    EXPECT_EQ(second.close(), 1);
}

TEST_F(CopiedFolders, ACopyUnloadedAndLoadedAgainPlays) {
    const std::string path = copy("reloaded");
    for (int round = 0; round < 2; ++round) {
        VstPlugin plugin(path);
        ASSERT_TRUE(plugin.isLoaded()) << plugin.error();
        EXPECT_GT(notePeak(plugin), 0.01f) << "round " << round;
        EXPECT_EQ(plugin.close(), 1);
    }
}

} // namespace
