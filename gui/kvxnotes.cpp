#include "gui/kvxnotes.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "gui/cauguicanvas.h"
#include "gui/cauguigraphic.h"
#include "gui/kvxlists.h"
#include "gui/platform_rect.h"
#include "platform/gui.h"

namespace {

bool isLineBreak(char c) { return c == '\r' || c == '\n' || c == 3; }
bool isWhite(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

constexpr std::size_t kSoftBreakFrom = 20;
constexpr unsigned kLineFormat = platform::text::kVCenter | platform::text::kSingleLine | platform::text::kNoPrefix;

}  // namespace

std::vector<std::pair<std::size_t, std::size_t>> wrapNotes(const std::string& notes) {
  constexpr std::size_t L = KVXNotesArea::kLineLength;
  std::vector<std::pair<std::size_t, std::size_t>> lines;
  const std::size_t n = notes.size();
  std::size_t w = 0;
  while (w < n) {
    // A break right after a full line (place 34) ends that line too.
    const std::size_t window = std::min(L + 1, n - w);
    std::size_t b = 0;
    while (b < window && !isLineBreak(notes[w + b])) ++b;
    if (b < window) {
      lines.emplace_back(w, b);
      std::size_t next = w + b + 1;
      if (notes[w + b] == '\r' && next < n && notes[next] == '\n') ++next;
      w = next;
      continue;
    }
    if (n - w <= L) {
      lines.emplace_back(w, n - w);
      break;
    }
    std::size_t p = L;
    while (p >= kSoftBreakFrom && !isWhite(notes[w + p])) --p;
    if (p >= kSoftBreakFrom) {
      lines.emplace_back(w, p);
      w += p + 1;
    } else {
      lines.emplace_back(w, L);
      w += L;
    }
  }
  return lines;
}

// ---- notes area ----

KVXNotesArea::KVXNotesArea(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background,
                           KVXNotesSlider* slider)
    : CAUGuiCtrl(canvas, rect), background_(background), slider_(slider) {}

bool KVXNotesArea::readNotes() {
  notes_.clear();
  CanvasPlugin* plugin = canvas_ ? canvas_->plugin() : nullptr;
  shown_ = plugin && plugin->currentPatchNotes(notes_);
  if (!shown_) notes_.clear();
  lineCount_ = static_cast<int>(wrapNotes(notes_).size());
  return shown_;
}

void KVXNotesArea::setScroll(float position) {
  scroll_ = std::isnan(position) ? 0.0f : std::clamp(position, 0.0f, 1.0f);
}

float KVXNotesArea::scroll() const { return scroll_; }

float KVXNotesArea::visibleFraction() {
  if (!shown_ || lineCount_ <= kLinesShown) {
    scroll_ = 0.0f;
    return 1.0f;
  }
  return float(kLinesShown) / float(lineCount_);
}

int KVXNotesArea::firstShown() const {
  const int hidden = lineCount_ - kLinesShown;
  return hidden > 0 ? std::clamp(static_cast<int>(hidden * scroll_), 0, hidden) : 0;
}

void KVXNotesArea::redraw() {
  readNotes();
  CAUGuiCtrl::redraw();
  if (slider_) slider_->redraw();
}

void KVXNotesArea::draw(DrawContext& context, int) {
  if (!shown_) return;
  visibleFraction();  // back to the top when everything fits
  if (background_ && background_->bitmap()) background_->placeBlit(context, bounds_, 0, 0);
  const platform::Font font{"Arial", fontHeight_, 400};
  const auto lines = wrapNotes(notes_);
  const int first = firstShown();
  const int end = std::min(first + kLinesShown, static_cast<int>(lines.size()));
  for (int i = first; i < end; ++i) {
    const auto [start, length] = lines[static_cast<std::size_t>(i)];
    const GuiRect r{bounds_.x + 15, bounds_.y + 15 + (i - first) * 14, bounds_.w - 30, 15};
    context.drawText(notes_.substr(start, length), toPlatform(r), font, 0xFFFFFF, kLineFormat);
  }
}

int KVXNotesArea::mouseDown(GuiPoint p, bool, bool) {
  if (slider_) slider_->beginDrag(p);
  return kHandled;
}
int KVXNotesArea::mouseDrag(GuiPoint p, bool altDown, bool ctrlDown) {
  return slider_ ? slider_->mouseDrag(p, altDown, ctrlDown) : kHandled;
}
int KVXNotesArea::mouseUp(GuiPoint p, bool altDown, bool ctrlDown) {
  return slider_ ? slider_->mouseUp(p, altDown, ctrlDown) : kHandled;
}

// ---- notes slider ----

KVXNotesSlider::KVXNotesSlider(CAUGuiCanvas* canvas, const GuiRect& rect, int, KVXNotesArea* area)
    : KVXScrollSlider(canvas, rect, area, 0) {}

void KVXNotesSlider::draw(DrawContext& context, int) {
  if (!target_ || target_->visibleFraction() >= 1.0f) return;
  int top, height;
  thumb(top, height);
  if (height > 0) context.fillRect({bounds_.x, top, bounds_.w, height}, kListSelection);
}

// ---- MIDI range control ----

KVXMidiRangeControl::KVXMidiRangeControl(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background,
                                         CAUGuiGraphic* leftCap, CAUGuiGraphic* rightCap)
    : CAUGuiCtrl(canvas, rect), background_(background), leftCap_(leftCap), rightCap_(rightCap) {
  placeCaps();
}

float KVXMidiRangeControl::travel() const { return float(std::max(1, bounds_.w - 2 * kCapSize)); }

void KVXMidiRangeControl::placeCaps() {
  const float t = travel();
  leftRect_ = {static_cast<int>(t * low_ + bounds_.x), bounds_.y + 10, kCapSize, kCapSize};
  rightRect_ = {static_cast<int>(t * high_ + bounds_.x + kCapSize), bounds_.y + 10, kCapSize, kCapSize};
}

void KVXMidiRangeControl::setRange(float low, float high) {
  auto unit = [](float v) { return std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f); };
  low_ = unit(low);
  high_ = unit(high);
  if (low_ > high_) std::swap(low_, high_);
  placeCaps();
  redraw();
}

