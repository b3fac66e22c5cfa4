// Parameter values that reach the editor from a host's automation thread
// while its GUI thread idles the window. Run under ThreadSanitizer: the
// other thread must never touch a view.

#include "editorhost.h"

#include <atomic>
#include <thread>

TEST_F(EditorTest, AutomationThreadOnlyPostsWhileTheWindowIdles) {
    // The plug-in applies the value to the engine before it reaches the
    // editor; this thread stands for that second step only, so that the
    // engine's own unguarded value is not what is tested here.
    VSTGuiEditor* const editor = this->editor();
    constexpr int kIdles = 300;
    std::atomic<int> idles{0};
    std::atomic<bool> done{false};
    std::thread automation([&] {
        for (int i = 0; idles.load() < kIdles; ++i) {
            editor->setParameter(0, static_cast<float>(i % 1000) / 1000.f);
        }
        editor->setParameter(0, 1.0f);
        done = true;
    });
    while (!done.load()) {
        host->idle();
        ++idles;
    }
    automation.join();
    host->idle();
    // Only the knob moves: the engine's value, and with it the text, stays.
    EXPECT_EQ(knob(), Knob(1.0f, "0 osc"));
}
