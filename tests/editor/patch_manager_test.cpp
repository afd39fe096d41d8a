// The patch manager as a user drives it in an open editor: the three lists, Up and Down,
// Cut, Copy, Paste, Delete and Rename per level with their messages, archives through the
// file dialogs, OK, Select and Cancel, the library on disk afterwards (reloaded by a new
// plug-in, every sound rendered), a disk that fails during OK, and MIDI program changes
// held while the dialog is open. Headless, through the fake window.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "editor/kvx_patch_manager.h"
#include "editor/quorvane_vstview.h"
#include "editor/quorvane_window.h"
#include "gui/cauguibutton.h"
#include "gui/cauguicanvas.h"
#include "gui/kvxtext.h"
#include "library/name_list.h"
#include "library/patch_library.h"
#include "platform/headless.h"
#include "platform/headless_gui.h"
#include "platform/host_frame.h"
#include "platform/textfile.h"
#include "tests/plugin/data_folder_fixture.h"
#include "tests/plugin/plugin_object_test_util.h"
#include "tests/plugin/send_midi.h"

namespace {

namespace hl = platform::headless;
using PM = KVXPatchManagerInternal;

// --- pure helpers -------------------------------------------------------------------------

std::vector<int> applied(int count, const ListMove& m) {
  std::vector<int> order;
  for (int i = 0; i < count; ++i) order.push_back(i);
  for (const auto& [from, to] : m.steps) moveEntry(order, from, to);
  return order;
}

TEST(PatchManagerMoves, UpAndDownOverSizeAndSelection) {
  struct Case {
    bool up;
    int count;
    std::vector<int> rows, order, selection;
  } cases[] = {
      {true, 5, {1, 2}, {1, 2, 0, 3, 4}, {0, 1}},
      {true, 5, {0}, {0, 1, 2, 3, 4}, {0}},
      {true, 5, {0, 1}, {0, 1, 2, 3, 4}, {0, 1}},
      {true, 5, {0, 3}, {0, 3, 1, 2, 4}, {0, 1}},
      {true, 5, {2, 4}, {0, 2, 4, 1, 3}, {1, 2}},
      {true, 1, {0}, {0}, {0}},
      {false, 5, {4}, {0, 1, 2, 3, 4}, {4}},
      {false, 5, {3, 4}, {0, 1, 2, 3, 4}, {3, 4}},
      {false, 5, {1, 2}, {0, 3, 1, 2, 4}, {2, 3}},
      {false, 5, {0, 2}, {1, 3, 0, 2, 4}, {2, 3}},
      {false, 2, {0}, {1, 0}, {1}},
      {false, 1, {0}, {0}, {0}},
  };
  for (const Case& c : cases) {
    const ListMove m = c.up ? planMoveUp(c.count, c.rows) : planMoveDown(c.count, c.rows);
    EXPECT_EQ(applied(c.count, m), c.order) << (c.up ? "up " : "down ") << c.count << " rows " << c.rows.front();
    EXPECT_EQ(m.selection, c.selection) << (c.up ? "up " : "down ") << c.count << " rows " << c.rows.front();
  }
}

TEST(PatchManagerExport, TheKvxEndingLooksAtTheFileNameOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\sounds\\bass", "C:\\sounds\\bass.kvx"},
      {"C:\\sounds\\bass.kvx", "C:\\sounds\\bass.kvx"},
      {"C:\\sounds\\bass.txt", "C:\\sounds\\bass.txt"},
      {"C:\\my.sounds\\bass", "C:\\my.sounds\\bass.kvx"},
      {"/home/u/v1.2/set", "/home/u/v1.2/set.kvx"},
      {"plain", "plain.kvx"},
  };
  for (const auto& [chosen, written] : cases) EXPECT_EQ(exportPathFor(chosen), written) << chosen;
}

// --- an open editor on a library of its own -----------------------------------------------

ParameterEditor* makeWindow(Quorvane_VSTEdit& plugin) { return new Quorvane_Window(plugin, Quorvane_Window::kEffectClass); }

std::string threeSounds() {
  std::string text;
  EXPECT_TRUE(platform::readTextFile(QV_SOURCE_DIR "/tests/library/three_sounds.dump", text));
  return text;
}

// The three sounds' patch blocks, each name given a suffix.
std::string patchBlocks(const std::string& suffix) {
  const std::string all = threeSounds();
  const std::size_t from = all.find("Start Patch: ");
  const std::size_t to = all.find("End Category Dump:");
  std::string blocks = all.substr(from, to - from);
  if (suffix.empty()) return blocks;
  for (const char* name : {"Round Bass", "Singing Lead", "Slow Pad"}) {
    for (const std::string& tag : {std::string("Start Patch: "), std::string("End Patch: ")}) {
      const std::string old = tag + name + "\n";
      blocks.replace(blocks.find(old), old.size(), tag + name + suffix + "\n");
    }
  }
  return blocks;
}

