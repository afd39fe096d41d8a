// The canvas driven as the editor window drives it: synthetic mouse and key events, idles
// and paints, with a fake plug-in that records what reaches it.
#include <gtest/gtest.h>

#include <thread>

#include "canvas_fixture.h"
#include "gui/platform_rect.h"

namespace {

TEST(Canvas, DragsReportNormalisedValues) {
  CanvasFixture f;
  DragControl* resonance = f.add(25, 100, 100, 100);  // 0..1 in 100 steps
  DragControl* pan = f.add(45, 300, 100, 100);
  EXPECT_EQ(resonance->maxPosition(), 100);
  EXPECT_EQ(f.canvas->mouseDown({150, 110}, false, false), kHandled);
  EXPECT_EQ(f.canvas->mouseDrag({175, 110}, false), kHandled);
  f.canvas->idle();  // while pressed, the value tip is drawn with the control
  EXPECT_EQ(resonance->dragTips, 1);
  EXPECT_EQ(f.canvas->mouseUp({175, 110}, false), kHandled);
  ASSERT_EQ(f.plugin.automated.size(), 2u);
  EXPECT_EQ(f.plugin.automated[0].first, 25);
  EXPECT_FLOAT_EQ(f.plugin.automated[0].second, 0.5f);
  EXPECT_FLOAT_EQ(f.plugin.automated[1].second, 0.75f);
  // One gesture: begun before its first value, ended on release.
  EXPECT_EQ(f.plugin.begun, std::vector<int32_t>{25});
  EXPECT_EQ(f.plugin.ended, std::vector<int32_t>{25});
  // A drag after the release reaches nobody.
  EXPECT_EQ(f.canvas->mouseDrag({180, 110}, false), kNotHandled);
  EXPECT_EQ(f.plugin.automated.size(), 2u);
  (void)pan;
}

TEST(Canvas, JacksSendTheirPeerIndexOverAThousand) {
  CanvasFixture f;
  DragControl* jack = f.add(120, 100, 100, 1);  // 0..89
  EXPECT_EQ(jack->maxPosition(), 89);
  f.canvas->mouseDown({131, 105}, false, false);
  f.canvas->mouseUp({131, 105}, false);
  ASSERT_FALSE(f.plugin.automated.empty());
  EXPECT_EQ(f.plugin.automated.back().first, 120);
  EXPECT_FLOAT_EQ(f.plugin.automated.back().second, 0.031f);
}

TEST(Canvas, NothingIsSentWhileTheHostUpdates) {
  CanvasFixture f;
  DragControl* c = f.add(25, 100, 100, 100);
  f.canvas->setHostUpdate(true);
  c->setPosition(40);
  f.canvas->reportValue(c, 0.3f);
  f.canvas->reportControlValue(c);
  EXPECT_TRUE(f.plugin.automated.empty());
  f.canvas->setHostUpdate(false);
  f.canvas->reportValue(c, 0.3f);
  ASSERT_EQ(f.plugin.automated.size(), 1u);
  EXPECT_FALSE(c->isSending());
}

TEST(Canvas, AnIdleWithNothingDirtyDrawsNothing) {
  CanvasFixture f;
  DragControl* c = f.add(25, 100, 100, 100);
  f.settle();
  EXPECT_GT(c->draws, 0);
  const int draws = c->draws, passes = f.canvas->drawPasses();
  for (int i = 0; i < 10; ++i) f.canvas->idle();
  EXPECT_EQ(c->draws, draws);
  EXPECT_EQ(f.canvas->drawPasses(), passes);
  EXPECT_TRUE(f.driver().invalidations().empty());

  // A redraw draws that control, clipped to it, and invalidates the window there only.
  c->redraw();
  f.canvas->idle();
  EXPECT_EQ(c->draws, draws + 1);
  ASSERT_FALSE(f.driver().invalidations().empty());
  for (const platform::Rect& r : f.driver().invalidations()) EXPECT_EQ(fromPlatform(r), c->bounds());
  EXPECT_FALSE(f.canvas->controls()->needsRedraw());
}

TEST(Canvas, PaintCopiesTheBitmapToTheWindow) {
  CanvasFixture f;
  f.add(25, 100, 100, 100);
  f.canvas->idle();
  f.driver().paintAll();
  // The control's fill reaches the window; the pane drew the same colour everywhere.
  EXPECT_EQ(f.driver().screen().pixel(150, 110) & 0xFFFFFF, 0x3366CCu);
}

TEST(Canvas, TheWindowsEventsReachTheCanvas) {
  CanvasFixture f;
  DragControl* c = f.add(25, 100, 100, 100);
  f.settle();
  f.driver().mouseDown({110, 105}, {.shift = false, .control = false, .alt = false});
  EXPECT_TRUE(f.driver().hasCapture());
  f.driver().mouseMove({130, 105});
  f.driver().mouseMove({130, 105});  // the same point again: dropped
  f.driver().mouseUp({130, 105});
  EXPECT_FALSE(f.driver().hasCapture());
  ASSERT_EQ(f.plugin.automated.size(), 2u);
  EXPECT_FLOAT_EQ(f.plugin.automated[1].second, 0.3f);
  EXPECT_EQ(c->position(), 30);
  // A capture taken away mid-drag ends the gesture.
  f.driver().mouseDown({150, 105});
  f.driver().stealCapture();
  EXPECT_EQ(f.canvas->pressedControl(), nullptr);
  EXPECT_EQ(f.plugin.begun.size(), f.plugin.ended.size());
}

TEST(Canvas, PaintOutsideThePanelCopiesAllOfIt) {
  struct Target : platform::PaintTarget {
    void copy(const platform::Bitmap&, const platform::Rect& r) override { copied.push_back(fromPlatform(r)); }
    std::vector<GuiRect> copied;
  } target;
  CanvasFixture f;
  f.canvas->paint(target, {10, 10, 20, 20});
  f.canvas->paint(target, {1011, 0, 5, 5});
  f.canvas->paint(target, {0, 624, 5, 5});
  f.canvas->paint(target, {0, 623, 5, 5});
  const GuiRect all{0, 0, 1010, 623};
  ASSERT_EQ(target.copied.size(), 4u);
  EXPECT_EQ(target.copied[0], (GuiRect{10, 10, 20, 20}));
  EXPECT_EQ(target.copied[1], all);
  EXPECT_EQ(target.copied[2], all);
  EXPECT_EQ(target.copied[3], (GuiRect{0, 623, 5, 5}));
}

// The MIDI map editor as far as the canvas sees it.
struct LearnPopup : MidiLearnPopup {
  explicit LearnPopup(CAUGuiCanvas* canvas) : popup(canvas, GuiRect{200, 200, 300, 200}) {}
  CAUGuiCtrl* learnControl() override { return &popup; }
  void openForLearn(CAUGuiCtrl* control, const MidiMapEntry*, CAUGuiCtrl* back) override {
    openedFor = control;
    returnTo = back;
  }
  struct Popup : DragControl {
    using DragControl::DragControl;
    void midiLearned(int status, int number) override { heard.emplace_back(status, number); }
    std::vector<std::pair<int, int>> heard;
  } popup;
  CAUGuiCtrl* openedFor = nullptr;
  CAUGuiCtrl* returnTo = nullptr;
};

TEST(Canvas, ShiftClickArmsMidiLearn) {
  CanvasFixture f;
  DragControl* trigger = f.add(78, 100, 100, 1);
  DragControl* power = f.add(79, 100, 300, 1);
  LearnPopup learn(f.canvas.get());
  f.canvas->setMidiMapPopup(&learn);

  EXPECT_EQ(f.canvas->mouseDown({105, 305}, false, true), kHandled);  // 79: the control's
  f.canvas->mouseUp({105, 305}, false);
  EXPECT_EQ(f.canvas->midiLearnTarget(), nullptr);

  EXPECT_EQ(f.canvas->mouseDown({105, 105}, false, true), kNotHandled);
  EXPECT_EQ(f.canvas->midiLearnTarget(), &learn.popup);
  EXPECT_EQ(learn.openedFor, trigger);
  EXPECT_EQ(learn.returnTo, nullptr);
  EXPECT_EQ(f.canvas->modal(), &learn.popup);
  EXPECT_EQ(f.pane->activeChild(), &learn.popup);
  EXPECT_EQ(f.canvas->pressedControl(), nullptr);
  EXPECT_EQ(f.plugin.begun, std::vector<int32_t>{79});  // learn starts no gesture

  // The learn word: 0 tells nothing; a pitch-bend word reports number 128.
  f.canvas->idle();
  EXPECT_TRUE(learn.popup.heard.empty());
  f.plugin.learnWord = static_cast<float>(0xE000 + 0x12);
  f.canvas->idle();
  ASSERT_EQ(learn.popup.heard.size(), 1u);
  EXPECT_EQ(learn.popup.heard[0], std::make_pair(0xE0, 128));
  f.plugin.learnWord = static_cast<float>(0x0307);  // channel 3, controller 7
  f.canvas->idle();
  EXPECT_EQ(learn.popup.heard.back(), std::make_pair(0x03, 7));
  EXPECT_EQ(f.canvas->learnedChannel(), 3);

  f.canvas->closeModal();
  EXPECT_EQ(f.canvas->modal(), nullptr);
  EXPECT_EQ(f.pane->activeChild(), nullptr);
  EXPECT_EQ(f.canvas->focusControl(), f.pane);
  (void)power;
}

TEST(Canvas, ShiftClickWithoutAMidiMapEditorDoesNothing) {
  CanvasFixture f;
  f.add(5, 100, 100, 1000);
  EXPECT_EQ(f.canvas->mouseDown({105, 105}, false, true), kNotHandled);
  EXPECT_EQ(f.canvas->pressedControl(), nullptr);
  EXPECT_TRUE(f.plugin.automated.empty());
}

TEST(Canvas, AFieldThatLostTheFocusIsToldOnce) {
  CanvasFixture f;
  DragControl* field = f.add(25, 100, 100, 100);
  f.canvas->mouseDown({105, 105}, false, false);
  f.canvas->mouseUp({105, 105}, false);
  EXPECT_EQ(f.canvas->focusControl(), field);
  EXPECT_EQ(field->focusChanges, std::vector<bool>{true});
  // Outside every control: the field loses the focus and is no longer the focus control.
  EXPECT_EQ(f.canvas->mouseDown({2000, 2000}, false, false), kNotHandled);
  EXPECT_EQ(f.canvas->focusControl(), nullptr);
  EXPECT_EQ(f.canvas->mouseDown({2000, 2000}, false, false), kNotHandled);
  EXPECT_EQ(field->focusChanges, (std::vector<bool>{true, false}));
  EXPECT_EQ(f.canvas->keyDown(13, 0), kNotHandled);  // no key reaches it any more
  // Clicked again, it gains the focus again.
  f.canvas->mouseDown({105, 105}, false, false);
  EXPECT_EQ(field->focusChanges, (std::vector<bool>{true, false, true}));
}

TEST(Canvas, TheHoverTipShowsOverAStillPanel) {
  CanvasFixture f;
  DragControl* c = f.add(25, 100, 100, 100);
  f.settle();
  f.canvas->mouseMove({110, 110});
  EXPECT_EQ(f.canvas->hoverControl(), c);
  for (int i = 0; i < CAUGuiCanvas::kTipDelay - 1; ++i) f.canvas->idle();
  EXPECT_EQ(c->hoverTips, 0);
  f.canvas->idle();
  EXPECT_EQ(c->hoverTips, 1);
  ASSERT_FALSE(f.driver().invalidations().empty());
  EXPECT_EQ(fromPlatform(f.driver().invalidations().back()), c->tipBox());
  f.canvas->idle();  // nothing dirty, the tip already shown: no drawing
  EXPECT_EQ(c->hoverTips, 1);
  // Moving off hides it: the panel under the tip is redrawn.
  f.canvas->mouseMove({600, 500});
  EXPECT_TRUE(f.pane->isDirty());
  f.canvas->setShowTips(false);
  for (int i = 0; i < 10; ++i) f.canvas->idle();
  EXPECT_EQ(f.pane->hoverTips, 0);
}

TEST(Canvas, HostValuesMoveControlsOnTheGuiThreadOnly) {
  CanvasFixture f;
  DragControl* slider = f.add(25, 100, 100, 100);
  DragControl* jack = f.add(120, 100, 200, 1);
  f.settle();
  f.canvas->setHostValue(25, 0.25f);  // on the GUI thread: at once
  EXPECT_FLOAT_EQ(slider->value(), 0.25f);
  EXPECT_EQ(slider->position(), 25);
  EXPECT_TRUE(slider->isDirty());
  std::thread audio([&] { f.canvas->setHostValue(120, 0.031f); });
  audio.join();
  EXPECT_EQ(jack->value(), 0.0f);  // not yet: it waits for the GUI thread's idle
  f.canvas->idle();
  EXPECT_FLOAT_EQ(jack->value(), 31.0f);
  EXPECT_EQ(jack->position(), 31);
  EXPECT_TRUE(f.plugin.automated.empty());  // nothing went back to the plug-in
  // The control that is sending is not moved by its own change coming back.
  slider->setSending(true);
  f.canvas->setHostValue(25, 0.9f);
  EXPECT_FLOAT_EQ(slider->value(), 0.25f);
}

TEST(Canvas, SyncLoadsEveryBoundControlWithoutReporting) {
  CanvasFixture f;
  DragControl* slider = f.add(33, 100, 100, 1000);  // attack 0.003..100, logarithmic
  DragControl* jack = f.add(130, 100, 200, 1);
  f.plugin.values[33] = 1.0f;
  f.plugin.values[130] = 0.089f;
  f.canvas->syncFromPlugin();
  EXPECT_FLOAT_EQ(slider->value(), 100.0f);
  EXPECT_EQ(slider->position(), slider->maxPosition());
  EXPECT_FLOAT_EQ(jack->value(), 89.0f);
  EXPECT_TRUE(f.plugin.automated.empty());
}

TEST(Canvas, WithoutControlsNothingBreaks) {
  FakePlugin plugin;
  CAUGuiCanvas canvas(&plugin, nullptr, 0, 0);
  canvas.idle();
  EXPECT_EQ(canvas.mouseDown({10, 10}, false, true), kNotHandled);
  EXPECT_EQ(canvas.mouseDrag({10, 10}, false), kNotHandled);
  EXPECT_EQ(canvas.mouseUp({10, 10}, false), kNotHandled);
  EXPECT_EQ(canvas.mouseMove({10, 10}), kNotHandled);
  EXPECT_EQ(canvas.keyDown(27, 0), kNotHandled);
  EXPECT_EQ(canvas.findControlByParameter(5), nullptr);
  canvas.closeModal();
  canvas.refreshPatchMenu(0);
  for (int i = 0; i < 10; ++i) canvas.idle();
  EXPECT_EQ(canvas.drawPasses(), 0);
}

TEST(Canvas, APatchChangeMadeElsewhereRefreshesTheMenusAtTheNextIdle) {
  struct LockedPlugin : FakePlugin {
    bool currentPatchLocked() override { return locked; }
    bool locked = true;
  };
  LockedPlugin plugin;
  CAUGuiCanvas canvas(&plugin, nullptr, 0, 0);
  auto* pane = new DragControl(&canvas, GuiRect{0, 0, 1010, 623});
  canvas.addControl(pane);
  DragControl* menus[3];
  for (int level = 0; level < 3; ++level) {
    menus[level] = new DragControl(&canvas, GuiRect{10 + 100 * level, 10, 90, 20});
    pane->addChild(menus[level]);
    canvas.setPatchMenu(level, menus[level]);
  }
  auto* lock = new DragControl(&canvas, GuiRect{400, 10, 20, 20}, 1.0f);
  auto* notes = new DragControl(&canvas, GuiRect{10, 40, 300, 100});
  pane->addChild(lock);
  pane->addChild(notes);
  canvas.setLockButton(lock);
  canvas.setNotesArea(notes);
  canvas.idle();
  const int drawn = menus[2]->draws;

  int patch = 0;
  plugin.patch = &patch;  // a MIDI program change chose another patch
  canvas.idle();
  for (DragControl* c : {menus[0], menus[1], menus[2], notes}) EXPECT_EQ(c->draws, drawn + 1);
  EXPECT_EQ(lock->position(), 1);
  canvas.idle();  // the same patch: nothing more
  EXPECT_EQ(menus[0]->draws, drawn + 1);
  EXPECT_TRUE(plugin.automated.empty());  // the lock button is no parameter
}

TEST(Canvas, IdsAndJacks) {
  CanvasFixture f;
  DragControl* a = f.add(120, 10, 10, 1);
  DragControl* b = f.add(121, 40, 10, 1);
  EXPECT_EQ(f.pane->id(), 1);
  EXPECT_EQ(a->id(), 2);
  EXPECT_EQ(b->id(), 3);
  EXPECT_EQ(f.canvas->addCable(a), 0);
  EXPECT_EQ(f.canvas->addCable(b), 1);
  EXPECT_EQ(f.canvas->cableAt({45, 15}), a);  // a is 100 wide and registered first
  EXPECT_EQ(f.canvas->cableAt({125, 15}), b);
  EXPECT_EQ(f.canvas->cableAt({5, 5}), nullptr);
  for (int i = 2; i < CAUGuiCanvas::kJackPlaces; ++i) f.canvas->addCable(a);
  EXPECT_EQ(f.canvas->addCable(b), -1);  // every place taken
}

}  // namespace
