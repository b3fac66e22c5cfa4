#pragma once

#include "gui/cview.h"

namespace VSTGUI {

class CControl;

// Told of a control's changes. valueChanged comes after the value changed
// through the user; the begin/end calls bracket one gesture (a drag, a press).
class CControlListener {
public:
    virtual ~CControlListener() = default;
    virtual void valueChanged(CControl* pControl) = 0;
    virtual int32 controlModifierClicked(CControl*, CButtonState) { return 0; }
    virtual void controlBeginEdit(CControl*) {}
    virtual void controlEndEdit(CControl*) {}
};

// A view with a value between its minimum and maximum (0 and 1 unless set),
// a tag and a listener. GUI thread only.
class CControl : public CView {
public:
    CControl(const CRect& size, CControlListener* listener = nullptr, int32 tag = 0,
             CBitmap* pBackground = nullptr);
    ~CControl() override;

    // Sets the value, clamped to the range, without telling the listener;
    // marks the control dirty when it changed.
    virtual void setValue(float val);
    float getValue() const { return m_value; }
    void setMin(float val) { m_vmin = val; }
    float getMin() const { return m_vmin; }
    void setMax(float val) { m_vmax = val; }
    float getMax() const { return m_vmax; }
    void setDefaultValue(float val) { m_defaultValue = val; }
    float getDefaultValue() const { return m_defaultValue; }
    // The step of one wheel notch (a tenth of the range unless set).
    void setWheelInc(float val) { m_wheelInc = val; }
    float getWheelInc() const { return m_wheelInc; }

    void setTag(int32 val) { m_tag = val; }
    int32 getTag() const { return m_tag; }
    void setListener(CControlListener* l) { m_listener = l; }
    CControlListener* getListener() const { return m_listener; }

    // Tells the listener that the value changed.
    virtual void valueChanged();
    // Starts and ends a gesture: the listener hears of it and the frame's
    // editor passes it to the host as begin/end edit of the tag. Nested
    // begin/end pairs reach the host once. In a window whose editor was
    // deleted, no one hears of values or gestures any more.
    virtual void beginEdit();
    virtual void endEdit();
    bool isEditing() const { return m_editing > 0; }
    // Clamps the value into the range.
    void bounceValue();

    // An edit in progress ends at once, however deeply begun: the host hears
    // one end edit.
    void endGesture() override;
    bool removed(CView* parent) override;

protected:
    CControlListener* m_listener;
    int32 m_tag;
    float m_value = 0.f;
    float m_vmin = 0.f;
    float m_vmax = 1.f;
    float m_defaultValue = 0.5f;
    float m_wheelInc = 0.1f;

private:
    // The window's editor, which owns the listener, was deleted.
    bool editorLost() const;

    int32 m_editing = 0;
};

} // namespace VSTGUI
