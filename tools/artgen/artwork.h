#pragma once

#include <cairo.h>

#include <functional>
#include <string>
#include <vector>

// Every image of the instrument: its file name, its size and how to draw it.
namespace artgen {

struct ImageSpec {
    std::string name; // lower-case PNG file name, e.g. "background.png"
    int width;
    int height;
    // Draws the whole image onto a cleared, transparent surface of that size.
    std::function<void(cairo_t*)> draw;
};

// All images in a fixed order, so that every run produces the same files.
std::vector<ImageSpec> instrumentImages();

// The pictures, grouped by what they show (see panelart.cpp, controlart.cpp,
// bottleart.cpp).
void drawBackground(cairo_t* cr);
void drawContainer(cairo_t* cr);
void drawContainerShine(cairo_t* cr);
void drawKnobStrip(cairo_t* cr, int frames, int frameSize);
void drawLogo(cairo_t* cr);
enum class Direction { Previous, Next };
void drawProgramStepButton(cairo_t* cr, Direction direction);
void drawCategoryButton(cairo_t* cr, int category, int stateHeight);
void drawBottle(cairo_t* cr, int category, int picture);

} // namespace artgen
