#pragma once
// The settings-file tests' fixture: a folder of its own for each test, and what they write and
// read in it. The system code of a failed save step, and the text the writer gives for it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace livna::test {

namespace fs = std::filesystem;

inline std::string numberedLines(std::size_t count, std::string_view lineEnd) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += std::to_string(i % 256) + std::string(lineEnd);
    return text;
}

// Each test gets its own empty folder, removed afterwards.
class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() / (std::string("livna_common_") + info->name() + "_" +
                                             std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path file(std::string_view name) const { return m_dir / name; }
    void put(const fs::path& path, std::string_view text) const {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }
    std::string contents(const fs::path& path) const {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::size_t entryCount() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
    }
    fs::path m_dir;
};

/// The size of the open file fd.
long long descriptorSize(int fd);
/// A code the system's save steps could fail with (errno, or a Windows error code).
int saveStepFailureCode();
/// The text the writer gives with that code.
std::string saveStepFailureText();

}  // namespace livna::test
