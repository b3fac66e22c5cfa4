#include "../support/command.h"
#include "../support/scratch.h"
#include "gui/cbitmap.h"
#include "gui/resourceregistry.h"
#include "resources/instrumentimages.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct Pixel {
    int r, g, b, a; // straight, not premultiplied
};

// One image decoded by the toolkit, as the editor gets it.
struct Image {
    int width = 0, height = 0;
    std::vector<Pixel> pixels; // row after row

    explicit Image(const std::string& name) {
        amber::registerInstrumentImages();
        auto* bitmap = new VSTGUI::CBitmap(VSTGUI::CResourceDescription(name.c_str()));
        if (VSTGUI::IPlatformBitmap* decoded = bitmap->getPlatformBitmap()) {
            // Premultiplied ARGB in native byte order; 32-bit rows are never padded.
            const unsigned char* data = cairo_image_surface_get_data(decoded->getSurface());
            width = decoded->getWidth();
            height = decoded->getHeight();
            for (int i = 0; i < width * height; ++i) {
                std::uint32_t v;
                std::memcpy(&v, data + 4 * i, 4);
                const int a = int(v >> 24);
                auto straight = [a](std::uint32_t c) { return a ? int((c * 255 + a / 2) / a) : 0; };
                pixels.push_back(
                    {straight((v >> 16) & 255), straight((v >> 8) & 255), straight(v & 255), a});
            }
        }
        bitmap->forget();
    }
    Pixel at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

const char* const kCategories[] = {"faves", "drums", "leads", "bass", "pads", "lasers", "other"};

// Every bottle picture with its category's index in kCategories.
std::vector<std::pair<std::string, int>> bottles() {
    std::vector<std::pair<std::string, int>> names;
    const int counts[] = {2, 6, 9, 9, 8, 8, 8};
    for (int c = 0; c < 7; ++c)
        for (int n = 0; n < counts[c]; ++n)
            names.push_back({"bottle_" + std::string(c ? kCategories[c] : "default") +
                                 std::to_string(n) + ".png",
                             c});
    return names;
}

std::string button(const char* category) {
    return "at_" + std::string(category) + ".png";
}

// Every image the editor loads, with the size it draws it at, as an 8-bit
// RGBA PNG, no two alike; names outside the set are not found. The embedded
// pictures are whatever the generator draws: running it again gives the same
// 64 files, byte for byte. Buttons show an opaque released state above a
// pressed one that is told apart at a glance. The knob and its two labels lie
// inside the bottle cabinet and are drawn before it: the cabinet, the shine
// and every bottle leave that band open.
TEST(InstrumentImages, EveryImageTheEditorLoadsHasItsSizeAndIsTheGenerators) {
    // Window rectangles (left, top, right, bottom) of the knob and its labels.
    const int dial[][4] = {{296, 106, 344, 154}, {276, 86, 364, 106}, {276, 154, 364, 174}};
    const TempDir dir;
    const CommandResult drawn = runCommand({AMBER_ARTGEN_PATH, "--png-dir", dir.path()});
    ASSERT_EQ(drawn.status, 0) << drawn.output;
    // The name, the size, and a button's height of one state (0: no button).
    std::vector<std::tuple<std::string, int, int, int>> images = {
        {"background.png", 578, 356, 0},     {"animknob.png", 48, 1440, 0},
        {"kestrovalian.png", 145, 58, 29},   {"prevprog.png", 63, 452, 226},
        {"nextprog.png", 63, 452, 226},      {"container1.png", 162, 213, 0},
        {"container_shine.png", 160, 211, 0}};
    for (const char* category : kCategories)
        images.push_back({button(category), 115, category[0] == 'd' ? 58 : 62, 29});
    for (const auto& bottle : bottles())
        images.push_back({bottle.first, 127, 218, 0});
    std::set<std::string> distinct;
    for (const auto& [name, width, height, stateHeight] : images) {
        SCOPED_TRACE(name);
        const Image image(name);
        ASSERT_EQ(std::pair(image.width, image.height), std::pair(width, height));
        const int state = stateHeight * image.width;
        int differing = 0, opaque = 0;
        for (int i = 0; i < state; ++i) {
            const Pixel p = image.pixels[i], q = image.pixels[i + state];
            differing += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) > 24;
            opaque += p.a == 255;
        }
        EXPECT_GE(differing, state / 5);
        EXPECT_GE(opaque, state / 2);
        // Where a layer of the cabinet lies in the window.
        const bool bottle = name.rfind("bottle", 0) == 0;
        const bool layer = bottle || name.rfind("container", 0) == 0;
        const int ox = 209 + 18 * bottle, oy = 88 + 11 * bottle;
        int covering = 0;
        for (const auto& r : dial)
            for (int y = std::max(r[1] - oy, 0); y < std::min(r[3] - oy, image.height); ++y)
                for (int x = std::max(r[0] - ox, 0); x < std::min(r[2] - ox, image.width); ++x)
                    covering += layer && image.at(x, y).a != 0;
        EXPECT_EQ(covering, 0) << "pixels over the knob or its labels";
        const VSTGUI::EmbeddedResource* r = VSTGUI::findEmbeddedResource(name.c_str());
        ASSERT_TRUE(r && r->size > 26);
        const std::string bytes(reinterpret_cast<const char*>(r->data), r->size);
        EXPECT_EQ(bytes.substr(24, 2), "\x08\x06") << "bit depth 8, colour type RGBA";
        EXPECT_EQ(readBytes(dir.file(name)), bytes);
        distinct.insert(bytes);
    }
    // The help pictures are deliberately not part of the instrument's images.
    for (const char* name : {"helpoverlay.png", "help1.png", "bottle_drums6.png",
                             "bottle_default2.png", "container1", "", "background.png.png"})
        EXPECT_EQ(Image(name).width, 0) << name;
    EXPECT_EQ(distinct.size(), 64u);
    const auto files = std::filesystem::directory_iterator(dir.path());
    EXPECT_EQ(std::distance(begin(files), end(files)), 64);
    const Image background("background.png");
    EXPECT_TRUE(std::all_of(background.pixels.begin(), background.pixels.end(),
                            [](const Pixel& p) { return p.a == 255; }));
}

