// A container with a background image: the panel's top control and the base of dialogs.
// It repaints its background under every dirty rectangle and then its dirty children.
#pragma once

#include "gui/cauguictrl.h"

class CAUGuiGraphic;

class CAUGuiPane : public CAUGuiCtrl {
 public:
  CAUGuiPane(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background);

  void draw(DrawContext& context, int flags) override;

  CAUGuiGraphic* background() const { return background_; }

 private:
  CAUGuiGraphic* background_;
};
