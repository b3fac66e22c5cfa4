#pragma once

#include "gui/resourceregistry.h"

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Decoding and pixel access for the image tests.
namespace imagetest {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

// Decodes PNG bytes with cairo; null when cairo cannot read them.
inline Surface decodePng(const unsigned char* data, std::size_t size) {
    struct Reader {
        const unsigned char* data;
        std::size_t size;
        std::size_t pos;
    } reader{data, size, 0};
    auto read = [](void* closure, unsigned char* out, unsigned int length) {
        auto* r = static_cast<Reader*>(closure);
        if (r->size - r->pos < length) {
            return CAIRO_STATUS_READ_ERROR;
        }
        std::copy(r->data + r->pos, r->data + r->pos + length, out);
        r->pos += length;
        return CAIRO_STATUS_SUCCESS;
    };
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(read, &reader);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    return Surface(s);
}

// The embedded image of that name, decoded; null when missing or unreadable.
inline Surface loadEmbedded(const std::string& name) {
    const VSTGUI::EmbeddedResource* r = VSTGUI::findEmbeddedResource(name.c_str());
    return r ? decodePng(r->data, r->size) : nullptr;
}

// One pixel with straight (not premultiplied) colour.
struct Pixel {
    int r, g, b, a;
};

inline Pixel pixelAt(cairo_surface_t* s, int x, int y) {
    const unsigned char* row = cairo_image_surface_get_data(s) +
                               static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(s);
    std::uint32_t v;
    std::copy(row + 4 * x, row + 4 * x + 4, reinterpret_cast<unsigned char*>(&v));
    const int a = static_cast<int>(v >> 24);
    auto straight = [a](std::uint32_t c) {
        return a == 0 ? 0 : static_cast<int>((c * 255 + a / 2) / a);
    };
    return Pixel{straight((v >> 16) & 255), straight((v >> 8) & 255), straight(v & 255), a};
}

inline int width(cairo_surface_t* s) {
    return cairo_image_surface_get_width(s);
}
inline int height(cairo_surface_t* s) {
    return cairo_image_surface_get_height(s);
}

// The share of pixels (0..1) that differ clearly between two equally sized
// regions of one image, given by their top rows.
inline double differingShare(cairo_surface_t* s, int topA, int topB, int rows) {
    int differing = 0;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < width(s); ++x) {
            const Pixel a = pixelAt(s, x, topA + y);
            const Pixel b = pixelAt(s, x, topB + y);
            const int d = std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) +
                          std::abs(a.a - b.a);
            differing += d > 24 ? 1 : 0;
        }
    }
    return static_cast<double>(differing) / (rows * width(s));
}

} // namespace imagetest
