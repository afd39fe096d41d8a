#include <functional>

#include "library/name_list.h"
#include "tests/library/library_fixture.h"

namespace {

using qvtest::describe;
using qvtest::LibraryFolder;
using qvtest::readBytes;
using qvtest::shownTexts;
namespace fs = std::filesystem;

using LibraryTree = LibraryFolder;

constexpr uint32_t kVo1c = 0x766F3163;  // "vo1c"

// A patch text that tells patches apart by one value (and holds the volume every patch
// read from text holds).
void giveSound(Patch& p, double coarse) {
  p.setParam(kPatchParamReal, kVo1c, 0, coarse, 0);
  p.setParam(kPatchParamReal, kPatchVolumeKey, 0, 1.0, 0);
}

TEST_F(LibraryTree, FirstStartCreatesTheTreeAndASecondLibraryReadsItBack) {
  const std::string data = folder("new/deeper/data");  // no folder of it exists yet
  PatchLibrary lib(data, '/');
  EXPECT_TRUE(shownTexts().empty());
  EXPECT_FALSE(lib.isDirty());
  // Every group, category and sound of the shipped archive, each in its own folder.
  ASSERT_GE(lib.groups.size(), 5u);
  std::string groupList;
  for (std::size_t g = 0; g < lib.groups.size(); ++g) {
    const PatchGroup& group = *lib.groups[g];
    groupList += lib.groupNames[g] + "\r\n";
    ASSERT_GE(group.categories.size(), 1u);
    const std::string groupFolder = data + std::to_string(g) + "/";
    std::string categoryList;
    for (std::size_t c = 0; c < group.categories.size(); ++c) {
      const PatchCategory& cat = *group.categories[c];
      categoryList += group.categoryNames[c] + "\r\n";
      ASSERT_GE(cat.patches.size(), 1u);
      // The list files are in Windows text mode, the patch files keep bare LF.
      const std::string catFolder = groupFolder + std::to_string(c) + "/";
      std::string list;
      for (const auto& p : cat.patches) list += p->name + "\r\n";
      EXPECT_EQ(readBytes(catFolder + "patchList"), list);
      for (std::size_t i = 0; i < cat.patches.size(); ++i)
        EXPECT_EQ(readBytes(catFolder + std::to_string(i) + ".kvx"), cat.patches[i]->writeText());
    }
    EXPECT_EQ(readBytes(groupFolder + "catagoryList"), categoryList);
  }
  EXPECT_EQ(readBytes(data + "groupList"), groupList);
  EXPECT_FALSE(readBytes(data + "defaultLibrary").empty());
  EXPECT_FALSE(readBytes(data + "kreset.kvx").empty());
  EXPECT_GT(lib.resetPatch.params.size(), 170u);  // read from the installed file

  PatchLibrary again(data, '/');
  EXPECT_EQ(describe(again), describe(lib));
  EXPECT_FALSE(again.isDirty());
}

// A missing, empty or broken shipped archive still leaves one group with one category.
TEST_F(LibraryTree, TheLibraryIsNeverWithoutAGroupAndACategory) {
  const struct {
    const char* groupList;  // null: no file
    const char* defaultLibrary;
  } cases[] = {
      {nullptr, "not an archive\n"},
      {nullptr, "Quorvane 3970 Version 1.0 Dump\nMulti Group: 3\nEnd Multi Group:\n"},
      {"", "unused"},
      {"\r\n   \r\n", "unused"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(n);
    const std::string data = folder("case" + std::to_string(n++));
    fs::create_directories(data);
    if (c.groupList) {
      ASSERT_TRUE(platform::writeBinaryFile(data + "groupList", c.groupList));
    }
    ASSERT_TRUE(platform::writeBinaryFile(data + "defaultLibrary", c.defaultLibrary));
    PatchLibrary lib(data, '/');
    ASSERT_EQ(lib.groups.size(), 1u);
    ASSERT_EQ(lib.groups[0]->categories.size(), 1u);
    EXPECT_EQ(lib.currentPatch(), nullptr);
    EXPECT_EQ(lib.currentPatchIndex(), -1);
    EXPECT_EQ(lib.patchNames(), std::vector<std::string>{"No Patch"});
  }
}

// Groups are numbered by the names read, not by the lines of the file.
TEST_F(LibraryTree, BlankListLinesAreSkippedAndFoldersFollowTheNames) {
  const std::string data = folder();
  fs::create_directories(data + "0/0");
  fs::create_directories(data + "1/0");
  ASSERT_TRUE(platform::writeBinaryFile(data + "groupList", "\r\n  \r\nFirst\rSecond  Two \n"));
  for (const char* g : {"0", "1"}) {
    ASSERT_TRUE(platform::writeBinaryFile(data + g + "/catagoryList", std::string("Cat ") + g));
    ASSERT_TRUE(platform::writeBinaryFile(data + g + "/0/patchList", std::string("P") + g));
  }
  PatchLibrary lib(data, '/');
  EXPECT_EQ(lib.groupNames, (std::vector<std::string>{"First", "Second  Two"}));
  ASSERT_EQ(lib.groups.size(), 2u);
  EXPECT_EQ(lib.groups[1]->categoryNames, std::vector<std::string>{"Cat 1"});
  EXPECT_EQ(lib.groups[1]->categories[0]->patches[0]->name, "P1");
  EXPECT_FALSE(lib.isDirty());
  EXPECT_TRUE(shownTexts().empty());
}

TEST_F(LibraryTree, MissingPatchListIsReported) {
  const std::string data = folder();
  fs::create_directories(data + "0/0");
  ASSERT_TRUE(platform::writeBinaryFile(data + "groupList", "G\n"));
  ASSERT_TRUE(platform::writeBinaryFile(data + "0/catagoryList", "C\n"));
  PatchLibrary lib(data, '/');
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"Quorvane 3970: unable to open patchList"});
  EXPECT_TRUE(lib.groups[0]->categories[0]->patches.empty());
}

