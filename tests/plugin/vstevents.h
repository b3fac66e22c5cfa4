// MIDI events and event lists laid out as a host hands them to a plug-in,
// and blocks rendered through the plug-in's record with them.
#pragma once

#include "platform/vstrecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// Renders frames frames in blocks of blockSize (one block when there are
// none), the events given, which must be taken, going to the first block;
// returns interleaved stereo. Each block's buffers are filled with NaN first,
// so that a sample left unwritten shows, and 64 guard samples behind the
// block show a write past its end.
inline std::vector<float> render(AEffect* e, int frames, int blockSize,
                                 std::vector<VstMidiEvent> events = {}) {
    EventList list(std::move(events));
    EXPECT_EQ(e->dispatcher(e, effProcessEvents, 0, 0, list.list, 0.0f), 1);
    const auto written = [](float s) { return std::isfinite(s); };
    std::vector<float> out;
    int pos = 0;
    do {
        const int n = std::min(blockSize, frames - pos);
        const std::size_t size = static_cast<std::size_t>(std::max(n, 0));
        std::vector<float> left(size + 64, std::nanf("")), right = left;
        float* outputs[2] = {left.data(), right.data()};
        e->processReplacing(e, nullptr, outputs, n);
        for (std::size_t i = 0; i < size; ++i) {
            out.insert(out.end(), {left[i], right[i]});
        }
        EXPECT_TRUE(std::none_of(left.begin() + long(size), left.end(), written) &&
                    std::none_of(right.begin() + long(size), right.end(), written))
            << "written past a block of " << n;
    } while ((pos += blockSize) < frames);
    return out;
}
