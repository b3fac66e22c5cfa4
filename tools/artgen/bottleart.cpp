// The bottles: one glass form per category, filled with the category's
// colour, corked, and labelled with the category and the picture number.

#include "artwork.h"
#include "layout.h"
#include "palette.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace artgen {

namespace {

enum class Form { Apothecary, Jar, Slim, Jug, RoundFlask, Cone };

struct Bottle {
    Form form;
    double cx;       // centre line
    double bottom;   // where the glass meets the floor
    double bodyHalf; // half the widest width
    double bodyHeight;
    double neckHalf;
    double neckHeight;
    double neckTop() const { return bottom - bodyHeight - neckHeight; }
    double bodyTop() const { return bottom - bodyHeight; }
};

// A small deterministic generator for bubble positions.
struct Lcg {
    std::uint32_t state;
    double next() {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / 16777216.0;
    }
};

// Adds the outline of the glass (without cork) as a closed path, right side
// up from the foot, across the lip and down the left side.
void outline(cairo_t* cr, const Bottle& b) {
    const double x0 = b.cx, y0 = b.bottom, w = b.bodyHalf, n = b.neckHalf;
    const double top = b.neckTop(), shoulder = b.bodyTop();
    cairo_new_path(cr);
    switch (b.form) {
    case Form::RoundFlask: {
        const double r = w;
        const double cy = y0 - r;
        const double a = std::asin(n / r);
        cairo_move_to(cr, x0 + n, top);
        cairo_line_to(cr, x0 + n, cy - r * std::cos(a));
        cairo_arc(cr, x0, cy, r, -M_PI / 2 + a, 1.5 * M_PI - a);
        cairo_line_to(cr, x0 - n, top);
        cairo_close_path(cr);
        return;
    }
    case Form::Cone:
        cairo_move_to(cr, x0 + n, top);
        cairo_line_to(cr, x0 + n, shoulder);
        cairo_line_to(cr, x0 + w - 3, y0 - 5);
        cairo_curve_to(cr, x0 + w, y0 - 1, x0 + w - 2, y0, x0 + w - 6, y0);
        cairo_line_to(cr, x0 - w + 6, y0);
        cairo_curve_to(cr, x0 - w + 2, y0, x0 - w, y0 - 1, x0 - w + 3, y0 - 5);
        cairo_line_to(cr, x0 - n, shoulder);
        cairo_line_to(cr, x0 - n, top);
        cairo_close_path(cr);
        return;
    case Form::Jug: {
        // Bulging sides, widest a third of the way up.
        const double s = shoulder;
        cairo_move_to(cr, x0 + n, top);
        cairo_line_to(cr, x0 + n, s);
        cairo_curve_to(cr, x0 + n + w * 0.9, s + 4, x0 + w * 1.08, y0 - b.bodyHeight * 0.45,
                       x0 + w * 0.8, y0);
        cairo_line_to(cr, x0 - w * 0.8, y0);
        cairo_curve_to(cr, x0 - w * 1.08, y0 - b.bodyHeight * 0.45, x0 - n - w * 0.9, s + 4, x0 - n,
                       s);
        cairo_line_to(cr, x0 - n, top);
        cairo_close_path(cr);
        return;
    }
    case Form::Apothecary:
    case Form::Jar:
    case Form::Slim: {
        // Straight sides with a rounded foot and a shoulder curving into the neck.
        const double foot = b.form == Form::Jar ? 8 : 5;
        const double rise = b.form == Form::Apothecary ? 9 : (b.form == Form::Jar ? 7 : 16);
        const double reach = (w - n) * 0.6;
        cairo_move_to(cr, x0 + n, top);
        cairo_line_to(cr, x0 + n, shoulder);
        cairo_curve_to(cr, x0 + n + reach, shoulder, x0 + w, shoulder + rise * 0.3, x0 + w,
                       shoulder + rise);
        cairo_line_to(cr, x0 + w, y0 - foot);
        cairo_curve_to(cr, x0 + w, y0, x0 + w - foot, y0, x0 + w - foot, y0);
        cairo_line_to(cr, x0 - w + foot, y0);
        cairo_curve_to(cr, x0 - w + foot, y0, x0 - w, y0, x0 - w, y0 - foot);
        cairo_line_to(cr, x0 - w, shoulder + rise);
        cairo_curve_to(cr, x0 - w, shoulder + rise * 0.3, x0 - n - reach, shoulder, x0 - n,
                       shoulder);
        cairo_line_to(cr, x0 - n, top);
        cairo_close_path(cr);
        return;
    }
    }
}

Bottle bottleFor(int category, int picture) {
    // Picture coordinates: the bottle view sits 18, 11 inside the cabinet, so
    // the cabinet's floor is at y 188 here and its dial band ends at y 75.
    const double cx = kBottleInContainer.width() / 2;
    const double bottom = 191;
    struct Build {
        Form form;
        double bodyHalf, bodyHeight, neckHalf, neckHeight;
    };
    // Favorites, drums, leads, bass, pads, lasers, other.
    static const Build builds[] = {{Form::RoundFlask, 40, 80, 8, 22}, {Form::Jar, 44, 70, 18, 13},
                                   {Form::Slim, 23, 74, 6, 26},       {Form::Jug, 40, 78, 9, 14},
                                   {Form::RoundFlask, 37, 74, 7, 24}, {Form::Cone, 45, 76, 8, 18},
                                   {Form::Apothecary, 32, 76, 10, 16}};
    const Build& build = builds[category];
    Bottle b{build.form,      cx, bottom, build.bodyHalf, build.bodyHeight, build.neckHalf,
             build.neckHeight};
    // Siblings differ a little in build, like hand-blown glass.
    const double jitter = ((picture * 7 + category) % 5 - 2) * 2.0;
    if (b.form == Form::RoundFlask) {
        b.bodyHalf += jitter / 2;
        b.bodyHeight = 2 * b.bodyHalf;
    } else {
        b.bodyHeight += jitter;
        b.bodyHalf += ((picture * 3) % 3 - 1) * 1.5;
    }
    b.neckHeight += ((picture * 5 + category) % 4 - 1.5) * 2.5;
    // The cork must stay clear of the knob's band above.
    const double highestNeckTop = 88;
    if (b.neckTop() < highestNeckTop) {
        b.neckHeight -= highestNeckTop - b.neckTop();
    }
    return b;
}

void drawLabel(cairo_t* cr, const Bottle& b, const Category& c, int picture) {
    const bool narrow = b.form == Form::Slim;
    const double w = narrow ? 38 : (b.form == Form::Apothecary ? 48 : 54);
    const double h = 27;
    const double cy = b.form == Form::RoundFlask ? b.bottom - b.bodyHalf + 4
                      : b.form == Form::Cone     ? b.bottom - b.bodyHeight * 0.33
                                                 : b.bottom - b.bodyHeight * 0.44;
    const double x = b.cx - w / 2, y = cy - h / 2;

    roundedRect(cr, x + 1, y + 1.5, w, h, 2.5);
    setColour(cr, Rgb{0, 0, 0}, 0.35);
    cairo_fill(cr);
    roundedRect(cr, x, y, w, h, 2.5);
    fillVertical(cr, y, y + h, kCream, rgb8(214, 194, 150));
    cairo_set_line_width(cr, 1);
    setColour(cr, darker(c.liquid, 0.45), 0.9);
    cairo_stroke(cr);
    cairo_rectangle(cr, x + 2, y + 2, w - 4, 3);
    setColour(cr, c.liquid);
    cairo_fill(cr);

    setFont(cr, std::string(c.label).size() > 6 ? 6.2 : 6.8, Weight::Bold);
    centredText(cr, c.label, b.cx, y + 12, 0.5, kInk);
    setFont(cr, 10.5, Weight::Bold);
    centredText(cr, "No. " + std::to_string(picture), b.cx, y + 23.5, 0.3, darker(c.liquid, 0.55));
}

} // namespace