// Groups "Factory" (categories "Basics" with the three sounds, "More" with copies named
// "... 2") and "Second" (category "Other" with copies "... 3", "Spare" with copies "... 4").
std::string twoGroups() {
  std::string d = "Quorvane 3970 Version 1.0 Dump\nMulti Group: 2\n";
  d += "Group Dump: Factory\nCategory Dump: Basics\n" + patchBlocks("") + "End Category Dump: Basics\n";
  d += "Category Dump: More\n" + patchBlocks(" 2") + "End Category Dump: More\nEnd Group Dump: Factory\n";
  d += "Group Dump: Second\nCategory Dump: Other\n" + patchBlocks(" 3") + "End Category Dump: Other\n";
  d += "Category Dump: Spare\n" + patchBlocks(" 4") + "End Category Dump: Spare\nEnd Group Dump: Second\n";
  d += "End Multi Group:\n";
  return d;
}

// The library's tree as "Group/Category/Patch" lines.
std::vector<std::string> treeOf(const PatchLibrary& lib) {
  std::vector<std::string> out;
  for (std::size_t g = 0; g < lib.groups.size(); ++g) {
    const PatchGroup& grp = *lib.groups[g];
    for (std::size_t c = 0; c < grp.categories.size(); ++c) {
      const PatchCategory& cat = *grp.categories[c];
      if (cat.patches.empty()) out.push_back(lib.groupNames[g] + "/" + grp.categoryNames[c] + "/");
      for (const auto& p : cat.patches) out.push_back(lib.groupNames[g] + "/" + grp.categoryNames[c] + "/" + p->name);
    }
  }
  return out;
}

std::vector<std::string> messages() {
  std::vector<std::string> texts;
  for (const auto& m : hl::shownMessages()) texts.push_back(m.text);
  return texts;
}

class PatchManager : public DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    writeBytes("defaultLibrary", twoGroups());
    hl::clearShownMessages();
    hl::clearShown();
    hl::failRenamesAfter(-1);
    start();
  }
  void TearDown() override {
    hl::failRenamesAfter(-1);
    hl::scriptMessageAnswers({});
    stop();
  }

  void start() {
    instance = std::make_unique<plugintest::Instance>(kEffectIdentity, makeWindow);
    ASSERT_EQ(instance->dispatch(effEditOpen, 0, 0, host->parentHandle()), 1);
    hl::clearShownMessages();
  }
  void stop() {
    if (instance) instance->dispatch(effEditClose);
    instance.reset();
  }

  Quorvane_VSTEdit& plugin() const { return instance->plugin(); }
  Quorvane_Window& window() const { return *static_cast<Quorvane_Window*>(plugin().getEditor()); }
  Quorvane_VSTView& view() const { return *window().view(); }
  hl::WindowDriver& driver() const { return hl::driver(*window().window()); }
  PM& manager() const { return *view().patchManager(); }
  void idle() const { instance->dispatch(effEditIdle); }

  PM& openManager() {
    view().patchManagerButton();
    EXPECT_NE(view().patchManager(), nullptr);
    EXPECT_EQ(view().canvas()->modal(), view().patchManager());
    return manager();
  }

  // A click on a row of a list (with Alt: toggling it), as the user gives it.
  void click(int level, int row, bool alt = false) {
    KVXTextList* l = manager().list(level);
    const GuiRect b = l->bounds();
    const GuiPoint p{static_cast<int16_t>(b.x + 20),
                     static_cast<int16_t>(b.y + KVXTextList::kInset + row * l->rowHeight() + l->rowHeight() / 2)};
    ASSERT_EQ(l->rowAt(p), row);
    l->mouseDown(p, alt, false);
  }
  void clickRows(int level, const std::vector<int>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) click(level, rows[i], i > 0);
  }
  // A press and release on a dialog button through the window.
  void press(int which) {
    const GuiRect b = manager().button(which)->bounds();
    const platform::Point p{static_cast<int16_t>(b.x + b.w / 2), static_cast<int16_t>(b.y + b.h / 2)};
    driver().mouseDown(p);
    driver().mouseUp(p);
  }

  // The plug-in's library under its patch lock (with or without an open editor).
  template <class Fn>
  auto withLibrary(Fn&& fn) {
    EditorInterface editor(plugin());
    EditorInterface::PatchHold hold(editor);
    return fn(*hold.library());
  }
  std::vector<std::string> tree() {
    return withLibrary([](PatchLibrary& lib) { return treeOf(lib); });
  }
  // The tree a new plug-in reads from the data folder.
  std::vector<std::string> treeOnDisk() const {
    PatchLibrary fresh(folder_.string() + "/", '/');
    return treeOf(fresh);
  }

  std::unique_ptr<platform::HostFrame> host = platform::HostFrame::create("host", 1010, 623, {0, 0});
  std::unique_ptr<plugintest::Instance> instance;
};

const std::vector<std::string> kBasics = {"Factory/Basics/Round Bass", "Factory/Basics/Singing Lead",
                                          "Factory/Basics/Slow Pad"};

