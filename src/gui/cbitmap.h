#pragma once

#include "gui/cbaseobject.h"
#include "gui/cgeometry.h"

#include <memory>
#include <string>

typedef struct _cairo_surface cairo_surface_t;

namespace VSTGUI {

class CDrawContext;

// Names an image resource: by number, or by the file name of an embedded PNG.
class CResourceDescription {
public:
    enum Type { kIntegerType, kStringType };

    CResourceDescription(int32 id) : type(kIntegerType), m_name() { u.id = id; }
    CResourceDescription(UTF8StringPtr name) : type(kStringType), m_name(name ? name : "") {
        u.name = m_name.c_str();
    }
    CResourceDescription(const CResourceDescription& o) : type(o.type), m_name(o.m_name) {
        if (type == kStringType)
            u.name = m_name.c_str();
        else
            u.id = o.u.id;
    }
    CResourceDescription& operator=(const CResourceDescription& o) {
        type = o.type;
        m_name = o.m_name;
        if (type == kStringType)
            u.name = m_name.c_str();
        else
            u.id = o.u.id;
        return *this;
    }

    Type type;
    union {
        int32 id;
        UTF8StringPtr name;
    } u;

private:
    std::string m_name;
};

// The decoded pixels of one image (a cairo image surface, premultiplied ARGB).
class IPlatformBitmap {
public:
    explicit IPlatformBitmap(cairo_surface_t* surface);
    ~IPlatformBitmap();
    IPlatformBitmap(const IPlatformBitmap&) = delete;
    IPlatformBitmap& operator=(const IPlatformBitmap&) = delete;

    cairo_surface_t* getSurface() const { return m_surface; }
    int32 getWidth() const;
    int32 getHeight() const;

private:
    cairo_surface_t* m_surface;
};

// An image made from an embedded PNG, decoded once when the bitmap is made.
// An unknown name or undecodable data leaves a bitmap of size 0 x 0 without a
// platform bitmap; drawing it draws nothing. GUI thread (or any one thread
// that owns it: decoding touches no shared state but the read-only registry).
class CBitmap : public CBaseObject {
public:
    // Looks up the resource by name (case does not matter) among the embedded
    // images and decodes it. Integer descriptions never find an image.
    explicit CBitmap(const CResourceDescription& desc);
    // Decodes a PNG held in memory (for images made at run time and tests).
    CBitmap(const unsigned char* pngData, std::size_t size);
    ~CBitmap() override;

    // Draws the part of the image that starts at offset into rect, clipped to
    // rect. Nothing happens without a platform bitmap.
    virtual void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint(),
                      float alpha = 1.f);

    CCoord getWidth() const;
    CCoord getHeight() const;
    // The decoded image, or null when the resource was missing or damaged.
    IPlatformBitmap* getPlatformBitmap() const { return m_platformBitmap.get(); }
    bool isLoaded() const { return m_platformBitmap != nullptr; }
    const CResourceDescription& getResourceDescription() const { return m_resourceDesc; }

private:
    void decode(const unsigned char* data, std::size_t size);

    CResourceDescription m_resourceDesc;
    std::unique_ptr<IPlatformBitmap> m_platformBitmap;
};

} // namespace VSTGUI
