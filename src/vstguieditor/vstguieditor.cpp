#include "vstguieditor/vstguieditor.h"

#include "engine/factoryprograms.h"
#include "engine/synthengine.h"
#include "engine/synthparameter.h"
#include "engine/synthprogram.h"
#include "gui/canimknob.h"
#include "gui/cbitmap.h"
#include "gui/cdatabrowser.h"
#include "gui/cframe.h"
#include "gui/ctextlabel.h"
#include "platform/browser.h"
#include "plugin/vstinterface.h"
#include "vstguieditor/bottleview.h"
#include "vstguieditor/callbackbutton.h"
#include "vstguieditor/helpoverlay.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <new>

using namespace VSTGUI;

const char* const VSTGuiEditor::kMakerSite = "https://kestrovalian.example/";

namespace {

// The images open() loads, in the order it loads them.
enum Image {
    kAnimKnob,
    kBackground,
    kLogo,
    kPrevProg,
    kNextProg,
    kContainer,
    kFaves,
    kDrums,
    kLeads,
    kBass,
    kLasers,
    kPads,
    kOther,
    kNumImages
};

constexpr const char* kImageNames[kNumImages] = {
    "animknob.png",   "background.png", "kestrovalian.png", "prevprog.png", "nextprog.png",
    "container1.png", "at_faves.png",   "at_drums.png",     "at_leads.png", "at_bass.png",
    "at_lasers.png",  "at_pads.png",    "at_other.png",
};

constexpr int32 kKnobFrames = 30;
constexpr CCoord kKnobFrameHeight = 48;

// Transparent: the labels show the background's artwork behind their text.
constexpr CColor kClear(0, 0, 0, 0);
constexpr CColor kListSelection(253, 203, 10, 255);
constexpr CColor kListText(255, 255, 255, 255);
constexpr CColor kScroller(33, 33, 33, 255);

// The knob's rectangle; its labels sit right above and below it, 20 pixels
// tall and 20 pixels wider on each side.
const CRect kKnobRect(296, 106, 344, 154);

std::vector<VSTGuiEditor::WidgetSpec> buildWidgetTable() {
    const CRect& k = kKnobRect;
    return {
        {"CKnob", 0, k},
        {"ParamDisplay", 0, CRect(k.left - 20, k.bottom, k.right + 20, k.bottom + 20)},
        {"CTextLabel", 0, CRect(k.left - 20, k.top - 20, k.right + 20, k.top)},
        {"END", 0, CRect(0, 0, 0, 0)},
    };
}

void makeClearLabel(CTextLabel* label) {
    label->setTransparency(true);
    label->setBackColor(kClear);
    label->setFrameColor(kClear);
}

} // namespace

VSTGuiEditor::VSTGuiEditor(AudioEffect* effect)
    : AEffGUIEditor(effect), m_editorRect(0, 0, 578, 356),
      m_pFont(new CFontDesc("Arial", 12, kNormalFace)) {
    if (effect) {
        effect->setEditor(this);
    }
    resetControls();
}

VSTGuiEditor::~VSTGuiEditor() {
    // The views call back into this editor, so they must go before it does.
    // Closing ends a gesture in progress; a host told of that may open the
    // window once more.
    while (frame) {
        close();
    }
    // The labels hold their own references: a window whose close led the
    // host to delete this editor takes its labels apart afterwards.
    m_pFont->forget();
}

AEffEditor* createEditor(AudioEffect* effect) {
    return new (std::nothrow) VSTGuiEditor(effect);
}

bool VSTGuiEditor::getRect(ERect** rect) {
    m_vstRect.top = static_cast<VstInt16>(m_editorRect.top);
    m_vstRect.left = static_cast<VstInt16>(m_editorRect.left);
    m_vstRect.bottom = static_cast<VstInt16>(m_editorRect.bottom);
    m_vstRect.right = static_cast<VstInt16>(m_editorRect.right);
    if (rect) {
        *rect = &m_vstRect;
    }
    return true;
}