TEST_F(PatchManager, OpensWithTheLibrarysListsAndSelection) {
  PM& m = openManager();
  EXPECT_EQ(m.list(PM::kGroups)->items(), (std::vector<std::string>{"Factory", "Second"}));
  EXPECT_EQ(m.list(PM::kCategories)->items(), (std::vector<std::string>{"Basics", "More"}));
  // The three sounds hold programs 1 to 3, which the labels show.
  EXPECT_EQ(m.list(PM::kPatches)->items(), (std::vector<std::string>{"1: Round Bass", "2: Singing Lead", "3: Slow Pad"}));
  EXPECT_EQ(m.list(PM::kGroups)->selection(), std::vector<int>{0});
  EXPECT_EQ(m.list(PM::kPatches)->selection(), std::vector<int>{0});
  EXPECT_FALSE(m.button(PM::kPaste)->isEnabled()) << "no clipboard yet: the type starts at -1";
  EXPECT_EQ(m.clipboardType(), -1);
  driver().paintAll();
  ASSERT_TRUE(driver().saveScreenshot(path("manager.png")));
}

TEST_F(PatchManager, ABrokenClipboardTypeFileIsNotTaken) {
  for (const char* text : {"7", "-1", "x", ""}) {
    writeBytes("clipboardtype", text);
    PM& m = openManager();
    EXPECT_EQ(m.clipboardType(), -1) << text;
    EXPECT_FALSE(m.button(PM::kPaste)->isEnabled()) << text;
    m.cancel();
  }
  writeBytes("clipboardtype", "2");
  EXPECT_EQ(openManager().clipboardType(), 2);
}

TEST_F(PatchManager, SelectingGroupsAndCategoriesFillsAndEmptiesTheLists) {
  PM& m = openManager();
  click(PM::kGroups, 1);
  EXPECT_EQ(m.list(PM::kCategories)->items(), (std::vector<std::string>{"Other", "Spare"}));
  EXPECT_TRUE(m.list(PM::kCategories)->selection().empty());
  EXPECT_TRUE(m.list(PM::kPatches)->items().empty());
  EXPECT_TRUE(m.list(PM::kPatches)->selection().empty()) << "an emptied list keeps no selection";
  click(PM::kCategories, 1);
  EXPECT_EQ(m.list(PM::kPatches)->items(),
            (std::vector<std::string>{"Round Bass 4", "Singing Lead 4", "Slow Pad 4"}));
  click(PM::kPatches, 2);
  EXPECT_TRUE(m.button(PM::kSelect)->isEnabled());
  EXPECT_TRUE(m.button(PM::kRename)->isEnabled());
  click(PM::kGroups, 0);
  click(PM::kGroups, 1, true);  // both groups
  EXPECT_TRUE(m.list(PM::kCategories)->items().empty());
  EXPECT_TRUE(m.list(PM::kCategories)->selection().empty());
  EXPECT_FALSE(m.button(PM::kRename)->isEnabled());
}

TEST_F(PatchManager, PasteIsOfferedWhereTheClipboardFits) {
  // Per clipboard type: paste after a click on a group, on a category, on a patch.
  struct Case {
    const char* type;
    bool group, category, patch;
  } cases[] = {{"0", true, true, true}, {"1", true, true, true}, {"2", false, true, true}};
  for (const Case& c : cases) {
    writeBytes("clipboardtype", c.type);
    PM& m = openManager();
    EXPECT_TRUE(m.button(PM::kPaste)->isEnabled()) << c.type;
    click(PM::kGroups, 0);
    EXPECT_EQ(m.button(PM::kPaste)->isEnabled(), c.group) << c.type;
    click(PM::kCategories, 0);
    EXPECT_EQ(m.button(PM::kPaste)->isEnabled(), c.category) << c.type;
    click(PM::kPatches, 0);
    EXPECT_EQ(m.button(PM::kPaste)->isEnabled(), c.patch) << c.type;
    click(PM::kGroups, 0);
    click(PM::kGroups, 1, true);
    EXPECT_EQ(m.button(PM::kPaste)->isEnabled(), std::string(c.type) == "0") << c.type << ": groups only";
    m.cancel();
  }
}

TEST_F(PatchManager, SelectLoadsTheChosenPatchAndWritesTheLibrary) {
  PM& m = openManager();
  EXPECT_FALSE(m.button(PM::kSelect)->isEnabled());
  click(PM::kPatches, 0);
  m.moveDown();  // Singing Lead, Round Bass, Slow Pad
  click(PM::kPatches, 2);
  ASSERT_TRUE(m.button(PM::kSelect)->isEnabled());
  press(PM::kSelect);
  EXPECT_EQ(view().canvas()->modal(), nullptr);
  EXPECT_EQ(treeOnDisk()[0], "Factory/Basics/Singing Lead");
  char name[64] = {};
  instance->dispatch(effGetProgramName, 0, 0, name);
  EXPECT_STREQ(name, "Slow Pad");
}

// --- cut and delete per level ---------------------------------------------------------------

TEST_F(PatchManager, DeleteAsksPerLevelWithItsPlural) {
  struct Case {
    std::vector<int> groups, categories, patches;
    std::string question;
  } cases[] = {
      {{0}, {0}, {1}, "Are you sure you want to delete 1 Patch from Category Basics of Group Factory?"},
      {{0}, {0}, {0, 2}, "Are you sure you want to delete 2 Patches from Category Basics of Group Factory?"},
      {{0}, {1}, {}, "Are you sure you want to delete 1 Category of Group Factory?"},
      {{1}, {}, {}, "Are you sure you want to delete Group Second?"},
  };
  for (const Case& c : cases) {
    PM& m = openManager();
    clickRows(PM::kGroups, c.groups);
    if (!c.categories.empty()) clickRows(PM::kCategories, c.categories);
    if (!c.patches.empty()) clickRows(PM::kPatches, c.patches);
    hl::clearShownMessages();
    hl::scriptMessageAnswers({platform::MessageAnswer::Cancel});
    press(PM::kDelete);
    EXPECT_EQ(messages(), (std::vector<std::string>{c.question, PM::kDeletionCanceled}));
    ASSERT_EQ(hl::shownMessages().size(), 2u);
    EXPECT_EQ(hl::shownMessages()[0].buttons, platform::MessageButtons::OkCancel);
    EXPECT_EQ(hl::shownMessages()[0].caption, "");
    m.cancel();
  }
}

