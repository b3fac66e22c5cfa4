// The panel: the window background, the bottle cabinet and the glass shine.

#include "artwork.h"
#include "layout.h"
#include "palette.h"

#include <cmath>

namespace artgen {

namespace {

// A recessed area: dark fill, a shadow along its top edge, a bronze rim.
void drawWell(cairo_t* cr, double x, double y, double w, double h, double radius) {
    roundedRect(cr, x, y, w, h, radius);
    fillVertical(cr, y, y + h, darker(kWell, 0.2), kWell);
    cairo_new_path(cr);

    cairo_save(cr);
    roundedRect(cr, x, y, w, h, radius);
    cairo_clip(cr);
    setVerticalFade(cr, y, y + 8, Rgb{0, 0, 0}, 0.6, 0.0);
    cairo_paint(cr);
    cairo_restore(cr);

    roundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, radius);
    cairo_set_line_width(cr, 1);
    setColour(cr, kEdge, 0.55);
    cairo_stroke(cr);
    // A light lower lip makes the well read as sunk into the panel.
    cairo_move_to(cr, x + radius, y + h + 0.5);
    cairo_line_to(cr, x + w - radius, y + h + 0.5);
    setColour(cr, kBronzeLight, 0.35);
    cairo_stroke(cr);
}

void drawScrew(cairo_t* cr, double cx, double cy) {
    cairo_arc(cr, cx, cy + 0.6, 3.8, 0, 2 * M_PI);
    setColour(cr, Rgb{0, 0, 0}, 0.5);
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, 3.5, 0, 2 * M_PI);
    cairo_pattern_t* p = cairo_pattern_create_radial(cx - 1.2, cy - 1.2, 0.5, cx, cy, 3.5);
    addStop(p, 0, lighter(kBronzeLight, 0.35));
    addStop(p, 1, kBronze);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_move_to(cr, cx - 2.4, cy + 1.2);
    cairo_line_to(cr, cx + 2.4, cy - 1.2);
    cairo_set_line_width(cr, 1);
    setColour(cr, kBronzeDark);
    cairo_stroke(cr);
}

// The warm lamp left of the knob: a domed amber jewel in a bronze bezel.
void drawPilotLamp(cairo_t* cr, double cx, double cy) {
    cairo_pattern_t* halo = cairo_pattern_create_radial(cx, cy, 4, cx, cy, 18);
    addStop(halo, 0, kAmber, 0.35);
    addStop(halo, 1, kAmber, 0.0);
    cairo_set_source(cr, halo);
    cairo_arc(cr, cx, cy, 18, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(halo);

    cairo_arc(cr, cx, cy, 8, 0, 2 * M_PI);
    setColour(cr, kBronzeDark);
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, 7.5, 0, 2 * M_PI);
    setColour(cr, kEdge, 0.8);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_pattern_t* dome = cairo_pattern_create_radial(cx - 2, cy - 2.5, 0.5, cx, cy, 6);
    addStop(dome, 0, kGoldPale);
    addStop(dome, 0.45, kAmber);
    addStop(dome, 1, kAmberDeep);
    cairo_set_source(cr, dome);
    cairo_arc(cr, cx, cy, 6, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(dome);
}

// The scale around the knob: seven ticks, one for each whole value of the
// parameter, on the same 270 degree sweep as the knob's pointer.
void drawKnobScale(cairo_t* cr, double cx, double cy) {
    cairo_arc(cr, cx, cy, 27, 0, 2 * M_PI);
    cairo_pattern_t* ring = cairo_pattern_create_radial(cx, cy, 22, cx, cy, 27);
    addStop(ring, 0, Rgb{0, 0, 0}, 0.85);
    addStop(ring, 1, Rgb{0, 0, 0}, 0.0);
    cairo_set_source(cr, ring);
    cairo_fill(cr);
    cairo_pattern_destroy(ring);

    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 0; i <= 6; ++i) {
        const double degrees = -135 + 45.0 * i;
        const double a = (degrees - 90) * M_PI / 180;
        const bool end = i == 0 || i == 6 || i == 3;
        const double inner = 25.5;
        const double outer = end ? 29 : 28;
        cairo_move_to(cr, cx + inner * std::cos(a), cy + inner * std::sin(a));
        cairo_line_to(cr, cx + outer * std::cos(a), cy + outer * std::sin(a));
        cairo_set_line_width(cr, end ? 1.6 : 1.1);
        setColour(cr, end ? kGold : kCaption, end ? 0.9 : 0.7);
        cairo_stroke(cr);
    }
}

