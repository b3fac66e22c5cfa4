#pragma once

// Where the editor places its views, in window pixels. The panel artwork is
// drawn around these places, and the face renderer composes the images there.
namespace artgen {

struct Box {
    double left, top, right, bottom;
    double width() const { return right - left; }
    double height() const { return bottom - top; }
    double centerX() const { return (left + right) / 2; }
    double centerY() const { return (top + bottom) / 2; }
};

constexpr double kWindowWidth = 578;
constexpr double kWindowHeight = 356;

constexpr Box kKnob{296, 106, 344, 154};
constexpr Box kKnobValueLabel{276, 154, 364, 174};
constexpr Box kKnobNameLabel{276, 86, 364, 106};
constexpr Box kLogo{435, 2, 580, 31};
constexpr Box kPrevButton{138, 84, 201, 310};
constexpr Box kNextButton{380, 84, 443, 310};
constexpr Box kContainer{209, 88, 371, 301};
constexpr Box kProgramName{209, 62, 371, 76};
constexpr Box kProgramList{10, 84, 125, 304};
constexpr double kListScrollbarWidth = 16;
constexpr Box kCategoryColumn{454, 94, 569, 297};
constexpr double kCategoryButtonHeight = 29;

// Inside the bottle container (container coordinates).
constexpr Box kBottleInContainer{18, 11, 145, 229};
constexpr Box kShineInContainer{0, 0, 160, 211};

// The knob and its two labels lie inside the container's rectangle and are
// drawn before it, so the container, its bottles and the shine leave this band
// transparent (container coordinates, labels included).
constexpr double kDialBandBottom = kKnobValueLabel.bottom - kContainer.top; // 86

} // namespace artgen
