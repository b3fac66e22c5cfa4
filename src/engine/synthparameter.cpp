#include "engine/synthparameter.h"

#include <cmath>
#include <cstdio>

float linearFromNormalized(float min, float max, float x) {
    return (max - min) * x + min;
}

float linearToNormalized(float min, float max, float v) {
    return (v - min) / (max - min);
}

float floorFromNormalized(float min, float max, float x) {
    return std::floor((max - min) * x + min);
}

float floorToNormalized(float min, float max, float v) {
    return (std::floor(v) - min) / (max - min);
}

SynthParameter::SynthParameter()
    : m_fromNormalized(linearFromNormalized), m_toNormalized(linearToNormalized),
      m_name("Unnamed Parameter"), m_max(1.0f), m_min(0.0f), m_default(0.0f), m_value(0.0f) {}

SynthParameter::SynthParameter(const char* name, const char* unit, float min, float max,
                               float defaultValue)
    : m_fromNormalized(linearFromNormalized), m_toNormalized(linearToNormalized),
      m_name(name != nullptr ? name : ""), m_unit(unit != nullptr ? unit : ""), m_max(max),
      m_min(min), m_default(defaultValue), m_value(defaultValue) {}

SynthParameter::SynthParameter(const SynthParameter& other)
    : m_fromNormalized(other.m_fromNormalized), m_toNormalized(other.m_toNormalized),
      m_name(other.m_name), m_unit(other.m_unit), m_max(other.m_max), m_min(other.m_min),
      m_default(other.m_default), m_value(other.getValue()) {}

std::string SynthParameter::getDisplay() const {
    char text[SYNTH_PARAMETER_DISPLAY_MAX + 1];
    // snprintf never writes past the buffer; a long unit is simply cut.
    std::snprintf(text, sizeof text, "%.2f %s", static_cast<double>(getValue()), m_unit.c_str());
    return text;
}

void SynthParameter::setValue(float v) {
    // A NaN from a host lies in no range: the value stays what it was.
    if (std::isnan(v)) {
        return;
    }
    const float clamped = m_min > v ? m_min : (v > m_max ? m_max : v);
    m_value.store(clamped, std::memory_order_relaxed);
}

SynthParameter* SynthParameter::clone() const {
    return new SynthParameter(*this);
}
