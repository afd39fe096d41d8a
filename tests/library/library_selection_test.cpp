#include <atomic>
#include <thread>

#include "tests/library/library_fixture.h"

namespace {

using qvtest::LibraryFolder;

class LibrarySelection : public LibraryFolder {
 protected:
  // Factory / Basics with three patches in programs 0, 1, 2, and a second group "Two" with
  // categories "A" (empty) and "B" (patches x, y).
  void SetUp() override {
    LibraryFolder::SetUp();
    lib = std::make_unique<PatchLibrary>(folder(), '/');
    ASSERT_EQ(lib->addGroup("Two", "A"), 1);
    ASSERT_EQ(lib->groups[1]->addCategory("B"), 1);
    lib->selectGroup(1);
    lib->selectCategory(1);
    ASSERT_NE(lib->addPatch("x", "", "", "", 0, 5), nullptr);
    ASSERT_NE(lib->addPatch("y", "", "", "", 0, -1), nullptr);
    lib->selectGroup(0);
  }
  PatchCategory& basics() { return *lib->groups[0]->categories[0]; }
  std::unique_ptr<PatchLibrary> lib;
};

TEST_F(LibrarySelection, FirstClaimOfAProgramWins) {
  PatchCategory& c = basics();
  c.patches[1]->programSlot = 9;
  c.patches[2]->programSlot = 9;
  const std::string laterLabel = c.labels[2];
  lib->rebuildProgramMap();
  EXPECT_EQ(lib->programMapEntry(9), c.patches[1].get());
  EXPECT_EQ(c.labels[1], "10: Singing Lead");
  EXPECT_EQ(c.patches[2]->programSlot, -1);
  EXPECT_EQ(c.labels[2], laterLabel);
  EXPECT_EQ(lib->programMapEntry(0), c.patches[0].get());
  EXPECT_EQ(c.labels[0], "1: Round Bass");
  EXPECT_EQ(lib->programMapEntry(128), nullptr);
  EXPECT_EQ(lib->programMapEntry(-1), nullptr);
}

TEST_F(LibrarySelection, IndexesEqualToTheCountAreOutOfRange) {
  EXPECT_EQ(lib->selectGroup(2), 0);
  EXPECT_EQ(lib->selectGroup(-1), 0);
  EXPECT_EQ(lib->selectGroup(1), 1);
  lib->selectCategory(1);
  lib->selectCategory(2);
  EXPECT_EQ(lib->currentCategoryIndex(), 1);
  lib->selectPatch(1);
  lib->selectPatch(2);
  lib->selectPatch(-1);
  EXPECT_EQ(lib->currentPatchIndex(), 1);
  EXPECT_EQ(lib->currentPatch()->name, "y");

  // A stale index equal to the count is reset when the group or category is selected.
  lib->groups[1]->categories[1]->currentPatch = 2;
  lib->selectCategory(1);
  EXPECT_EQ(lib->currentPatchIndex(), 0);
  lib->groups[1]->currentCategory = 2;
  lib->selectGroup(0);
  lib->selectGroup(1);
  EXPECT_EQ(lib->currentCategoryIndex(), 0);
  // The empty category shows its placeholder; no current patch.
  EXPECT_EQ(lib->currentPatchIndex(), -1);
  EXPECT_EQ(lib->currentPatch(), nullptr);
  EXPECT_EQ(lib->patchNames(), std::vector<std::string>{"No Patch"});
}

TEST_F(LibrarySelection, ProgramsSelectWithinTheCurrentGroup) {
  EXPECT_FALSE(lib->selectProgram(3));  // empty slot: nothing changes
  EXPECT_EQ(lib->currentPatchIndex(), 0);
  for (int bad : {128, -1, 1000}) EXPECT_FALSE(lib->selectProgram(bad));
  EXPECT_TRUE(lib->selectProgram(2));
  EXPECT_EQ(lib->currentPatch()->name, "Slow Pad");
  lib->selectGroup(1);
  EXPECT_TRUE(lib->selectProgram(5));
  EXPECT_EQ(lib->currentCategoryIndex(), 1);
  EXPECT_EQ(lib->currentPatch()->name, "x");
}

TEST_F(LibrarySelection, SelectPatchObjectFindsAnyPatchOrSaysNotFound) {
  Patch* y = lib->groups[1]->categories[1]->patches[1].get();
  EXPECT_EQ(lib->selectPatchObject(y), 1);
  EXPECT_EQ(lib->currentGroupIndex(), 1);
  EXPECT_EQ(lib->currentCategoryIndex(), 1);
  EXPECT_EQ(lib->currentPatch(), y);
  const Patch stranger;
  EXPECT_EQ(lib->selectPatchObject(&stranger), -1);
  EXPECT_EQ(lib->currentGroupIndex(), 0);
  EXPECT_EQ(lib->currentPatchIndex(), 0);
}

// Program change and bank select on the audio thread read the published tables; the
// GUI-side selection follows when the GUI thread applies the request.
TEST_F(LibrarySelection, AudioThreadReadsThePublishedTables) {
  const Patch* pad = basics().patches[2].get();
  EXPECT_EQ(lib->audioSelectProgram(2), pad);
  EXPECT_EQ(lib->audioSelectProgram(3), nullptr);
  EXPECT_EQ(lib->audioSelectProgram(-5), nullptr);
  EXPECT_TRUE(lib->applyAudioSelection());
  EXPECT_EQ(lib->currentPatch(), pad);

  lib->audioSelectGroup(7);  // no such group: nothing changes
  EXPECT_EQ(lib->audioSelectProgram(0), basics().patches[0].get());
  lib->audioSelectGroup(1);
  const Patch* x = lib->audioSelectProgram(5);
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->name, "x");
  EXPECT_TRUE(lib->applyAudioSelection());
  EXPECT_EQ(lib->currentGroupIndex(), 1);
  EXPECT_EQ(lib->currentPatch(), x);
  EXPECT_FALSE(lib->applyAudioSelection());

