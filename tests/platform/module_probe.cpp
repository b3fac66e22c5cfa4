// A loadable module with its own copy of the platform layer, standing in for
// the plug-in library.
#include "platform/module.h"
#include "platform/registry.h"

extern "C" const char* probeModulePath() {
    return modulePath().c_str();
}
extern "C" void* probeModuleHandle() {
    return hInstance;
}
extern "C" long probeInstallDirSize() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kestrovalian\\Amber Threshold", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return -1;
    }
    DWORD size = 0;
    const LONG status = RegQueryValueExA(key, "InstallDir", nullptr, nullptr, nullptr, &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? static_cast<long>(size) : -1;
}
