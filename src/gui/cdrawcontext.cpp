#include "gui/cdrawcontext.h"

#include "gui/cbitmap.h"

#include <cairo.h>

namespace VSTGUI {
namespace {

void setSource(cairo_t* cr, const CColor& c) {
    cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

} // namespace

CDrawContext::CDrawContext(cairo_t* cr) : m_cr(cr) {}

CDrawContext::~CDrawContext() = default;

void CDrawContext::setFont(const CFontDesc* font) {
    if (font != nullptr) {
        m_font.setName(font->getName());
        m_font.setSize(font->getSize());
        m_font.setStyle(font->getStyle());
    } else {
        m_font = CFontDesc();
    }
}

void CDrawContext::applyFont() {
    const int32 style = m_font.getStyle();
    cairo_select_font_face(m_cr, m_font.getName(),
                           (style & kItalicFace) ? CAIRO_FONT_SLANT_ITALIC
                                                 : CAIRO_FONT_SLANT_NORMAL,
                           (style & kBoldFace) ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(m_cr, m_font.getSize());
}

void CDrawContext::drawRect(const CRect& rect, CDrawStyle style) {
    if (style == kDrawFilled || style == kDrawFilledAndStroked) {
        setSource(m_cr, m_fillColor);
        cairo_rectangle(m_cr, rect.left, rect.top, rect.getWidth(), rect.getHeight());
        cairo_fill(m_cr);
    }
    if (style == kDrawStroked || style == kDrawFilledAndStroked) {
        // Half a line width inwards keeps the stroke on the rectangle's pixels.
        const CCoord h = m_lineWidth / 2;
        setSource(m_cr, m_frameColor);
        cairo_set_line_width(m_cr, m_lineWidth);
        cairo_rectangle(m_cr, rect.left + h, rect.top + h, rect.getWidth() - m_lineWidth,
                        rect.getHeight() - m_lineWidth);
        cairo_stroke(m_cr);
    }
}

void CDrawContext::drawLine(const CPoint& from, const CPoint& to) {
    setSource(m_cr, m_frameColor);
    cairo_set_line_width(m_cr, m_lineWidth);
    cairo_move_to(m_cr, from.x, from.y);
    cairo_line_to(m_cr, to.x, to.y);
    cairo_stroke(m_cr);
}

void CDrawContext::drawString(UTF8StringPtr text, const CRect& rect, CHoriTxtAlign align) {
    if (text == nullptr || *text == '\0' || rect.isEmpty())
        return;
    cairo_save(m_cr);
    cairo_rectangle(m_cr, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_clip(m_cr);
    applyFont();
    cairo_font_extents_t font;
    cairo_font_extents(m_cr, &font);
    cairo_text_extents_t extents;
    cairo_text_extents(m_cr, text, &extents);
    CCoord x = rect.left;
    if (align == kCenterText)
        x = rect.left + (rect.getWidth() - extents.x_advance) / 2;
    else if (align == kRightText)
        x = rect.right - extents.x_advance;
    const CCoord y = rect.top + (rect.getHeight() - (font.ascent + font.descent)) / 2 + font.ascent;
    setSource(m_cr, m_fontColor);
    cairo_move_to(m_cr, x, y);
    cairo_show_text(m_cr, text);
    cairo_restore(m_cr);
}

CCoord CDrawContext::getStringWidth(UTF8StringPtr text) {
    if (text == nullptr)
        return 0;
    cairo_save(m_cr);
    applyFont();
    cairo_text_extents_t extents;
    cairo_text_extents(m_cr, text, &extents);
    cairo_restore(m_cr);
    return extents.x_advance;
}

CCoord CDrawContext::getFontHeight() {
    cairo_save(m_cr);
    applyFont();
    cairo_font_extents_t font;
    cairo_font_extents(m_cr, &font);
    cairo_restore(m_cr);
    return font.ascent + font.descent;
}

void CDrawContext::drawBitmap(CBitmap* bitmap, const CRect& dest, const CPoint& offset,
                              float alpha) {
    if (bitmap != nullptr)
        bitmap->draw(this, dest, offset, alpha);
}

void CDrawContext::saveGlobalState() {
    cairo_save(m_cr);
    m_saved.push_back({m_fillColor, m_frameColor, m_fontColor, m_font, m_lineWidth});
}

void CDrawContext::restoreGlobalState() {
    if (m_saved.empty())
        return;
    const SavedState& s = m_saved.back();
    m_fillColor = s.fill;
    m_frameColor = s.frame;
    m_fontColor = s.font;
    m_font = s.fontDesc;
    m_lineWidth = s.lineWidth;
    m_saved.pop_back();
    cairo_restore(m_cr);
}

void CDrawContext::clipRect(const CRect& rect) {
    cairo_rectangle(m_cr, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_clip(m_cr);
}

void CDrawContext::offset(CCoord dx, CCoord dy) {
    cairo_translate(m_cr, dx, dy);
}

} // namespace VSTGUI
