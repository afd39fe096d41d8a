// The toolkit's points and rectangles as the platform's drawing calls take them.
#pragma once

#include "gui/geometry.h"
#include "platform/gui.h"

inline platform::Rect toPlatform(const GuiRect& r) { return {r.x, r.y, r.w, r.h}; }
inline platform::Point toPlatform(GuiPoint p) { return {p.x, p.y}; }
inline GuiRect fromPlatform(const platform::Rect& r) { return {r.x, r.y, r.w, r.h}; }
inline GuiPoint fromPlatform(platform::Point p) { return {p.x, p.y}; }