TEST_F(LibraryTree, AddGroupCategoryAndPatch) {
  const std::string data = folder();
  PatchLibrary lib(data, '/');
  EXPECT_EQ(lib.addGroup("  ", "x"), 0);
  EXPECT_EQ(lib.addGroup("x", " "), 0);
  EXPECT_EQ(lib.addGroup("Mine", "Basses"), 1);
  EXPECT_EQ(lib.currentGroupIndex(), 0);  // a new group is not made current
  EXPECT_EQ(lib.addGroup("  Mine ", "Other"), 2);
  EXPECT_EQ(lib.currentGroupIndex(), 1);
  EXPECT_EQ(lib.addGroup("mine", "Other"), 1);  // case matters
  EXPECT_EQ(readBytes(data + "groupList"), "Factory\r\nMine\r\nmine\r\n");
  EXPECT_EQ(readBytes(data + "1/catagoryList"), "Basses\r\n");
  EXPECT_EQ(readBytes(data + "1/0/patchList"), "");
  EXPECT_FALSE(lib.isDirty());

  PatchGroup& mine = *lib.groups[1];
  EXPECT_EQ(mine.addCategory("Basses "), 2);
  EXPECT_EQ(mine.addCategory("Leads"), 1);
  EXPECT_EQ(readBytes(data + "1/catagoryList"), "Basses\r\nLeads\r\n");
  EXPECT_TRUE(fs::is_directory(data + "1/1"));

  lib.selectCategory(1);
  EXPECT_EQ(lib.patchNames(), std::vector<std::string>{"No Patch"});
  EXPECT_EQ(lib.addPatch(" ", "", "", "", 0, -1), nullptr);
  Patch* p = lib.addPatch(" Wobble ", "me", "today", "n", 1, 7);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->name, "Wobble");
  EXPECT_EQ(p->dirty, 1);
  EXPECT_EQ(lib.currentPatch(), p);
  EXPECT_EQ(lib.patchNames(), std::vector<std::string>{"8: Wobble"});
  EXPECT_EQ(readBytes(data + "1/1/patchList"), "Wobble\r\n");
  EXPECT_TRUE(fs::exists(data + "1/1/0.kvx"));
}

