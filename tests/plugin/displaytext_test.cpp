// The base class's display texts and the bounded text primitives.
#include "boundedtext.h"
#include "plugin/vsttext.h"
#include "recording.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <tuple>

namespace {

// The text operations under one signature, so that one table holds them all.
using TextOp = void (*)(AudioEffect&, double, char*, int);
const TextOp f2s = [](AudioEffect& e, double v, char* t, int n) { e.float2string(float(v), t, n); };
const TextOp i2s = [](AudioEffect& e, double v, char* t, int n) {
    e.int2string(VstInt32(v), t, n);
};
const TextOp dB = [](AudioEffect& e, double v, char* t, int n) { e.dB2string(float(v), t, n); };
const TextOp Hz = [](AudioEffect& e, double v, char* t, int n) { e.Hz2string(float(v), t, n); };
const TextOp ms = [](AudioEffect& e, double v, char* t, int n) { e.ms2string(float(v), t, n); };

// Hz and ms at 44100 Hz. Integer parts too long for eight characters show
// "Huge!": cut, they would lose their leading digits and show another number.
TEST(DisplayText, ExampleTables) {
    const float inf = std::numeric_limits<float>::infinity();
    const std::tuple<TextOp, double, int, const char*> cases[] = {
        {f2s, 0.0f, 8, "0.000000"},
        {f2s, 1.5f, 8, "1.500000"},
        {f2s, -2.25f, 8, "-2.25000"},
        {f2s, 123.456f, 8, "123.4560"},
        {f2s, 99.99f, 8, "99.98999"},
        {f2s, 1e-5f, 8, "0.000009"},
        {f2s, 1234567, 8, "1234567."},
        {f2s, -123456, 8, "-123456."},
        {f2s, 1e8, 8, "Huge!"},
        {f2s, inf, 8, "Huge!"},
        {f2s, -inf, 8, "Huge!"},
        {f2s, 9999999, 8, "9999999."},
        {f2s, -999999, 8, "-999999."},
        {f2s, std::nan(""), 8, "NaN"},
        {f2s, 1.5f, 20, "1.500000"},
        {f2s, 123.456f, 5, "123.4"},
        {f2s, -2.25f, 1, "-"},
        {f2s, 1.5f, 0, ""},
        {f2s, 12345678, 8, "Huge!"},
        {f2s, 99999999, 8, "Huge!"},
        {f2s, -1234567, 8, "Huge!"},
        {f2s, -9999999, 8, "Huge!"},
        {dB, 0, 8, "-oo"},
        {dB, -1, 8, "-oo"},
        {dB, 1, 8, "0.000000"},
        {dB, 10, 8, "20.00000"},
        {dB, 0.5f, 8, "-6.02060"},
        {Hz, 0, 8, "0.000000"},
        {Hz, 100, 8, "441.0000"},
        {ms, 441, 8, "10.00000"},
        {i2s, 7, 8, "7"},
        {i2s, -42, 8, "-42"},
        {i2s, 0, 8, "0"},
        {i2s, 99999999, 8, "99999999"},
        {i2s, 1e8, 8, "Huge!"},
        {i2s, 12345, 3, "123"},
        {i2s, 1000, 8, "1000"},
        {i2s, -123456789, 10, "-123456789"},
        {i2s, -999999999, 10, "-999999999"},
        {i2s, -1e9, 10, "Huge!"},
        {i2s, INT_MIN, 10, "Huge!"}};
    for (const auto& [op, value, limit, text] : cases) {
        PlainEffect effect;
        EXPECT_EQ(boundedText(limit, [&](char* t) { op(effect, value, t, limit); }), text)
            << "value " << value << ", limit " << limit;
    }
    // With no sample rate, no division.
    PlainEffect effect;
    effect.setSampleRate(0.0f);
    EXPECT_EQ(boundedText(8, [&](char* t) { ms(effect, 48, t, 8); }), "Huge!");
}

TEST(TextPrimitives, BoundedCopyAndAppendNeverRunPastTheLimit) {
    EXPECT_EQ(boundedText(8, [](char* t) { vstBoundedCopy(t, "abc", 8); }), "abc");
    EXPECT_EQ(boundedText(8, [](char* t) { vstBoundedCopy(t, "Funkiness", 8); }), "Funkines");
    EXPECT_EQ(boundedText(4, [](char* t) { vstBoundedCopy(t, nullptr, 4); }), "");
    vstBoundedCopy(nullptr, "x", 4);
    char text[4] = "abc";
    vstBoundedCopy(text, "x", -1);
    vstBoundedAppend(text, "x", -1);
    vstBoundedAppend(nullptr, "x", 4);
    EXPECT_STREQ(text, "abc");

    // A text not terminated within limit + 1 bytes is cut at the limit,
    // never searched past its buffer.
    const std::tuple<const char*, const char*, int, const char*> cases[] = {
        {"Vstx ", "1", 63, "Vstx 1"}, {"abc", "defgh", 5, "abcde"}, {"abcdef", "xyz", 6, "abcdef"},
        {"", "xyz", 2, "xy"},         {"ab", "", 4, "ab"},          {"ab", nullptr, 4, "ab"},
        {"abcdef", "x", 5, "abcde"}};
    for (const auto& [start, source, limit, result] : cases) {
        const std::string appended = boundedText(
            limit,
            [&](char* t) {
                std::memcpy(t, start, std::strlen(start) + (std::strlen(start) <= size_t(limit)));
                vstBoundedAppend(t, source, limit);
            },
            false);
        EXPECT_EQ(appended, result) << start << " + " << (source ? source : "null");
    }
}

} // namespace
