#pragma once

#include "gui/ccolor.h"
#include "gui/cdrawcontext.h"
#include "gui/cview.h"

#include <string>

namespace VSTGUI {

// Style bits of a text label.
enum CParamDisplayStyle : int32 {
    kNoTextStyle = 1 << 1, // draws no text
    kNoFrame = 1 << 2,     // draws no frame
    kNoDrawStyle = 1 << 3, // draws nothing but the background bitmap
};

// One line of text over a background colour, a frame and an optional bitmap.
// Defaults: "Arial" 12, white text, centred, black back and frame colours,
// not transparent. A transparent label draws neither back nor frame.
// GUI thread only.
class CTextLabel : public CView {
public:
    CTextLabel(const CRect& size, UTF8StringPtr txt = nullptr, CBitmap* background = nullptr,
               const int32 style = 0);
    ~CTextLabel() override;

    // Sets the text (null is empty) and redraws when it changed.
    virtual void setText(UTF8StringPtr txt);
    UTF8StringPtr getText() const { return m_text.c_str(); }

    // The font; the label keeps its own reference. Null restores the default.
    void setFont(CFontRef font);
    CFontRef getFont() const { return m_pFont; }
    void setFontColor(const CColor& color) { setDrawnProperty(m_fontColor, color); }
    const CColor& getFontColor() const { return m_fontColor; }
    void setBackColor(const CColor& color) { setDrawnProperty(m_backColor, color); }
    const CColor& getBackColor() const { return m_backColor; }
    void setFrameColor(const CColor& color) { setDrawnProperty(m_frameColor, color); }
    const CColor& getFrameColor() const { return m_frameColor; }
    void setHoriAlign(CHoriTxtAlign align) { setDrawnProperty(m_horiAlign, align); }
    CHoriTxtAlign getHoriAlign() const { return m_horiAlign; }
    void setTransparency(bool val) { setDrawnProperty(m_transparent, val); }
    bool getTransparency() const { return m_transparent; }
    void setStyle(int32 style) { setDrawnProperty(m_style, style); }
    int32 getStyle() const { return m_style; }

    void draw(CDrawContext* context) override;

private:
    std::string m_text;
    CFontRef m_pFont;
    CColor m_fontColor = kWhiteCColor;
    CColor m_backColor = kBlackCColor;
    CColor m_frameColor = kBlackCColor;
    CHoriTxtAlign m_horiAlign = kCenterText;
    bool m_transparent = false;
    int32 m_style;
};

} // namespace VSTGUI
