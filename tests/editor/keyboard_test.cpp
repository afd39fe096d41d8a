// The on-panel keyboard: which key a point plays (against the keys as the board draws
// them), the notes a mouse gesture sends with and without hold, the highlights, and no note
// left sounding when the editor closes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "editor/panel_geometry.h"
#include "editor/quorvane_keyboard.h"
#include "tests/editor/editor_fixture.h"
#include "tests/plugin/send_midi.h"

namespace {

using editortest::Editor;

// The keys as the board image shows them: semitone slots across 734 pixels from x 258,
// white keys 12/7 slots wide side by side, black keys 13 pixels wide at their slot.
constexpr double kSemitone = 734.0 / 60.0;
constexpr double kWhite = kSemitone * 12.0 / 7.0;
constexpr int kLeft = 258, kTop = 493;

bool black(int key) {
  const int pc = key % 12;
  return pc == 1 || pc == 3 || pc == 6 || pc == 8 || pc == 10;
}
double whiteLeft(int key) {
  int whites = 0;
  for (int k = 36; k < key; ++k) whites += !black(k);
  return kLeft + whites * kWhite;
}
double blackLeft(int key) { return std::round(kLeft + (key - 36) * kSemitone) + 1.0; }

// Where a player clicks a key: a black key in the middle of its top, a white key in the
// middle of its front or of its part between the black keys.
GuiPoint front(int key) { return {int16_t(whiteLeft(key) + std::min(kWhite, 1006 - whiteLeft(key)) / 2), kTop + 95}; }
GuiPoint top(int key) {
  if (black(key)) return {int16_t(blackLeft(key) + 6.5), kTop + 30};
  const double l = key > 36 && black(key - 1) ? blackLeft(key - 1) + 13 : whiteLeft(key);
  const double r = key < 96 && black(key + 1) ? blackLeft(key + 1) : std::min(whiteLeft(key) + kWhite, 1006.0);
  return {int16_t((l + r) / 2), kTop + 30};
}
GuiPoint strip() { return {400, kTop + 118}; }

TEST(PanelKeyboard, EveryKeyUnderThePointAndHighlightedWhereItIsPlayed) {
  Editor e;
  ASSERT_TRUE(e.open());
  e.idle();
  Quorvane_Keyboard& kb = *e.view().keyboard();
  EXPECT_EQ(kb.lowKey(), 36);
  EXPECT_EQ(kb.highKey(), 96);
  int keys = 0;
  for (int key = 36; key <= 96; ++key, ++keys) {
    EXPECT_EQ(kb.keyAt(top(key)), key) << "top of " << key;
    if (!black(key)) {
      EXPECT_EQ(kb.keyAt(front(key)), key) << "front of " << key;
    }
  }
  EXPECT_EQ(keys, 61);
  EXPECT_EQ(kb.keyAt({250, kTop + 30}), 36) << "left of the first key";
  EXPECT_EQ(kb.keyAt({1004, kTop + 95}), 96) << "right of the last key";
  EXPECT_TRUE(kb.bounds().contains(front(96))) << "the top key lies inside the keyboard";

  // Each key pressed on the panel lights up where it was pressed.
  const platform::Bitmap* bitmap = e.canvas().bitmap();
  for (int key = 36; key <= 96; ++key) {
    const GuiPoint p = black(key) ? top(key) : front(key);
    e.canvas().mouseDown(p, false, false);
    e.idle();
    EXPECT_EQ(bitmap->pixel(p.x, p.y) & 0xFFFFFF, Quorvane_Keyboard::kKeyColour) << key;
    e.canvas().mouseUp(p, false);
    e.idle();
    EXPECT_NE(bitmap->pixel(p.x, p.y) & 0xFFFFFF, Quorvane_Keyboard::kKeyColour) << key;
  }
}

TEST(PanelKeyboard, KeysHeldFromMidiLightUp) {
  Editor e;
  ASSERT_TRUE(e.open());
  e.idle();
  e.instance.dispatch(effMainsChanged, 0, 1);
  plugintest::sendMidi(e.instance.effect(), {{0x90, 64, 100}});
  editortest::render(e.plugin(), 512);
  e.idle();
  EXPECT_TRUE(e.view().keyboard()->isKeyDown(64));
  const GuiPoint p = front(64);
  EXPECT_EQ(e.canvas().bitmap()->pixel(p.x, p.y) & 0xFFFFFF, Quorvane_Keyboard::kKeyColour);
}

// A keyboard over a recorder of the notes it plays.
struct Recorder final : PanelKeys {
  std::vector<std::pair<int, int>> notes;
  bool held[128] = {};
  void playNote(int key, int velocity) override {
    notes.emplace_back(key, velocity);
    held[key] = velocity != 0;
  }
  void heldKeys(bool out[128]) override { std::copy(held, held + 128, out); }
};

struct Step {
  char action;  // 'd' down, 'm' move, 'u' up, 'i' an idle pass (the key states are read)
  int key;      // -1: the hold strip
};

TEST(PanelKeyboard, GesturesAgainstTheNotePath) {
  using Notes = std::vector<std::pair<int, int>>;
  struct {
    const char* what;
    std::vector<Step> steps;
    Notes sent;
  } cases[] = {
      {"a click", {{'d', 60}, {'u', 60}}, {{60, 64}, {60, 0}}},
      {"a drag moves the note", {{'d', 60}, {'m', 62}, {'m', 64}, {'u', 64}}, {{60, 64}, {60, 0}, {62, 64}, {62, 0}, {64, 64}, {64, 0}}},
      {"a release over another key ends only the pressed one", {{'d', 60}, {'u', 64}}, {{60, 64}, {60, 0}}},
      {"hold latches", {{'d', -1}, {'u', -1}, {'d', 60}, {'u', 60}, {'d', 64}, {'u', 67}}, {{60, 64}, {64, 64}}},
      {"hold: a click on a latched key releases it",
       {{'d', -1}, {'u', -1}, {'d', 60}, {'u', 60}, {'i', 0}, {'d', 60}, {'u', 60}},
       {{60, 64}, {60, 0}}},
      {"hold: a drag moves the latch", {{'d', -1}, {'u', -1}, {'d', 60}, {'m', 62}, {'u', 62}}, {{60, 64}, {60, 0}, {62, 64}}},
      {"the strip's drags and release play nothing", {{'d', -1}, {'m', 60}, {'u', 60}}, {}},
  };
  for (const auto& c : cases) {
    CAUGuiCanvas canvas(nullptr, nullptr, 0, 0);
    Recorder rec;
    Quorvane_Keyboard kb(&canvas, GuiRect{kLeft, kTop, 748, 123}, &rec, 734);
    kb.setRange(96, 36);
    for (const Step& s : c.steps) {
      const GuiPoint p = s.key < 0 ? strip() : top(s.key);
      if (s.action == 'd') kb.mouseDown(p, false, false);
      if (s.action == 'm') kb.mouseDrag(p, false, false);
      if (s.action == 'u') kb.mouseUp(p, false, false);
      if (s.action == 'i') kb.needsRedraw();
    }
    EXPECT_EQ(rec.notes, c.sent) << c.what;
    rec.notes.clear();
  }
}

TEST(PanelKeyboard, HoldOffSendsEveryNoteOff) {
  CAUGuiCanvas canvas(nullptr, nullptr, 0, 0);
  Recorder rec;
  Quorvane_Keyboard kb(&canvas, GuiRect{kLeft, kTop, 748, 123}, &rec, 734);
  kb.setRange(96, 36);
  kb.mouseDown(strip(), false, false);
  kb.mouseUp(strip(), false, false);
  ASSERT_TRUE(kb.hold());
  kb.mouseDown(top(60), false, false);
  kb.mouseUp(top(60), false, false);
  rec.notes.clear();
  kb.mouseDown(strip(), false, false);
  kb.mouseUp(strip(), false, false);
  EXPECT_FALSE(kb.hold());
  ASSERT_EQ(rec.notes.size(), 128u) << "notes held from MIDI are released too";
  for (int n = 0; n < 128; ++n) EXPECT_EQ(rec.notes[n], std::make_pair(n, 0));
}

// The level of the plug-in's output over the last part of a render.
double tailLevel(Quorvane_VSTEdit& plugin, int frames) {
  const std::vector<float> out = editortest::render(plugin, frames);
  return editortest::rms(out, out.size() / 2);
}

TEST(PanelKeyboard, ClosingTheEditorReleasesTheKeysItHolds) {
  for (bool latched : {false, true}) {
    Editor e;
    ASSERT_TRUE(e.open());
    e.instance.dispatch(effMainsChanged, 0, 1);
    e.idle();
    if (latched) {
      e.canvas().mouseDown(strip(), false, false);
      e.canvas().mouseUp(strip(), false);
      for (int key : {48, 55, 60}) {
        e.canvas().mouseDown(top(key), false, false);
        e.canvas().mouseUp(top(key), false);
      }
    } else {
      e.canvas().mouseDown(top(60), false, false);  // the editor closes before the release
    }
    const double playing = tailLevel(e.plugin(), 22050);
    EXPECT_GT(playing, 1e-3) << "the panel's notes sound (latched " << latched << ")";
    e.close();
    const double after = tailLevel(e.plugin(), 4 * 44100);
    EXPECT_LT(after, 1e-5) << "silent after the editor closed (latched " << latched << ")";
    EXPECT_LT(after, playing * 1e-3);
  }
}

// The period of a steady tone: the first autocorrelation peak past the first dip that comes
// near the highest one (so a multiple of the period is not taken for it).
double periodOf(const std::vector<float>& s, std::size_t from) {
  constexpr std::size_t kWindow = 8192, kMaxLag = 2000;
  std::vector<double> corr(kMaxLag + 1);
  for (std::size_t lag = 0; lag <= kMaxLag; ++lag)
    for (std::size_t i = from; i < from + kWindow; ++i) corr[lag] += double(s[i]) * s[i + lag];
  std::size_t start = 1;
  while (start < kMaxLag && corr[start] > 0) ++start;
  const double highest = *std::max_element(corr.begin() + long(start), corr.end());
  for (std::size_t lag = start + 1; lag < kMaxLag; ++lag)
    if (corr[lag] >= 0.9 * highest && corr[lag] >= corr[lag - 1] && corr[lag] >= corr[lag + 1]) return double(lag);
  return 0.0;
}

TEST(PanelKeyboard, PanelKeysSoundAtTheirPitch) {
  double periods[2] = {};
  int i = 0;
  for (int key : {48, 60}) {
    Editor e;
    ASSERT_TRUE(e.open());
    e.instance.dispatch(effMainsChanged, 0, 1);
    e.idle();
    e.canvas().mouseDown(top(key), false, false);
    const std::vector<float> out = editortest::render(e.plugin(), 44100);
    periods[i++] = periodOf(out, 22050);
    e.canvas().mouseUp(top(key), false);
  }
  EXPECT_NEAR(periods[0] / periods[1], 2.0, 0.05) << "an octave apart: " << periods[0] << " " << periods[1];
}

}  // namespace