void drawBottle(cairo_t* cr, int category, int picture) {
    const Category& c = kCategories[category];
    const Bottle b = bottleFor(category, picture);
    Rgb liquid = mix(c.liquid, Rgb{1, 1, 1}, 0.1 * (picture % 3));
    if ((picture / 3) % 2 == 1) {
        liquid = darker(liquid, 0.18);
    }

    // Shadow on the cabinet floor.
    cairo_save(cr);
    cairo_translate(cr, b.cx + 3, b.bottom - 1);
    cairo_scale(cr, b.bodyHalf + 8, 5);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_pattern_t* shadow = cairo_pattern_create_radial(b.cx + 3, b.bottom - 1, 1, b.cx + 3,
                                                          b.bottom - 1, b.bodyHalf + 8);
    addStop(shadow, 0, Rgb{0, 0, 0}, 0.6);
    addStop(shadow, 1, Rgb{0, 0, 0}, 0.0);
    cairo_set_source(cr, shadow);
    cairo_fill(cr);
    cairo_pattern_destroy(shadow);

    // Tinted glass.
    outline(cr, b);
    setColour(cr, mix(c.liquid, Rgb{0, 0, 0}, 0.55), 0.45);
    cairo_fill_preserve(cr);

    // The liquid, with a lit surface and a few bubbles.
    cairo_save(cr);
    cairo_clip(cr);
    const double fill = 0.34 + 0.09 * ((picture * 2 + category) % 5);
    const double bodyExtent = b.form == Form::RoundFlask ? 2 * b.bodyHalf : b.bodyHeight;
    const double level = b.bottom - bodyExtent * fill;
    cairo_rectangle(cr, 0, level, 127, b.bottom - level);
    cairo_pattern_t* body = cairo_pattern_create_linear(b.cx - b.bodyHalf, 0, b.cx + b.bodyHalf, 0);
    addStop(body, 0, darker(liquid, 0.35), 0.95);
    addStop(body, 0.4, liquid, 0.95);
    addStop(body, 1, darker(liquid, 0.5), 0.95);
    cairo_set_source(cr, body);
    cairo_fill(cr);
    cairo_pattern_destroy(body);
    cairo_rectangle(cr, 0, level, 127, 2);
    setColour(cr, lighter(liquid, 0.6), 0.85);
    cairo_fill(cr);
    Lcg random{static_cast<std::uint32_t>(category * 131 + picture * 17 + 7)};
    for (int i = 0; i < 7; ++i) {
        const double bx = b.cx + (random.next() - 0.5) * b.bodyHalf * 1.2;
        const double by = level + 6 + random.next() * (b.bottom - level - 10);
        const double r = 0.8 + random.next() * 1.6;
        cairo_new_sub_path(cr);
        cairo_arc(cr, bx, by, r, 0, 2 * M_PI);
    }
    setColour(cr, lighter(liquid, 0.7), 0.55);
    cairo_fill(cr);

    // Reflections on the glass: a long streak on the left, a short one on
    // the right, lit from the same side as the cabinet's shine.
    const double streakX = b.cx - b.bodyHalf * 0.62;
    cairo_rectangle(cr, streakX, b.neckTop(), b.bodyHalf * 0.22, b.bottom - b.neckTop());
    cairo_pattern_t* streak =
        cairo_pattern_create_linear(streakX, 0, streakX + b.bodyHalf * 0.22, 0);
    addStop(streak, 0, Rgb{1, 1, 1}, 0.0);
    addStop(streak, 0.4, Rgb{1, 1, 1}, 0.45);
    addStop(streak, 1, Rgb{1, 1, 1}, 0.0);
    cairo_set_source(cr, streak);
    cairo_fill(cr);
    cairo_pattern_destroy(streak);
    cairo_rectangle(cr, b.cx + b.bodyHalf * 0.55, b.bodyTop() + 8, 2.5, b.bodyHeight * 0.4);
    setColour(cr, Rgb{1, 1, 1}, 0.18);
    cairo_fill(cr);
    cairo_restore(cr);

    // The glass edge.
    outline(cr, b);
    cairo_set_line_width(cr, 1.6);
    setColour(cr, lighter(c.liquid, 0.55), 0.75);
    cairo_stroke(cr);

    // Lip, cork and the coloured cord around the neck.
    const double top = b.neckTop();
    roundedRect(cr, b.cx - b.neckHalf - 2, top - 1, 2 * b.neckHalf + 4, 5, 2);
    setColour(cr, lighter(c.liquid, 0.5), 0.8);
    cairo_fill(cr);
    roundedRect(cr, b.cx - b.neckHalf + 1, top - 9, 2 * b.neckHalf - 2, 11, 2);
    fillVertical(cr, top - 9, top + 2, rgb8(176, 124, 72), rgb8(104, 68, 36));
    cairo_new_path(cr);
    cairo_rectangle(cr, b.cx - b.neckHalf - 0.5, top + 6, 2 * b.neckHalf + 1, 2.5);
    setColour(cr, darker(c.liquid, 0.25));
    cairo_fill(cr);

    drawLabel(cr, b, c, picture);
}

} // namespace artgen
