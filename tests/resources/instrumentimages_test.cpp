#include "gui/cbitmap.h"
#include "imagetestsupport.h"
#include "resources/instrumentimages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

namespace {

using namespace imagetest;

struct ImageSize {
    std::string name;
    int width;
    int height;
};

// Every image the editor loads, with the size it is drawn at.
std::vector<ImageSize> expectedImages() {
    std::vector<ImageSize> images = {
        {"background.png", 578, 356},      {"animknob.png", 48, 1440},
        {"kestrovalian.png", 145, 58},     {"prevprog.png", 63, 452},
        {"nextprog.png", 63, 452},         {"container1.png", 162, 213},
        {"container_shine.png", 160, 211}, {"at_faves.png", 115, 62},
        {"at_drums.png", 115, 58},         {"at_leads.png", 115, 62},
        {"at_bass.png", 115, 62},          {"at_pads.png", 115, 62},
        {"at_lasers.png", 115, 62},        {"at_other.png", 115, 62},
    };
    for (const auto& [stem, count] :
         std::vector<std::pair<std::string, int>>{{"bottle_default", 2},
                                                  {"bottle_drums", 6},
                                                  {"bottle_leads", 9},
                                                  {"bottle_bass", 9},
                                                  {"bottle_pads", 8},
                                                  {"bottle_lasers", 8},
                                                  {"bottle_other", 8}}) {
        for (int n = 0; n < count; ++n) {
            images.push_back({stem + std::to_string(n) + ".png", 127, 218});
        }
    }
    return images;
}

std::vector<std::string> bottleNames() {
    std::vector<std::string> names;
    for (const ImageSize& image : expectedImages()) {
        if (image.name.rfind("bottle_", 0) == 0) {
            names.push_back(image.name);
        }
    }
    return names;
}

class InstrumentImages : public ::testing::Test {
protected:
    void SetUp() override { amber::registerInstrumentImages(); }
};

TEST_F(InstrumentImages, EveryImageLoadsAsEightBitRgbaWithItsExactSize) {
    const std::vector<ImageSize> images = expectedImages();
    ASSERT_EQ(images.size(), 64u);
    for (const ImageSize& image : images) {
        SCOPED_TRACE(image.name);
        const VSTGUI::EmbeddedResource* r = VSTGUI::findEmbeddedResource(image.name.c_str());
        ASSERT_NE(r, nullptr);
        // The PNG header itself: 8 bits per channel, colour with alpha.
        ASSERT_GT(r->size, 33u);
        EXPECT_EQ(std::memcmp(r->data, "\x89PNG\r\n\x1a\n", 8), 0);
        EXPECT_EQ(std::memcmp(r->data + 12, "IHDR", 4), 0);
        EXPECT_EQ(r->data[24], 8) << "bit depth";
        EXPECT_EQ(r->data[25], 6) << "colour type RGBA";

        Surface s = decodePng(r->data, r->size);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(width(s.get()), image.width);
        EXPECT_EQ(height(s.get()), image.height);
    }
}

TEST_F(InstrumentImages, TheToolkitMakesBitmapsOfEveryImage) {
    for (const ImageSize& image : expectedImages()) {
        SCOPED_TRACE(image.name);
        auto* bitmap = new VSTGUI::CBitmap(VSTGUI::CResourceDescription(image.name.c_str()));
        EXPECT_TRUE(bitmap->isLoaded());
        EXPECT_EQ(bitmap->getWidth(), image.width);
        EXPECT_EQ(bitmap->getHeight(), image.height);
        bitmap->forget();
    }
}

TEST_F(InstrumentImages, NamesOutsideTheSetAreNotFound) {
    // The help pictures are deliberately not part of the instrument's images.
    for (const char* name : {"helpoverlay.png", "help1.png", "bottle_drums6.png",
                             "bottle_default2.png", "container1", "", "background.png.png"}) {
        EXPECT_EQ(VSTGUI::findEmbeddedResource(name), nullptr) << name;
    }
}

TEST_F(InstrumentImages, BackgroundCoversTheWholeWindow) {
    Surface s = loadEmbedded("background.png");
    ASSERT_NE(s, nullptr);
    for (int y = 0; y < height(s.get()); ++y) {
        for (int x = 0; x < width(s.get()); ++x) {
            ASSERT_EQ(pixelAt(s.get(), x, y).a, 255) << "at " << x << ", " << y;
        }
    }
}

// The angle of the knob's gold pointer in one frame, clockwise from twelve
// o'clock in degrees, from the centroid of its pixels near the centre.
double pointerAngle(cairo_surface_t* strip, int frame) {
    double sx = 0, sy = 0;
    int count = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) {
            const double dx = x + 0.5 - 24, dy = y + 0.5 - 24;
            const Pixel p = pixelAt(strip, x, frame * 48 + y);
            if (std::hypot(dx, dy) < 15 && p.a > 200 && p.r > 220 && p.g > 170 && p.b < 110) {
                sx += dx;
                sy += dy;
                ++count;
            }
        }
    }
    EXPECT_GT(count, 5) << "no pointer in frame " << frame;
    return std::atan2(sx, -sy) * 180 / M_PI;
}

