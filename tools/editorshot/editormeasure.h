#pragma once

#include "platform/vstrecords.h"

// Opens the plug-in's editor in a window on the display named by DISPLAY,
// idling it as a host does, and prints two figures: the time from
// effEditOpen to the first complete drawing on the screen, and the frames
// per second the bottle animation shows while the host idles the editor 30
// times a second. False (with a line on standard error) without a display.
bool measureEditor(AEffect* effect);
