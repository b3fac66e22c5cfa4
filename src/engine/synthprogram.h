#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/synthparameter.h"

// A program: a name and its own parameters. Held by value in the engine's
// program list; copying a program clones every parameter, so no two programs
// ever share a parameter object.
//
// Threads: no lock. Changing the parameter list (copy, assignment) happens
// while the engine is built; afterwards only names and values change, the
// names only through the engine's guarded accessors (SynthEngine).
class SynthProgram {
public:
    // Name "Unnamed Program" and `numParameters` default SynthParameters (none
    // for 0 or less). Throws std::bad_alloc.
    explicit SynthProgram(int32_t numParameters);
    // Empty name and list, then copyFrom(other).
    SynthProgram(const SynthProgram& other);
    // copyFrom(other) unless it is this program.
    SynthProgram& operator=(const SynthProgram& other);
    // Takes over the other program's name and parameters; the other is left
    // empty. Lets the engine's list grow without cloning.
    SynthProgram(SynthProgram&& other) noexcept;
    SynthProgram& operator=(SynthProgram&& other) noexcept;
    // Deletes every parameter, first to last.
    ~SynthProgram();

    // Deep copy: the name, then clones of the source's parameters replace this
    // program's, whose old objects are deleted last to first.
    void copyFrom(const SynthProgram& source);

    // Renames the program. No lock: the constructing thread, or a caller
    // that holds the engine's names' lock (SynthEngine::renameCurrentProgram).
    void setName(const std::string& name) { m_name = name; }
    // The program's own list (not a copy), indexed by the host's parameter index.
    std::vector<SynthParameter*>& getParameters() { return m_parameters; }
    const std::vector<SynthParameter*>& getParameters() const { return m_parameters; }

    std::vector<SynthParameter*> m_parameters; // each owned
    std::string m_name;
};
