#pragma once

#include "engine/synthparameter.h"

// A parameter of whole numbers: floor mappings, floored values, "%d %s".
class IntegerSynthParameter : public SynthParameter {
public:
    // As SynthParameter's constructor, then the floor mappings; the default is
    // stored as given, not floored.
    IntegerSynthParameter(const char* name, const char* unit, float min, float max,
                          float defaultValue);
    IntegerSynthParameter(const IntegerSynthParameter& other) = default;

    // "%d %s" of the value truncated toward zero (saturating at the int range,
    // 0 for NaN) and the unit, cut to fit 63 characters. Any thread.
    std::string getDisplay() const override;
    // Floors v (floorf), then clamps it as SynthParameter::setValue. Any thread.
    void setValue(float v) override;
    // A new IntegerSynthParameter with the same fields; the caller owns it.
    SynthParameter* clone() const override;
};
