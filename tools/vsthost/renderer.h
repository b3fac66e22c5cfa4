// Renders a performance through a loaded plug-in, block by block, as a host's
// audio thread would: each block's MIDI events go to effProcessEvents with
// their sample offsets inside the block, then processReplacing renders it.
#pragma once

#include "performance.h"
#include "vstplugin.h"

#include <cstdint>
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

struct RenderResult {
    int channels = 0;
    double sampleRate = 44100.0;
    std::int64_t frames = 0;
    // frames * channels samples, frame by frame.
    std::vector<float> interleaved;
    double peak = 0.0;
    double rms = 0.0;
    std::int64_t nonFinite = 0;
    int blocks = 0;
    // The labelled program changes, in the order they were made.
    std::vector<std::string> parts;
    double seconds() const { return sampleRate > 0 ? static_cast<double>(frames) / sampleRate : 0; }
};

// Starts the plug-in (sample rate, block size, switched on), renders the
// performance and its tail, and stops it again. A block is cut short where a
// program change falls, so that the change lands on its frame.
RenderResult renderPerformance(VstPlugin& plugin, const Performance& performance,
                               const RenderOptions& options);

// Writes the samples as a 32-bit float WAV file; false with a reason in error.
bool writeWaveFile(const std::string& path, const RenderResult& result, double sampleRate,
                   std::string& error);
