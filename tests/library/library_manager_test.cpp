// The edits the patch manager makes through the library: renaming entries, asking whether a
// record is still in the tree, and the sync that keeps a rescue archive while a failing disk
// leaves the folders half written.
#include <filesystem>
#include <map>
#include <string>

#include "platform/headless.h"
#include "tests/library/library_fixture.h"

namespace {

using qvtest::describe;
using qvtest::LibraryFolder;
using qvtest::readBytes;
namespace fs = std::filesystem;

class LibraryManager : public LibraryFolder {
 protected:
  void TearDown() override {
    platform::headless::failRenamesAfter(-1);
    LibraryFolder::TearDown();
  }
};

// Every patch's text by "group/name".
std::map<std::string, std::string> soundsOf(const PatchLibrary& lib) {
  std::map<std::string, std::string> out;
  for (const auto& g : lib.groups)
    for (const auto& c : g->categories)
      for (const auto& p : c->patches) out[g->displayName + "/" + p->name] = p->writeText();
  return out;
}

// The names whose texts differ or are missing (short failure messages).
std::string differences(const std::map<std::string, std::string>& want, const std::map<std::string, std::string>& got) {
  std::string out;
  for (const auto& [name, text] : want) {
    const auto it = got.find(name);
    if (it == got.end()) out += " missing:" + name;
    else if (it->second != text) out += " differs:" + name;
  }
  if (want.size() != got.size()) out += " counts " + std::to_string(want.size()) + "/" + std::to_string(got.size());
  return out;
}

TEST_F(LibraryManager, RenamesAreTrimmedCappedAndBlankOnesRefused) {
  PatchLibrary lib(folder(), '/');
  struct Case {
    int level;
    std::vector<int> at;
    std::string text;
    bool ok;
    std::string name;
  } cases[] = {
      {2, {0, 0, 1}, "  Lead Two \t", true, "Lead Two"},
      {2, {0, 0, 1}, "", false, ""},
      {2, {0, 0, 1}, " \t\r\n", false, ""},
      {2, {0, 0, 2}, std::string(300, 'p'), true, std::string(254, 'p')},
      {2, {0, 0, 3}, "Nothing there", false, ""},
      {1, {0, 0}, "Renamed", true, "Renamed"},
      {1, {0, 1}, "No category", false, ""},
      {0, {0}, std::string(253, 'g') + "  x", true, std::string(253, 'g')},
      {0, {1}, "No group", false, ""},
  };
  for (const Case& c : cases) {
    bool ok = false;
    std::string name;
    if (c.level == 2) {
      ok = lib.renamePatch(c.at[0], c.at[1], c.at[2], c.text);
      if (ok) name = lib.groups[0]->categories[0]->patches[static_cast<std::size_t>(c.at[2])]->name;
    } else if (c.level == 1) {
      ok = lib.renameCategory(c.at[0], c.at[1], c.text);
      if (ok) name = lib.groups[0]->categoryNames[0];
    } else {
      ok = lib.renameGroup(c.at[0], c.text);
      if (ok) name = lib.groupNames[0];
    }
    EXPECT_EQ(ok, c.ok) << c.text;
    EXPECT_EQ(name, c.name) << c.text;
  }
  // The labels follow, with the program number the patch holds.
  EXPECT_EQ(lib.groups[0]->categories[0]->labels[1], "2: Lead Two");
  EXPECT_EQ(lib.groups[0]->categories[0]->displayName, "Renamed");
  ASSERT_TRUE(lib.sync());
  PatchLibrary again(folder(), '/');
  EXPECT_EQ(describe(again), describe(lib));
  EXPECT_EQ(again.groups[0]->categories[0]->patches[1]->name, "Lead Two");
}

TEST_F(LibraryManager, ARemovedPatchIsNoLongerInTheTree) {
  PatchLibrary lib(folder(), '/');
  const Patch* second = lib.groups[0]->categories[0]->patches[1].get();
  EXPECT_TRUE(lib.containsPatch(second));
  EXPECT_FALSE(lib.containsPatch(nullptr));
  ASSERT_TRUE(lib.removePatch(0, 0, 1));
  EXPECT_FALSE(lib.containsPatch(second));
}

// A second group, then every patch moved to another file by swapping the groups: whatever
// the failing disk lets through, no sound is lost.
TEST_F(LibraryManager, ASyncCutShortByTheDiskLeavesEverySoundInTheRescue) {
  const std::string rescue = folder() + "rescue.kvx";
  for (int renames = 0; renames <= 12; ++renames) {
    fs::remove_all(root_ / "data");
    fs::create_directories(root_ / "data");
    fs::copy_file(fs::path(QV_SOURCE_DIR) / "tests/library/three_sounds.dump", root_ / "data" / "defaultLibrary");
    std::map<std::string, std::string> before;
    {
      PatchLibrary lib(folder(), '/');
      lib.importDump(folder() + "defaultLibrary", true);
      Patch& apart = *lib.groups[1]->categories[0]->patches[0];  // the second group sounds apart
      apart.setParam(kPatchParamReal, 0x766F3163 /* vo1c */, 0, 0.77, 0);
      apart.dirty = 1;
      ASSERT_TRUE(lib.sync());
      before = soundsOf(lib);
      lib.moveGroup(1, 0);
      lib.setDirty(1);
      platform::headless::failRenamesAfter(renames);
      const PatchLibrary::SafeSyncResult result = lib.syncWithRescue(rescue);
      platform::headless::failRenamesAfter(-1);
      if (renames == 0) {
        EXPECT_EQ(result, PatchLibrary::SafeSyncResult::NothingWritten);
        PatchLibrary untouched(folder(), '/');
        EXPECT_EQ(differences(before, soundsOf(untouched)), "") << "nothing was written";
        continue;
      }
      if (result == PatchLibrary::SafeSyncResult::Synced) {
        EXPECT_FALSE(fs::exists(rescue)) << renames;
        PatchLibrary written(folder(), '/');
        EXPECT_EQ(differences(before, soundsOf(written)), "") << renames;
        EXPECT_EQ(written.groupNames[0], "Factory 1");
        continue;
      }
      EXPECT_EQ(result, PatchLibrary::SafeSyncResult::RescueKept) << renames;
    }
    PatchLibrary restored(folder(), '/');
    const std::size_t groupsOnDisk = restored.groups.size();
    ASSERT_GT(restored.importDump(rescue, true), 0) << renames;
    std::map<std::string, std::string> rescued;
    for (std::size_t g = groupsOnDisk; g < restored.groups.size(); ++g)
      for (const auto& c : restored.groups[g]->categories)
        for (const auto& p : c->patches) {
          std::string groupName = restored.groups[g]->displayName;
          groupName = groupName.substr(0, groupName.rfind(' '));  // "Factory 1 1" -> "Factory 1"
          rescued[groupName + "/" + p->name] = p->writeText();
        }
    EXPECT_EQ(differences(before, rescued), "") << renames;
  }
}

}  // namespace
