// The headless GUI services: bitmaps and drawing (the primitive scene, kept as a PNG in the
// build folder), the fake window's events and recordings, window classes, menus, edit boxes
// and file dialogs answered from scripts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui.h"
#include "platform/headless_gui.h"
#include "platform/host_frame.h"
#include "tools/guiprobe/scene.h"

namespace {

using namespace platform;
namespace hl = platform::headless;

int red(std::uint32_t p) { return (p >> 16) & 0xFF; }
int green(std::uint32_t p) { return (p >> 8) & 0xFF; }
int blue(std::uint32_t p) { return p & 0xFF; }

TEST(HeadlessBitmap, StartsTransparentAndTakesRows) {
  auto bitmap = Bitmap::create(3, 2);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->pixel(2, 1), 0u);
  bitmap->row(1)[8] = 0x10;   // blue of (2, 1)
  bitmap->row(1)[11] = 0x80;  // its alpha
  EXPECT_EQ(bitmap->pixel(2, 1), 0x80000010u);
  EXPECT_EQ(bitmap->row(1), bitmap->row(0) + 3 * 4);
  EXPECT_FALSE(Bitmap::create(0, 5));
  EXPECT_FALSE(Bitmap::create(5, -1));
}

TEST(HeadlessRegion, BoundsOfTheUnion) {
  Region r;
  EXPECT_EQ(r.bounds(), (Rect{}));
  r.add({10, 10, 0, 5});  // empty: dropped
  EXPECT_TRUE(r.isEmpty());
  r.add({10, 10, 5, 5});
  r.add({2, 12, 4, 10});
  EXPECT_EQ(r.bounds(), (Rect{2, 10, 13, 12}));
  EXPECT_TRUE(r.contains({3, 20}));
  EXPECT_FALSE(r.contains({8, 11}));
}

// The scene every build draws (tools/guiprobe/scene.h), checked where its pixels are known
// and written to the build folder for comparison with the Windows picture.
class PrimitiveScene : public ::testing::Test {
 protected:
  void SetUp() override {
    image = guiprobe::makeSceneImage();
    bitmap = Bitmap::create(guiprobe::kSceneWidth, guiprobe::kSceneHeight);
    ASSERT_TRUE(image && bitmap);
    auto surface = Surface::create(*bitmap);
    ASSERT_TRUE(surface);
    guiprobe::drawScene(*surface, *image);
  }
  std::uint32_t at(int x, int y) const { return bitmap->pixel(x, y) & 0xFFFFFF; }
  // Pixels of a rectangle that are not the colour around them.
  int ink(const Rect& r, std::uint32_t background) const {
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
      for (int x = r.x; x < r.x + r.w; ++x) n += at(x, y) != background;
    return n;
  }
  std::unique_ptr<Bitmap> image, bitmap;
};

TEST_F(PrimitiveScene, IsKeptInTheBuildFolder) {
  const std::filesystem::path folder = QV_GUI_PICTURES;
  std::filesystem::create_directories(folder);
  ASSERT_TRUE(hl::savePng(*bitmap, (folder / "scene-headless.png").string()));
  EXPECT_GT(std::filesystem::file_size(folder / "scene-headless.png"), 500u);
}

TEST_F(PrimitiveScene, FillsAreExactAndOpaque) {
  EXPECT_EQ(bitmap->pixel(8, 8), 0xFFCC3333u);
  EXPECT_EQ(at(67, 37), 0xCC3333u);
  EXPECT_EQ(at(68, 37), 0x203040u);  // right and bottom edges are exclusive
  EXPECT_EQ(at(67, 38), 0x203040u);
  EXPECT_EQ(at(100, 20), 0x19E619u);
}

