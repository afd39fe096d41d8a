#include "editor/quorvane_keyboard.h"

#include <algorithm>
#include <cmath>

#include "gui/platform_rect.h"
#include "plugin/editor_interface.h"

void EditorPanelKeys::playNote(int key, int velocity) { editor_.playNote(key, velocity); }

void EditorPanelKeys::heldKeys(bool held[128]) {
  const KeySnapshot keys = editor_.keys();
  std::copy(std::begin(keys.held), std::end(keys.held), held);
}

namespace {

bool isBlack(int pitchClass) {
  return pitchClass == 1 || pitchClass == 3 || pitchClass == 6 || pitchClass == 8 || pitchClass == 10;
}

// In the lower part a black key gives way to the white key on one side: the upper one when
// the pointer lies further than this into the black key's slot.
int snapThreshold(int pitchClass) {
  switch (pitchClass) {
    case 1: return 8;
    case 3: return 4;
    case 6: return 9;
    case 8: return 5;
    case 10: return 2;
    default: return -1;
  }
}

// Where a key's highlight lies, from the left edge x of its semitone slot: the upper part
// (left, right) and, for white keys, the lower part (left, right); right edges exclusive.
struct KeyShape {
  int upperLeft, upperRight, lowerLeft, lowerRight;
};
constexpr KeyShape kShapes[12] = {
    {0, 15, 0, 20},  {0, 15, 0, 0}, {0, 15, -4, 18}, {0, 15, 0, 0}, {2, 15, -6, 15}, {0, 15, 0, 22},
    {0, 15, 0, 0},   {0, 15, -3, 19}, {0, 15, 0, 0}, {0, 15, -6, 16}, {0, 15, 0, 0}, {0, 13, -8, 13},
};

}  // namespace

Quorvane_Keyboard::Quorvane_Keyboard(CAUGuiCanvas* canvas, const GuiRect& rect, PanelKeys* keys, int keysWidth)
    : CAUGuiCtrl(canvas, rect), keys_(keys), keysWidth_(keysWidth > 0 ? keysWidth : rect.w) {}

Quorvane_Keyboard::~Quorvane_Keyboard() {
  // Closing the editor leaves no note sounding that only this keyboard could end.
  releaseHeldNotes();
}

void Quorvane_Keyboard::setRange(int high, int low) {
  highKey_ = high;
  lowKey_ = low;
}

double Quorvane_Keyboard::pixelsPerKey() const {
  return highKey_ > lowKey_ ? static_cast<double>(keysWidth_) / (highKey_ - lowKey_) : 1.0;
}

int Quorvane_Keyboard::keyAt(GuiPoint p) {
  pixelsPerKey_ = pixelsPerKey();
  const double dx = p.x - bounds_.x;
  int key = static_cast<int>(std::trunc(dx / pixelsPerKey_)) + lowKey_;
  if (p.y - bounds_.y > kUpperHeight) {
    const int r = static_cast<int>(std::trunc(std::fmod(dx, pixelsPerKey_)));
    const int pitchClass = ((key % 12) + 12) % 12;
    if (isBlack(pitchClass)) key += r > snapThreshold(pitchClass) ? 1 : -1;
  }
  return std::clamp(key, lowKey_, highKey_);
}

void Quorvane_Keyboard::noteOn(int key) {
  sounding_[key] = true;
  setKeyState(key, true);
  if (keys_) keys_->playNote(key, kVelocity);
}

void Quorvane_Keyboard::noteOff(int key) {
  sounding_[key] = false;
  setKeyState(key, false);
  if (keys_) keys_->playNote(key, 0);
}

void Quorvane_Keyboard::trackMouse(GuiPoint p, Mode mode) {
  if (mode == kPress) {
    lastKey_ = -1;
    stripGesture_ = p.y >= bounds_.y + bounds_.h - kHoldStrip && p.y < bounds_.y + bounds_.h;
    if (stripGesture_) {
      hold_ = !hold_;
      if (!hold_) allNotesOff();
      redraw();
      return;
    }
  }
  if (stripGesture_) return;

  const int key = keyAt(p);
  if (mode != kRelease && key != lastKey_) {
    // Only a note this keyboard started is ended here.
    if (lastKey_ != -1 && sounding_[lastKey_]) noteOff(lastKey_);
    const bool down = sounding_[key] || shownKeys_[key] != 0;
    if (!down || !hold_)
      noteOn(key);
    else
      noteOff(key);  // clicking a latched key releases it
    redraw();
    lastKey_ = key;
  }
  // The release ends the note the mouse plays (a latched one stays); the key under the
  // pointer at that moment was never pressed and is left alone.
  if (mode == kRelease && !hold_ && lastKey_ != -1 && sounding_[lastKey_]) {
    noteOff(lastKey_);
    redraw();
  }
}

