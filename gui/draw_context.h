// What controls draw into and what the canvas shows them in: the platform's drawing surface
// over the off-screen bitmap and the editor's child window. Declared here once so the
// toolkit names them in one place.
#pragma once

namespace platform {
class Bitmap;
class PaintTarget;
class Surface;
class Window;
}  // namespace platform

using DrawContext = platform::Surface;
using GuiWindow = platform::Window;
