// The dirty-rectangle list of a control: a fixed array, so invalidating never allocates.
#pragma once

#include "gui/geometry.h"

class eRectList {
 public:
  static constexpr int kCapacity = 1024;
  // At most this many are stored; further appends are ignored.
  static constexpr int kMaxStored = 1023;

  // Appends r unless the list is full. Returns false when it was ignored.
  bool append(const GuiRect& r) {
    if (count_ >= kMaxStored) return false;
    rects_[count_++] = r;
    return true;
  }
  bool contains(const GuiRect& r) const {
    for (int i = 0; i < count_; ++i)
      if (rects_[i] == r) return true;
    return false;
  }
  void clear() { count_ = 0; }
  int count() const { return count_; }
  const GuiRect& operator[](int i) const { return rects_[i]; }
  const GuiRect* begin() const { return rects_; }
  const GuiRect* end() const { return rects_ + count_; }

 private:
  GuiRect rects_[kCapacity];
  int count_ = 0;
};
