// The base of the editor's in-panel dialogs: a control drawn over the controls it covers,
// with a background image, its own controls as children, an optional child pop-up shown
// over it (which then takes every click), and a drag on its free area that moves it within
// the editor window. The canvas makes it modal (CAUGuiCanvas::setModal). GUI thread only.
#pragma once

#include "gui/cauguictrl.h"

class CAUGuiGraphic;

class KVXInternalPopup : public CAUGuiCtrl {
 public:
  KVXInternalPopup(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background, CAUGuiCtrl* covered);

  void draw(DrawContext& context, int flags) override;
  // With a child pop-up each is passed to it. Otherwise a press on the free area starts a
  // drag; the pop-up follows the mouse but never leaves the area it covers (the editor
  // window when it covers nothing). The pop-up's own mouseUp reports 2.
  int mouseDown(GuiPoint p, bool altDown, bool ctrlDown) override;
  int mouseDrag(GuiPoint p, bool altDown, bool ctrlDown) override;
  int mouseUp(GuiPoint p, bool altDown, bool ctrlDown) override;
  // Lists r here, for the covered control (so the panel under the pop-up is redrawn with
  // it) and for the child pop-up; re-entry ends the walk.
  void invalidate(const GuiRect& r) override;
  // With a child pop-up, its hit test alone decides.
  CAUGuiCtrl* hitTest(GuiPoint p) override;
  // Pop-ups show no value tips.
  void hideTip() override;

  // The child pop-up is the control's active child: drawn after it and given the focus
  // (the focus comes back to this pop-up when it is cleared).
  void setChildPopup(CAUGuiCtrl* popup) { setActiveChild(popup); }
  CAUGuiCtrl* getChildPopup() const { return activeChild(); }
  CAUGuiCtrl* coveredControl() const { return covered_; }
  CAUGuiGraphic* background() const { return background_; }
  bool isDragging() const { return dragging_; }

  // Draws and cleans every dirty child in chain order (dialogs that draw more call it).
  void drawDirtyChildren(DrawContext& context, int flags);

 private:
  // Where the pop-up may be: the covered control's bounds, or the editor's whole panel.
  GuiRect dragArea() const;

  CAUGuiCtrl* covered_;
  bool invalidating_ = false;
  CAUGuiGraphic* background_;
  GuiPoint anchor_{};
  bool dragging_ = false;
};
