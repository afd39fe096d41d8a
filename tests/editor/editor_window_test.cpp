// The editor as a host opens it: the window and its class, the panel built from the
// tables, parameter changes reaching controls only in idle, the Master Bypass pair, the
// panel buttons, the logo menu and the about box. Headless, through the fake window.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <thread>

#include "editor/panel_geometry.h"
#include "editor/quorvane_cable.h"
#include "editor/quorvane_vstview.h"
#include "editor/quorvane_window.h"
#include "gui/cauguibutton.h"
#include "gui/cauguicanvas.h"
#include "gui/cauguipane.h"
#include "platform/gui.h"
#include "platform/host_frame.h"
#include "platform/headless_gui.h"
#include "tests/editor/editor_fixture.h"
#include "tests/plugin/plugin_object_test_util.h"

namespace {

using editortest::Editor;
namespace hl = platform::headless;

int childCount(const CAUGuiCtrl* c) {
  int n = 0;
  for (const CAUGuiCtrl* k = c->firstChild(); k; k = k->nextCtrl()) ++n;
  return n;
}

TEST(EditorWindow, RectBeforeOpeningAndTheHasEditorFlag) {
  Editor e;
  EXPECT_TRUE(e.instance.effect()->flags & effFlagsHasEditor);
  ERect* r = nullptr;
  ASSERT_EQ(e.instance.dispatch(effEditGetRect, 0, 0, &r), 1);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->top, 0);
  EXPECT_EQ(r->left, 0);
  EXPECT_EQ(r->bottom, 623);
  EXPECT_EQ(r->right, 1010);
}

TEST(EditorWindow, TwoEditorsShareOneClassAndCloseCountsNeverGoNegative) {
  const int before = Quorvane_Window::openWindowCount();
  {
    Editor a, b;
    a.close();  // closing an editor that was never opened
    EXPECT_EQ(Quorvane_Window::openWindowCount(), before);
    ASSERT_TRUE(a.open());
    ASSERT_TRUE(b.open());
    EXPECT_TRUE(hl::isClassRegistered(Quorvane_Window::kEffectClass));
    EXPECT_EQ(Quorvane_Window::openWindowCount(), before + 2);
    a.close();
    a.close();
    EXPECT_TRUE(hl::isClassRegistered(Quorvane_Window::kEffectClass)) << "b still uses it";
    EXPECT_EQ(Quorvane_Window::openWindowCount(), before + 1);
    ASSERT_TRUE(b.open()) << "a second open without a close replaces the first view";
    EXPECT_EQ(Quorvane_Window::openWindowCount(), before + 1);
    b.close();
    EXPECT_FALSE(hl::isClassRegistered(Quorvane_Window::kEffectClass));
    EXPECT_EQ(Quorvane_Window::openWindowCount(), before);
  }
}

TEST(EditorWindow, FiftyOpensAndClosesLeaveNoWindow) {
  Editor e;
  const int windows = hl::openWindowCount();
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(e.open());
    e.idle();
    e.close();
  }
  EXPECT_EQ(hl::openWindowCount(), windows);
}

TEST(EditorPanel, CountsJackIndexesAndPlaces) {
  Editor e;
  ASSERT_TRUE(e.open());
  EXPECT_EQ(childCount(e.view().pane()), 183);
  int images = 0;
  for (CAUGuiItem* g = e.canvas().graphics(); g; g = g->next()) ++images;
  EXPECT_EQ(images, 29);
  EXPECT_EQ(e.canvas().cableCount(), 89);

  struct {
    int jackIndex, param;
    const char* code;
    GuiRect rect;
  } jacks[] = {
      {30, 119, "pl30", {871, 297, 14, 14}},
      {31, 120, "pl31", {845, 297, 14, 14}},
      {1, 90, "plg1", {25, 297, 14, 14}},
      {89, 178, "mlt4", {26, 451, 14, 14}},
  };
  for (const auto& j : jacks) {
    Quorvane_Cable* jack = e.view().jack(j.jackIndex);
    ASSERT_NE(jack, nullptr) << j.code;
    EXPECT_EQ(jack->binding().index, j.param) << j.code;
    EXPECT_STREQ(jack->code(), j.code);
    EXPECT_EQ(jack->bounds(), j.rect) << j.code;
  }
  // Nothing inside the window reaches the two jacks placed beyond it.
  for (int jackIndex : {73, 74}) {
    const GuiRect r = e.view().jack(jackIndex)->bounds();
    EXPECT_GE(r.x, 1010) << jackIndex;
  }
  for (const CAUGuiCtrl* c = e.view().pane()->firstChild(); c; c = c->nextCtrl()) {
    const GuiRect img = c->imageRect();
    EXPECT_GE(img.w, 0) << "control " << c->binding().index;
    EXPECT_GE(img.h, 0) << "control " << c->binding().index;
    const GuiRect b = c->bounds();
    if (c->binding().index != 162 && c->binding().index != 163) {
      EXPECT_TRUE(b.x >= 0 && b.y >= 0 && b.x + b.w <= 1010 && b.y + b.h <= 623) << c->binding().index;
    }
  }
}

