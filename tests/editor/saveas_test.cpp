// The save-as dialog and its two name prompts, driven as a user drives them: the panel's
// Save and Save As buttons, clicks into the fields (the native edit boxes), typed text, the
// menus and the buttons of the dialog. Each test has its own data folder with the shipped
// library; what was saved is checked in memory, on disk and by ear after a reload.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "editor/kvxsaveas.h"
#include "editor/panel_geometry.h"
#include "editor/quorvane_vstview.h"
#include "editor/quorvane_window.h"
#include "gui/cauguibutton.h"
#include "gui/cauguicanvas.h"
#include "gui/cauguipane.h"
#include "library/patch_library.h"
#include "platform/headless.h"
#include "platform/headless_gui.h"
#include "platform/host_frame.h"
#include "tests/plugin/data_folder_fixture.h"
#include "tests/plugin/plugin_object_test_util.h"
#include "tests/plugin/plugin_patch_test_util.h"
#include "tests/plugin/send_midi.h"

namespace {

namespace hl = platform::headless;
using platform::MessageAnswer;

// ---- the decisions, apart from any dialog ----

TEST(SaveAsDecision, TheNumberFieldAsAProgramSlot) {
  const struct {
    const char* text;
    int32_t slot;
  } cases[] = {{"", -1}, {"1", 0}, {"6", 5}, {"128", 127}, {"129", -1}, {"0", -1}, {"99999999999999999999", -1}};
  for (const auto& c : cases) EXPECT_EQ(programSlotFromText(c.text), c.slot) << '"' << c.text << '"';
}

TEST(SaveAsDecision, Table) {
  using O = SlotOccupant;
  const struct {
    bool library, sameName, samePlace;
    int32_t slot, oldSlot;
    O occupant;
    bool replace;
    // expected
    bool update, asks;
    int32_t slotAfter;
    bool clearOccupant;
  } cases[] = {
      // Same name, same place, the library patch the engine holds: in place.
      {true, true, true, -1, 3, O::None, true, true, false, -1, false},
      {true, true, true, 5, 5, O::EditedPatch, true, true, false, 5, false},
      {true, true, true, 7, 5, O::None, true, true, false, 7, false},
      // Another patch holds the number: asked; OK takes it over, Cancel keeps the old slot.
      {true, true, true, 7, 5, O::OtherPatch, true, true, true, 7, true},
      {true, true, true, 7, 5, O::OtherPatch, false, true, true, 5, false},
      // Another name, or another category: a new patch, and then even the edited patch's
      // number belongs to another patch.
      {true, false, true, 5, 5, O::EditedPatch, true, false, true, 5, true},
      {true, false, true, 5, 5, O::EditedPatch, false, false, true, -1, false},
      {true, true, false, -1, 5, O::None, true, false, false, -1, false},
      {true, true, false, 9, 5, O::None, true, false, false, 9, false},
      // After a chunk load or a reset (or with no patch in the category) nothing in the
      // library is the patch being edited: always a new patch.
      {false, true, true, -1, -1, O::None, true, false, false, -1, false},
      {false, true, true, 2, -1, O::OtherPatch, false, false, true, -1, false},
  };
  for (const auto& c : cases) {
    SaveAsFacts f;
    f.editingLibraryPatch = c.library;
    f.sameName = c.sameName;
    f.samePlace = c.samePlace;
    f.slot = c.slot;
    f.oldSlot = c.oldSlot;
    f.occupant = c.occupant;
    const SaveAsDecision d = decideSaveAs(f, c.replace);
    const std::string what = "library " + std::to_string(c.library) + " name " + std::to_string(c.sameName) +
                             " place " + std::to_string(c.samePlace) + " slot " + std::to_string(c.slot) +
                             " replace " + std::to_string(c.replace);
    EXPECT_EQ(d.updateInPlace, c.update) << what;
    EXPECT_EQ(d.asksToReplace, c.asks) << what;
    EXPECT_EQ(d.slot, c.slotAfter) << what;
    EXPECT_EQ(d.clearOccupant, c.clearOccupant) << what;
  }
}

TEST(SaveAsDecision, TheQuestionNamesTheOccupantAndTheNumberAsTyped) {
  EXPECT_EQ(KVXSaveAsInternal::replaceQuestion("Fat Bass", "12"),
            "Patch 'Fat Bass' already occupies MIDI Patch Number 12.  Do you want to replace it with this patch?");
}

// ---- the dialog on the panel ----

ParameterEditor* makeWindow(Quorvane_VSTEdit& plugin) { return new Quorvane_Window(plugin, Quorvane_Window::kEffectClass); }

GuiPoint centre(const CAUGuiCtrl* c) {
  const GuiRect b = c->bounds();
  return {static_cast<int16_t>(b.x + b.w / 2), static_cast<int16_t>(b.y + b.h / 2)};
}

// Where a patch of the library stands.
struct Place {
  int group = -1, category = -1, patch = -1;
};

class SaveAs : public DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    hl::clearShownMessages();
    hl::clearShown();
    start();
  }
  void TearDown() override {
    stop();
    host.reset();
  }

  void start() {
    instance = std::make_unique<plugintest::Instance>(kEffectIdentity, makeWindow);
    ASSERT_EQ(instance->dispatch(effEditOpen, 0, 0, host->parentHandle()), 1);
    idle();
  }
  void stop() {
    if (!instance) return;
    instance->dispatch(effEditClose);
    instance.reset();
  }
  // A new plug-in reading the library from disk.
  void restart() {
    stop();
    start();
  }

  Quorvane_VSTEdit& plugin() const { return instance->plugin(); }
  Quorvane_VSTView& view() const { return *static_cast<Quorvane_Window*>(plugin().getEditor())->view(); }
  CAUGuiCanvas& canvas() const { return *view().canvas(); }
  KVXSaveAsInternal& dialog() const { return *view().saveAsDialog(); }
  hl::WindowDriver& window() const { return hl::driver(*static_cast<Quorvane_Window*>(plugin().getEditor())->window()); }
  PatchLibrary& library() const { return *plugin().library(); }
  void idle() const { instance->dispatch(effEditIdle); }

  void click(GuiPoint p) const {
    window().mouseDown({p.x, p.y});
    window().mouseUp({p.x, p.y});
    idle();
  }
  void click(const CAUGuiCtrl* c) const { click(centre(c)); }
  // The panel's buttons.
  void clickPanel(const char* what) const {
    const panel::Rect r = panel::findFixed(what)->rect;
    click(GuiPoint{static_cast<int16_t>(r.x + r.w / 2), static_cast<int16_t>(r.y + r.h / 2)});
  }
  void clickSave() const { clickPanel("save button"); }
  void clickSaveAs() const { clickPanel("save as button"); }
  // A click into the field opens its native box with the text selected; typing replaces it.
  void type(KVXTextEditor* field, const std::string& text) const {
    click(field);
    ASSERT_TRUE(field->hasNativeBox());
    if (text.empty()) {
      window().key(8);  // backspace empties the selection
    } else {
      ASSERT_TRUE(window().typeText(text));
    }
  }
  std::vector<std::string> messages() const {
    std::vector<std::string> texts;
    for (const auto& m : hl::shownMessages()) texts.push_back(m.text);
    return texts;
  }

  // Loads the library patch at the place, as a patch menu does.
  void load(const Place& at) {
    {
      Quorvane_VST::PatchHold hold(plugin());
      library().selectGroup(at.group);
      library().selectCategory(at.category);
      library().selectPatch(at.patch);
    }
    plugin().changePatch(kChangeLibraryPatch, false);
    idle();
  }
  Place find(const std::string& name) const {
    Quorvane_VST::PatchHold hold(plugin());
    const PatchLibrary& l = library();
    for (std::size_t g = 0; g < l.groups.size(); ++g)
      for (std::size_t c = 0; c < l.groups[g]->categories.size(); ++c) {
        const auto& patches = l.groups[g]->categories[c]->patches;
        for (std::size_t p = 0; p < patches.size(); ++p)
          if (patches[p]->name == name) return {int(g), int(c), int(p)};
      }
    return {};
  }
  int patchCount() const {
    Quorvane_VST::PatchHold hold(plugin());
    int n = 0;
    for (const auto& g : library().groups)
      for (const auto& c : g->categories) n += c->patchCount();
    return n;
  }
  Patch& patchAt(const Place& at) const {
    return *library().groups[at.group]->categories[at.category]->patches[at.patch];
  }
  std::string fileOf(const Place& at) const {
    return std::to_string(at.group) + "/" + std::to_string(at.category) + "/" + std::to_string(at.patch) + ".kvx";
  }
  std::string listOf(const Place& at) const {
    return std::to_string(at.group) + "/" + std::to_string(at.category) + "/patchList";
  }

  // One second of a held middle C.
  std::vector<float> render() {
    std::vector<float> left(512), right(512), out;
    float* outputs[] = {left.data(), right.data()};
    plugintest::sendMidi(instance->effect(), {{0x90, 60, 100}});
    for (int b = 0; b < 86; ++b) {
      instance->effect()->processReplacing(instance->effect(), nullptr, outputs, 512);
      out.insert(out.end(), left.begin(), left.end());
    }
    plugintest::sendMidi(instance->effect(), {{0x80, 60, 0}});
    instance->effect()->processReplacing(instance->effect(), nullptr, outputs, 512);
    return out;
  }
  static double rms(const std::vector<float>& s) {
    double sum = 0;
    for (float v : s) sum += double(v) * v;
    return std::sqrt(sum / double(s.size()));
  }

  std::unique_ptr<platform::HostFrame> host = platform::HostFrame::create("host", 1010, 623, {0, 0});
  std::unique_ptr<plugintest::Instance> instance;
};