TEST_F(PrimitiveScene, LinesHaveTheirWidthAndRoundEnds) {
  // The 6-pixel line along y = 84: six rows thick in its middle.
  int rows = 0;
  for (int y = 78; y < 92; ++y) rows += at(100, y) == 0x787878;
  EXPECT_EQ(rows, 6);
  // Round end: past the end point on the axis, not in the corner of a square end.
  EXPECT_EQ(at(198, 84), 0x787878u);
  EXPECT_NE(at(199, 82), 0x787878u);
  // The 2-pixel line along y = 50.
  rows = 0;
  for (int y = 45; y < 56; ++y) rows += at(100, y) == 0xFFFFFF;
  EXPECT_EQ(rows, 2);
}

TEST_F(PrimitiveScene, TextIsAlignedInItsRectangle) {
  const std::uint32_t bar = 0x404040;
  // Left-aligned ink starts at the left edge, right-aligned ink ends at the right edge, the
  // centred word lies around the middle; none escapes the bar vertically.
  EXPECT_GT(ink({8, 96, 12, 20}, bar), 10);
  EXPECT_GT(ink({296, 96, 12, 20}, bar), 10);
  EXPECT_GT(ink({150, 96, 16, 20}, bar), 10);
  EXPECT_EQ(ink({60, 96, 80, 20}, bar), 0);
  EXPECT_EQ(ink({8, 94, 300, 2}, 0x203040), 0);
  // Single line, vertically centred: the ink sits in the middle rows.
  EXPECT_EQ(ink({8, 96, 300, 3}, bar), 0);
  EXPECT_EQ(ink({8, 113, 300, 3}, bar), 0);
}

TEST_F(PrimitiveScene, WrappedTextTakesSeveralLinesInsideItsWidth) {
  const std::uint32_t back = 0x203040;
  const int lineHeight = 12;
  int lines = 0;
  for (int top = 122; top < 122 + 5 * lineHeight; top += lineHeight) lines += ink({8, top, 150, lineHeight}, back) > 0;
  EXPECT_EQ(lines, 3);
  EXPECT_EQ(ink({158, 122, 10, 60}, back), 0);  // nothing beyond the rectangle's right edge
}

TEST_F(PrimitiveScene, ImagesBlendWithTheirAlphaAndTheConstantAlpha) {
  // Opaque part at 255: the image's own colour; its transparent corner: the background.
  EXPECT_EQ(at(190, 144), 0xF08020u);
  EXPECT_EQ(at(172, 126), 0x203040u);
  // Opaque part at constant alpha 70: 70/255 of the image over the background.
  const std::uint32_t faded = at(236, 144);
  EXPECT_NEAR(red(faded), 0xF0 * 70 / 255 + 0x20 * 185 / 255, 2);
  EXPECT_NEAR(green(faded), 0x80 * 70 / 255 + 0x30 * 185 / 255, 2);
  EXPECT_NEAR(blue(faded), 0x20 * 70 / 255 + 0x40 * 185 / 255, 2);
  // Half-transparent border at 255: half white over the background.
  EXPECT_NEAR(red(at(171, 150)), 0x80 + 0x20 * 127 / 255, 2);
  // Stretched 40 x 40 -> 50 x 60: the opaque colour fills the bottom right of the target.
  EXPECT_EQ(at(305, 175), 0xF08020u);
  EXPECT_EQ(at(313, 150), 0x203040u);  // nothing right of the target
}

TEST_F(PrimitiveScene, ClipLetsThroughTheUnionOfTwoRectangles) {
  EXPECT_EQ(at(10, 192), 0xE0C020u);    // first rectangle
  EXPECT_EQ(at(130, 205), 0xE0C020u);   // second rectangle only
  EXPECT_EQ(at(100, 192), 0x203040u);   // in neither
  EXPECT_EQ(at(100, 225), 0x203040u);
  EXPECT_EQ(at(160, 205), 0xFFFFFFu);   // drawn after the clip was lifted
}

// --- the fake window ---------------------------------------------------------------------