TEST(EditorPanel, TriggerButtonsKeepTheirMaximumAndImageHeight) {
  Editor e;
  ASSERT_TRUE(e.open());
  for (const char* what : {"envelope trigger button", "portamento trigger button", "lock button"}) {
    const panel::FixedControl* f = panel::findFixed(what);
    ASSERT_NE(f, nullptr);
    const CAUGuiCtrl* hit = e.view().pane()->hitTest({int16_t(f->rect.x + 2), int16_t(f->rect.y + 2)});
    ASSERT_NE(hit, nullptr) << what;
    EXPECT_EQ(hit->maxPosition(), 1) << what;
    EXPECT_EQ(hit->imageRect().h, f->rect.h) << what << ": the image fills the button";
  }
}

TEST(EditorPanel, OverlappingSlidersAreHitWhereTheyAreSeen) {
  Editor e;
  ASSERT_TRUE(e.open());
  // 53 spans y 372..395 over the bottom rows of 52 (350..373): it is drawn after 52.
  struct {
    GuiPoint p;
    int param;
  } hits[] = {{{470, 360}, 52}, {{470, 373}, 53}, {{470, 390}, 53}, {{470, 418}, 55}, {{470, 397}, 54}};
  for (const auto& h : hits) {
    const CAUGuiCtrl* hit = e.view().pane()->hitTest(h.p);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->binding().index, h.param) << "at y " << h.p.y;
  }
}

TEST(EditorPanel, OpeningChangesNoParameterAndLoadsEveryControl) {
  Editor e;
  e.plugin().setParameter(1, 0.0f);  // bypassed
  e.plugin().setParameter(25, 0.25f);
  frametest::resetRecords(2400);
  ASSERT_TRUE(e.open());
  e.idle();
  EXPECT_EQ(plugintest::countHostCalls(audioMasterAutomate), 0);
  EXPECT_EQ(e.plugin().getParameter(1), 0.0f);
  EXPECT_EQ(e.view().bypassSwitch()->position(), 0);
  EXPECT_EQ(e.view().powerLight()->position(), 0);
  const CAUGuiCtrl* res = e.control(25);
  EXPECT_NEAR(res->value(), res->binding().desc.minimum + 0.25f * (res->binding().desc.maximum - res->binding().desc.minimum), 1e-4);
}

TEST(EditorPanel, HostChangesReachControlsOnlyInIdle) {
  Editor e;
  ASSERT_TRUE(e.open());
  e.idle();
  CAUGuiCtrl* jack = e.view().jack(31);
  CAUGuiCtrl* res = e.control(25);
  const float before = res->value();
  std::thread other([&] {
    e.plugin().setParameter(120, 0.030f);  // jack 31 to jack 30
    e.plugin().setParameter(25, 0.5f);
  });
  other.join();
  EXPECT_EQ(res->value(), before) << "another thread changes no control";
  e.plugin().setParameter(1, 0.0f);
  EXPECT_EQ(e.view().powerLight()->position(), 1) << "nor does the GUI thread before idle";
  e.idle();
  EXPECT_FLOAT_EQ(jack->value(), 30.0f);
  const ParamDesc& d = res->binding().desc;
  EXPECT_FLOAT_EQ(res->value(), d.minimum + 0.5f * (d.maximum - d.minimum));
  EXPECT_EQ(e.view().bypassSwitch()->position(), 0);
  EXPECT_EQ(e.view().powerLight()->position(), 0) << "the power light follows parameter 1";
  // The cord shows at both of its ends.
  EXPECT_TRUE(e.view().jack(31)->isLinkedTo(e.view().jack(30)));
  EXPECT_TRUE(e.view().jack(30)->isLinkedTo(e.view().jack(31)));
  EXPECT_TRUE(e.view().jack(32)->peers().empty());
}

TEST(EditorPanel, EitherBypassControlLeavesBothShowingTheSame) {
  Editor e;
  e.plugin().setParameter(1, 1.0f);
  ASSERT_TRUE(e.open());
  e.idle();
  for (CAUGuiButton* clicked : {e.view().powerLight(), e.view().bypassSwitch(), e.view().bypassSwitch()}) {
    const GuiRect b = clicked->bounds();
    const GuiPoint p{int16_t(b.x + b.w / 2), int16_t(b.y + b.h / 2)};
    e.canvas().mouseDown(p, false, false);
    e.canvas().mouseUp(p, false);
    EXPECT_EQ(e.view().bypassSwitch()->position(), e.view().powerLight()->position());
    EXPECT_EQ(e.plugin().getParameter(1), float(e.view().bypassSwitch()->position()));
  }
}