TEST_F(InstrumentImages, KnobStripHasThirtyDistinctFramesWhosePointerSweepsClockwise) {
    Surface s = loadEmbedded("animknob.png");
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(height(s.get()), 30 * 48);
    for (int a = 0; a < 30; ++a) {
        for (int b = a + 1; b < 30; ++b) {
            EXPECT_GT(differingShare(s.get(), a * 48, b * 48, 48), 0.0)
                << "frames " << a << " and " << b << " are the same";
        }
    }
    double previous = -180;
    for (int frame = 0; frame < 30; ++frame) {
        const double angle = pointerAngle(s.get(), frame);
        EXPECT_GT(angle, previous) << "frame " << frame;
        previous = angle;
        if (frame == 0) {
            EXPECT_NEAR(angle, -135, 8);
        }
        if (frame == 29) {
            EXPECT_NEAR(angle, 135, 8);
        }
    }
}

TEST_F(InstrumentImages, ButtonStripsShowReleasedAbovePressed) {
    const std::vector<std::pair<std::string, int>> strips = {
        {"kestrovalian.png", 29}, {"prevprog.png", 226}, {"nextprog.png", 226},
        {"at_faves.png", 29},     {"at_drums.png", 29},  {"at_leads.png", 29},
        {"at_bass.png", 29},      {"at_pads.png", 29},   {"at_lasers.png", 29},
        {"at_other.png", 29}};
    for (const auto& [name, stateHeight] : strips) {
        SCOPED_TRACE(name);
        Surface s = loadEmbedded(name);
        ASSERT_NE(s, nullptr);
        ASSERT_GE(height(s.get()), 2 * stateHeight);
        // A pressed button must be told apart at a glance, not by a pixel.
        EXPECT_GT(differingShare(s.get(), 0, stateHeight, stateHeight), 0.2);
        int opaque = 0;
        for (int y = 0; y < stateHeight; ++y) {
            for (int x = 0; x < width(s.get()); ++x) {
                opaque += pixelAt(s.get(), x, y).a == 255 ? 1 : 0;
            }
        }
        EXPECT_GT(opaque, stateHeight * width(s.get()) / 2);
    }
}

TEST_F(InstrumentImages, CategoryButtonsAreLabelledDifferently) {
    const char* names[] = {"at_faves.png", "at_drums.png",  "at_leads.png", "at_bass.png",
                           "at_pads.png",  "at_lasers.png", "at_other.png"};
    std::vector<Surface> buttons;
    for (const char* name : names) {
        buttons.push_back(loadEmbedded(name));
        ASSERT_NE(buttons.back(), nullptr) << name;
    }
    for (std::size_t a = 0; a < buttons.size(); ++a) {
        for (std::size_t b = a + 1; b < buttons.size(); ++b) {
            int differing = 0;
            for (int y = 0; y < 29; ++y) {
                for (int x = 0; x < 115; ++x) {
                    const Pixel p = pixelAt(buttons[a].get(), x, y);
                    const Pixel q = pixelAt(buttons[b].get(), x, y);
                    differing += std::abs(p.r - q.r) + std::abs(p.g - q.g) > 60 ? 1 : 0;
                }
            }
            EXPECT_GT(differing, 40) << names[a] << " and " << names[b];
        }
    }
}

// The knob and its two labels lie inside the bottle cabinet's rectangle and
// are drawn before it: the cabinet, the bottles and the shine must leave
// that band open or the knob disappears.
TEST_F(InstrumentImages, CabinetBottlesAndShineLeaveTheKnobVisible) {
    struct Rect {
        int left, top, right, bottom;
    };
    // Window rectangles of the knob and its labels, and the cabinet's origin.
    const Rect dial[] = {{296, 106, 344, 154}, {276, 86, 364, 106}, {276, 154, 364, 174}};
    const int cabinetX = 209, cabinetY = 88;
    std::vector<std::pair<std::string, std::pair<int, int>>> layers = {
        {"container1.png", {0, 0}}, {"container_shine.png", {0, 0}}};
    for (const std::string& bottle : bottleNames()) {
        layers.push_back({bottle, {18, 11}});
    }
    for (const auto& [name, origin] : layers) {
        SCOPED_TRACE(name);
        Surface s = loadEmbedded(name);
        ASSERT_NE(s, nullptr);
        const int ox = cabinetX + origin.first, oy = cabinetY + origin.second;
        for (const Rect& r : dial) {
            for (int y = std::max(r.top - oy, 0); y < std::min(r.bottom - oy, height(s.get()));
                 ++y) {
                for (int x = std::max(r.left - ox, 0); x < std::min(r.right - ox, width(s.get()));
                     ++x) {
                    ASSERT_EQ(pixelAt(s.get(), x, y).a, 0)
                        << "covers window pixel " << x + ox << ", " << y + oy;
                }
            }
        }
    }
}