struct Recorder final : WindowListener {
  void onPaint(PaintTarget& target, const Rect& dirty) override {
    paints.push_back(dirty);
    if (picture) target.copy(*picture, {0, 0, picture->width(), picture->height()});
  }
  void onMouseMove(const MouseEvent& e) override { mouse.push_back({'m', e, keyboardModifiers()}); }
  void onMouseDown(const MouseEvent& e) override { mouse.push_back({'d', e, keyboardModifiers()}); }
  void onMouseUp(const MouseEvent& e) override { mouse.push_back({'u', e, keyboardModifiers()}); }
  void onKeyDown(int vk, const KeyModifiers& m) override { keys.push_back({vk, m}); }
  void onCaptureLost() override { ++captureLost; }
  struct Mouse {
    char kind;
    MouseEvent event;
    KeyModifiers held;
  };
  std::vector<Mouse> mouse;
  std::vector<std::pair<int, KeyModifiers>> keys;
  std::vector<Rect> paints;
  int captureLost = 0;
  const Bitmap* picture = nullptr;
};

WindowOptions options(const char* name = "QuorvaneTestWindow", int w = 200, int h = 100) {
  WindowOptions o;
  o.className = name;
  o.width = w;
  o.height = h;
  return o;
}

TEST(HeadlessWindow, DeliversMouseEventsWithButtonsAndModifiers) {
  auto window = Window::create(nullptr, options());
  ASSERT_TRUE(window);
  Recorder rec;
  window->setListener(&rec);
  hl::WindowDriver& d = hl::driver(*window);
  d.mouseMove({-5, 10});
  d.mouseDown({20, 30}, {true, false, false});
  d.mouseMove({25, 35}, {false, true, true});
  d.mouseUp({25, 35});
  ASSERT_EQ(rec.mouse.size(), 4u);
  EXPECT_EQ(rec.mouse[0].kind, 'm');
  EXPECT_EQ(rec.mouse[0].event.point.x, -5);
  EXPECT_FALSE(rec.mouse[0].event.buttonHeld);
  EXPECT_TRUE(rec.mouse[1].event.buttonHeld);
  EXPECT_TRUE(rec.mouse[1].event.shift);
  EXPECT_TRUE(rec.mouse[2].event.buttonHeld);  // a drag
  EXPECT_TRUE(rec.mouse[2].event.control);
  EXPECT_TRUE(rec.mouse[2].held.alt);          // Alt comes from the keyboard state
  EXPECT_FALSE(rec.mouse[3].event.buttonHeld);
  EXPECT_FALSE(keyboardModifiers().alt);       // only during the event
  EXPECT_EQ(d.cursor(), hl::Cursor::Arrow);
}

TEST(HeadlessWindow, KeysReachTheWindowWithTheFocus) {
  auto window = Window::create(nullptr, options());
  Recorder rec;
  window->setListener(&rec);
  hl::WindowDriver& d = hl::driver(*window);
  d.key(key::kEscape);
  EXPECT_TRUE(rec.keys.empty());  // not focused yet
  window->takeFocus();
  EXPECT_TRUE(d.hasFocus());
  d.key('A', {true, false, true});
  ASSERT_EQ(rec.keys.size(), 1u);
  EXPECT_EQ(rec.keys[0].first, 'A');
  EXPECT_TRUE(rec.keys[0].second.shift);
  EXPECT_TRUE(rec.keys[0].second.alt);
}