TEST(EditorPanel, SaveDecisions) {
  struct {
    bool hasPatch;
    int source;
    bool locked;
    SaveDecision decision;
  } cases[] = {
      {false, 0, false, SaveDecision::SaveAs},      {true, 1, false, SaveDecision::SaveAs},
      {true, 2, true, SaveDecision::SaveAs},        {true, 0, true, SaveDecision::RefuseLocked},
      {true, 0, false, SaveDecision::Save},
  };
  for (const auto& c : cases)
    EXPECT_EQ(decideSave(c.hasPatch, c.source, c.locked), c.decision)
        << c.hasPatch << " " << c.source << " " << c.locked;
}

TEST(EditorPanel, ResetWhileStoppedDoesNotWaitForAFade) {
  Editor e;
  ASSERT_TRUE(e.open());
  e.plugin().setParameter(1, 0.0f);
  const auto t0 = std::chrono::steady_clock::now();
  e.view().resetButton();
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(500));
}

TEST(EditorPanel, LogoMenuItemsTipsAndAboutBox) {
  Editor e;
  ASSERT_TRUE(e.open());
  e.idle();
  hl::clearShown();
  const GuiPoint at{760, 385};  // on the logo button
  auto click = [&] {
    e.canvas().mouseDown(at, false, false);
    e.canvas().mouseUp(at, false);
  };
  hl::queueMenuAnswer(0);
  click();
  const auto shown = hl::shownMenus();
  ASSERT_EQ(shown.size(), 1u);
  const auto& items = shown[0].items;
  ASSERT_EQ(items.size(), 10u);
  EXPECT_EQ(items[0].text, "About Quorvane 3970");
  EXPECT_TRUE(items[1].separator);
  EXPECT_EQ(items[7].text, "MIDI Beat Synchronization");
  EXPECT_EQ(items[9].text, "Show Control Tips");
  EXPECT_TRUE(items[9].checked);
  EXPECT_TRUE(e.view().showTips()) << "dismissing changes nothing";

  hl::queueMenuAnswer(10);
  click();
  EXPECT_FALSE(e.view().showTips());
  EXPECT_FALSE(e.canvas().showTips());
  hl::queueMenuAnswer(10);
  click();
  EXPECT_TRUE(e.view().showTips());
  EXPECT_TRUE(e.view().logoMenu()->tipsChecked());

  for (int id : {3, 4, 6, 8}) {  // their pop-ups are absent
    hl::queueMenuAnswer(id);
    click();
    EXPECT_EQ(e.canvas().modal(), nullptr) << id;
  }

  hl::queueMenuAnswer(1);
  click();
  ASSERT_EQ(e.canvas().modal(), e.view().aboutBox());
  EXPECT_STREQ(KVXAboutBox::lineText(7), "No Natural Sounds were harmed during the creation of this program");
  e.idle();
  // Under the modal box a host change moves the control's value but draws nothing.
  e.window().clearInvalidations();
  e.plugin().setParameter(2, 0.8f);  // "Envelope Follower", at x 20, left of the box
  e.idle();
  const CAUGuiCtrl* follower = e.control(2);
  const ParamDesc& d = follower->binding().desc;
  EXPECT_NEAR(follower->value(), d.minimum + 0.8f * (d.maximum - d.minimum), 1e-3);
  for (const platform::Rect& r : e.window().invalidations())
    EXPECT_FALSE(r.x < 44 && r.x + r.w > 20 && r.y < 280 && r.y + r.h > 195) << "redrawn under the modal box";
  e.canvas().keyDown('x', 0);
  EXPECT_EQ(e.canvas().modal(), nullptr) << "any key closes the about box";
  hl::queueMenuAnswer(1);
  click();
  ASSERT_EQ(e.canvas().modal(), e.view().aboutBox());
  e.canvas().mouseDown({300, 300}, false, false);
  e.canvas().mouseUp({300, 300}, false);
  EXPECT_EQ(e.canvas().modal(), nullptr) << "so does a release over it";
}

TEST(EditorPanel, AnIdleWithNothingChangedDrawsNothing) {
  Editor e;
  ASSERT_TRUE(e.open());
  e.idle();
  e.idle();
  const int passes = e.canvas().drawPasses();
  e.window().clearInvalidations();
  for (int i = 0; i < 10; ++i) e.idle();
  EXPECT_EQ(e.canvas().drawPasses(), passes);
  EXPECT_TRUE(e.window().invalidations().empty());
}

}  // namespace
