#include "vstguieditor/bottleview.h"

#include "gui/animation.h"
#include "gui/cbitmap.h"

#include <cstdio>
#include <cstring>

using namespace VSTGUI;

const CRect BottleView::kBottleRect(18, 11, 145, 229);
const CRect BottleView::kShineRect(0, 0, 160, 211);

namespace {

// The rows of each category's bottles and how many pictures the category
// cycles through. The favourites row always shows its first picture.
struct BottleKind {
    const char* stem;
    int32 firstRow;
    int32 lastRow; // -1: up to the last row
    int32 pictures;
};

constexpr BottleKind kBottleKinds[] = {
    {"bottle_default", 0, 0, 1},  {"bottle_drums", 2, 6, 5},  {"bottle_leads", 8, 35, 9},
    {"bottle_bass", 37, 68, 8},   {"bottle_pads", 70, 82, 7}, {"bottle_lasers", 84, 146, 8},
    {"bottle_other", 148, -1, 8},
};

const char* const kShinePicture = "container_shine.png";
const char* const kExchangeAnimationName = "ExchangeViewAnimation";

} // namespace

BottleView::BottleView(const CRect& size, CFrame* pParent, CBitmap* pBackground, int32 numRows)
    : CViewContainer(size, pParent, pBackground) {
    m_numRows = numRows > 0 ? numRows : 0;
    m_bottleKinds.assign(static_cast<std::size_t>(m_numRows), std::string());
    for (const BottleKind& kind : kBottleKinds) {
        const int32 last = kind.lastRow < 0 ? m_numRows - 1 : kind.lastRow;
        for (int32 row = kind.firstRow; row <= last && row < m_numRows; ++row) {
            m_bottleKinds[static_cast<std::size_t>(row)] = kind.stem;
        }
    }

    m_currentIndex = 0;
    m_pCurrentBottle = bottleViewForRow(0);
    addView(m_pCurrentBottle);

    CBitmap* shineBitmap = new CBitmap(CResourceDescription(kShinePicture));
    m_pShine = new CView(kShineRect);
    m_pShine->setBackground(shineBitmap);
    addView(m_pShine);
    shineBitmap->forget();
}

BottleView::~BottleView() = default;

std::string BottleView::pictureNameForRow(int32 row) const {
    if (row < 0 || row >= m_numRows) {
        return std::string();
    }
    const std::string& stem = m_bottleKinds[static_cast<std::size_t>(row)];
    if (stem.empty()) {
        return std::string();
    }
    int32 number = 0;
    for (const BottleKind& kind : kBottleKinds) {
        if (stem == kind.stem) {
            number = (row - kind.firstRow) % kind.pictures;
            break;
        }
    }
    return stem + std::to_string(number) + ".png";
}

CView* BottleView::bottleViewForRow(int32 row) {
    CView* view = new CView(kBottleRect);
    const std::string picture = pictureNameForRow(row);
    if (!picture.empty()) {
        CBitmap* bitmap = new CBitmap(CResourceDescription(picture.c_str()));
        view->setBackground(bitmap);
        bitmap->forget();
    }
    return view;
}

void BottleView::previousBottle(int32 row) {
    m_currentIndex = row < 0 ? m_currentIndex - 1 : row;
    if (m_currentIndex < 0) {
        m_currentIndex = m_numRows - 1;
    }
    std::printf("currentbottle idx: %d, index=%d\n", m_currentIndex, row);
    exchangeBottle(m_pCurrentBottle, Animation::ExchangeViewAnimation::kPushInFromLeft);
}

void BottleView::nextBottle(int32 row) {
    const int32 oldIndex = m_currentIndex;
    if (row >= 0) {
        m_currentIndex = row;
    } else {
        m_currentIndex = m_numRows > 0 ? (oldIndex + 1) % m_numRows : 0;
    }
    std::printf("next animation: %d to %d\n", oldIndex, m_currentIndex);
    exchangeBottle(m_pCurrentBottle, Animation::ExchangeViewAnimation::kPushInFromRight);
}

void BottleView::exchangeBottle(CView* oldBottle, int style) {
    m_pCurrentBottle = bottleViewForRow(m_currentIndex);
    auto* timing = new Animation::LinearTimingFunction(kExchangeMs);
    // Making the exchange puts the new bottle on top of this container, above
    // the shine; a still running exchange is finished when the new one starts.
    auto* exchange = new Animation::ExchangeViewAnimation(
        oldBottle, m_pCurrentBottle,
        static_cast<Animation::ExchangeViewAnimation::AnimationStyle>(style));
    addAnimation(kExchangeAnimationName, exchange, timing, nullptr);
    // With old bottle, new bottle and shine present, position 3 is the top.
    changeViewZOrder(m_pShine, 3);
}
