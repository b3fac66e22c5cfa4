// The minimal host: its MIDI file reader, and the command rendering through
// a probe plug-in that shows where events land and on the plug-ins it must
// load.
#include "../support/command.h"
#include "../support/scratch.h"
#include "performance.h"
#include "renderer.h"
#include "vstplugin.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

// --- Standard MIDI files, written byte by byte -----------------------------

using Bytes = std::vector<std::uint8_t>;

std::string midiFile(int format, int division, const std::vector<Bytes>& tracks) {
    std::string file("MThd\0\0\0\6\0", 9);
    file += {char(format), '\0', char(tracks.size()), char(division >> 8), char(division)};
    for (const Bytes& track : tracks) {
        file += std::string("MTrk\0\0", 6) + char(track.size() >> 8) + char(track.size());
        file.append(track.begin(), track.end());
    }
    return file;
}

// One note held from the start for `seconds`, at 120 bpm (960 ticks a second).
std::string heldNote(double seconds) {
    const auto ticks = static_cast<std::uint32_t>(seconds * 960);
    Bytes track = {0x00, 0x90, 60, 100};
    for (int shift = 21; shift > 0; shift -= 7) {
        track.push_back(static_cast<std::uint8_t>(0x80 | (ticks >> shift & 0x7F)));
    }
    track.insert(track.end(), {static_cast<std::uint8_t>(ticks & 0x7F), 0x80, 60, 0});
    return midiFile(0, 480, {track});
}

// --- The command ----------------------------------------------------------

// The probe's output, interleaved stereo: where the program it writes on the
// right channel is first seen or changes, and the frame of each mark on the
// left.
std::string marksOf(const std::vector<float>& out) {
    std::string marks;
    for (std::size_t i = 0; i + 1 < out.size(); i += 2) {
        if (i == 0 || out[i + 1] != out[i - 1]) {
            marks +=
                "program " + std::to_string(int(out[i + 1])) + " at " + std::to_string(i / 2) + " ";
        }
        marks += out[i] != 0.0f ? std::to_string(i / 2) + " " : "";
    }
    return marks;
}

// A number the report prints after `label`, or -1.
double reported(const std::string& report, const std::string& label) {
    const std::size_t at = report.find(label);
    return at == std::string::npos ? -1.0 : std::atof(report.c_str() + at + label.size());
}

// A two-track file through the command and a probe plug-in that marks each
// note-on on its frame and writes the current program: tempo changes,
// running status, skipped SysEx and meta events, blocks of an odd size and
// the WAV file written.
TEST(HostCommand, MidiFileThroughTheProbe) {
    // Track 0: 120 bpm (500000 us a beat), a text event, and 60 bpm after
    // 960 ticks, a delta of two bytes (0x87 0x40).
    const Bytes conductor = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF,
                             0x01, 0x03, 'a',  'b',  'c',  0x87, 0x40, 0xFF, 0x51,
                             0x03, 0x0F, 0x42, 0x40, 0x00, 0xFF, 0x2F, 0x00};
    // Track 1, 480 ticks (0x83 0x60) apart: a note; a note in running status
    // and a SysEx; a note-off; a program change (one data byte), a note-on
    // of velocity 0 and one at 2 s.
    const Bytes notes = {0x00, 0x91, 60,   100,  0x83, 0x60, 62,   90,   0x00, 0xF0, 0x03, 0x7E,
                         0x00, 0xF7, 0x83, 0x60, 0x81, 60,   0x40, 0x83, 0x60, 0xC1, 0x05, 0x00,
                         0x91, 64,   0x00, 0x00, 65,   0x50, 0x00, 0xFF, 0x2F, 0x00};
    const TempDir dir;
    const std::string base = dir.file("phrase");
    const std::string file = midiFile(1, 480, {conductor, notes});
    // Cut short anywhere, the file keeps the events before the cut.
    Performance cut;
    std::string error;
    for (std::size_t size = file.size(); size > 22; --size) {
        EXPECT_TRUE(parseMidiFile(Bytes(file.begin(), file.begin() + long(size)), cut, error));
    }
    // Foreign and damaged files are refused with a reason.
    for (const std::string& refused :
         {std::string(), std::string("RIFF\0\0\0\4WAVE", 12), midiFile(2, 480, {notes}),
          midiFile(1, 0xE728, {notes}), midiFile(1, 0, {notes}), file.substr(0, 10)}) {
        error.clear();
        EXPECT_FALSE(parseMidiFile(Bytes(refused.begin(), refused.end()), cut, error) ||
                     error.empty())
            << refused.size();
    }
    writeBytes(base + ".mid", file);
    const CommandResult r =
        runCommand({AMBER_VSTHOST, "render", AMBER_PROBE_PLUGIN, "--midi", base + ".mid", "--block",
                    "7", "--program", "3", "--tail", "0.1", "--out", base + ".wav"});
    EXPECT_EQ(r.status, 0) << r.output;
    SF_INFO info{};
    SNDFILE* wav = sf_open((base + ".wav").c_str(), SFM_READ, &info);
    ASSERT_NE(wav, nullptr) << r.output;
    std::vector<float> samples(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(wav, samples.data(), info.frames);
    sf_close(wav);
    EXPECT_EQ(std::make_tuple(info.channels, info.samplerate, info.frames, marksOf(samples)),
              std::make_tuple(2, 44100, sf_count_t(92610), "program 3 at 0 0 22050 88200 "));
}

