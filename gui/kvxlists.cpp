#include "gui/kvxlists.h"

#include <algorithm>
#include <cmath>

#include "gui/bevel.h"
#include "gui/cauguicanvas.h"
#include "gui/cauguigraphic.h"
#include "gui/platform_rect.h"
#include "platform/gui.h"

namespace {
constexpr unsigned kRowFormat = platform::text::kVCenter | platform::text::kSingleLine | platform::text::kNoPrefix;
}

// ---- text list ----

KVXTextList::KVXTextList(CAUGuiCanvas* canvas, const GuiRect& rect) : CAUGuiCtrl(canvas, rect) {}

void KVXTextList::setItems(std::vector<std::string> items) { items_ = std::move(items); }

void KVXTextList::setScroll(float position) {
  scroll_ = std::isnan(position) ? 0.0f : std::clamp(position, 0.0f, 1.0f);
}

float KVXTextList::scroll() const { return scroll_; }

float KVXTextList::visibleFraction() {
  if (items_.empty() || rowHeight_ <= 0) return 1.0f;
  const float f = float(bounds_.h - 2 * kInset) / float(rowHeight_) / float(items_.size());
  return std::clamp(f, 0.0f, 1.0f);
}

void KVXTextList::selectOnly(int row) {
  selection_.clear();
  if (row >= 0) selection_.push_back(row);
  anchor_ = row >= 0 ? row : -1;
  redraw();
}

void KVXTextList::setSelection(std::vector<int> rows) { selection_ = std::move(rows); }

GuiRect KVXTextList::textArea() const {
  return {bounds_.x + kInset, bounds_.y + kInset, bounds_.w - 2 * kInset, bounds_.h - 2 * kInset};
}

int KVXTextList::visibleRows() const { return rowHeight_ > 0 ? std::max(0, (bounds_.h - 2 * kInset) / rowHeight_) : 0; }

int KVXTextList::firstShown() const {
  const int hidden = static_cast<int>(items_.size()) - visibleRows();
  if (hidden <= 0) return 0;
  return std::clamp(static_cast<int>(hidden * scroll_), 0, hidden);
}

int KVXTextList::rowAt(GuiPoint p) const {
  const GuiRect area = textArea();
  if (!area.contains(p) || rowHeight_ <= 0) return -1;
  const int shown = (p.y - area.y) / rowHeight_;
  if (shown >= visibleRows()) return -1;
  const int row = firstShown() + shown;
  return row < static_cast<int>(items_.size()) ? row : -1;
}

void KVXTextList::draw(DrawContext& context, int) {
  drawBevel(context, bounds_);
  if (items_.empty()) return;
  const GuiRect area = textArea();
  const platform::Font font{"Arial", 14, 400};
  const int first = firstShown();
  const int end = std::min(first + visibleRows(), static_cast<int>(items_.size()));
  for (int i = first; i < end; ++i) {
    const GuiRect row{area.x, area.y + (i - first) * rowHeight_, area.w, rowHeight_};
    if (std::find(selection_.begin(), selection_.end(), i) != selection_.end())
      context.fillRect(toPlatform(row), kListSelection);
    context.drawText(items_[static_cast<std::size_t>(i)], toPlatform(row), font, 0xFFFFFF, kRowFormat);
  }
}

int KVXTextList::mouseDown(GuiPoint p, bool altDown, bool ctrlDown) {
  if (!ctrlDown && !altDown) {
    selection_.clear();
    anchor_ = -1;
  }
  const int row = rowAt(p);
  if (row >= 0) {
    if (ctrlDown && anchor_ >= 0) {
      selection_.clear();
      const int step = row >= anchor_ ? 1 : -1;
      for (int r = anchor_;; r += step) {
        selection_.push_back(r);
        if (r == row) break;
      }
    } else if (auto it = std::find(selection_.begin(), selection_.end(), row); it != selection_.end()) {
      selection_.erase(it);
    } else {
      selection_.push_back(row);
    }
    if (anchor_ < 0) anchor_ = row;
  }
  invalidate(textArea());
  if (handler_) handler_->onSelectionChanged(this, std::vector<int>(selection_));
  return kHandled;
}

// ---- list slider ----

KVXListSlider::KVXListSlider(CAUGuiCanvas* canvas, const GuiRect& rect, int, KVXTextList* list)
    : KVXScrollSlider(canvas, rect, list, KVXTextList::kInset) {}

void KVXListSlider::draw(DrawContext& context, int) {
  drawBevel(context, bounds_, 2);
  int top, height;
  thumb(top, height);
  if (height > 0) context.fillRect({bounds_.x + 4, top, bounds_.w - 6, height}, kListSelection);
}

// ---- string menu ----

KVXStringMenu::KVXStringMenu(CAUGuiCanvas* canvas, const GuiRect& rect, int tag, std::vector<std::string> strings,
                             int selected, KVXStringMenuHandler* handler)
    : CAUGuiCtrl(canvas, rect),
      tag_(tag),
      handler_(handler),
      leftCap_(new CAUGuiGraphic("menu_left.png")),
      rightCap_(new CAUGuiGraphic("menu_right.png")),
      centre_(new CAUGuiGraphic("menu_center.png")) {
  // The canvas owns the images; without one they go with the menu.
  for (CAUGuiGraphic* g : {leftCap_, rightCap_, centre_}) {
    if (canvas)
      canvas->addGraphic(g);
    else
      ownImages_.emplace_back(g);
  }
  setItems(std::move(strings), selected);
}

void KVXStringMenu::setItems(std::vector<std::string> strings, int selected) {
  strings_ = std::move(strings);
  selected_ = selected >= 0 && selected < static_cast<int>(strings_.size()) ? selected : -1;
  redraw();
}

void KVXStringMenu::draw(DrawContext& context, int flags) {
  const GuiRect& b = bounds_;
  leftCap_->draw(context, flags, {b.x, b.y, 6, b.h}, 0.0f);
  rightCap_->draw(context, flags, {b.x + b.w - 18, b.y, 18, b.h}, 0.0f);
  centre_->draw(context, flags, {b.x + 6, b.y, b.w - 24, b.h}, 0.0f);
  if (selected_ < 0) return;
  context.drawText(strings_[static_cast<std::size_t>(selected_)], toPlatform({b.x + 6, b.y + 3, b.w - 24, b.h - 5}),
                   {"Helvetica", b.h, 400}, 0x66FF66, kRowFormat | platform::text::kCenter);
}

int KVXStringMenu::mouseDown(GuiPoint, bool, bool) {
  GuiWindow* window = canvas_ ? canvas_->window() : nullptr;
  if (!window || strings_.empty()) return kHandled;
  std::unique_ptr<platform::PopupMenu> menu = platform::PopupMenu::create();
  if (!menu) return kHandled;
  // Item ids are index + 1: 0 is what a dismissed menu answers.
  for (std::size_t i = 0; i < strings_.size(); ++i)
    menu->appendItem(static_cast<int>(i) + 1, strings_[i].substr(0, kItemTextLength));
  menu->setDefaultItem(selected_ + 1);
  const int id = menu->track(*window, toPlatform(canvas_->toScreen({int16_t(bounds_.x), int16_t(bounds_.y)})));
  menu.reset();
  if (id >= 1 && id <= static_cast<int>(strings_.size())) {
    selected_ = id - 1;
    if (handler_) handler_->onItemChosen(this);
  }
  redraw();
  return kHandled;
}