TEST_F(InstrumentImages, BottlesStandFreeAndDifferFromEachOther) {
    std::set<std::vector<unsigned char>> distinct;
    for (const std::string& name : bottleNames()) {
        SCOPED_TRACE(name);
        Surface s = loadEmbedded(name);
        ASSERT_NE(s, nullptr);
        // Transparent around the glass, coloured glass in the middle of the body.
        for (const auto& [x, y] : {std::pair{0, 0}, {126, 0}, {0, 150}, {126, 150}, {63, 60}}) {
            EXPECT_EQ(pixelAt(s.get(), x, y).a, 0) << "at " << x << ", " << y;
        }
        int glass = 0;
        for (int y = 140; y < 185; ++y) {
            glass += pixelAt(s.get(), 63, y).a > 100 ? 1 : 0;
        }
        EXPECT_GT(glass, 30);
        const unsigned char* data = cairo_image_surface_get_data(s.get());
        distinct.insert(std::vector<unsigned char>(
            data, data + cairo_image_surface_get_stride(s.get()) * height(s.get())));
    }
    EXPECT_EQ(distinct.size(), bottleNames().size());
}

// Hue in degrees of a straight colour.
double hueOf(const Pixel& p) {
    const int mx = std::max({p.r, p.g, p.b}), mn = std::min({p.r, p.g, p.b});
    if (mx == mn) {
        return 0;
    }
    double h = mx == p.r   ? std::fmod((p.g - p.b) / double(mx - mn), 6.0)
               : mx == p.g ? (p.b - p.r) / double(mx - mn) + 2
                           : (p.r - p.g) / double(mx - mn) + 4;
    h *= 60;
    return h < 0 ? h + 360 : h;
}

double hueDistance(double a, double b) {
    const double d = std::fabs(a - b);
    return std::min(d, 360 - d);
}

// The liquid's colour tells a bottle's category, and the category button's gem
// wears the same colour: each bottle's dominant hue is nearest its own gem.
TEST_F(InstrumentImages, BottleColoursMatchTheirCategoryButtons) {
    const char* buttons[] = {"at_faves.png", "at_drums.png",  "at_leads.png", "at_bass.png",
                             "at_pads.png",  "at_lasers.png", "at_other.png"};
    const char* bottles[] = {"bottle_default1.png", "bottle_drums3.png", "bottle_leads5.png",
                             "bottle_bass2.png",    "bottle_pads6.png",  "bottle_lasers4.png",
                             "bottle_other1.png"};
    std::vector<double> gems;
    for (const char* name : buttons) {
        Surface s = loadEmbedded(name);
        ASSERT_NE(s, nullptr) << name;
        // The gem sits at the left end of the button, centred in its height.
        gems.push_back(hueOf(pixelAt(s.get(), 15, 15)));
    }
    for (int c = 0; c < 7; ++c) {
        SCOPED_TRACE(bottles[c]);
        Surface s = loadEmbedded(bottles[c]);
        ASSERT_NE(s, nullptr);
        // The median hue of the strongly coloured, solid pixels.
        std::vector<double> hues;
        for (int y = 0; y < height(s.get()); ++y) {
            for (int x = 0; x < width(s.get()); ++x) {
                const Pixel p = pixelAt(s.get(), x, y);
                const int mx = std::max({p.r, p.g, p.b}), mn = std::min({p.r, p.g, p.b});
                if (p.a > 200 && mx > 110 && mx - mn > 0.6 * mx) {
                    hues.push_back(hueOf(p));
                }
            }
        }
        ASSERT_GT(hues.size(), 200u);
        std::nth_element(hues.begin(), hues.begin() + hues.size() / 2, hues.end());
        const double hue = hues[hues.size() / 2];
        int nearest = 0;
        for (int g = 1; g < 7; ++g) {
            if (hueDistance(hue, gems[g]) < hueDistance(hue, gems[nearest])) {
                nearest = g;
            }
        }
        EXPECT_EQ(nearest, c) << "bottle hue " << hue << ", own gem hue " << gems[c];
    }
}

} // namespace
