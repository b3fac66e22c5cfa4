// Renders a performance through a loaded plug-in, block by block, as a host's
// audio thread would: each block's MIDI events go to effProcessEvents with
// their sample offsets inside the block, then processReplacing renders it.
// Each block is handed on as soon as it is rendered (to the WAV writer), so
// that memory stays the same whatever the length of the performance.
#pragma once

#include "outputfile.h"
#include "performance.h"
#include "vstplugin.h"

#include <sndfile.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct RenderOptions {
    VstInt32 blockSize = 512;
    double sampleRate = 44100.0;
    // Program selected before the first block; -1 keeps the plug-in's own.
    int program = -1;
    // Seconds rendered after the last event, for releases to ring out.
    double tailSeconds = 2.0;
};

// The longest render, performance and tail together, that the host takes on:
// a day. Events further out come from a damaged or wrongly timed file far
// more often than from a performance, and a day of float stereo at 44.1 kHz
// already takes 28 GiB of disk.
constexpr double kMaxRenderSeconds = 24.0 * 60 * 60;

// False with a reason in error when the performance and its tail last longer
// than kMaxRenderSeconds.
bool checkRenderLength(const Performance& performance, const RenderOptions& options,
                       std::string& error);

struct RenderResult {
    int channels = 0;
    double sampleRate = 44100.0;
    // The frames rendered, all of them unless the sink stopped the render.
    std::int64_t frames = 0;
    double peak = 0.0;
    double rms = 0.0;
    std::int64_t nonFinite = 0;
    std::int64_t blocks = 0;
    // False when the performance was too long or the sink stopped the render.
    bool complete = false;
    // The labelled program changes, in the order they were made.
    std::vector<std::string> parts;
    double seconds() const { return sampleRate > 0 ? static_cast<double>(frames) / sampleRate : 0; }
};

// Takes one rendered block: `frames` frames of the plug-in's outputs, frame
// by frame. Returning false stops the render.
using BlockSink = std::function<bool(const float* interleaved, std::int64_t frames)>;

// Starts the plug-in (sample rate, block size, switched on), renders the
// performance and its tail into sink (if any), and stops it again. A block is
// cut short where a program change falls, so that the change lands on its
// frame. A performance that checkRenderLength refuses renders nothing.
RenderResult renderPerformance(VstPlugin& plugin, const Performance& performance,
                               const RenderOptions& options, const BlockSink& sink = {});

// The most channels a WAV file takes here (libsndfile's own bound).
constexpr int kMaxWaveChannels = 1024;

// Writes 32-bit float samples block by block. The file is RF64 that stays a
// plain WAV (RIFF) while it is under 4 GiB, so that a long render is whole
// and readable where a WAV's 32-bit sizes would wrap. A file at a path is
// written through OutputFile: it replaces what was there only once it is
// whole, and a device or an inherited descriptor is written in place.
class WaveWriter {
public:
    WaveWriter() = default;
    WaveWriter(const WaveWriter&) = delete;
    WaveWriter& operator=(const WaveWriter&) = delete;
    // Abandons an unfinished file: what was at its path stays as it was.
    ~WaveWriter();

    // Starts the file at path; false with a reason in error, before anything
    // is opened when the channel count is not 1 to kMaxWaveChannels or the
    // path is a pipe (whose header could not be completed at the end).
    bool open(const std::string& path, int channels, double sampleRate, std::string& error);
    // The same onto a stream of the caller's through libsndfile's virtual I/O;
    // io and stream must outlive the writer's use.
    bool open(SF_VIRTUAL_IO& io, void* stream, int channels, double sampleRate, std::string& error);
    // Appends frames; false with a reason in error once a write fails, and
    // the file is then abandoned.
    bool write(const float* interleaved, std::int64_t frames, std::string& error);
    // Completes the header and puts the file in place; false with a reason in
    // error when it or an earlier write failed, and the file is then abandoned.
    bool close(std::string& error);

private:
    static bool checkChannels(int channels, std::string& error);
    static SF_INFO format(int channels, double sampleRate);
    bool start(SNDFILE* file, std::string& error);
    // What is left of the target once a file is abandoned, for messages.
    std::string leftAsItWas() const;
    void abandon();

    SNDFILE* m_file = nullptr;
    // Unopened when writing to a stream.
    OutputFile m_out;
    std::string m_name;
    std::int64_t m_frames = 0;
    double m_sampleRate = 0;
};
