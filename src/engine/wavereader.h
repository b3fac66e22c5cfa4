#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Reads a WAV file of the one accepted layout (RIFF/WAVE; a 16-byte "fmt "
// chunk of PCM, 16 bits, 2 channels, 44100 Hz; at most one "cue " chunk; then
// "data") into a new 16-byte aligned float buffer: value / 32767 per 16-bit
// sample, interleaved as in the file. Progress lines go to standard output.
//
// Returns 0 on success (*data owned by the caller, free it with
// freeWaveData); otherwise *data is null and *count 0:
// - 1: the file cannot be opened, or is not a regular file (a folder, FIFO
//   or device; a symbolic link counts as what it leads to): "Failed to open
//   sample: <path>" on standard error;
// - 2: the file is not of the accepted layout, its header is cut short, or
//   its data chunk is 2 GiB or more (a line saying why on standard error).
// A data chunk that claims more than the file holds is cut to what it holds.
// Blocks on I/O and allocates: never on the audio thread.
int32_t readWaveFile(const std::string& path, float** data, int32_t* count);

// Answers as readWaveFile does for a file that cannot be opened, without
// touching the file: for names the caller refuses to open.
int32_t refuseToOpenWave(const std::string& path, float** data, int32_t* count);

// Opens `path` for reading if it is a regular file (or a symbolic link to
// one): a blocking, close-on-exec descriptor for the caller to close, or -1
// when it is missing, unreadable or anything else. Never waits for a FIFO's
// writer, and never makes a terminal the controlling one. Any thread but the
// audio thread.
int openRegularFile(const std::string& path);

// Frees a buffer that readWaveFile handed out; null does nothing.
void freeWaveData(float* data);

// Result codes of readWaveFile.
constexpr int32_t WAVE_READ_OK = 0;
constexpr int32_t WAVE_READ_CANNOT_OPEN = 1;
constexpr int32_t WAVE_READ_UNSUPPORTED = 2;

// Data chunks at or above this size are refused.
constexpr uint32_t WAVE_MAX_DATA_BYTES = 0x80000000u;

// readWaveFile's reader over an open stream (positioned at the RIFF header),
// for callers that already hold the bytes: `name` stands for the path in the
// lines, progress lines go to `log` and refusals to `errorLog` (either may
// be null for silence), and data chunks of `maxDataBytes` or more are
// refused. A stream that cannot tell its length counts as holding nothing
// after the chunk header. Does not close `file`. Results as readWaveFile,
// without 1.
int32_t readWaveStream(std::FILE* file, const std::string& name, float** data, int32_t* count,
                       uint32_t maxDataBytes, std::FILE* log, std::FILE* errorLog);
