#include "engine/sample.h"

#include <cstdio>

#include "engine/wavereader.h"

Sample::Sample(const std::string& path) : m_path(path) {
    if (readWaveFile(m_path, &m_pData, &m_numSamples) != WAVE_READ_OK) {
        m_pData = nullptr;
        m_numSamples = 0;
        std::printf("Failed to load %s\n", m_path.c_str());
    } else {
        std::printf("Loaded sample %s with length %d\n", m_path.c_str(), m_numSamples);
    }
}

Sample::~Sample() {
    freeWaveData(m_pData);
}
