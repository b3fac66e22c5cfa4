#include "engine/samplepackloader.h"

#include <google/protobuf/io/coded_stream.h>
#include <google/protobuf/io/zero_copy_stream_impl.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "engine/sampler.h"
#include "engine/wavereader.h"
#include "samplepack.pb.h"

namespace {

// The sustain level scales the sample directly: one outside 0..1 would
// amplify beyond full scale or invert the sound, and one that is not a number
// or infinite would make the voice output NaN. The times need no such care:
// whatever their value, the envelope's comparisons keep its output between 0
// and the sustain level or 1.
double sustainLevel(float value) {
    if (std::isnan(value)) {
        return 1.0;
    }
    return std::clamp(static_cast<double>(value), 0.0, 1.0);
}

int32_t clampKey(int32_t key) {
    return std::clamp(key, 0, SAMPLER_NUM_NOTES - 1);
}

} // namespace

bool readSamplePack(int fd, Kestrovalian::SamplePack& pack) {
    google::protobuf::io::FileInputStream stream(fd);
    google::protobuf::io::CodedInputStream coded(&stream);
    coded.SetTotalBytesLimit(SAMPLE_PACK_MAX_BYTES);
    coded.SetRecursionLimit(SAMPLE_PACK_MAX_NESTING);
    return pack.ParseFromCodedStream(&coded) && coded.ConsumedEntireMessage();
}

bool isNameInFolder(const std::string& name) {
    return name.find_first_of("/\\") == std::string::npos && name != "." && name != "..";
}

void Sampler::loadSamplePack(const Kestrovalian::SamplePack& pack, std::string folder) {
    MutexLock lock(m_pMutex.get());
    m_ready.store(false, std::memory_order_release);
    for (auto& voice : m_voices) {
        voice->setActive(false);
    }
    clearZones();
    for (int i = 0; i < pack.zone_size(); ++i) {
        const Kestrovalian::SamplePack_Zone& record = pack.zone(i);
        auto zone = std::make_unique<SamplerZone>(
            record.start_key(), record.end_key(), record.start_vel(), record.end_vel(),
            record.root_key(), folder + "/" + record.filename(), isNameInFolder(record.filename()));
        const Kestrovalian::SamplePack_Zone_ADSRParams& adsr = record.adsr_params();
        zone->m_adsrParams[0] = static_cast<double>(adsr.attack_time());
        zone->m_adsrParams[1] = static_cast<double>(adsr.decay_time());
        zone->m_adsrParams[2] = sustainLevel(adsr.sustain_level());
        zone->m_adsrParams[3] = static_cast<double>(adsr.release_time());
        SamplerZone* const installed = zone.get();
        m_zones.push_back(std::move(zone));
        const int32_t low = clampKey(record.start_key());
        const int32_t high = clampKey(record.end_key());
        for (int32_t key = low; key <= high; ++key) {
            m_keymap[key] = installed;
        }
    }
    m_ready.store(true, std::memory_order_release);
}

bool Sampler::installPackFile(const std::string& path, std::string folder) {
    // A folder would read as an empty pack and silence every key, and a FIFO
    // would block the program change: neither is a pack, any more than a
    // missing file is.
    const int fd = openRegularFile(path);
    if (fd < 0) {
        return false;
    }
    Kestrovalian::SamplePack pack;
    readSamplePack(fd, pack); // a damaged pack installs what was read
    ::close(fd);
    loadSamplePack(pack, std::move(folder));
    return true;
}

void Sampler::loadSamplePackFile(std::string path, std::string folder) {
    std::printf("Loading sample pack from file: %s\n", path.c_str());
    if (!installPackFile(path, std::move(folder))) {
        std::printf("Failed to open sample pack: %s\n", path.c_str());
    }
}

void Sampler::loadDefaultSamplePack(std::string folder) {
    if (!installPackFile(folder + "/samplepack.jsfb", folder)) {
        std::printf("Failed to open sample pack: %s\n", folder.c_str());
    }
}

struct Sampler::LoaderRequest {
    Sampler* sampler;
    std::string folder;
    std::string file; // empty: the default pack
    std::function<void()> done;
};

void* Sampler::loaderThreadMain(void* argument) {
    std::unique_ptr<LoaderRequest> request(static_cast<LoaderRequest*>(argument));
    if (!request->file.empty()) {
        request->sampler->loadSamplePackFile(request->file, request->folder);
    } else {
        request->sampler->loadDefaultSamplePack(request->folder);
    }
    if (request->done) {
        request->done();
    }
    request.reset();
    pthread_exit(nullptr);
}

void Sampler::startLoader(std::string file, std::string folder, std::function<void()> done) {
    // One loader at a time, and never one left running or unjoined: each
    // would otherwise keep its thread's resources and could outlive the core.
    if (m_loaderRunning) {
        pthread_join(m_loaderThread, nullptr);
        m_loaderRunning = false;
    }
    auto request = std::make_unique<LoaderRequest>(
        LoaderRequest{this, std::move(folder), std::move(file), std::move(done)});
    if (pthread_create(&m_loaderThread, nullptr, &Sampler::loaderThreadMain, request.get()) == 0) {
        request.release();
        m_loaderRunning = true;
    }
}

void Sampler::loadSamplePackFileAsync(std::string file, std::string folder,
                                      std::function<void()> done) {
    startLoader(std::move(file), std::move(folder), std::move(done));
}

void Sampler::loadDefaultSamplePackAsync(std::string folder, std::function<void()> done) {
    startLoader(std::string(), std::move(folder), std::move(done));
}