int Quorvane_Keyboard::mouseDown(GuiPoint p, bool, bool) {
  trackMouse(p, kPress);
  return kHandled;
}

int Quorvane_Keyboard::mouseDrag(GuiPoint p, bool, bool) {
  trackMouse(p, kDrag);
  return kHandled;
}

int Quorvane_Keyboard::mouseUp(GuiPoint p, bool, bool) {
  trackMouse(p, kRelease);
  stripGesture_ = false;
  return kHandled;
}

void Quorvane_Keyboard::allNotesOff() {
  for (int note = 0; note < 128; ++note) noteOff(note);
  redraw();
}

void Quorvane_Keyboard::releaseHeldNotes() {
  for (int note = 0; note < 128; ++note)
    if (sounding_[note]) noteOff(note);
}

bool Quorvane_Keyboard::needsRedraw() const {
  if (keys_) {
    bool held[128] = {};
    keys_->heldKeys(held);
    bool changed = false;
    for (int note = 0; note < 128; ++note) {
      const int32_t state = held[note] ? 1 : 0;
      if (state == shownKeys_[note]) continue;
      shownKeys_[note] = state;
      changed = true;
    }
    // The canvas asks while it looks for what to draw; the redraw belongs to this pass.
    if (changed) const_cast<Quorvane_Keyboard*>(this)->redraw();
  }
  return CAUGuiCtrl::needsRedraw();
}

void Quorvane_Keyboard::setValue(float v) {
  if (!std::isfinite(v)) return;
  const int n = static_cast<int>(std::lround(v));
  if (n > 127)
    setKeyState(n - 128, false);
  else
    setKeyState(n, true);
  redraw();
}

void Quorvane_Keyboard::draw(DrawContext& context, int flags) {
  for (int note = 0; note < 128; ++note)
    if (isKeyDown(note)) drawKey(context, flags, note);
  if (overlayFlag_) drawOverlay(context, flags);
  if (hold_) {
    const GuiRect strip{bounds_.x, bounds_.y + bounds_.h - kHoldStrip, bounds_.w, kHoldStrip};
    context.fillRect(toPlatform(strip), kHoldColour);
  }
}

void Quorvane_Keyboard::drawKey(DrawContext& context, int, int note) {
  if (note < lowKey_ || note > highKey_) return;
  pixelsPerKey_ = pixelsPerKey();
  const int x = static_cast<int>(std::trunc((note - lowKey_) * pixelsPerKey_ + bounds_.x));
  const int pitchClass = note % 12;
  const KeyShape& s = kShapes[pitchClass];
  const bool top = note == highKey_;
  const int upperRight = top && pitchClass == 0 ? 20 : top && pitchClass == 5 ? 22 : s.upperRight;
  const int upperBottom = bounds_.y + kUpperHeight, lowerBottom = bounds_.y + bounds_.h - kHoldStrip;
  // Kept inside the keyboard, so every key it plays is highlighted where it is played.
  const GuiRect upper = intersect({x + s.upperLeft, bounds_.y, upperRight - s.upperLeft, kUpperHeight}, bounds_);
  if (!upper.empty()) context.fillRect(toPlatform(upper), kKeyColour);
  if (isBlack(pitchClass)) return;
  const GuiRect lower =
      intersect({x + s.lowerLeft, upperBottom, s.lowerRight - s.lowerLeft, lowerBottom - upperBottom}, bounds_);
  if (!lower.empty()) context.fillRect(toPlatform(lower), kKeyColour);
}

void Quorvane_Keyboard::drawOverlay(DrawContext&, int) {}
void Quorvane_Keyboard::setKeyState(int, bool) {}
int Quorvane_Keyboard::isKeyDown(int note) const { return note >= 0 && note < 128 ? shownKeys_[note] : 0; }
void Quorvane_Keyboard::setOverlayFlag(int flag) { overlayFlag_ = flag; }
int Quorvane_Keyboard::overlayFlag() const { return overlayFlag_; }
