#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "../support/floatcompare.h"
#include "engine/linearresampler.h"

namespace {

struct Calls {
    std::vector<float> left;
    std::vector<int32_t> consumed;
};

// A fresh resampler's first `calls` calls, each advancing the source by what
// the previous consumed, both accumulators starting at `start`. Frame k of the
// source holds v(k) and -v(k), and so the right channel mirrors the left.
Calls resample(int32_t semitones, double rate, std::size_t calls, float start = 0.0f) {
    std::vector<float> source;
    for (int k = 0; k < 256; ++k) {
        const float value = 0.1f * static_cast<float>(k + 1) + 0.013f * static_cast<float>(k * k);
        source.insert(source.end(), {value, -value});
    }
    LinearResampler r;
    Calls run;
    int32_t position = 0;
    for (std::size_t i = 0; i < calls; ++i) {
        float l = start, rr = start;
        run.consumed.push_back(r.process(&l, &rr, semitones, rate, source.data() + position,
                                         static_cast<int32_t>(source.size()) - position));
        position += run.consumed.back();
        run.left.push_back(l);
        EXPECT_TRUE(start != 0.0f || rr == -l) << i;
    }
    return run;
}

// Exact outputs and floats consumed where the precision of each kind of step
// shows: a float smoother, interpolation or accumulation in float, a step
// from pow in double, or a wrong count of frames passed over would each
// change at least one value of one of these runs.
TEST(LinearResampler, PrecisionOfEachStep) {
    // Semitones, rate, the accumulators' start, the left outputs and the floats consumed.
    const std::tuple<int32_t, double, float, std::vector<float>, std::vector<int32_t>> cases[] = {
        // clang-format off
        {0, 0.3, 0.1f, {0x1.0a3d7p-3f, 0x1.47ae14p-3f, 0x1.851eb8p-3f, 0x1.c7e282p-3f}, {2, 0, 0, 2}},
        {7, 0.5, 0.0f, {0x1.32da72p-4f, 0x1.401ec8p-3f, 0x1.faab4cp-3f, 0x1.67f75p-2f}, {2, 2, 2, 0}},
        // The first frame, then frame 1 passed over, then means of neighbours.
        {0, 1.0, 0.0f, {0.1f, 0x1.ced918p-3f, 0x1.bced92p-2f, 0x1.39999ap-1f}, {2, 4, 2, 2}},
        {0, 1.7, 0.0f, {0x1.47ae14p-5f, 0x1.5182aap-3f, 0x1.873ffcp-2f, 0x1.6494d6p-1f}, {2, 4, 4, 4}},
        {0, 3.0, 0.0f, {0x1.205bcp-3f, 0x1.d16336p-2f, 0x1.ee5474p-1f, 0x1.b04112p+0f}, {6, 6, 6, 6}},
        // clang-format on
    };
    for (const auto& [semitones, rate, start, left, consumed] : cases) {
        SCOPED_TRACE(::testing::Message() << semitones << " semitones, rate " << rate);
        const Calls run = resample(semitones, rate, left.size(), start);
        EXPECT_TRUE(samplesEqual(left, run.left));
        EXPECT_EQ(run.consumed, consumed);
    }
}

// Too few floats, or none at all, add nothing; the fetch stays pending and
// succeeds once floats arrive.
TEST(LinearResampler, ExhaustedSourceAddsNothing) {
    LinearResampler r;
    float l = 1.0f, rr = 2.0f;
    const float one[2] = {8.0f, 9.0f};
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(r.process(&l, &rr, 0, 0.5, nullptr, 0), 0);
    EXPECT_EQ(r.process(&l, &rr, 0, 3.0, one, 2), 0); // needs 6 floats
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "should only happen at very end\nshould only happen at very end\n");
    EXPECT_EQ(std::vector<float>({l, rr}), std::vector<float>({1.0f, 2.0f}));
    EXPECT_EQ(r.process(&l, &rr, 0, 0.0, one, 2), 2);
}

} // namespace