// The knob's gold pointer turns clockwise from -135 to 135 degrees (from
// twelve o'clock) over the strip's 30 frames of 48 x 48.
TEST(InstrumentImages, KnobPointerSweepsClockwise) {
    const Image strip("animknob.png");
    double previous = -180;
    for (int frame = 0; frame < 30; ++frame) {
        double sx = 0, sy = 0;
        int count = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x) {
                const double dx = x + 0.5 - 24, dy = y + 0.5 - 24;
                const Pixel p = strip.at(x, frame * 48 + y);
                if (std::hypot(dx, dy) < 15 && p.a > 200 && p.r > 220 && p.g > 170 && p.b < 110) {
                    sx += dx;
                    sy += dy;
                    ++count;
                }
            }
        ASSERT_GT(count, 5) << "no pointer in frame " << frame;
        const double angle = std::atan2(sx, -sy) * 180 / M_PI;
        EXPECT_GT(angle, previous) << "frame " << frame;
        if (frame == 0 || frame == 29) {
            EXPECT_NEAR(angle, frame == 0 ? -135 : 135, 8);
        }
        previous = angle;
    }
}

// Hue in degrees, 0 to 360 (red at 0).
double hueOf(const Pixel& p) {
    const double h = std::atan2(std::sqrt(3.0) * (p.g - p.b), 2.0 * p.r - p.g - p.b) * 180 / M_PI;
    return h < 0 ? h + 360 : h;
}

// The liquid's colour tells a bottle's category, and the category button's gem
// wears the same colour: the median hue of each bottle's solid, strongly
// coloured glass is nearest its own gem, so the seven gems differ too.
TEST(InstrumentImages, BottleColoursMatchTheirCategoryButtons) {
    std::vector<double> gems;
    for (const char* category : kCategories)
        gems.push_back(hueOf(Image(button(category)).at(15, 15)));
    for (const auto& [name, c] : bottles()) {
        SCOPED_TRACE(name);
        const Image image(name);
        std::vector<double> hues;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                const Pixel p = image.at(x, y);
                const int mx = std::max({p.r, p.g, p.b}), mn = std::min({p.r, p.g, p.b});
                if (p.a > 200 && mx > 110 && mx - mn > 0.6 * mx)
                    hues.push_back(hueOf(p));
            }
        ASSERT_GT(hues.size(), 200u);
        std::nth_element(hues.begin(), hues.begin() + hues.size() / 2, hues.end());
        const double hue = hues[hues.size() / 2];
        auto distance = [hue](double gem) {
            return std::min(std::fabs(hue - gem), 360 - std::fabs(hue - gem));
        };
        const auto nearest = std::min_element(gems.begin(), gems.end(), [&](double a, double b) {
            return distance(a) < distance(b);
        });
        EXPECT_EQ(nearest - gems.begin(), c) << "bottle hue " << hue << ", gem hue " << gems[c];
    }
}

// A build must stop rather than embed a half-written set of images, and say
// why: the tool's own line, not the shell's for a command never found.
TEST(ArtworkGenerator, FailsLoudlyWhenItCannotDoItsWork) {
    const std::tuple<std::vector<std::string>, int, std::string> rows[] = {
        {{AMBER_ARTGEN_PATH, "--png-dir", "/nonexistent/amber-artgen"},
         1,
         "artgen: cannot write /nonexistent/amber-artgen/"},
        {{AMBER_ARTGEN_PATH, "--colour", "red"}, 2, "artgen: unknown option --colour\n"},
        {{AMBER_ARTGEN_PATH, "--png-dir"}, 2, "usage: amber_artgen"},
        {{AMBER_ARTGEN_PATH}, 2, "usage: amber_artgen"},
    };
    for (const auto& [arguments, status, says] : rows) {
        const CommandResult ran = runCommand(arguments);
        SCOPED_TRACE(ran.output);
        EXPECT_EQ(ran.status, status);
        EXPECT_EQ(ran.output.rfind(says, 0), 0u);
    }
}

} // namespace
