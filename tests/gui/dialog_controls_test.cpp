// The dialogs' generic controls: the pop-up base, the text field over the native edit box,
// the text list and its scroll bar, the string menu, the notes area and the range control.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/kvxinternalpopup.h"
#include "gui/kvxlists.h"
#include "gui/kvxnotes.h"
#include "gui/kvxtext.h"
#include "platform/headless.h"
#include "platform/headless_gui.h"
#include "tests/gui/canvas_fixture.h"
#include "tests/gui/controls_fixture.h"

namespace {

// ---- validation ----

TEST(TextValidation, Rules) {
  const TextRules numeric = TextRules::digits(1, 16);
  TextRules three;
  three.maxLength = 3;
  TextRules printable;
  printable.lowestChar = ' ';
  printable.highestChar = '~';
  printable.charCheck = 1;
  struct {
    const TextRules& rules;
    const char* text;
    bool valid;
  } cases[] = {
      {numeric, "", true},    // empty is always valid, though 0 is out of range
      {numeric, "1", true},   {numeric, "16", true}, {numeric, "17", false}, {numeric, "0", false},
      {numeric, "1a", false}, {numeric, "99999999999999999999", false},
      {three, "abc", true},   {three, "abcd", false},
      {printable, "Hello, world~", true}, {printable, "tab\there", false}, {printable, "caf\xc3\xa9", false},
      {TextRules{}, "anything \x7f at all", true},
  };
  for (const auto& c : cases) EXPECT_EQ(validateText(c.rules, c.text), c.valid) << '"' << c.text << '"';
}

// ---- the text field on a window ----

struct RecordingHandler : KVXTextEditHandler {
  std::vector<std::string> heard;
  void onEnter(KVXTextEditor*) override { heard.push_back("enter"); }
  void onTab(KVXTextEditor*, bool shift) override { heard.push_back(shift ? "shift-tab" : "tab"); }
  void onEscape(KVXTextEditor*) override { heard.push_back("escape"); }
};

struct Fields : ::testing::Test {
  CanvasFixture f;
  RecordingHandler handler;
  KVXTextEditor* field = nullptr;
  DragControl* other = nullptr;

