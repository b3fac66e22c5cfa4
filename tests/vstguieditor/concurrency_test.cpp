// A host's threads against one open editor, as they meet in a session: one
// changes programs, one renames the current program, one automates the
// parameter (plain and as the editor's knob does), the audio thread renders,
// and the GUI thread idles the window and picks programs in it.
// Run under ThreadSanitizer: no race may be reported, no view may be touched
// off the GUI thread, and every block must be finite.

#include "editorhost.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

TEST_F(EditorTest, ProgramsAutomationAndAudioWhileTheWindowIdles) {
    AEffect* const effect = host->effect();
    auto* const plugin = static_cast<AudioEffect*>(effect->object);
    // Each thread steps until the window has idled a while and every other
    // thread has stepped too, so that all of them overlap.
    std::atomic<int> steps[4] = {};
    std::atomic<bool> done{false}, finite{true};
    int started = 0;
    const auto stepping = [&](auto step) {
        return std::thread([&, step, n = started++] {
            for (int i = 0; !done.load(); ++i) {
                step(i);
                ++steps[n];
            }
        });
    };
    const std::string printed = printedBy([&] {
        std::thread threads[] = {
            stepping([&](int i) { host->dispatch(effSetProgram, 0, i % 7); }),
            stepping([&](int i) {
                // Longer than a short string's own buffer: each rename reallocates.
                std::string name = "Renamed while playing " + std::to_string(i % 10);
                host->dispatch(effSetProgramName, 0, 0, name.data());
            }),
            stepping([&](int i) {
                const float value = static_cast<float>(i % 7) / 6.f;
                i % 2 ? effect->setParameter(effect, 0, value)
                      : plugin->setParameterAutomated(0, value);
            }),
            stepping([&](int) {
                float left[64], right[64];
                float* outputs[] = {left, right};
                effect->processReplacing(effect, nullptr, outputs, 64);
                for (float sample : left)
                    finite = finite && std::isfinite(sample);
            }),
        };
        for (int idles = 0;
             idles < 200 || std::any_of(steps, steps + 4, [](auto& n) { return n < 50; });
             ++idles) {
            host->idle();
            editor()->selectProgramRow(idles % 7);
        }
        done = true;
        for (std::thread& thread : threads)
            thread.join();
    });
    EXPECT_NE(printed.find("Loading sample pack"), std::string::npos);
    EXPECT_TRUE(finite.load());
    // The host's current program is the one the engine plays.
    const SynthEngine& engine = *static_cast<VstInterface*>(plugin)->m_pSynthEngine;
    EXPECT_EQ(&engine.m_programs[plugin->getProgram()], engine.getCurrentProgram());
    // Afterwards the window follows the GUI thread's own change at once.
    host->dispatch(effSetProgram, 0, 0);
    effect->setParameter(effect, 0, 1.0f);
    EXPECT_EQ(knob(), Knob(1.0f, "3 osc"));
}
