#include "test_editor.h"

#include <algorithm>
#include <cstdio>

#include "gui/canvas_window.h"
#include "gui/cauguicanvas.h"
#include "gui/cauguislider.h"
#include "gui/kvxtext.h"
#include "gui/platform_rect.h"
#include "platform/gui.h"
#include "plugin/audioeffectx.h"
#include "tools/controlprobe/controls_scene.h"

#ifndef QV_EFFECT_BUILD
#define QV_EFFECT_BUILD 0
#endif
#ifndef QV_BROKEN
#define QV_BROKEN 0
#endif

namespace {

constexpr GuiColour kPanel = 0x2B3A4A, kTrack = 0x101820, kFill = 0xE08A1E, kText = 0xF0F0F0;

// The panel: a filled background and a title; it draws its dirty children over it.
class TestPane : public CAUGuiCtrl {
 public:
  using CAUGuiCtrl::CAUGuiCtrl;
  void draw(DrawContext& s, int flags) override {
    s.fillRect(toPlatform(bounds_), kPanel);
    s.fillRect({bounds_.x, bounds_.y + 60, bounds_.w, 3}, kFill);
    s.drawText("Quorvane 3970 test editor", {bounds_.x + 20, bounds_.y + 16, 600, 30}, {"Arial", 22, 400}, kText,
               platform::text::kSingleLine | platform::text::kVCenter | platform::text::kNoPrefix);
    for (CAUGuiCtrl* c = firstChild(); c; c = c->nextCtrl())
      if (c->isDirty()) {
        c->draw(s, flags);
        c->clearDirty();
      }
  }
};

// A horizontal bar: the filled part shows the value, the text its percentage. A press or a
// drag puts the value under the mouse.
class GainBar : public CAUGuiCtrl {
 public:
  using CAUGuiCtrl::CAUGuiCtrl;
  int mouseDown(GuiPoint p, bool, bool) override { return follow(p); }
  int mouseDrag(GuiPoint p, bool, bool) override { return follow(p); }
  int mouseUp(GuiPoint, bool, bool) override { return kHandled; }
  // The bar fills the top of the bounds, the readout the rest; both are redrawn whole.
  void draw(DrawContext& s, int) override {
    const platform::Rect bar{bounds_.x, bounds_.y, bounds_.w, TestEditor::kGainHeight};
    s.fillRect(toPlatform(bounds_), kPanel);
    s.fillRect(bar, kTrack);
    const int span = maxPosition_ > 0 ? (bounds_.w - 3) * position_ / maxPosition_ : 0;
    s.fillRect({bar.x, bar.y, span, bar.h}, kFill);
    s.fillRect({bar.x + span, bar.y, 3, bar.h}, kText);
    char label[64];
    std::snprintf(label, sizeof label, "Gain %d%%", maxPosition_ > 0 ? 100 * position_ / maxPosition_ : 0);
    s.drawText(label, {bounds_.x, bar.y + bar.h + 4, bounds_.w, bounds_.h - bar.h - 4}, {"Arial", 16, 400}, kText,
               platform::text::kCenter | platform::text::kSingleLine | platform::text::kVCenter |
                   platform::text::kNoPrefix);
  }

 private:
  int follow(GuiPoint p) {
    const int steps = maxPosition_;
    const int x = std::clamp(p.x - bounds_.x, 0, bounds_.w);
    // The nearest step to the mouse.
    setPosition(bounds_.w > 0 ? (x * steps * 2 + bounds_.w) / (2 * bounds_.w) : 0);
    redraw();
    return kHandled;
  }
};

// The key strip: a press holds the editor's key, the release lets it go.
class KeyStrip : public CAUGuiCtrl {
 public:
  KeyStrip(CAUGuiCanvas* canvas, const GuiRect& r, TestEditor* editor) : CAUGuiCtrl(canvas, r), editor_(editor) {}
  int mouseDown(GuiPoint, bool, bool) override {
    editor_->holdKey(TestEditor::kKeysNote);
    return kHandled;
  }
  int mouseUp(GuiPoint, bool, bool) override {
    editor_->holdKey(-1);
    return kHandled;
  }
  void draw(DrawContext& s, int) override {
    s.fillRect(toPlatform(bounds_), kText);
    for (int x = bounds_.x; x < bounds_.x + bounds_.w; x += 20) s.fillRect({x, bounds_.y, 1, bounds_.h}, kTrack);
  }

