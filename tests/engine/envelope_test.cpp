#include <gtest/gtest.h>

#include <vector>

#include "engine/envelope.h"
#include "enginetestsupport.h"

namespace {

using enginetest::floatsEqual;

std::vector<float> run(ADSR& env, double dt, int n) {
    std::vector<float> values;
    for (int i = 0; i < n; ++i) {
        values.push_back(env.process(dt));
    }
    return values;
}

TEST(ADSR, FirstValueAfterNoteOn) {
    const struct {
        double a, d, s, r, gain;
        float first;
    } cases[] = {
        {5.0, 1.0, 1.0, 300.0, 1.0, 0.0f}, // attack starts at 0
        {0.0, 2.0, 0.5, 1.0, 0.8, 0.8f},   // no attack: top of the decay
        {0.0, 0.0, 0.3, 1.0, 2.0, 0.6f},   // neither: straight to sustain
    };
    for (const auto& c : cases) {
        const double params[4] = {c.a, c.d, c.s, c.r};
        ADSR env(params);
        EXPECT_FALSE(env.isActive());
        env.noteOn(c.gain);
        EXPECT_TRUE(env.isActive());
        EXPECT_EQ(env.process(0.0), c.first) << c.a << " " << c.d;
    }
}

TEST(ADSR, ShapeWithStrictBoundaries) {
    const double params[4] = {2.0, 2.0, 0.5, 2.0};
    ADSR env(params);
    env.noteOn(0.5);
    // t = 1, 2 (= A: decay), 3, 4 (= A + D: sustain), 5.
    EXPECT_TRUE(floatsEqual({0.25f, 0.5f, 0.375f, 0.25f, 0.25f}, run(env, 1.0, 5)));
    env.noteOff();
    // From level 0.5 over R = 2: t = 1, then t = 2 (= R) ends it.
    EXPECT_TRUE(floatsEqual({0.125f, 0.0f}, run(env, 1.0, 2)));
    EXPECT_FALSE(env.isActive());
    EXPECT_EQ(env.m_state, ADSR::Idle);
}

TEST(ADSR, ReleaseOfASustainingNote) {
    const double params[4] = {1.0, 1.0, 0.5, 2.0};
    ADSR env(params);
    env.noteOn(1.0);
    run(env, 1.5, 3);
    env.noteOff();
    EXPECT_TRUE(floatsEqual({0.375f, 0.25f, 0.125f, 0.0f}, run(env, 0.5, 4)));
    EXPECT_EQ(env.m_state, ADSR::Idle);
    EXPECT_EQ(env.process(0.5), 0.0f);
}

TEST(ADSR, ReleaseStartsFromTheLevelReached) {
    const double params[4] = {4.0, 1.0, 1.0, 1.0};
    {
        ADSR env(params); // released before any value was computed
        env.noteOn(1.0);
        env.noteOff();
        EXPECT_TRUE(floatsEqual({0.0f, 0.0f, 0.0f}, run(env, 0.25, 3)));
    }
    ADSR env(params);
    env.noteOn(1.0);
    run(env, 1.0, 2); // attack level 0.5, not 1
    env.noteOff();
    EXPECT_TRUE(floatsEqual({0.375f, 0.25f}, run(env, 0.25, 2)));
    // A new note restarts the attack from time 0.
    env.noteOn(1.0);
    EXPECT_TRUE(floatsEqual({0.25f}, run(env, 1.0, 1)));
}

TEST(ADSR, ZeroReleaseEndsAtOnce) {
    const double params[4] = {0.0, 0.0, 0.7, 0.0};
    ADSR env(params);
    env.noteOn(1.0);
    env.process(1.0);
    env.noteOff();
    EXPECT_EQ(env.process(0.0), 0.0f);
    EXPECT_FALSE(env.isActive());
}

TEST(ADSR, TimeAddsUpInDoublePrecision) {
    const double params[4] = {3.0, 1.0, 1.0, 1.0};
    ADSR env(params);
    env.noteOn(1.0);
    const std::vector<float> values = run(env, 0.1, 10);
    // Ten steps of 0.1 make 0.99999999999999989 in double; summed in float
    // they would make 1.0000001 and the value 0x1.555558p-2.
    EXPECT_EQ(values.back(), 0x1.555556p-2f);
}

TEST(ADSR, ReadsTheZoneSettingsAtEveryCall) {
    double params[4] = {10.0, 1.0, 1.0, 1.0};
    ADSR env(params);
    env.noteOn(1.0);
    EXPECT_EQ(env.process(1.0), 0.1f);
    params[0] = 2.0;
    EXPECT_EQ(env.process(0.0), 0.5f);
}

} // namespace
