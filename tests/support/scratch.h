// Scratch space for tests: a temporary folder with the files written into
// it, and what the code under test prints.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

// A fresh folder under the system's temporary folder, removed with its content.
struct TempDir {
    TempDir() : m_path((std::filesystem::temp_directory_path() / "amber-XXXXXX").string()) {
        EXPECT_NE(mkdtemp(m_path.data()), nullptr) << "cannot make a temporary folder";
    }
    ~TempDir() { std::filesystem::remove_all(m_path, m_ignored); }
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    std::string m_path;
    std::error_code m_ignored;
};

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

// Runs f and returns what it printed on standard output meanwhile.
template <typename F> std::string printedBy(F&& f) {
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}