TEST(HeadlessWindow, RecordsInvalidationsAndPaintsOnlyTheInvalidArea) {
  auto window = Window::create(nullptr, options());
  Recorder rec;
  auto picture = Bitmap::create(200, 100);
  Surface::create(*picture)->fillRect({0, 0, 200, 100}, 0x3366CC);
  rec.picture = picture.get();
  window->setListener(&rec);
  hl::WindowDriver& d = hl::driver(*window);
  EXPECT_FALSE(d.paint());  // nothing invalid
  Region region;
  region.add({10, 10, 5, 5});
  region.add({30, 20, 10, 10});
  window->invalidate(region);
  ASSERT_EQ(d.invalidations().size(), 2u);
  EXPECT_EQ(d.invalidations()[1], (Rect{30, 20, 10, 10}));
  ASSERT_TRUE(d.paint());
  ASSERT_EQ(rec.paints.size(), 1u);
  EXPECT_EQ(rec.paints[0], (Rect{10, 10, 30, 20}));  // the bounding rectangle
  EXPECT_EQ(d.screen().pixel(12, 12), 0xFF3366CCu);
  EXPECT_EQ(d.screen().pixel(20, 15), 0xFF000000u);  // inside the bounds, outside the area
  EXPECT_FALSE(d.paint());                            // validated
  d.clearInvalidations();
  EXPECT_TRUE(d.invalidations().empty());
  const std::string png = std::string(QV_GUI_PICTURES) + "/window-headless.png";
  std::filesystem::create_directories(QV_GUI_PICTURES);
  EXPECT_TRUE(d.saveScreenshot(png));
}

TEST(HeadlessWindow, CaptureIsLostOnlyWhenTakenAway) {
  auto window = Window::create(nullptr, options());
  Recorder rec;
  window->setListener(&rec);
  hl::WindowDriver& d = hl::driver(*window);
  window->captureMouse();
  EXPECT_TRUE(d.hasCapture());
  window->releaseMouse();
  EXPECT_FALSE(d.hasCapture());
  EXPECT_EQ(rec.captureLost, 0);
  window->captureMouse();
  d.stealCapture();
  EXPECT_FALSE(d.hasCapture());
  EXPECT_EQ(rec.captureLost, 1);
}

TEST(HeadlessWindow, AttachesToItsHostWindow) {
  hl::HostWindow host;
  host.screenOrigin = {300, 200};
  {
    auto window = Window::create(&host, options());
    ASSERT_TRUE(window);
    EXPECT_EQ(host.child, &hl::driver(*window));
    const Point p = window->clientToScreen({-10, 5});
    EXPECT_EQ(p.x, 290);
    EXPECT_EQ(p.y, 205);
  }
  EXPECT_EQ(host.child, nullptr);
  int notAHost = 0;
  EXPECT_FALSE(Window::create(&notAHost, options()));
}

TEST(HeadlessWindow, ClassLivesFromTheFirstToTheLastWindow) {
  const char* name = "QuorvaneClassTest";
  EXPECT_FALSE(hl::isClassRegistered(name));
  auto first = Window::create(nullptr, options(name));
  auto second = Window::create(nullptr, options(name));
  EXPECT_TRUE(hl::isClassRegistered(name));
  first.reset();
  EXPECT_TRUE(hl::isClassRegistered(name));
  second.reset();
  EXPECT_FALSE(hl::isClassRegistered(name));
}

struct QuietEdit final : EditBoxListener {
  void onEditEnter() override {}
  void onEditEscape() override {}
  void onEditTab(bool) override {}
  bool acceptEditText(const std::string&) override { return true; }
};

TEST(HeadlessWindow, OpensAndClosesFiftyTimesWithoutLeaving) {
  // Under AddressSanitizer a leak of any round fails the run.
  auto frame = HostFrame::create("test", 1010, 623, {0, 0});
  const GuiHandleCounts before = guiHandleCounts();
  for (int i = 0; i < 50; ++i) {
    auto window = Window::create(frame->parentHandle(), options("QuorvaneCycle", 1010, 623));
    ASSERT_TRUE(window);
    auto offscreen = Bitmap::create(1010, 623);
    auto surface = Surface::create(*offscreen);
    surface->drawText("Quorvane", {0, 0, 100, 20}, Font{}, 0xFFFFFF, text::kSingleLine);
    QuietEdit quiet;
    auto edit = EditBox::create(*window, {5, 5, 50, 20}, "x", {}, &quiet);
    auto menu = PopupMenu::create();
    menu->appendItem(1, "one");
    window->invalidate(Rect{0, 0, 1010, 623});
    frame->pump();
  }
  const GuiHandleCounts after = guiHandleCounts();
  EXPECT_EQ(after.ownUser, before.ownUser);
  EXPECT_EQ(hl::openWindowCount(), 0);
  EXPECT_FALSE(hl::isClassRegistered("QuorvaneCycle"));
}

