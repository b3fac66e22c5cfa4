#include "engine/synthprogram.h"

#include <utility>

SynthProgram::SynthProgram(int32_t numParameters) : m_name("Unnamed Program") {
    for (int32_t i = 0; i < numParameters; ++i) {
        m_parameters.push_back(new SynthParameter());
    }
}

SynthProgram::SynthProgram(const SynthProgram& other) {
    copyFrom(other);
}

SynthProgram& SynthProgram::operator=(const SynthProgram& other) {
    if (this != &other) {
        copyFrom(other);
    }
    return *this;
}

SynthProgram::SynthProgram(SynthProgram&& other) noexcept
    : m_parameters(std::move(other.m_parameters)), m_name(std::move(other.m_name)) {
    other.m_parameters.clear();
}

SynthProgram& SynthProgram::operator=(SynthProgram&& other) noexcept {
    if (this != &other) {
        std::swap(m_parameters, other.m_parameters);
        std::swap(m_name, other.m_name);
    }
    return *this;
}

SynthProgram::~SynthProgram() {
    for (SynthParameter*& parameter : m_parameters) {
        delete parameter;
        parameter = nullptr;
    }
}

void SynthProgram::copyFrom(const SynthProgram& source) {
    m_name = source.m_name;
    std::vector<SynthParameter*> replaced;
    replaced.swap(m_parameters);
    m_parameters.reserve(source.m_parameters.size());
    for (const SynthParameter* parameter : source.m_parameters) {
        m_parameters.push_back(parameter != nullptr ? parameter->clone() : nullptr);
    }
    for (auto it = replaced.rbegin(); it != replaced.rend(); ++it) {
        delete *it;
    }
}
