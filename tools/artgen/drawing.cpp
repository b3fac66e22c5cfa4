#include "drawing.h"

#include <cmath>

namespace artgen {

Rgb mix(Rgb a, Rgb b, double t) {
    return Rgb{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb lighter(Rgb c, double amount) {
    return mix(c, Rgb{1, 1, 1}, amount);
}
Rgb darker(Rgb c, double amount) {
    return mix(c, Rgb{0, 0, 0}, amount);
}

void setColour(cairo_t* cr, Rgb c, double alpha) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

void addStop(cairo_pattern_t* p, double offset, Rgb c, double alpha) {
    cairo_pattern_add_color_stop_rgba(p, offset, c.r, c.g, c.b, alpha);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius) {
    const double r = std::fmin(radius, std::fmin(w, h) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 1.5 * M_PI);
    cairo_close_path(cr);
}

void fillVertical(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom, double alpha) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    addStop(p, 0, top, alpha);
    addStop(p, 1, bottom, alpha);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
}

void setVerticalFade(cairo_t* cr, double y0, double y1, Rgb c, double a0, double a1) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    addStop(p, 0, c, a0);
    addStop(p, 1, c, a1);
    cairo_set_source(cr, p); // the context keeps its own reference
    cairo_pattern_destroy(p);
}

void setFont(cairo_t* cr, double size, Weight weight) {
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                           weight == Weight::Bold ? CAIRO_FONT_WEIGHT_BOLD
                                                  : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    // Unhinted outlines keep letter positions independent of the pixel grid,
    // so spaced capitals look even at small sizes.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

double spacedTextWidth(cairo_t* cr, const std::string& text, double spacing) {
    double width = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char letter[2] = {text[i], '\0'};
        cairo_text_extents_t e;
        cairo_text_extents(cr, letter, &e);
        width += e.x_advance + (i + 1 < text.size() ? spacing : 0);
    }
    return width;
}

void spacedTextPath(cairo_t* cr, const std::string& text, double x, double y, double spacing) {
    for (char c : text) {
        const char letter[2] = {c, '\0'};
        cairo_text_extents_t e;
        cairo_text_extents(cr, letter, &e);
        cairo_move_to(cr, x, y);
        cairo_text_path(cr, letter);
        x += e.x_advance + spacing;
    }
}

void centredText(cairo_t* cr, const std::string& text, double cx, double y, double spacing,
                 Rgb colour, double alpha) {
    const double w = spacedTextWidth(cr, text, spacing);
    cairo_new_path(cr);
    spacedTextPath(cr, text, cx - w / 2, y, spacing);
    setColour(cr, colour, alpha);
    cairo_fill(cr);
}

void glowStroke(cairo_t* cr, Rgb colour, double width, double alpha, int rings) {
    cairo_save(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (int i = rings; i >= 1; --i) {
        cairo_set_line_width(cr, width + 2.0 * i);
        setColour(cr, colour, alpha / (i + 1));
        cairo_stroke_preserve(cr);
    }
    cairo_restore(cr);
}

} // namespace artgen
