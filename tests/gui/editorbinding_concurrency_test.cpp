// The host's automation thread sets parameters while the GUI thread idles
// the editor: run under ThreadSanitizer, this shows the hand-over is clean.
#include "editorbinding_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace VSTGUI;
using namespace guitest;

namespace guitest {
TestHost* TestHost::current = nullptr;
}

namespace {

TEST(EditorBindingConcurrency, AutomationWhileIdlingEndsWithTheLastValue) {
    TestHost host;
    auto* effect = new TestEffect();
    auto* editor = new TestEditor(effect);
    editor->open(nullptr);
    std::atomic<bool> done{false};
    constexpr int kValues = 20000;
    std::thread automation([&] {
        for (int i = 1; i <= kValues; ++i)
            editor->setParameter(i % 3, static_cast<float>(i) / kValues);
        done.store(true);
    });
    while (!done.load())
        editor->idle();
    automation.join();
    editor->idle();
    ASSERT_FALSE(editor->applied.empty());
    std::vector<float> last(3, -1.f);
    for (const auto& [index, value] : editor->applied) {
        ASSERT_GE(index, 0);
        ASSERT_LT(index, 3);
        EXPECT_GE(value, last[static_cast<size_t>(index)]) << "values never go back";
        last[static_cast<size_t>(index)] = value;
    }
    for (int i = 0; i < 3; ++i) {
        const int lastSent = kValues - ((kValues - i) % 3 + 3) % 3;
        EXPECT_FLOAT_EQ(last[static_cast<size_t>(i)], static_cast<float>(lastSent) / kValues)
            << "index " << i;
    }
    EXPECT_FLOAT_EQ(editor->knob->getValue(), last[0]);
    delete effect;
}

} // namespace
