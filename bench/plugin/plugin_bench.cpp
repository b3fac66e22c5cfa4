// The instrument through its built library, driven as a host drives it:
// the real-time factor of the demo phrase and of ten held voices at
// 512-frame blocks. The instrument's own diagnostic lines go to /dev/null so
// that they neither flood the report nor cost terminal time.
#include "performance.h"
#include "renderer.h"
#include "vstplugin.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr VstInt32 kBlock = 512;
constexpr double kRate = 44100.0;

VstPlugin& instrument() {
    static VstPlugin plugin(AMBER_PLUGIN_LIBRARY);
    return plugin;
}

void BM_DemoPhrase(benchmark::State& state) {
    VstPlugin& plugin = instrument();
    if (!plugin.isLoaded()) {
        state.SkipWithError(plugin.error().c_str());
        return;
    }
    const Performance phrase = demoPhrase();
    RenderOptions options;
    options.blockSize = kBlock;
    double audioSeconds = 0;
    for (auto _ : state) {
        const RenderResult result = renderPerformance(plugin, phrase, options);
        benchmark::DoNotOptimize(result.peak);
        audioSeconds += result.seconds();
    }
    // Wall time per audio time, inverted: how many times faster than real time.
    state.counters["realtime_factor"] =
        benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DemoPhrase)->Unit(benchmark::kMillisecond)->UseRealTime();

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

} // namespace

int main(int argc, char** argv) {
    // The report keeps the terminal; the instrument's lines go nowhere.
    std::fflush(stdout);
    const int report = dup(STDOUT_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    if (report >= 0 && devNull >= 0) {
        dup2(devNull, STDOUT_FILENO);
        close(devNull);
    }
    std::ofstream out("/dev/fd/" + std::to_string(report));

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::ConsoleReporter reporter;
    reporter.SetOutputStream(&out);
    reporter.SetErrorStream(&out);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
