// Texts written into a host's buffer of limit + 1 bytes.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

// The text that write leaves in a buffer that starts without any NUL, with
// "|past its end" added when it changed a byte behind the buffer or left it
// unterminated, and, when `padded` is asked for, "|unpadded" when a byte
// between the text's end and the buffer's last is not NUL.
template <class Write> std::string boundedText(int limit, Write write, bool padded = true) {
    const auto size = static_cast<std::size_t>(limit) + 1;
    std::vector<char> bytes(size + 64, '#');
    write(bytes.data());
    const std::size_t length = strnlen(bytes.data(), size);
    std::string text(bytes.data(), length);
    if (length == size || std::count(bytes.begin() + long(size), bytes.end(), '#') != 64) {
        text += "|past its end";
    }
    if (padded && std::any_of(bytes.begin() + long(length), bytes.begin() + long(size),
                              [](char c) { return c != '\0'; })) {
        text += "|unpadded";
    }
    return text;
}
