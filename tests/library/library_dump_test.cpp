#include "library/dump_format.h"
#include "tests/library/library_fixture.h"

namespace {

using qvtest::LibraryFolder;
using qvtest::readBytes;
using qvtest::shownTexts;

constexpr uint32_t kVo1c = 0x766F3163;  // "vo1c"

// A small patch that tells itself apart by one value.
std::unique_ptr<Patch> smallPatch(const std::string& name, double coarse,
                                  const std::string& notes = "") {
  auto p = std::make_unique<Patch>("0", name, "", '/', "me", "today", notes);
  p->setParam(kPatchParamReal, kVo1c, 0, coarse, 0);
  p->setParam(kPatchParamCord, 0x706C3131, 0, 0.0, 0x706C3538);  // pl11 -> pl58
  p->setParam(kPatchParamReal, kPatchVolumeKey, 0, 0.5, 0);
  return p;
}

class LibraryDump : public LibraryFolder {
 protected:
  // Factory (3 patches) and "Small" with categories "Lead" (patches "Lead", "Lead 2" whose
  // notes hold framing lines) and "Empty".
  void SetUp() override {
    LibraryFolder::SetUp();
    lib = std::make_unique<PatchLibrary>(folder(), '/');
    ASSERT_EQ(lib->addGroup("Small", "Lead"), 1);
    ASSERT_EQ(lib->groups[1]->addCategory("Empty"), 1);
    PatchCategory& c = *lib->groups[1]->categories[0];
    c.patches.push_back(smallPatch("Lead", 0.3,
                                   "first\nEnd Patch: Lead\nEnd Category Dump: Lead\n"
                                   "  End Patch: Lead 2\nMulti Group: 4\nlast"));
    c.patches.push_back(smallPatch("Lead 2", 0.4, "End Patch: Lead"));
    c.labels = {"Lead", "Lead 2"};
    ASSERT_TRUE(lib->sync());
    platform::headless::clearShownMessages();
  }
  std::string path(const char* name) const { return folder() + name; }
  std::unique_ptr<PatchLibrary> lib;
};

// Two patches, or two lists of patches, hold the same records.
void expectSamePatches(const PatchCategory& a, const PatchCategory& b) {
  ASSERT_EQ(a.patches.size(), b.patches.size());
  for (std::size_t i = 0; i < a.patches.size(); ++i) {
    EXPECT_EQ(a.patches[i]->name, b.patches[i]->name);
    EXPECT_EQ(a.patches[i]->writeText(), b.patches[i]->writeText());
  }
}

TEST_F(LibraryDump, GroupDumpRoundTripsUnderAFreeName) {
  EXPECT_EQ(lib->writeDump(path("g.dump"), {1}, {}, {}, false), 0);
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"1 Group exported."});
  const std::string text = readBytes(path("g.dump"));
  EXPECT_EQ(text.find("Quorvane 3970 Version 1.0 Dump\nMulti Group: 1\nGroup Dump: Small\n"
                      "Category Dump: Lead\nStart Patch: Lead\n"),
            0u);
  EXPECT_NE(text.find("\nEnd Group Dump: Small\nEnd Multi Group:\n"), std::string::npos);
  EXPECT_EQ(text.find('\r'), std::string::npos);

  for (const char* expectedName : {"Small 1", "Small 2"}) {
    platform::headless::clearShownMessages();
    EXPECT_EQ(lib->importDump(path("g.dump"), false), 1);
    EXPECT_EQ(shownTexts(), std::vector<std::string>{"1 Group imported"});
    const PatchGroup& g = *lib->groups.back();
    EXPECT_EQ(lib->groupNames.back(), expectedName);
    EXPECT_EQ(g.categoryNames, (std::vector<std::string>{"Lead", "Empty"}));
    expectSamePatches(*g.categories[0], *lib->groups[1]->categories[0]);
    EXPECT_TRUE(g.isDirty());
  }
  // The notes came back whole: framing lines inside them did not end any block.
  EXPECT_EQ(lib->groups.back()->categories[0]->patches[0]->notes,
            lib->groups[1]->categories[0]->patches[0]->notes);
  ASSERT_TRUE(lib->sync());
  PatchLibrary reread(folder(), '/');
  EXPECT_EQ(qvtest::describe(reread), qvtest::describe(*lib));
}

