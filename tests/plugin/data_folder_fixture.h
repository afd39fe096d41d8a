// Gives each test its own empty data folder below the test program's one, so that tests run
// in parallel never see each other's files.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/textfile.h"

class DataFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static const std::string base = [] {
      const char* env = std::getenv("QUORVANE_DATA_DIR");
      return env && *env ? std::string(env)
                         : (std::filesystem::temp_directory_path() / "qv_plugin_maps").string();
    }();
    folder_ = std::filesystem::path(base) /
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    setenv("QUORVANE_DATA_DIR", folder_.string().c_str(), 1);
  }

  std::string path(const std::string& name) const { return (folder_ / name).string(); }

  void writeBytes(const std::string& name, const std::string& bytes) const {
    std::filesystem::create_directories((folder_ / name).parent_path());
    ASSERT_TRUE(platform::writeBinaryFile(path(name), bytes));
  }

  std::string readBytes(const std::string& name) const {
    std::string bytes;
    EXPECT_TRUE(platform::readBinaryFile(path(name), bytes)) << name;
    return bytes;
  }

  bool exists(const std::string& name) const { return std::filesystem::exists(folder_ / name); }

  std::filesystem::path folder_;
};
