// The controls: the knob's film strip and the push buttons, each with a
// released picture above its pressed picture.

#include "artwork.h"
#include "palette.h"

#include <cmath>

namespace artgen {

namespace {

// The knob's pointer sweeps 270 degrees, from lower left to lower right;
// angles here are clockwise from twelve o'clock.
constexpr double kSweepStart = -135;
constexpr double kSweep = 270;

double toCairoAngle(double degrees) {
    return (degrees - 90) * M_PI / 180;
}

void drawKnobFrame(cairo_t* cr, double cx, double cy, double pointerDegrees) {
    // The value ring: a dark track, lit amber from the start to the pointer.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 2.6);
    cairo_arc(cr, cx, cy, 21.5, toCairoAngle(kSweepStart), toCairoAngle(kSweepStart + kSweep));
    setColour(cr, rgb8(8, 6, 5), 0.9);
    cairo_stroke(cr);
    if (pointerDegrees > kSweepStart + 0.01) {
        cairo_arc(cr, cx, cy, 21.5, toCairoAngle(kSweepStart), toCairoAngle(pointerDegrees));
        glowStroke(cr, kAmber, 2.6, 0.35, 2);
        setColour(cr, kAmber);
        cairo_stroke(cr);
    }

    // Drop shadow, then the knurled skirt whose ridges turn with the knob.
    cairo_arc(cr, cx + 0.8, cy + 1.6, 18.5, 0, 2 * M_PI);
    setColour(cr, Rgb{0, 0, 0}, 0.6);
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, 18.5, 0, 2 * M_PI);
    setColour(cr, kBronzeDark);
    cairo_fill(cr);
    const int ridges = 36;
    for (int i = 0; i < ridges; ++i) {
        const double a = toCairoAngle(pointerDegrees) + 2 * M_PI * i / ridges;
        const double half = M_PI / ridges * 0.5;
        cairo_move_to(cr, cx, cy);
        cairo_arc(cr, cx, cy, 18.3, a - half, a + half);
        cairo_close_path(cr);
    }
    // The ridges catch light from the upper left.
    cairo_pattern_t* light = cairo_pattern_create_linear(cx - 18, cy - 18, cx + 18, cy + 18);
    addStop(light, 0, kBronzeLight);
    addStop(light, 1, darker(kBronze, 0.3));
    cairo_set_source(cr, light);
    cairo_fill(cr);
    cairo_pattern_destroy(light);

    // The cap: brushed bronze, lit from the upper left, with machined rings.
    cairo_arc(cr, cx, cy, 14.5, 0, 2 * M_PI);
    cairo_pattern_t* cap = cairo_pattern_create_radial(cx - 5, cy - 6, 1, cx, cy, 15);
    addStop(cap, 0, rgb8(124, 100, 72));
    addStop(cap, 0.6, rgb8(66, 52, 38));
    addStop(cap, 1, rgb8(40, 32, 24));
    cairo_set_source(cr, cap);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(cap);
    cairo_set_line_width(cr, 1);
    setColour(cr, Rgb{0, 0, 0}, 0.55);
    cairo_stroke(cr);
    for (double r : {5.0, 9.0, 12.0}) {
        cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
        cairo_set_line_width(cr, 0.5);
        setColour(cr, Rgb{1, 1, 1}, 0.05);
        cairo_stroke(cr);
    }

