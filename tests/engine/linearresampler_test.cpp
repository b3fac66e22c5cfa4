#include <gtest/gtest.h>

#include <vector>

#include "engine/linearresampler.h"
#include "enginetestsupport.h"

namespace {

using enginetest::floatsEqual;

// Runs `calls` calls over an interleaved source and keeps the left outputs
// and the floats each call consumed.
struct Output {
    std::vector<float> left;
    std::vector<float> right;
    std::vector<int32_t> consumed;
};

Output resample(LinearResampler& r, double rate, const std::vector<float>& source, int calls) {
    Output run;
    int32_t position = 0;
    for (int i = 0; i < calls; ++i) {
        float l = 0.0f;
        float rr = 0.0f;
        const int32_t used = r.process(&l, &rr, 0, rate, source.data() + position,
                                       static_cast<int32_t>(source.size()) - position);
        position += used;
        run.left.push_back(l);
        run.right.push_back(rr);
        run.consumed.push_back(used);
    }
    return run;
}

// Frame k holds left = k + 1 and right = -(k + 1).
std::vector<float> ramp(int frames) {
    std::vector<float> source;
    for (int k = 0; k < frames; ++k) {
        source.push_back(static_cast<float>(k + 1));
        source.push_back(-static_cast<float>(k + 1));
    }
    return source;
}

TEST(LinearResampler, HalfStepInterpolatesBetweenFrames) {
    LinearResampler r;
    const Output run = resample(r, 0.5, ramp(8), 6);
    EXPECT_TRUE(floatsEqual({0.5f, 1.0f, 1.5f, 2.0f, 2.5f, 3.0f}, run.left));
    EXPECT_TRUE(floatsEqual({-0.5f, -1.0f, -1.5f, -2.0f, -2.5f, -3.0f}, run.right));
    EXPECT_EQ(run.consumed, (std::vector<int32_t>{2, 0, 2, 0, 2, 0}));
}

TEST(LinearResampler, UnitStepSkipsOneFrameThenAveragesNeighbours) {
    LinearResampler r;
    const Output run = resample(r, 1.0, ramp(8), 5);
    // Frames 1, then the mean of 1 and 3 (frame 2 passed over), 3 and 4, ...
    EXPECT_TRUE(floatsEqual({1.0f, 2.0f, 3.5f, 4.5f, 5.5f}, run.left));
    EXPECT_EQ(run.consumed, (std::vector<int32_t>{2, 4, 2, 2, 2}));
}

TEST(LinearResampler, StepsAboveOneSmoothInsteadOfInterpolating) {
    for (double rate : {1.5, 2.0, 3.0}) {
        LinearResampler r;
        const Output run = resample(r, rate, std::vector<float>(200, 10.0f), 4);
        EXPECT_FLOAT_EQ(run.left[0], 4.0f) << rate;
        EXPECT_FLOAT_EQ(run.left[1], 6.4f) << rate;
        EXPECT_FLOAT_EQ(run.left[2], 7.84f) << rate;
        EXPECT_FLOAT_EQ(run.left[3], 8.704f) << rate;
    }
}

TEST(LinearResampler, WholeStepsConsumeWholeFrames) {
    {
        LinearResampler r;
        const Output run = resample(r, 2.0, std::vector<float>(2000, 0.0f), 200);
        std::vector<int> threeFrameCalls;
        for (int i = 0; i < 200; ++i) {
            if (run.consumed[static_cast<std::size_t>(i)] == 6) {
                threeFrameCalls.push_back(i);
            } else {
                EXPECT_EQ(run.consumed[static_cast<std::size_t>(i)], 4) << "call " << i;
            }
        }
        ASSERT_GE(threeFrameCalls.size(), 3u);
        EXPECT_EQ(threeFrameCalls[0], 52); // once the phase has crept up to 1.0
        for (std::size_t k = 1; k < threeFrameCalls.size(); ++k) {
            EXPECT_EQ(threeFrameCalls[k] - threeFrameCalls[k - 1], 52);
        }
    }
    LinearResampler r;
    const Output run = resample(r, 3.0, std::vector<float>(2000, 0.0f), 100);
    EXPECT_EQ(run.consumed, std::vector<int32_t>(100, 6));
    EXPECT_NEAR(r.m_phase, 2.0 / 3.0, 1e-12);
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
        std::vector<float> left;
        int32_t position = 0;
        for (std::size_t i = 0; i < c.left.size(); ++i) {
            float l = c.accumulator;
            float rr = 0.0f;
            position += r.process(&l, &rr, c.semitones, c.rate, source.data() + position,
                                  static_cast<int32_t>(source.size()) - position);
            left.push_back(l);
        }
        EXPECT_TRUE(floatsEqual(c.left, left)) << c.semitones << " semitones, rate " << c.rate;
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

TEST(LinearResampler, SemitonesScaleTheStep) {
    LinearResampler a;
    LinearResampler b;
    const std::vector<float> source = ramp(64);
    const Output up = resample(a, 1.0, source, 20);
    std::vector<float> viaSemitones;
    int32_t position = 0;
    for (int i = 0; i < 20; ++i) {
        float l = 0.0f;
        float rr = 0.0f;
        position += b.process(&l, &rr, -12, 2.0, source.data() + position,
                              static_cast<int32_t>(source.size()) - position);
        viaSemitones.push_back(l);
    }
    EXPECT_TRUE(floatsEqual(up.left, viaSemitones));
}

TEST(LinearResampler, AddsIntoTheAccumulators) {
    LinearResampler r;
    float l = 0.25f;
    float rr = -0.25f;
    const float frame[2] = {0.5f, 0.5f};
    r.process(&l, &rr, 0, 1.0, frame, 2);
    EXPECT_EQ(l, 0.75f);
    EXPECT_EQ(rr, 0.25f);
}

} // namespace
