#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <tuple>

#include "engine/integersynthparameter.h"
#include "engine/synthparameter.h"

namespace {

// Neither direction clamps (setValue does), and each rounds every step to
// float, which differs from rounding a double once in the last two rows.
// The instrument's own parameter plays through the plug-in tests.
TEST(SynthParameter, MappingClampingAndDisplay) {
    // clang-format off
    // A mapping, its range, what goes in and what comes out.
    const std::tuple<float (*)(float, float, float), float, float, float, float> mappings[] = {
        {floorFromNormalized, -3, 3, -1.0f, -9.0f}, {floorToNormalized, -3, 3, 2.9f, 5.0f / 6.0f},
        {linearFromNormalized, 0, 1, 2.0f, 2.0f},   {linearToNormalized, 0, 10, -5.0f, -0.5f},
        {linearFromNormalized, -3, 3, 0.7f, 0x1.33333p+0f},
        {linearToNormalized, -3, 3, 1.7f, 0x1.91111p-1f}};
    // Set on a plain and an integer parameter over -3..3 whose value is 1.
    const float clamps[][3] = {{2.7f, 2.7f, 2.0f}, {-2.5f, -2.5f, -3.0f}, {-3.2f, -3.0f, -3.0f},
                               {9.0f, 3.0f, 3.0f}, {NAN, 1.0f, 1.0f}};
    // clang-format on
    for (const auto& [map, min, max, in, out] : mappings) {
        EXPECT_EQ(map(min, max, in), out) << in;
    }
    for (const auto& c : clamps) {
        SynthParameter plain("P", "osc", -3.0f, 3.0f, 1.0f);
        IntegerSynthParameter integer("I", "osc", -3.0f, 3.0f, 1.0f);
        plain.setValue(c[0]);
        integer.setValue(c[0]);
        EXPECT_EQ(std::pair(plain.getValue(), integer.getValue()), std::pair(c[1], c[2])) << c[0];
    }
    // Integers are cut toward 0 and kept within int; texts to 63 characters.
    const std::string longUnit(300, 'u');
    // clang-format off
    const std::tuple<bool, float, const char*, std::string> texts[] = {
        {false, -3.0f, "osc", "-3.00 osc"}, {true, -2.9f, "osc", "-2 osc"},
        {true, 1e20f, "", "2147483647 "},   {true, NAN, "x", "0 x"},
        {false, 1.0f, longUnit.c_str(), "1.00 " + longUnit.substr(0, 58)},
        {true, 7.0f, longUnit.c_str(), "7 " + longUnit.substr(0, 61)}};
    // clang-format on
    for (const auto& [integer, value, unit, text] : texts) {
        const std::unique_ptr<SynthParameter> p(
            integer ? new IntegerSynthParameter("I", unit, -1e30f, 1e30f, 0.0f)
                    : new SynthParameter("P", unit, -1e30f, 1e30f, 0.0f));
        p->m_value = value;
        EXPECT_EQ(p->getDisplay(), text) << value;
    }
}

} // namespace
