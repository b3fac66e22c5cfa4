#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "../support/floatcompare.h"
#include "engine/envelope.h"

namespace {

// An envelope over settings of its own (attack, decay, sustain, release).
struct Note {
    // A new note with these settings and `gain`.
    void start(double a, double d, double s, double r, double gain) {
        params = {a, d, s, r};
        env.noteOn(gain);
    }
    std::vector<float> run(double dt, std::size_t n) {
        std::vector<float> values;
        for (std::size_t i = 0; i < n; ++i) {
            values.push_back(env.process(dt));
        }
        return values;
    }
    std::array<double, 4> params = {};
    ADSR env{params.data()};
};

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
    Note note;
    EXPECT_FALSE(note.env.isActive());
    for (const auto& c : cases) {
        note.start(c.a, c.d, c.s, c.r, c.gain);
        EXPECT_TRUE(samplesEqual(c.on, note.run(c.onStep, c.on.size()))) << &c - cases;
        note.env.noteOff();
        EXPECT_TRUE(samplesEqual(c.off, note.run(c.offStep, c.off.size()))) << &c - cases;
        EXPECT_EQ(note.env.isActive(), c.activeAtEnd) << &c - cases;
    }
}

TEST(ADSR, TimeAddsUpInDoublePrecision) {
    Note note;
    note.start(3.0, 1.0, 1.0, 1.0, 1.0);
    // Ten steps of 0.1 make 0.99999999999999989 in double; summed in float
    // they would make 1.0000001 and the value 0x1.555558p-2.
    EXPECT_EQ(note.run(0.1, 10).back(), 0x1.555556p-2f);
}

} // namespace
