// The minimal host: its MIDI file reader, its renderer (against a probe
// plug-in that shows where events land), and the command on the plug-ins it
// must load.
#include "../support/floatcompare.h"
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

// Appends value as n bytes, the most significant first.
void big(Bytes& to, std::size_t value, int n) {
    for (int i = n - 1; i >= 0; --i) {
        to.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

Bytes midiFile(int format, int division, const std::vector<Bytes>& tracks) {
    Bytes file = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
    big(file, static_cast<std::size_t>(format), 2);
    big(file, tracks.size(), 2);
    big(file, static_cast<std::size_t>(division), 2);
    for (const Bytes& track : tracks) {
        for (char c : {'M', 'T', 'r', 'k'}) {
            file.push_back(static_cast<std::uint8_t>(c));
        }
        big(file, track.size(), 4);
        file.insert(file.end(), track.begin(), track.end());
    }
    return file;
}

// Each event as "seconds status data1 data2", seconds to the microsecond.
std::vector<std::string> described(const Performance& p) {
    std::vector<std::string> result;
    for (const PerformanceEvent& e : p.events) {
        char text[64];
        std::snprintf(text, sizeof text, "%.6f %02X %d %d", e.seconds, e.midi[0], e.midi[1],
                      e.midi[2]);
        result.push_back(text);
    }
    return result;
}

PerformanceEvent noteAt(double seconds, int velocity) {
    return {seconds, -1, {0x90, 60, static_cast<std::uint8_t>(velocity)}, ""};
}

TEST(MidiFile, TracksTempoRunningStatusAndSkippedEvents) {
    // Track 0: tempo 120 bpm (500000 us a beat), a text event, and 60 bpm
    // (1000000 us) after 960 ticks, a delta of two bytes (0x87 0x40).
    const Bytes conductor = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF,
                             0x01, 0x03, 'a',  'b',  'c',  0x87, 0x40, 0xFF, 0x51,
                             0x03, 0x0F, 0x42, 0x40, 0x00, 0xFF, 0x2F, 0x00};
    // Track 1, 480 ticks (0x83 0x60) apart: a note; a note in running status
    // and a SysEx; a note-off; a program change (one data byte) and a note-on
    // of velocity 0.
    const Bytes notes = {0x00, 0x91, 60,   100,  0x83, 0x60, 62,   90,   0x00, 0xF0, 0x03,
                         0x7E, 0x00, 0xF7, 0x83, 0x60, 0x81, 60,   0x40, 0x83, 0x60, 0xC1,
                         0x05, 0x00, 0x91, 64,   0x00, 0x00, 0xFF, 0x2F, 0x00};

    Performance p;
    std::string error;
    ASSERT_TRUE(parseMidiFile(midiFile(1, 480, {conductor, notes}), p, error)) << error;
    EXPECT_EQ(p.tempo, 120.0);
    EXPECT_EQ(described(p), (std::vector<std::string>{"0.000000 91 60 100", "0.500000 91 62 90",
                                                      "1.000000 81 60 64", "2.000000 C1 5 0",
                                                      "2.000000 91 64 0"}));
}

TEST(MidiFile, DamagedAndForeignFiles) {
    const Bytes track = {0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0};
    const Bytes good = midiFile(0, 96, {track});
    Performance p;
    std::string error;
    ASSERT_TRUE(parseMidiFile(good, p, error));
    EXPECT_EQ(p.events.size(), 2u);

    // A track cut short keeps the events before the cut.
    for (std::size_t cut = good.size() - 1; cut > 22; --cut) {
        Bytes shortened(good.begin(), good.begin() + static_cast<long>(cut));
        EXPECT_TRUE(parseMidiFile(shortened, p, error)) << cut;
        EXPECT_LE(p.events.size(), 2u);
    }
    const std::vector<std::pair<Bytes, const char*>> refused = {
        {{}, "empty"},
        {{'R', 'I', 'F', 'F', 0, 0, 0, 4, 'W', 'A', 'V', 'E', 0, 0}, "not MIDI"},
        {midiFile(2, 96, {track}), "format 2"},
        {midiFile(0, 0xE728, {track}), "SMPTE timing"},
        {midiFile(0, 0, {track}), "zero division"},
        {Bytes(good.begin(), good.begin() + 10), "header cut"},
    };
    for (const auto& [bytes, why] : refused) {
        EXPECT_FALSE(parseMidiFile(bytes, p, error)) << why;
        EXPECT_FALSE(error.empty()) << why;
    }
    EXPECT_FALSE(readMidiFile("/nonexistent/file.mid", p, error));
}

// --- The renderer against the probe ----------------------------------------

// Notes land on their frames at any block size; a program change between
// them cuts the block and takes effect on its frame; more events at once than
// a block's list holds all arrive. The result, written as WAV, reads back.
TEST(Renderer, EventsLandOnTheirFramesAtAnyBlockSize) {
    const double rate = 44100.0;
    Performance p;
    // Left: the notes on each frame; right: the program, 2 then 5.
    std::vector<float> expected(2 * 7000, 0.0f);
    const auto note = [&](int frame, int velocity) {
        p.events.push_back(noteAt(frame / rate, velocity));
        expected[2 * static_cast<std::size_t>(frame)] += 1.0f;
    };
    for (int frame : {0, 1, 511, 512, 1000, 1023}) {
        note(frame, 100);
    }
    p.events.push_back({3000 / rate, 5, {}, "five"});
    for (int frame : {4095, 5000}) {
        note(frame, 100);
    }
    for (int i = 0; i < 2000; ++i) {
        note(6000 + i / 20, 1);
    }
    for (std::size_t f = 0; f < 7000; ++f) {
        expected[2 * f + 1] = f < 3000 ? 2.0f : 5.0f;
    }
    RenderResult result;
    RenderOptions options;
    for (VstInt32 blockSize : {1, 7, 64, 512, 1000, 8192}) {
        VstPlugin plugin(AMBER_PROBE_PLUGIN);
        ASSERT_TRUE(plugin.isLoaded()) << plugin.error();
        options.blockSize = blockSize;
        options.program = 2;
        options.tailSeconds = (7000 - 6099) / rate;
        result = renderPerformance(plugin, p, options);
        ASSERT_EQ(std::tie(result.channels, result.frames), std::make_tuple(2, 7000));
        EXPECT_TRUE(samplesEqual(expected, result.interleaved)) << "block size " << blockSize;
        EXPECT_EQ(std::tie(result.parts, result.peak),
                  std::make_tuple(std::vector<std::string>{"five"}, 20.0));
    }
    char path[] = "/tmp/amber-vsthost-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    std::string error;
    ASSERT_TRUE(writeWaveFile(path, result, options.sampleRate, error)) << error;
    SF_INFO info{};
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    std::vector<float> back(result.interleaved.size());
    EXPECT_EQ(sf_readf_float(file, back.data(), result.frames), result.frames);
    sf_close(file);
    std::remove(path);
    EXPECT_EQ(std::tie(info.channels, info.samplerate), std::make_tuple(2, 44100));
    EXPECT_TRUE(samplesEqual(result.interleaved, back));
    EXPECT_FALSE(writeWaveFile("/nonexistent/dir/out.wav", result, 44100.0, error));
}

// --- The command, on the instrument and on a third-party synthesizer -------

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
    const std::string out = "/tmp/amber-vsthost-" + std::to_string(getpid()) + ".wav";
    const auto [report, status] =
        run("render " AMBER_PLUGIN_LIBRARY " --demo --tail 0.5 --quiet --out " + out);
    std::remove(out.c_str());
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

TEST(HostCommand, ThirdPartySynthAndRefusals) {
    EXPECT_NE(run("info /nonexistent/plugin.so").first.find("cannot open"), std::string::npos);
    EXPECT_NE(run("info libc.so.6").first.find("exports neither"), std::string::npos);
    EXPECT_EQ(run("render /nonexistent/plugin.so --demo").second, 2);
    const char* path = "/usr/lib/vst/Nekobi-vst.so";
    if (access(path, R_OK) != 0) {
        GTEST_SKIP() << path << " is not installed (Debian package dpf-plugins-vst)";
    }
    EXPECT_NE(run(std::string("info ") + path).first.find("IsSynth"), std::string::npos);
    const auto [report, status] =
        run(std::string("render ") + path + " --demo --tail 0.5 --out /dev/null");
    EXPECT_EQ(status, 0) << report;
    EXPECT_EQ(reported(report, "non-finite samples:"), 0.0) << report;
    EXPECT_GT(reported(report, "peak:"), 0.0) << report;
}

} // namespace
