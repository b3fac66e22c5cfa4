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
        EXPECT_TRUE(env.isActive());
    }
    Note(const Note&) = delete;
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
TEST(ADSR, NoteAndRelease) {
    const struct {
        const char* what;
        double a, d, s, r, gain;
        double onStep;
        std::vector<float> on;
        double offStep;
        std::vector<float> off;
        bool activeAtEnd;
    } cases[] = {
        // clang-format off
        {"attack starts at 0", 5, 1, 1, 300, 1.0, 0.0, {0.0f}, 0.0, {}, true},
        {"no attack: top of the decay", 0, 2, 0.5, 1, 0.8, 0.0, {0.8f}, 0.0, {}, true},
        {"neither: straight to sustain", 0, 0, 0.3, 1, 2.0, 0.0, {0.6f}, 0.0, {}, true},
        // t = 1, 2 (= A: decay), 3, 4 (= A + D: sustain), 5; then t = 2 (= R) ends it.
        {"strict boundaries", 2, 2, 0.5, 2, 0.5,
         1.0, {0.25f, 0.5f, 0.375f, 0.25f, 0.25f}, 1.0, {0.125f, 0.0f}, false},
        {"sustaining note", 1, 1, 0.5, 2, 1.0,
         1.5, {0.75f, 0.5f, 0.5f}, 0.5, {0.375f, 0.25f, 0.125f, 0.0f, 0.0f}, false},
        {"released before any value", 4, 1, 1, 1, 1.0, 0.0, {}, 0.25, {0.0f, 0.0f, 0.0f}, true},
        {"released in the attack", 4, 1, 1, 1, 1.0, 1.0, {0.25f, 0.5f}, 0.25, {0.375f, 0.25f}, true},
        {"zero release", 0, 0, 0.7, 0, 1.0, 1.0, {0.7f}, 0.0, {0.0f}, false},
        // clang-format on
    };
    for (const auto& c : cases) {
        Note note(c.a, c.d, c.s, c.r, c.gain);
        EXPECT_TRUE(samplesEqual(c.on, note.run(c.onStep, c.on.size()))) << c.what;
        if (!c.off.empty()) {
            note.env.noteOff();
            EXPECT_TRUE(samplesEqual(c.off, note.run(c.offStep, c.off.size()))) << c.what;
        }
        EXPECT_EQ(note.env.isActive(), c.activeAtEnd) << c.what;
    }
}

TEST(ADSR, NewNoteRestartsTheAttack) {
    Note note(4.0, 1.0, 1.0, 1.0, 1.0);
    note.run(1.0, 2);
    note.env.noteOff();
    note.run(0.25, 1);
    note.env.noteOn(1.0);
    EXPECT_TRUE(samplesEqual({0.25f}, note.run(1.0, 1)));
}

TEST(ADSR, TimeAddsUpInDoublePrecision) {
    Note note(3.0, 1.0, 1.0, 1.0, 1.0);
    // Ten steps of 0.1 make 0.99999999999999989 in double; summed in float
    // they would make 1.0000001 and the value 0x1.555558p-2.
    EXPECT_EQ(note.run(0.1, 10).back(), 0x1.555556p-2f);
}

TEST(ADSR, ReadsTheZoneSettingsAtEveryCall) {
    Note note(10.0, 1.0, 1.0, 1.0, 1.0);
    EXPECT_EQ(note.env.process(1.0), 0.1f);
    note.params[0] = 2.0;
    EXPECT_EQ(note.env.process(0.0), 0.5f);
}

} // namespace
