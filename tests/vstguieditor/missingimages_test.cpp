// The editor's window when its images are missing. A process of its own:
// images once made findable stay findable, so this test adds them step by
// step and never registers the whole set.

#include "engine/samplerengine.h"
#include "gui/cframe.h"
#include "plugin/vstinterface.h"
#include "resources/instrumentimagetable.h"
#include "vstguieditor/vstguieditor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

VstIntPtr silentHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

TEST(MissingImages, WindowStaysEmptyUntilKnobStripAndBackgroundExist) {
    // Off-screen: the stand-in parent window below is never looked up.
    unsetenv("DISPLAY");
    void* const parent = reinterpret_cast<void*>(std::uintptr_t{0x2a});
    CaptureStdout();
    auto* engine = new SamplerEngine();
    auto* plugin = new VstInterface(&silentHost, *engine, 61547);
    plugin->ownEngine([](SynthEngine* e) { delete static_cast<SamplerEngine*>(e); });
    auto* editor = new VSTGuiEditor(plugin);
    GetCapturedStdout();
    AEffect* effect = plugin->getAeffect();
    EXPECT_EQ(effect->flags & effFlagsHasEditor, effFlagsHasEditor);

    // Each table must outlive every lookup.
    static std::deque<std::vector<VSTGUI::EmbeddedResource>> tables;
    const struct {
        const char* name; // the image this step adds; nullptr: all but the two
        bool windowExpected;
    } steps[] = {{nullptr, false}, {"animknob.png", false}, {"background.png", true}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name ? step.name : "the others");
        auto& table = tables.emplace_back();
        for (std::size_t i = 0; i < amber::kInstrumentImageCount; ++i) {
            const std::string name = amber::kInstrumentImageTable[i].name;
            if (step.name ? name == step.name
                          : name != "animknob.png" && name != "background.png") {
                table.push_back(amber::kInstrumentImageTable[i]);
            }
        }
        VSTGUI::registerEmbeddedResources(table.data(), table.size());

        CaptureStdout();
        EXPECT_EQ(effect->dispatcher(effect, effEditOpen, 0, 0, parent, 0.f), 1);
        const std::string printed = GetCapturedStdout();
        if (step.windowExpected) {
            EXPECT_EQ(printed, "1\n2\n3\n");
            ASSERT_NE(editor->getFrame(), nullptr);
            EXPECT_EQ(editor->getFrame()->getNbViews(), 16);
        } else {
            EXPECT_EQ(printed, "Error: Amber Threshold pixmaps not found on disk!\n");
            EXPECT_EQ(editor->getFrame(), nullptr);
            // Without a window, parameter changes and idle touch nothing.
            effect->setParameter(effect, 0, 0.9f);
            effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.f);
        }
        effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.f);
        EXPECT_EQ(editor->getFrame(), nullptr);
        EXPECT_TRUE(editor->getKnobs().empty());
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.f);
}

} // namespace
