#include "engine/envelope.h"

float ADSR::process(double dt) {
    const double t = m_elapsed + dt;
    m_elapsed = t;
    const double attack = m_pParams[0];
    const double decay = m_pParams[1];
    const double sustain = m_pParams[2];
    const double release = m_pParams[3];

    switch (m_state) {
    case On: {
        double level;
        if (t < attack) {
            level = t / attack;
        } else if (t < attack + decay) {
            level = 1.0 - (1.0 - sustain) * (t - attack) / decay;
        } else {
            level = sustain;
        }
        m_level = level;
        return static_cast<float>(m_gain * level);
    }
    case Release:
        if (t < release) {
            return static_cast<float>((m_level - (t / release) * m_level) * m_gain);
        }
        m_state = Idle;
        return 0.0f;
    default:
        return 0.0f;
    }
}

void ADSR::noteOn(double gain) {
    m_gain = gain;
    m_elapsed = 0.0;
    m_state = On;
}

void ADSR::noteOff() {
    m_elapsed = 0.0;
    m_state = Release;
}