TEST_F(LibraryDump, ReportsUsePluralsAndTheClipboardWord) {
  const struct {
    std::vector<int> g, c, p;
    bool clipboard;
    int kind;
    const char* report;
  } cases[] = {
      {{0, 1}, {}, {}, true, 0, "2 Groups in clipboard."},
      {{1}, {0}, {}, false, 1, "1 Category from Small exported."},
      {{1}, {0, 1}, {0}, true, 1, "2 Categories from Small in clipboard."},
      {{0}, {0}, {2}, false, 2, "1 Patch from Category Basics of Group Factory exported."},
      {{1}, {0}, {1, 0}, true, 2, "2 Patches from Category Lead of Group Small in clipboard."},
      // Nothing selected, or indexes that name nothing: nothing is written.
      {{}, {}, {}, false, -1, "Selection Error!"},
      {{}, {}, {0}, false, -1, "Selection Error!"},
      {{5}, {}, {}, false, -1, "Selection Error!"},
      {{1}, {2}, {}, false, -1, "Selection Error!"},
      {{1}, {0}, {2}, false, -1, "Selection Error!"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.report);
    const std::string file = path(("d" + std::to_string(n++)).c_str());
    platform::headless::clearShownMessages();
    EXPECT_EQ(lib->writeDump(file, c.g, c.c, c.p, c.clipboard), c.kind);
    EXPECT_EQ(shownTexts(), std::vector<std::string>{c.report});
    EXPECT_EQ(std::filesystem::exists(file), c.kind >= 0);
  }
}

TEST_F(LibraryDump, CategoryAndPatchDumpsImportAsNewGroups) {
  ASSERT_EQ(lib->writeDump(path("c.dump"), {1}, {0, 1}, {}, false), 1);
  ASSERT_EQ(lib->writeDump(path("p.dump"), {1}, {0}, {1}, false), 2);
  platform::headless::clearShownMessages();
  EXPECT_EQ(lib->importDump(path("c.dump"), false), 1);
  EXPECT_EQ(lib->groupNames.back(), "Small 1");
  EXPECT_EQ(lib->groups.back()->categoryNames, (std::vector<std::string>{"Lead", "Empty"}));
  expectSamePatches(*lib->groups.back()->categories[0], *lib->groups[1]->categories[0]);
  EXPECT_EQ(lib->importDump(path("p.dump"), true), 1);
  EXPECT_EQ(lib->groupNames.back(), "Small 2");
  ASSERT_EQ(lib->groups.back()->categoryNames, std::vector<std::string>{"Lead"});
  const PatchCategory& one = *lib->groups.back()->categories[0];
  ASSERT_EQ(one.patches.size(), 1u);
  EXPECT_EQ(one.patches[0]->writeText(), lib->groups[1]->categories[0]->patches[1]->writeText());
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"2 Categories imported"});  // quiet second
}

