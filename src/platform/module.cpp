#include "platform/module.h"

#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <unistd.h>

void* hInstance = nullptr;

namespace {

struct ModuleInfo {
    std::string path;
    std::string folder;
};

// dladdr names the executable by its argv[0], which may be relative or a bare
// name found on PATH; a library by the name it was opened with.
std::string absolutePath(const char* name) {
    char buffer[PATH_MAX];
    if (std::string(name).find('/') != std::string::npos && realpath(name, buffer) != nullptr) {
        return buffer;
    }
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length > 0) {
        return std::string(buffer, static_cast<std::size_t>(length));
    }
    return name;
}

const ModuleInfo& moduleInfo() {
    // Built on first use, so that static initialisers of other units may ask
    // for the folder in any order; thread-safe by the language's rules.
    static const ModuleInfo info = [] {
        ModuleInfo result;
        Dl_info dl{};
        if (dladdr(reinterpret_cast<void*>(&moduleInfo), &dl) != 0 && dl.dli_fname != nullptr) {
            hInstance = dl.dli_fbase;
            result.path = absolutePath(dl.dli_fname);
            const auto slash = result.path.find_last_of('/');
            if (slash == std::string::npos) {
                result.folder = ".";
            } else if (slash == 0) {
                result.folder = "/";
            } else {
                result.folder = result.path.substr(0, slash);
            }
        }
        return result;
    }();
    return info;
}

// The counterpart of DllMain's store: runs when the module is loaded.
const bool g_recorded = (moduleInfo(), true);

} // namespace

const std::string& modulePath() {
    return moduleInfo().path;
}

const std::string& moduleFolder() {
    return moduleInfo().folder;
}
