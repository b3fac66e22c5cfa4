// Test access to the built plug-in library, loaded with dlopen as a host
// loads it, and a host callback whose answers the tests set.
#pragma once

#include "platform/vstrecords.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

// What the test host answers and what it saw. Reset by each fixture.
struct TestHost {
    VstIntPtr versionAnswer = kVstVersion;
    // Answer to audioMasterGetTime; null answers no time information.
    VstTimeInfo* timeInfo = nullptr;
    int timeRequests = 0;
    VstIntPtr lastTimeFilter = 0;
    int wantMidiRequests = 0;
    int otherRequests = 0;
};

TestHost& testHost();
VstIntPtr testHostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                           void* ptr, float opt);

using PluginEntry = AEffect* (*)(audioMasterCallback);

// The library, opened once per process (it stays mapped anyway).
void* pluginLibrary();
PluginEntry pluginEntry(const char* name);

// A new instance through VSTPluginMain with the test host; fails the test
// when there is none.
AEffect* openInstance();
// effClose through the record; returns its answer.
VstIntPtr closeInstance(AEffect* effect);

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f);
// A text result with a guard area behind the buffer's limit + 1 bytes;
// `intact` tells whether the guard survived. With `padded`, the buffer starts
// with no NUL at all and `padded` tells whether every byte from the text's
// end up to and including the one at the limit is NUL.
std::string textResult(AEffect* effect, VstInt32 opcode, VstInt32 index, VstInt32 limit,
                       bool& intact, VstIntPtr value = 0, bool* padded = nullptr);

// Standard output of the whole process between construction and text(),
// where the instrument writes its diagnostic lines.
class CapturedStdout {
public:
    CapturedStdout();
    ~CapturedStdout();
    // Ends the capture and returns what was written.
    std::string text();

private:
    int m_saved = -1;
    int m_file = -1;
    bool m_done = false;
};

// Lines of text that start with prefix, in order.
std::vector<std::string> linesStartingWith(const std::string& text, const std::string& prefix);

// An event list as a host lays it out, with room for any number of entries.
struct EventList {
    explicit EventList(std::vector<VstMidiEvent> events) : midi(std::move(events)) {
        std::vector<VstEvent*> entries;
        for (VstMidiEvent& e : midi) {
            entries.push_back(reinterpret_cast<VstEvent*>(&e));
        }
        setEntries(entries);
    }
    void setEntries(const std::vector<VstEvent*>& entries) {
        storage.assign(2 + entries.size() + 2, 0);
        list = reinterpret_cast<VstEvents*>(storage.data());
        list->numEvents = static_cast<VstInt32>(entries.size());
        VstEvent** slots = list->events;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            slots[i] = entries[i];
        }
    }
    std::vector<VstMidiEvent> midi;
    std::vector<VstIntPtr> storage;
    VstEvents* list = nullptr;
};

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

// Renders frames frames in blocks of blockSize; returns interleaved stereo.
inline std::vector<float> render(AEffect* e, int frames, int blockSize,
                                 const std::vector<std::pair<int, VstMidiEvent>>& timed = {}) {
    std::vector<float> out;
    std::vector<float> left(static_cast<std::size_t>(blockSize));
    std::vector<float> right(static_cast<std::size_t>(blockSize));
    float* outputs[2] = {left.data(), right.data()};
    for (int pos = 0; pos < frames; pos += blockSize) {
        const int n = std::min(blockSize, frames - pos);
        std::vector<VstMidiEvent> events;
        for (const auto& [frame, event] : timed) {
            if (frame >= pos && frame < pos + n) {
                events.push_back(event);
                events.back().deltaFrames = frame - pos;
            }
        }
        if (!events.empty()) {
            EventList list(events);
            dispatch(e, effProcessEvents, 0, 0, list.list);
        }
        std::fill(left.begin(), left.end(), std::nanf(""));
        std::fill(right.begin(), right.end(), std::nanf(""));
        e->processReplacing(e, nullptr, outputs, n);
        for (int i = 0; i < n; ++i) {
            out.push_back(left[static_cast<std::size_t>(i)]);
            out.push_back(right[static_cast<std::size_t>(i)]);
        }
    }
    return out;
}
