#include "renderer.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>

namespace {

// Room for the events of one block; a block with more is cut short.
constexpr int kMaxEventsPerBlock = 512;

// Laid out as the host's event list with room for kMaxEventsPerBlock entries.
struct EventList {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[kMaxEventsPerBlock];
};
static_assert(offsetof(EventList, events) == offsetof(VstEvents, events));

std::int64_t frameOf(double seconds, double sampleRate) {
    return std::max<std::int64_t>(0, std::llround(seconds * sampleRate));
}

} // namespace

RenderResult renderPerformance(VstPlugin& plugin, const Performance& performance,
                               const RenderOptions& options) {
    RenderResult result;
    AEffect* effect = plugin.effect();
    const VstInt32 blockSize = std::max<VstInt32>(1, options.blockSize);
    hostState().tempo = performance.tempo;
    plugin.start(options.sampleRate, blockSize);
    if (options.program >= 0 && options.program < effect->numPrograms) {
        plugin.dispatch(effSetProgram, 0, options.program);
    }

    const int inputs = std::max(0, effect->numInputs);
    const int outputs = std::max(0, effect->numOutputs);
    result.channels = outputs;
    result.sampleRate = options.sampleRate;
    std::vector<std::vector<float>> inputBuffers(inputs, std::vector<float>(blockSize, 0.0f));
    std::vector<std::vector<float>> outputBuffers(outputs, std::vector<float>(blockSize, 0.0f));
    std::vector<float*> inputPointers;
    std::vector<float*> outputPointers;
    for (auto& b : inputBuffers) {
        inputPointers.push_back(b.data());
    }
    for (auto& b : outputBuffers) {
        outputPointers.push_back(b.data());
    }

    const auto& events = performance.events;
    const std::int64_t total =
        frameOf(performance.length() + options.tailSeconds, options.sampleRate);
    result.interleaved.reserve(static_cast<std::size_t>(total) * outputs);
    std::vector<VstMidiEvent> midi(kMaxEventsPerBlock);
    EventList list{};

    std::size_t next = 0;
    double sumOfSquares = 0.0;
    std::int64_t pos = 0;
    while (pos < total) {
        // Program changes due now are made between blocks.
        while (next < events.size() && events[next].program >= 0 &&
               frameOf(events[next].seconds, options.sampleRate) <= pos) {
            const PerformanceEvent& e = events[next++];
            if (e.program < effect->numPrograms) {
                plugin.dispatch(effSetProgram, 0, e.program);
                result.parts.push_back(e.label.empty() ? "program " + std::to_string(e.program)
                                                       : e.label);
            }
        }
        std::int64_t length = std::min<std::int64_t>(blockSize, total - pos);
        int count = 0;
        for (std::size_t i = next; i < events.size(); ++i) {
            const std::int64_t frame = frameOf(events[i].seconds, options.sampleRate);
            if (frame >= pos + length) {
                break;
            }
            if (events[i].program >= 0 || count == kMaxEventsPerBlock) {
                length = std::max<std::int64_t>(1, frame - pos);
                break;
            }
            VstMidiEvent& m = midi[static_cast<std::size_t>(count)];
            m = VstMidiEvent{};
            m.type = kVstMidiType;
            m.byteSize = sizeof(VstMidiEvent);
            m.deltaFrames = static_cast<VstInt32>(std::max<std::int64_t>(0, frame - pos));
            m.flags = kVstMidiEventIsRealtime;
            for (int b = 0; b < 3; ++b) {
                m.midiData[b] = static_cast<char>(events[i].midi[b]);
            }
            list.events[count++] = reinterpret_cast<VstEvent*>(&m);
        }
        // Events cut off by a shortened block stay for the next one.
        while (count > 0 && list.events[count - 1]->deltaFrames >= length) {
            --count;
        }
        next += static_cast<std::size_t>(count);
        if (count > 0) {
            list.numEvents = count;
            plugin.dispatch(effProcessEvents, 0, 0, &list);
        }

        setHostTime(static_cast<double>(pos));
        for (auto& b : outputBuffers) {
            std::fill(b.begin(), b.end(), 0.0f);
        }
        effect->processReplacing(effect, inputPointers.data(), outputPointers.data(),
                                 static_cast<VstInt32>(length));
        ++result.blocks;
        for (std::int64_t f = 0; f < length; ++f) {
            for (int c = 0; c < outputs; ++c) {
                const float s = outputBuffers[c][static_cast<std::size_t>(f)];
                result.interleaved.push_back(s);
                if (!std::isfinite(s)) {
                    ++result.nonFinite;
                    continue;
                }
                result.peak = std::max(result.peak, static_cast<double>(std::fabs(s)));
                sumOfSquares += static_cast<double>(s) * s;
            }
        }
        pos += length;
    }
    plugin.stop();
    result.frames = pos;
    const double samples = static_cast<double>(pos) * outputs;
    result.rms = samples > 0 ? std::sqrt(sumOfSquares / samples) : 0.0;
    return result;
}

bool writeWaveFile(const std::string& path, const RenderResult& result, double sampleRate,
                   std::string& error) {
    if (result.channels <= 0) {
        error = "the plug-in has no outputs";
        return false;
    }
    SF_INFO info{};
    info.samplerate = static_cast<int>(sampleRate);
    info.channels = result.channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        error = "cannot write " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    const sf_count_t written = sf_writef_float(file, result.interleaved.data(), result.frames);
    const bool complete = written == result.frames;
    if (!complete) {
        error = "cannot write " + path + ": " + sf_strerror(file);
    }
    sf_close(file);
    return complete;
}
