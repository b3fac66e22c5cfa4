#pragma once

#include "gui/cframe.h"
#include "gui/parameterinbox.h"
#include "gui/vstguieditorinterface.h"
#include "plugin/aeffeditor.h"

#include <atomic>
#include <thread>

// The VST 2.4 binding of a frame: idles it for the host, turns the controls'
// gestures into the plug-in's begin/end edit, asks the host to resize its
// window when the frame changes size, and carries parameter values from the
// host's threads to the GUI thread.
class AEffGUIEditor : public AEffEditor, public VSTGUI::VSTGUIEditorInterface {
public:
    // Registers the editor with the plug-in (setEditor). The constructing
    // thread counts as the GUI thread until open or idle claim it.
    explicit AEffGUIEditor(AudioEffect* effect);
    // Releases a frame still open. An editor whose views refer to its own
    // members must close its window in its own destructor first.
    ~AEffGUIEditor() override;

    // Host's GUI thread: the frame's size (or 0 x 0 without a frame); true.
    bool getRect(ERect** rect) override;
    // Host's GUI thread: keeps the parent window and claims the calling thread
    // as the GUI thread. Derived editors build their frame here; the base
    // answers true.
    bool open(void* ptr) override;
    // Host's GUI thread: releases the frame and every view in it; also safe
    // from inside a callback of the frame's event handling. A gesture in
    // progress ends with the host's end edit, which the host may answer by
    // closing the plug-in or opening the editor again.
    void close() override;
    // Host's GUI thread, never blocks: applies parameter values posted from
    // other threads, handles window events, advances animations, redraws what
    // is dirty, then lets the plug-in idle (masterIdle). Re-entry is ignored.
    void idle() override;
    // No view takes key input, so keys stay with the host (false).
    bool onKeyDown(VstKeyCode& keyCode) override;
    bool onKeyUp(VstKeyCode& keyCode) override;
    // Host's GUI thread: a wheel turn at the last pointer position; true when
    // a view took it.
    bool onWheel(float distance) override;
    // Host's GUI thread: stores the host's knob mode; true.
    bool setKnobMode(VstInt32 val) override;

    // The plug-in tells the editor of a parameter's new normalised value. The
    // base does nothing. Hosts call this from any thread: an override must
    // not touch views unless isGuiThread(), and should postParameter otherwise.
    virtual void setParameter(VstInt32 index, float value);

    // GUI thread: passed on to the plug-in's beginEdit/endEdit.
    void beginEdit(VSTGUI::int32 index) override;
    void endEdit(VSTGUI::int32 index) override;
    VSTGUI::int32 getKnobMode() const override { return m_knobMode; }
    // Asks the host (canHostDo "sizeWindow", then sizeWindow); true when the
    // host resized its window. False, without asking further, when the host
    // closed the plug-in or this window, or opened another, while asked.
    bool beforeSizeChange(const VSTGUI::CRect& newSize, const VSTGUI::CRect& oldSize) override;

    // Any thread: true on the thread the editor's views belong to.
    bool isGuiThread() const;
    // Any thread, wait-free: setParameter(index, value) will run on the GUI
    // thread at the next idle (latest value per index; indices outside 0 to
    // ParameterInbox::kCapacity - 1 are dropped, answering false).
    bool postParameter(VstInt32 index, float value);
    // GUI thread: forgets a value of index still waiting from another thread.
    // An override of setParameter calls it when it shows a value at once, so
    // that the older waiting value does not replace it at the next idle. While
    // idle shows the waiting values themselves it does nothing: a value posted
    // during that moment is newer and must survive.
    void discardPostedParameter(VstInt32 index);

protected:
    // The calling thread becomes the GUI thread.
    void claimGuiThread();

    // GUI thread: tells whether this editor was deleted while the watch lived.
    // A host may delete the whole plug-in, this editor included, from inside
    // any request the editor makes (begin or end edit, automate, update
    // display, resize, idle); after such a request, touch no member before
    // asking. Watches nest.
    class DeletionWatch {
    public:
        explicit DeletionWatch(AEffGUIEditor* editor)
            : m_editor(editor), m_outer(editor->m_pWatch) {
            editor->m_pWatch = this;
        }
        ~DeletionWatch() {
            if (!m_deleted)
                m_editor->m_pWatch = m_outer;
        }
        DeletionWatch(const DeletionWatch&) = delete;
        DeletionWatch& operator=(const DeletionWatch&) = delete;
        bool deleted() const { return m_deleted; }

    private:
        friend class AEffGUIEditor;
        AEffGUIEditor* m_editor;
        DeletionWatch* m_outer;
        bool m_deleted = false;
    };

    ERect rect{};

private:
    VSTGUI::ParameterInbox m_inbox;
    std::atomic<std::thread::id> m_guiThread;
    VSTGUI::int32 m_knobMode = 0;
    bool m_inIdle = false;
    // GUI thread: set while waiting values are being shown, which are not newer
    // than what another thread may post meanwhile.
    bool m_showingPosted = false;
    // The innermost live DeletionWatch; the destructor marks them all.
    DeletionWatch* m_pWatch = nullptr;
};

namespace VSTGUI {
using ::AEffGUIEditor;
}
