// A fresh directory for one test's files, removed with everything in it when the test ends. The
// name carries the test's name and a random number, so suites running at once never share one.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

namespace hv::testing {

class TempDirectory {
 public:
  TempDirectory() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("hv-" + std::to_string(std::random_device{}()) + "-" + info->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDirectory() { std::filesystem::remove_all(path_); }
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::u16string File(const char* name) const { return (path_ / name).u16string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace hv::testing