 private:
  TestEditor* editor_;
};

// A text field that takes the focus (and opens its edit box) when pressed.
class NameField : public KVXTextEditor {
 public:
  NameField(CAUGuiCanvas* canvas, const GuiRect& r) : KVXTextEditor(canvas, r, 0, nullptr) {}
  int mouseDown(GuiPoint, bool, bool) override {
    canvas_->setFocus(this);
    return kHandled;
  }
};

ParamBinding gainBinding(CanvasPlugin* plugin) {
  ParamBinding b;
  b.index = 0;
  std::snprintf(b.desc.name, sizeof b.desc.name, "Gain");
  b.desc.minimum = 0.0f;
  b.desc.maximum = 1.0f;
  b.desc.defaultValue = 1.0f;
  b.plugin = plugin;
  return b;
}

}  // namespace

TestEditor::TestEditor(AudioEffectX* effect) : AEffEditor(effect), fx_(effect) {}

TestEditor::~TestEditor() { close(); }

bool TestEditor::getRect(ERect** rect) {
  static ERect r{0, 0, CAUGuiCanvas::kHeight, CAUGuiCanvas::kWidth};
  if (!rect) return false;
  *rect = &r;
  return true;
}

bool TestEditor::open(void* parentWindow) {
  close();
  platform::WindowOptions options;
  options.className = QV_EFFECT_BUILD ? "QuorvaneTestEditorEfx" : "QuorvaneTestEditor";
  options.width = CAUGuiCanvas::kWidth;
  options.height = CAUGuiCanvas::kHeight;
  window_ = platform::Window::create(parentWindow, options);
  if (!window_) return false;
  AEffEditor::open(parentWindow);
  canvas_ = std::make_unique<CAUGuiCanvas>(this, window_.get(), 0, 0);
  auto* pane = new TestPane(canvas_.get(), GuiRect{0, 0, CAUGuiCanvas::kWidth, CAUGuiCanvas::kHeight});
  canvas_->addControl(pane);
  canvas_->setTopPane(pane);
  pane->addChild(new GainBar(canvas_.get(), gainBinding(this), GuiRect{kGainX, kGainY, kGainWidth, kGainHeight + 30}, 100));
  const ControlsScene scene = buildControlsScene(*canvas_, pane, kControlsX, kControlsY, plainBinding(1, "Spare", 0.5f, this),
                                                 gainBinding(this));
  pane->addChild(new KeyStrip(canvas_.get(), GuiRect{kKeysX, kKeysY, kKeysWidth, kKeysHeight}, this));
  pane->addChild(new NameField(canvas_.get(), GuiRect{kFieldX, kFieldY, kFieldWidth, kFieldHeight}));
  canvas_->syncFromPlugin();
  // The gain bar answers for the gain when the host changes it; the slider starts where it is.
  slider_ = scene.slider;
  shownGain_ = fx_->getParameter(0);
  slider_->setValue(shownGain_);
  link_ = std::make_unique<CanvasWindowLink>(*canvas_, *window_);
  window_->takeFocus();
  return true;
}

void TestEditor::close() {
  // A key held on the strip goes with the window that holds it (the faulty variant leaves
  // it sounding).
  if (QV_BROKEN != 10) holdKey(-1);
  // The faulty variant keeps a block of memory from every editor it closes.
  if (QV_BROKEN == 8 && window_) {
    constexpr size_t kKept = 256 * 1024;
    kept_.push_back(std::make_unique<char[]>(kKept));
    std::fill(kept_.back().get(), kept_.back().get() + kKept, 1);
  }
  link_.reset();
  slider_ = nullptr;
  canvas_.reset();
  window_.reset();
  AEffEditor::close();
}

void TestEditor::idle() {
  if (!canvas_) return;
  canvas_->idle();
  // The slider follows the gain the host sets, as the gain bar does.
  if (const float gain = fx_->getParameter(0); gain != shownGain_) {
    shownGain_ = gain;
    slider_->setValue(gain);
    slider_->redraw();
  }
}

void TestEditor::parameterChanged(int32_t index, float value) {
  if (canvas_) canvas_->setHostValue(index, value);
  // The faulty variant repaints at once, on whichever thread the host set the value.
  if (QV_BROKEN == 9 && window_) window_->invalidate(platform::Rect{kGainX, kGainY, kGainWidth, kGainHeight});
}

void TestEditor::setParameterAutomated(int32_t index, float normalised) { fx_->setParameterAutomated(index, normalised); }
float TestEditor::getParameter(int32_t index) { return fx_->getParameter(index); }
void TestEditor::beginEdit(int32_t index) { fx_->beginEdit(index); }
void TestEditor::endEdit(int32_t index) { fx_->endEdit(index); }
void TestEditor::blockMeasured(float sumSquares, float frames) {
  sumSquares_.store(sumSquares, std::memory_order_relaxed);
  frames_.store(frames, std::memory_order_relaxed);
}

float TestEditor::meterValue(int index) {
  if (index == 0) return sumSquares_.load(std::memory_order_relaxed);
  if (index == 3) return frames_.load(std::memory_order_relaxed);
  return 0.0f;
}
