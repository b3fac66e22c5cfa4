#pragma once

#include "gui/cbaseobject.h"

#include <string>

namespace VSTGUI {

enum CTxtFace : int32 {
    kNormalFace = 0,
    kBoldFace = 1 << 1,
    kItalicFace = 1 << 2,
};

// A font by family name, size in pixels and style bits. The family is resolved
// by fontconfig when text is drawn ("Arial" finds a metric-compatible face).
// Reference counted like views: whoever shares one (an editor and its labels)
// holds a reference, so a view never borrows a font it does not hold.
class CFontDesc : public CBaseObject {
public:
    CFontDesc(UTF8StringPtr name = "Arial", CCoord size = 12, int32 style = kNormalFace)
        : m_name(name ? name : ""), m_size(size), m_style(style) {}

    UTF8StringPtr getName() const { return m_name.c_str(); }
    CCoord getSize() const { return m_size; }
    int32 getStyle() const { return m_style; }
    void setName(UTF8StringPtr name) { m_name = name ? name : ""; }
    void setSize(CCoord size) { m_size = size; }
    void setStyle(int32 style) { m_style = style; }

private:
    std::string m_name;
    CCoord m_size;
    int32 m_style;
};

using CFontRef = CFontDesc*;

} // namespace VSTGUI