TEST_F(PatchManager, DeletingSeveralCategoriesAndGroupsUsesThePlural) {
  // Three categories in group 0 first, so that two of them leave one.
  withLibrary([](PatchLibrary& lib) { return lib.groups[0]->addCategory("Third"); });
  PM& m = openManager();
  clickRows(PM::kCategories, {0, 2});
  hl::scriptMessageAnswers({platform::MessageAnswer::Ok});
  hl::clearShownMessages();
  m.deleteSelection();
  EXPECT_EQ(messages(), std::vector<std::string>{"Are you sure you want to delete 2 Categories of Group Factory?"});
  EXPECT_EQ(m.list(PM::kCategories)->items(), std::vector<std::string>{"More"});
  m.cancel();

  withLibrary([](PatchLibrary& lib) { return lib.importDump(QV_SOURCE_DIR "/tests/library/three_sounds.dump", true); });
  openManager();
  clickRows(PM::kGroups, {0, 2});
  hl::scriptMessageAnswers({platform::MessageAnswer::Ok});
  hl::clearShownMessages();
  manager().deleteSelection();
  EXPECT_EQ(messages(), std::vector<std::string>{"Are you sure you want to delete 2 Groups?"});
  EXPECT_EQ(manager().list(PM::kGroups)->items(), std::vector<std::string>{"Second"});
}

TEST_F(PatchManager, WholeLevelsAreRefusedAndCutWritesTheClipboardFirst) {
  struct Case {
    bool cut;
    std::vector<int> groups, categories;
    const char* refusal;
  } cases[] = {
      {true, {0, 1}, {}, PM::kCannotCutGroups},
      {true, {0}, {0, 1}, PM::kCannotCutCategories},
      {false, {0, 1}, {}, PM::kCannotDeleteGroups},
      {false, {0}, {0, 1}, PM::kCannotDeleteCategories},
  };
  for (const Case& c : cases) {
    PM& m = openManager();
    std::filesystem::remove(path("clipboard"));
    clickRows(PM::kGroups, c.groups);
    if (!c.categories.empty()) clickRows(PM::kCategories, c.categories);
    hl::clearShownMessages();
    if (c.cut) m.cut(); else m.deleteSelection();
    const std::vector<std::string> shown = messages();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), c.refusal);
    EXPECT_EQ(exists("clipboard"), c.cut) << c.refusal;
    EXPECT_EQ(tree().size(), 12u) << "nothing removed: " << c.refusal;
    m.cancel();
  }
}

TEST_F(PatchManager, CutPatchesLeavesNoPatchAndCancelRestoresWhilePasteStillWorks) {
  PM& m = openManager();
  clickRows(PM::kPatches, {0, 1, 2});
  hl::clearShownMessages();
  press(PM::kCut);
  EXPECT_EQ(messages(), std::vector<std::string>{"3 Patches from Category Basics of Group Factory in clipboard."});
  EXPECT_EQ(m.list(PM::kPatches)->items(), std::vector<std::string>{"No Patch"});
  EXPECT_EQ(m.clipboardType(), 2);
  EXPECT_EQ(readBytes("clipboardtype"), "2");
  EXPECT_EQ(m.savedPatch(), nullptr) << "the cut patch is no longer looked for";

  // The placeholder row is no patch: nothing to cut, delete or rename.
  click(PM::kPatches, 0);
  EXPECT_FALSE(m.button(PM::kRename)->isEnabled());
  hl::clearShownMessages();
  m.deleteSelection();
  m.cut();
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(readBytes("clipboardtype"), "2");

  press(PM::kCancel);
  EXPECT_EQ(view().canvas()->modal(), nullptr);
  EXPECT_EQ(tree().size(), 12u) << "Cancel reads the library back";

  openManager();
  EXPECT_TRUE(manager().button(PM::kPaste)->isEnabled());
  click(PM::kGroups, 1);
  click(PM::kCategories, 0);
  manager().paste();
  const std::vector<std::string> t = tree();
  EXPECT_EQ(std::count(t.begin(), t.end(), "Second/Other/Round Bass"), 1);
  EXPECT_EQ(std::count(t.begin(), t.end(), "Second/Other/Slow Pad"), 1);
  EXPECT_EQ(t.size(), 15u);
}

TEST_F(PatchManager, AFailedClipboardWriteRemovesNothing) {
  PM& m = openManager();
  clickRows(PM::kPatches, {1});
  hl::failRenamesAfter(0);
  m.cut();
  hl::failRenamesAfter(-1);
  EXPECT_EQ(m.list(PM::kPatches)->items().size(), 3u);
  EXPECT_EQ(tree().size(), 12u);
  // The dump written but the type file refused: still nothing removed.
  hl::failRenamesAfter(1);
  m.cut();
  hl::failRenamesAfter(-1);
  EXPECT_EQ(tree().size(), 12u);
}

