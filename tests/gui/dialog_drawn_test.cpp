// The dialog controls drawn by the canvas, headless, on a pop-up over a pane: a label, a
// text field, a text list with its scroll bar, a string menu, the notes area and the range
// control. The picture is kept in the test's data folder (dialog.png) to be looked at.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "gui/cauguigraphic.h"
#include "gui/cauguipane.h"
#include "gui/kvxinternalpopup.h"
#include "gui/kvxlists.h"
#include "gui/kvxnotes.h"
#include "gui/kvxtext.h"
#include "platform/headless_gui.h"
#include "platform/platform.h"
#include "tests/gui/controls_fixture.h"

namespace {

struct NotesPlugin : RecordingPlugin {
  bool currentPatchNotes(std::string& out) override {
    out = "A warm pad with a slow filter sweep; the mod wheel opens the filter.\nPlay low chords.\n"
          "Line three\nLine four\nLine five\nLine six\nLine seven";
    return true;
  }
};

struct DialogDrawn : ::testing::Test {
  NotesPlugin plugin;
  std::unique_ptr<CAUGuiCanvas> canvas = std::make_unique<CAUGuiCanvas>(&plugin, nullptr, 0, 0);

  CAUGuiGraphic* image(CAUGuiGraphic* g) {
    canvas->addGraphic(g);
    return g;
  }
  uint32_t at(int x, int y) const { return canvas->bitmap()->pixel(x, y); }
};

TEST_F(DialogDrawn, EveryControlOnAPopup) {
  std::filesystem::create_directories(platform::dataFolder());
  addImage("t-board.png", 700, 420, [](int, int y) { return 0xFF283440u + uint32_t(y / 20) * 0x010101u; });
  addImage("t-dialog.png", 520, 330, [](int x, int y) {
    const bool edge = x < 2 || y < 2 || x >= 518 || y >= 328;
    return edge ? 0xFF8090A0u : 0xFF404850u;
  });
  addImage("t-notes.png", 280, 110, [](int, int) { return 0xFF202830u; });
  addImage("t-range-back.png", 240, 40, [](int, int) { return 0xFF303840u; });
  addImage("t-cap.png", 20, 20, [](int x, int y) { return (x - 10) * (x - 10) + (y - 10) * (y - 10) <= 81 ? 0xFFE0E0E0u : 0u; });
  addFramesImage("menu_left.png", 6, 20, {0xFF607080});
  addFramesImage("menu_right.png", 18, 20, {0xFF506070});
  addFramesImage("menu_center.png", 20, 20, {0xFF303840});

  auto* pane = new CAUGuiPane(canvas.get(), {0, 0, 700, 420}, image(new CAUGuiGraphic("t-board.png")));
  canvas->addControl(pane);
  canvas->setTopPane(pane);
  auto* popup = new KVXInternalPopup(canvas.get(), {90, 40, 520, 330}, image(new CAUGuiGraphic("t-dialog.png")), pane);
  canvas->addControl(popup);

  auto* label = new KVXTextCtrl(canvas.get(), {20, 12, 300, 18});
  label->setFontHeight(14);
  auto* field = new KVXTextEditor(canvas.get(), {20, 36, 200, 20}, 1, nullptr);
  auto* list = new KVXTextList(canvas.get(), {20, 70, 200, 126});
  auto* bar = new KVXListSlider(canvas.get(), {222, 70, 14, 126}, 0, list);
  auto* menu = new KVXStringMenu(canvas.get(), {260, 36, 160, 20}, 2, {"Linear", "Exponential", "Logarithmic"}, 1, nullptr);
  auto* notesBar = new KVXNotesSlider(canvas.get(), {492, 212, 8, 110}, 0, nullptr);
  auto* notes = new KVXNotesArea(canvas.get(), {210, 212, 280, 110}, image(new CAUGuiGraphic("t-notes.png")), notesBar);
  notesBar->setArea(notes);
  auto* range = new KVXMidiRangeControl(canvas.get(), {260, 70, 240, 40}, image(new CAUGuiGraphic("t-range-back.png")),
                                        image(new CAUGuiGraphic("t-cap.png")), image(new CAUGuiGraphic("t-cap.png")));
  for (CAUGuiCtrl* c : std::initializer_list<CAUGuiCtrl*>{label, field, list, bar, menu, notes, notesBar, range})
    popup->addChild(c);
  label->setText("Save the patch as");
  field->setText("Warm pad");
  std::vector<std::string> items;
  for (int i = 0; i < 12; ++i) items.push_back("Patch " + std::to_string(i + 1));
  list->setItems(items);
  list->setScroll(0.5f);
  list->setSelection({4, 5});
  range->setRange(0.25f, 0.75f);
  notes->redraw();
  pane->setActiveChild(popup);
  canvas->setModal(popup);
  canvas->idle();
  ASSERT_TRUE(platform::headless::savePng(*canvas->bitmap(), platform::dataFolder() + "dialog.png"));

  EXPECT_EQ(at(5, 5), 0xFF283440u) << "the board around the dialog";
  EXPECT_EQ(at(95, 45), 0xFF404850u) << "the dialog's background";
  EXPECT_EQ(at(300, 80), 0xFFF5F5F5u) << "the field";
  // Rows 3..8 are shown; rows 4 and 5 selected, the bevel's dark top above them.
  EXPECT_EQ(at(200, 110 + 3 + 20 + 2), 0xFF969696u);
  EXPECT_EQ(at(200, 110 + 3 + 60 + 2), 0xFF404850u);
  EXPECT_EQ(at(150, 111), 0xFF333333u);
  // The range from a quarter to three quarters of the 200-pixel travel: grey left of the low
  // cap (at 400), green between the caps, grey right of the high cap (at 520).
  EXPECT_EQ(at(380, 130), 0xFFCDCDCDu);
  EXPECT_EQ(at(450, 130), 0xFF19E619u);
  EXPECT_EQ(at(550, 130), 0xFFCDCDCDu);
  // The first note wraps at spaces into three lines; six of the nine lines are shown.
  EXPECT_EQ(notes->lineCount(), 9);
}

}  // namespace