TEST_F(LibraryDump, ImportChecksTheHeaderAndTheStructure) {
  const struct {
    std::string text;
    int groups;
    const char* report;
  } cases[] = {
      {"", 0, "The selected file does not appear to be a vaild patch archive."},
      {"Some other file\nMulti Group: 1\n", 0,
       "The selected file does not appear to be a vaild patch archive."},
      {"Quorvane 3970 Version x Dump\n", 0,
       "The selected file does not appear to be a vaild patch archive."},
      {"Quorvane 3970 Version 7.5 Dump\nMulti Group: 0\nEnd Multi Group:\n", 0,
       "0 Group imported"},
      {"Quorvane 3970 Version 1.0 Dump\nhello\nMulti Group: 0\nEnd Multi Group:\n", 0,
       "The imported file contained errors."},
      // The count is not trusted: two blocks parsed, two groups; an empty group adds nothing.
      {"Quorvane 3970 Version 1.0 Dump\r\nMulti Group: 9\r\nGroup Dump: A\r\nCategory Dump: C\r\n"
       "End Category Dump: C\r\nEnd Group Dump: A\r\nGroup Dump: B\r\nEnd Group Dump: B\r\n"
       "Group Dump: AB\nCategory Dump: D\nEnd Category Dump: D\nEnd Group Dump: AB\n"
       "End Multi Group:\n",
       2, "2 Groups imported"},
      // A missing section end: the groups before stay, the report says so.
      {"Quorvane 3970 Version 1.0 Dump\nMulti Group: 1\nGroup Dump: A\nCategory Dump: C\n"
       "End Category Dump: C\nEnd Group Dump: A\n",
       1, "The imported file contained errors."},
      {"Quorvane 3970 Version 1.0 Dump\nMulti Patch: 1\nG\nC\nStart Patch: P\n1 : vo1c = 0.5\n"
       "End Patch: P\n",
       0, "The imported file contained errors."},
      // A category whose only patch block is broken adds nothing.
      {"Quorvane 3970 Version 1.0 Dump\nMulti Category: 1\nG\nCategory Dump: C\n"
       "Start Patch: P\nEnd Category Dump: C\nEnd Multi Category: G\n",
       0, "0 Category imported"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_TRUE(platform::writeBinaryFile(path("in.dump"), c.text));
    const std::size_t before = lib->groups.size();
    platform::headless::clearShownMessages();
    EXPECT_EQ(lib->importDump(path("in.dump"), false), c.groups);
    EXPECT_EQ(lib->groups.size(), before + static_cast<std::size_t>(c.groups));
    EXPECT_EQ(shownTexts(), std::vector<std::string>{c.report});
    for (std::size_t g = before; g < lib->groups.size(); ++g)
      EXPECT_FALSE(lib->groups[g]->categories.empty());
  }
  // Missing files are reported even by a quiet import.
  platform::headless::clearShownMessages();
  lib->importDump(path("no such file"), true);
  EXPECT_EQ(shownTexts().size(), 1u);
}

TEST_F(LibraryDump, PasteFollowsTheClipboardType) {
  ASSERT_EQ(lib->writeDump(lib->clipboardPath(), {1}, {0}, {0, 1}, true), 2);
  ASSERT_TRUE(lib->writeClipboardType(2));
  EXPECT_EQ(lib->readClipboardType(), 2);
  EXPECT_EQ(readBytes(lib->clipboardTypePath()), "2");

  // Into the same category: names made unique.
  platform::headless::clearShownMessages();
  EXPECT_EQ(lib->pasteDump(lib->clipboardPath(), 2, 1, 0), 2);
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"2 Patches pasted"});
  EXPECT_EQ(lib->groups[1]->categories[0]->labels,
            (std::vector<std::string>{"Lead", "Lead 2", "Lead 1", "Lead 2 1"}));
  // Into the empty category: the placeholder goes.
  lib->selectGroup(1);
  lib->selectCategory(1);
  EXPECT_EQ(lib->patchNames(), std::vector<std::string>{"No Patch"});
  EXPECT_EQ(lib->pasteDump(lib->clipboardPath(), 2, 1, 1), 2);
  EXPECT_EQ(lib->patchNames(), (std::vector<std::string>{"Lead", "Lead 2"}));
  EXPECT_TRUE(lib->groups[1]->categories[1]->patches[0]->dirty);

  // The wrong type or indexes that name nothing add nothing.
  const std::size_t groups = lib->groups.size();
  platform::headless::clearShownMessages();
  EXPECT_EQ(lib->pasteDump(lib->clipboardPath(), 0, 0, 0), 0);
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"The clipboard contained errors."});
  EXPECT_EQ(lib->pasteDump(lib->clipboardPath(), 2, 9, 0), -1);
  EXPECT_EQ(lib->pasteDump(lib->clipboardPath(), 2, 1, 2), -1);
  EXPECT_EQ(lib->groups.size(), groups);

  // Categories into a group, groups into the library.
  ASSERT_EQ(lib->writeDump(lib->clipboardPath(), {1}, {0}, {}, true), 1);
  platform::headless::clearShownMessages();
  EXPECT_EQ(lib->pasteDump(lib->clipboardPath(), 1, 0, 0), 1);
  EXPECT_EQ(lib->groups[0]->categoryNames, (std::vector<std::string>{"Basics", "Lead"}));
  EXPECT_EQ(lib->pasteDump(lib->clipboardPath(), 1, 0, 0), 1);
  EXPECT_EQ(lib->groups[0]->categoryNames.back(), "Lead 1");
  EXPECT_EQ(shownTexts(), (std::vector<std::string>{"1 Category pasted", "1 Category pasted"}));
  ASSERT_EQ(lib->writeDump(lib->clipboardPath(), {0, 1}, {}, {}, true), 0);
  platform::headless::clearShownMessages();
  EXPECT_EQ(lib->pasteDump(lib->clipboardPath(), 0, 0, 0), 2);
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"2 Groups pasted"});
  EXPECT_EQ(lib->groupNames.back(), "Small 1");
  ASSERT_TRUE(lib->sync());
  PatchLibrary reread(folder(), '/');
  EXPECT_EQ(qvtest::describe(reread), qvtest::describe(*lib));
}

