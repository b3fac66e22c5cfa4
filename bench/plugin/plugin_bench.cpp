// The instrument through its built library, driven as a host drives it:
// the real-time factor of the demo phrase (in memory, and written to a WAV
// file as the host command writes it) and of ten held voices at 512-frame
// blocks. The instrument's own diagnostic lines go to /dev/null so
// that they neither flood the report nor cost terminal time.
#include "outputfile.h"
#include "performance.h"
#include "renderer.h"
#include "vstplugin.h"

#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr VstInt32 kBlock = 512;
constexpr double kRate = 44100.0;

VstPlugin& instrument() {
    static VstPlugin plugin(AMBER_PLUGIN_LIBRARY);
    return plugin;
}

// The demo phrase rendered as `vsthost render` does; with a file, through
// the WAV writer into a temporary file renamed over the last one, as a user's
// earlier take is replaced.
void renderDemo(benchmark::State& state, bool toFile) {
    VstPlugin& plugin = instrument();
    if (!plugin.isLoaded()) {
        state.SkipWithError(plugin.error().c_str());
        return;
    }
    const Performance phrase = demoPhrase();
    RenderOptions options;
    options.blockSize = kBlock;
    const char* folder = std::getenv("TMPDIR");
    const std::string path = std::string(folder ? folder : "/tmp") + "/amber-bench-demo.wav";
    double audioSeconds = 0;
    std::string error;
    for (auto _ : state) {
        WaveWriter writer;
        if (toFile && !writer.open(path, 2, kRate, error)) {
            break;
        }
        const RenderResult result =
            renderPerformance(plugin, phrase, options, [&](const float* block, std::int64_t n) {
                return !toFile || writer.write(block, n, error);
            });
        if (!result.complete || (toFile && !writer.close(error))) {
            break;
        }
        audioSeconds += result.seconds();
    }
    if (!error.empty()) {
        state.SkipWithError(error.c_str());
    }
    std::remove(path.c_str());
    // Wall time per audio time, inverted: how many times faster than real time.
    state.counters["realtime_factor"] =
        benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(renderDemo, InMemory, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(renderDemo, ToFile, true)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TenHeldVoices(benchmark::State& state) {
    VstPlugin& plugin = instrument();
    if (!plugin.isLoaded()) {
        state.SkipWithError(plugin.error().c_str());
        return;
    }
    AEffect* e = plugin.effect();
    plugin.start(kRate, kBlock);
    std::vector<float> left(kBlock);
    std::vector<float> right(kBlock);
    float* outputs[2] = {left.data(), right.data()};
    // Five keys below the lead's middle root (72) and five above it, each by
    // 1 to 11 semitones; the samples last well beyond the blocks rendered
    // between two restarts.
    const int keys[10] = {61, 63, 65, 67, 69, 73, 75, 77, 79, 81};
    constexpr int kBlocksPerStart = 64;
    int blocksLeft = 0;
    std::int64_t frames = 0;
    for (auto _ : state) {
        if (blocksLeft == 0) {
            state.PauseTiming();
            plugin.dispatch(effSetProgram, 0, 13); // stops every voice
            VstMidiEvent notes[10] = {};
            struct {
                VstInt32 numEvents;
                VstIntPtr reserved;
                VstEvent* events[10];
            } list{10, 0, {}};
            for (int i = 0; i < 10; ++i) {
                notes[i].type = kVstMidiType;
                notes[i].byteSize = sizeof(VstMidiEvent);
                notes[i].midiData[0] = static_cast<char>(0x90);
                notes[i].midiData[1] = static_cast<char>(keys[i]);
                notes[i].midiData[2] = 100;
                list.events[i] = reinterpret_cast<VstEvent*>(&notes[i]);
            }
            plugin.dispatch(effProcessEvents, 0, 0, &list);
            // The notes start sounding from the block after the one that
            // executes them.
            e->processReplacing(e, nullptr, outputs, kBlock);
            blocksLeft = kBlocksPerStart;
            state.ResumeTiming();
        }
        setHostTime(static_cast<double>(frames));
        e->processReplacing(e, nullptr, outputs, kBlock);
        benchmark::DoNotOptimize(left.data());
        frames += kBlock;
        --blocksLeft;
    }
    plugin.stop();
    state.counters["realtime_factor"] =
        benchmark::Counter(static_cast<double>(frames) / kRate, benchmark::Counter::kIsRate);
    state.counters["ns_per_frame"] = benchmark::Counter(
        static_cast<double>(frames), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TenHeldVoices)->UseRealTime();

// Hands the report to the output file, keeping the reason of the first write
// that failed: a full disk must not pass for a report written.
class ReportBuffer : public std::streambuf {
public:
    explicit ReportBuffer(OutputFile& file) : m_file(file) {}
    // Empty, or why the report could not be written whole.
    std::string finish() {
        if (m_error.empty()) {
            m_file.commit(m_error);
        }
        return m_error;
    }

protected:
    std::streamsize xsputn(const char* data, std::streamsize size) override {
        return m_error.empty() && m_file.write(data, static_cast<std::size_t>(size), m_error) ? size
                                                                                              : 0;
    }
    int_type overflow(int_type c) override {
        const char byte = traits_type::to_char_type(c);
        return traits_type::eq_int_type(c, traits_type::eof()) || xsputn(&byte, 1) == 1
                   ? traits_type::not_eof(c)
                   : traits_type::eof();
    }

private:
    OutputFile& m_file;
    std::string m_error;
};

} // namespace

int main(int argc, char** argv) {
    // A file-size limit or a full disk is a failed write with its reason.
    OutputFile::handleSignals("plugin_bench");
    // The report keeps what standard output was open on (the terminal, or a
    // log appended to with >>, written on from where it ends); the
    // instrument's lines go nowhere.
    std::fflush(stdout);
    OutputFile report;
    std::string error;
    const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (!report.open("/dev/stdout", error) || devNull < 0 || dup2(devNull, STDOUT_FILENO) < 0) {
        std::fprintf(stderr, "plugin_bench: cannot keep standard output for the report: %s\n",
                     error.empty() ? std::strerror(errno) : error.c_str());
        return 1;
    }
    close(devNull);
    ReportBuffer buffer(report);
    std::ostream out(&buffer);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    // Colours only for a terminal, not into a log.
    benchmark::ConsoleReporter reporter(isatty(report.descriptor())
                                            ? benchmark::ConsoleReporter::OO_Defaults
                                            : benchmark::ConsoleReporter::OO_Tabular);
    reporter.SetOutputStream(&out);
    reporter.SetErrorStream(&out);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    error = buffer.finish();
    if (!error.empty()) {
        std::fprintf(stderr, "plugin_bench: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