// The renderer in process: notes and a program change land on their frames
// at any block size, and 2000 notes within 100 frames all arrive.
TEST(Renderer, EventsLandOnTheirFramesAtAnyBlockSize) {
    std::vector<float> out;
    auto render = [&out](const Performance& p, const RenderOptions& options) {
        VstPlugin plugin(AMBER_PROBE_PLUGIN);
        EXPECT_TRUE(plugin.isLoaded()) << plugin.error();
        out.clear();
        return renderPerformance(plugin, p, options, [&](const float* block, std::int64_t n) {
            out.insert(out.end(), block, block + 2 * n);
            return true;
        });
    };
    auto at = [](int frame, int program = -1) {
        return PerformanceEvent{frame / 44100.0, program, {0x90, 60, 100}, ""};
    };
    Performance p;
    for (int frame : {0, 1, 511, 512, 1000, 1023, 4095, 5000}) {
        p.events.push_back(at(frame));
    }
    p.events.insert(p.events.begin() + 6, at(3000, 5));
    for (VstInt32 blockSize : {1, 7, 64, 512, 1000, 8192}) {
        const RenderResult r = render(p, {blockSize, 44100.0, 2, 1000 / 44100.0});
        EXPECT_EQ(marksOf(out), "program 2 at 0 0 1 511 512 1000 1023 program 5 at 3000 4095 5000 ")
            << blockSize;
        EXPECT_EQ(r.frames, 6000);
    }
    Performance many;
    for (int i = 0; i < 2000; ++i) {
        many.events.push_back(at(i / 20));
    }
    render(many, {4096, 44100.0, -1, 0.01});
    // The marks on the left, program 0 on the right.
    EXPECT_EQ(std::accumulate(out.begin(), out.end(), 0.0), 2000.0);
}

// The report of the instrument, and the demo phrase through the whole road:
// event lists, queue, voices and mix.
TEST(HostCommand, InfoAndDemoOfTheInstrument) {
    const auto [info, infoStatus, infoPeak] =
        runCommand({AMBER_VSTHOST, "info", AMBER_PLUGIN_LIBRARY, "--quiet"});
    EXPECT_EQ(infoStatus, 0) << info;
    // The record: an editor that registered itself, replacing, a synthesizer.
    for (const char* line :
         {"entry:        VSTPluginMain\n", "unique ID:    61547 ", "category:     2\n",
          "flags:        0x111 (HasEditor CanReplacing IsSynth)\n", "inputs:       0\n",
          "  output 1:   \"Vstx 2\" flags 0x3\n", "MIDI in/out:  1/0 channels\n",
          "programs:     177\n", "  176  Unnamed Program\n", "parameters:   1\n",
          "  receiveVstEvents     1\n"}) {
        EXPECT_NE(info.find(line), std::string::npos) << line << info;
    }
    const TempDir dir;
    const auto [report, status, peak] =
        runCommand({AMBER_VSTHOST, "render", AMBER_PLUGIN_LIBRARY, "--demo", "--tail", "0.5",
                    "--quiet", "--out", dir.file("demo.wav")});
    EXPECT_EQ(status, 0) << report;
    EXPECT_EQ(std::make_tuple(reported(report, "part 4:"), reported(report, "part 5:"),
                              reported(report, "non-finite samples:")),
              std::make_tuple(0.0, -1.0, 0.0))
        << report;
    EXPECT_GT(reported(report, "host requests: time"), 0) << report;
    // A sound set that is there but stays silent is a fault, not a reason to
    // skip.
    if (!std::filesystem::is_directory(std::filesystem::path(AMBER_PLUGIN_LIBRARY).parent_path() /
                                       "sounds")) {
        GTEST_SKIP() << "the factory sound set is not beside the library";
    }
    EXPECT_GT(reported(report, "rms:"), 0.01) << report;
}

