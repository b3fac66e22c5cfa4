// The minimal host: its MIDI file reader, its renderer (against a probe
// plug-in that shows where events land), and both plug-ins it must load.
#include "../support/floatcompare.h"
#include "performance.h"
#include "renderer.h"
#include "soundsetpresence.h"
#include "vstplugin.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <cstdio>
#include <string>
#include <unistd.h>
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

PerformanceEvent noteAt(double seconds, int velocity = 100) {
    PerformanceEvent e;
    e.seconds = seconds;
    e.midi[0] = 0x90;
    e.midi[1] = 60;
    e.midi[2] = static_cast<std::uint8_t>(velocity);
    return e;
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

TEST(Renderer, EventsLandOnTheirFramesAtAnyBlockSize) {
    const double rate = 44100.0;
    const std::vector<int> frames = {0, 1, 511, 512, 1000, 1023, 4095, 5000};
    Performance p;
    for (int frame : frames) {
        p.events.push_back(noteAt(frame / rate));
        // Between the notes at frames 1023 and 4095.
        if (frame == 1023) {
            p.events.push_back({3000 / rate, 5, {}, "five"});
        }
    }
    // Left: a mark on each note's frame; right: the program, 2 then 5.
    std::vector<float> expected(2 * 6000, 0.0f);
    for (std::size_t f = 0; f < 6000; ++f) {
        expected[2 * f + 1] = f < 3000 ? 2.0f : 5.0f;
    }
    for (int frame : frames) {
        expected[2 * static_cast<std::size_t>(frame)] = 1.0f;
    }

    for (VstInt32 blockSize : {1, 7, 64, 512, 1000, 8192}) {
        VstPlugin plugin(AMBER_PROBE_PLUGIN);
        ASSERT_TRUE(plugin.isLoaded()) << plugin.error();
        RenderOptions options;
        options.blockSize = blockSize;
        options.program = 2;
        options.tailSeconds = (6000 - 5000) / rate;
        const RenderResult result = renderPerformance(plugin, p, options);
        ASSERT_EQ(result.channels, 2);
        ASSERT_EQ(result.frames, 6000);
        EXPECT_TRUE(samplesEqual(expected, result.interleaved)) << "block size " << blockSize;
        EXPECT_EQ(result.parts, std::vector<std::string>{"five"});
        EXPECT_EQ(result.peak, 5.0);
    }
}

TEST(Renderer, ManyEventsInOneBlock) {
    Performance p;
    for (int i = 0; i < 2000; ++i) {
        p.events.push_back(noteAt((i / 20) / 44100.0, 1));
    }
    VstPlugin plugin(AMBER_PROBE_PLUGIN);
    ASSERT_TRUE(plugin.isLoaded());
    RenderOptions options;
    options.blockSize = 4096;
    options.tailSeconds = 0.01;
    const RenderResult result = renderPerformance(plugin, p, options);
    double marks = 0;
    for (std::int64_t f = 0; f < result.frames; ++f) {
        marks += result.interleaved[static_cast<std::size_t>(2 * f)];
    }
    // Every event arrived, none outside its block.
    EXPECT_EQ(marks, 2000.0);
}

TEST(Renderer, WritesAWaveFileThatReadsBack) {
    VstPlugin plugin(AMBER_PROBE_PLUGIN);
    ASSERT_TRUE(plugin.isLoaded());
    Performance p;
    p.events.push_back(noteAt(0.01));
    RenderOptions options;
    options.program = 3;
    options.tailSeconds = 0.05;
    const RenderResult result = renderPerformance(plugin, p, options);
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
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_TRUE(samplesEqual(result.interleaved, back));
    EXPECT_FALSE(writeWaveFile("/nonexistent/dir/out.wav", result, 44100.0, error));
}

// --- The plug-ins the host must load ---------------------------------------

// The instrument through the host: the demo phrase sounds through the whole
// road, event lists, queue, voices and mix.
TEST(HostLoads, AmberThreshold) {
    VstPlugin plugin(AMBER_PLUGIN_LIBRARY);
    ASSERT_TRUE(plugin.isLoaded()) << plugin.error();
    EXPECT_EQ(plugin.entryName(), "VSTPluginMain");
    RenderOptions options;
    options.tailSeconds = 0.5;
    const RenderResult result = renderPerformance(plugin, demoPhrase(), options);
    EXPECT_EQ(result.nonFinite, 0);
    EXPECT_EQ(result.parts.size(), 4u);
    EXPECT_GT(hostState().timeRequestCount, 0);
    if (!soundSetBeside(AMBER_PLUGIN_LIBRARY)) {
        GTEST_SKIP() << "the factory sound set is not beside the library";
    }
    EXPECT_GT(result.rms, 0.01);
}

TEST(HostLoads, ThirdPartySynth) {
    const char* path = "/usr/lib/vst/Nekobi-vst.so";
    if (access(path, R_OK) != 0) {
        GTEST_SKIP() << path << " is not installed (Debian package dpf-plugins-vst)";
    }
    VstPlugin plugin(path);
    ASSERT_TRUE(plugin.isLoaded()) << plugin.error();
    EXPECT_NE(plugin.effect()->flags & effFlagsIsSynth, 0);
    EXPECT_FALSE(plugin.text(effGetEffectName).empty());
    EXPECT_GT(plugin.effect()->numParams, 0);
    Performance p = demoPhrase();
    RenderOptions options;
    options.tailSeconds = 0.5;
    const RenderResult result = renderPerformance(plugin, p, options);
    EXPECT_EQ(result.nonFinite, 0);
    EXPECT_GT(result.peak, 0.0);
}

TEST(HostLoads, MissingLibraryOrEntry) {
    VstPlugin missing("/nonexistent/plugin.so");
    EXPECT_FALSE(missing.isLoaded());
    EXPECT_NE(missing.error().find("cannot open"), std::string::npos);
    VstPlugin notAPlugin("libc.so.6");
    EXPECT_FALSE(notAPlugin.isLoaded());
    EXPECT_NE(notAPlugin.error().find("neither"), std::string::npos);
}

} // namespace