void KVXMidiRangeControl::draw(DrawContext& context, int flags) {
  placeCaps();
  const GuiRect& b = bounds_;
  if (background_ && background_->bitmap()) background_->placeBlit(context, b, 0, 0);
  const int lx = leftRect_.x, rx = rightRect_.x;
  auto fill = [&](int left, int right, GuiColour c) {
    if (right > left) context.fillRect({left, b.y + 15, right - left, 10}, c);
  };
  fill(b.x + 20, lx + 20, 0xCDCDCD);
  fill(rx, b.x + b.w - 20, 0xCDCDCD);
  fill(lx + 20, rx, 0x19E619);
  if (target_) {
    const ParamDesc& d = target_->binding().desc;
    char text[kValueTextSize];
    const platform::Font font{"Helvetica", 12, 400};
    const platform::Rect labels{b.x, b.y, b.w, 10};
    const unsigned format = platform::text::kVCenter | platform::text::kSingleLine | platform::text::kNoPrefix;
    target_->valueText(d.minimum + (d.maximum - d.minimum) * low_, text, sizeof text);
    context.drawText(text, labels, font, 0xFFFFFF, format);
    target_->valueText(d.minimum + (d.maximum - d.minimum) * high_, text, sizeof text);
    context.drawText(text, labels, font, 0xFFFFFF, format | platform::text::kRight);
  }
  if (leftCap_) leftCap_->placeBlit(context, leftRect_, 0, 0);
  if (rightCap_) rightCap_->placeBlit(context, rightRect_, 0, 0);
  (void)flags;
}

int KVXMidiRangeControl::mouseDown(GuiPoint p, bool altDown, bool) {
  placeCaps();
  last_ = p;
  grab_ = float(p.x - bounds_.x) / travel();
  if (leftRect_.contains(p)) {
    zone_ = kLowCap;
  } else if (rightRect_.contains(p)) {
    zone_ = kHighCap;
  } else if (p.x < leftRect_.x + leftRect_.w) {
    zone_ = kNoZone;
  } else if (p.x < rightRect_.x && p.y >= bounds_.y && p.y < bounds_.y + bounds_.h) {
    zone_ = kBar;
    if (altDown) {
      const float span = high_ - low_;
      low_ = (1.0f - span) * 0.5f;
      high_ = low_ + span;
      redraw();
    }
  } else {
    zone_ = kNoZone;
  }
  return kHandled;
}

int KVXMidiRangeControl::mouseDrag(GuiPoint p, bool altDown, bool ctrlDown) {
  const float t = travel();
  const float m = float(p.x - bounds_.x) / t;
  // Fine drags move by the distance over the target's resolution (1 without one).
  const int resolution = target_ && target_->resolution() > 0 ? target_->resolution() : 1;
  switch (zone_) {
    case kLowCap: {
      float v = ctrlDown ? low_ + (m - grab_) / resolution : float(p.x - 10 - bounds_.x) / t;
      grab_ = m;
      low_ = std::min(std::clamp(v, 0.0f, 1.0f), high_);
      break;
    }
    case kHighCap: {
      float v = ctrlDown ? high_ + (m - grab_) / resolution : float(p.x - 30 - bounds_.x) / t;
      grab_ = m;
      high_ = std::max(std::clamp(v, 0.0f, 1.0f), low_);
      break;
    }
    case kBar:
      if (!altDown) {
        const float d = float(p.x - last_.x) / t;
        last_ = p;
        const float span = high_ - low_;
        if (low_ + d < 0.0f) {
          low_ = 0.0f;
          high_ = span;
        } else if (high_ + d > 1.0f) {
          high_ = 1.0f;
          low_ = 1.0f - span;
        } else {
          low_ += d;
          high_ += d;
        }
      }
      break;
    default:
      return kHandled;
  }
  placeCaps();
  redraw();
  return kHandled;
}

int KVXMidiRangeControl::mouseUp(GuiPoint, bool, bool) {
  zone_ = kNoZone;
  return kHandled;
}
