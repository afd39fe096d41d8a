#include "gui/cauguiitem.h"

CAUGuiItem::~CAUGuiItem() {
  // The rest of the chain goes one item at a time, so a long chain needs no deep stack.
  CAUGuiItem* item = next_;
  next_ = nullptr;
  while (item) {
    CAUGuiItem* after = item->next_;
    item->next_ = nullptr;
    item->previous_ = nullptr;
    delete item;
    item = after;
  }
}

void CAUGuiItem::append(CAUGuiItem* item) {
  if (!item || item == this) return;
  CAUGuiItem* last = this;
  while (last->next_) last = last->next_;
  last->next_ = item;
  item->previous_ = last;
}
