// Save As: the engine's state stored in the library patch it is saved as.
#include "library/patch_library.h"
#include "plugin/quorvane_vst.h"

bool Quorvane_VST::PatchHold::storeEngine(Patch& target) {
  Quorvane_VST& p = plugin_;
  p.collectPatch(target);
  target.dirty = 1;  // the file is written only for a dirty record
  p.applyRecordTexts(target);
  p.lastChangeSource_ = kChangeLibraryPatch;
  if (p.library_) p.library_->lastChangeSource = kChangeLibraryPatch;
  p.keepCompleteChunk();
  if (!target.save()) return false;
  target.dirty = 0;
  return true;
}
