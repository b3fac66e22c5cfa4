#include "performance.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Even a long, dense performance is a few hundred KiB as a Standard MIDI
// File. The events read from a file take up to some forty times its size
// (600 MB for 16 MiB of two-byte events), so the cap also bounds the memory
// that a file can make the host take.
constexpr off_t kMaxMidiFileBytes = 16 << 20;

std::string kindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISFIFO(mode)) {
        return "a pipe";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    return S_ISSOCK(mode) ? "a socket" : "not a regular file";
}

class Reader {
public:
    Reader(const std::vector<std::uint8_t>& bytes, std::size_t begin, std::size_t end)
        : m_bytes(bytes), m_pos(begin), m_end(end) {}

    bool atEnd() const { return m_pos >= m_end; }
    bool has(std::size_t n) const { return m_pos <= m_end && m_end - m_pos >= n; }
    std::uint8_t byte() { return m_bytes[m_pos++]; }
    std::uint8_t peek() const { return m_bytes[m_pos]; }
    std::uint32_t big(int n) {
        std::uint32_t value = 0;
        for (int i = 0; i < n; ++i) {
            value = value << 8 | byte();
        }
        return value;
    }
    // A variable-length quantity: at most four bytes of seven bits.
    bool variable(std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (atEnd()) {
                return false;
            }
            const std::uint8_t b = byte();
            value = value << 7 | (b & 0x7F);
            if (!(b & 0x80)) {
                return true;
            }
        }
        return false;
    }
    void skip(std::size_t n) { m_pos = has(n) ? m_pos + n : m_end; }
    std::size_t pos() const { return m_pos; }

private:
    const std::vector<std::uint8_t>& m_bytes;
    std::size_t m_pos;
    std::size_t m_end;
};

struct TickEvent {
    std::uint64_t tick;
    bool isTempo;
    std::uint32_t microsPerQuarter;
    std::uint8_t midi[3];
};

int dataBytesOf(std::uint8_t status) {
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
        return 1;
    default:
        return 2;
    }
}

// One track chunk's events; stops quietly at a cut.
void readTrack(Reader& r, std::vector<TickEvent>& out) {
    std::uint64_t tick = 0;
    std::uint8_t running = 0;
    while (!r.atEnd()) {
        std::uint32_t delta = 0;
        if (!r.variable(delta)) {
            return;
        }
        tick += delta;
        if (r.atEnd()) {
            return;
        }
        std::uint8_t status = r.peek();
        if (status & 0x80) {
            r.byte();
        } else if (running) {
            status = running;
        } else {
            return; // data without a status: the track is damaged
        }
        if (status == 0xFF) {
            if (!r.has(1)) {
                return;
            }
            const std::uint8_t type = r.byte();
            std::uint32_t length = 0;
            if (!r.variable(length) || !r.has(length)) {
                return;
            }
            if (type == 0x51 && length == 3) {
                TickEvent e{tick, true, r.big(3), {0, 0, 0}};
                out.push_back(e);
            } else {
                r.skip(length);
            }
            if (type == 0x2F) {
                return;
            }
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            std::uint32_t length = 0;
            if (!r.variable(length) || !r.has(length)) {
                return;
            }
            r.skip(length);
            continue;
        }
        if (status >= 0xF0) {
            return; // system common messages have no place in a file
        }
        running = status;
        const int count = dataBytesOf(status);
        if (!r.has(static_cast<std::size_t>(count))) {
            return;
        }
        TickEvent e{tick, false, 0, {status, 0, 0}};
        for (int i = 0; i < count; ++i) {
            e.midi[1 + i] = static_cast<std::uint8_t>(r.byte() & 0x7F);
        }
        out.push_back(e);
    }
}

} // namespace

bool parseMidiFile(const std::vector<std::uint8_t>& bytes, Performance& performance,
                   std::string& error) {
    Reader header(bytes, 0, bytes.size());
    if (!header.has(14) || header.big(4) != 0x4D546864 /* MThd */) {
        error = "not a Standard MIDI File";
        return false;
    }
    const std::uint32_t headerLength = header.big(4);
    if (headerLength < 6 || !header.has(headerLength)) {
        error = "MIDI file header cut short";
        return false;
    }
    const std::uint32_t format = header.big(2);
    const std::uint32_t tracks = header.big(2);
    const std::uint32_t division = header.big(2);
    header.skip(headerLength - 6);
    if (format > 1) {
        error = "MIDI file format " + std::to_string(format) + " is not supported";
        return false;
    }
    if (division & 0x8000 || division == 0) {
        error = "MIDI files timed in SMPTE frames are not supported";
        return false;
    }

    std::vector<TickEvent> ticks;
    std::size_t pos = header.pos();
    std::uint32_t tracksRead = 0;
    while (tracksRead < tracks && bytes.size() - pos >= 8) {
        Reader chunk(bytes, pos, bytes.size());
        const std::uint32_t id = chunk.big(4);
        const std::uint32_t length = chunk.big(4);
        const std::size_t begin = pos + 8;
        const std::size_t end = std::min<std::size_t>(bytes.size(), begin + length);
        // Chunks of other kinds are skipped and do not count as tracks.
        if (id == 0x4D54726B /* MTrk */) {
            Reader track(bytes, begin, end);
            readTrack(track, ticks);
            ++tracksRead;
        }
        pos = end;
    }
    std::stable_sort(ticks.begin(), ticks.end(),
                     [](const TickEvent& a, const TickEvent& b) { return a.tick < b.tick; });

    // Ticks to seconds through the tempo map, 120 bpm until the first change.
    double seconds = 0.0;
    std::uint64_t lastTick = 0;
    double secondsPerTick = 0.5 / division;
    bool tempoSet = false;
    performance.events.clear();
    performance.events.reserve(ticks.size());
    for (const TickEvent& e : ticks) {
        seconds += static_cast<double>(e.tick - lastTick) * secondsPerTick;
        lastTick = e.tick;
        if (e.isTempo) {
            if (e.microsPerQuarter > 0) {
                secondsPerTick = e.microsPerQuarter / 1e6 / division;
                if (!tempoSet) {
                    performance.tempo = 60e6 / e.microsPerQuarter;
                    tempoSet = true;
                }
            }
            continue;
        }
        PerformanceEvent event;
        event.seconds = seconds;
        std::copy(e.midi, e.midi + 3, event.midi);
        performance.events.push_back(event);
    }
    return true;
}

bool readMidiFile(const std::string& path, Performance& performance, std::string& error) {
    // Without O_NONBLOCK, opening a pipe would wait for a writer.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat status {};
    const bool regular = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    if (!regular) {
        error = "cannot read " + path + ": it is " + kindOf(status.st_mode) +
                "; --midi takes a Standard MIDI File";
    } else if (status.st_size > kMaxMidiFileBytes) {
        error = path + " holds " + std::to_string(status.st_size) + " bytes, more than the " +
                std::to_string(kMaxMidiFileBytes >> 20) +
                " MiB that a Standard MIDI File of a performance takes: check that it is the "
                "file you meant";
    }
    if (!regular || status.st_size > kMaxMidiFileBytes) {
        close(fd);
        return false;
    }
    // Never more than the file held when it was opened, even if it grows.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(status.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            error = "cannot read " + path + ": " + std::strerror(errno);
            close(fd);
            return false;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    close(fd);
    bytes.resize(got);
    return parseMidiFile(bytes, performance, error);
}
