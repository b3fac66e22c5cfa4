#pragma once
// Reading sample pack files. The installing side lives in Sampler
// (loadSamplePack, loadSamplePackFile and the asynchronous loaders); this is
// the parse they share.

#include <cstdint>
#include <string>

namespace Kestrovalian {
class SamplePack;
}

// The reader's limits, set explicitly rather than left to the protobuf
// release in use.
constexpr int SAMPLE_PACK_MAX_BYTES = 64 << 20;
constexpr int SAMPLE_PACK_MAX_NESTING = 64;

// Clears `pack` and parses one SamplePack from the whole of the file open at
// descriptor `fd`, which stays open. Returns whether the file parsed
// completely; on false `pack` keeps whatever was read before the damage
// (zones included), which the loaders install as it is. Any thread but the
// audio thread.
bool readSamplePack(int fd, Kestrovalian::SamplePack& pack);

// Whether `name` names an entry of a folder itself: no path separator ('/'
// or '\\') and neither "." nor "..". Program names become pack file names and
// a pack's zones name WAV files "in the same folder"; names that fail could
// reach files outside the sounds folder and are not opened.
bool isNameInFolder(const std::string& name);
