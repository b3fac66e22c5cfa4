#include "platform/module.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>

// In a test executable the module holding our code is the executable itself;
// in the plug-in's case, a library opened by path, it is that library.
TEST(Module, ExecutableAndLibraryEachFindThemselves) {
    EXPECT_EQ(modulePath(), std::filesystem::read_symlink("/proc/self/exe").string());
    EXPECT_EQ(moduleFolder(), modulePath().substr(0, modulePath().rfind('/')));
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&moduleFolder), &info), 0);
    EXPECT_EQ(hInstance, info.dli_fbase);

    void* library = dlopen(MODULE_PROBE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const auto path = reinterpret_cast<const char* (*)()>(dlsym(library, "probeModulePath"));
    const auto handle = reinterpret_cast<void* (*)()>(dlsym(library, "probeModuleHandle"));
    ASSERT_TRUE(path && handle);
    EXPECT_EQ(path(), std::filesystem::canonical(MODULE_PROBE_PATH).string());
    EXPECT_NE(handle(), hInstance);
    dlclose(library);
}
