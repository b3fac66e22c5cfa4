#pragma once

#include "gui/ccolor.h"
#include "gui/cfont.h"
#include "gui/cgeometry.h"

#include <vector>

typedef struct _cairo cairo_t;

namespace VSTGUI {

class CBitmap;

enum CHoriTxtAlign { kLeftText = 0, kCenterText, kRightText };

enum CDrawStyle { kDrawStroked = 0, kDrawFilled, kDrawFilledAndStroked };

// The canvas views draw on: a cairo context over an image surface (the frame's
// back buffer, or any image surface for pictures). Coordinates are those of the
// view being drawn: a container shifts the origin to its own top-left corner
// for its children. GUI thread only.
class CDrawContext {
public:
    // Draws through the caller's cairo context, which must outlive this object.
    explicit CDrawContext(cairo_t* cr);
    ~CDrawContext();
    CDrawContext(const CDrawContext&) = delete;
    CDrawContext& operator=(const CDrawContext&) = delete;

    void setFillColor(const CColor& color) { m_fillColor = color; }
    void setFrameColor(const CColor& color) { m_frameColor = color; }
    void setFontColor(const CColor& color) { m_fontColor = color; }
    // The font for drawString; null selects the default "Arial" 12.
    void setFont(const CFontDesc* font);
    void setLineWidth(CCoord width) { m_lineWidth = width; }

    // Fills and/or strokes the rectangle with the fill and frame colours.
    void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked);
    void drawLine(const CPoint& from, const CPoint& to);
    // Draws one line of text vertically centred in rect, aligned horizontally,
    // clipped to rect. Null or empty text draws nothing.
    void drawString(UTF8StringPtr text, const CRect& rect, CHoriTxtAlign align = kCenterText);
    // The advance width of the text in the current font.
    CCoord getStringWidth(UTF8StringPtr text);
    // Ascent plus descent of the current font: the height one line of it needs.
    CCoord getFontHeight();
    // Draws the bitmap's pixels from offset on into dest (see CBitmap::draw).
    void drawBitmap(CBitmap* bitmap, const CRect& dest, const CPoint& offset = CPoint(),
                    float alpha = 1.f);

    // Save and restore the origin, the clip and the colours.
    void saveGlobalState();
    void restoreGlobalState();
    // Narrows the clip to rect (current coordinates).
    void clipRect(const CRect& rect);
    // Moves the origin by (dx, dy).
    void offset(CCoord dx, CCoord dy);

    cairo_t* getCairo() const { return m_cr; }

private:
    void applyFont();

    cairo_t* m_cr;
    CColor m_fillColor = kWhiteCColor;
    CColor m_frameColor = kBlackCColor;
    CColor m_fontColor = kWhiteCColor;
    CFontDesc m_font;
    CCoord m_lineWidth = 1;
    struct SavedState {
        CColor fill, frame, font;
        CFontDesc fontDesc;
        CCoord lineWidth;
    };
    std::vector<SavedState> m_saved;
};

} // namespace VSTGUI
