#pragma once

#include "gui/cscrollview.h"

namespace VSTGUI {

class CDataBrowser;
class CDrawContext;

// What a data browser shows: rows of cells drawn by the delegate.
class IDataBrowserDelegate {
public:
    enum DrawFlags { kRowSelected = 1 << 1 };

    virtual ~IDataBrowserDelegate() = default;
    virtual int32 dbGetNumRows(CDataBrowser* browser) = 0;
    // The height of one row, in pixels (at least 1 is used).
    virtual CCoord dbGetRowHeight(CDataBrowser* browser) = 0;
    // Draws a row into size (browser coordinates, already scrolled).
    virtual void dbDrawCell(CDrawContext* context, const CRect& size, int32 row, int32 flags,
                            CDataBrowser* browser) = 0;
    // Called after the selected row changed (and only then).
    virtual void dbSelectionChanged(CDataBrowser*) {}
    virtual void dbAttached(CDataBrowser*) {}
    virtual void dbRemoved(CDataBrowser*) {}
};

// A scrolling list of rows with one selected row. A left click selects the
// row under it; the wheel and the scroll bar scroll. The delegate, when it is
// reference counted, is remembered for the browser's life (its creator may drop
// its own reference once the browser holds it). GUI thread only.
class CDataBrowser : public CScrollView {
public:
    static constexpr int32 kNoSelection = -1;

    // The frame argument is accepted for compatibility, like a container's.
    CDataBrowser(const CRect& size, CFrame* pParent, IDataBrowserDelegate* db, int32 style = 0,
                 CCoord scrollbarWidth = 16, CBitmap* pBackground = nullptr);
    ~CDataBrowser() override;

    int32 getSelectedRow() const { return m_selectedRow; }
    // Selects the row (out of range clears the selection) and tells the
    // delegate, only when the selection changes. With makeVisible the list
    // scrolls as little as needed to show the row.
    void setSelectedRow(int32 row, bool makeVisible = false);
    // Scrolls as little as needed to show the row.
    void makeRowVisible(int32 row);

    int32 getNumRows() const;
    CCoord getRowHeight() const;
    // The row under a point in the browser's parent coordinates, or -1.
    int32 getRowAt(const CPoint& where) const;
    // A row's rectangle in the browser's own coordinates, scrolling applied.
    CRect getRowRect(int32 row) const;
    IDataBrowserDelegate* getDelegate() const { return m_delegate; }

    CCoord getContentHeight() const override;
    CCoord getWheelStep() const override;
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool attached(CView* parent) override;
    bool removed(CView* parent) override;

private:
    IDataBrowserDelegate* m_delegate;
    int32 m_selectedRow = kNoSelection;
};

} // namespace VSTGUI
