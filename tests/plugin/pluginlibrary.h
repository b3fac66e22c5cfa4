// Test access to the built plug-in library, loaded with dlopen as a host
// loads it through the minimal host's loader and callback.
#pragma once

#include "vstevents.h"
#include "vstplugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Each test starts from a fresh host state with the library mapped for the
// whole process (so that instances come and go without reloading it) and an
// open instance, `plugin`, whose effClose must answer 1.
class PluginLibrary : public ::testing::Test {
protected:
    static void* library() {
        static void* handle = dlopen(AMBER_PLUGIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        return handle;
    }
    void SetUp() override {
        hostState() = HostState{};
        ASSERT_NE(library(), nullptr) << dlerror();
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
                       void* ptr = nullptr, float opt = 0.0f) {
        return plugin->dispatch(opcode, index, value, ptr, opt);
    }
    std::unique_ptr<VstPlugin> plugin;
    AEffect* e = nullptr;
};

// A text result read into a buffer that starts with no NUL at all and has a
// guard area behind its limit + 1 bytes.
struct TextResult {
    std::string text;
    bool intact; // the guard survived
    bool padded; // every byte from the text's end up to the limit is NUL
};
inline TextResult textResult(AEffect* e, VstInt32 opcode, VstInt32 index, VstInt32 limit) {
    const std::size_t size = static_cast<std::size_t>(limit) + 1;
    std::vector<char> buffer(size + 64, '#');
    e->dispatcher(e, opcode, index, 0, buffer.data(), 0.0f);
    TextResult result{std::string(buffer.data(), strnlen(buffer.data(), size)), true, true};
    for (std::size_t i = size; i < buffer.size(); ++i) {
        result.intact = result.intact && buffer[i] == '#';
    }
    for (std::size_t i = result.text.size(); i < size; ++i) {
        result.padded = result.padded && buffer[i] == '\0';
    }
    return result;
}

// Renders frames frames in blocks of blockSize, each block's buffers filled
// with NaN first so that a sample left unwritten shows; returns interleaved
// stereo. The events given go to the first block.
inline std::vector<float> render(AEffect* e, int frames, int blockSize,
                                 std::vector<VstMidiEvent> events = {}) {
    if (!events.empty()) {
        EventList list(std::move(events));
        e->dispatcher(e, effProcessEvents, 0, 0, list.list, 0.0f);
    }
    std::vector<float> out;
    std::vector<float> left(static_cast<std::size_t>(blockSize));
    std::vector<float> right(static_cast<std::size_t>(blockSize));
    float* outputs[2] = {left.data(), right.data()};
    for (int pos = 0; pos < frames; pos += blockSize) {
        const int n = std::min(blockSize, frames - pos);
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
