#include "artwork.h"

#include "palette.h"

namespace artgen {

std::vector<ImageSpec> instrumentImages() {
    std::vector<ImageSpec> images = {
        {"background.png", 578, 356, drawBackground},
        {"animknob.png", 48, 1440, [](cairo_t* cr) { drawKnobStrip(cr, 30, 48); }},
        {"kestrovalian.png", 145, 58, drawLogo},
        {"prevprog.png", 63, 452,
         [](cairo_t* cr) { drawProgramStepButton(cr, Direction::Previous); }},
        {"nextprog.png", 63, 452, [](cairo_t* cr) { drawProgramStepButton(cr, Direction::Next); }},
        {"container1.png", 162, 213, drawContainer},
        {"container_shine.png", 160, 211, drawContainerShine},
    };
    // The category buttons, in the order of the categories; all share a state
    // height of 29 pixels, most images carry four spare rows below.
    const char* const buttonNames[] = {"at_faves.png", "at_drums.png", "at_leads.png",
                                       "at_bass.png",  "at_pads.png",  "at_lasers.png",
                                       "at_other.png"};
    for (int c = 0; c < 7; ++c) {
        const int height = c == 1 ? 58 : 62;
        images.push_back(
            {buttonNames[c], 115, height, [c](cairo_t* cr) { drawCategoryButton(cr, c, 29); }});
    }
    for (int c = 0; c < 7; ++c) {
        for (int n = 0; n < kCategories[c].pictures; ++n) {
            images.push_back({std::string(kCategories[c].stem) + std::to_string(n) + ".png", 127,
                              218, [c, n](cairo_t* cr) { drawBottle(cr, c, n); }});
        }
    }
    return images;
}

} // namespace artgen
