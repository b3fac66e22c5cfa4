#include "renderer.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

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

std::string secondsText(double seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

// libsndfile's reason without its "System error : " and closing stop, so that
// it reads as part of a sentence.
std::string reasonOf(SNDFILE* file) {
    std::string text = sf_strerror(file);
    const std::string prefix = "System error : ";
    if (text.compare(0, prefix.size(), prefix) == 0) {
        text.erase(0, prefix.size());
    }
    if (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
    return text;
}

} // namespace

bool checkRenderLength(const Performance& performance, const RenderOptions& options,
                       std::string& error) {
    const double seconds = performance.length() + options.tailSeconds;
    // Negated so that a NaN is refused too.
    if (!(seconds <= kMaxRenderSeconds)) {
        error = "the performance lasts " + secondsText(seconds) +
                " with its tail (its last event at " + secondsText(performance.length()) +
                "), longer than the " + secondsText(kMaxRenderSeconds) +
                " (24 hours) the host renders: check the MIDI file's timing and tempo";
        return false;
    }
    return true;
}

RenderResult renderPerformance(VstPlugin& plugin, const Performance& performance,
                               const RenderOptions& options, const BlockSink& sink) {
    RenderResult result;
    std::string ignored;
    if (!checkRenderLength(performance, options, ignored)) {
        return result;
    }
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
    std::vector<float> interleaved(static_cast<std::size_t>(blockSize) * outputs);
    std::vector<VstMidiEvent> midi(kMaxEventsPerBlock);
    EventList list{};

    std::size_t next = 0;
    double sumOfSquares = 0.0;
    std::int64_t pos = 0;
    bool stopped = false;
    while (pos < total && !stopped) {
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
        std::size_t at = 0;
        for (std::int64_t f = 0; f < length; ++f) {
            for (int c = 0; c < outputs; ++c) {
                const float s = outputBuffers[c][static_cast<std::size_t>(f)];
                interleaved[at++] = s;
                if (!std::isfinite(s)) {
                    ++result.nonFinite;
                    continue;
                }
                result.peak = std::max(result.peak, static_cast<double>(std::fabs(s)));
                sumOfSquares += static_cast<double>(s) * s;
            }
        }
        stopped = sink && !sink(interleaved.data(), length);
        pos += length;
    }
    plugin.stop();
    result.complete = !stopped;
    result.frames = pos;
    const double samples = static_cast<double>(pos) * outputs;
    result.rms = samples > 0 ? std::sqrt(sumOfSquares / samples) : 0.0;
    return result;
}

WaveWriter::~WaveWriter() {
    abandon();
}

bool WaveWriter::checkChannels(int channels, std::string& error) {
    if (channels < 1 || channels > kMaxWaveChannels) {
        error = "the plug-in has " + std::to_string(channels) +
                " outputs, where a WAV file takes 1 to " + std::to_string(kMaxWaveChannels) +
                " channels";
        return false;
    }
    return true;
}

bool WaveWriter::open(const std::string& path, int channels, double sampleRate,
                      std::string& error) {
    abandon();
    m_name = path;
    m_sampleRate = sampleRate;
    if (!checkChannels(channels, error)) {
        return false;
    }
    // A WAV file's header is completed after its audio, which needs a file
    // or device that can be sought back in. A pipe is refused before it is
    // opened: opening it waits for a reader.
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 &&
        (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode))) {
        error =
            "cannot write " + path + ": it is a " + (S_ISFIFO(status.st_mode) ? "pipe" : "socket") +
            ", and a WAV file's header is completed after its audio, which needs a file that can "
            "be sought back in";
        return false;
    }
    if (!m_out.open(path, error)) {
        return false;
    }
    // libsndfile gets a descriptor of its own: it closes the one it is
    // given even when it fails to open.
    const int fd = fcntl(m_out.descriptor(), F_DUPFD_CLOEXEC, 3);
    if (fd < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        abandon();
        return false;
    }
    SF_INFO info = format(channels, sampleRate);
    return start(sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE), error);
}

bool WaveWriter::open(SF_VIRTUAL_IO& io, void* stream, int channels, double sampleRate,
                      std::string& error) {
    abandon();
    m_name = "the stream";
    m_sampleRate = sampleRate;
    if (!checkChannels(channels, error)) {
        return false;
    }
    SF_INFO info = format(channels, sampleRate);
    return start(sf_open_virtual(&io, SFM_WRITE, &info, stream), error);
}

SF_INFO WaveWriter::format(int channels, double sampleRate) {
    SF_INFO info{};
    info.samplerate = static_cast<int>(sampleRate);
    info.channels = channels;
    info.format = SF_FORMAT_RF64 | SF_FORMAT_FLOAT;
    return info;
}

bool WaveWriter::start(SNDFILE* file, std::string& error) {
    m_file = file;
    if (!m_file) {
        error = "cannot write " + m_name + ": " + reasonOf(nullptr);
    } else if (sf_command(m_file, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE) != SF_TRUE) {
        error = "cannot write " + m_name + ": " + reasonOf(m_file);
    } else {
        return true;
    }
    abandon();
    return false;
}

std::string WaveWriter::leftAsItWas() const {
    return m_out.replacesWhole() ? "; " + m_name + " is left as it was" : "";
}

bool WaveWriter::write(const float* interleaved, std::int64_t frames, std::string& error) {
    if (!m_file) {
        error = "cannot write " + m_name + ": the file is not open";
        return false;
    }
    if (sf_writef_float(m_file, interleaved, frames) != frames) {
        error = "writing " + m_name + " stopped after " +
                secondsText(static_cast<double>(m_frames) / m_sampleRate) +
                " of audio: " + reasonOf(m_file) + leftAsItWas();
        abandon();
        return false;
    }
    m_frames += frames;
    return true;
}

bool WaveWriter::close(std::string& error) {
    if (!m_file) {
        error = "cannot write " + m_name + ": the file is not open";
        return false;
    }
    // The header is completed here, and a file system may report a failed
    // write only when a descriptor is closed.
    const int closed = sf_close(m_file);
    m_file = nullptr;
    if (closed != SF_ERR_NO_ERROR) {
        error = "cannot finish " + m_name + ": " + sf_error_number(closed) + leftAsItWas();
        abandon();
        return false;
    }
    const std::string left = leftAsItWas();
    if (m_out.descriptor() >= 0 && !m_out.commit(error)) {
        error += left;
        abandon();
        return false;
    }
    return true;
}

void WaveWriter::abandon() {
    if (m_file) {
        sf_close(m_file);
        m_file = nullptr;
    }
    m_out.abandon();
    m_frames = 0;
}
