#include "engine/linearresampler.h"

#include <cmath>
#include <cstdio>

int32_t LinearResampler::process(float* accumL, float* accumR, int32_t semitones, double rate,
                                 const float* source, int32_t available) {
    const double step =
        static_cast<double>(std::pow(2.0f, static_cast<float>(semitones / 12.0))) * rate;
    const double phase = m_phase + step;
    m_phase = phase;

    // Floats to pass over: two per whole frame beyond the next one. Kept in
    // double until it is known to fit the source, so that no step, however
    // large, overflows an integer.
    double skip = 0.0;
    if (phase > 1.0) {
        m_needNext = true;
        skip = std::trunc((std::floor(phase) - 1.0) * 2.0);
        m_phase = (phase - 1.0) / (skip > 1.0 ? skip : 1.0);
    }

    int32_t consumed = 0;
    if (m_needNext) {
        m_prevL = m_curL;
        m_prevR = m_curR;
        // An infinite step asks for more floats than any source holds.
        if (!(skip + 2.0 <= static_cast<double>(available)) || source == nullptr) {
            std::puts("should only happen at very end");
            return 0;
        }
        const auto first = static_cast<int32_t>(skip);
        m_curL = source[first];
        m_curR = source[first + 1];
        if (step > 1.0) {
            const float smoothedL = static_cast<float>(m_prevL + 0.4 * (m_curL - m_prevL));
            const float smoothedR = static_cast<float>(m_prevR + 0.4 * (m_curR - m_prevR));
            m_curL = m_prevL = smoothedL;
            m_curR = m_prevR = smoothedR;
        }
        m_needNext = false;
        consumed = first + 2;
    }

    *accumL += m_prevL + (m_curL - m_prevL) * m_phase;
    *accumR += m_prevR + (m_curR - m_prevR) * m_phase;
    return consumed;
}