TEST_F(SaveAs, SaveAsButtonOpensTheDialogFilledFromTheCurrentPatch) {
  const Place first{0, 0, 0};
  load(first);
  {
    Quorvane_VST::PatchHold hold(plugin());
    Patch& p = patchAt(first);
    p.author = "Halvorsk Sound Lab";
    p.date = "2026-12-11";
    p.programSlot = 11;
    p.showNotes = 1;
  }
  clickSaveAs();
  ASSERT_EQ(canvas().modal(), &dialog());
  EXPECT_EQ(view().pane()->activeChild(), &dialog());
  EXPECT_EQ(dialog().nameEditor()->text(), patchAt(first).name);
  EXPECT_EQ(dialog().authorEditor()->text(), "Halvorsk Sound Lab");
  EXPECT_EQ(dialog().dateEditor()->text(), "2026-12-11");
  EXPECT_EQ(dialog().numberEditor()->text(), "12") << "slot 11 shows as 12";
  EXPECT_EQ(dialog().showNotesBox()->position(), 1);
  EXPECT_EQ(dialog().groupMenu()->selected(), 0);
  EXPECT_EQ(dialog().categoryMenu()->selected(), 0);
  EXPECT_FALSE(dialog().groupMenu()->strings().empty());
  // A second press of Save As while it is up changes nothing.
  clickSaveAs();
  EXPECT_EQ(canvas().modal(), &dialog());
  // That click outside took the keyboard focus away; a click on the dialog brings it back.
  click(GuiPoint{static_cast<int16_t>(dialog().bounds().x + 10), static_cast<int16_t>(dialog().bounds().y + 10)});
  window().key(platform::key::kEscape);
  idle();
  EXPECT_EQ(canvas().modal(), nullptr);
  EXPECT_EQ(view().pane()->activeChild(), nullptr);
}

