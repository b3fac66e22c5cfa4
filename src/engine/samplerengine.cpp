#include "engine/samplerengine.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "engine/factoryprograms.h"
#include "engine/samplepackloader.h"
#include "engine/sampler.h"
#include "engine/samplerprogram.h"
#include "platform/registry.h"

const char* const SAMPLER_REGISTRY_KEY = "SOFTWARE\\Kestrovalian\\Amber Threshold";
const char* const SAMPLER_REGISTRY_VALUE = "InstallDir";
const char* const SAMPLER_DEFAULT_SOUNDS_DIR = "C:/Program Files/Amber Threshold/sounds";

namespace {

constexpr DWORD REGISTRY_BUFFER_BYTES = 1024;
constexpr int32_t INTERLEAVE_BUFFER_FLOATS = 65536;

struct SoundsDir {
    std::mutex mutex;
    std::string path;
};

SoundsDir& soundsDir() {
    static SoundsDir dir;
    return dir;
}

} // namespace

std::string readRegistryString(const std::string& keyPath, const std::string& valueName) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                      &key) != ERROR_SUCCESS) {
        return std::string();
    }
    BYTE buffer[REGISTRY_BUFFER_BYTES];
    DWORD size = REGISTRY_BUFFER_BYTES;
    const LONG status = RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr, buffer, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        return std::string();
    }
    // Strings are normally stored with their terminator, but need not be:
    // trailing NULs are dropped, a last character that is not one is kept.
    std::string text(reinterpret_cast<const char*>(buffer), std::min(size, REGISTRY_BUFFER_BYTES));
    while (!text.empty() && text.back() == '\0') {
        text.pop_back();
    }
    return text;
}

std::string samplerSoundsDir() {
    SoundsDir& dir = soundsDir();
    std::lock_guard<std::mutex> lock(dir.mutex);
    return dir.path;
}

SamplerEngine::SamplerEngine()
    : SynthEngine(16, 0, 2, "Amber Threshold", "Kestrovalian", "Amber Threshold", 1) {
    const std::string installDir = readRegistryString(SAMPLER_REGISTRY_KEY, SAMPLER_REGISTRY_VALUE);
    // As a C string: a NUL inside the value ends the folder there.
    const std::string folder = installDir.empty() ? std::string(SAMPLER_DEFAULT_SOUNDS_DIR)
                                                  : std::string(installDir.c_str()) + "/sounds";
    {
        SoundsDir& dir = soundsDir();
        std::lock_guard<std::mutex> lock(dir.mutex);
        dir.path = folder;
    }

    m_programs.push_back(SamplerProgram());
    m_programs[0].setName("Default");
    buildFactoryPrograms(m_programs);
    m_pCurrentProgram.store(&m_programs[0], std::memory_order_relaxed);

    m_pInterleaveBuffer = std::make_unique<float[]>(INTERLEAVE_BUFFER_FLOATS);
    m_pSampler = std::make_unique<Sampler>();
}

SamplerEngine::~SamplerEngine() {
    m_pSampler.reset();
}

void SamplerEngine::process(float** /*inputs*/, float** outputs, int32_t numFrames) {
    if (outputs == nullptr || outputs[0] == nullptr || outputs[1] == nullptr) {
        return;
    }
    float* const left = outputs[0];
    float* const right = outputs[1];
    float* const interleaved = m_pInterleaveBuffer.get();
    for (int32_t done = 0; done < numFrames;) {
        const int32_t piece = std::min(numFrames - done, SAMPLER_ENGINE_MAX_PIECE_FRAMES);
        // The host's content is discarded: the block starts silent.
        std::fill(interleaved, interleaved + 2 * piece, 0.0f);
        m_pSampler->mix(interleaved, piece, eventQueueTick, m_pEventQueue);
        for (int32_t i = 0; i < piece; ++i) {
            left[done + i] = interleaved[2 * i];
            right[done + i] = interleaved[2 * i + 1];
        }
        done += piece;
    }
}

void SamplerEngine::setProgram(int32_t index) {
    // The host and the editor may change programs at the same moment. Each
    // change makes its program current and then installs that program's pack;
    // interleaved, a late installation would leave another program's pack
    // playing under the current one. Changes therefore run one at a time. The
    // audio thread never takes this lock, so a change still costs it no more
    // than the sampler's own lock during the installation.
    std::lock_guard<std::mutex> change(m_programChangeMutex);
    SynthEngine::setProgram(index);
    const std::string name = currentProgramName();
    m_pSampler->stopAllVoices();
    const std::string folder = samplerSoundsDir();
    const std::string path = folder + "/" + name + ".jsfb";
    if (!isNameInFolder(name)) {
        std::printf("Loading sample pack from file: %s\n", path.c_str());
        std::printf("Failed to open sample pack: %s\n", path.c_str());
        return;
    }
    m_pSampler->loadSamplePackFile(path, folder);
}

void SamplerEngine::storeSampleRate(float rate) {
    m_sampleRate = rate;
}

void SamplerEngine::noteOn(int32_t note, int32_t /*velocity*/) {
    std::printf("note on: %d\n", note);
    m_pSampler->noteOn(note);
}

void SamplerEngine::noteOff(int32_t note) {
    m_pSampler->noteOff(note);
}

void SamplerEngine::pitchBend(float /*amount*/) {}
