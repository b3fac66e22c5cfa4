#pragma once

#include <cstdint>

namespace VSTGUI {

// A colour with 8-bit channels; alpha 0 is fully transparent, 255 opaque.
struct CColor {
    constexpr CColor(std::uint8_t red = 0, std::uint8_t green = 0, std::uint8_t blue = 0,
                     std::uint8_t alpha = 255)
        : red(red), green(green), blue(blue), alpha(alpha) {}

    constexpr bool operator==(const CColor& o) const {
        return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
    }
    constexpr bool operator!=(const CColor& o) const { return !(*this == o); }

    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    std::uint8_t alpha;
};

constexpr CColor kTransparentCColor(255, 255, 255, 0);
constexpr CColor kBlackCColor(0, 0, 0, 255);
constexpr CColor kWhiteCColor(255, 255, 255, 255);
constexpr CColor kGreyCColor(127, 127, 127, 255);

} // namespace VSTGUI
