#include "platform/module.h"
#include "platform/registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string KEY = "SOFTWARE\\Kestrovalian\\Amber Threshold";

struct Query {
    LONG status;
    DWORD type;
    DWORD size;
    std::vector<BYTE> data;
};

// Opens path, queries name into a buffer of 1024 bytes, closes.
Query query(const std::string& path, const char* name) {
    HKEY key = nullptr;
    const LONG opened =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key);
    if (opened != ERROR_SUCCESS) {
        return {opened, 0, 0, {}};
    }
    Query q{ERROR_SUCCESS, 0xFFFF, 1024, std::vector<BYTE>(1024, 0xAA)};
    q.status = RegQueryValueExA(key, name, nullptr, &q.type, q.data.data(), &q.size);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    return q;
}

class Registry : public ::testing::Test {
protected:
    void TearDown() override { registry_test::reset(); }
};

// The seed, found by any case of the path and the name.
TEST_F(Registry, SeedHoldsTheModuleFolderWithItsTerminator) {
    const Query q = query("software\\KESTROVALIAN\\amber threshold", "installdir");
    ASSERT_EQ(q.status, ERROR_SUCCESS);
    EXPECT_EQ(q.type, REG_SZ);
    const std::string& folder = moduleFolder();
    ASSERT_EQ(q.size, folder.size() + 1);
    EXPECT_EQ(std::string(q.data.begin(), q.data.begin() + folder.size()), folder);
    EXPECT_EQ(q.data[folder.size()], 0);
    EXPECT_EQ(q.data[folder.size() + 1], 0xAA) << "wrote past the value";
}

TEST_F(Registry, MissingKeyOrValue) {
    HKEY key = reinterpret_cast<HKEY>(&key);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Nobody", 0, KEY_QUERY_VALUE, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(query(KEY, "Missing").status, ERROR_FILE_NOT_FOUND);

    EXPECT_TRUE(registry_test::deleteValue(KEY, "InstallDir"));
    EXPECT_FALSE(registry_test::deleteValue(KEY, "InstallDir"));
    EXPECT_EQ(query(KEY, "InstallDir").status, ERROR_FILE_NOT_FOUND);

    EXPECT_TRUE(registry_test::deleteKey("SOFTWARE\\Kestrovalian"));
    EXPECT_EQ(query(KEY, "InstallDir").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(query("SOFTWARE", "x").status, ERROR_FILE_NOT_FOUND) << "parent key went too";
    EXPECT_FALSE(registry_test::deleteKey("SOFTWARE\\Kestrovalian"));

    // Resetting brings the seed back and drops everything else.
    registry_test::setString("SOFTWARE\\Other", "X", "y");
    registry_test::reset();
    EXPECT_EQ(query(KEY, "InstallDir").status, ERROR_SUCCESS);
    EXPECT_EQ(query("SOFTWARE\\Other", "X").status, ERROR_FILE_NOT_FOUND);
}

// A value's size is reported in and out; one larger than the buffer copies
// nothing.
TEST_F(Registry, ValueSizesAroundTheBuffer) {
    for (const auto& [bytes, status] : {std::pair<std::size_t, LONG>{0, ERROR_SUCCESS},
                                        {1023, ERROR_SUCCESS},
                                        {1024, ERROR_SUCCESS},
                                        {1025, ERROR_MORE_DATA},
                                        {5000, ERROR_MORE_DATA}}) {
        SCOPED_TRACE(bytes);
        std::vector<BYTE> value(bytes);
        for (std::size_t i = 0; i < value.size(); ++i) {
            value[i] = static_cast<BYTE>('a' + i % 26);
        }
        registry_test::setValue(KEY, "InstallDir", REG_SZ, value);
        const Query q = query(KEY, "InstallDir");
        EXPECT_EQ(q.status, status);
        EXPECT_EQ(q.size, bytes);
        if (status == ERROR_SUCCESS) {
            EXPECT_TRUE(std::equal(value.begin(), value.end(), q.data.begin()));
        } else {
            EXPECT_EQ(q.data[0], 0xAA) << "nothing copied on ERROR_MORE_DATA";
        }
    }
}

TEST_F(Registry, HandlesAfterCloseAndAfterDelete) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, KEY.c_str(), 0, KEY_QUERY_VALUE, &key),
              ERROR_SUCCESS);
    registry_test::deleteKey(KEY);
    DWORD size = 1024;
    BYTE data[1024];
    EXPECT_EQ(RegQueryValueExA(key, "InstallDir", nullptr, nullptr, data, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(key, "InstallDir", nullptr, nullptr, data, &size),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

} // namespace
