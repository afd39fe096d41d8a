// Routes the events of the editor's child window to a canvas: paint, key presses with the
// Shift (8), Control (1) and Alt (2) bits, mouse moves (a drag while a button is held, a
// hover move otherwise; a move to the last point is dropped), and left-button presses and
// releases with the mouse captured in between. GUI thread only.
#pragma once

#include "gui/cauguicanvas.h"
#include "platform/gui.h"

class CanvasWindowLink final : public platform::WindowListener {
 public:
  // Becomes the window's listener; the destructor hands the window back to the default
  // handling. Both must outlive the link.
  CanvasWindowLink(CAUGuiCanvas& canvas, platform::Window& window);
  ~CanvasWindowLink();
  CanvasWindowLink(const CanvasWindowLink&) = delete;
  CanvasWindowLink& operator=(const CanvasWindowLink&) = delete;

  void onPaint(platform::PaintTarget& target, const platform::Rect& dirty) override;
  void onMouseMove(const platform::MouseEvent& e) override;
  void onMouseDown(const platform::MouseEvent& e) override;
  void onMouseUp(const platform::MouseEvent& e) override;
  void onKeyDown(int virtualKey, const platform::KeyModifiers& modifiers) override;
  // A press whose capture another window took ends there, as a release at the last point.
  void onCaptureLost() override;

 private:
  CAUGuiCanvas& canvas_;
  platform::Window& window_;
  GuiPoint last_{-32768, -32768};
};