// --- menus and file dialogs -----------------------------------------------------------------

TEST(HeadlessMenu, AnswersFromTheScriptAndRecordsWhatWasShown) {
  hl::clearShown();
  auto window = Window::create(nullptr, options());
  auto menu = PopupMenu::create();
  menu->appendItem(1, "About");
  menu->appendSeparator();
  menu->appendItem(10, "Show Control Tips");
  menu->setChecked(10, true);
  menu->setDefaultItem(1);
  EXPECT_EQ(menu->itemCount(), 3);
  EXPECT_TRUE(menu->isChecked(10));
  EXPECT_FALSE(menu->isChecked(1));
  hl::queueMenuAnswer(10);
  hl::queueMenuAnswer(7);  // no such item: as if dismissed
  EXPECT_EQ(menu->track(*window, {40, 50}), 10);
  EXPECT_EQ(menu->track(*window, {40, 50}), 0);
  EXPECT_EQ(menu->track(*window, {40, 50}), 0);  // script empty: dismissed
  const auto shown = hl::shownMenus();
  ASSERT_EQ(shown.size(), 3u);
  ASSERT_EQ(shown[0].items.size(), 3u);
  EXPECT_TRUE(shown[0].items[0].isDefault);
  EXPECT_TRUE(shown[0].items[1].separator);
  EXPECT_TRUE(shown[0].items[2].checked);
  EXPECT_EQ(shown[0].items[2].text, "Show Control Tips");
  EXPECT_EQ(shown[0].screen.y, 50);
  menu->clear();
  EXPECT_EQ(menu->itemCount(), 0);
}

TEST(HeadlessFileDialog, AnswersFromTheScript) {
  hl::clearShown();
  FileDialogOptions o;
  o.title = "Save Export As";
  o.filterName = "Quorvane Files";
  o.filterPattern = "*.kvx";
  o.initialName = "Untitled";
  hl::queueFileAnswer("/tmp/out.kvx");
  std::string path = "unchanged";
  EXPECT_TRUE(chooseFileToSave(nullptr, o, path));
  EXPECT_EQ(path, "/tmp/out.kvx");
  path = "unchanged";
  EXPECT_FALSE(chooseFileToOpen(nullptr, o, path));  // no answer: cancelled
  EXPECT_EQ(path, "unchanged");
  const auto shown = hl::shownFileDialogs();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_TRUE(shown[0].save);
  EXPECT_EQ(shown[0].options.title, "Save Export As");
  EXPECT_FALSE(shown[1].save);
  EXPECT_EQ(shown[1].answer, "");
}

// --- edit boxes -----------------------------------------------------------------------------

// A field that takes numbers 1..16 and records what it was told; it can close its own box
// when told of Tab, as a dialog moving the focus does.
struct NumberField final : EditBoxListener {
  void onEditEnter() override { events.push_back("enter"); }
  void onEditEscape() override { events.push_back("escape"); }
  void onEditTab(bool shift) override {
    events.push_back(shift ? "shift-tab" : "tab");
    if (closeOnTab) box.reset();
  }
  bool acceptEditText(const std::string& text) override {
    const int n = std::atoi(text.c_str());
    const bool ok = text.empty() || (n >= 1 && n <= 16);
    if (!ok) events.push_back("refused " + text);
    return ok;
  }
  std::vector<std::string> events;
  std::unique_ptr<EditBox> box;
  bool closeOnTab = false;
};

