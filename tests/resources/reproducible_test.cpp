#include "gui/resourceregistry.h"
#include "resources/instrumentimages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The embedded pictures are whatever the generator draws: running it again
// must give the same bytes, image for image.
TEST(ArtworkGenerator, RedrawsTheEmbeddedImagesByteForByte) {
    char dir[] = "/tmp/amber-artgen-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string command = std::string(AMBER_ARTGEN_PATH) + " --png-dir " + dir;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    amber::registerInstrumentImages();
    const char* names[] = {"background.png",      "animknob.png",      "kestrovalian.png",
                           "prevprog.png",        "nextprog.png",      "container1.png",
                           "container_shine.png", "at_faves.png",      "at_drums.png",
                           "bottle_default1.png", "bottle_leads8.png", "bottle_other7.png"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const std::string path = std::string(dir) + "/" + name;
        const std::string drawn = readFile(path);
        const VSTGUI::EmbeddedResource* r = VSTGUI::findEmbeddedResource(name);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(drawn, std::string(reinterpret_cast<const char*>(r->data), r->size));
    }
    const std::string cleanup = std::string("rm -rf ") + dir;
    EXPECT_EQ(std::system(cleanup.c_str()), 0);
}

// A build must stop rather than embed a half-written set of images.
TEST(ArtworkGenerator, FailsLoudlyWhenItCannotDoItsWork) {
    const std::string generator = AMBER_ARTGEN_PATH;
    const std::string quiet = " 2>/dev/null";
    for (const std::string& arguments :
         {std::string(" --png-dir /nonexistent/amber-artgen"),
          std::string(" --source /nonexistent/amber-artgen/images.cpp"),
          std::string(" --colour red"), std::string(" --png-dir"), std::string("")}) {
        SCOPED_TRACE(arguments);
        EXPECT_NE(std::system((generator + arguments + quiet).c_str()), 0);
    }
}

} // namespace
