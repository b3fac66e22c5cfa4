#include "engine/samplerzone.h"

SamplerZone::SamplerZone()
    : m_adsrParams(new double[4]{1.0, 1.0, 1.0, 300.0}), m_startKey(0), m_endKey(127),
      m_startVel(0), m_endVel(127), m_rootKey(65) {}

SamplerZone::SamplerZone(int32_t startKey, int32_t endKey, int32_t startVel, int32_t endVel,
                         int32_t rootKey, std::string path, bool mayOpen)
    : m_adsrParams(new double[4]{5.0, 1.0, 1.0, 300.0}), m_startKey(startKey), m_endKey(endKey),
      m_startVel(startVel), m_endVel(endVel), m_rootKey(rootKey) {
    m_pSample = new Sample(path, mayOpen);
}

SamplerZone::~SamplerZone() {
    delete m_pSample;
    delete[] m_adsrParams;
}

void SamplerZone::setSample(Sample* sample) {
    if (sample != m_pSample) {
        delete m_pSample;
        m_pSample = sample;
    }
}
