// The control tree without a canvas: invalidation, hit tests, parameter search, tip boxes.
#include <gtest/gtest.h>

#include "gui/cauguictrl.h"

namespace {

// A pane {0, 0, 200, 100} with two children and a grandchild, given relative to their owners.
struct Tree {
  Tree() {
    pane = new CAUGuiCtrl(nullptr, {0, 0, 200, 100});
    a = new CAUGuiCtrl(nullptr, bindingFor(25, nullptr), {10, 10, 50, 50}, 100);
    b = new CAUGuiCtrl(nullptr, bindingFor(45, nullptr), {100, 10, 50, 50}, 100);
    a1 = new CAUGuiCtrl(nullptr, bindingFor(45, nullptr), {5, 5, 10, 10}, 100);
    pane->addChild(a);
    pane->addChild(b);
    a->addChild(a1);
  }
  ~Tree() { delete pane; }
  CAUGuiCtrl *pane, *a, *b, *a1;
};

TEST(ControlTree, ChildrenAreMovedByTheirOwner) {
  Tree t;
  EXPECT_EQ(t.a1->bounds(), (GuiRect{15, 15, 10, 10}));
  EXPECT_EQ(t.a1->owner(), t.a);
  t.pane->moveBy(3, 4);
  EXPECT_EQ(t.a1->bounds(), (GuiRect{18, 19, 10, 10}));
  EXPECT_EQ(t.a1->imageRect(), (GuiRect{18, 19, 10, 10}));
}

TEST(ControlTree, InvalidateFlowsDownClippedAndUpWhole) {
  Tree t;
  t.pane->invalidate({0, 0, 40, 40});
  ASSERT_EQ(t.pane->dirtyRectCount(), 1);
  EXPECT_EQ(t.pane->dirtyRects()[0], (GuiRect{0, 0, 40, 40}));
  ASSERT_TRUE(t.a->isDirty());
  EXPECT_EQ(t.a->dirtyRects()[0], (GuiRect{10, 10, 30, 30}));
  ASSERT_TRUE(t.a1->isDirty());
  EXPECT_EQ(t.a1->dirtyRects()[0], (GuiRect{15, 15, 10, 10}));
  EXPECT_FALSE(t.b->isDirty());
  EXPECT_TRUE(t.pane->needsRedraw());

  t.pane->clearDirty();
  EXPECT_FALSE(t.pane->needsRedraw());
  EXPECT_FALSE(t.a1->isDirty());
  EXPECT_EQ(t.a1->dirtyRectCount(), 0);

  // From the grandchild up: each owner lists the rectangle it was given, clipped to itself.
  t.a1->invalidate({0, 0, 300, 300});
  EXPECT_EQ(t.a1->dirtyRects()[0], (GuiRect{15, 15, 10, 10}));
  ASSERT_TRUE(t.a->isDirty());
  EXPECT_TRUE(t.a->dirtyRects().contains({10, 10, 50, 50}));
  ASSERT_TRUE(t.pane->isDirty());
  EXPECT_TRUE(t.pane->dirtyRects().contains({0, 0, 200, 100}));
  EXPECT_TRUE(t.b->isDirty());  // the pane passed the whole rectangle down to its clean child
}

TEST(ControlTree, ARectangleIsListedOnce) {
  Tree t;
  t.b->redraw();
  t.b->redraw();
  t.pane->invalidate({100, 10, 50, 50});
  EXPECT_EQ(t.b->dirtyRectCount(), 1);
  EXPECT_EQ(t.pane->dirtyRectCount(), 1);
  for (const CAUGuiCtrl* c : {t.pane, t.a, t.b, t.a1})
    for (int i = 0; i < c->dirtyRectCount(); ++i)
      for (int j = i + 1; j < c->dirtyRectCount(); ++j) EXPECT_NE(c->dirtyRects()[i], c->dirtyRects()[j]);
}

TEST(ControlTree, TheListHoldsAtMost1023Rectangles) {
  CAUGuiCtrl c(nullptr, {0, 0, 1010, 623});
  for (int i = 0; i < 1100; ++i) c.invalidate({i % 1000, i / 1000, 1, 1});
  EXPECT_EQ(c.dirtyRectCount(), 1023);
  EXPECT_EQ(c.dirtyRects()[1022], (GuiRect{22, 1, 1, 1}));
  c.clearDirty();
  EXPECT_EQ(c.dirtyRectCount(), 0);
}

TEST(ControlTree, InvalidateEndsThroughAnActiveChildThatPointsBack) {
  // A pop-up shown over the pane, owned by it and its active child: a rectangle beyond the
  // pane's bounds passes between them once and the walk ends.
  Tree t;
  CAUGuiCtrl popup(nullptr, {20, 20, 100, 60});
  popup.setOwner(t.pane);
  t.pane->setActiveChild(&popup);
  t.pane->invalidate({-50, -50, 400, 400});
  EXPECT_TRUE(popup.isDirty());
  EXPECT_EQ(popup.dirtyRects()[0], (GuiRect{20, 20, 100, 60}));
  EXPECT_LE(t.pane->dirtyRectCount(), 2);
  t.pane->setActiveChild(nullptr);
}

TEST(ControlTree, HitTestPrefersChildren) {
  Tree t;
  EXPECT_EQ(t.pane->hitTest({16, 16}), t.a1);
  EXPECT_EQ(t.pane->hitTest({12, 12}), t.a);
  EXPECT_EQ(t.pane->hitTest({59, 59}), t.a);
  EXPECT_EQ(t.pane->hitTest({60, 60}), t.pane);  // the right and bottom edges are outside
  EXPECT_EQ(t.pane->hitTest({120, 30}), t.b);
  EXPECT_EQ(t.pane->hitTest({200, 50}), nullptr);
  EXPECT_EQ(t.pane->hitTest({-1, 0}), nullptr);
}

TEST(ControlTree, FindByParameterSearchesDepthFirst) {
  Tree t;
  EXPECT_EQ(t.pane->findByParameter(45), t.a1);  // the grandchild comes before b
  EXPECT_EQ(t.pane->findByParameter(25), t.a);
  EXPECT_EQ(t.pane->findByParameter(-1), nullptr);  // the unbound pane is not found by -1
  EXPECT_EQ(t.pane->findByParameter(7), nullptr);
}

TEST(ControlTree, TipBoxesSitByTheControl) {
  struct Case {
    GuiRect rect;
    GuiRect tip;
  };
  const Case cases[] = {
      {{100, 200, 20, 30}, {100, 155, 150, 45}},  // above
      {{100, 70, 20, 30}, {100, 100, 150, 45}},   // near the top edge: below
      {{801, 71, 20, 30}, {671, 26, 150, 45}},    // near the right edge: pulled left
      {{800, 10, 20, 30}, {800, 40, 150, 45}},
  };
  for (const Case& c : cases) EXPECT_EQ(CAUGuiCtrl(nullptr, c.rect).tipBox(), c.tip);
}

TEST(ControlTree, KeysPassToTheOwner) {
  struct KeyTaker : CAUGuiCtrl {
    using CAUGuiCtrl::CAUGuiCtrl;
    int keyDown(uint8_t key, int) override {
      last = key;
      return kHandled;
    }
    int last = 0;
  };
  auto* owner = new KeyTaker(nullptr, GuiRect{0, 0, 50, 50});
  auto* child = new CAUGuiCtrl(nullptr, {1, 1, 5, 5});
  owner->addChild(child);
  EXPECT_EQ(child->keyDown(27, 0), kHandled);
  EXPECT_EQ(owner->last, 27);
  EXPECT_EQ(CAUGuiCtrl(nullptr, {0, 0, 1, 1}).keyDown(27, 0), kNotHandled);
  delete owner;
}

}  // namespace
