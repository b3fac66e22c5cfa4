#pragma once

#include <cairo.h>

#include <string>

// Small drawing vocabulary shared by every picture of the instrument.
namespace artgen {

struct Rgb {
    double r, g, b;
};

// 8-bit colour components, as designers write them.
constexpr Rgb rgb8(int r, int g, int b) {
    return Rgb{r / 255.0, g / 255.0, b / 255.0};
}

Rgb mix(Rgb a, Rgb b, double t);
Rgb lighter(Rgb c, double amount); // towards white
Rgb darker(Rgb c, double amount);  // towards black

void setColour(cairo_t* cr, Rgb c, double alpha = 1.0);
void addStop(cairo_pattern_t* p, double offset, Rgb c, double alpha = 1.0);

// Adds a closed rounded-rectangle path.
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);

// Fills the current path with a vertical gradient from top to bottom colour,
// keeping the path.
void fillVertical(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom, double alpha = 1.0);

// Sets the source to one colour fading vertically from alpha a0 at y0 to a1
// at y1 (shadows, glints, glows); the caller fills or paints with it.
void setVerticalFade(cairo_t* cr, double y0, double y1, Rgb c, double a0, double a1);

// Text in Liberation Sans (what "Arial" resolves to here), with extra spacing
// between letters. Fonts are chosen by family name so the result is the same
// on every machine with the same fonts installed.
enum class Weight { Normal, Bold };
void setFont(cairo_t* cr, double size, Weight weight);
double spacedTextWidth(cairo_t* cr, const std::string& text, double spacing);
// Adds the glyph outlines at baseline (x, y) to the current path.
void spacedTextPath(cairo_t* cr, const std::string& text, double x, double y, double spacing);
// Draws text centred horizontally on cx with its baseline at y.
void centredText(cairo_t* cr, const std::string& text, double cx, double y, double spacing,
                 Rgb colour, double alpha = 1.0);

// A soft glow: strokes the current path several times, wider and fainter.
void glowStroke(cairo_t* cr, Rgb colour, double width, double alpha, int rings);

} // namespace artgen