void drawCaption(cairo_t* cr, const char* text, double x, double y) {
    setFont(cr, 8.5, Weight::Bold);
    cairo_new_path(cr);
    spacedTextPath(cr, text, x, y, 1.6);
    setColour(cr, kCaption, 0.9);
    cairo_fill(cr);
}

// The glowing line along the bottom: the threshold the instrument is named for.
void drawThreshold(cairo_t* cr, double y) {
    cairo_pattern_t* line = cairo_pattern_create_linear(12, 0, kWindowWidth - 12, 0);
    addStop(line, 0, kAmber, 0.0);
    addStop(line, 0.5, kGold, 0.9);
    addStop(line, 1, kAmber, 0.0);
    for (int i = 4; i >= 0; --i) {
        cairo_rectangle(cr, 12, y - 0.5 - i, kWindowWidth - 24, 1 + 2 * i);
        cairo_save(cr);
        cairo_clip(cr);
        cairo_push_group(cr);
        cairo_set_source(cr, line);
        cairo_paint(cr);
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, i == 0 ? 1.0 : 0.12);
        cairo_restore(cr);
    }
    cairo_pattern_destroy(line);
}

} // namespace

void drawBackground(cairo_t* cr) {
    // Panel: a warm dark gradient with a gentle vignette.
    cairo_rectangle(cr, 0, 0, kWindowWidth, kWindowHeight);
    fillVertical(cr, 0, kWindowHeight, kPanelTop, kPanelBottom);
    cairo_new_path(cr);
    cairo_pattern_t* vignette = cairo_pattern_create_radial(289, 190, 120, 289, 190, 400);
    addStop(vignette, 0, Rgb{0, 0, 0}, 0.0);
    addStop(vignette, 1, Rgb{0, 0, 0}, 0.5);
    cairo_set_source(cr, vignette);
    cairo_paint(cr);
    cairo_pattern_destroy(vignette);

    // Header band with the instrument's name; the logo button sits at its right.
    cairo_rectangle(cr, 0, 0, kWindowWidth, 46);
    fillVertical(cr, 0, 46, rgb8(56, 43, 30), rgb8(30, 24, 18));
    cairo_new_path(cr);
    cairo_rectangle(cr, 0, 46, kWindowWidth, 1);
    setColour(cr, Rgb{0, 0, 0}, 0.6);
    cairo_fill(cr);
    cairo_pattern_t* rule = cairo_pattern_create_linear(0, 0, kWindowWidth, 0);
    addStop(rule, 0, kGold, 0.1);
    addStop(rule, 0.3, kGold, 0.8);
    addStop(rule, 1, kAmber, 0.2);
    cairo_set_source(cr, rule);
    cairo_rectangle(cr, 0, 45, kWindowWidth, 1);
    cairo_fill(cr);
    cairo_pattern_destroy(rule);

    setFont(cr, 21, Weight::Bold);
    cairo_new_path(cr);
    spacedTextPath(cr, "AMBER THRESHOLD", 17, 31, 2.2);
    cairo_save(cr);
    cairo_translate(cr, 0, 1.5);
    setColour(cr, Rgb{0, 0, 0}, 0.6);
    cairo_fill_preserve(cr);
    cairo_restore(cr);
    cairo_new_path(cr);
    spacedTextPath(cr, "AMBER THRESHOLD", 17, 31, 2.2);
    fillVertical(cr, 12, 31, kGoldPale, kAmber);
    cairo_new_path(cr);
    drawCaption(cr, "SAMPLE INSTRUMENT", 270, 30);

    // Program list: a deep well with a groove for the scroll bar's dark thumb.
    const Box list = kProgramList;
    drawCaption(cr, "PROGRAMS", list.left + 2, list.top - 8);
    drawWell(cr, list.left - 3, list.top - 3, list.width() + 6, list.height() + 6, 6);
    roundedRect(cr, list.right - kListScrollbarWidth + 2, list.top + 2, kListScrollbarWidth - 4,
                list.height() - 4, 6);
    fillVertical(cr, list.top, list.bottom, rgb8(72, 58, 42), rgb8(54, 43, 31));
    cairo_new_path(cr);

    // Program name: a narrow display strip above the cabinet.
    const Box name = kProgramName;
    drawWell(cr, name.left - 2, name.top - 3, name.width() + 4, name.height() + 6, 4);
    setVerticalFade(cr, name.top - 3, name.bottom + 3, kAmber, 0.0, 0.14);
    roundedRect(cr, name.left - 1, name.top - 2, name.width() + 2, name.height() + 4, 4);
    cairo_fill(cr);

    // Shadows cast by the two tall buttons and the cabinet.
    for (const Box& b : {kPrevButton, kNextButton, kContainer}) {
        roundedRect(cr, b.left - 2, b.top + 1, b.width() + 4, b.height() + 4, 10);
        setColour(cr, Rgb{0, 0, 0}, 0.35);
        cairo_fill(cr);
    }

    // The cabinet's upper part, the dial plate: the knob and its two labels sit
    // here, above the cabinet's image, which leaves this band open.
    const Box c = kContainer;
    const double plateBottom = c.top + kDialBandBottom + 4;
    roundedRect(cr, c.left, c.top, c.width(), plateBottom - c.top + 8, 8);
    fillVertical(cr, c.top, plateBottom, rgb8(66, 52, 37), rgb8(38, 30, 22));
    cairo_new_path(cr);
    cairo_move_to(cr, c.left + 8, c.top + 0.5);
    cairo_line_to(cr, c.right - 8, c.top + 0.5);
    cairo_set_line_width(cr, 1);
    setColour(cr, kGoldPale, 0.45);
    cairo_stroke(cr);
    drawScrew(cr, c.left + 13, c.top + 9);
    drawScrew(cr, c.left + 13, plateBottom - 13);
    drawPilotLamp(cr, c.left + 36, kKnob.centerY());
    drawKnobScale(cr, kKnob.centerX(), kKnob.centerY());

    // Category buttons: a bronze rail holding the stack.
    const Box col = kCategoryColumn;
    drawCaption(cr, "CATEGORY", col.left + 2, col.top - 8);
    roundedRect(cr, col.left - 3, col.top - 3, col.width() + 6, col.height() + 6, 5);
    setColour(cr, Rgb{0, 0, 0}, 0.55);
    cairo_fill_preserve(cr);
    setColour(cr, kEdge, 0.5);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);

    drawThreshold(cr, 326);
    setFont(cr, 8, Weight::Bold);
    centredText(cr, "SAMPLE PLAYBACK SYNTHESIZER", kWindowWidth / 2, 344, 2.4, kCaption, 0.65);
}

