#include <gtest/gtest.h>

#include <vector>

#include "../support/floatcompare.h"
#include "engine/envelope.h"

namespace {

// An envelope over its own settings (attack, decay, sustain, release),
// started with `gain`.
struct Note {
    Note(double a, double d, double s, double r, double gain) : params{a, d, s, r} {
        EXPECT_FALSE(env.isActive());
        env.noteOn(gain);
    }
    std::vector<float> run(double dt, std::size_t n) {
        std::vector<float> values;
        for (std::size_t i = 0; i < n; ++i) {
            values.push_back(env.process(dt));
        }
        return values;
    }
    double params[4];
    ADSR env{params};
};

// Values at equal steps from noteOn, then at equal steps from noteOff.
// The envelope's zero times and its shape in frames are played by the
// sampler voice tests.
TEST(ADSR, NoteAndRelease) {
    const struct {
        double a, d, s, r, gain, onStep;
        std::vector<float> on;
        double offStep;
        std::vector<float> off;
        bool activeAtEnd;
    } cases[] = {
        {0, 2, 0.5, 1, 0.8, 0.0, {0.8f}, 0.0, {}, true}, // no attack: top of the decay
        // t = 1, 2 (= A: decay), 3, 4 (= A + D: sustain), 5; then t = 2 (= R) ends it.
        {2, 2, 0.5, 2, 0.5, 1.0, {0.25f, 0.5f, 0.375f, 0.25f, 0.25f}, 1.0, {0.125f, 0.0f}, false},
        {4, 1, 1, 1, 1.0, 0.0, {}, 0.25, {0.0f, 0.0f, 0.0f}, true}, // released before any value
        {4, 1, 1, 1, 1.0, 1.0, {0.25f, 0.5f}, 0.25, {0.375f, 0.25f}, true}, // in the attack
    };
    for (const auto& c : cases) {
        Note note(c.a, c.d, c.s, c.r, c.gain);
        EXPECT_TRUE(samplesEqual(c.on, note.run(c.onStep, c.on.size()))) << &c - cases;
        note.env.noteOff();
        EXPECT_TRUE(samplesEqual(c.off, note.run(c.offStep, c.off.size()))) << &c - cases;
        EXPECT_EQ(note.env.isActive(), c.activeAtEnd) << &c - cases;
    }
}

// A new note starts the attack from time 0, and every call reads the
// settings anew.
TEST(ADSR, NewNoteRestartsAndSettingsAreReadAtEveryCall) {
    Note note(4.0, 1.0, 1.0, 1.0, 1.0);
    note.run(1.0, 2);
    note.env.noteOff();
    note.run(0.25, 1);
    note.env.noteOn(1.0);
    EXPECT_EQ(note.env.process(1.0), 0.25f);
    note.params[0] = 2.0;
    EXPECT_EQ(note.env.process(0.0), 0.5f);
}

TEST(ADSR, TimeAddsUpInDoublePrecision) {
    Note note(3.0, 1.0, 1.0, 1.0, 1.0);
    // Ten steps of 0.1 make 0.99999999999999989 in double; summed in float
    // they would make 1.0000001 and the value 0x1.555558p-2.
    EXPECT_EQ(note.run(0.1, 10).back(), 0x1.555556p-2f);
}

} // namespace
