// Renders the instrument's face off-screen from the embedded images, composed
// at the editor's layout positions, plus a sheet of the states a single face
// cannot show at once: the knob at several values, every button released and
// pressed, and a bottle of each category in its cabinet under the shine.
//
//   amber_facerender OUTPUT.png
//
// The texts (labels and list rows) are drawn here only to judge the artwork
// against them; in the instrument the toolkit draws them.

#include "artgen/layout.h"
#include "gui/resourceregistry.h"
#include "outputfile.h"
#include "pngoutput.h"
#include "resources/instrumentimages.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

using artgen::Box;

struct Images {
    std::map<std::string, cairo_surface_t*> byName;
    bool failed = false;

    ~Images() {
        for (auto& entry : byName) {
            cairo_surface_destroy(entry.second);
        }
    }

    cairo_surface_t* get(const std::string& name) {
        auto it = byName.find(name);
        if (it != byName.end()) {
            return it->second;
        }
        cairo_surface_t* s = decode(name);
        byName[name] = s;
        return s;
    }

private:
    cairo_surface_t* decode(const std::string& name) {
        struct Reader {
            const VSTGUI::EmbeddedResource* r;
            std::size_t pos;
        };
        const VSTGUI::EmbeddedResource* r = VSTGUI::findEmbeddedResource(name.c_str());
        if (!r) {
            std::cerr << "facerender: no embedded image " << name << "\n";
            failed = true;
            return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
        }
        Reader reader{r, 0};
        cairo_surface_t* s = cairo_image_surface_create_from_png_stream(
            [](void* closure, unsigned char* out, unsigned int length) {
                auto* rd = static_cast<Reader*>(closure);
                if (rd->r->size - rd->pos < length) {
                    return CAIRO_STATUS_READ_ERROR;
                }
                std::copy(rd->r->data + rd->pos, rd->r->data + rd->pos + length, out);
                rd->pos += length;
                return CAIRO_STATUS_SUCCESS;
            },
            &reader);
        if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
            std::cerr << "facerender: cannot decode " << name << "\n";
            failed = true;
        }
        return s;
    }
};

// Draws the part of an image that starts sourceY rows down into a box.
void blit(cairo_t* cr, cairo_surface_t* image, double x, double y, double w, double h,
          double sourceY = 0) {
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_set_source_surface(cr, image, x, y - sourceY);
    cairo_paint(cr);
    cairo_restore(cr);
}

// Draws the part of an image at (sourceX, sourceY) into a box.
void blitRegion(cairo_t* cr, cairo_surface_t* image, double x, double y, double w, double h,
                double sourceX, double sourceY) {
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_set_source_surface(cr, image, x - sourceX, y - sourceY);
    cairo_paint(cr);
    cairo_restore(cr);
}

void text(cairo_t* cr, const std::string& s, double x, double y, double size, double r, double g,
          double b, bool centred = false) {
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, s.c_str(), &e);
    cairo_move_to(cr, centred ? x - e.x_advance / 2 : x, y);
    cairo_set_source_rgb(cr, r, g, b);
    cairo_show_text(cr, s.c_str());
}

// A label the way the editor's text labels draw: white, centred in its box.
void label(cairo_t* cr, const std::string& s, const Box& box) {
    text(cr, s, box.centerX(), box.centerY() + 4.5, 12, 1, 1, 1, true);
}

std::string programName(int row) {
    struct Run {
        int first, last;
        const char* prefix;
    };
    static const Run runs[] = {{8, 35, "Lead-"},
                               {37, 68, "Bass-"},
                               {70, 82, "Pad-"},
                               {84, 146, "Laser-"},
                               {148, 175, "Other-"}};
    static const std::map<int, std::string> named = {
        {0, "Our Favorites"},    {1, "-= DRUMS =-"}, {2, "Kicks"},         {3, "Snares"},
        {4, "Drum Kit 1"},       {5, "Drum Kit 2"},  {6, "Drum Kit 3"},    {7, "-= LEADS =-"},
        {36, "-= BASS =-"},      {69, "-= PADS =-"}, {83, "-= LASERS =-"}, {147, "-= OTHER =-"},
        {176, "Unnamed Program"}};
    auto it = named.find(row);
    if (it != named.end()) {
        return it->second;
    }
    for (const Run& run : runs) {
        if (row >= run.first && row <= run.last) {
            const int number = row - run.first;
            return std::string(run.prefix) + (number < 10 ? "0" : "") + std::to_string(number);
        }
    }
    return "";
}