void drawContainer(cairo_t* cr) {
    const double w = kContainer.width();    // 162
    const double h = kContainer.height();   // 213
    const double top = kDialBandBottom + 4; // the niche starts below the dial
    const double rail = 7;

    // Side rails over the full height: they frame the dial plate too, so the
    // cabinet reads as one piece with the panel's plate behind its open top.
    for (double x : {0.0, w - rail}) {
        cairo_rectangle(cr, x, 0, rail, h);
        cairo_pattern_t* p = cairo_pattern_create_linear(x, 0, x + rail, 0);
        addStop(p, 0, kBronzeDark);
        addStop(p, 0.35, kBronzeLight);
        addStop(p, 1, kBronzeDark);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }

    // Crossbar between dial and niche.
    cairo_rectangle(cr, rail, top - 4, w - 2 * rail, 6);
    fillVertical(cr, top - 4, top + 2, kBronzeLight, kBronzeDark);
    cairo_new_path(cr);

    // The niche: dark glass lit warmly from below, where the bottle stands.
    const double nicheX = rail, nicheW = w - 2 * rail;
    const double floorY = h - 14;
    cairo_rectangle(cr, nicheX, top + 2, nicheW, floorY - top - 2);
    cairo_pattern_t* back =
        cairo_pattern_create_radial(w / 2, floorY + 10, 10, w / 2, floorY - 40, 130);
    addStop(back, 0, rgb8(150, 86, 22));
    addStop(back, 0.35, rgb8(62, 36, 14));
    addStop(back, 1, rgb8(12, 9, 7));
    cairo_set_source(cr, back);
    cairo_fill(cr);
    cairo_pattern_destroy(back);
    // Faint vertical ribs on the back wall.
    for (double x = nicheX + 12; x < nicheX + nicheW - 6; x += 12) {
        cairo_rectangle(cr, x, top + 4, 1, floorY - top - 6);
    }
    setColour(cr, Rgb{1, 1, 1}, 0.025);
    cairo_fill(cr);
    // Shadow under the crossbar.
    cairo_rectangle(cr, nicheX, top + 2, nicheW, 10);
    setVerticalFade(cr, top + 2, top + 12, Rgb{0, 0, 0}, 0.7, 0.0);
    cairo_fill(cr);

    // The floor the bottle stands on, and the plinth below it.
    cairo_save(cr);
    cairo_translate(cr, w / 2, floorY);
    cairo_scale(cr, 60, 6);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_pattern_t* pool = cairo_pattern_create_radial(w / 2, floorY, 2, w / 2, floorY, 60);
    addStop(pool, 0, kGoldPale, 0.55);
    addStop(pool, 1, kAmber, 0.0);
    cairo_set_source(cr, pool);
    cairo_fill(cr);
    cairo_pattern_destroy(pool);
    cairo_rectangle(cr, 0, floorY, w, h - floorY);
    fillVertical(cr, floorY, h, kBronzeLight, kBronzeDark);
    cairo_new_path(cr);
    cairo_rectangle(cr, 0, floorY, w, 1);
    setColour(cr, kGoldPale, 0.5);
    cairo_fill(cr);
}

