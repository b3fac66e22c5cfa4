#include "platform/module.h"

#include <gtest/gtest.h>

#include <climits>
#include <dlfcn.h>
#include <unistd.h>

// In a test executable the module holding our code is the executable itself;
// in the plug-in's case, a library opened by path, it is that library.
TEST(Module, ExecutableAndLibraryEachFindThemselves) {
    char exe[PATH_MAX] = {};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof(exe) - 1), 0);
    EXPECT_EQ(modulePath(), exe);
    EXPECT_EQ(moduleFolder(), modulePath().substr(0, modulePath().rfind('/')));
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&moduleFolder), &info), 0);
    EXPECT_EQ(hInstance, info.dli_fbase);

    void* library = dlopen(MODULE_PROBE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const auto path = reinterpret_cast<const char* (*)()>(dlsym(library, "probeModulePath"));
    const auto handle = reinterpret_cast<void* (*)()>(dlsym(library, "probeModuleHandle"));
    ASSERT_TRUE(path && handle);
    char expected[PATH_MAX];
    ASSERT_NE(realpath(MODULE_PROBE_PATH, expected), nullptr);
    EXPECT_STREQ(path(), expected);
    EXPECT_NE(handle(), hInstance);
    dlclose(library);
}