void cabinet(cairo_t* cr, Images& images, double x, double y, const std::string& bottle) {
    const Box& b = artgen::kBottleInContainer;
    const Box& s = artgen::kShineInContainer;
    blit(cr, images.get("container1.png"), x, y, 162, 213);
    cairo_save(cr);
    cairo_rectangle(cr, x, y, 162, 213);
    cairo_clip(cr);
    if (!bottle.empty()) {
        blit(cr, images.get(bottle), x + b.left, y + b.top, b.width(), b.height());
    }
    blit(cr, images.get("container_shine.png"), x + s.left, y + s.top, s.width(), s.height());
    cairo_restore(cr);
}

const char* const kCategoryButtons[] = {"at_faves.png", "at_drums.png", "at_leads.png",
                                        "at_bass.png",  "at_pads.png",  "at_lasers.png",
                                        "at_other.png"};

struct FaceState {
    int knobFrame;
    std::string knobValue;
    int selectedRow;
    int pressedCategory; // -1 for none
    bool nextPressed;
};

void face(cairo_t* cr, Images& images, const FaceState& state) {
    using namespace artgen;
    blit(cr, images.get("background.png"), 0, 0, kWindowWidth, kWindowHeight);

    // In the editor's adding order: knob and labels, buttons, cabinet, name,
    // list, categories.
    blit(cr, images.get("animknob.png"), kKnob.left, kKnob.top, 48, 48, 48.0 * state.knobFrame);
    label(cr, state.knobValue, kKnobValueLabel);
    label(cr, "Funkiness", kKnobNameLabel);
    blit(cr, images.get("kestrovalian.png"), kLogo.left, kLogo.top, kLogo.width(), kLogo.height());
    blit(cr, images.get("prevprog.png"), kPrevButton.left, kPrevButton.top, 63, 226);
    blit(cr, images.get("nextprog.png"), kNextButton.left, kNextButton.top, 63, 226,
         state.nextPressed ? 226 : 0);

    static const int firstRows[] = {0, 2, 8, 37, 70, 84, 148};
    static const char* const stems[] = {"bottle_default", "bottle_drums", "bottle_leads",
                                        "bottle_bass",    "bottle_pads",  "bottle_lasers",
                                        "bottle_other"};
    static const int divisors[] = {1, 5, 9, 8, 7, 8, 8};
    std::string bottle;
    for (int c = 6; c >= 0; --c) {
        if (state.selectedRow >= firstRows[c]) {
            const int n = (state.selectedRow - firstRows[c]) % divisors[c];
            const bool header = state.selectedRow == firstRows[c] - 1 && c > 0;
            bottle = header ? "" : std::string(stems[c]) + std::to_string(n) + ".png";
            break;
        }
    }
    for (int c = 1; c < 7; ++c) {
        if (state.selectedRow == firstRows[c] - 1) {
            bottle.clear();
        }
    }
    cabinet(cr, images, kContainer.left, kContainer.top, bottle);
    label(cr, programName(state.selectedRow), kProgramName);

    // The list: white rows, a gold bar on the selected one, the dark thumb.
    const double rowHeight = 16;
    const int visibleRows = static_cast<int>(kProgramList.height() / rowHeight);
    const int firstRow = std::max(0, state.selectedRow - visibleRows / 2);
    cairo_save(cr);
    cairo_rectangle(cr, kProgramList.left, kProgramList.top, kProgramList.width(),
                    kProgramList.height());
    cairo_clip(cr);
    for (int i = 0; i <= visibleRows; ++i) {
        const int row = firstRow + i;
        const double y = kProgramList.top + i * rowHeight;
        if (row == state.selectedRow) {
            cairo_rectangle(cr, kProgramList.left, y, kProgramList.width() - kListScrollbarWidth,
                            rowHeight);
            cairo_set_source_rgb(cr, 253 / 255.0, 203 / 255.0, 10 / 255.0);
            cairo_fill(cr);
        }
        text(cr, programName(row), kProgramList.left + 3, y + 12, 12, 1, 1, 1);
    }
    const double track = kProgramList.height();
    const double thumb = std::max(12.0, track * visibleRows / 177);
    const double thumbY = kProgramList.top + (track - thumb) * firstRow / (177 - visibleRows);
    cairo_rectangle(cr, kProgramList.right - kListScrollbarWidth + 3, thumbY,
                    kListScrollbarWidth - 6, thumb);
    cairo_set_source_rgb(cr, 33 / 255.0, 33 / 255.0, 33 / 255.0);
    cairo_fill(cr);
    cairo_restore(cr);

    for (int c = 0; c < 7; ++c) {
        blit(cr, images.get(kCategoryButtons[c]), kCategoryColumn.left,
             kCategoryColumn.top + c * kCategoryButtonHeight, 115, 29,
             c == state.pressedCategory ? 29 : 0);
    }
}

