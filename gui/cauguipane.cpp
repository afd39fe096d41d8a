#include "gui/cauguipane.h"

#include "gui/cauguigraphic.h"

CAUGuiPane::CAUGuiPane(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background)
    : CAUGuiCtrl(canvas, rect), background_(background) {
  typeTag_ = kTagPane;
}

void CAUGuiPane::draw(DrawContext& context, int flags) {
  if (background_ && background_->bitmap()) {
    // The background's pixels under each dirty rectangle, the pane's origin at the image's.
    for (const GuiRect& r : dirtyList_) {
      if (r.empty()) continue;
      background_->placeBlit(context, r, r.x - bounds_.x, r.y - bounds_.y);
    }
  }
  for (CAUGuiCtrl* child = firstChild_; child; child = child->nextCtrl()) {
    if (!child->isDirty()) continue;
    child->draw(context, flags);
    child->clearDirty();
  }
}
