#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "../support/floatcompare.h"
#include "engine/envelope.h"

namespace {

// The envelope's next `n` values at steps of `dt`.
std::vector<float> run(ADSR& env, double dt, std::size_t n) {
    std::vector<float> values(n);
    std::generate(values.begin(), values.end(), [&] { return env.process(dt); });
    return values;
}

// Values at equal steps from noteOn, then at equal steps from noteOff. The
// notes follow one another on one envelope (the first from the level it was
// made with): each starts from time 0, and every call reads the settings as
// they are now. Voices step the envelope by their frames since the note
// began (its time runs quadratically in frames): the golden scenario plays
// that shape.
TEST(ADSR, NoteAndRelease) {
    const struct {
        double a, d, s, r, gain, onStep;
        std::vector<float> on;
        double offStep;
        std::vector<float> off;
        bool activeAtEnd;
    } cases[] = {
        {4, 1, 1, 1, 1.0, 0.0, {}, 0.25, {0.0f, 0.0f, 0.0f}, true}, // released before any value
        {0, 2, 0.5, 1, 0.8, 0.0, {0.8f}, 0.0, {}, true},            // no attack: top of the decay
        // t = 1, 2 (= A: decay), 3, 4 (= A + D: sustain), 5; then t = 2 (= R) ends it.
        {2, 2, 0.5, 2, 0.5, 1.0, {0.25f, 0.5f, 0.375f, 0.25f, 0.25f}, 1.0, {0.125f, 0.0f}, false},
        {4, 1, 1, 1, 1.0, 1.0, {0.25f, 0.5f}, 0.25, {0.375f, 0.25f}, true}, // in the attack
    };
    std::array<double, 4> params = {}; // attack, decay, sustain, release
    ADSR env(params.data());
    EXPECT_FALSE(env.isActive());
    for (const auto& c : cases) {
        params = {c.a, c.d, c.s, c.r};
        env.noteOn(c.gain);
        EXPECT_TRUE(samplesEqual(c.on, run(env, c.onStep, c.on.size()))) << &c - cases;
        env.noteOff();
        EXPECT_TRUE(samplesEqual(c.off, run(env, c.offStep, c.off.size()))) << &c - cases;
        EXPECT_EQ(env.isActive(), c.activeAtEnd) << &c - cases;
    }
}

TEST(ADSR, TimeAddsUpInDoublePrecision) {
    const double params[] = {3.0, 1.0, 1.0, 1.0};
    ADSR env(params);
    env.noteOn(1.0);
    // Ten steps of 0.1 make 0.99999999999999989 in double; summed in float
    // they would make 1.0000001 and the value 0x1.555558p-2.
    EXPECT_EQ(run(env, 0.1, 10).back(), 0x1.555556p-2f);
}

} // namespace
