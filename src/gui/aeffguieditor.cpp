#include "gui/aeffguieditor.h"

#include "plugin/audioeffectx.h"

#include <cmath>

using VSTGUI::CFrame;

static_assert(std::atomic<std::thread::id>::is_always_lock_free,
              "the GUI-thread test runs on the audio thread: it must never lock");

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect) : AEffEditor(effect) {
    m_guiThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
    if (effect != nullptr)
        effect->setEditor(this);
}

AEffGUIEditor::~AEffGUIEditor() {
    for (DeletionWatch* watch = m_pWatch; watch != nullptr; watch = watch->m_outer)
        watch->m_deleted = true;
    if (frame != nullptr) {
        CFrame* f = frame;
        frame = nullptr;
        f->close();
    }
}

bool AEffGUIEditor::getRect(ERect** ppRect) {
    rect = ERect{};
    if (frame != nullptr) {
        const VSTGUI::CRect& size = frame->getViewSize();
        rect.top = static_cast<VstInt16>(size.top);
        rect.left = static_cast<VstInt16>(size.left);
        rect.bottom = static_cast<VstInt16>(size.bottom);
        rect.right = static_cast<VstInt16>(size.right);
    }
    if (ppRect != nullptr)
        *ppRect = &rect;
    return true;
}

bool AEffGUIEditor::open(void* ptr) {
    claimGuiThread();
    AEffEditor::open(ptr);
    return true;
}

void AEffGUIEditor::close() {
    CFrame* f = frame;
    frame = nullptr;
    AEffEditor::close();
    // Last: closing ends a gesture in progress, and the host told of that may
    // close the plug-in (this editor with it) or open the editor again. The
    // frame may be in the middle of a click whose handler led here; it goes
    // when that is done.
    if (f != nullptr)
        f->close();
}

void AEffGUIEditor::idle() {
    // Hosts may idle the editor again from inside masterIdle.
    if (m_inIdle)
        return;
    m_inIdle = true;
    // A click handled in the frame's idle, or the host's own idle, may end in
    // the host closing the whole plug-in, this editor included.
    const DeletionWatch watch(this);
    claimGuiThread();
    m_showingPosted = true;
    m_inbox.drain([this](VSTGUI::int32 index, float value) { setParameter(index, value); });
    m_showingPosted = false;
    if (frame != nullptr)
        frame->idle();
    if (watch.deleted())
        return;
    doIdleStuff();
    if (effect != nullptr)
        effect->masterIdle();
    if (watch.deleted())
        return;
    m_inIdle = false;
}

bool AEffGUIEditor::onKeyDown(VstKeyCode&) {
    return false;
}

bool AEffGUIEditor::onKeyUp(VstKeyCode&) {
    return false;
}

bool AEffGUIEditor::onWheel(float distance) {
    if (frame == nullptr || !std::isfinite(distance))
        return false;
    return frame->onWheel(frame->getLastMousePosition(), distance, VSTGUI::CButtonState());
}

bool AEffGUIEditor::setKnobMode(VstInt32 val) {
    m_knobMode = val;
    return true;
}

void AEffGUIEditor::setParameter(VstInt32, float) {}

void AEffGUIEditor::beginEdit(VSTGUI::int32 index) {
    if (auto* fx = dynamic_cast<AudioEffectX*>(effect))
        fx->beginEdit(index);
}

void AEffGUIEditor::endEdit(VSTGUI::int32 index) {
    if (auto* fx = dynamic_cast<AudioEffectX*>(effect))
        fx->endEdit(index);
}

bool AEffGUIEditor::beforeSizeChange(const VSTGUI::CRect& newSize, const VSTGUI::CRect&) {
    auto* fx = dynamic_cast<AudioEffectX*>(effect);
    if (fx == nullptr)
        return false;
    // The size is read before asking: the frame may go while the host answers.
    const auto width = static_cast<VstInt32>(std::lround(newSize.getWidth()));
    const auto height = static_cast<VstInt32>(std::lround(newSize.getHeight()));
    const CFrame* const resized = frame;
    const DeletionWatch watch(this);
    char request[] = "sizeWindow";
    if (fx->canHostDo(request) == 0)
        return false;
    // Asked again only for the window the question was about: the host may
    // have closed the plug-in or this window, or opened another, meanwhile.
    if (watch.deleted() || frame != resized)
        return false;
    return fx->sizeWindow(width, height);
}

bool AEffGUIEditor::isGuiThread() const {
    return m_guiThread.load(std::memory_order_acquire) == std::this_thread::get_id();
}

bool AEffGUIEditor::postParameter(VstInt32 index, float value) {
    return m_inbox.post(index, value);
}

void AEffGUIEditor::discardPostedParameter(VstInt32 index) {
    if (!m_showingPosted)
        m_inbox.discard(index);
}

void AEffGUIEditor::claimGuiThread() {
    m_guiThread.store(std::this_thread::get_id(), std::memory_order_release);
}
