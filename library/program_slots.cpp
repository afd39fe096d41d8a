// Program slots given from the editor: a patch takes a MIDI program number or gives it up.
#include "library/patch_library.h"

bool PatchGroup::setProgramSlot(Patch& patch, int32_t slot) {
  if (slot < -1 || slot >= kProgramCount) slot = -1;
  for (const auto& c : categories) {
    for (std::size_t i = 0; i < c->patches.size(); ++i) {
      if (c->patches[i].get() != &patch) continue;
      patch.programSlot = slot;
      patch.dirty = 1;
      // A mapped patch's label is written by the next rebuild; one without a slot shows
      // its name, not the number it held.
      if (slot < 0 && i < c->labels.size()) c->labels[i] = patch.name;
      return true;
    }
  }
  return false;
}

bool PatchLibrary::setProgramSlot(Patch& patch, int32_t slot) {
  PatchGroup* g = group(currentGroup);
  if (!g || !g->setProgramSlot(patch, slot)) return false;
  rebuildProgramMap();
  return true;
}
