#include "performance.h"

#include <algorithm>
#include <initializer_list>

namespace {

// Factory programs the phrase plays, and the keys it plays them on: the
// drum kit's instruments sit on the roots of its key ranges.
constexpr int kDrumKit = 4; // "Drum Kit 1"
constexpr int kBass = 39;   // "Bass-02"
constexpr int kLead = 13;   // "Lead-05"
constexpr int kPad = 73;    // "Pad-03"
constexpr int kKick = 28;
constexpr int kSnare = 36;
constexpr int kClosedHat = 44;
constexpr int kOpenHat = 52;

constexpr double kTempo = 112.0;
constexpr double kBeat = 60.0 / kTempo;

class PhraseBuilder {
public:
    void program(double beat, int index, const char* label) {
        PerformanceEvent e;
        e.seconds = beat * kBeat;
        e.program = index;
        e.label = label;
        m_events.push_back(e);
    }
    void note(double beat, double beats, int key, int velocity) {
        add(beat, 0x90, key, velocity);
        add(beat + beats, 0x80, key, 0);
    }
    void chord(double beat, double beats, std::initializer_list<int> keys, int velocity) {
        for (int key : keys) {
            note(beat, beats, key, velocity);
        }
    }
    Performance build() {
        std::stable_sort(m_events.begin(), m_events.end(),
                         [](const PerformanceEvent& a, const PerformanceEvent& b) {
                             return a.seconds < b.seconds;
                         });
        Performance p;
        p.events = m_events;
        p.tempo = kTempo;
        return p;
    }

private:
    void add(double beat, int status, int key, int velocity) {
        PerformanceEvent e;
        e.seconds = beat * kBeat;
        e.midi[0] = static_cast<std::uint8_t>(status);
        e.midi[1] = static_cast<std::uint8_t>(key);
        e.midi[2] = static_cast<std::uint8_t>(velocity);
        m_events.push_back(e);
    }
    std::vector<PerformanceEvent> m_events;
};

} // namespace

Performance demoPhrase() {
    PhraseBuilder p;
    double start = 0.0;

    // Two bars of drums: kick and snare with eighth-note hats.
    p.program(start, kDrumKit, "drums: Drum Kit 1");
    for (int bar = 0; bar < 2; ++bar) {
        const double b = start + bar * 4;
        for (int eighth = 0; eighth < 8; ++eighth) {
            const bool open = bar == 1 && eighth == 7;
            p.note(b + eighth * 0.5, 0.25, open ? kOpenHat : kClosedHat, eighth % 2 ? 70 : 100);
        }
        p.note(b + 0, 0.5, kKick, 120);
        p.note(b + 1.5, 0.5, kKick, 100);
        p.note(b + 2, 0.5, kKick, 120);
        p.note(b + 1, 0.5, kSnare, 110);
        p.note(b + 3, 0.5, kSnare, 110);
    }
    start += 2 * 4 + 1;

    // Two bars of bass: a minor riff around A.
    p.program(start - 0.5, kBass, "bass: Bass-02");
    const int bassLine[] = {33, 33, 45, 33, 36, 38, 40, 43, 33, 33, 45, 33, 31, 31, 43, 40};
    for (int i = 0; i < 16; ++i) {
        p.note(start + i * 0.5, 0.25, bassLine[i], 110);
    }
    start += 2 * 4 + 1;

    // Two bars of lead: a short melody.
    p.program(start - 0.5, kLead, "lead: Lead-05");
    struct Step {
        double beat, beats;
        int key;
    };
    const Step melody[] = {{0, 1, 69},     {1, 0.5, 72}, {1.5, 0.5, 74}, {2, 1.5, 76},
                           {3.5, 0.5, 74}, {4, 1, 72},   {5, 1, 69},     {6, 2, 67}};
    for (const Step& s : melody) {
        p.note(start + s.beat, s.beats * 0.9, s.key, 100);
    }
    start += 2 * 4 + 1;

    // Two bars of pad chords, held and let ring.
    p.program(start - 0.5, kPad, "pad: Pad-03");
    p.chord(start, 4, {57, 60, 64}, 90);
    p.chord(start + 4, 4, {53, 57, 60, 65}, 90);
    return p.build();
}
