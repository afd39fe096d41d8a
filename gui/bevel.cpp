#include "gui/bevel.h"

#include "platform/gui.h"

void drawBevel(DrawContext& context, const GuiRect& r, int leftInset) {
  auto line = [&](int x0, int y0, int x1, int y1, GuiColour c) {
    context.drawLine({int16_t(x0), int16_t(y0)}, {int16_t(x1), int16_t(y1)}, 2, c);
  };
  const int l = r.x + 1 + leftInset, t = r.y + 1, right = r.x + r.w - 1, bottom = r.y + r.h - 1;
  line(l, t, l, bottom, kBevelColours[0]);
  line(l, bottom, right, bottom, kBevelColours[1]);
  line(right, t, right, bottom, kBevelColours[2]);
  line(l, t, right, t, kBevelColours[3]);
}
