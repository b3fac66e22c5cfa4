// Test access to the built plug-in library, loaded as a host loads it
// through the minimal host's loader and callback.
#pragma once

#include "vstevents.h"
#include "vstplugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

// Each test starts from a fresh host state with an open instance, `plugin`,
// whose effClose must answer 1.
class PluginLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        hostState() = HostState{};
        plugin = std::make_unique<VstPlugin>(AMBER_PLUGIN_LIBRARY);
        ASSERT_TRUE(plugin->isLoaded()) << plugin->error();
        e = plugin->effect();
    }
    void TearDown() override {
        if (plugin && plugin->isLoaded()) {
            EXPECT_EQ(plugin->close(), 1);
        }
    }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr) {
        return plugin->dispatch(opcode, index, value, ptr);
    }
    std::unique_ptr<VstPlugin> plugin;
    AEffect* e = nullptr;
};

// Renders frames frames in blocks of blockSize, each block's buffers filled
// with NaN first so that a sample left unwritten shows; returns interleaved
// stereo. The events given go to the first block.
inline std::vector<float> render(AEffect* e, int frames, int blockSize,
                                 std::vector<VstMidiEvent> events = {}) {
    EventList list(std::move(events));
    e->dispatcher(e, effProcessEvents, 0, 0, list.list, 0.0f);
    std::vector<float> out, left(static_cast<std::size_t>(blockSize)), right = left;
    float* outputs[2] = {left.data(), right.data()};
    for (int pos = 0; pos < frames; pos += blockSize) {
        const int n = std::min(blockSize, frames - pos);
        std::fill(left.begin(), left.end(), std::nanf(""));
        std::fill(right.begin(), right.end(), std::nanf(""));
        e->processReplacing(e, nullptr, outputs, n);
        for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
            out.insert(out.end(), {left[i], right[i]});
        }
    }
    return out;
}
