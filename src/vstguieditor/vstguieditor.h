#pragma once

#include "gui/aeffguieditor.h"
#include "gui/ccontrol.h"
#include "gui/cfont.h"
#include "gui/genericstringlistdatabrowsersource.h"

#include <functional>
#include <string>
#include <vector>

class BottleView;
class HelpOverlay;
class SynthEngine;
class SynthParameter;

namespace VSTGUI {
class CAnimKnob;
class CDataBrowser;
class CTextLabel;
} // namespace VSTGUI

// The instrument's editor: a fixed 578 x 356 window with the program list,
// the previous, next and category buttons, the bottle picture of the program
// chosen in the window, the program name, the parameter's knob with its name
// and value, and the maker's logo. Knob moves are automated to the host;
// programs chosen in the window are loaded through the plug-in; parameter
// values from the plug-in move the knob and the value label.
//
// Threads: everything but setParameter runs on the host's GUI thread (the
// thread that opens and idles the editor). setParameter may come from any
// thread; off the GUI thread it only posts the value, which the next idle
// shows.
class VSTGuiEditor : public AEffGUIEditor,
                     public VSTGUI::CControlListener,
                     public VSTGUI::IGenericStringListDataBrowserSourceSelectionChanged {
public:
    // The maker's web site, opened by the logo.
    static const char* const kMakerSite;

    // One row of the table of parameter widgets that open() lays out.
    struct WidgetSpec {
        std::string type; // "CKnob", "ParamDisplay", "CTextLabel"; "END" ends the table
        VSTGUI::int32 paramIndex;
        VSTGUI::CRect rect;
    };

    // An editor for effect, which must be the instrument's plug-in object
    // (a VstInterface); registers itself with it. Construction thread.
    explicit VSTGuiEditor(AudioEffect* effect);
    // Closes a window the host left open (and one it opened again while told
    // that the last gesture ended), then releases everything.
    ~VSTGuiEditor() override;

    // The window's size (0, 0, 578, 356), valid before the first open; true.
    bool getRect(ERect** rect) override;
    // Builds the window inside the host's window ptr (off-screen when ptr is
    // null). A window already open is closed first; when the host closes the
    // plug-in meanwhile (told that a gesture ended), nothing more happens.
    // Without the knob strip or the background image it prints an error and
    // stays without window. Always true.
    bool open(void* ptr) override;
    // Releases the window and every view in it; nothing without a window. A
    // gesture in progress ends with the host's end edit, sent last: the host
    // may answer it by closing the plug-in or opening the window again.
    void close() override;
    // The plug-in's parameter index has the host value value: moves its knob
    // and shows the engine's display text in its value label. Ignored without
    // a window, for an index outside the parameters or a value that is not a
    // number. Any thread (see the class comment).
    void setParameter(VstInt32 index, float value) override;

    // The knob was turned: automates the parameter of the knob's tag.
    void valueChanged(VSTGUI::CControl* pControl) override;
    // A row was chosen in the program list: animates the bottle, loads the
    // program through the plug-in, shows its name and asks the host to update
    // its display. Rows outside the program list (no selection) do nothing.
    void dbSelectionChanged(VSTGUI::int32 selectedRow,
                            VSTGUI::GenericStringListDataBrowserSource* source) override;

    // Selects row in the program list, scrolling it into view; the list
    // reports it through dbSelectionChanged only when the row is new.
    void selectProgramRow(VSTGUI::int32 row);
    // Selects the program before / after the plug-in's current program,
    // wrapping around the list.
    void previousProgram();
    void nextProgram();
    // Opens the maker's web site in the browser; failures are ignored.
    void openMakerSite();
    // The value that parameter index takes for the host value value (0 for an
    // index outside the parameters). Any thread.
    float parameterFromNormalized(VstInt32 index, float value);
    // Shows the help overlay above every view (nothing without a window, or
    // while it is shown already).
    void showHelp();
    // Removes and releases the help overlay; nothing when none is shown.
    void hideHelp();
    // Forgets every knob and label (their views belong to the window).
    void resetControls();
    // Adds the parameter views that table describes to the open window, up to
    // its first "END" row, and keeps each in its control list; after each row
    // prints how many rows were handled, before that an error line for a row
    // of unknown type. A row whose index names no parameter adds nothing.
    // open() walks the instrument's own table. GUI thread; nothing without a
    // window.
    void walkWidgetTable(const std::vector<WidgetSpec>& table, VSTGUI::CBitmap* knobStrip);

    // What the window shows, for tests and tools. GUI thread.
    const std::vector<VSTGUI::CAnimKnob*>& getKnobs() const { return m_knobs; }
    const std::vector<VSTGUI::CTextLabel*>& getParamDisplays() const { return m_paramDisplays; }
    const std::vector<VSTGUI::CTextLabel*>& getParamLabels() const { return m_paramLabels; }
    VSTGUI::CTextLabel* getProgramNameLabel() const {
        return frame ? m_pProgramNameLabel : nullptr;
    }
    BottleView* getBottleView() const { return frame ? m_pBottleView : nullptr; }
    VSTGUI::CDataBrowser* getProgramBrowser() const { return frame ? m_pProgramBrowser : nullptr; }
    HelpOverlay* getHelpOverlay() const { return m_pHelpOverlay; }
    const std::vector<std::string>& getProgramNames() const { return m_programNames; }
    VSTGUI::int32 getLastSelectedRow() const { return m_lastSelectedRow; }

private:
    // The parameter count of the engine's first program (0 before open).
    VSTGUI::int32 parameterCount() const;
    // The display text of parameter index of the engine's current program.
    std::string parameterDisplay(VSTGUI::int32 index) const;
    void addCallbackButton(const VSTGUI::CRect& size, VSTGUI::CBitmap* image,
                           std::function<void()> action);

    SynthEngine* m_pSynthEngine = nullptr;
    std::vector<SynthParameter*> m_parameters;
    std::vector<VSTGUI::CAnimKnob*> m_knobs;
    std::vector<VSTGUI::CTextLabel*> m_paramDisplays;
    std::vector<VSTGUI::CTextLabel*> m_paramLabels;
    VSTGUI::CTextLabel* m_pProgramNameLabel = nullptr;
    VSTGUI::CRect m_editorRect;
    ERect m_vstRect{};
    // The parameter names' font, shared with their labels by reference count.
    VSTGUI::CFontRef m_pFont;
    HelpOverlay* m_pHelpOverlay = nullptr;
    BottleView* m_pBottleView = nullptr;
    std::vector<std::string> m_programNames;
    VSTGUI::CDataBrowser* m_pProgramBrowser = nullptr;
    VSTGUI::int32 m_lastSelectedRow = 0;
};

// Allocates an editor for effect; null when there is no memory. The plug-in
// class builds its editor itself, so nothing calls this.
AEffEditor* createEditor(AudioEffect* effect);