bool VSTGuiEditor::open(void* ptr) {
    claimGuiThread();
    // A host may open again without closing: the old window must not stay
    // behind with views that point into lists rebuilt below. Closing it ends
    // a gesture in progress, and the host told of that may close the plug-in
    // or open the window itself.
    const DeletionWatch watch(this);
    while (frame) {
        close();
        if (watch.deleted()) {
            return true;
        }
    }
    resetControls();

    m_pSynthEngine = static_cast<VstInterface*>(effect)->m_pSynthEngine;
    m_parameters.clear();
    if (const SynthProgram* program = m_pSynthEngine->getCurrentProgram()) {
        m_parameters = program->getParameters();
    }
    const int32 count = parameterCount();
    m_programNames.clear();
    // The host may rename programs meanwhile: copies, taken under the engine's lock.
    for (std::size_t i = 0; i < m_pSynthEngine->m_programs.size(); ++i) {
        m_programNames.push_back(m_pSynthEngine->programName(static_cast<int32_t>(i)));
    }
    m_knobs.assign(static_cast<std::size_t>(count), nullptr);
    m_paramDisplays.assign(static_cast<std::size_t>(count), nullptr);
    m_paramLabels.assign(static_cast<std::size_t>(count), nullptr);

    CBitmap* images[kNumImages];
    for (int i = 0; i < kNumImages; ++i) {
        images[i] = new CBitmap(CResourceDescription(kImageNames[i]));
    }
    if (!images[kAnimKnob]->isLoaded() || !images[kBackground]->isLoaded()) {
        std::printf("Error: Amber Threshold pixmaps not found on disk!\n");
        for (CBitmap* image : images) {
            image->forget();
        }
        return true;
    }

    CFrame* newFrame = new CFrame(m_editorRect, ptr, this);
    newFrame->setBackground(images[kBackground]);
    // The widgets are added to the window as they are made; the setParameter
    // below needs the window in place.
    frame = newFrame;
    walkWidgetTable(buildWidgetTable(), images[kAnimKnob]);
    images[kAnimKnob]->forget();
    images[kBackground]->forget();
    assert(m_pSynthEngine);

    for (int32 i = 0; i < count; ++i) {
        setParameter(i, effect->getParameter(i));
    }

    addCallbackButton(CRect(435, 2, 580, 31), images[kLogo], [this] { openMakerSite(); });
    addCallbackButton(CRect(138, 84, 201, 310), images[kPrevProg], [this] { previousProgram(); });
    addCallbackButton(CRect(380, 84, 443, 310), images[kNextProg], [this] { nextProgram(); });

    // The program list is made here but goes on top of the bottle and the
    // name label.
    auto* source = new GenericStringListDataBrowserSource(&m_programNames, this);
    source->setupUI(kListSelection, kListText, kClear, kClear, kClear, nullptr, -1);
    m_pProgramBrowser = new CDataBrowser(CRect(10, 84, 125, 304), frame, source,
                                         CScrollView::kVerticalScrollbar, 16, nullptr);
    // The list holds the source for its whole life.
    source->forget();

    m_pBottleView = new BottleView(CRect(209, 88, 371, 301), frame, images[kContainer],
                                   static_cast<int32>(m_pSynthEngine->m_programs.size()));
    frame->addView(m_pBottleView);
    images[kContainer]->forget();

    m_pProgramNameLabel = new CTextLabel(CRect(209, 62, 371, 76), "", nullptr, 0);
    makeClearLabel(m_pProgramNameLabel);
    frame->addView(m_pProgramNameLabel);

    if (CScrollbar* scrollbar = m_pProgramBrowser->getVerticalScrollbar()) {
        scrollbar->setScrollerColor(kScroller);
    }
    frame->addView(m_pProgramBrowser);

    // Top to bottom in the factory list's category order; each jumps to its
    // category's first row.
    constexpr Image kCategoryImages[] = {kFaves, kDrums, kLeads, kBass, kPads, kLasers, kOther};
    static_assert(std::size(kCategoryImages) == std::size(FACTORY_CATEGORY_ROWS));
    CCoord top = 94;
    for (std::size_t i = 0; i < std::size(kCategoryImages); ++i) {
        const int32 row = FACTORY_CATEGORY_ROWS[i];
        addCallbackButton(CRect(454, top, 569, top + 29), images[kCategoryImages[i]],
                          [this, row] { selectProgramRow(row); });
        top += 29;
    }
    return true;
}

