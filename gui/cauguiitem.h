// The root of every item of the editor's retained tree: a type tag, an id the canvas gives
// it, and its place in a doubly linked chain. Deleting the first item deletes the chain.
#pragma once

#include <cstdint>

#include "gui/geometry.h"

// Type tags of the toolkit's classes.
inline constexpr uint32_t kTagGraphic = guiTypeTag("cAgr");
inline constexpr uint32_t kTagSpinImage = guiTypeTag("cAsi");
inline constexpr uint32_t kTagKnob = guiTypeTag("cAkb");
inline constexpr uint32_t kTagMeter = guiTypeTag("cAmt");
inline constexpr uint32_t kTagPane = guiTypeTag("cApn");
inline constexpr uint32_t kTagSlider = guiTypeTag("cAsr");
inline constexpr uint32_t kTagPopup = guiTypeTag("cAip");

class CAUGuiItem {
 public:
  CAUGuiItem() = default;
  CAUGuiItem(const CAUGuiItem&) = delete;
  CAUGuiItem& operator=(const CAUGuiItem&) = delete;
  // Deletes the rest of the chain after this item.
  virtual ~CAUGuiItem();

  uint32_t typeTag() const { return typeTag_; }
  int id() const { return id_; }
  void setId(int id) { id_ = id; }
  CAUGuiItem* previous() const { return previous_; }
  CAUGuiItem* next() const { return next_; }
  // Links `item` (and the chain it heads) after the last item of this chain.
  void append(CAUGuiItem* item);

 protected:
  uint32_t typeTag_ = 0;

 private:
  int id_ = 0;
  CAUGuiItem* previous_ = nullptr;
  CAUGuiItem* next_ = nullptr;
};
