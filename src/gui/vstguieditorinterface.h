#pragma once

#include "gui/cgeometry.h"
#include "gui/vstguibase.h"

#include <memory>

namespace VSTGUI {

class CFrame;

// What a frame needs of the editor that owns it: the host's begin/end edit
// of a control's tag, the knob mode, and consent to a size change.
class VSTGUIEditorInterface {
public:
    virtual ~VSTGUIEditorInterface() = default;

    // GUI thread: a control's gesture starts or ends (index = its tag).
    virtual void beginEdit(int32 /*index*/) {}
    virtual void endEdit(int32 /*index*/) {}
    // The host's knob mode (0 circular, 1 relative circular, 2 linear).
    virtual int32 getKnobMode() const { return 0; }
    // GUI thread: the frame is about to change size; false refuses it.
    virtual bool beforeSizeChange(const CRect& /*newSize*/, const CRect& /*oldSize*/) {
        return true;
    }
    // GUI thread: one turn of idle work beyond the frame's own.
    virtual void doIdleStuff() {}
    // The editor's window, null while closed.
    CFrame* getFrame() const { return frame; }
    // Expires when the editor is deleted. A frame keeps it: the host may
    // delete the whole plug-in, this editor with it, from inside a request
    // one view makes while the frame still ends the other views' gestures.
    std::weak_ptr<const void> lifetime() const { return m_lifetime; }

protected:
    CFrame* frame = nullptr;

private:
    std::shared_ptr<const char> m_lifetime = std::make_shared<const char>('\0');
};

} // namespace VSTGUI
