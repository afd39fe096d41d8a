#include "gui/kvxtext.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "gui/cauguicanvas.h"
#include "gui/platform_rect.h"
#include "platform/platform.h"

// ---- label ----

KVXTextCtrl::KVXTextCtrl(CAUGuiCanvas* canvas, const GuiRect& rect) : CAUGuiCtrl(canvas, rect) {}

void KVXTextCtrl::setText(const std::string& text) {
  text_ = text;
  hasText_ = true;
  redraw();
}

void KVXTextCtrl::draw(DrawContext& context, int) {
  if (!hasText_) return;
  context.drawText(text_, toPlatform(bounds_), {"Helvetica", fontHeight_, 400}, 0xFFFFFF, format_);
}

int KVXTextCtrl::mouseDown(GuiPoint p, bool altDown, bool ctrlDown) {
  return owner_ ? owner_->mouseUp(p, altDown, ctrlDown) : kNotHandled;
}

int KVXTextCtrl::mouseUp(GuiPoint p, bool altDown, bool ctrlDown) {
  return owner_ ? owner_->mouseUp(p, altDown, ctrlDown) : kNotHandled;
}

// ---- validation ----

bool validateText(const TextRules& rules, const std::string& text) {
  if (text.empty()) return true;
  if (rules.maxLength != -1 && text.size() > static_cast<std::size_t>(rules.maxLength)) return false;
  if (!rules.charCheck) return true;
  for (char c : text) {
    const auto s = static_cast<signed char>(c);
    if (s < static_cast<signed char>(rules.lowestChar) || s > static_cast<signed char>(rules.highestChar)) return false;
  }
  if (!rules.numericCheck) return true;
  errno = 0;
  const long n = std::strtol(text.c_str(), nullptr, 10);
  return errno != ERANGE && n >= rules.lowestNumber && n <= rules.highestNumber;
}

// ---- field ----

KVXTextEditor::KVXTextEditor(CAUGuiCanvas* canvas, const GuiRect& rect, int tag, KVXTextEditHandler* handler)
    : CAUGuiCtrl(canvas, rect), tag_(tag), handler_(handler) {}

KVXTextEditor::~KVXTextEditor() { box_.reset(); }

bool KVXTextEditor::setText(const std::string& text) {
  if (!validate(text)) return false;
  text_ = text;
  changed_ = 1;
  if (box_) box_->setText(text_);
  redraw();
  return true;
}

void KVXTextEditor::getText(char* buffer, std::size_t size) const {
  if (!buffer || size == 0) return;
  const std::size_t n = std::min(text_.size(), size - 1);
  std::memcpy(buffer, text_.data(), n);
  buffer[n] = '\0';
}

int KVXTextEditor::keyDown(uint8_t key, int modifiers) {
  if (!handler_) return kHandled;
  switch (key) {
    case 9: handler_->onTab(this, (modifiers & kModShift) != 0); break;
    case 10:
    case 13: handler_->onEnter(this); break;
    case 27: handler_->onEscape(this); break;
    default: break;
  }
  return kHandled;
}

void KVXTextEditor::setFocus(bool focused) {
  if (focused)
    openBox();
  else
    closeBox();
}

void KVXTextEditor::openBox() {
  if (box_ || !canvas_ || !canvas_->window()) return;
  platform::EditBoxOptions options;
  options.multiLine = (format_ & platform::text::kSingleLine) == 0;
  options.digitsOnly = rules.numericCheck != 0;
  const GuiRect r{bounds_.x, bounds_.y, bounds_.w + 1, bounds_.h + 1};
  box_ = platform::EditBox::create(*canvas_->window(), toPlatform(r), text_, options, this);
}

void KVXTextEditor::closeBox() {
  if (!box_) return;
  // The box's text was checked as it was typed; it is taken as it stands.
  text_ = box_->text();
  // Moved out first: the box may call back while it is destroyed.
  std::unique_ptr<platform::EditBox> box = std::move(box_);
  box.reset();
  redraw();
}

void KVXTextEditor::draw(DrawContext& context, int) {
  context.fillRect(toPlatform(bounds_), 0xF5F5F5);
  context.drawText(text_, toPlatform(bounds_), {"Arial", 14, 400}, 0x000000, format_);
}

void KVXTextEditor::onEditEnter() {
  if (handler_) handler_->onEnter(this);
}

void KVXTextEditor::onEditEscape() {
  if (handler_) handler_->onEscape(this);
}

void KVXTextEditor::onEditTab(bool shift) {
  if (handler_) handler_->onTab(this, shift);
}

bool KVXTextEditor::acceptEditText(const std::string& text) {
  if (!validate(text)) {
    platform::beep(kBeepHz, kBeepMs);
    return false;
  }
  text_ = text;
  return true;
}
