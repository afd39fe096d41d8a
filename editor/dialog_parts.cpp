#include "editor/dialog_parts.h"

#include "gui/cauguicanvas.h"
#include "gui/cauguigraphic.h"
#include "gui/kvxtext.h"
#include "platform/gui.h"

DialogImages::DialogImages() = default;

DialogImages::~DialogImages() = default;

CAUGuiGraphic* DialogImages::get(const char* name, int frames) {
  own_.push_back(std::make_unique<CAUGuiGraphic>(name, frames));
  return own_.back().get();
}

CAUGuiButton* makeDialogButton(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* image,
                               ButtonCallback callback, void* context) {
  auto* button = new CAUGuiButton(canvas, 1, rect, image, nullptr, CAUGuiButton::kMomentary);
  button->setCallback(callback, context);
  return button;
}

KVXTextCtrl* makeDialogLabel(CAUGuiCanvas* canvas, const GuiRect& rect, int fontHeight, const std::string& text,
                             unsigned format) {
  auto* label = new KVXTextCtrl(canvas, rect);
  label->setFontHeight(fontHeight);
  label->setFormat(format);
  label->setText(text);
  return label;
}

DialogKey dialogKey(uint8_t key) {
  if (key == 10 || key == 13) return DialogKey::Ok;
  if (key == 27) return DialogKey::Cancel;
  return DialogKey::Other;
}

void* dialogMessageOwner(const CAUGuiCanvas* canvas) {
  return canvas && canvas->window() ? canvas->window()->nativeHandle() : nullptr;
}
