// MIDI events and event lists laid out as a host hands them to a plug-in.
#pragma once

#include "platform/vstrecords.h"

#include <vector>

inline VstMidiEvent midiEvent(int status, int data1, int data2, int delta = 0) {
    VstMidiEvent e{};
    e.type = kVstMidiType;
    e.byteSize = sizeof e;
    e.deltaFrames = delta;
    e.midiData[0] = static_cast<char>(status);
    e.midiData[1] = static_cast<char>(data1);
    e.midiData[2] = static_cast<char>(data2);
    return e;
}

// An event list of the MIDI events given, or of any entries set afterwards
// (null and other kinds of event included).
struct EventList {
    explicit EventList(std::vector<VstMidiEvent> events) : midi(std::move(events)) {
        std::vector<VstEvent*> entries;
        for (std::size_t i = 0; i < midi.size(); ++i) {
            entries.push_back(entry(i));
        }
        setEntries(entries);
    }
    // The header's two words, the entries, and the two the record declares.
    void setEntries(const std::vector<VstEvent*>& entries) {
        storage.assign(2, nullptr);
        storage.insert(storage.end(), entries.begin(), entries.end());
        storage.resize(storage.size() + 2);
        list = reinterpret_cast<VstEvents*>(storage.data());
        list->numEvents = static_cast<VstInt32>(entries.size());
    }
    VstEvent* entry(std::size_t i) { return reinterpret_cast<VstEvent*>(&midi[i]); }
    std::vector<VstMidiEvent> midi;
    std::vector<VstEvent*> storage;
    VstEvents* list = nullptr;
};
