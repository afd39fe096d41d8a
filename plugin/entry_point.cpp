#include "plugin/entry_point.h"

AEffect* createQuorvaneEffect(audioMasterCallback audioMaster, const BuildIdentity& identity,
                              Quorvane_VSTEdit::EditorFactory makeEditor) {
  if (!audioMaster) return nullptr;
  // No exception crosses to the host: a failed construction has released what it made.
  try {
    if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0) == 0) return nullptr;
    auto* plugin = new Quorvane_VSTEdit(audioMaster, identity, makeEditor);
    return plugin->getAeffect();
  } catch (...) {
    return nullptr;
  }
}
