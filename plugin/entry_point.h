// Creating a plug-in instance for a host: what the exported entry point does, with the
// build's identity passed in. Called on the host's thread that loads the effect.
#pragma once

#include "plugin/build_identity.h"
#include "plugin/quorvane_vstedit.h"
#include "vst/aeffect.h"

// Asks the host for its VST version; no host, a host that answers 0, or a failed
// construction (nothing is left behind) gives no effect. Otherwise the effect record of a
// new Quorvane_VSTEdit, which the host owns from now on and deletes by effClose.
AEffect* createQuorvaneEffect(audioMasterCallback audioMaster, const BuildIdentity& identity,
                              Quorvane_VSTEdit::EditorFactory makeEditor = nullptr);