TEST_F(SaveAs, ANewNameAddsAPatchThatHoldsItsSoundAfterAReload) {
  const Place first{0, 0, 0};
  load(first);
  // The sound changed on the panel: the master volume far lower than the patch's.
  plugin().setParameterReal(kParamMasterVolume, 0.2f);
  const std::vector<float> played = render();
  const int patchesBefore = patchCount();
  const std::string originalFile = readBytes(fileOf(first));

  clickSaveAs();
  type(dialog().nameEditor(), "Quiet Copy");
  type(dialog().numberEditor(), "");
  click(dialog().okButton());
  EXPECT_EQ(canvas().modal(), nullptr) << "OK closes the dialog";
  EXPECT_TRUE(messages().empty());

  const Place copy = find("Quiet Copy");
  ASSERT_EQ(copy.group, 0);
  EXPECT_EQ(copy.category, 0);
  EXPECT_EQ(patchCount(), patchesBefore + 1);
  {
    Quorvane_VST::PatchHold hold(plugin());
    EXPECT_EQ(library().currentPatch(), &patchAt(copy)) << "the new patch is current";
    EXPECT_EQ(library().lastChangeSource, kChangeLibraryPatch);
  }
  EXPECT_TRUE(readBytes(fileOf(first)) == originalFile) << "the patch it came from is untouched";
  EXPECT_NE(readBytes(listOf(copy)).find("Quiet Copy"), std::string::npos);

  restart();
  const Place reloaded = find("Quiet Copy");
  ASSERT_EQ(reloaded.patch, copy.patch) << "the library on disk holds the new patch";
  load(first);
  const std::vector<float> untouched = render();
  restart();
  load(reloaded);
  const std::vector<float> heard = render();
  ASSERT_GT(rms(played), 1e-4) << "the patch plays";
  EXPECT_NEAR(rms(heard) / rms(played), 1.0, 0.01) << "the saved patch sounds as it played when saved";
  EXPECT_LT(rms(heard) / rms(untouched), 0.6) << "and not as the patch it came from";
}