// Deleting and reordering renumbers folders and files; after a sync a fresh library reads
// back exactly the tree in memory, every name with its own sound.
TEST_F(LibraryTree, RenumberingKeepsEveryNameWithItsSound) {
  const std::string data = folder();
  PatchLibrary lib(data, '/');
  ASSERT_EQ(lib.addGroup("Second", "A"), 1);
  ASSERT_EQ(lib.groups[1]->addCategory("B"), 1);
  ASSERT_EQ(lib.groups[1]->addCategory("C"), 1);
  lib.selectGroup(1);
  double coarse = 0.1;
  for (int c = 0; c < 3; ++c) {
    lib.selectCategory(c);
    for (const char* name : {"one", "two", "three"}) {
      Patch* p = lib.addPatch(std::string(name) + std::to_string(c), "", "", "", 0, -1);
      ASSERT_NE(p, nullptr);
      giveSound(*p, coarse += 0.01);
    }
  }
  ASSERT_TRUE(lib.sync());

  const std::vector<std::pair<const char*, std::function<bool()>>> edits = {
      {"delete first patch", [&] { return lib.removePatch(1, 0, 0); }},
      {"move patch", [&] { return lib.movePatch(1, 1, 2, 0); }},
      {"delete category", [&] { return lib.removeCategory(1, 0); }},
      {"move category", [&] { return lib.moveCategory(1, 1, 0); }},
      {"move group", [&] { return lib.moveGroup(1, 0); }},
      {"delete group", [&] { return lib.removeGroup(0); }},
  };
  for (const auto& [what, edit] : edits) {
    SCOPED_TRACE(what);
    ASSERT_TRUE(edit());
    ASSERT_TRUE(lib.sync());
    EXPECT_FALSE(lib.isDirty());
    PatchLibrary reread(data, '/');
    EXPECT_EQ(describe(reread), describe(lib));
  }
  EXPECT_TRUE(shownTexts().empty());
  EXPECT_FALSE(lib.removeGroup(0));  // the last group stays
  EXPECT_FALSE(lib.removeCategory(0, 5));
  EXPECT_FALSE(lib.removePatch(0, 0, 99));
}

// A folder where a file should be makes the write fail: the level reports it, keeps its
// marks, and the old files stay whole.
TEST_F(LibraryTree, FailedWritesAreReportedAndKeepTheMarks) {
  const struct {
    const char* blocked;  // relative path made a folder
    const char* message;
  } cases[] = {
      {"groupList", "Library Sync error. Please report to bugs@halvorsk.example."},
      {"0/catagoryList", "Group Sync error. Please report to bugs@halvorsk.example."},
      {"0/0/patchList", "Category Sync error. Please report to bugs@halvorsk.example."},
      {"0/0/1.kvx", "Category Sync error. Please report to bugs@halvorsk.example."},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.blocked);
    const std::string data = folder("case" + std::to_string(n++));
    PatchLibrary lib(data, '/');
    fs::remove(data + c.blocked);
    fs::create_directories(data + c.blocked + "/inside");
    lib.groups[0]->categories[0]->patches[1]->name = "Renamed";
    lib.setDirty(1);
    platform::headless::clearShownMessages();
    EXPECT_FALSE(lib.sync());
    EXPECT_EQ(shownTexts(), std::vector<std::string>{c.message});
    EXPECT_TRUE(lib.isDirty());
    EXPECT_TRUE(fs::is_directory(data + c.blocked));
    // Once the obstacle is gone the next sync succeeds.
    fs::remove_all(data + c.blocked);
    platform::headless::clearShownMessages();
    EXPECT_TRUE(lib.sync());
    EXPECT_FALSE(lib.isDirty());
    PatchLibrary reread(data, '/');
    EXPECT_EQ(describe(reread), describe(lib));
  }
}

TEST_F(LibraryTree, RevertReadsTheDiskAgainAndRetiresTheOldRecords) {
  const std::string data = folder();
  PatchLibrary lib(data, '/');
  const std::string before = describe(lib);
  lib.revert();  // nothing dirty: nothing happens
  EXPECT_EQ(lib.retiredCount(), 0u);
  lib.groups[0]->categories[0]->patches[0]->name = "Changed";
  lib.groups[0]->categories[0]->patches[0]->dirty = 1;
  lib.revert();
  EXPECT_EQ(describe(lib), before);
  EXPECT_EQ(lib.retiredCount(), 3u);
  lib.reclaim(true);  // a patch change may still hold one
  EXPECT_EQ(lib.retiredCount(), 3u);
  lib.reclaim(false);
  EXPECT_EQ(lib.retiredCount(), 0u);
}

TEST(NameList, UniqueNamesCountFromOne) {
  NameSet names({"Pad", "Pad 1", "Pad 3", "Pad 1 1"});
  EXPECT_EQ(names.freeName("Lead"), "Lead");
  EXPECT_EQ(names.freeName("Pad"), "Pad 2");
  EXPECT_EQ(names.freeName("Pad 1"), "Pad 1 2");
  // A free name is taken only when added; then the next copy counts on past it.
  EXPECT_EQ(names.freeName("Pad"), "Pad 2");
  names.add("Pad 2");
  EXPECT_EQ(names.freeName("Pad"), "Pad 4");
  names.add("Lead");
  EXPECT_EQ(names.freeName("Lead"), "Lead 1");
}

}  // namespace
