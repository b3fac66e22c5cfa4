#include "gui/cdatabrowser.h"

#include "gui/cdrawcontext.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {
namespace {
constexpr int32 kWheelRows = 3;
} // namespace

CDataBrowser::CDataBrowser(const CRect& size, CFrame*, IDataBrowserDelegate* db, int32 style,
                           CCoord scrollbarWidth, CBitmap* pBackground)
    : CScrollView(size, style, scrollbarWidth, pBackground), m_delegate(db) {
    if (auto* object = dynamic_cast<CBaseObject*>(m_delegate))
        object->remember();
}

CDataBrowser::~CDataBrowser() {
    // The children go first: the delegate may be asked nothing after this.
    removeAll(true);
    if (auto* object = dynamic_cast<CBaseObject*>(m_delegate))
        object->forget();
}

int32 CDataBrowser::getNumRows() const {
    return m_delegate != nullptr
               ? std::max(0, m_delegate->dbGetNumRows(const_cast<CDataBrowser*>(this)))
               : 0;
}

CCoord CDataBrowser::getRowHeight() const {
    if (m_delegate == nullptr)
        return 1;
    const CCoord h = m_delegate->dbGetRowHeight(const_cast<CDataBrowser*>(this));
    return std::isfinite(h) && h >= 1 ? h : 1;
}

CCoord CDataBrowser::getContentHeight() const {
    return getNumRows() * getRowHeight();
}

CCoord CDataBrowser::getWheelStep() const {
    return kWheelRows * getRowHeight();
}

CRect CDataBrowser::getRowRect(int32 row) const {
    const CCoord h = getRowHeight();
    const CCoord top = row * h - getScrollOffset();
    return CRect(0, top, getVisibleArea().right, top + h);
}

int32 CDataBrowser::getRowAt(const CPoint& where) const {
    const CPoint local(where.x - m_size.left, where.y - m_size.top);
    if (!getVisibleArea().pointInside(local))
        return -1;
    const auto row = static_cast<int32>(std::floor((local.y + getScrollOffset()) / getRowHeight()));
    return row >= 0 && row < getNumRows() ? row : -1;
}

void CDataBrowser::makeRowVisible(int32 row) {
    if (row < 0 || row >= getNumRows())
        return;
    const CCoord h = getRowHeight();
    makeRangeVisible(row * h, (row + 1) * h);
}

void CDataBrowser::setSelectedRow(int32 row, bool makeVisible) {
    if (row < 0 || row >= getNumRows())
        row = kNoSelection;
    if (makeVisible)
        makeRowVisible(row);
    if (row == m_selectedRow)
        return;
    m_selectedRow = row;
    setDirty(true);
    if (m_delegate != nullptr)
        m_delegate->dbSelectionChanged(this);
}

void CDataBrowser::draw(CDrawContext* context) {
    drawBackgroundRect(context, m_size);
    context->saveGlobalState();
    context->offset(m_size.left, m_size.top);
    const CRect visible = getVisibleArea();
    context->saveGlobalState();
    context->clipRect(visible);
    if (m_delegate != nullptr) {
        const CCoord h = getRowHeight();
        const int32 rows = getNumRows();
        const auto first = static_cast<int32>(std::floor(getScrollOffset() / h));
        for (int32 row = std::max(0, first); row < rows; ++row) {
            const CRect r = getRowRect(row);
            if (r.top >= visible.bottom)
                break;
            const int32 flags = row == m_selectedRow ? IDataBrowserDelegate::kRowSelected : 0;
            m_delegate->dbDrawCell(context, r, row, flags, this);
        }
    }
    context->restoreGlobalState();
    context->clipRect(CRect(0, 0, m_size.getWidth(), m_size.getHeight()));
    for (CView* child : m_children)
        child->drawView(context);
    context->restoreGlobalState();
}

CMouseEventResult CDataBrowser::onMouseDown(CPoint& where, const CButtonState& buttons) {
    const CMouseEventResult result = CViewContainer::onMouseDown(where, buttons);
    if (result != kMouseEventNotHandled)
        return result;
    if (!buttons.isLeftButton())
        return kMouseEventNotHandled;
    const int32 row = getRowAt(where);
    if (row >= 0)
        setSelectedRow(row);
    return kMouseEventHandled;
}

bool CDataBrowser::attached(CView* parent) {
    if (!CScrollView::attached(parent))
        return false;
    if (m_delegate != nullptr)
        m_delegate->dbAttached(this);
    return true;
}

bool CDataBrowser::removed(CView* parent) {
    if (m_delegate != nullptr)
        m_delegate->dbRemoved(this);
    return CScrollView::removed(parent);
}

} // namespace VSTGUI