void VSTGuiEditor::walkWidgetTable(const std::vector<WidgetSpec>& table, CBitmap* knobStrip) {
    if (!frame) {
        return;
    }
    int32 handled = 0;
    for (const WidgetSpec& row : table) {
        if (row.type == "END") {
            break;
        }
        const int32 index = row.paramIndex;
        const bool known = index >= 0 && index < static_cast<int32>(m_knobs.size()) &&
                           index < static_cast<int32>(m_parameters.size());
        const auto at = static_cast<std::size_t>(index);
        if (row.type == "CKnob") {
            if (known) {
                auto* knob = new CAnimKnob(row.rect, this, index, kKnobFrames, kKnobFrameHeight,
                                           knobStrip, CPoint(0, 0));
                frame->addView(knob);
                m_knobs[at] = knob;
            }
        } else if (row.type == "ParamDisplay") {
            if (known) {
                auto* label = new CTextLabel(row.rect, nullptr, nullptr, 0);
                makeClearLabel(label);
                frame->addView(label);
                m_paramDisplays[at] = label;
            }
        } else if (row.type == "CTextLabel") {
            if (known) {
                auto* label =
                    new CTextLabel(row.rect, m_parameters[at]->m_name.c_str(), nullptr, 0);
                label->setFont(m_pFont);
                makeClearLabel(label);
                frame->addView(label);
                m_paramLabels[at] = label;
            }
        } else {
            std::printf("Error: Unknown VST widget type!\n");
        }
        std::printf("%d\n", ++handled);
    }
}

void VSTGuiEditor::addCallbackButton(const CRect& size, CBitmap* image,
                                     std::function<void()> action) {
    frame->addView(new CallbackButton(size, image, std::move(action)));
    image->forget();
}

void VSTGuiEditor::close() {
    CFrame* oldFrame = frame;
    frame = nullptr;
    // These views go with the window.
    m_pHelpOverlay = nullptr;
    m_pBottleView = nullptr;
    m_pProgramNameLabel = nullptr;
    m_pProgramBrowser = nullptr;
    resetControls();
    if (oldFrame) {
        assert(m_pSynthEngine);
        // Last, as it may call back: a gesture in progress ends with the
        // host's end edit, and the host may answer that by closing the
        // plug-in (this editor with it) or by opening a new window. The host
        // may also close from inside a click of this window, which then lives
        // on until its event handling is done.
        oldFrame->close();
    }
}

void VSTGuiEditor::resetControls() {
    for (auto& knob : m_knobs) {
        knob = nullptr;
    }
    for (auto& label : m_paramDisplays) {
        label = nullptr;
    }
    for (auto& label : m_paramLabels) {
        label = nullptr;
    }
    m_knobs.clear();
    m_paramDisplays.clear();
    m_paramLabels.clear();
}

int32 VSTGuiEditor::parameterCount() const {
    if (!m_pSynthEngine || m_pSynthEngine->m_programs.empty()) {
        return 0;
    }
    return static_cast<int32>(m_pSynthEngine->m_programs[0].getParameters().size());
}

std::string VSTGuiEditor::parameterDisplay(int32 index) const {
    const SynthProgram* program = m_pSynthEngine ? m_pSynthEngine->getCurrentProgram() : nullptr;
    if (!program || index < 0 || index >= static_cast<int32>(program->getParameters().size())) {
        return std::string();
    }
    const SynthParameter* parameter = program->getParameters()[static_cast<std::size_t>(index)];
    return parameter ? parameter->getDisplay() : std::string();
}

