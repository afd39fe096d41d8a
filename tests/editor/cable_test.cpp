// Patch cords on the panel: plugging by kind, fan-out from outputs and Multiples, pulling
// and re-plugging, cord values set from code, and the drawn cord. Headless, with the real
// plug-in behind the panel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "editor/panel_geometry.h"
#include "editor/quorvane_cable.h"
#include "tests/editor/editor_fixture.h"

namespace {

using editortest::automations;
using editortest::centreOf;
using editortest::Editor;

// The index-th jack on the panel (0-based) of a kind, as its 1-based jack index.
int jackOfKind(int kind, int nth) {
  for (std::size_t i = 0; i < panel::kJackCount; ++i) {
    const panel::Jack& j = panel::kJacks[i];
    if (j.kind == kind && j.onPanel() && nth-- == 0) return static_cast<int>(i) + 1;
  }
  ADD_FAILURE() << "no jack of kind " << kind;
  return 1;
}

struct Panel : Editor {
  Panel() {
    EXPECT_TRUE(open());
    idle();
  }
  Quorvane_Cable* jack(int index) const { return view().jack(index); }
  // The plug-in's cord value of a jack: the jack index it names.
  int cord(int index) const { return static_cast<int>(std::lround(plugin().getParameter(89 + index) * 1000.0f)); }
  void drag(int from, int to) const { drag(from, centreOf(jack(to)->bounds())); }
  void drag(int from, GuiPoint to) const {
    const GuiPoint a = centreOf(jack(from)->bounds());
    canvas().mouseDown(a, false, false);
    canvas().mouseDrag({int16_t((a.x + to.x) / 2), int16_t((a.y + to.y) / 2)}, false);
    canvas().mouseDrag(to, false);
    canvas().mouseUp(to, false);
  }
};

// A point on the panel's background, far from every jack.
constexpr GuiPoint kEmptyPanel{520, 40};

TEST(Cable, KindPairsAcceptedAndRefused) {
  using K = Quorvane_Cable::Kind;
  struct {
    int from, to;
    char reporter;  // 'f' the dragged jack names the other, 't' the other names it, 0 refused
  } cases[] = {
      {K::kInput, K::kOutput, 'f'},  {K::kOutput, K::kInput, 't'},  {K::kInput, K::kTwoWay, 'f'},
      {K::kTwoWay, K::kInput, 't'},  {K::kOutput, K::kTwoWay, 't'}, {K::kTwoWay, K::kOutput, 'f'},
      {K::kTwoWay, K::kTwoWay, 't'}, {K::kInput, K::kInput, 0},     {K::kOutput, K::kOutput, 0},
  };
  for (const auto& c : cases) {
    Panel p;
    const int from = jackOfKind(c.from, 0), to = jackOfKind(c.to, c.from == c.to ? 1 : 0);
    frametest::resetRecords(2400);
    p.drag(from, to);
    const std::string what = std::to_string(c.from) + " to " + std::to_string(c.to);
    EXPECT_EQ(p.jack(from)->isLinkedTo(p.jack(to)), c.reporter != 0) << what;
    EXPECT_EQ(p.jack(to)->isLinkedTo(p.jack(from)), c.reporter != 0) << what;
    EXPECT_EQ(p.cord(from), c.reporter == 'f' ? to : 0) << what;
    EXPECT_EQ(p.cord(to), c.reporter == 't' ? from : 0) << what;
    if (c.reporter == 0) {
      EXPECT_TRUE(automations().empty()) << what << ": a refused drop reports nothing";
    }
    EXPECT_FALSE(p.jack(from)->dragging());
  }
}

TEST(Cable, AnOutputFansOutAndAPressTakesUpEveryCord) {
  Panel p;
  const int out = jackOfKind(Quorvane_Cable::kOutput, 0);
  const int in[3] = {jackOfKind(Quorvane_Cable::kInput, 0), jackOfKind(Quorvane_Cable::kInput, 1),
                     jackOfKind(Quorvane_Cable::kInput, 2)};
  // A press on a jack with cords takes them up, so each new cord starts at the free input.
  p.drag(out, in[0]);
  p.drag(in[1], out);
  p.drag(in[2], out);
  EXPECT_EQ(p.jack(out)->peers().size(), 3u);
  for (int i : in) EXPECT_EQ(p.cord(i), out) << i;

  // Released over the empty panel: every cord goes and all four jacks report 0.
  frametest::resetRecords(2400);
  p.drag(out, kEmptyPanel);
  EXPECT_TRUE(p.jack(out)->peers().empty());
  for (int j : {out, in[0], in[1], in[2]}) {
    EXPECT_EQ(p.cord(j), 0) << j;
    const auto a = automations();
    EXPECT_TRUE(std::any_of(a.begin(), a.end(), [&](auto& r) { return r.first == 89 + j && r.second == 0.0f; }))
        << "jack " << j << " reports 0";
  }

  // Released over the jack they came from: they are plugged back.
  for (int i : in) p.drag(i, out);
  p.drag(out, out);
  EXPECT_EQ(p.jack(out)->peers().size(), 3u);
  for (int i : in) EXPECT_EQ(p.cord(i), out) << i;

  // Re-plugged onto another output: each input follows.
  const int other = jackOfKind(Quorvane_Cable::kOutput, 1);
  p.drag(out, other);
  EXPECT_TRUE(p.jack(out)->peers().empty());
  for (int i : in) EXPECT_EQ(p.cord(i), other) << i;
}

TEST(Cable, AMultipleKeepsEveryCordTheEngineFansOut) {
  Panel p;
  const int out = jackOfKind(Quorvane_Cable::kOutput, 0);
  const int mult = jackOfKind(Quorvane_Cable::kTwoWay, 4);  // a Multiple
  const int in1 = jackOfKind(Quorvane_Cable::kInput, 0), in2 = jackOfKind(Quorvane_Cable::kInput, 1);
  ASSERT_EQ(std::string(p.jack(mult)->code()).substr(0, 3), "mlt");
  p.drag(out, mult);
  p.drag(in1, mult);
  p.drag(in2, mult);
  EXPECT_EQ(p.cord(mult), out) << "the Multiple reads the output";
  EXPECT_EQ(p.cord(in1), mult);
  EXPECT_EQ(p.cord(in2), mult);
  EXPECT_EQ(p.jack(mult)->peers().size(), 3u) << "the panel shows each cord the engine plays";

  // Plugging the Multiple into another output gives up only the cord its own value names.
  const int out2 = jackOfKind(Quorvane_Cable::kOutput, 1);
  p.drag(out2, mult);
  EXPECT_EQ(p.cord(mult), out2);
  EXPECT_FALSE(p.jack(mult)->isLinkedTo(p.jack(out)));
  EXPECT_TRUE(p.jack(mult)->isLinkedTo(p.jack(in1)));
  EXPECT_TRUE(p.jack(mult)->isLinkedTo(p.jack(in2)));
}

TEST(Cable, ASecondCordIntoAnInputReplacesTheFirst) {
  Panel p;
  const int out1 = jackOfKind(Quorvane_Cable::kOutput, 0), out2 = jackOfKind(Quorvane_Cable::kOutput, 1);
  const int in = jackOfKind(Quorvane_Cable::kInput, 3);
  p.drag(out1, in);
  p.drag(out2, in);
  EXPECT_EQ(p.cord(in), out2);
  EXPECT_TRUE(p.jack(out1)->peers().empty());
  EXPECT_EQ(p.jack(in)->peers().size(), 1u);
  // Pressing the input takes its one cord up; dropping it on the empty panel pulls it.
  p.drag(in, kEmptyPanel);
  EXPECT_EQ(p.cord(in), 0);
  EXPECT_TRUE(p.jack(out2)->peers().empty());
}

TEST(Cable, ValuesFromCode) {
  Panel p;
  Quorvane_Cable* j = p.jack(20);
  struct {
    float value;
    int linked;  // the jack index linked afterwards, 0 none
  } cases[] = {
      {5.0f, 5},    {4.9999995f, 5}, {5.4f, 5},  {0.005f, 0}, {0.0f, 0}, {20.0f, 0},
      {7.0f, 7},    {89.0f, 89},     {90.0f, 0}, {250.0f, 0}, {-3.0f, 0},
      {std::numeric_limits<float>::quiet_NaN(), 0},
  };
  frametest::resetRecords(2400);
  for (const auto& c : cases) {
    j->setValue(5.0f);  // start from a cord to jack 5
    j->setValue(c.value);
    if (c.linked) {
      ASSERT_EQ(j->peers().size(), 1u) << c.value;
      EXPECT_EQ(j->peers()[0]->jackIndex(), c.linked) << c.value;
    } else {
      EXPECT_TRUE(j->peers().empty()) << c.value;
    }
    EXPECT_EQ(p.jack(5)->isLinkedTo(j), c.linked == 5) << c.value << ": the old cord leaves the display";
  }
  EXPECT_TRUE(automations().empty()) << "values from code are not echoed to the host";

  // A cord another jack names stays when this jack's own value goes to 0.
  j->setValue(0.0f);
  p.jack(30)->setValue(20.0f);
  j->setValue(30.0f);
  j->setValue(0.0f);
  EXPECT_TRUE(j->isLinkedTo(p.jack(30)));
}

TEST(Cable, AHostValueIsNormalisedOnce) {
  Panel p;
  // Jack 31 to jack 5 is 0.005 for the host; it must not be taken as normalised again.
  p.plugin().setParameter(89 + 31, 0.005f);
  p.idle();
  ASSERT_EQ(p.jack(31)->peers().size(), 1u);
  EXPECT_EQ(p.jack(31)->peers()[0]->jackIndex(), 5);
  p.plugin().setParameter(89 + 31, 0.0f);
  p.idle();
  EXPECT_TRUE(p.jack(31)->peers().empty());
  EXPECT_TRUE(p.jack(5)->peers().empty());
}

TEST(Cable, ClosingAndReopeningShowsThePluginsCords) {
  Panel p;
  const int out = jackOfKind(Quorvane_Cable::kOutput, 0);
  const int in1 = jackOfKind(Quorvane_Cable::kInput, 0), in2 = jackOfKind(Quorvane_Cable::kInput, 1);
  p.drag(in1, out);
  p.drag(in2, out);
  p.close();
  ASSERT_TRUE(p.open());
  EXPECT_EQ(p.jack(out)->peers().size(), 2u);
  EXPECT_TRUE(p.jack(in1)->isLinkedTo(p.jack(out)));
}

TEST(CableDrawing, StrokeEndsAndSag) {
  const GuiRect a{100, 300, 14, 14}, b{400, 300, 14, 14};
  for (int ox : {4, 6, 8}) {
    const auto s = cordStroke(a, b, Quorvane_Cable::kSag, ox, 6);
    ASSERT_GE(s.size(), 3u);
    EXPECT_EQ(s.front(), (GuiPoint{int16_t(100 + ox), 306}));
    EXPECT_EQ(s.back(), (GuiPoint{int16_t(400 + ox), 306}));
    int lowest = 0;
    for (GuiPoint q : s) lowest = std::max<int>(lowest, q.y);
    EXPECT_NEAR(lowest, 306 + 135, 1) << "two jacks at one height: the cord hangs 135 pixels";
  }
  // The end 540 pixels above the start: the cord rises from its lowest point at the start.
  const GuiRect low{200, 600, 14, 14}, high{200, 60, 14, 14};
  const auto up = cordStroke(low, high, Quorvane_Cable::kSag, 6, 6);
  EXPECT_EQ(up.back(), (GuiPoint{206, 66}));
  for (std::size_t i = 1; i < up.size(); ++i) EXPECT_LE(up[i].y, up[i - 1].y) << i;
  // Either end may start it: the lowest point is the same.
  auto lowestOf = [](const std::vector<GuiPoint>& s) {
    int y = -1;
    for (GuiPoint q : s) y = std::max<int>(y, q.y);
    return y;
  };
  const GuiRect c{150, 250, 14, 14};
  EXPECT_NEAR(lowestOf(cordStroke(c, b, 60.0f, 6, 6)), lowestOf(cordStroke(b, c, 60.0f, 6, 6)), 1);
}

TEST(CableDrawing, TheCordIsDrawnAndErased) {
  Panel p;
  const int out = jackOfKind(Quorvane_Cable::kOutput, 0);
  const int in = jackOfKind(Quorvane_Cable::kInput, 0);
  // The cord's lowest point of the darkest stroke, half-way between two jacks on one row.
  const GuiRect a = p.jack(out)->bounds(), b = p.jack(in)->bounds();
  const auto stroke = cordStroke(b, a, Quorvane_Cable::kSag, 6, 6);
  const GuiPoint mid = *std::max_element(stroke.begin(), stroke.end(), [](GuiPoint l, GuiPoint r) { return l.y < r.y; });
  const platform::Bitmap* bitmap = p.canvas().bitmap();
  ASSERT_NE(bitmap, nullptr);
  const uint32_t before = bitmap->pixel(mid.x, mid.y) & 0xFFFFFF;
  p.drag(out, in);
  p.idle();
  EXPECT_EQ(bitmap->pixel(mid.x, mid.y) & 0xFFFFFF, 0x787878u);
  p.drag(out, kEmptyPanel);
  p.idle();
  EXPECT_EQ(bitmap->pixel(mid.x, mid.y) & 0xFFFFFF, before) << "the pulled cord is erased";
}

}  // namespace
