#pragma once
// The loaded module: the shared library (or, in a test, the executable) that
// holds this code. Windows hands a library its module handle in DllMain; here
// the same facts are found with dladdr on a function of our own when the
// module is loaded.

#include <string>

// The module's handle: the address at which the module is mapped. Set when
// the module is loaded, before any host call; null only if dladdr found
// nothing. Written once at load, read by any thread.
extern void* hInstance;

// Full path of the loaded module file, e.g. "/usr/lib/vst/AmberThreshold.so".
// Any thread. Empty when the module could not be identified.
const std::string& modulePath();

// The folder that holds the module, without a trailing separator ("/" for a
// module in the root folder). Any thread. Empty when the module could not be
// identified.
const std::string& moduleFolder();
