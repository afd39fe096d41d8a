// The plug-in's held-key state as the rest of the plug-in sees it. Until MIDI note handling
// joins the plug-in no key is ever held: nothing to release, nothing to forget and no
// interval to latch.
#include "plugin/quorvane_vst.h"

void Quorvane_VST::releaseAllKeys() {}

void Quorvane_VST::clearVoiceKeys() {}

bool Quorvane_VST::anyKeyHeld() const { return false; }

void Quorvane_VST::captureLatchInterval() {}
