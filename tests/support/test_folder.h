#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace testsupport {

// An empty folder of the running test's own under the system's temporary folder.
inline std::filesystem::path freshTestFolder(const std::string& prefix) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() /
                            (prefix + std::to_string(std::random_device{}()) + "_" +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

// Removes a test's folder, also when the test took permissions away inside it.
inline void removeTestFolder(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::error_code ignored;
    fs::permissions(folder, fs::perms::all, ignored);
    for (const auto& entry : fs::recursive_directory_iterator(folder, ignored))
        fs::permissions(entry.path(), fs::perms::owner_all, ignored);
    fs::remove_all(folder, ignored);
}

} // namespace testsupport
