#pragma once

#include <cstdint>

// An envelope: one value per process step. It knows no sample rate; its time
// is the sum of the steps its caller gives.
//
// Threads: audio thread. No allocation.
class Envelope {
public:
    // Advances the time by dt and returns the value there.
    virtual float process(double dt) = 0;
    // True while the envelope sounds (attack to the end of its release).
    virtual bool isActive() const = 0;
    // Starts the envelope from time 0 with `gain`.
    virtual void noteOn(double gain) = 0;
    // Starts the release from time 0.
    virtual void noteOff() = 0;
    // Declared after the four operations so that they keep the first slots.
    virtual ~Envelope() = default;
};

// Linear attack, decay, sustain and release over four settings that the key
// zone owns: attack time, decay time, sustain level, release time. The
// settings are read at every call, not copied, and not validated: with times
// of 0 or more and a sustain level within 0..1, every value lies within 0..gain.
class ADSR : public Envelope {
public:
    enum State : int32_t { Idle = 0, On = 1, Release = 2 };

    // `params` points to four doubles that outlive the envelope (not owned).
    explicit ADSR(const double* params) : m_pParams(params) {}

    // t = elapsed + dt. On: t/A during the attack, the linear decay to S,
    // then S (times the gain). Release: ramps the last On level to 0 over R,
    // then goes Idle. Idle: 0. Comparisons are strict; double precision.
    float process(double dt) override;
    bool isActive() const override { return m_state != Idle; }
    // Gain stored, time 0, state On; the last level is kept.
    void noteOn(double gain) override;
    // Time 0, state Release, from any state.
    void noteOff() override;

    double m_elapsed = 0.0;
    int32_t m_state = Idle;
    const double* m_pParams; // not owned
    double m_gain = 0.0;
    double m_level = 0.0;
};
