#include "editor/panel_jack.h"

#include "gui/cauguigraphic.h"

PanelJack::PanelJack(CAUGuiCanvas* canvas, const ParamBinding& binding, const GuiRect& rect,
                     CAUGuiGraphic* cableEnd, CAUGuiGraphic* socket, const char* code, int kind)
    : CAUGuiCtrl(canvas, binding, rect, 1), cableEnd_(cableEnd), socket_(socket), code_(code), kind_(kind) {}

void PanelJack::draw(DrawContext& context, int flags) {
  if (socket_) socket_->draw(context, flags, bounds_, 0.0f);
  if (connected_ && cableEnd_) cableEnd_->draw(context, flags, bounds_, 0.0f);
}

void PanelJack::setConnected(bool connected) {
  if (connected == connected_) return;
  connected_ = connected;
  redraw();
}
