// The two text primitives every text handed to a host goes through. The
// host's buffer holds maxLen + 1 bytes; neither primitive writes past
// text[maxLen], and both leave text[maxLen] NUL. A null text or a negative
// maxLen writes nothing. Any thread; no allocation.
#pragma once

#include "platform/vstrecords.h"

// Copies at most maxLen characters of source, pads a shorter source with NUL
// bytes up to maxLen, then sets text[maxLen] to NUL. A null source copies "".
void vstBoundedCopy(char* text, const char* source, VstInt32 maxLen);

// Appends source after the text's current end, keeping at most maxLen
// characters in all, then sets text[maxLen] to NUL. A null source appends
// nothing.
void vstBoundedAppend(char* text, const char* source, VstInt32 maxLen);
