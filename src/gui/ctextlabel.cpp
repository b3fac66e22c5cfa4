#include "gui/ctextlabel.h"

namespace VSTGUI {

CTextLabel::CTextLabel(const CRect& size, UTF8StringPtr txt, CBitmap* background, const int32 style)
    : CView(size), m_text(txt ? txt : ""), m_pFont(new CFontDesc("Arial", 12)), m_style(style) {
    if (background != nullptr)
        setBackground(background);
}

CTextLabel::~CTextLabel() {
    m_pFont->forget();
}

void CTextLabel::setText(UTF8StringPtr txt) {
    const char* text = txt ? txt : "";
    if (m_text == text)
        return;
    m_text = text;
    setDirty(true);
}

void CTextLabel::setFont(CFontRef font) {
    if (font == m_pFont)
        return;
    if (font != nullptr)
        font->remember();
    else
        font = new CFontDesc("Arial", 12);
    m_pFont->forget();
    m_pFont = font;
    setDirty(true);
}

void CTextLabel::draw(CDrawContext* context) {
    if (!m_transparent && !(m_style & kNoDrawStyle)) {
        context->setFillColor(m_backColor);
        context->drawRect(m_size, kDrawFilled);
    }
    CView::draw(context);
    if (m_style & kNoDrawStyle)
        return;
    if (!(m_style & kNoTextStyle)) {
        context->setFont(m_pFont);
        context->setFontColor(m_fontColor);
        context->drawString(m_text.c_str(), m_size, m_horiAlign);
    }
    if (!m_transparent && !(m_style & kNoFrame)) {
        context->setFrameColor(m_frameColor);
        context->drawRect(m_size, kDrawStroked);
    }
}

} // namespace VSTGUI
