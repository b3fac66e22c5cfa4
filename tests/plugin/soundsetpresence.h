// Whether the factory sound set stands beside a built plug-in library. Tests
// that need real sounds skip without it, and only then: a set that is there
// but stays silent is a fault, not a reason to skip.
#pragma once

#include <string>
#include <sys/stat.h>

inline bool soundSetBeside(const std::string& libraryPath) {
    const std::size_t slash = libraryPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : libraryPath.substr(0, slash);
    struct stat info {};
    return stat((folder + "/sounds").c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