void caption(cairo_t* cr, const std::string& s, double x, double y) {
    text(cr, s, x, y, 12, 0.75, 0.72, 0.66);
}

int renderSheet(const char* path) {
    Images images;

    const int width = 1226, height = 668;
    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(sheet);
    cairo_set_source_rgb(cr, 0.11, 0.11, 0.12);
    cairo_paint(cr);

    // The face as the editor composes it: "Kicks" chosen with its category
    // button, the knob at 1, the next button held down.
    cairo_save(cr);
    cairo_translate(cr, 16, 30);
    caption(cr, "The face: \"Kicks\" chosen, Funkiness 1, next button held", 0, -10);
    face(cr, images, FaceState{19, "1 osc", 2, 1, true});
    cairo_restore(cr);

    // The knob across its range, at the frames of the seven whole values.
    const double sx = 618;
    caption(cr, "Knob: frames 0, 5, 10, 15, 19, 24, 29", sx, 20);
    const int knobFrames[] = {0, 5, 10, 15, 19, 24, 29};
    for (int i = 0; i < 7; ++i) {
        const double x = sx + i * 84;
        cairo_save(cr);
        cairo_translate(cr, x - 276, 30 - 86);
        blitRegion(cr, images.get("background.png"), 276, 86, 88, 88, 276, 86);
        blit(cr, images.get("animknob.png"), 296, 106, 48, 48, 48.0 * knobFrames[i]);
        label(cr, std::to_string(i - 3) + " osc", artgen::kKnobValueLabel);
        label(cr, "Funkiness", artgen::kKnobNameLabel);
        cairo_restore(cr);
    }

    // Every button, released beside pressed.
    caption(cr, "Buttons: released | pressed", sx, 142);
    blit(cr, images.get("prevprog.png"), sx, 152, 63, 226);
    blit(cr, images.get("prevprog.png"), sx + 68, 152, 63, 226, 226);
    blit(cr, images.get("nextprog.png"), sx + 146, 152, 63, 226);
    blit(cr, images.get("nextprog.png"), sx + 214, 152, 63, 226, 226);
    const double cx = sx + 296;
    blit(cr, images.get("kestrovalian.png"), cx, 152, 145, 29);
    blit(cr, images.get("kestrovalian.png"), cx + 150, 152, 145, 29, 29);
    for (int c = 0; c < 7; ++c) {
        blit(cr, images.get(kCategoryButtons[c]), cx + 15, 190 + 29 * c, 115, 29);
        blit(cr, images.get(kCategoryButtons[c]), cx + 165, 190 + 29 * c, 115, 29, 29);
    }

    // One bottle of each category in its cabinet under the shine.
    caption(cr, "Bottles: favorites, drums, leads, bass, pads, lasers, other", 16, 420);
    const char* const bottles[] = {"bottle_default0.png", "bottle_drums4.png", "bottle_leads8.png",
                                   "bottle_bass7.png",    "bottle_pads5.png",  "bottle_lasers6.png",
                                   "bottle_other3.png"};
    for (int i = 0; i < 7; ++i) {
        const double x = 16 + i * 172;
        blitRegion(cr, images.get("background.png"), x, 430, 162, 213, artgen::kContainer.left,
                   artgen::kContainer.top);
        cairo_save(cr);
        cairo_rectangle(cr, x, 430, 162, 213);
        cairo_clip(cr);
        cairo_translate(cr, x - artgen::kContainer.left, 430 - artgen::kContainer.top);
        blit(cr, images.get("animknob.png"), artgen::kKnob.left, artgen::kKnob.top, 48, 48,
             48.0 * knobFrames[i]);
        label(cr, std::to_string(i - 3) + " osc", artgen::kKnobValueLabel);
        label(cr, "Funkiness", artgen::kKnobNameLabel);
        cairo_restore(cr);
        cabinet(cr, images, x, 430, bottles[i]);
        text(cr, bottles[i], x + 81, 660, 11, 0.75, 0.72, 0.66, true);
    }

    cairo_destroy(cr);
    // A sheet with a picture missing is not written: the lines above said which.
    std::string error;
    const bool written = !images.failed && writePngFile(sheet, path, error);
    cairo_surface_destroy(sheet);
    if (!error.empty()) {
        std::cerr << "facerender: " << error << "\n";
    }
    return written ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    OutputFile::handleSignals("facerender");
    if (argc != 2) {
        std::cerr << "usage: amber_facerender OUTPUT.png\n";
        return 2;
    }
    amber::registerInstrumentImages();
    const int result = renderSheet(argv[1]);
    // Releases cairo's and fontconfig's caches, so leak checkers see a clean exit.
    cairo_debug_reset_static_data();
    FcFini();
    return result;
}
