#include "engine/samplerprogram.h"

#include "engine/integersynthparameter.h"

SamplerProgram::SamplerProgram() : SynthProgram(1) {
    SynthParameter* const funkiness =
        new IntegerSynthParameter("Funkiness", "osc", -3.0f, 3.0f, 0.0f);
    delete m_parameters[0];
    m_parameters[0] = funkiness;
}