TEST_F(PatchManager, CutCategoriesAndGroupsResetTheSelection) {
  PM& m = openManager();
  click(PM::kCategories, 1);
  hl::clearShownMessages();
  m.cut();
  EXPECT_EQ(messages(), std::vector<std::string>{"1 Category from Factory in clipboard."});
  EXPECT_EQ(m.list(PM::kCategories)->items(), std::vector<std::string>{"Basics"});
  click(PM::kGroups, 0);
  hl::clearShownMessages();
  m.cut();
  EXPECT_EQ(messages(), std::vector<std::string>{"1 Group in clipboard."});
  EXPECT_EQ(m.list(PM::kGroups)->items(), std::vector<std::string>{"Second"});
  EXPECT_EQ(m.list(PM::kGroups)->selection(), std::vector<int>{0});
  EXPECT_EQ(m.list(PM::kCategories)->items(), (std::vector<std::string>{"Other", "Spare"}));
}

// --- rename -------------------------------------------------------------------------------

TEST_F(PatchManager, RenameRefusesBlankNamesAndCapsLongOnes) {
  PM& m = openManager();
  click(PM::kPatches, 1);
  hl::clearShownMessages();
  for (const char* blank : {"", "   ", "\t \t"}) m.renameDone(PM::kPatches, blank);
  EXPECT_EQ(messages(), std::vector<std::string>(3, PM::kBlankName));
  EXPECT_EQ(m.list(PM::kPatches)->items()[1], "2: Singing Lead");
  m.renameDone(PM::kPatches, "  " + std::string(300, 'x') + "  ");
  EXPECT_EQ(m.list(PM::kPatches)->items()[1], "2: " + std::string(254, 'x'));
  click(PM::kCategories, 1);
  m.renameDone(PM::kCategories, "Leads");
  EXPECT_EQ(m.list(PM::kCategories)->items(), (std::vector<std::string>{"Basics", "Leads"}));
  click(PM::kGroups, 1);
  m.renameDone(PM::kGroups, "Live");
  EXPECT_EQ(m.list(PM::kGroups)->items(), (std::vector<std::string>{"Factory", "Live"}));
  press(PM::kOk);
  const std::vector<std::string> disk = treeOnDisk();
  EXPECT_EQ(disk[1], "Factory/Basics/" + std::string(254, 'x'));
  EXPECT_EQ(disk[3], "Factory/Leads/Round Bass 2");
  EXPECT_EQ(disk[6], "Live/Other/Round Bass 3");
}

TEST_F(PatchManager, RenameOpensThePromptWithTheNameAndTheTypedNameReachesTheDisk) {
  struct Case {
    int level;
    std::vector<int> groups, categories, patches;
    const char* prompt;
    const char* oldName;
    const char* typed;
    std::size_t diskRow;
    const char* onDisk;
  } cases[] = {
      {PM::kPatches, {0}, {0}, {1}, "Please Enter The New Patch Name:", "Singing Lead", "Sung Lead", 1,
       "Factory/Basics/Sung Lead"},
      {PM::kCategories, {0}, {1}, {}, "Please Enter The New Category Name:", "More", "Copies", 3,
       "Factory/Copies/Round Bass 2"},
      {PM::kGroups, {1}, {}, {}, "Please Enter The New Group Name:", "Second", "Live", 6, "Live/Other/Round Bass 3"},
  };
  for (const Case& c : cases) {
    PM& m = openManager();
    clickRows(PM::kGroups, c.groups);
    if (!c.categories.empty()) clickRows(PM::kCategories, c.categories);
    if (!c.patches.empty()) clickRows(PM::kPatches, c.patches);
    ASSERT_TRUE(m.button(PM::kRename)->isEnabled());
    press(PM::kRename);
    KVXRenameInternal* prompt = m.renamePrompt();
    ASSERT_EQ(m.getChildPopup(), prompt);
    EXPECT_EQ(prompt->promptLabel()->text(), c.prompt);
    EXPECT_EQ(prompt->editor()->text(), c.oldName);
    // A click into the field opens its native box with the name selected; typing replaces it.
    const GuiRect f = prompt->editor()->bounds();
    const platform::Point at{static_cast<int16_t>(f.x + f.w / 2), static_cast<int16_t>(f.y + f.h / 2)};
    driver().mouseDown(at);
    driver().mouseUp(at);
    ASSERT_TRUE(driver().typeText(c.typed));
    driver().key(platform::key::kEnter);
    EXPECT_EQ(m.getChildPopup(), nullptr) << "Enter closes the prompt";
    EXPECT_EQ(view().canvas()->modal(), &m) << "the manager stays open";
    press(PM::kOk);
    EXPECT_EQ(treeOnDisk()[c.diskRow], c.onDisk);
  }
  driver().paintAll();
}

