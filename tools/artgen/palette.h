#pragma once

#include "drawing.h"

// The instrument's colours: a dark, warm panel with amber and gold accents.
namespace artgen {

constexpr Rgb kPanelTop = rgb8(40, 31, 23);
constexpr Rgb kPanelBottom = rgb8(15, 12, 10);
constexpr Rgb kWell = rgb8(11, 9, 7);
constexpr Rgb kBronzeLight = rgb8(92, 72, 50);
constexpr Rgb kBronze = rgb8(58, 46, 33);
constexpr Rgb kBronzeDark = rgb8(31, 25, 19);
constexpr Rgb kEdge = rgb8(128, 94, 48);
// The program list's selection bar is this gold; the artwork takes it up.
constexpr Rgb kGold = rgb8(253, 203, 10);
constexpr Rgb kGoldPale = rgb8(255, 226, 130);
constexpr Rgb kAmber = rgb8(230, 136, 18);
constexpr Rgb kAmberDeep = rgb8(160, 82, 10);
constexpr Rgb kCaption = rgb8(196, 152, 78);
constexpr Rgb kCream = rgb8(242, 228, 196);
constexpr Rgb kInk = rgb8(38, 26, 12);

// One entry per program category: the liquid of its bottles and the gem of
// its button share the colour, so a bottle tells its category at a glance.
struct Category {
    const char* stem;  // picture name stem, e.g. "bottle_drums"
    const char* label; // word on the bottle label and on the category button
    Rgb liquid;
    int pictures; // bottle pictures embedded for the category
};

constexpr Category kCategories[] = {
    {"bottle_default", "FAVORITES", rgb8(250, 190, 30), 2},
    {"bottle_drums", "DRUMS", rgb8(206, 34, 46), 6},
    {"bottle_leads", "LEADS", rgb8(246, 118, 22), 9},
    {"bottle_bass", "BASS", rgb8(52, 92, 232), 9},
    {"bottle_pads", "PADS", rgb8(38, 190, 112), 8},
    {"bottle_lasers", "LASERS", rgb8(40, 218, 240), 8},
    {"bottle_other", "OTHER", rgb8(190, 70, 214), 8},
};

} // namespace artgen