TEST(HeadlessEditBox, TypingReplacesTheSelectionAndARefusalRestoresTheWholeText) {
  auto window = Window::create(nullptr, options());
  NumberField field;
  field.box = EditBox::create(*window, {5, 5, 60, 20}, "9", {}, &field);
  ASSERT_TRUE(field.box);
  hl::WindowDriver& d = hl::driver(*window);
  EXPECT_FALSE(d.hasFocus());  // the box has it
  EXPECT_TRUE(d.typeText("1"));  // replaces the selected "9"
  EXPECT_EQ(field.box->text(), "1");
  d.typeText("7");  // 17 is out of range
  EXPECT_EQ(field.box->text(), "1");
  d.typeText("6");
  EXPECT_EQ(field.box->text(), "16");
  ASSERT_EQ(field.events.size(), 1u);
  EXPECT_EQ(field.events[0], "refused 17");
}

TEST(HeadlessEditBox, EnterEscapeAndTabAreReportedNotInserted) {
  auto window = Window::create(nullptr, options());
  NumberField field;
  EditBoxOptions multi;
  multi.multiLine = true;
  field.box = EditBox::create(*window, {5, 5, 60, 40}, "", multi, &field);
  hl::WindowDriver& d = hl::driver(*window);
  d.typeText("1\r");
  d.key(key::kEscape);
  d.key(key::kTab, {true, false, false});
  d.key(key::kEnter);
  EXPECT_EQ(field.box->text(), "1");
  EXPECT_EQ(field.events, (std::vector<std::string>{"enter", "escape", "shift-tab", "enter"}));
}

TEST(HeadlessEditBox, DigitsOnlyLineBreaksAndTheLimit) {
  auto window = Window::create(nullptr, options());
  QuietEdit quiet;
  EditBoxOptions digits;
  digits.digitsOnly = true;
  auto box = EditBox::create(*window, {0, 0, 50, 20}, "", digits, &quiet);
  hl::WindowDriver& d = hl::driver(*window);
  d.typeText("4a2");
  EXPECT_EQ(box->text(), "42");
  box.reset();

  EditBoxOptions multi;
  multi.multiLine = true;
  box = EditBox::create(*window, {0, 0, 50, 40}, "line one\nline two", multi, &quiet);
  EXPECT_EQ(box->text(), "line one\nline two");
  box->setText("");
  d.pasteText("a\r\nb\rc");
  EXPECT_EQ(box->text(), "a\nb\nc");
  box.reset();

  box = EditBox::create(*window, {0, 0, 50, 20}, "", {}, &quiet);
  d.pasteText("first\r\nsecond");
  EXPECT_EQ(box->text(), "first");  // one line takes the first line
  box->setText(std::string(998, 'x'));
  box->selectAll();
  d.pasteText(std::string(1200, 'y'));
  EXPECT_EQ(box->text(), std::string(1000, 'y'));  // typed text stops at 1000 characters
  box->setText(std::string(1500, 'z'));             // text set by code is never cut
  EXPECT_EQ(box->text().size(), 1500u);
}

TEST(HeadlessEditBox, ClosingWhileFocusedGivesTheFocusBackAndLeavesNothing) {
  auto window = Window::create(nullptr, options());
  NumberField field;
  field.closeOnTab = true;
  field.box = EditBox::create(*window, {5, 5, 60, 20}, "", {}, &field);
  hl::WindowDriver& d = hl::driver(*window);
  EXPECT_EQ(d.editBoxCount(), 1);
  d.typeText("3\t4");  // Tab closes the box; the 4 has nowhere to go
  EXPECT_FALSE(field.box);
  EXPECT_EQ(d.editBoxCount(), 0);
  EXPECT_TRUE(d.hasFocus());
  std::string text;
  EXPECT_FALSE(d.focusedEditText(text));
  EXPECT_FALSE(d.typeText("5"));
}

TEST(HeadlessEditBox, OutlivingItsWindowIsSafe) {
  auto window = Window::create(nullptr, options());
  QuietEdit quiet;
  auto box = EditBox::create(*window, {0, 0, 50, 20}, "kept", {}, &quiet);
  window.reset();
  EXPECT_EQ(box->text(), "kept");
  box.reset();
  EXPECT_EQ(hl::openEditBoxCount(), 0);
}

}  // namespace
