#include "plugin/vsttext.h"

#include <cstring>

void vstBoundedCopy(char* text, const char* source, VstInt32 maxLen) {
    if (!text || maxLen < 0) {
        return;
    }
    if (!source) {
        source = "";
    }
    std::strncpy(text, source, static_cast<std::size_t>(maxLen));
    text[maxLen] = '\0';
}

void vstBoundedAppend(char* text, const char* source, VstInt32 maxLen) {
    if (!text || maxLen < 0) {
        return;
    }
    // The host's buffer ends at text[maxLen]: a text not yet terminated
    // within it is cut there rather than searched past it.
    const std::size_t limit = static_cast<std::size_t>(maxLen);
    const std::size_t length = strnlen(text, limit);
    if (source && length < limit) {
        const std::size_t room = limit - length;
        const std::size_t count = strnlen(source, room);
        std::memcpy(text + length, source, count);
        text[length + count] = '\0';
    }
    text[maxLen] = '\0';
}