// Someone else's synthesizer (Debian's dpf-plugins-vst): the host must not
// work with ours alone.
TEST(HostCommand, PlaysAThirdPartySynth) {
    const std::string nekobi = "/usr/lib/vst/Nekobi-vst.so";
    if (access(nekobi.c_str(), R_OK) != 0)
        GTEST_SKIP() << nekobi << " is not installed";
    const TempDir dir;
    const auto [report, status, peak] =
        runCommand({AMBER_VSTHOST, "render", nekobi, "--demo", "--tail", "0.5", "--out",
                    dir.file("demo.wav")});
    EXPECT_EQ(status, 0) << report;
    EXPECT_GT(reported(report, "peak:"), 0.01) << report;
    EXPECT_EQ(reported(report, "non-finite samples:"), 0.0) << report;
}

// Whatever it is given, the command ends on its own, soon and in little
// memory, with a reason: input that is not a MIDI file or is too long, an
// output folder that is not there, a plug-in whose outputs no WAV file takes,
// and a render longer than its whole audio in memory. An earlier file at the
// output stays as it was. (Outputs it cannot write are the output table's.)
TEST(HostCommand, RefusalsAndALongRenderInBoundedMemory) {
    const TempDir dir;
    const std::string fiveMinutes = dir.file("five minutes.mid"), wav = dir.file("o.wav");
    writeBytes(fiveMinutes, heldNote(300));
    writeBytes(dir.file("a day.mid"), heldNote(86400));
    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
    // Sparse, so it takes no room.
    writeBytes(dir.file("huge.mid"), heldNote(1));
    ASSERT_EQ(truncate(dir.file("huge.mid").c_str(), 17 << 20), 0);
    // The probe, declaring `outputs` outputs, rendering `midi` into `out`.
    const auto probe = [](const std::string& midi, const std::string& out, int outputs = 2) {
        const std::string declared = "AMBER_PROBE_OUTPUTS=" + std::to_string(outputs);
        return std::vector<std::string>{
            "env",     declared, AMBER_VSTHOST, "render", AMBER_PROBE_PLUGIN,
            "--quiet", "--midi", midi,          "--out",  out};
    };
    const std::string host = AMBER_VSTHOST;
    const std::tuple<std::vector<std::string>, int, const char*> rows[] = {
        {{host, "info", "/nonexistent/plugin.so"}, 1, "cannot open"},
        {{host, "info", "libc.so.6"}, 1, "exports neither"},
        {{host, "render", "/nonexistent/plugin.so", "--demo"}, 2, "needs --out"},
        {probe(dir.path(), wav), 1, "it is a folder"},
        {probe("/dev/zero", wav), 1, "it is a device"},
        {probe(dir.file("pipe"), wav), 1, "it is a pipe"},
        {probe(dir.file("huge.mid"), wav), 1, "more than the 16 MiB"},
        {probe(dir.file("a day.mid"), wav), 1, "longer than the 86400.0 s"},
        {probe(fiveMinutes, dir.file("no folder/o.wav")), 1, "No such file or directory"},
        {probe(fiveMinutes, wav, 0), 1, "has 0 outputs"},
        {probe(fiveMinutes, wav, 1025), 1, "has 1025 outputs"},
        // Five minutes of float stereo are 106 MB.
        {probe(fiveMinutes, "/dev/null"), 0, "duration: 302.000 s"},
    };
    const std::string earlier = "an earlier take";
    const auto files = [&dir] {
        return std::distance(std::filesystem::directory_iterator(dir.path()), {});
    };
    for (const auto& [arguments, status, says] : rows) {
        writeBytes(wav, earlier);
        const auto before = files();
        const CommandResult r = runCommand(arguments);
        const std::string line = testing::PrintToString(arguments);
        EXPECT_EQ(r.status, status) << line << "\n" << r.output;
        EXPECT_NE(r.output.find(says), std::string::npos) << line << "\n" << r.output;
        EXPECT_LT(r.peakKiB, 64 << 10) << line;
        EXPECT_EQ(readBytes(wav), earlier) << line;
        // Nor is anything unfinished left beside it.
        EXPECT_EQ(files(), before) << line;
    }
}