TEST_F(PatchManager, APromptCancelledOrLeftBlankRenamesNothing) {
  PM& m = openManager();
  click(PM::kPatches, 2);
  press(PM::kRename);
  m.renamePrompt()->cancel();
  EXPECT_EQ(m.getChildPopup(), nullptr);
  EXPECT_EQ(m.list(PM::kPatches)->items()[2], "3: Slow Pad");
  press(PM::kRename);
  driver().paintAll();
  ASSERT_TRUE(driver().saveScreenshot(path("rename.png")));
  const GuiRect f = m.renamePrompt()->editor()->bounds();
  const platform::Point at{static_cast<int16_t>(f.x + 5), static_cast<int16_t>(f.y + 5)};
  driver().mouseDown(at);
  driver().mouseUp(at);
  ASSERT_TRUE(driver().typeText("   "));
  hl::clearShownMessages();
  driver().key(platform::key::kEnter);
  EXPECT_EQ(messages(), std::vector<std::string>{PM::kBlankName});
  EXPECT_EQ(m.list(PM::kPatches)->items()[2], "3: Slow Pad");
}

// --- up, down, OK and the disk ---------------------------------------------------------------

TEST_F(PatchManager, MovesThenOkKeepTheCurrentPatchAndReachTheDisk) {
  PM& m = openManager();
  click(PM::kPatches, 0);  // Round Bass is current
  clickRows(PM::kPatches, {1, 2});
  press(PM::kUp);
  EXPECT_EQ(m.list(PM::kPatches)->items(), (std::vector<std::string>{"2: Singing Lead", "3: Slow Pad", "1: Round Bass"}));
  EXPECT_EQ(m.list(PM::kPatches)->selection(), (std::vector<int>{0, 1}));
  click(PM::kGroups, 1);
  press(PM::kUp);
  EXPECT_EQ(m.list(PM::kGroups)->items(), (std::vector<std::string>{"Second", "Factory"}));
  press(PM::kOk);
  EXPECT_EQ(view().canvas()->modal(), nullptr);
  const std::vector<std::string> expected = {"Second/Other/Round Bass 3", "Second/Other/Singing Lead 3",
                                             "Second/Other/Slow Pad 3",   "Second/Spare/Round Bass 4",
                                             "Second/Spare/Singing Lead 4", "Second/Spare/Slow Pad 4",
                                             "Factory/Basics/Singing Lead", "Factory/Basics/Slow Pad",
                                             "Factory/Basics/Round Bass", "Factory/More/Round Bass 2",
                                             "Factory/More/Singing Lead 2", "Factory/More/Slow Pad 2"};
  EXPECT_EQ(tree(), expected);
  EXPECT_EQ(treeOnDisk(), expected);
  withLibrary([](PatchLibrary& lib) {
    EXPECT_EQ(lib.currentPatch() ? lib.currentPatch()->name : "", "Round Bass") << "OK keeps the patch that was current";
    return 0;
  });
}

TEST_F(PatchManager, OkAfterDeletingTheLoadedPatchKeepsSaveOffOtherPatches) {
  PM& m = openManager();
  click(PM::kPatches, 0);
  hl::scriptMessageAnswers({platform::MessageAnswer::Ok});
  m.deleteSelection();
  press(PM::kOk);
  const std::string before = readBytes("0/0/0.kvx");  // Singing Lead, now first
  view().saveButton();
  EXPECT_EQ(readBytes("0/0/0.kvx"), before) << "Save must not put the deleted sound over another patch";
  withLibrary([](PatchLibrary& lib) {
    EXPECT_EQ(lib.currentPatch()->name, "Singing Lead");
    EXPECT_NE(lib.lastChangeSource, 0);
    return 0;
  });
}

// --- every name keeps its sound -------------------------------------------------------------

// The loudness of a held key 60 over ten stretches of the current patch, as the plug-in plays it.
std::vector<double> renderCurrent(plugintest::Instance& instance, EditorInterface& editor) {
  instance.plugin().changePatch(kChangeLibraryPatch, false);
  float left[256], right[256];
  float* outs[] = {left, right};
  auto block = [&] { instance.effect()->processReplacing(instance.effect(), nullptr, outs, 256); };
  for (int i = 0; i < 60; ++i) block();  // the fade out and in
  editor.playNote(60, 64);
  std::vector<double> loudness;
  for (int stretch = 0; stretch < 10; ++stretch) {
    double sum = 0;
    for (int b = 0; b < 9; ++b) {
      block();
      for (int i = 0; i < 256; ++i) sum += left[i] * left[i] + right[i] * right[i];
    }
    loudness.push_back(std::sqrt(sum / (9 * 256 * 2)));
  }
  editor.playNote(60, 0);
  for (int i = 0; i < 200; ++i) block();
  return loudness;
}

double distance(const std::vector<double>& a, const std::vector<double>& b) {
  double d = 0;
  for (std::size_t i = 0; i < a.size(); ++i) d += std::abs(a[i] - b[i]);
  return d;
}

