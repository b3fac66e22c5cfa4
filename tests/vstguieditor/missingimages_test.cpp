// The editor's window when its images are missing. A process of its own:
// images once made findable stay findable, so this test adds them step by
// step and never registers the whole set.

#include "editorhost.h"
#include "resources/instrumentimagetable.h"

#include <deque>

namespace {

TEST(MissingImages, WindowStaysEmptyUntilKnobStripAndBackgroundExist) {
    // Off-screen: the stand-in parent window below is never looked up.
    unsetenv("DISPLAY");
    // The plug-in base without the instrument's images, and the editor; no host.
    auto* plugin = new VstInterface(nullptr, *new SamplerEngine(), 61547);
    plugin->ownEngine([](SynthEngine* e) { delete static_cast<SamplerEngine*>(e); });
    auto* editor = new VSTGuiEditor(plugin);
    AEffect* effect = plugin->getAeffect();
    const auto dispatch = [effect](VstInt32 opcode, void* ptr = nullptr) {
        return effect->dispatcher(effect, opcode, 0, 0, ptr, 0.f);
    };

    // Each table must outlive every lookup. A step adds one image, or (none)
    // all but the two.
    static std::deque<std::vector<VSTGUI::EmbeddedResource>> tables;
    const std::string kKnob = "animknob.png", kBackground = "background.png";
    for (const std::string& step : {std::string(), kKnob, kBackground}) {
        SCOPED_TRACE(step);
        auto& table = tables.emplace_back();
        for (std::size_t i = 0; i < amber::kInstrumentImageCount; ++i) {
            const std::string name = amber::kInstrumentImageTable[i].name;
            if (step.empty() ? name != kKnob && name != kBackground : name == step)
                table.push_back(amber::kInstrumentImageTable[i]);
        }
        VSTGUI::registerEmbeddedResources(table.data(), table.size());

        const std::string printed =
            printedBy([&] { EXPECT_EQ(dispatch(effEditOpen, reinterpret_cast<void*>(0x2a)), 1); });
        const bool opens = step == kBackground;
        EXPECT_EQ(printed,
                  opens ? "1\n2\n3\n" : "Error: Amber Threshold pixmaps not found on disk!\n");
        EXPECT_EQ(editor->getFrame() ? editor->getFrame()->getNbViews() : 0, opens ? 16 : 0);
        // Without a window, parameter changes and idle touch nothing.
        effect->setParameter(effect, 0, 0.9f);
        dispatch(effEditIdle);
        dispatch(effEditClose);
        EXPECT_EQ(editor->getFrame(), nullptr);
    }
    dispatch(effClose);
}

} // namespace