// The audio on standard output, with or without --quiet: it is what the file
// holds, and the report goes to standard error. A report that cannot be
// written fails the command with the reason, also when --quiet set standard
// output aside and when the audio went to /dev/null.
TEST(HostCommand, AudioOnStandardOutputAndAReportThatCannotBeWritten) {
    const TempDir dir;
    const std::string wav = dir.file("taken.wav");
    const char* full = "vsthost: cannot write the report: No space left on device\n";
    // What a shell runs: $0 is the host, $1 the probe plug-in, $2 a file.
    const std::tuple<const char*, int, const char*> rows[] = {
        {R"("$0" render "$1" --demo --tail 0.1 --quiet --out /dev/stdout > "$2")", 0,
         "wrote /dev/stdout\n"},
        {R"("$0" render "$1" --demo --tail 0.1 --out /dev/stdout > "$2")", 0,
         "wrote /dev/stdout\n"},
        {R"("$0" info "$1" --quiet > /dev/full)", 1, full},
        {R"("$0" render "$1" --demo --tail 0.1 --out /dev/null > /dev/full)", 1, full},
    };
    for (const auto& [script, status, says] : rows) {
        writeBytes(wav, "");
        const CommandResult r =
            runCommand({"sh", "-c", script, AMBER_VSTHOST, AMBER_PROBE_PLUGIN, wav});
        EXPECT_EQ(r.status, status) << script << "\n" << r.output;
        EXPECT_NE(r.output.find(says), std::string::npos) << script << "\n" << r.output;
        if (status != 0) {
            continue;
        }
        const std::string bytes = readBytes(wav);
        EXPECT_EQ(bytes.find("wrote"), std::string::npos) << script;
        SF_INFO info{};
        SNDFILE* file = sf_open(wav.c_str(), SFM_READ, &info);
        EXPECT_NE(file, nullptr) << script << ": " << bytes.substr(0, 200);
        sf_close(file);
        EXPECT_EQ(info.frames, reported(r.output, " s (")) << script << "\n" << r.output;
    }
}

// The writer past what a WAV's 32-bit sizes hold, into a stream that keeps
// only the header: the file is RF64 and reads back whole; below 4 GiB it
// stays a plain WAV that every reader takes.
TEST(WaveWriter, PassesFourGiBWholeAndStaysAPlainWaveBelow) {
    struct Stream {
        std::string head = std::string(4096, '\0');
        sf_count_t pos = 0, length = 0;
    };
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* s) { return static_cast<Stream*>(s)->length; };
    io.seek = [](sf_count_t offset, int whence, void* v) {
        Stream& s = *static_cast<Stream*>(v);
        return s.pos = offset + (whence == SEEK_CUR ? s.pos : whence == SEEK_END ? s.length : 0);
    };
    io.read = [](void* bytes, sf_count_t n, void* v) {
        Stream& s = *static_cast<Stream*>(v);
        n = std::max<sf_count_t>(0, std::min(n, s.length - s.pos));
        for (sf_count_t i = 0; i < n; ++i, ++s.pos) {
            static_cast<char*>(bytes)[i] = s.pos < 4096 ? s.head[std::size_t(s.pos)] : '\0';
        }
        return n;
    };
    io.write = [](const void* bytes, sf_count_t n, void* v) {
        Stream& s = *static_cast<Stream*>(v);
        for (sf_count_t i = 0; i < n && s.pos + i < 4096; ++i) {
            s.head[std::size_t(s.pos + i)] = static_cast<const char*>(bytes)[i];
        }
        s.pos += n;
        s.length = std::max(s.length, s.pos);
        return n;
    };
    io.tell = [](void* s) { return static_cast<Stream*>(s)->pos; };
    const std::vector<float> block(2 << 16, 0.0f);
    for (const std::int64_t frames : {std::int64_t{1000}, (std::int64_t{4} << 30) / 8 + 1000}) {
        Stream stream;
        WaveWriter writer;
        std::string error;
        ASSERT_TRUE(writer.open(io, &stream, 2, 44100.0, error)) << error;
        for (std::int64_t done = 0; done < frames; done += 1 << 16) {
            ASSERT_TRUE(
                writer.write(block.data(), std::min<std::int64_t>(1 << 16, frames - done), error))
                << error;
        }
        ASSERT_TRUE(writer.close(error)) << error;
        stream.pos = 0;
        SF_INFO info{};
        SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, &stream);
        ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
        sf_close(file);
        EXPECT_EQ(
            std::make_tuple(stream.head.substr(0, 4), info.format, info.frames, info.channels),
            std::make_tuple(frames < 1000000 ? "RIFF" : "RF64",
                            (frames < 1000000 ? SF_FORMAT_WAVEX : SF_FORMAT_RF64) | SF_FORMAT_FLOAT,
                            frames, 2));
    }
}

} // namespace
