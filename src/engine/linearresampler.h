#pragma once

#include <cstdint>

// Reads an interleaved stereo float source at a fractional step, one output
// frame per call. Steps up to 1 interpolate linearly between the two newest
// source frames; larger steps skip frames and pass each fetched frame through
// a one-pole smoother (y = y' + 0.4 (x - y')). The state carries over from call
// to call; nothing resets it.
//
// Threads: audio thread. No allocation; one powf and one floor per call.
class LinearResampler {
public:
    // Phase 0, both stored frames 0, a fetch pending.
    LinearResampler() = default;
    virtual ~LinearResampler() = default;

    // Adds one output frame into *accumL and *accumR, reading from `source`
    // (the caller's current position; `available` floats from there) at the
    // step 2^(semitones/12) * rate. Returns the floats consumed, by which the
    // caller advances its position. When the fetch needs more floats than are
    // available it prints "should only happen at very end" on standard output,
    // adds nothing and returns 0.
    int32_t process(float* accumL, float* accumR, int32_t semitones, double rate,
                    const float* source, int32_t available);

    double m_phase = 0.0;
    float m_curL = 0.0f;
    float m_curR = 0.0f;
    float m_prevL = 0.0f;
    float m_prevR = 0.0f;
    bool m_needNext = true;
};
