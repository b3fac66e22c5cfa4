#pragma once

#include "engine/synthprogram.h"

// The instrument's one kind of program: "Unnamed Program" with the single
// integer parameter "Funkiness" (unit "osc", -3..3, value 0), which the host
// and the editor show and set and the sound never reads.
class SamplerProgram : public SynthProgram {
public:
    // Any thread; throws std::bad_alloc.
    SamplerProgram();
};
