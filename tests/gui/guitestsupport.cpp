#include "guitestsupport.h"

#include <cairo.h>
#include <deque>
#include <memory>

namespace guitest {

std::vector<unsigned char> makePng(int width, int height,
                                   const std::function<CColor(int x, int y)>& pixel) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x) {
            const CColor c = pixel(x, y);
            auto pre = [&c](unsigned v) { return (v * c.alpha + 127) / 255; };
            row[x] =
                (uint32_t(c.alpha) << 24) | (pre(c.red) << 16) | (pre(c.green) << 8) | pre(c.blue);
        }
    }
    cairo_surface_mark_dirty(surface);
    std::vector<unsigned char> png;
    cairo_surface_write_to_png_stream(
        surface,
        [](void* closure, const unsigned char* bytes, unsigned int length) {
            auto* out = static_cast<std::vector<unsigned char>*>(closure);
            out->insert(out->end(), bytes, bytes + length);
            return CAIRO_STATUS_SUCCESS;
        },
        &png);
    cairo_surface_destroy(surface);
    return png;
}

void registerTestImage(const std::string& name, std::vector<unsigned char> png) {
    struct Stored {
        std::string name;
        std::vector<unsigned char> bytes;
        EmbeddedResource entry;
    };
    static std::deque<Stored> stored;
    stored.push_back({name, std::move(png), {}});
    Stored& s = stored.back();
    s.entry = {s.name.c_str(), s.bytes.data(), s.bytes.size()};
    registerEmbeddedResources(&s.entry, 1);
}

CBitmap* makeBitmap(int width, int height, const std::function<CColor(int x, int y)>& pixel) {
    const std::vector<unsigned char> png = makePng(width, height, pixel);
    return new CBitmap(png.data(), png.size());
}

namespace {
template <CMouseEventResult (CFrame::*handler)(CPoint&, const CButtonState&)>
CMouseEventResult send(CFrame* frame, CCoord x, CCoord y, int32 buttons) {
    CPoint p(x, y);
    return (frame->*handler)(p, CButtonState(buttons));
}
} // namespace

CMouseEventResult down(CFrame* frame, CCoord x, CCoord y, int32 buttons) {
    return send<&CFrame::onMouseDown>(frame, x, y, buttons);
}
CMouseEventResult moveTo(CFrame* frame, CCoord x, CCoord y, int32 buttons) {
    return send<&CFrame::onMouseMoved>(frame, x, y, buttons);
}
CMouseEventResult up(CFrame* frame, CCoord x, CCoord y, int32 buttons) {
    return send<&CFrame::onMouseUp>(frame, x, y, buttons);
}

CMouseEventResult click(CFrame* frame, CCoord x, CCoord y, int32 buttons) {
    const CMouseEventResult pressed = down(frame, x, y, buttons);
    up(frame, x, y, buttons);
    return pressed;
}

void drag(CFrame* frame, std::initializer_list<CPoint> path, int32 buttons) {
    const CPoint* p = path.begin();
    down(frame, p->x, p->y, buttons);
    for (++p; p != path.end(); ++p)
        moveTo(frame, p->x, p->y, buttons);
    up(frame, (p - 1)->x, (p - 1)->y, buttons);
}

} // namespace guitest