// The block parsers on their own: a group block is taken whole and the rest handed back;
// categories and patches paste from their blocks with free names.
TEST_F(LibraryDump, BlockParsersTakeWholeBlocks) {
  std::string groupBlock;
  lib->groups[1]->appendDump(groupBlock);
  const std::string text = "noise\n" + groupBlock + "after\n";
  const std::size_t before = lib->groups.size();
  EXPECT_EQ(lib->importGroupDump(text), "after\n");
  ASSERT_EQ(lib->groups.size(), before + 1);
  EXPECT_EQ(lib->groupNames.back(), "Small 1");
  // A cut block adds nothing and hands the text back unchanged.
  const std::string cut = groupBlock.substr(0, groupBlock.size() - 3);
  EXPECT_EQ(lib->importGroupDump(cut), cut);
  EXPECT_EQ(lib->groups.size(), before + 1);

  std::string categoryBlock;
  lib->groups[1]->categories[0]->appendDump(categoryBlock);
  PatchGroup& factory = *lib->groups[0];
  EXPECT_EQ(factory.pasteCategoryDumps(categoryBlock + categoryBlock), 2);
  EXPECT_EQ(factory.categoryNames, (std::vector<std::string>{"Basics", "Lead", "Lead 1"}));
  PatchCategory& empty = *lib->groups[1]->categories[1];
  EXPECT_EQ(empty.pastePatchDumps(categoryBlock), 2);
  EXPECT_EQ(empty.labels, (std::vector<std::string>{"Lead", "Lead 2"}));
  expectSamePatches(empty, *lib->groups[1]->categories[0]);
}

// Every prefix of every kind of dump imports and pastes without fault and adds only whole
// blocks.
TEST_F(LibraryDump, ArchivesCutAtEveryOffsetAreSafe) {
  struct Kind {
    std::vector<int> g, c, p;
    int type;
  };
  const Kind kinds[] = {{{1}, {}, {}, 0}, {{1}, {0, 1}, {}, 1}, {{1}, {0}, {0, 1}, 2}};
  const std::size_t baseGroups = lib->groups.size();
  for (const Kind& k : kinds) {
    SCOPED_TRACE(k.type);
    ASSERT_EQ(lib->writeDump(path("whole"), k.g, k.c, k.p, true), k.type);
    const std::string whole = readBytes(path("whole"));
    for (std::size_t n = 0; n <= whole.size(); ++n) {
      ASSERT_TRUE(platform::writeBinaryFile(path("cut"), whole.substr(0, n)));
      const int imported = lib->importDump(path("cut"), true);
      ASSERT_LE(imported, 1);
      for (std::size_t g = baseGroups; g < lib->groups.size(); ++g) {
        ASSERT_FALSE(lib->groups[g]->categories.empty());
        for (const auto& c : lib->groups[g]->categories)
          for (const auto& p : c->patches) ASSERT_FALSE(p->params.empty());
      }
      while (lib->groups.size() > baseGroups) lib->removeGroup(static_cast<int>(baseGroups));

      PatchGroup& small = *lib->groups[1];
      const int pasted = lib->pasteDump(path("cut"), k.type, 1, 1);
      ASSERT_LE(pasted, 2);
      while (lib->groups.size() > baseGroups) lib->removeGroup(static_cast<int>(baseGroups));
      while (small.categoryCount() > 2) lib->removeCategory(1, 2);
      while (small.categories[1]->patchCount() > 0) lib->removePatch(1, 1, 0);
      lib->reclaim(false);
      platform::headless::clearShownMessages();
    }
    EXPECT_EQ(lib->importDump(path("whole"), true), 1);
  }
}

}  // namespace