void VSTGuiEditor::setParameter(VstInt32 index, float value) {
    // Views belong to the GUI thread; hosts automate from their audio or
    // automation thread, so such values wait for the next idle.
    if (!isGuiThread()) {
        postParameter(index, value);
        return;
    }
    // This value is newer than one another thread left for the next idle
    // (for example before the window opened, or before a program change).
    discardPostedParameter(index);
    if (!frame || index < 0 || index >= parameterCount() || std::isnan(value)) {
        return;
    }
    const auto at = static_cast<std::size_t>(index);
    if (at < m_knobs.size() && m_knobs[at]) {
        m_knobs[at]->setValue(value);
    }
    if (at < m_paramDisplays.size() && m_paramDisplays[at]) {
        m_paramDisplays[at]->setText(parameterDisplay(index).c_str());
    }
}

void VSTGuiEditor::valueChanged(CControl* pControl) {
    const int32 tag = pControl->getTag();
    const DeletionWatch watch(this);
    effect->setParameterAutomated(tag, pControl->getValue());
    // The host may close the window, or delete the plug-in, while it is told.
    if (watch.deleted())
        return;
    if (tag >= 0 && tag < static_cast<int32>(m_paramDisplays.size()) &&
        m_paramDisplays[static_cast<std::size_t>(tag)]) {
        m_paramDisplays[static_cast<std::size_t>(tag)]->setText(parameterDisplay(tag).c_str());
    }
}

void VSTGuiEditor::dbSelectionChanged(int32 selectedRow, GenericStringListDataBrowserSource*) {
    // The list reports a cleared selection as a row outside the list; there is
    // no program to load then.
    if (!frame || selectedRow < 0 ||
        selectedRow >= static_cast<int32>(m_pSynthEngine->m_programs.size())) {
        return;
    }
    if (selectedRow < m_lastSelectedRow) {
        m_pBottleView->previousBottle(selectedRow);
    } else {
        m_pBottleView->nextBottle(selectedRow);
    }
    m_lastSelectedRow = selectedRow;
    std::printf("clicked %d\n", selectedRow);
    effect->setProgram(selectedRow);
    if (m_pSynthEngine->getCurrentProgram()) {
        m_pProgramNameLabel->setText(m_pSynthEngine->currentProgramName().c_str());
    }
    m_pProgramNameLabel->invalid();
    static_cast<AudioEffectX*>(effect)->updateDisplay();
}

void VSTGuiEditor::selectProgramRow(int32 row) {
    if (m_pProgramBrowser && frame) {
        m_pProgramBrowser->setSelectedRow(row, true);
    }
}

void VSTGuiEditor::previousProgram() {
    if (!m_pSynthEngine || m_pSynthEngine->m_programs.empty()) {
        return;
    }
    int32 row = effect->getProgram() - 1;
    if (row < 0) {
        row = static_cast<int32>(m_pSynthEngine->m_programs.size()) - 1;
    }
    selectProgramRow(row);
}

void VSTGuiEditor::nextProgram() {
    if (!m_pSynthEngine || m_pSynthEngine->m_programs.empty()) {
        return;
    }
    const int32 count = static_cast<int32>(m_pSynthEngine->m_programs.size());
    selectProgramRow((effect->getProgram() + 1) % count);
}

void VSTGuiEditor::openMakerSite() {
    openUrlInBrowser(kMakerSite);
}

float VSTGuiEditor::parameterFromNormalized(VstInt32 index, float value) {
    if (index < 0 || index >= static_cast<int32>(m_parameters.size())) {
        return 0.f;
    }
    const SynthParameter* p = m_parameters[static_cast<std::size_t>(index)];
    return p->m_fromNormalized(p->m_min, p->m_max, value);
}

void VSTGuiEditor::showHelp() {
    // A second overlay would hide the first one's pointer: it could then never
    // be dismissed.
    if (!frame || m_pHelpOverlay) {
        return;
    }
    m_pHelpOverlay = new HelpOverlay(m_editorRect, this);
    frame->addView(m_pHelpOverlay);
}

void VSTGuiEditor::hideHelp() {
    if (!frame || !m_pHelpOverlay) {
        return;
    }
    frame->removeView(m_pHelpOverlay, true);
    m_pHelpOverlay = nullptr;
    frame->setDirty(true);
}
