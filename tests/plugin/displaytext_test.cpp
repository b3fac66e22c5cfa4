#include "plugin/audioeffect.h"
#include "plugin/vsttext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

class TextEffect : public AudioEffect {
public:
    TextEffect() : AudioEffect(nullptr, 1, 1) {}
    void processReplacing(float**, float**, VstInt32) override {}
};

// A text buffer with guard bytes behind maxLen + 1, so that a write past the
// end shows up as a changed guard.
struct GuardedText {
    static constexpr int kGuard = 16;
    explicit GuardedText(VstInt32 maxLen) : maxLen(maxLen) {
        std::memset(bytes, '#', sizeof bytes);
    }
    char* text() { return bytes; }
    std::string str() const { return std::string(bytes, strnlen(bytes, sizeof bytes)); }
    bool guardIntact() const {
        for (int i = maxLen + 1; i < maxLen + 1 + kGuard; ++i) {
            if (bytes[i] != '#') {
                return false;
            }
        }
        return bytes[maxLen] == '\0';
    }
    VstInt32 maxLen;
    char bytes[64 + kGuard];
};

enum class Op { Float, Int, Db, Hz, Ms };

struct TextCase {
    Op op;
    double value;
    VstInt32 maxLen;
    const char* text;
};

const char* opName(Op op) {
    switch (op) {
    case Op::Float:
        return "float2string";
    case Op::Int:
        return "int2string";
    case Op::Db:
        return "dB2string";
    case Op::Hz:
        return "Hz2string";
    case Op::Ms:
        return "ms2string";
    }
    return "?";
}

TEST(DisplayText, ExampleTables) {
    const float inf = std::numeric_limits<float>::infinity();
    const TextCase cases[] = {
        {Op::Float, 0.0, 8, "0.000000"},
        {Op::Float, 1.5, 8, "1.500000"},
        {Op::Float, -2.25, 8, "-2.25000"},
        {Op::Float, 123.456f, 8, "123.4560"},
        {Op::Float, 99.99f, 8, "99.98999"},
        {Op::Float, 0.00001f, 8, "0.000009"},
        {Op::Float, 1234567, 8, "1234567."},
        {Op::Float, -123456, 8, "-123456."},
        {Op::Float, 100000000, 8, "Huge!"},
        {Op::Float, inf, 8, "Huge!"},
        {Op::Float, -inf, 8, "Huge!"},
        {Op::Float, 9999999, 8, "9999999."},
        {Op::Float, -999999, 8, "-999999."},
        {Op::Float, 1.5, 20, "1.500000"},
        {Op::Float, 123.456f, 5, "123.4"},
        {Op::Float, -2.25, 1, "-"},
        {Op::Float, 1.5, 0, ""},
        // Integer parts too long for eight characters would lose their
        // leading digits and show another number.
        {Op::Float, 12345678, 8, "Huge!"},
        {Op::Float, 99999999, 8, "Huge!"},
        {Op::Float, -1234567, 8, "Huge!"},
        {Op::Float, -9999999, 8, "Huge!"},
        {Op::Float, std::nan(""), 8, "NaN"},

        {Op::Int, 7, 8, "7"},
        {Op::Int, -42, 8, "-42"},
        {Op::Int, 0, 8, "0"},
        {Op::Int, 99999999, 8, "99999999"},
        {Op::Int, -123456789, 10, "-123456789"},
        {Op::Int, 100000000, 8, "Huge!"},
        {Op::Int, 12345, 3, "123"},
        {Op::Int, 1000, 8, "1000"},
        {Op::Int, -999999999, 10, "-999999999"},
        {Op::Int, -1000000000, 10, "Huge!"},
        {Op::Int, std::numeric_limits<VstInt32>::min(), 10, "Huge!"},

        {Op::Db, 0, 8, "-oo"},
        {Op::Db, -1, 8, "-oo"},
        {Op::Db, 1, 8, "0.000000"},
        {Op::Db, 10, 8, "20.00000"},
        {Op::Db, 0.5, 8, "-6.02060"},

        {Op::Hz, 0, 8, "0.000000"},
        {Op::Hz, 100, 8, "441.0000"},
        {Op::Ms, 441, 8, "10.00000"},
    };
    for (const TextCase& c : cases) {
        TextEffect effect;
        GuardedText out(c.maxLen);
        const float f = static_cast<float>(c.value);
        switch (c.op) {
        case Op::Float:
            effect.float2string(f, out.text(), c.maxLen);
            break;
        case Op::Int:
            effect.int2string(static_cast<VstInt32>(c.value), out.text(), c.maxLen);
            break;
        case Op::Db:
            effect.dB2string(f, out.text(), c.maxLen);
            break;
        case Op::Hz:
            effect.Hz2string(f, out.text(), c.maxLen);
            break;
        case Op::Ms:
            effect.ms2string(f, out.text(), c.maxLen);
            break;
        }
        EXPECT_EQ(out.str(), c.text) << opName(c.op) << "(" << c.value << ", " << c.maxLen << ")";
        EXPECT_TRUE(out.guardIntact())
            << opName(c.op) << "(" << c.value << ", " << c.maxLen << ") wrote past its text";
    }
}