TEST_F(SaveAs, SameNameSamePlaceUpdatesThePatchInPlace) {
  const Place first{0, 0, 0};
  load(first);
  const std::string name = patchAt(first).name;
  const int patchesBefore = patchCount();
  plugin().setParameterReal(kParamMasterVolume, 0.25f);
  clickSaveAs();
  type(dialog().authorEditor(), "Someone Else");
  window().key(platform::key::kEnter);  // Enter in a field is OK
  idle();
  EXPECT_EQ(canvas().modal(), nullptr);
  EXPECT_EQ(patchCount(), patchesBefore);
  const std::string file = readBytes(fileOf(first));
  EXPECT_NE(file.find("Someone Else"), std::string::npos);
  restart();
  EXPECT_EQ(patchAt(first).name, name);
  EXPECT_EQ(patchAt(first).author, "Someone Else");
}

TEST_F(SaveAs, AfterAChunkLoadOrAResetNoLibraryPatchIsOverwritten) {
  const Place first{0, 0, 0};
  load(first);
  const std::string name = patchAt(first).name;
  const std::string originalFile = readBytes(fileOf(first));
  for (const char* how : {"chunk", "reset"}) {
    SCOPED_TRACE(how);
    hl::clearShownMessages();
    if (std::string(how) == "chunk") {
      // The host restores a session saved with the same patch, then changed on the panel.
      plugin().setParameterReal(kParamMasterVolume, 0.3f);
      const std::string chunk = plugintest::chunkText(plugin());
      load(first);
      plugintest::loadChunk(plugin(), chunk);
    } else {
      clickPanel("reset button");
    }
    idle();
    const int patchesBefore = patchCount();
    // Save opens Save As: the engine does not hold the current library patch.
    clickSave();
    ASSERT_EQ(canvas().modal(), &dialog());
    // The session patch carries the library patch's name; the same name and place save it
    // as a new patch beside it.
    type(dialog().nameEditor(), name);
    type(dialog().numberEditor(), "");
    click(dialog().okButton());
    EXPECT_EQ(canvas().modal(), nullptr);
    EXPECT_EQ(patchCount(), patchesBefore + 1);
    EXPECT_TRUE(readBytes(fileOf(first)) == originalFile) << "the library patch is untouched";
    load(first);
  }
}

TEST_F(SaveAs, ATakenNumberAsksAndReplaceClearsTheOldOccupantsSlot) {
  // The shipped library numbers its patches: program 5 belongs to a patch of group 0.
  const Place first{0, 0, 0};
  load(first);
  std::string occupant;
  {
    Quorvane_VST::PatchHold hold(plugin());
    ASSERT_NE(library().programMapEntry(4), nullptr);
    occupant = library().programMapEntry(4)->name;
  }
  const Place second = find(occupant);
  for (MessageAnswer answer : {MessageAnswer::Cancel, MessageAnswer::Ok}) {
    const std::string name = answer == MessageAnswer::Ok ? "Takes Five" : "Leaves Five";
    SCOPED_TRACE(name);
    hl::clearShownMessages();
    hl::scriptMessageAnswers({answer});
    clickSaveAs();
    type(dialog().nameEditor(), name);
    type(dialog().numberEditor(), "5");
    click(dialog().okButton());
    ASSERT_EQ(messages(), std::vector<std::string>{KVXSaveAsInternal::replaceQuestion(occupant, "5")});
    EXPECT_EQ(hl::shownMessages()[0].buttons, platform::MessageButtons::OkCancel);
    const Place added = find(name);
    ASSERT_GE(added.patch, 0);
    Quorvane_VST::PatchHold hold(plugin());
    if (answer == MessageAnswer::Cancel) {
      EXPECT_EQ(patchAt(added).programSlot, -1) << "a new patch without the number";
      EXPECT_EQ(library().programMapEntry(4), &patchAt(second));
    } else {
      EXPECT_EQ(patchAt(added).programSlot, 4);
      EXPECT_EQ(library().programMapEntry(4), &patchAt(added));
      EXPECT_EQ(patchAt(second).programSlot, -1) << "the old occupant gave the slot up";
      EXPECT_EQ(library().groups[second.group]->categories[second.category]->labels[second.patch], occupant)
          << "its label lost the number";
      EXPECT_EQ(library().groups[0]->categories[0]->labels[added.patch], "5: " + name);
    }
  }
  restart();
  const Place taker = find("Takes Five");
  Quorvane_VST::PatchHold hold(plugin());
  EXPECT_EQ(patchAt(second).programSlot, -1) << "the occupant's file was written without the slot";
  EXPECT_EQ(library().programMapEntry(4), &patchAt(taker));
}

