// Costs of the engine core's per-frame work: one resampler call, one envelope
// value, one pass of the event tick.

#include <benchmark/benchmark.h>

#include <climits>
#include <vector>

#include "engine/envelope.h"
#include "engine/linearresampler.h"
#include "engine/synthengine.h"

namespace {

// Resampler calls per second at a given step (argument: step x 10).
void BM_ResamplerCall(benchmark::State& state) {
    const double step = static_cast<double>(state.range(0)) / 10.0;
    std::vector<float> source(1 << 16);
    for (std::size_t i = 0; i < source.size(); ++i) {
        source[i] = static_cast<float>(i % 200) / 100.0f - 1.0f;
    }
    const auto available = static_cast<int32_t>(source.size());
    LinearResampler resampler;
    int32_t position = 0;
    float left = 0.0f;
    float right = 0.0f;
    for (auto _ : state) {
        position += resampler.process(&left, &right, 0, step, source.data() + position,
                                      available - position);
        if (position > available - 64) {
            position = 0;
        }
        benchmark::DoNotOptimize(left);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("calls");
}
BENCHMARK(BM_ResamplerCall)->Arg(8)->Arg(20);

// ADSR values per second over a note's whole shape, re-triggered as it ends.
void BM_ADSRValue(benchmark::State& state) {
    const double params[4] = {1.0, 2.0, 0.5, 3.0};
    ADSR envelope(params);
    envelope.noteOn(1.0);
    int64_t frame = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(envelope.process(1e-4));
        if (++frame == 40000) {
            envelope.noteOff();
        } else if (frame == 80000) {
            envelope.noteOn(1.0);
            frame = 0;
        }
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("values");
}
BENCHMARK(BM_ADSRValue);

class SilentEngine final : public SynthEngine {
public:
    SilentEngine() : SynthEngine(16, 0, 2, "Bench", "Bench", "Bench", 1) {}
    void process(float**, float**, int32_t) override {}
    void noteOn(int32_t, int32_t) override {}
    void noteOff(int32_t) override {}
    void pitchBend(float) override {}
};

// One tick pass over a queue holding N waiting events (none falls due, so
// every pass reads and writes back all of them: the steady cost per frame).
void BM_TickPass(benchmark::State& state) {
    SilentEngine engine;
    const auto queued = static_cast<int32_t>(state.range(0));
    for (int32_t i = 0; i < queued; ++i) {
        engine.postNoteOn(i & 127, 100, INT_MAX);
    }
    for (auto _ : state) {
        eventQueueTick(engine.m_pEventQueue);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("passes");
}
BENCHMARK(BM_TickPass)->Arg(0)->Arg(16)->Arg(256);

// Posting a block of note events and ticking them all due: the round trip
// through the pool and the ring.
void BM_PostAndExecute16(benchmark::State& state) {
    SilentEngine engine;
    for (auto _ : state) {
        for (int32_t i = 0; i < 16; ++i) {
            engine.handleMidi(0x90, static_cast<uint8_t>(40 + i), 100, 0);
        }
        eventQueueTick(engine.m_pEventQueue);
    }
    state.SetItemsProcessed(state.iterations() * 16);
    state.SetLabel("events");
}
BENCHMARK(BM_PostAndExecute16);

} // namespace