// Each named patch of group g, category c rendered.
std::map<std::string, std::vector<double>> renderCategory(plugintest::Instance& instance, EditorInterface& editor, int g,
                                                          int c) {
  std::map<std::string, std::vector<double>> out;
  int count = 0;
  {
    EditorInterface::PatchHold hold(editor);
    count = hold.library()->groups[static_cast<std::size_t>(g)]->categories[static_cast<std::size_t>(c)]->patchCount();
  }
  for (int p = 0; p < count; ++p) {
    std::string name;
    {
      EditorInterface::PatchHold hold(editor);
      PatchLibrary& lib = *hold.library();
      lib.selectGroup(g);
      lib.selectCategory(c);
      lib.selectPatch(p);
      name = lib.currentPatch()->name;
    }
    out[name] = renderCurrent(instance, editor);
  }
  return out;
}

TEST_F(PatchManager, MovedCutAndRenamedPatchesKeepTheirSoundsOnDisk) {
  const auto original = renderCategory(*instance, view().editor(), 0, 0);
  ASSERT_EQ(original.size(), 3u);
  for (const auto& [a, la] : original)
    for (const auto& [b, lb] : original)
      if (a != b) {
        ASSERT_GT(distance(la, lb), 1e-3) << a << " and " << b << " must sound apart";
      }

  PM& m = openManager();
  click(PM::kPatches, 2);
  m.moveUp();
  m.moveUp();  // Slow Pad, Round Bass, Singing Lead
  click(PM::kPatches, 1);
  m.renameDone(PM::kPatches, "Deep Bass");
  click(PM::kPatches, 2);
  m.cut();  // Singing Lead
  click(PM::kCategories, 1);
  m.paste();  // into More, after its copies
  click(PM::kGroups, 1);
  m.moveUp();  // Factory becomes group 1
  m.ok();

  stop();
  start();  // a new plug-in reads the library from disk
  const auto basics = renderCategory(*instance, view().editor(), 1, 0);
  const auto more = renderCategory(*instance, view().editor(), 1, 1);
  EXPECT_EQ(treeOnDisk()[6], "Factory/Basics/Slow Pad");
  EXPECT_EQ(treeOnDisk()[7], "Factory/Basics/Deep Bass");
  const std::pair<std::vector<double>, std::string> takes[] = {
      {basics.at("Slow Pad"), "Slow Pad"}, {basics.at("Deep Bass"), "Round Bass"}, {more.at("Singing Lead"), "Singing Lead"}};
  for (const auto& [take, own] : takes) {
    std::string nearest;
    double best = 1e9;
    for (const auto& [name, reference] : original)
      if (distance(take, reference) < best) best = distance(take, reference), nearest = name;
    EXPECT_EQ(nearest, own);
  }
}

// --- archives -----------------------------------------------------------------------------

TEST_F(PatchManager, ExportThenImportRoundTripsAGroupThroughTheFileDialogs) {
  PM& m = openManager();
  click(PM::kGroups, 1);
  const std::string chosen = path("set");
  hl::queueFileAnswer(chosen);
  hl::clearShownMessages();
  press(PM::kExport);
  ASSERT_TRUE(exists("set.kvx"));
  EXPECT_EQ(messages(), std::vector<std::string>{"1 Group exported."});
  const auto shown = hl::shownFileDialogs();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].save);
  EXPECT_EQ(shown[0].options.title, "Save Export As");
  EXPECT_EQ(shown[0].options.filterName, "Quorvane Files");
  EXPECT_EQ(shown[0].options.filterPattern, "*.kvx");
  EXPECT_EQ(shown[0].options.initialName, "Untitled");

  // A cancelled dialog does nothing.
  press(PM::kImport);
  EXPECT_EQ(tree().size(), 12u);

  hl::queueFileAnswer(path("set.kvx"));
  hl::clearShownMessages();
  press(PM::kImport);
  EXPECT_EQ(messages(), std::vector<std::string>{"1 Group imported"});
  EXPECT_EQ(m.list(PM::kGroups)->items(), (std::vector<std::string>{"Factory", "Second", "Second 1"}));
  press(PM::kOk);
  const std::vector<std::string> disk = treeOnDisk();
  ASSERT_EQ(disk.size(), 18u);
  for (std::size_t i = 0; i < 6; ++i) {
    std::string copy = disk[12 + i];
    copy.replace(0, std::string("Second 1").size(), "Second");
    EXPECT_EQ(copy, disk[6 + i]);
  }
  withLibrary([](PatchLibrary& lib) {
    EXPECT_EQ(lib.groups[2]->categories[1]->patches[2]->writeText(), lib.groups[1]->categories[1]->patches[2]->writeText());
    return 0;
  });
}

// --- a disk that fails during OK ------------------------------------------------------------

TEST_F(PatchManager, AWriteFailingDuringOkLosesNoPatchAndSaysSo) {
  std::map<std::string, std::string> before;
  withLibrary([&](PatchLibrary& lib) {
    for (const auto& g : lib.groups)
      for (const auto& c : g->categories)
        for (const auto& p : c->patches) before[p->name] = p->writeText();
    return 0;
  });
  PM& m = openManager();
  click(PM::kGroups, 1);
  press(PM::kUp);  // every patch of both groups is written under a new number
  hl::failRenamesAfter(3);
  hl::clearShownMessages();
  press(PM::kOk);
  hl::failRenamesAfter(-1);
  const std::vector<std::string> shown = messages();
  ASSERT_FALSE(shown.empty());
  EXPECT_NE(shown.back().find("could not be written completely"), std::string::npos) << shown.back();
  EXPECT_NE(shown.back().find(PM::kRescueFile), std::string::npos);
  (void)m;

  // Whatever the half-written folders hold, the rescue archive brings every patch back.
  stop();
  PatchLibrary fresh(folder_.string() + "/", '/');
  hl::clearShownMessages();
  fresh.importDump(path(PM::kRescueFile), true);
  std::map<std::string, std::string> found;
  for (const auto& g : fresh.groups)
    for (const auto& c : g->categories)
      for (const auto& p : c->patches) found[p->name] = p->writeText();
  for (const auto& [name, text] : before) {
    ASSERT_TRUE(found.count(name)) << name;
    EXPECT_EQ(found[name], text) << name;
  }
}

