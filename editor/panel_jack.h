// A patch jack as it stands on the panel: bound to its cord parameter (the value is the
// jack index at the other end, 0 for none), drawn as the socket with the cable end over it
// while any cord uses the jack. Drawing and dragging the cords themselves belongs to the
// cable control that takes its place.
#pragma once

#include "gui/cauguictrl.h"

class CAUGuiGraphic;

class PanelJack : public CAUGuiCtrl {
 public:
  PanelJack(CAUGuiCanvas* canvas, const ParamBinding& binding, const GuiRect& rect, CAUGuiGraphic* cableEnd,
            CAUGuiGraphic* socket, const char* code, int kind);

  void draw(DrawContext& context, int flags) override;
  // Sets whether any cord ends here; redraws when that changed.
  void setConnected(bool connected);
  bool connected() const { return connected_; }
  const char* code() const { return code_; }
  int kind() const { return kind_; }

 private:
  CAUGuiGraphic* cableEnd_;
  CAUGuiGraphic* socket_;
  const char* code_;
  int kind_;
  bool connected_ = false;
};
