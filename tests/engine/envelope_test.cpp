#include <gtest/gtest.h>

#include <vector>

#include "engine/envelope.h"
#include "enginetestsupport.h"

namespace {

using enginetest::floatsEqual;

// An envelope over its own settings (attack, decay, sustain, release),
// started with `gain`.
struct Note {
    Note(double a, double d, double s, double r, double gain) : params{a, d, s, r} {
        EXPECT_FALSE(env.isActive());
        env.noteOn(gain);
        EXPECT_TRUE(env.isActive());
    }
    Note(const Note&) = delete;
    std::vector<float> run(double dt, int n) {
        std::vector<float> values;
        for (int i = 0; i < n; ++i) {
            values.push_back(env.process(dt));
        }
        return values;
    }
    double params[4];
    ADSR env{params};
};

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
        Note note(c.a, c.d, c.s, c.r, c.gain);
        EXPECT_EQ(note.env.process(0.0), c.first) << c.a << " " << c.d;
    }
}

TEST(ADSR, ShapeWithStrictBoundaries) {
    Note note(2.0, 2.0, 0.5, 2.0, 0.5);
    // t = 1, 2 (= A: decay), 3, 4 (= A + D: sustain), 5.
    EXPECT_TRUE(floatsEqual({0.25f, 0.5f, 0.375f, 0.25f, 0.25f}, note.run(1.0, 5)));
    note.env.noteOff();
    // From level 0.5 over R = 2: t = 1, then t = 2 (= R) ends it.
    EXPECT_TRUE(floatsEqual({0.125f, 0.0f}, note.run(1.0, 2)));
    EXPECT_EQ(note.env.m_state, ADSR::Idle);
}

TEST(ADSR, ReleaseOfASustainingNote) {
    Note note(1.0, 1.0, 0.5, 2.0, 1.0);
    note.run(1.5, 3);
    note.env.noteOff();
    EXPECT_TRUE(floatsEqual({0.375f, 0.25f, 0.125f, 0.0f, 0.0f}, note.run(0.5, 5)));
    EXPECT_FALSE(note.env.isActive());
}

TEST(ADSR, ReleaseStartsFromTheLevelReached) {
    Note early(4.0, 1.0, 1.0, 1.0, 1.0);
    early.env.noteOff(); // before any value was computed
    EXPECT_TRUE(floatsEqual({0.0f, 0.0f, 0.0f}, early.run(0.25, 3)));

    Note note(4.0, 1.0, 1.0, 1.0, 1.0);
    note.run(1.0, 2); // attack level 0.5, not 1
    note.env.noteOff();
    EXPECT_TRUE(floatsEqual({0.375f, 0.25f}, note.run(0.25, 2)));
    // A new note restarts the attack from time 0.
    note.env.noteOn(1.0);
    EXPECT_TRUE(floatsEqual({0.25f}, note.run(1.0, 1)));
}

TEST(ADSR, ZeroReleaseEndsAtOnce) {
    Note note(0.0, 0.0, 0.7, 0.0, 1.0);
    note.run(1.0, 1);
    note.env.noteOff();
    EXPECT_EQ(note.env.process(0.0), 0.0f);
    EXPECT_FALSE(note.env.isActive());
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
