#include "engine/sample.h"

#include <cstdio>

#include "engine/wavereader.h"

Sample::Sample(const std::string& path, bool mayOpen) : m_path(path) {
    const int32_t result = mayOpen ? readWaveFile(m_path, &m_pData, &m_numSamples)
                                   : refuseToOpenWave(m_path, &m_pData, &m_numSamples);
    if (result != WAVE_READ_OK) {
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