void drawContainerShine(cairo_t* cr) {
    const double w = kShineInContainer.width();  // 160
    const double h = kShineInContainer.height(); // 211
    const double top = kDialBandBottom + 6;
    const double left = 7, right = w - 5;
    const double floorY = 199;

    cairo_save(cr);
    cairo_rectangle(cr, left, top, right - left, floorY - top);
    cairo_clip(cr);
    // A broad diagonal reflection across the glass front.
    cairo_move_to(cr, left, top + 30);
    cairo_line_to(cr, left + 52, top);
    cairo_line_to(cr, left + 86, top);
    cairo_line_to(cr, left, top + 92);
    cairo_close_path(cr);
    cairo_pattern_t* streak = cairo_pattern_create_linear(left, top, left + 60, top + 60);
    addStop(streak, 0, Rgb{1, 1, 1}, 0.16);
    addStop(streak, 1, Rgb{1, 1, 1}, 0.02);
    cairo_set_source(cr, streak);
    cairo_fill(cr);
    cairo_pattern_destroy(streak);
    // A narrow second streak and a vertical glint at the right edge.
    cairo_move_to(cr, left, top + 104);
    cairo_line_to(cr, left + 100, top + 4);
    cairo_line_to(cr, left + 108, top + 4);
    cairo_line_to(cr, left, top + 112);
    cairo_close_path(cr);
    setColour(cr, Rgb{1, 1, 1}, 0.07);
    cairo_fill(cr);
    cairo_rectangle(cr, right - 9, top + 6, 2, floorY - top - 20);
    setVerticalFade(cr, top, floorY, Rgb{1, 1, 1}, 0.22, 0.0);
    cairo_fill(cr);
    cairo_restore(cr);

    // The brass front rail hides the bottle's foot, so it stands inside.
    roundedRect(cr, 3, floorY, w - 6, h - floorY - 2, 3);
    fillVertical(cr, floorY, h - 2, kGoldPale, kAmberDeep, 0.95);
    cairo_new_path(cr);
    cairo_rectangle(cr, 6, floorY + 1, w - 12, 1);
    setColour(cr, Rgb{1, 1, 1}, 0.45);
    cairo_fill(cr);
}

} // namespace artgen
