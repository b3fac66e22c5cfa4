#include "engine/factoryprograms.h"

#include <cstdio>

#include "engine/samplerprogram.h"

void buildFactoryPrograms(std::vector<SynthProgram>& programs) {
    const SamplerProgram programTemplate;
    // Each entry appends a fresh program first and then fills the one before
    // it: the first entry takes over the engine's "Default" program, and the
    // program appended last stays "Unnamed Program".
    for (int k = 0; k < FACTORY_PROGRAM_COUNT; ++k) {
        programs.push_back(SamplerProgram());
        SynthProgram& program = programs[static_cast<std::size_t>(k)];
        program = programTemplate;
        program.setName(factoryProgramName(k));
        SynthParameter* const parameter = program.getParameters()[0];
        const float span = parameter->m_max - parameter->m_min;
        parameter->setValue(static_cast<float>(parameter->m_min + span * 0.5));
    }
}

int printGreeting() {
    std::printf("Hello, I am a synth");
    return 0;
}
