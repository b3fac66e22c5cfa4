#include "platform/module.h"
#include "platform/registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string KEY = "SOFTWARE\\Kestrovalian\\Amber Threshold";

struct Query {
    LONG status;
    DWORD size = 1024, type = REG_NONE;
    std::vector<BYTE> data = std::vector<BYTE>(1024, 0xAA);
};

// Opens path, queries name into a 1024-byte buffer of 0xAA, closes.
Query query(const std::string& path, const char* name) {
    HKEY key = nullptr;
    Query q{RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                          &key)};
    if (q.status == ERROR_SUCCESS) {
        q.status = RegQueryValueExA(key, name, nullptr, &q.type, q.data.data(), &q.size);
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    }
    return q;
}

// The seed holds the module's folder with its terminator, found by any case
// of path and name; a value fits the buffer whole or is not copied at all.
TEST(Registry, SeedAndValueSizesAroundTheBuffer) {
    const Query seed = query("software\\KESTROVALIAN\\amber threshold", "installdir");
    ASSERT_EQ(seed.status, ERROR_SUCCESS);
    EXPECT_EQ(seed.type, REG_SZ);
    EXPECT_EQ(std::string(seed.data.begin(), seed.data.begin() + seed.size), moduleFolder() + '\0');
    EXPECT_EQ(seed.data[seed.size], 0xAA) << "wrote past the value";
    for (const DWORD bytes : {1023u, 1024u, 1025u}) {
        registry_test::setValue(KEY, "InstallDir", REG_BINARY, std::vector<BYTE>(bytes, 'a'));
        const Query q = query(KEY, "InstallDir");
        EXPECT_EQ(q.status, bytes <= 1024 ? ERROR_SUCCESS : ERROR_MORE_DATA) << bytes;
        EXPECT_EQ(q.size, bytes);
        EXPECT_EQ(q.data[1022], bytes <= 1024 ? 'a' : 0xAA) << bytes;
    }
    registry_test::reset();
}

// Deleting a key takes the keys below it but not its neighbours; a handle
// outlives its key but not its close; a reset brings back only the seed.
TEST(Registry, DeletedKeysStaleHandlesAndReset) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, KEY.c_str(), 0, KEY_QUERY_VALUE, &key),
              ERROR_SUCCESS);
    registry_test::setString("SOFTWARE\\Other", "X", "y");
    EXPECT_TRUE(registry_test::deleteKey("SOFTWARE\\Kestrovalian"));
    EXPECT_FALSE(registry_test::deleteKey("SOFTWARE\\Kestrovalian"));
    EXPECT_EQ(query(KEY, "InstallDir").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(query("SOFTWARE\\Other", "X").status, ERROR_SUCCESS);
    DWORD size = 4;
    BYTE data[4];
    EXPECT_EQ(RegQueryValueExA(key, "InstallDir", nullptr, nullptr, data, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(key, "InstallDir", nullptr, nullptr, data, &size),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    registry_test::reset();
    EXPECT_EQ(query(KEY, "InstallDir").status, ERROR_SUCCESS);
    EXPECT_EQ(query("SOFTWARE\\Other", "X").status, ERROR_FILE_NOT_FOUND);
}

} // namespace