TEST(DisplayText, FractionTextsAreExactlyEightCharacters) {
    TextEffect effect;
    // A sweep over magnitudes and signs: whenever fraction digits appear,
    // the text is 8 characters; otherwise it ends with the point.
    for (double magnitude = 1e-6; magnitude < 1e8; magnitude *= 3.7) {
        for (double sign : {1.0, -1.0}) {
            char text[16];
            effect.float2string(static_cast<float>(sign * magnitude), text, 15);
            const std::string s(text);
            if (s == "Huge!") {
                continue;
            }
            if (s.back() == '.') {
                EXPECT_LE(s.size(), 8u) << s;
            } else {
                EXPECT_EQ(s.size(), 8u) << s;
            }
        }
    }
}

TEST(DisplayText, HzAndMsFollowTheSampleRate) {
    TextEffect effect;
    effect.setSampleRate(48000.0f);
    char text[9];
    effect.Hz2string(480.0f, text, 8);
    EXPECT_STREQ(text, "100.0000");
    effect.ms2string(48.0f, text, 8);
    EXPECT_STREQ(text, "1.000000");
    effect.setSampleRate(0.0f);
    effect.ms2string(48.0f, text, 8);
    EXPECT_STREQ(text, "Huge!");
}

TEST(TextPrimitives, BoundedCopyPadsAndTerminates) {
    char text[12];
    std::memset(text, '#', sizeof text);
    vstBoundedCopy(text, "abc", 8);
    EXPECT_EQ(std::string(text, 9), std::string("abc\0\0\0\0\0\0", 9));
    EXPECT_EQ(text[9], '#');

    std::memset(text, '#', sizeof text);
    vstBoundedCopy(text, "Funkiness", 8);
    EXPECT_STREQ(text, "Funkines");
    EXPECT_EQ(text[9], '#');

    std::memset(text, '#', sizeof text);
    vstBoundedCopy(text, nullptr, 4);
    EXPECT_STREQ(text, "");
    vstBoundedCopy(nullptr, "x", 4);
    vstBoundedCopy(text, "x", -1);
    EXPECT_STREQ(text, "");
}

TEST(TextPrimitives, BoundedAppendNeverRunsPastTheLimit) {
    struct Case {
        const char* start;
        const char* source;
        VstInt32 maxLen;
        const char* result;
    };
    const Case cases[] = {
        {"Vstx ", "1", 63, "Vstx 1"}, {"abc", "defgh", 5, "abcde"}, {"abcdef", "xyz", 6, "abcdef"},
        {"", "xyz", 2, "xy"},         {"ab", "", 4, "ab"},          {"ab", nullptr, 4, "ab"},
    };
    for (const Case& c : cases) {
        char text[80];
        std::memset(text, '#', sizeof text);
        std::strcpy(text, c.start);
        vstBoundedAppend(text, c.source, c.maxLen);
        EXPECT_STREQ(text, c.result) << c.start << " + " << (c.source ? c.source : "null");
        EXPECT_EQ(text[c.maxLen], '\0');
        for (int i = c.maxLen + 1; i < 80; ++i) {
            if (i > static_cast<int>(std::strlen(c.start))) {
                ASSERT_EQ(text[i], '#') << "byte " << i << " written";
            }
        }
    }
    // A text not terminated within maxLen + 1 bytes is cut at maxLen, never
    // searched past its buffer.
    char unterminated[6] = {'a', 'b', 'c', 'd', 'e', 'f'};
    vstBoundedAppend(unterminated, "x", 5);
    EXPECT_STREQ(unterminated, "abcde");
}

} // namespace