  void SetUp() override {
    field = new KVXTextEditor(f.canvas.get(), {20, 20, 120, 20}, 7, &handler);
    f.pane->addChild(field);
    other = f.add(1, 20, 60, 1);
    platform::headless::clearBeeps();
  }
  void numeric() { field->rules = TextRules::digits(1, 16); }
  std::string boxText() {
    std::string s;
    EXPECT_TRUE(f.driver().focusedEditText(s));
    return s;
  }
};

TEST_F(Fields, ANumericFieldRefusesSeventeenWithABeep) {
  numeric();
  f.canvas->setFocus(field);
  ASSERT_TRUE(field->hasNativeBox());
  EXPECT_EQ(platform::headless::openEditBoxCount(), 1);
  f.driver().typeText("1");
  EXPECT_EQ(platform::headless::beepCount(), 0);
  f.driver().typeText("7");
  EXPECT_EQ(platform::headless::beepCount(), 1);
  EXPECT_EQ(boxText(), "1");
  EXPECT_EQ(field->text(), "1");
  f.driver().pasteText("99");
  EXPECT_EQ(platform::headless::beepCount(), 2) << "pasted text is checked too";
  EXPECT_EQ(boxText(), "1");
  f.driver().typeText("6");
  EXPECT_EQ(field->text(), "16");
}

TEST_F(Fields, EnterEscapeAndTabReachTheHandlerAndInsertNothing) {
  ASSERT_TRUE(field->setText("abc"));
  f.canvas->setFocus(field);
  f.driver().typeText("d");  // replaces the selected text
  f.driver().key(platform::key::kEscape);
  f.driver().key(platform::key::kTab);
  f.driver().key(platform::key::kTab, {true, false, false});
  f.driver().key(platform::key::kEnter);
  f.driver().typeText("\t\r\x1b");
  EXPECT_EQ(handler.heard, (std::vector<std::string>{"escape", "tab", "shift-tab", "enter", "tab", "enter", "escape"}));
  EXPECT_EQ(boxText(), "d");
  EXPECT_EQ(platform::headless::beepCount(), 0);
  // Without a native box the field hears the keys from its dialog.
  f.canvas->setFocus(other);
  handler.heard.clear();
  field->keyDown(9, kModShift);
  field->keyDown(13, 0);
  field->keyDown('x', 0);
  EXPECT_EQ(handler.heard, (std::vector<std::string>{"shift-tab", "enter"}));
}

TEST_F(Fields, MultiLineTextKeepsItsLinesThroughFocusAndUnfocus) {
  field->setFormat(platform::text::kWordBreak);
  const std::string text = "first line\nsecond line\n\nfourth";
  ASSERT_TRUE(field->setText(text));
  f.canvas->setFocus(field);
  EXPECT_EQ(boxText(), text);
  f.canvas->setFocus(other);
  EXPECT_FALSE(field->hasNativeBox());
  EXPECT_EQ(field->text(), text);
  EXPECT_EQ(platform::headless::openEditBoxCount(), 0);
}

TEST_F(Fields, ALongTextIsNeitherCutNorOverrunInCopies) {
  const std::string long_(1000, 'x');
  ASSERT_TRUE(field->setText(long_));
  f.canvas->setFocus(field);
  f.canvas->setFocus(other);
  EXPECT_EQ(field->text(), long_);
  char small[8];
  field->getText(small, sizeof small);
  EXPECT_STREQ(small, "xxxxxxx");
}

TEST_F(Fields, DestroyingAFocusedFieldClosesItsNativeBox) {
  f.canvas->setFocus(field);
  ASSERT_EQ(platform::headless::openEditBoxCount(), 1);
  f.link.reset();
  f.canvas.reset();
  EXPECT_EQ(platform::headless::openEditBoxCount(), 0);
}

TEST_F(Fields, AnInvalidTextFromCodeChangesNothing) {
  numeric();
  ASSERT_TRUE(field->setText("12"));
  EXPECT_FALSE(field->setText("40"));
  EXPECT_EQ(field->text(), "12");
  EXPECT_EQ(field->changed(), 1);
}

// ---- text list ----

struct Lists : ControlsFixture, KVXListHandler {
  KVXTextList* list = add(new KVXTextList(canvas.get(), {0, 0, 200, 206}));  // ten rows of 20
  std::vector<std::vector<int>> told;
  void SetUp() override {
    std::vector<std::string> items;
    for (int i = 0; i < 30; ++i) items.push_back("item " + std::to_string(i));
    list->setItems(items);
    list->setHandler(this);
  }
  void onSelectionChanged(KVXTextList*, const std::vector<int>& s) override { told.push_back(s); }
  // The middle of row r as shown.
  static GuiPoint row(int r) { return {50, int16_t(3 + r * 20 + 10)}; }
};

TEST_F(Lists, SelectionByClicks) {
  struct {
    const char* what;
    int row;
    bool alt, ctrl;
    std::vector<int> selection;
    int anchor;
  } clicks[] = {
      {"a plain click", 2, false, false, {2}, 2},
      {"Ctrl down to 5", 5, false, true, {2, 3, 4, 5}, 2},
      {"Ctrl up to 0", 0, false, true, {2, 1, 0}, 2},
      {"Alt on a selected row", 1, true, false, {2, 0}, 2},
      {"Alt on another row", 7, true, false, {2, 0, 7}, 2},
      {"a plain click again", 9, false, false, {9}, 9},
      {"the top edge of a row", -1, false, false, {}, -1},
  };
  for (const auto& c : clicks) {
    const GuiPoint p = c.row >= 0 ? row(c.row) : GuiPoint{50, 2};
    list->mouseDown(p, c.alt, c.ctrl);
    EXPECT_EQ(list->selection(), c.selection) << c.what;
    EXPECT_EQ(list->anchor(), c.anchor) << c.what;
    EXPECT_EQ(told.back(), c.selection) << c.what;
  }
  // Rows are hit where they are drawn: the first pixel of row 4 is row 4.
  list->mouseDown({50, int16_t(3 + 4 * 20)}, false, false);
  EXPECT_EQ(list->selection(), std::vector<int>{4});
}

TEST_F(Lists, AClickBelowTheLastRowEmptiesTheSelectionAndTells) {
  list->setItems({"one", "two"});
  list->mouseDown(row(0), false, false);
  list->mouseDown(row(5), false, false);
  EXPECT_TRUE(list->selection().empty());
  ASSERT_EQ(told.size(), 2u);
  EXPECT_TRUE(told.back().empty());
}

TEST_F(Lists, AnEmptyOrShortListIsNeverIndexedNorScrolled) {
  list->setItems({});
  EXPECT_FLOAT_EQ(list->visibleFraction(), 1.0f);
  list->setScroll(1.0f);
  EXPECT_EQ(list->firstShown(), 0);
  EXPECT_EQ(list->rowAt(row(0)), -1);
  list->mouseDown(row(0), false, true);
  EXPECT_TRUE(list->selection().empty());
  list->setItems({"a", "b", "c"});
  EXPECT_EQ(list->firstShown(), 0) << "three rows of ten: nothing to scroll";
  EXPECT_EQ(list->rowAt(row(2)), 2);
}

TEST_F(Lists, TheScrollBarDraggedDownAndBackReturns) {
  auto* bar = add(new KVXListSlider(canvas.get(), {200, 0, 16, 206}, 0, list));
  int top, height;
  bar->thumb(top, height);
  EXPECT_EQ(top, 3);
  EXPECT_EQ(height, 66);  // a third of the 200-pixel track
  bar->mouseDown({208, int16_t(top + 5)}, false, false);
  ASSERT_TRUE(bar->isDragging());
  bar->mouseDrag({208, int16_t(top + 5 + 40)}, false, false);
  const float down = list->scroll();
  EXPECT_NEAR(down, 40.0f / 134.0f, 1e-6);
  EXPECT_EQ(list->firstShown(), 5);
  for (int y = 40; y >= 0; y -= 7) bar->mouseDrag({208, int16_t(top + 5 + y)}, false, false);
  bar->mouseDrag({208, int16_t(top + 5)}, false, false);
  EXPECT_FLOAT_EQ(list->scroll(), 0.0f);
  bar->mouseDrag({208, 600}, false, false);
  EXPECT_FLOAT_EQ(list->scroll(), 1.0f);
  bar->thumb(top, height);
  EXPECT_EQ(top + height, 203) << "the thumb ends at the track's end";
  EXPECT_EQ(list->firstShown(), 20);
  bar->mouseUp({208, 600}, false, false);
  EXPECT_FALSE(bar->isDragging());
}

TEST_F(Lists, AScrollBarOverAShortListShowsAFullThumbAndDoesNotDrag) {
  list->setItems({"a", "b", "c"});
  auto* bar = add(new KVXListSlider(canvas.get(), {200, 0, 16, 206}, 0, list));
  int top, height;
  bar->thumb(top, height);
  EXPECT_EQ(height, 200);
  bar->mouseDown({208, 50}, false, false);
  bar->mouseDrag({208, 150}, false, false);
  EXPECT_FLOAT_EQ(list->scroll(), 0.0f);
}

// ---- string menu ----

struct Menus : ::testing::Test, KVXStringMenuHandler {
  CanvasFixture f;
  int chosen = 0;
  KVXStringMenu* menu = nullptr;
  void SetUp() override {
    for (const char* name : {"menu_left.png", "menu_right.png", "menu_center.png"})
      addFramesImage(name, 6, 20, {0xFF404040});
    menu = new KVXStringMenu(f.canvas.get(), {300, 200, 120, 20}, 3, {"Linear", "Exponential", "Logarithmic"}, 1, this);
    f.pane->addChild(menu);
    platform::headless::clearShown();
  }
  void onItemChosen(KVXStringMenu*) override { ++chosen; }
};

TEST_F(Menus, AChoiceIsTakenAndADismissalChangesNothing) {
  f.driver().queueMenuAnswer(3);
  menu->mouseDown({310, 205}, false, false);
  EXPECT_EQ(menu->selected(), 2);
  EXPECT_EQ(chosen, 1);
  f.driver().queueMenuAnswer(0);
  menu->mouseDown({310, 205}, false, false);
  EXPECT_EQ(menu->selected(), 2);
  EXPECT_EQ(chosen, 1);

  const auto shown = f.driver().shownMenus();
  ASSERT_EQ(shown.size(), 2u);
  ASSERT_EQ(shown[1].items.size(), 3u);
  EXPECT_EQ(shown[1].items[0].text, "Linear");
  EXPECT_TRUE(shown[1].items[2].isDefault) << "the chosen string is the default item";
  const GuiPoint corner = f.canvas->toScreen({300, 200});
  EXPECT_EQ(shown[1].screen.x, corner.x) << "at the control's corner on the screen";
  EXPECT_EQ(shown[1].screen.y, corner.y);
}

TEST_F(Menus, AnEmptyMenuShowsNothingAndASelectionBeyondTheStringsIsNone) {
  menu->setItems({}, 0);
  EXPECT_EQ(menu->selected(), -1);
  menu->mouseDown({310, 205}, false, false);
  EXPECT_TRUE(f.driver().shownMenus().empty());
  menu->setItems({"a", "b"}, 5);
  EXPECT_EQ(menu->selected(), -1);
}

// ---- notes ----

TEST(NotesWrap, Lines) {
  const std::string forty(40, 'a');
  const std::string spaced = std::string(25, 'b') + " " + std::string(30, 'c');
  const std::string late = std::string(30, 'd') + " " + std::string(10, 'e');
  struct {
    const char* what;
    std::string notes;
    std::vector<std::string> lines;
  } cases[] = {
      {"empty notes", "", {}},
      {"40 letters", forty, {std::string(34, 'a'), std::string(6, 'a')}},
      {"a space at 25", spaced, {std::string(25, 'b'), std::string(30, 'c')}},
      {"a space at 30", late, {std::string(30, 'd'), std::string(10, 'e')}},
      {"a space before 20 is no break", std::string(10, 'f') + " " + std::string(30, 'g'),
       {std::string(10, 'f') + " " + std::string(23, 'g'), std::string(7, 'g')}},
      {"a line feed", "one\ntwo", {"one", "two"}},
      {"CR LF is one break", "one\r\ntwo", {"one", "two"}},
      {"two line feeds", "one\n\ntwo", {"one", "", "two"}},
      {"byte 3 early", std::string("ab\x03") + "cd", {"ab", "cd"}},
      {"a break right after a full line", std::string(34, 'h') + "\r\nx", {std::string(34, 'h'), "x"}},
      {"exactly 34", std::string(34, 'i'), {std::string(34, 'i')}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> got;
    for (const auto& [start, length] : wrapNotes(c.notes)) got.push_back(c.notes.substr(start, length));
    EXPECT_EQ(got, c.lines) << c.what;
  }
}

struct NotesPlugin : RecordingPlugin {
  std::string notes;
  bool shown = true;
  bool currentPatchNotes(std::string& out) override {
    out = notes;
    return shown;
  }
};

TEST(NotesArea, ScrollsOnlyWhatDoesNotFit) {
  NotesPlugin plugin;
  CAUGuiCanvas canvas(&plugin, nullptr, 0, 0);
  auto* slider = new KVXNotesSlider(&canvas, {300, 344, 10, 100}, 0, nullptr);
  auto* area = new KVXNotesArea(&canvas, {86, 344, 200, 100}, nullptr, slider);
  slider->setArea(area);
  canvas.addControl(area);
  canvas.addControl(slider);

  plugin.notes = "";
  area->redraw();
  EXPECT_EQ(area->lineCount(), 0);
  EXPECT_FLOAT_EQ(area->visibleFraction(), 1.0f);

  plugin.notes = "1\n2\n3\n4\n5\n6";
  area->redraw();
  area->setScroll(0.7f);
  EXPECT_FLOAT_EQ(area->visibleFraction(), 1.0f);
  EXPECT_FLOAT_EQ(area->scroll(), 0.0f) << "six lines always show from the top";

  plugin.notes = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12";
  area->redraw();
  EXPECT_FLOAT_EQ(area->visibleFraction(), 0.5f);
  area->mouseDown({100, 350}, false, false);  // a drag over the text moves as the thumb does
  area->mouseDrag({100, 375}, false, false);
  EXPECT_NEAR(area->scroll(), 0.5f, 1e-6);
  area->mouseDrag({100, 420}, false, false);
  EXPECT_FLOAT_EQ(area->scroll(), 1.0f);
  EXPECT_EQ(area->firstShown(), 6);

  plugin.shown = false;
  area->redraw();
  EXPECT_FLOAT_EQ(area->visibleFraction(), 1.0f);
  EXPECT_EQ(area->firstShown(), 0);
}

// ---- range control ----

struct Ranges : ControlsFixture {
  // 240 wide: 200 pixels of cap travel.
  KVXMidiRangeControl* range = add(new KVXMidiRangeControl(canvas.get(), {0, 0, 240, 40}, nullptr, nullptr, nullptr));
};

TEST_F(Ranges, TheCapsCannotCross) {
  range->setRange(0.25f, 0.5f);
  range->mouseDown({60, 20}, false, false);  // the low cap spans 50..69
  ASSERT_EQ(range->zone(), KVXMidiRangeControl::kLowCap);
  range->mouseDrag({230, 20}, false, false);
  EXPECT_FLOAT_EQ(range->low(), 0.5f);
  EXPECT_FLOAT_EQ(range->high(), 0.5f);
  range->mouseUp({230, 20}, false, false);

  range->setRange(0.25f, 0.5f);
  range->mouseDown({130, 20}, false, false);  // the high cap spans 120..139
  ASSERT_EQ(range->zone(), KVXMidiRangeControl::kHighCap);
  range->mouseDrag({0, 20}, false, false);
  EXPECT_FLOAT_EQ(range->high(), 0.25f);
  EXPECT_FLOAT_EQ(range->low(), 0.25f);
  range->setRange(0.9f, 0.1f);
  EXPECT_FLOAT_EQ(range->low(), 0.1f);
  EXPECT_FLOAT_EQ(range->high(), 0.9f);
}

TEST_F(Ranges, TheBarKeepsItsSpan) {
  range->setRange(0.3f, 0.5f);
  range->mouseDown({100, 20}, true, false);  // Alt between the caps: centred
  ASSERT_EQ(range->zone(), KVXMidiRangeControl::kBar);
  EXPECT_FLOAT_EQ(range->low(), 0.4f);
  EXPECT_FLOAT_EQ(range->high(), 0.6f);
  range->mouseDrag({60, 20}, false, false);
  EXPECT_NEAR(range->low(), 0.2f, 1e-6);
  range->mouseDrag({-200, 20}, false, false);
  EXPECT_FLOAT_EQ(range->low(), 0.0f);
  EXPECT_NEAR(range->high(), 0.2f, 1e-6);
  range->mouseDrag({500, 20}, false, false);
  EXPECT_FLOAT_EQ(range->high(), 1.0f);
  EXPECT_NEAR(range->low(), 0.8f, 1e-6);
}

TEST_F(Ranges, FineDragWithoutATargetDividesByOne) {
  range->setRange(0.0f, 1.0f);
  range->mouseDown({10, 20}, false, true);
  range->mouseDrag({30, 20}, false, true);
  EXPECT_NEAR(range->low(), 0.1f, 1e-6);
}

// ---- pop-up base ----

struct Popups : ::testing::Test {
  CanvasFixture f;
  KVXInternalPopup* popup = nullptr;
  DragControl* button = nullptr;
  void SetUp() override {
    popup = new KVXInternalPopup(f.canvas.get(), {200, 80, 300, 200}, nullptr, f.pane);
    f.canvas->addControl(popup);
    button = new DragControl(f.canvas.get(), GuiRect{10, 10, 50, 20});
    popup->addChild(button);
    f.pane->setActiveChild(popup);
    f.canvas->setModal(popup);
    f.canvas->idle();
  }
};

TEST_F(Popups, ADraggedPopupStaysInsideTheWindow) {
  EXPECT_EQ(f.canvas->mouseDown({400, 250}, false, false), kHandled);
  f.canvas->mouseDrag({450, 270}, false);
  EXPECT_EQ(popup->bounds(), (GuiRect{250, 100, 300, 200}));
  EXPECT_EQ(button->bounds(), (GuiRect{260, 110, 50, 20}));
  EXPECT_TRUE(f.pane->dirtyRects().contains({200, 80, 300, 200})) << "the old place is repainted";
  EXPECT_TRUE(f.pane->dirtyRects().contains({250, 100, 300, 200})) << "and the new";
  f.canvas->mouseDrag({3000, -3000}, false);
  EXPECT_EQ(popup->bounds(), (GuiRect{CAUGuiCanvas::kWidth - 300, 0, 300, 200}));
  f.canvas->mouseDrag({-3000, 3000}, false);
  EXPECT_EQ(popup->bounds(), (GuiRect{0, CAUGuiCanvas::kHeight - 200, 300, 200}));
  EXPECT_EQ(popup->mouseUp({0, 0}, false, false), kNotHandled);
}

TEST_F(Popups, AChildPopupTakesEveryClickAndGivesTheFocusBack) {
  auto* child = new KVXInternalPopup(f.canvas.get(), {250, 100, 100, 60}, nullptr, f.pane);
  f.canvas->addControl(child);
  popup->setChildPopup(child);
  EXPECT_EQ(f.canvas->focusControl(), child);
  EXPECT_EQ(popup->hitTest({215, 95}), nullptr) << "the parent's button cannot be hit";
  EXPECT_EQ(popup->hitTest({260, 110}), child);
  popup->setChildPopup(nullptr);
  EXPECT_EQ(f.canvas->focusControl(), popup);
  EXPECT_EQ(popup->hitTest({215, 95}), button);
}

}  // namespace
