// Feeds arbitrary bytes to the host's MIDI file reader. Whatever the bytes,
// it must either refuse with a reason or hand out events sorted by time at
// finite, non-negative seconds, each a well-formed channel message, and no
// more of them than the bytes could hold.
//
// Inputs whose first byte is odd are the file as they are. The others are
// the body of the one track of a valid header (format 1, 480 ticks a beat),
// so that mutations go to the events at once instead of after the fuzzer
// has guessed the chunk layout.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "performance.h"

namespace {

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

constexpr std::uint8_t kHeader[] = {'M', 'T', 'h', 'd', 0,    0,   0,   6,   0,
                                    1,   0,   1,   1,   0xE0, 'M', 'T', 'r', 'k'};

std::vector<std::uint8_t> asOneTrack(const std::uint8_t* bytes, std::size_t size) {
    std::vector<std::uint8_t> file(kHeader, kHeader + sizeof kHeader);
    for (int shift = 24; shift >= 0; shift -= 8) {
        file.push_back(static_cast<std::uint8_t>(size >> shift));
    }
    file.insert(file.end(), bytes, bytes + size);
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::vector<std::uint8_t> file = size > 0 && (bytes[0] & 1) == 0
                                               ? asOneTrack(bytes + 1, size - 1)
                                               : std::vector<std::uint8_t>(bytes, bytes + size);
    Performance performance;
    std::string error;
    if (!parseMidiFile(file, performance, error)) {
        check(!error.empty());
        return 0;
    }
    check(std::isfinite(performance.tempo) && performance.tempo > 0);
    // An event takes at least a delta byte and a data byte.
    check(performance.events.size() <= file.size() / 2);
    double last = 0.0;
    for (const PerformanceEvent& e : performance.events) {
        check(std::isfinite(e.seconds) && e.seconds >= last);
        last = e.seconds;
        check(e.program == -1 && e.midi[0] >= 0x80 && e.midi[0] < 0xF0);
        check(e.midi[1] < 0x80 && e.midi[2] < 0x80);
        const int kind = e.midi[0] & 0xF0;
        check((kind != 0xC0 && kind != 0xD0) || e.midi[2] == 0);
    }
    return 0;
}
