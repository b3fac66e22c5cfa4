#pragma once

#include "gui/cbaseobject.h"
#include "gui/ccolor.h"
#include "gui/cdatabrowser.h"
#include "gui/cfont.h"

#include <string>
#include <vector>

namespace VSTGUI {

class GenericStringListDataBrowserSource;

// Told when the user (or setSelectedRow) picks another row of the list.
class IGenericStringListDataBrowserSourceSelectionChanged {
public:
    virtual ~IGenericStringListDataBrowserSourceSelectionChanged() = default;
    virtual void dbSelectionChanged(int32 selectedRow,
                                    GenericStringListDataBrowserSource* source) = 0;
};

// A data browser delegate showing one string per row. It reads the caller's
// list in place: the list must outlive the source and may change between
// redraws. GUI thread only.
class GenericStringListDataBrowserSource : public CBaseObject, public IDataBrowserDelegate {
public:
    using StringVector = std::vector<std::string>;

    GenericStringListDataBrowserSource(
        const StringVector* stringList,
        IGenericStringListDataBrowserSourceSelectionChanged* delegate = nullptr);
    ~GenericStringListDataBrowserSource() override;

    // Colours, font and row height. A null font keeps the source's own
    // ("Arial" 12); a row height below 1 is worked out from the font.
    void setupUI(const CColor& selectionColor, const CColor& fontColor, const CColor& rowlineColor,
                 const CColor& rowBackColor, const CColor& rowAlternateBackColor,
                 CFontRef font = nullptr, int32 rowHeight = -1, CCoord textInset = 2.);

    void setStringList(const StringVector* stringList);
    const StringVector* getStringList() const { return m_stringList; }
    CFontRef getFont() const { return m_pFont; }
    const CColor& getSelectionColor() const { return m_selectionColor; }

    int32 dbGetNumRows(CDataBrowser* browser) override;
    CCoord dbGetRowHeight(CDataBrowser* browser) override;
    void dbDrawCell(CDrawContext* context, const CRect& size, int32 row, int32 flags,
                    CDataBrowser* browser) override;
    void dbSelectionChanged(CDataBrowser* browser) override;

private:
    const StringVector* m_stringList;
    IGenericStringListDataBrowserSourceSelectionChanged* m_delegate;
    CFontRef m_pFont;
    CColor m_selectionColor = CColor(164, 205, 255, 255);
    CColor m_fontColor = kBlackCColor;
    CColor m_rowlineColor = CColor(0, 0, 0, 0);
    CColor m_rowBackColor = kWhiteCColor;
    CColor m_rowAlternateBackColor = kWhiteCColor;
    int32 m_rowHeight = -1;
    CCoord m_textInset = 2.;
    CCoord m_measuredRowHeight = 0;
};

} // namespace VSTGUI
