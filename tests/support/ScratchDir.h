#pragma once
// A fresh, empty folder for one test case under the system's temp folder,
// named by a prefix, the process and the running case; removed with it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

namespace tc::test {

class ScratchDir {
public:
    explicit ScratchDir(const std::string& prefix)
        : path_(std::filesystem::temp_directory_path()
                / (prefix + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string PathOf(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

} // namespace tc::test
