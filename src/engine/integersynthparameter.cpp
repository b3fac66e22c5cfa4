#include "engine/integersynthparameter.h"

#include <cmath>
#include <cstdio>
#include <limits>

IntegerSynthParameter::IntegerSynthParameter(const char* name, const char* unit, float min,
                                             float max, float defaultValue)
    : SynthParameter(name, unit, min, max, defaultValue) {
    m_fromNormalized = floorFromNormalized;
    m_toNormalized = floorToNormalized;
}

namespace {

// Truncation toward zero, kept defined for values no int can hold.
int truncateToInt(float value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= static_cast<float>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    if (value <= static_cast<float>(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(value);
}

} // namespace

std::string IntegerSynthParameter::getDisplay() const {
    char text[SYNTH_PARAMETER_DISPLAY_MAX + 1];
    std::snprintf(text, sizeof text, "%d %s", truncateToInt(getValue()), m_unit.c_str());
    return text;
}

void IntegerSynthParameter::setValue(float v) {
    SynthParameter::setValue(std::floor(v));
}

SynthParameter* IntegerSynthParameter::clone() const {
    return new IntegerSynthParameter(*this);
}
