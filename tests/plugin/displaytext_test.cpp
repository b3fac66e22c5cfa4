#include "plugin/audioeffect.h"
#include "plugin/vsttext.h"
#include "recording.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

using TextEffect = PlainEffect;

// What write puts into a text of maxLen characters, or "wrote past its end"
// when it touched a guard byte behind maxLen + 1 or left the terminator out.
template <class Write> std::string guardedText(VstInt32 maxLen, Write write) {
    char bytes[64 + 16];
    std::memset(bytes, '#', sizeof bytes);
    write(bytes);
    for (int i = maxLen + 1; i < maxLen + 17; ++i) {
        if (bytes[i] != '#') {
            return "wrote past its end";
        }
    }
    return bytes[maxLen] == '\0' ? std::string(bytes) : "wrote past its end";
}

// The text operations under one signature, so that one table holds them all.
struct Op {
    static void f2s(AudioEffect& e, double v, char* t, int n) { e.float2string(float(v), t, n); }
    static void i2s(AudioEffect& e, double v, char* t, int n) { e.int2string(VstInt32(v), t, n); }
    static void dB(AudioEffect& e, double v, char* t, int n) { e.dB2string(float(v), t, n); }
    static void Hz(AudioEffect& e, double v, char* t, int n) { e.Hz2string(float(v), t, n); }
    static void ms(AudioEffect& e, double v, char* t, int n) { e.ms2string(float(v), t, n); }
};

struct TextCase {
    void (*op)(AudioEffect&, double, char*, int);
    double value;
    VstInt32 maxLen;
    const char* text;
};

TEST(DisplayText, ExampleTables) {
    const auto f2s = Op::f2s, i2s = Op::i2s, dB = Op::dB, Hz = Op::Hz, ms = Op::ms;
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<TextCase> eightCharacters = {
        {f2s, 0.0f, 8, "0.000000"},    {f2s, 1.5f, 8, "1.500000"},
        {f2s, -2.25f, 8, "-2.25000"},  {f2s, 123.456f, 8, "123.4560"},
        {f2s, 99.99f, 8, "99.98999"},  {f2s, 0.00001f, 8, "0.000009"},
        {f2s, 1234567, 8, "1234567."}, {f2s, -123456, 8, "-123456."},
        {f2s, 100000000, 8, "Huge!"},  {f2s, inf, 8, "Huge!"},
        {f2s, -inf, 8, "Huge!"},       {f2s, 9999999, 8, "9999999."},
        {f2s, -999999, 8, "-999999."}, {f2s, std::nan(""), 8, "NaN"}};
    // Integer parts too long for eight characters show "Huge!": cut, they
    // would lose their leading digits and show another number.
    const std::vector<TextCase> otherLimits = {
        {f2s, 1.5f, 20, "1.500000"}, {f2s, 123.456f, 5, "123.4"}, {f2s, -2.25f, 1, "-"},
        {f2s, 1.5f, 0, ""},          {f2s, 12345678, 8, "Huge!"}, {f2s, 99999999, 8, "Huge!"},
        {f2s, -1234567, 8, "Huge!"}, {f2s, -9999999, 8, "Huge!"}};
    const std::vector<TextCase> units = {{dB, 0, 8, "-oo"},         {dB, -1, 8, "-oo"},
                                         {dB, 1, 8, "0.000000"},    {dB, 10, 8, "20.00000"},
                                         {dB, 0.5f, 8, "-6.02060"}, {Hz, 0, 8, "0.000000"},
                                         {Hz, 100, 8, "441.0000"},  {ms, 441, 8, "10.00000"}};
    const std::vector<TextCase> integers = {{i2s, 7, 8, "7"},
                                            {i2s, -42, 8, "-42"},
                                            {i2s, 0, 8, "0"},
                                            {i2s, 99999999, 8, "99999999"},
                                            {i2s, -123456789, 10, "-123456789"},
                                            {i2s, 100000000, 8, "Huge!"},
                                            {i2s, 12345, 3, "123"},
                                            {i2s, 1000, 8, "1000"},
                                            {i2s, -999999999, 10, "-999999999"},
                                            {i2s, -1000000000, 10, "Huge!"},
                                            {i2s, INT32_MIN, 10, "Huge!"}};
    for (const auto* table : {&eightCharacters, &otherLimits, &units, &integers}) {
        for (const TextCase& c : *table) {
            TextEffect effect;
            const std::string text =
                guardedText(c.maxLen, [&](char* t) { c.op(effect, c.value, t, c.maxLen); });
            EXPECT_EQ(text, c.text) << "value " << c.value << ", limit " << c.maxLen;
        }
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

// The table's Hz and ms texts are at 44100 Hz; with no rate, no division.
TEST(DisplayText, MsWithoutASampleRate) {
    TextEffect effect;
    effect.setSampleRate(0.0f);
    char text[9];
    effect.ms2string(48.0f, text, 8);
    EXPECT_STREQ(text, "Huge!");
}

TEST(TextPrimitives, BoundedCopyPadsAndTerminates) {
    char text[12];
    std::memset(text, '#', sizeof text);
    vstBoundedCopy(text, "abc", 8);
    EXPECT_EQ(std::string(text, 10), std::string("abc\0\0\0\0\0\0#", 10));
    EXPECT_EQ(guardedText(8, [](char* t) { vstBoundedCopy(t, "Funkiness", 8); }), "Funkines");
    EXPECT_EQ(guardedText(4, [](char* t) { vstBoundedCopy(t, nullptr, 4); }), "");
    vstBoundedCopy(nullptr, "x", 4);
    vstBoundedCopy(text, "x", -1);
    EXPECT_STREQ(text, "abc");
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
        const std::string text = guardedText(c.maxLen, [&](char* t) {
            std::strcpy(t, c.start);
            vstBoundedAppend(t, c.source, c.maxLen);
        });
        EXPECT_EQ(text, c.result) << c.start << " + " << (c.source ? c.source : "null");
    }
    // A text not terminated within maxLen + 1 bytes is cut at maxLen, never
    // searched past its buffer.
    char unterminated[6] = {'a', 'b', 'c', 'd', 'e', 'f'};
    vstBoundedAppend(unterminated, "x", 5);
    EXPECT_STREQ(unterminated, "abcde");
}

} // namespace
