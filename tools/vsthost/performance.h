// What the host plays: MIDI messages and program changes, each at a time in
// seconds, read from a Standard MIDI File or built in (the demo phrase).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PerformanceEvent {
    double seconds = 0.0;
    // A program change the host makes through the dispatcher, or -1 for a
    // MIDI message.
    int program = -1;
    std::uint8_t midi[3] = {0, 0, 0};
    // What the event stands for, printed with the demo's parts.
    std::string label;
};

struct Performance {
    // Sorted by time; events at the same time keep their order.
    std::vector<PerformanceEvent> events;
    // Beats per minute given to the plug-in as the host's tempo.
    double tempo = 120.0;
    // The time of the last event.
    double length() const { return events.empty() ? 0.0 : events.back().seconds; }
};

// Reads a Standard MIDI File (format 0 or 1, tempo changes honoured, running
// status, SysEx and meta events skipped). Channel messages keep their
// channel. Returns false with a reason in error when the file cannot be read
// or is not a MIDI file; a track cut short keeps the events before the cut.
bool readMidiFile(const std::string& path, Performance& performance, std::string& error);

// Parses the bytes of a Standard MIDI File; as readMidiFile.
bool parseMidiFile(const std::vector<std::uint8_t>& bytes, Performance& performance,
                   std::string& error);

// The built-in phrase: a drum kit, a bass line, a lead and a pad from the
// factory programs, one after the other, the program switched between parts.
Performance demoPhrase();
