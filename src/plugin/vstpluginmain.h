// The library's plug-in entry and the factory behind it.
#pragma once

#include "platform/vstrecords.h"

class AudioEffect;

// Builds one complete instrument instance (engine, plug-in object and its
// editor) for the host callback audioMaster and returns the plug-in object,
// which the host owns until effClose and which owns the other two; null when
// it cannot be built. Runs on the host's loading thread and reads the first
// program's sample pack before returning.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);

extern "C" {
// The host's entry, exported also as "main": asks the host for its VST
// version and returns a new instance's record, or null when the host answers
// 0 or the instance cannot be built. Any host thread.
AEffect* VSTPluginMain(audioMasterCallback audioMaster);
}
