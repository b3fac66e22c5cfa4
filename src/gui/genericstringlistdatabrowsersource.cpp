#include "gui/genericstringlistdatabrowsersource.h"

#include "gui/cdrawcontext.h"

#include <cairo.h>
#include <climits>
#include <cmath>

namespace VSTGUI {

GenericStringListDataBrowserSource::GenericStringListDataBrowserSource(
    const StringVector* stringList, IGenericStringListDataBrowserSourceSelectionChanged* delegate)
    : m_stringList(stringList), m_delegate(delegate), m_pFont(new CFontDesc("Arial", 12)) {}

GenericStringListDataBrowserSource::~GenericStringListDataBrowserSource() {
    m_pFont->forget();
}

void GenericStringListDataBrowserSource::setupUI(const CColor& selectionColor,
                                                 const CColor& fontColor,
                                                 const CColor& rowlineColor,
                                                 const CColor& rowBackColor,
                                                 const CColor& rowAlternateBackColor, CFontRef font,
                                                 int32 rowHeight, CCoord textInset) {
    m_selectionColor = selectionColor;
    m_fontColor = fontColor;
    m_rowlineColor = rowlineColor;
    m_rowBackColor = rowBackColor;
    m_rowAlternateBackColor = rowAlternateBackColor;
    if (font != nullptr && font != m_pFont) {
        font->remember();
        m_pFont->forget();
        m_pFont = font;
    }
    m_rowHeight = rowHeight;
    m_textInset = textInset;
    m_measuredRowHeight = 0;
}

void GenericStringListDataBrowserSource::setStringList(const StringVector* stringList) {
    m_stringList = stringList;
}

int32 GenericStringListDataBrowserSource::dbGetNumRows(CDataBrowser*) {
    if (m_stringList == nullptr)
        return 0;
    return m_stringList->size() > static_cast<std::size_t>(INT_MAX)
               ? INT_MAX
               : static_cast<int32>(m_stringList->size());
}

CCoord GenericStringListDataBrowserSource::dbGetRowHeight(CDataBrowser*) {
    if (m_rowHeight > 0)
        return m_rowHeight;
    if (m_measuredRowHeight <= 0) {
        // The font's line height with a pixel of air above and below.
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
        cairo_t* cr = cairo_create(surface);
        {
            CDrawContext context(cr);
            context.setFont(m_pFont);
            m_measuredRowHeight = std::ceil(context.getFontHeight()) + 2;
        }
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
        if (!(m_measuredRowHeight >= 1))
            m_measuredRowHeight = m_pFont->getSize() + 2;
    }
    return m_measuredRowHeight;
}

void GenericStringListDataBrowserSource::dbDrawCell(CDrawContext* context, const CRect& size,
                                                    int32 row, int32 flags, CDataBrowser*) {
    const CColor& back = (row % 2) ? m_rowAlternateBackColor : m_rowBackColor;
    if (back.alpha != 0) {
        context->setFillColor(back);
        context->drawRect(size, kDrawFilled);
    }
    if (flags & kRowSelected) {
        context->setFillColor(m_selectionColor);
        context->drawRect(size, kDrawFilled);
    }
    if (m_stringList != nullptr && row >= 0 &&
        static_cast<std::size_t>(row) < m_stringList->size()) {
        CRect textRect = size;
        textRect.left += m_textInset;
        textRect.right -= m_textInset;
        context->setFont(m_pFont);
        context->setFontColor(m_fontColor);
        context->drawString((*m_stringList)[static_cast<std::size_t>(row)].c_str(), textRect,
                            kLeftText);
    }
    if (m_rowlineColor.alpha != 0) {
        context->setFrameColor(m_rowlineColor);
        context->drawLine(CPoint(size.left, size.bottom - 0.5),
                          CPoint(size.right, size.bottom - 0.5));
    }
}

void GenericStringListDataBrowserSource::dbSelectionChanged(CDataBrowser* browser) {
    if (m_delegate != nullptr)
        m_delegate->dbSelectionChanged(browser->getSelectedRow(), this);
}

} // namespace VSTGUI