  // A removed patch leaves the tables at once and is freed only when nothing may hold it.
  ASSERT_TRUE(lib->removePatch(1, 1, 0));
  EXPECT_EQ(lib->audioSelectProgram(5), nullptr);
  EXPECT_EQ(lib->retiredCount(), 1u);
  lib->applyAudioSelection();
  lib->audioReleaseProgram();
  lib->reclaim(true);
  EXPECT_EQ(lib->retiredCount(), 1u);
  lib->reclaim(false);
  EXPECT_EQ(lib->retiredCount(), 0u);
}

TEST_F(LibrarySelection, AProgramChangeNotYetAppliedKeepsItsRecord) {
  const Patch* bass = lib->audioSelectProgram(0);
  ASSERT_NE(bass, nullptr);
  ASSERT_TRUE(lib->removePatch(0, 0, 0));
  lib->reclaim(false);
  EXPECT_EQ(lib->retiredCount(), 1u);  // the request still names it
  EXPECT_FALSE(lib->applyAudioSelection());  // no longer in the tree: selection unchanged
  lib->reclaim(false);
  EXPECT_EQ(lib->retiredCount(), 1u);  // the audio thread's patch change still holds it
  lib->audioReleaseProgram();
  lib->reclaim(false);
  EXPECT_EQ(lib->retiredCount(), 0u);
}

// The audio thread changes programs while the GUI thread edits the tree and reclaims; every
// record it gets is alive (AddressSanitizer and ThreadSanitizer builds check this).
TEST_F(LibrarySelection, ProgramChangesRaceWithEdits) {
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    int n = 0;
    while (!stop.load()) {
      if (const Patch* p = lib->audioSelectProgram(n % 4)) {
        volatile int32_t slot = p->programSlot;
        (void)slot;
        lib->audioReleaseProgram();
      }
      if (++n % 97 == 0) lib->audioSelectGroup(n % 2);
    }
  });
  for (int i = 0; i < 300; ++i) {
    lib->selectGroup(0);
    lib->selectCategory(0);
    Patch* p = lib->addPatch("t" + std::to_string(i), "", "", "", 0, i % 4);
    ASSERT_NE(p, nullptr);
    lib->removePatch(0, 0, 0);
    lib->applyAudioSelection();
    lib->reclaim(false);
  }
  stop.store(true);
  audio.join();
  lib->applyAudioSelection();
  lib->reclaim(false);
  EXPECT_EQ(lib->retiredCount(), 0u);
}

}  // namespace