TEST_F(SaveAs, AFailedAddStopsWithAMessageAndLeavesTheDialogOpen) {
  const Place first{0, 0, 0};
  load(first);
  const int patchesBefore = patchCount();
  // The category's list cannot be written: a folder stands where the file goes.
  const std::string list = path(listOf(first));
  std::filesystem::remove(list);
  std::filesystem::create_directories(list);
  clickSaveAs();
  type(dialog().nameEditor(), "Nowhere");
  type(dialog().numberEditor(), "");
  click(dialog().okButton());
  EXPECT_EQ(messages(), std::vector<std::string>{KVXSaveAsInternal::kPatchNotAddedMessage});
  EXPECT_EQ(canvas().modal(), &dialog()) << "the dialog stays open";
  EXPECT_EQ(patchCount(), patchesBefore);
  EXPECT_EQ(find("Nowhere").patch, -1);

  hl::clearShownMessages();
  type(dialog().nameEditor(), "   ");
  click(dialog().okButton());
  EXPECT_EQ(messages(), std::vector<std::string>{KVXSaveAsInternal::kBlankPatchMessage});
  EXPECT_EQ(canvas().modal(), &dialog());
  click(dialog().cancelButton());
  EXPECT_EQ(canvas().modal(), nullptr);
}

TEST_F(SaveAs, ALockedPatchIsNotUpdatedInPlace) {
  const Place first{0, 0, 0};
  load(first);
  plugin().lockPatch();
  const std::string file = readBytes(fileOf(first));
  plugin().setParameterReal(kParamMasterVolume, 0.2f);
  clickSave();
  EXPECT_EQ(messages(), std::vector<std::string>{kLockedPatchMessage});
  EXPECT_EQ(canvas().modal(), nullptr);
  hl::clearShownMessages();
  clickSaveAs();
  click(dialog().okButton());
  EXPECT_EQ(messages(), std::vector<std::string>{kLockedPatchMessage});
  EXPECT_EQ(canvas().modal(), &dialog());
  EXPECT_TRUE(readBytes(fileOf(first)) == file);
}

TEST_F(SaveAs, MenusFollowTheLibraryAndCancelRestoresTheSelection) {
  const Place first{0, 0, 0};
  load(first);
  clickSaveAs();
  ASSERT_GE(dialog().groupMenu()->strings().size(), 2u);
  // A dismissed menu keeps the group.
  window().queueMenuAnswer(0);
  click(dialog().groupMenu());
  EXPECT_EQ(dialog().groupMenu()->selected(), 0);
  {
    Quorvane_VST::PatchHold hold(plugin());
    EXPECT_EQ(library().currentGroupIndex(), 0);
  }
  // Choosing the second group selects it in the library and refills the categories.
  window().queueMenuAnswer(2);
  click(dialog().groupMenu());
  {
    Quorvane_VST::PatchHold hold(plugin());
    EXPECT_EQ(library().currentGroupIndex(), 1);
    EXPECT_EQ(dialog().categoryMenu()->strings(), library().getCategoryNames());
  }
  click(dialog().cancelButton());
  Quorvane_VST::PatchHold hold(plugin());
  EXPECT_EQ(library().currentGroupIndex(), 0);
  EXPECT_EQ(library().currentCategoryIndex(), 0);
  EXPECT_EQ(library().currentPatchIndex(), 0);
}

