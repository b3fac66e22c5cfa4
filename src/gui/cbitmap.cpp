#include "gui/cbitmap.h"

#include "gui/cdrawcontext.h"
#include "gui/resourceregistry.h"

#include <cairo.h>
#include <cstring>

namespace VSTGUI {
namespace {

struct PngReader {
    const unsigned char* data;
    std::size_t size;
    std::size_t position;
};

cairo_status_t readPng(void* closure, unsigned char* out, unsigned int length) {
    auto* reader = static_cast<PngReader*>(closure);
    if (reader->size - reader->position < length)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data + reader->position, length);
    reader->position += length;
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

IPlatformBitmap::IPlatformBitmap(cairo_surface_t* surface) : m_surface(surface) {}

IPlatformBitmap::~IPlatformBitmap() {
    cairo_surface_destroy(m_surface);
}

int32 IPlatformBitmap::getWidth() const {
    return cairo_image_surface_get_width(m_surface);
}

int32 IPlatformBitmap::getHeight() const {
    return cairo_image_surface_get_height(m_surface);
}

CBitmap::CBitmap(const CResourceDescription& desc) : m_resourceDesc(desc) {
    if (desc.type != CResourceDescription::kStringType)
        return;
    if (const EmbeddedResource* resource = findEmbeddedResource(desc.u.name))
        decode(resource->data, resource->size);
}

CBitmap::CBitmap(const unsigned char* pngData, std::size_t size) : m_resourceDesc(0) {
    decode(pngData, size);
}

CBitmap::~CBitmap() = default;

void CBitmap::decode(const unsigned char* data, std::size_t size) {
    if (data == nullptr || size == 0)
        return;
    PngReader reader{data, size, 0};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(readPng, &reader);
    // A damaged PNG gives an error surface, never null.
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return;
    }
    m_platformBitmap = std::make_unique<IPlatformBitmap>(surface);
}

CCoord CBitmap::getWidth() const {
    return m_platformBitmap ? m_platformBitmap->getWidth() : 0;
}

CCoord CBitmap::getHeight() const {
    return m_platformBitmap ? m_platformBitmap->getHeight() : 0;
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset, float alpha) {
    if (context == nullptr || !m_platformBitmap || rect.isEmpty())
        return;
    cairo_t* cr = context->getCairo();
    cairo_save(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_clip(cr);
    cairo_set_source_surface(cr, m_platformBitmap->getSurface(), rect.left - offset.x,
                             rect.top - offset.y);
    if (alpha >= 1.f)
        cairo_paint(cr);
    else
        cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
}

} // namespace VSTGUI
