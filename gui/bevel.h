// The sunken bevel of tips, lists and scroll bars: 2-pixel lines just inside a rectangle's
// edges, lit from the bottom left.
#pragma once

#include "gui/draw_context.h"
#include "gui/geometry.h"

// Left, bottom, right and top edge colours.
inline constexpr GuiColour kBevelColours[4] = {0x999999, 0xB3B3B3, 0x4D4D4D, 0x333333};

// The left line may sit `leftInset` pixels further in.
void drawBevel(DrawContext& context, const GuiRect& r, int leftInset = 0);
