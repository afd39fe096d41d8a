// A fresh data folder per test under the test program's data folder, and small helpers to
// look at a library's tree and its files.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "library/patch_library.h"
#include "platform/headless.h"
#include "platform/textfile.h"

namespace qvtest {

namespace fs = std::filesystem;

class LibraryFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* base = std::getenv("QUORVANE_DATA_DIR");
    root_ = (base ? fs::path(base) : fs::temp_directory_path() / "qv_library_test") /
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(root_);
    fs::create_directories(root_);
    platform::headless::clearShownMessages();
    // The library in "data" starts from a small archive of its own (one group, one category,
    // three sounds), so the tests do not follow the shipped sounds; other folders start from
    // the shipped archive.
    fs::create_directories(root_ / "data");
    fs::copy_file(fs::path(QV_SOURCE_DIR) / "tests/library/three_sounds.dump", root_ / "data" / "defaultLibrary");
  }
  void TearDown() override { platform::headless::clearShownMessages(); }

  // The data folder, ending in the separator; "nested" names a folder not yet made.
  std::string folder(const std::string& nested = "data") const {
    return (root_ / nested).string() + "/";
  }
  fs::path root_;
};

inline std::vector<std::string> shownTexts() {
  std::vector<std::string> texts;
  for (const auto& m : platform::headless::shownMessages()) texts.push_back(m.text);
  return texts;
}

inline std::string readBytes(const std::string& path) {
  std::string bytes;
  platform::readBinaryFile(path, bytes);
  return bytes;
}

// The whole tree as text: group, category and patch names with each patch's text, so that
// two libraries compare equal exactly when they hold the same tree.
inline std::string describe(const PatchLibrary& lib) {
  std::string out;
  for (std::size_t g = 0; g < lib.groups.size(); ++g) {
    const PatchGroup& grp = *lib.groups[g];
    out += "G " + lib.groupNames[g] + "|" + grp.displayName + "\n";
    for (std::size_t c = 0; c < grp.categories.size(); ++c) {
      const PatchCategory& cat = *grp.categories[c];
      out += " C " + grp.categoryNames[c] + "|" + cat.displayName + "\n";
      for (const auto& p : cat.patches) out += "  P " + p->name + "\n" + p->writeText();
    }
  }
  return out;
}

}  // namespace qvtest
