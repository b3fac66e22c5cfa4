#pragma once

#include <atomic>
#include <string>

// Maps a host value (normally 0..1) into a parameter value, or back. Both are
// always called as (min, max, value). Single precision throughout.
using ParameterMapping = float (*)(float min, float max, float value);

// (max - min) * x + min.
float linearFromNormalized(float min, float max, float x);
// (v - min) / (max - min).
float linearToNormalized(float min, float max, float v);
// floorf((max - min) * x + min).
float floorFromNormalized(float min, float max, float x);
// (floorf(v) - min) / (max - min).
float floorToNormalized(float min, float max, float v);

// A named float value with a unit and a range, converted to and from the
// host's normalised scale by its two mapping functions.
//
// Threads: no lock. The host's parameter calls, its dispatcher, the editor and
// its idle read and write m_value from their own threads. The value is one
// atomic float accessed with relaxed ordering: a reader needs some whole value
// that was written, and nothing else is published through it (the range, name
// and mappings never change after construction).
class SynthParameter {
public:
    // "Unnamed Parameter", no unit, range 0..1, default and value 0, linear mappings.
    SynthParameter();
    // Name and unit copied; value = default (not clamped); linear mappings.
    SynthParameter(const char* name, const char* unit, float min, float max, float defaultValue);
    // Copies all fields, the mapping functions included; the value as it
    // reads at that moment.
    SynthParameter(const SynthParameter& other);
    SynthParameter& operator=(const SynthParameter&) = delete;

    // "%.2f %s" of the value and the unit, cut to fit 63 characters. Any thread.
    virtual std::string getDisplay() const;
    // Stores v clamped to [m_min, m_max], the lower bound tested first; a NaN
    // leaves the value unchanged. Any thread.
    virtual void setValue(float v);
    // A new parameter of the same class with the same fields; the caller owns it.
    virtual SynthParameter* clone() const;
    // Declared after the three operations so that they keep the first slots.
    virtual ~SynthParameter() = default;

    // The current value. Any thread.
    float getValue() const { return m_value.load(std::memory_order_relaxed); }

    ParameterMapping m_fromNormalized;
    ParameterMapping m_toNormalized;
    std::string m_name;
    std::string m_unit;
    float m_max;
    float m_min;
    float m_default;
    std::atomic<float> m_value;
};

// Longest display text a parameter gives, without the terminator: the texts
// are formatted into a 64-byte buffer and never run past it.
constexpr int SYNTH_PARAMETER_DISPLAY_MAX = 63;

// The host may automate from its audio thread, where nothing may lock.
static_assert(std::atomic<float>::is_always_lock_free, "a parameter value must never lock");
