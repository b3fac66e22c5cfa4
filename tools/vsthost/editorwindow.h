// The host's editor window: the plug-in's editor opened inside a window of
// the host's own on the X display, idled as hosts idle editors.
#pragma once

#include "vstplugin.h"

#include <cstdio>

// Opens the plug-in's editor in a new top-level window on the display named
// by DISPLAY and idles it 30 times a second until the window is closed,
// standard input ends, or `seconds` have passed (0: no limit). Writes to
// report a line "editor: window 0x<id> <w>x<h>" once the editor is open, and
// a line for every request the editor makes of the host meanwhile (begin and
// end of edits, automation, display updates with the current program).
// Returns the process's exit status: 1 without a display, editor or window.
// The thread that calls it is the editor's GUI thread.
int runEditorWindow(VstPlugin& plugin, double seconds, std::FILE* report);
