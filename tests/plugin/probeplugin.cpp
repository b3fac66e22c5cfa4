// A tiny VST 2.4 instrument for testing hosts: it marks every note-on at its
// sample offset with a 1 on the left channel and writes the current program
// number on the right channel, so a test can read back exactly where a host
// delivered its events and program changes. AMBER_PROBE_OUTPUTS in the
// environment sets how many outputs it declares (2 when unset), the program
// written on each after the first.
#include "plugin/audioeffectx.h"

#include <algorithm>
#include <cstdlib>

namespace {

class ProbePlugin : public AudioEffectX {
public:
    explicit ProbePlugin(audioMasterCallback host) : AudioEffectX(host, 8, 1) {
        setNumInputs(0);
        const char* outputs = std::getenv("AMBER_PROBE_OUTPUTS");
        setNumOutputs(outputs ? std::atoi(outputs) : 2);
        isSynth(true);
        setUniqueID(vstFourCharacters('P', 'r', 'o', 'b'));
    }

    VstInt32 processEvents(VstEvents* events) override {
        for (VstInt32 i = 0; i < events->numEvents && m_count < kMax; ++i) {
            const auto* midi = reinterpret_cast<const VstMidiEvent*>(events->events[i]);
            if (midi->type == kVstMidiType && (midi->midiData[0] & 0xF0) == 0x90 &&
                midi->midiData[2] != 0) {
                m_offsets[m_count++] = midi->deltaFrames;
            }
        }
        return 1;
    }

    void processReplacing(float**, float** outputs, VstInt32 frames) override {
        for (VstInt32 c = 0; c < getAeffect()->numOutputs; ++c) {
            std::fill_n(outputs[c], std::max(frames, 0), c == 0 ? 0.0f : float(getProgram()));
        }
        for (int i = 0; i < m_count; ++i) {
            // An offset outside the block shows as a mark at its edge.
            const VstInt32 at = std::min(std::max(m_offsets[i], 0), frames - 1);
            outputs[0][at] += m_offsets[i] == at ? 1.0f : 100.0f;
        }
        m_count = 0;
    }

private:
    static constexpr int kMax = 1024;
    VstInt32 m_offsets[kMax] = {};
    int m_count = 0;
};

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
    return (new ProbePlugin(host))->getAeffect();
}
