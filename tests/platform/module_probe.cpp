// A loadable module with its own copy of the platform layer, standing in for
// the plug-in library.
#include "platform/module.h"

extern "C" const char* probeModulePath() {
    return modulePath().c_str();
}
extern "C" void* probeModuleHandle() {
    return hInstance;
}
