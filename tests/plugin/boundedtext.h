// Texts written into a host's buffer of limit + 1 bytes.
#pragma once

#include <cstring>
#include <string>

// The text that write leaves in a buffer that starts without any NUL, with
// "|past its end" added when it changed a byte behind the buffer or left it
// unterminated, and, when `padded` is asked for, "|unpadded" when a byte
// between the text's end and the buffer's last is not NUL.
template <class Write> std::string boundedText(int limit, Write write, bool padded = true) {
    const std::size_t size = static_cast<std::size_t>(limit) + 1;
    std::string bytes(size + 64, '#');
    write(bytes.data());
    const std::size_t length = strnlen(bytes.data(), size);
    std::string text = bytes.substr(0, length);
    if (length == size || bytes.find_first_not_of('#', size) != std::string::npos) {
        text += "|past its end";
    }
    if (padded && bytes.find_first_not_of('\0', length) < size) {
        text += "|unpadded";
    }
    return text;
}
