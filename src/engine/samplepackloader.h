#pragma once
// Reading sample pack files. The installing side lives in Sampler
// (loadSamplePack, loadSamplePackFile and the asynchronous loaders); this is
// the parse they share.

#include <cstdint>
#include <istream>

namespace Kestrovalian {
class SamplePack;
}

// The reader's limits, set explicitly rather than left to the protobuf
// release in use.
constexpr int SAMPLE_PACK_MAX_BYTES = 64 << 20;
constexpr int SAMPLE_PACK_MAX_NESTING = 64;

// Clears `pack` and parses one SamplePack from the whole of `in`. Returns
// whether the stream parsed completely; on false `pack` keeps whatever was
// read before the damage (zones included), which the loaders install as it
// is. Any thread but the audio thread.
bool readSamplePack(std::istream& in, Kestrovalian::SamplePack& pack);
