#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "../support/floatcompare.h"
#include "engine/linearresampler.h"

namespace {

struct Output {
    std::vector<float> left;
    std::vector<float> right;
    std::vector<int32_t> consumed;
};

// Makes `calls` calls, advancing through an interleaved source by what each
// consumed, with both accumulators starting at `start`.
Output resample(LinearResampler& r, int32_t semitones, double rate,
                const std::vector<float>& source, std::size_t calls, float start = 0.0f) {
    Output run;
    int32_t position = 0;
    for (std::size_t i = 0; i < calls; ++i) {
        float l = start;
        float rr = start;
        const int32_t used = r.process(&l, &rr, semitones, rate, source.data() + position,
                                       static_cast<int32_t>(source.size()) - position);
        position += used;
        run.left.push_back(l);
        run.right.push_back(rr);
        run.consumed.push_back(used);
    }
    return run;
}

// A fresh resampler's first calls. Up to step 1 it interpolates over a ramp
// (frame k holds k + 1 and -(k + 1)); above it a constant 10 shows the 0.4
// smoother, never a mix of two frames.
TEST(LinearResampler, FirstCallsAtEachKindOfStep) {
    std::vector<float> ramp;
    for (int k = 1; k <= 8; ++k) {
        ramp.push_back(static_cast<float>(k));
        ramp.push_back(-static_cast<float>(k));
    }
    const std::vector<float> ten(200, 10.0f);
    const std::vector<float> smoothed{4.0f, 6.4f, 7.84f, 8.704f};
    const struct {
        double rate;
        const std::vector<float>& source;
        float rightSign;
        std::vector<float> left;
        std::vector<int32_t> consumed;
    } cases[] = {
        {0.5, ramp, -1.0f, {0.5f, 1.0f, 1.5f, 2.0f, 2.5f, 3.0f}, {2, 0, 2, 0, 2, 0}},
        // The first frame, then frame 2 passed over, then means of neighbours.
        {1.0, ramp, -1.0f, {1.0f, 2.0f, 3.5f, 4.5f, 5.5f}, {2, 4, 2, 2, 2}},
        {1.5, ten, 1.0f, smoothed, {2, 4, 4, 4}},
        {2.0, ten, 1.0f, smoothed, {4, 4, 4, 4}},
        {3.0, ten, 1.0f, smoothed, {6, 6, 6, 6}},
    };
    for (const auto& c : cases) {
        LinearResampler r;
        const Output run = resample(r, 0, c.rate, c.source, c.left.size());
        std::vector<float> right;
        for (float l : c.left) {
            right.push_back(c.rightSign * l);
        }
        EXPECT_TRUE(samplesEqual(c.left, run.left)) << "step " << c.rate;
        EXPECT_TRUE(samplesEqual(right, run.right)) << "step " << c.rate;
        EXPECT_EQ(run.consumed, c.consumed) << "step " << c.rate;
    }
}

// At step 2 the phase creeps up to 1.0, and then one call takes three frames.
TEST(LinearResampler, StepTwoTakesThreeFramesEvery52ndCall) {
    LinearResampler r;
    const Output run = resample(r, 0, 2.0, std::vector<float>(1000, 0.0f), 105);
    EXPECT_EQ(std::count(run.consumed.begin(), run.consumed.end(), 6), 2);
    EXPECT_EQ(run.consumed[52] + run.consumed[104], 12);
}

// Exact outputs where the precision of each step shows: a float smoother,
// interpolation or accumulation in float, or a step from pow in double would
// each change at least one value of one of these runs.
TEST(LinearResampler, PrecisionOfEachStep) {
    std::vector<float> source;
    for (int k = 0; k < 64; ++k) {
        const float value = 0.1f * static_cast<float>(k + 1) + 0.013f * static_cast<float>(k * k);
        source.push_back(value);
        source.push_back(-value);
    }
    const struct {
        int32_t semitones;
        double rate;
        float accumulator;
        std::vector<float> left;
    } cases[] = {
        {0, 0.3, 0.1f, {0x1.0a3d7p-3f, 0x1.47ae14p-3f, 0x1.851eb8p-3f, 0x1.c7e282p-3f}},
        {0, 1.7, 0.0f, {0x1.47ae14p-5f, 0x1.5182aap-3f, 0x1.873ffcp-2f, 0x1.6494d6p-1f}},
        {7, 0.5, 0.0f, {0x1.32da72p-4f, 0x1.401ec8p-3f, 0x1.faab4cp-3f, 0x1.67f75p-2f}},
    };
    for (const auto& c : cases) {
        LinearResampler r;
        const Output run = resample(r, c.semitones, c.rate, source, c.left.size(), c.accumulator);
        EXPECT_TRUE(samplesEqual(c.left, run.left)) << c.semitones << " semitones, rate " << c.rate;
    }
}

TEST(LinearResampler, ExhaustedSourceAddsNothing) {
    LinearResampler r;
    float l = 1.0f;
    float rr = 2.0f;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(r.process(&l, &rr, 0, 0.5, nullptr, 0), 0);
    const float one[2] = {8.0f, 9.0f};
    EXPECT_EQ(r.process(&l, &rr, 0, 3.0, one, 2), 0); // needs 6 floats
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "should only happen at very end\nshould only happen at very end\n");
    EXPECT_EQ(l, 1.0f);
    EXPECT_EQ(rr, 2.0f);
    // The fetch stays pending and succeeds once floats arrive.
    EXPECT_EQ(r.process(&l, &rr, 0, 0.0, one, 2), 2);
}

} // namespace
