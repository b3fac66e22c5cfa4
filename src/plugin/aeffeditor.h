// The base of a plug-in's editor window object. The dispatchers reach an
// editor only through these virtual operations; the plug-in object owns its
// editor and deletes it through the virtual destructor.
//
// GUI thread: every operation runs on the thread the host opens, idles and
// closes the editor from.
#pragma once

#include "platform/vstrecords.h"

class AudioEffect;

class AEffEditor {
public:
    // Binds the editor to its plug-in object for life. Does not register it:
    // the plug-in learns of its editor through AudioEffect::setEditor.
    explicit AEffEditor(AudioEffect* effect);
    virtual ~AEffEditor();

    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    // The plug-in object this editor belongs to (not owned).
    virtual AudioEffect* getEffect();
    // Stores the editor's rectangle through rect; the default stores null and
    // answers false. rect is never null when the dispatcher calls it.
    virtual bool getRect(ERect** rect);
    // Opens the editor inside the host's parent window ptr; the default only
    // records ptr and answers false.
    virtual bool open(void* ptr);
    // Closes the editor; the default forgets the parent window.
    virtual void close();
    // True while a parent window is recorded.
    virtual bool isOpen();
    // Called by the host's editor idle; the default does nothing.
    virtual void idle();
    // Key presses and releases the host forwards; false when not handled.
    virtual bool onKeyDown(VstKeyCode& keyCode);
    virtual bool onKeyUp(VstKeyCode& keyCode);
    // Mouse wheel turned by distance; false when not handled.
    virtual bool onWheel(float distance);
    // The host's preferred knob mode; false when not handled.
    virtual bool setKnobMode(VstInt32 val);

protected:
    AudioEffect* effect;
    void* systemWindow;
};