TEST_F(PatchManager, ADiskThatRefusesTheRescueIsLeftUntouched) {
  const std::string list = readBytes("groupList");
  const std::string first = readBytes("0/0/0.kvx");
  PM& m = openManager();
  click(PM::kGroups, 1);
  m.moveUp();
  hl::failRenamesAfter(0);
  hl::clearShownMessages();
  m.ok();
  hl::failRenamesAfter(-1);
  ASSERT_FALSE(messages().empty());
  EXPECT_NE(messages().back().find("on disk is unchanged"), std::string::npos) << messages().back();
  EXPECT_EQ(readBytes("groupList"), list);
  EXPECT_EQ(readBytes("0/0/0.kvx"), first);
}

// --- program changes while open -----------------------------------------------------------

TEST_F(PatchManager, ProgramChangesWaitWhileTheManagerIsOpen) {
  // Slot 5 of group 0 plays Slow Pad, of group 1 Slow Pad 4.
  withLibrary([](PatchLibrary& lib) {
    lib.groups[0]->categories[0]->patches[2]->programSlot = 5;
    lib.groups[1]->categories[1]->patches[2]->programSlot = 5;
    for (auto& g : lib.groups) g->rebuildProgramMap();
    lib.publishProgramMaps();
    return 0;
  });
  float left[256], right[256];
  float* outs[] = {left, right};
  auto block = [&] { instance->effect()->processReplacing(instance->effect(), nullptr, outs, 256); };
  block();
  PM& m = openManager();
  plugintest::sendMidi(instance->effect(), {{0xC0, 5, 0}});
  for (int i = 0; i < 40; ++i) {
    block();
    idle();
  }
  withLibrary([](PatchLibrary& lib) {
    EXPECT_EQ(lib.currentPatch()->name, "Round Bass") << "the library does not change under the dialog";
    return 0;
  });
  EXPECT_EQ(m.list(PM::kPatches)->selection(), std::vector<int>{0});
  m.cancel();
  for (int i = 0; i < 40; ++i) {
    block();
    idle();
  }
  withLibrary([](PatchLibrary& lib) {
    EXPECT_EQ(lib.currentPatch()->name, "Slow Pad") << "the held change plays once the dialog is closed";
    return 0;
  });

  // A bank select and a program change, both held and played in their order.
  openManager();
  plugintest::sendMidi(instance->effect(), {{0xB0, 0, 1}, {0xC0, 5, 0}});
  for (int i = 0; i < 40; ++i) {
    block();
    idle();
  }
  EXPECT_EQ(withLibrary([](PatchLibrary& lib) { return lib.currentGroupIndex(); }), 0);
  manager().ok();
  for (int i = 0; i < 40; ++i) {
    block();
    idle();
  }
  withLibrary([](PatchLibrary& lib) {
    EXPECT_EQ(lib.currentGroupIndex(), 1);
    EXPECT_EQ(lib.currentPatch()->name, "Slow Pad 4");
    return 0;
  });
}

TEST_F(PatchManager, ClosingTheEditorOverTheDialogDropsItsEditsAndLiftsTheHold) {
  PM& m = openManager();
  clickRows(PM::kPatches, {0, 1});
  m.cut();
  instance->dispatch(effEditClose);
  EXPECT_FALSE(plugin().programChangeHold().holding());
  EXPECT_EQ(tree(), treeOnDisk());
  EXPECT_EQ(treeOnDisk().size(), 12u);
  withLibrary([](PatchLibrary& lib) {
    EXPECT_EQ(lib.groups[0]->categories[0]->patchCount(), 3) << "the cut is read back, not kept half-done";
    return 0;
  });
  ASSERT_EQ(instance->dispatch(effEditOpen, 0, 0, host->parentHandle()), 1);
}

TEST_F(PatchManager, EnterIsOkAndEscapeIsCancel) {
  PM& m = openManager();
  click(PM::kPatches, 2);
  m.moveUp();
  EXPECT_EQ(m.keyDown(27, 0), 0);
  EXPECT_EQ(view().canvas()->modal(), nullptr);
  EXPECT_EQ(tree(), treeOnDisk());
  EXPECT_EQ(tree()[2], "Factory/Basics/Slow Pad") << "Escape dropped the move";
  openManager();
  click(PM::kPatches, 2);
  manager().moveUp();
  EXPECT_EQ(manager().keyDown(13, 0), 0);
  EXPECT_EQ(treeOnDisk()[1], "Factory/Basics/Slow Pad");
  EXPECT_EQ(openManager().keyDown('a', 0), 2);
}

}  // namespace