TEST_F(SaveAs, ChangingOnlyTheCategoryAddsACopyThere) {
  const Place first{0, 0, 0};
  load(first);
  const std::string name = patchAt(first).name;
  clickSaveAs();
  click(dialog().newCategoryButton());
  ASSERT_EQ(dialog().getChildPopup(), dialog().newCategoryPopup());
  EXPECT_EQ(dialog().newCategoryPopup()->promptLabel()->text(), "Please Enter The New Category Name:");
  type(dialog().newCategoryPopup()->editor(), "Copies");
  click(dialog().newCategoryPopup()->okButton());
  EXPECT_EQ(dialog().getChildPopup(), nullptr);
  EXPECT_EQ(dialog().categoryMenu()->strings().back(), "Copies");
  EXPECT_EQ(dialog().categoryMenu()->selected(), int(dialog().categoryMenu()->strings().size()) - 1);
  click(dialog().okButton());
  const Place copy = find(name);
  EXPECT_EQ(copy.group, 0);
  EXPECT_EQ(copy.category, 0) << "the original stays first";
  Quorvane_VST::PatchHold hold(plugin());
  const PatchCategory& copies = *library().groups[0]->categories.back();
  ASSERT_EQ(copies.patchCount(), 1);
  EXPECT_EQ(copies.patches[0]->name, name);
  EXPECT_EQ(library().currentPatch(), copies.patches[0].get());
}

TEST_F(SaveAs, NewCategoryAndNewGroupRefuseBlankAndExistingNames) {
  load({0, 0, 0});
  clickSaveAs();
  std::string existingCategory;
  {
    Quorvane_VST::PatchHold hold(plugin());
    existingCategory = library().getCategoryNames()[0];
  }
  const struct {
    const char* name;
    const char* message;
  } categories[] = {{"  ", KVXSaveAsInternal::kBlankCategoryMessage}};
  for (const auto& c : categories) {
    hl::clearShownMessages();
    click(dialog().newCategoryButton());
    type(dialog().newCategoryPopup()->editor(), c.name);
    window().key(platform::key::kEnter);
    idle();
    EXPECT_EQ(messages(), std::vector<std::string>{c.message}) << '"' << c.name << '"';
  }
  hl::clearShownMessages();
  click(dialog().newCategoryButton());
  type(dialog().newCategoryPopup()->editor(), existingCategory);
  click(dialog().newCategoryPopup()->okButton());
  EXPECT_EQ(messages(), std::vector<std::string>{KVXSaveAsInternal::kCategoryExistsMessage});

  // New group: Tab alternates between the fields; a blank category name is refused.
  hl::clearShownMessages();
  click(dialog().newGroupButton());
  KVXNewGroupInternal& group = *dialog().newGroupPopup();
  ASSERT_EQ(dialog().getChildPopup(), &group);
  type(group.groupEditor(), "Mine");
  window().key(platform::key::kTab);
  EXPECT_TRUE(group.categoryEditor()->hasNativeBox());
  window().key(platform::key::kTab);
  EXPECT_TRUE(group.groupEditor()->hasNativeBox());
  click(group.okButton());
  EXPECT_EQ(messages(), std::vector<std::string>{KVXSaveAsInternal::kBlankGroupMessage});
  // Escape closes it without a word.
  hl::clearShownMessages();
  click(dialog().newGroupButton());
  window().key(platform::key::kEscape);
  idle();
  EXPECT_EQ(dialog().getChildPopup(), nullptr);
  EXPECT_TRUE(messages().empty());
  // A new group with its first category is made, selected and shown.
  click(dialog().newGroupButton());
  type(group.groupEditor(), "Mine");
  window().key(platform::key::kTab);
  ASSERT_TRUE(window().typeText("Firsts"));
  click(group.okButton());
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(dialog().groupMenu()->strings().back(), "Mine");
  EXPECT_EQ(dialog().categoryMenu()->strings(), std::vector<std::string>{"Firsts"});
  // Cancel keeps the group in the library; the selection comes back.
  click(dialog().cancelButton());
  Quorvane_VST::PatchHold hold(plugin());
  EXPECT_EQ(library().getGroupNames().back(), "Mine");
  EXPECT_EQ(library().currentGroupIndex(), 0);
}

}  // namespace
