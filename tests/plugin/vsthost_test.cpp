// The minimal host: its MIDI file reader, and the command rendering through
// a probe plug-in that shows where events land and on the plug-ins it must
// load.
#include "../support/scratch.h"
#include "performance.h"
#include "renderer.h"
#include "vstplugin.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// --- Standard MIDI files, written byte by byte -----------------------------

using Bytes = std::vector<std::uint8_t>;

Bytes midiFile(int format, int division, const std::vector<Bytes>& tracks) {
    std::string file("MThd\0\0\0\6\0", 9);
    file += {char(format), '\0', char(tracks.size()), char(division >> 8), char(division)};
    for (const Bytes& track : tracks) {
        file += std::string("MTrk\0\0", 6) + char(track.size() >> 8) + char(track.size());
        file.append(track.begin(), track.end());
    }
    return Bytes(file.begin(), file.end());
}

// --- The command ----------------------------------------------------------

// Runs the host command; returns what it printed and its exit status.
std::pair<std::string, int> run(const std::string& arguments) {
    FILE* pipe = popen((AMBER_VSTHOST " " + arguments + " 2>&1").c_str(), "r");
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    return {out, WEXITSTATUS(pclose(pipe))};
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
    const Bytes file = midiFile(1, 480, {conductor, notes});
    // Cut short anywhere, the file keeps the events before the cut.
    Performance cut;
    std::string error;
    for (std::size_t size = file.size(); size > 22; --size) {
        EXPECT_TRUE(parseMidiFile(Bytes(file.begin(), file.begin() + long(size)), cut, error));
    }
    // Foreign and damaged files are refused with a reason.
    for (const Bytes& refused : {Bytes{}, Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 4, 'W', 'A', 'V', 'E'},
                                 midiFile(2, 480, {notes}), midiFile(1, 0xE728, {notes}),
                                 midiFile(1, 0, {notes}), Bytes(file.begin(), file.begin() + 10)}) {
        error.clear();
        EXPECT_FALSE(parseMidiFile(refused, cut, error) || error.empty()) << refused.size();
    }
    writeBytes(base + ".mid", std::string(file.begin(), file.end()));
    const auto [report, status] =
        run("render " AMBER_PROBE_PLUGIN " --midi " + base +
            ".mid --block 7 --program 3 --tail 0.1 --out " + base + ".wav");
    EXPECT_EQ(status, 0) << report;
    SF_INFO info{};
    SNDFILE* wav = sf_open((base + ".wav").c_str(), SFM_READ, &info);
    ASSERT_NE(wav, nullptr) << report;
    std::vector<float> samples(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(wav, samples.data(), info.frames);
    sf_close(wav);
    // Left: a mark on each note's frame; right: the program, 3.
    std::string marks;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        marks += samples[i] != (i % 2 ? 3.0f : 0.0f) ? std::to_string(i) + " " : "";
    }
    EXPECT_EQ(std::make_tuple(info.channels, info.samplerate, info.frames, marks),
              std::make_tuple(2, 44100, sf_count_t(92610), "0 44100 176400 "));
}

// The renderer in process: notes and a program change land on their frames
// at any block size, and 2000 notes within 100 frames all arrive.
TEST(Renderer, EventsLandOnTheirFramesAtAnyBlockSize) {
    auto at = [](int frame, int program = -1) {
        PerformanceEvent event{frame / 44100.0, program, {0x90, 60, 100}, ""};
        return event;
    };
    Performance p;
    for (int frame : {0, 1, 511, 512, 1000, 1023, 4095, 5000}) {
        p.events.push_back(at(frame));
    }
    p.events.insert(p.events.begin() + 6, at(3000, 5));
    for (VstInt32 blockSize : {1, 7, 64, 512, 1000, 8192}) {
        VstPlugin plugin(AMBER_PROBE_PLUGIN);
        ASSERT_TRUE(plugin.isLoaded()) << plugin.error();
        const RenderResult r =
            renderPerformance(plugin, p, {blockSize, 44100.0, 2, 1000 / 44100.0});
        // Each mark's frame, and where the program (right channel) changes.
        std::string marks;
        for (std::size_t i = 0; i < r.interleaved.size(); ++i) {
            const float before = i < 2 ? 2.0f : r.interleaved[i - 2];
            marks += i % 2 == 0 && r.interleaved[i] != 0.0f ? std::to_string(i / 2) + " " : "";
            marks += i % 2 == 1 && r.interleaved[i] != before
                         ? "program " + std::to_string(int(r.interleaved[i])) + " at " +
                               std::to_string(i / 2) + " "
                         : "";
        }
        EXPECT_EQ(marks, "0 1 511 512 1000 1023 program 5 at 3000 4095 5000 ") << blockSize;
        EXPECT_EQ(r.frames, 6000);
    }
    Performance many;
    for (int i = 0; i < 2000; ++i) {
        many.events.push_back(at(i / 20));
    }
    VstPlugin plugin(AMBER_PROBE_PLUGIN);
    const RenderResult r = renderPerformance(plugin, many, {4096, 44100.0, -1, 0.01});
    double marks = 0;
    for (std::size_t i = 0; i < r.interleaved.size(); i += 2) {
        marks += r.interleaved[i];
    }
    EXPECT_EQ(marks, 2000.0);
}

// The report of the instrument, and the demo phrase through the whole road:
// event lists, queue, voices and mix.
TEST(HostCommand, InfoAndDemoOfTheInstrument) {
    const auto [info, infoStatus] = run("info " AMBER_PLUGIN_LIBRARY " --quiet");
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
    const auto [report, status] = run(
        "render " AMBER_PLUGIN_LIBRARY " --demo --tail 0.5 --quiet --out " + dir.file("demo.wav"));
    EXPECT_EQ(status, 0) << report;
    EXPECT_EQ(std::make_tuple(reported(report, "part 4:"), reported(report, "part 5:"),
                              reported(report, "non-finite samples:")),
              std::make_tuple(0.0, -1.0, 0.0))
        << report;
    EXPECT_GT(reported(report, "host requests: time"), 0) << report;
    // A sound set that is there but stays silent is a fault, not a reason to skip.
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
    const auto [report, status] =
        run("render " + nekobi + " --demo --tail 0.5 --out " + dir.file("demo.wav"));
    EXPECT_EQ(status, 0) << report;
    EXPECT_GT(reported(report, "peak:"), 0.01) << report;
    EXPECT_EQ(reported(report, "non-finite samples:"), 0.0) << report;
}

TEST(HostCommand, Refusals) {
    EXPECT_NE(run("info /nonexistent/plugin.so").first.find("cannot open"), std::string::npos);
    EXPECT_NE(run("info libc.so.6").first.find("exports neither"), std::string::npos);
    EXPECT_EQ(run("render /nonexistent/plugin.so --demo").second, 2);
}

} // namespace