    // The pointer: a gold line from near the centre to the cap's edge.
    const double a = toCairoAngle(pointerDegrees);
    cairo_move_to(cr, cx + 4 * std::cos(a), cy + 4 * std::sin(a));
    cairo_line_to(cr, cx + 13 * std::cos(a), cy + 13 * std::sin(a));
    glowStroke(cr, kGold, 2.6, 0.4, 2);
    cairo_set_line_width(cr, 2.6);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    setColour(cr, kGold);
    cairo_stroke(cr);
}

// A raised plate for a released button, or a sunken one for a pressed button.
void drawPlate(cairo_t* cr, double x, double y, double w, double h, double radius, bool pressed) {
    roundedRect(cr, x, y, w, h, radius);
    if (pressed) {
        fillVertical(cr, y, y + h, rgb8(20, 16, 12), rgb8(44, 35, 25));
    } else {
        fillVertical(cr, y, y + h, rgb8(74, 59, 42), rgb8(36, 29, 21));
    }
    cairo_set_line_width(cr, 1);
    setColour(cr, pressed ? kAmber : kEdge, pressed ? 0.8 : 0.7);
    cairo_stroke(cr);

    cairo_save(cr);
    roundedRect(cr, x + 1, y + 1, w - 2, h - 2, radius - 1);
    cairo_clip(cr);
    if (pressed) {
        // Shadow inside the upper edge: the plate is pushed into the panel.
        setVerticalFade(cr, y, y + 10, Rgb{0, 0, 0}, 0.7, 0.0);
        cairo_paint(cr);
    } else {
        cairo_rectangle(cr, x + radius, y + 1, w - 2 * radius, 1);
        setColour(cr, kGoldPale, 0.35);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

void drawChevron(cairo_t* cr, double cx, double cy, double size, Direction direction,
                 bool pressed) {
    const double s = direction == Direction::Previous ? 1 : -1;
    cairo_move_to(cr, cx + s * size * 0.45, cy - size);
    cairo_line_to(cr, cx - s * size * 0.45, cy);
    cairo_line_to(cr, cx + s * size * 0.45, cy + size);
    glowStroke(cr, pressed ? kGold : kAmber, 5, pressed ? 0.7 : 0.3, 3);
    cairo_set_line_width(cr, 5);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, cy - size, 0, cy + size);
    addStop(p, 0, pressed ? Rgb{1, 1, 0.85} : kGoldPale);
    addStop(p, 1, pressed ? kGold : kAmber);
    cairo_set_source(cr, p);
    cairo_stroke(cr);
    cairo_pattern_destroy(p);
}

} // namespace

// The pointer angle of one frame. The knob shows a parameter of seven whole
// values, and a knob shows the frame nearest to its value: frames 0, 5, 10,
// 15, 19, 24 and 29. Those frames point exactly at the panel's seven ticks,
// 45 degrees apart; the frames between them share out the angle in between.
double pointerDegrees(int frame, int frames) {
    const int steps = 6;
    auto stepFrame = [frames](int step) {
        return static_cast<int>(std::lround(static_cast<double>(step) / steps * (frames - 1)));
    };
    for (int step = 0; step < steps; ++step) {
        const int a = stepFrame(step), b = stepFrame(step + 1);
        if (frame <= b && b > a) {
            const double t = static_cast<double>(frame - a) / (b - a);
            return kSweepStart + kSweep * (step + t) / steps;
        }
    }
    return kSweepStart + kSweep;
}

void drawKnobStrip(cairo_t* cr, int frames, int frameSize) {
    for (int i = 0; i < frames; ++i) {
        drawKnobFrame(cr, frameSize / 2.0, frameSize * (i + 0.5), pointerDegrees(i, frames));
    }
}

void drawProgramStepButton(cairo_t* cr, Direction direction) {
    const double w = 63, h = 226;
    for (int state = 0; state < 2; ++state) {
        const bool pressed = state == 1;
        cairo_save(cr);
        cairo_translate(cr, 0, h * state);
        const double dy = pressed ? 1 : 0;
        drawPlate(cr, 1.5, 1.5, w - 3, h - 3, 9, pressed);
        // Engraved grip lines near both ends of the tall plate.
        for (int i = 0; i < 4; ++i) {
            for (double y : {22.0 + 5 * i + dy, h - 37.0 + 5 * i + dy}) {
                cairo_rectangle(cr, 19, y, w - 38, 1);
                setColour(cr, Rgb{0, 0, 0}, 0.55);
                cairo_fill(cr);
                cairo_rectangle(cr, 19, y + 1, w - 38, 1);
                setColour(cr, kGoldPale, pressed ? 0.06 : 0.12);
                cairo_fill(cr);
            }
        }
        drawChevron(cr, w / 2, h / 2 - 8 + dy, 17, direction, pressed);
        setFont(cr, 9, Weight::Bold);
        centredText(cr, direction == Direction::Previous ? "PREV" : "NEXT", w / 2, h / 2 + 32 + dy,
                    1.8, pressed ? kGold : kCaption, 0.9);
        cairo_restore(cr);
    }
}

void drawLogo(cairo_t* cr) {
    // The button reaches past the window's right edge; its picture keeps
    // to the visible part.
    const double w = 141, h = 29;
    for (int state = 0; state < 2; ++state) {
        const bool pressed = state == 1;
        cairo_save(cr);
        cairo_translate(cr, 0, h * state);
        roundedRect(cr, 1.5, 2.5, w - 3, h - 5, 5);
        if (pressed) {
            fillVertical(cr, 2, h - 2, kGoldPale, kAmber);
        } else {
            fillVertical(cr, 2, h - 2, rgb8(26, 20, 15), rgb8(14, 11, 9));
        }
        cairo_set_line_width(cr, 1);
        setColour(cr, pressed ? kGoldPale : kEdge, 0.8);
        cairo_stroke(cr);

        // The kestrel's wing: two swept strokes.
        const Rgb mark = pressed ? kInk : kGold;
        cairo_move_to(cr, 10, 19);
        cairo_curve_to(cr, 15, 9, 21, 7, 27, 8);
        cairo_curve_to(cr, 22, 11, 19, 14, 17, 19);
        cairo_close_path(cr);
        cairo_move_to(cr, 17, 21);
        cairo_curve_to(cr, 21, 15, 26, 13, 31, 14);
        cairo_curve_to(cr, 27, 16, 25, 18, 23, 21);
        cairo_close_path(cr);
        setColour(cr, mark);
        cairo_fill(cr);

        setFont(cr, 11, Weight::Bold);
        cairo_new_path(cr);
        spacedTextPath(cr, "KESTROVALIAN", 36, 18.5, 1.1);
        setColour(cr, pressed ? kInk : kGoldPale);
        cairo_fill(cr);
        cairo_restore(cr);
    }
}

void drawCategoryButton(cairo_t* cr, int category, int stateHeight) {
    const double w = 115, h = stateHeight;
    const Category& c = kCategories[category];
    for (int state = 0; state < 2; ++state) {
        const bool pressed = state == 1;
        cairo_save(cr);
        cairo_translate(cr, 0, h * state);
        cairo_rectangle(cr, 0, 0, w, h);
        cairo_clip(cr);
        cairo_rectangle(cr, 0, 0, w, h);
        if (pressed) {
            fillVertical(cr, 0, h, kGoldPale, rgb8(226, 150, 12));
        } else {
            fillVertical(cr, 0, h, rgb8(70, 56, 40), rgb8(40, 32, 23));
        }
        cairo_new_path(cr);
        // Stacked without gaps: a light top edge and a dark bottom edge part
        // one button from the next.
        cairo_rectangle(cr, 0, 0, w, 1);
        setColour(cr, pressed ? Rgb{1, 1, 1} : kGoldPale, pressed ? 0.6 : 0.22);
        cairo_fill(cr);
        cairo_rectangle(cr, 0, h - 1, w, 1);
        setColour(cr, Rgb{0, 0, 0}, 0.75);
        cairo_fill(cr);
        if (pressed) {
            cairo_rectangle(cr, 0, 0, w, 5);
            setVerticalFade(cr, 0, 5, Rgb{0, 0, 0}, 0.35, 0.0);
            cairo_fill(cr);
        }

        // The gem in the colour of the category's bottles.
        const double gx = 15, gy = h / 2;
        if (pressed) {
            cairo_arc(cr, gx, gy, 8, 0, 2 * M_PI);
            cairo_pattern_t* halo = cairo_pattern_create_radial(gx, gy, 3, gx, gy, 8);
            addStop(halo, 0, c.liquid, 0.8);
            addStop(halo, 1, c.liquid, 0.0);
            cairo_set_source(cr, halo);
            cairo_fill(cr);
            cairo_pattern_destroy(halo);
        }
        cairo_arc(cr, gx, gy, 5, 0, 2 * M_PI);
        setColour(cr, Rgb{0, 0, 0}, 0.7);
        cairo_fill(cr);
        cairo_arc(cr, gx, gy, 4, 0, 2 * M_PI);
        cairo_pattern_t* gem = cairo_pattern_create_radial(gx - 1.3, gy - 1.5, 0.3, gx, gy, 4);
        addStop(gem, 0, lighter(c.liquid, 0.8));
        addStop(gem, 0.5, pressed ? lighter(c.liquid, 0.1) : c.liquid);
        addStop(gem, 1, darker(c.liquid, pressed ? 0.2 : 0.55));
        cairo_set_source(cr, gem);
        cairo_fill(cr);
        cairo_pattern_destroy(gem);

        setFont(cr, 10, Weight::Bold);
        cairo_new_path(cr);
        spacedTextPath(cr, c.label, 29, h / 2 + 4 + (pressed ? 1 : 0), 1.4);
        setColour(cr, pressed ? kInk : rgb8(236, 204, 140));
        cairo_fill(cr);
        cairo_restore(cr);
    }
}

} // namespace artgen
