#include "platform/module.h"

#include <gtest/gtest.h>

#include <climits>
#include <dlfcn.h>
#include <unistd.h>

namespace {

std::string executablePath() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

} // namespace

// In a test executable the module holding our code is the executable itself.
TEST(Module, PathHandleAndFolderOfTheExecutable) {
    const std::string exe = executablePath();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(modulePath(), exe);
    EXPECT_EQ(moduleFolder(), exe.substr(0, exe.find_last_of('/')));
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&executablePath), &info), 0);
    EXPECT_EQ(hInstance, info.dli_fbase);
}

// The plug-in case: the code lives in a library that a host opened by path.
TEST(Module, LibraryFindsItselfNotTheExecutable) {
    void* library = dlopen(MODULE_PROBE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    using PathFn = const char* (*)();
    using HandleFn = void* (*)();
    using SizeFn = long (*)();
    const auto path = reinterpret_cast<PathFn>(dlsym(library, "probeModulePath"));
    const auto handle = reinterpret_cast<HandleFn>(dlsym(library, "probeModuleHandle"));
    const auto size = reinterpret_cast<SizeFn>(dlsym(library, "probeInstallDirSize"));
    ASSERT_TRUE(path && handle && size);

    char expected[PATH_MAX];
    ASSERT_NE(realpath(MODULE_PROBE_PATH, expected), nullptr);
    EXPECT_STREQ(path(), expected);
    EXPECT_NE(handle(), hInstance);
    const std::string folder(expected, std::string(expected).find_last_of('/'));
    EXPECT_EQ(size(), static_cast<long>(folder.size() + 1));
    dlclose(library);
}
