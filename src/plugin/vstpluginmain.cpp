#include "plugin/vstpluginmain.h"

#include "engine/samplerengine.h"
#include "plugin/vstguivstinterface.h"

#include <memory>
#include <new>

namespace {

constexpr VstInt32 kUniqueId = 61547;

void deleteSamplerEngine(SynthEngine* engine) {
    delete static_cast<SamplerEngine*>(engine);
}

} // namespace

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
    // Nothing may escape into the host's C code: a failure is a null answer.
    try {
        auto engine = std::make_unique<SamplerEngine>();
        auto* effect = new VSTGuiVSTInterface(audioMaster, *engine, kUniqueId);
        // Each instance owns its engine and all its loaded samples, so a host
        // that opens and closes instances does not pile them up.
        effect->ownEngine(deleteSamplerEngine);
        engine.release();
        return effect;
    } catch (...) {
        return nullptr;
    }
}

extern "C" {

__attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback audioMaster) {
    if (!audioMaster || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) {
        return nullptr;
    }
    AudioEffect* effect = createEffectInstance(audioMaster);
    return effect ? effect->getAeffect() : nullptr;
}

// Older Linux hosts look the entry up as "main": the same function under a
// second name, not a copy.
__attribute__((visibility("default"), alias("VSTPluginMain"))) AEffect*
vstPluginMainAlias(audioMasterCallback audioMaster) __asm__("main");
}
