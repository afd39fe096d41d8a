#pragma once
// The envelopes' module object ("ADSR 1", type 6; "AR 1", type 8; the trigger records 28 and
// 29 sit over the same objects and have no functions). The control sum is the gate.

#include "engine/kernels/envelope.h"
#include "engine/module_types.h"

struct PatchVoice;

namespace qv {

struct EnvelopeModule {
    static bool serves(ModuleType type) {
        return type == ModuleType::Adsr || type == ModuleType::Ar || type == ModuleType::AdsrTrigger ||
               type == ModuleType::ArTrigger;
    }

    // The ADSR is built with (0.01 s, 0.5 s, 7 V, 0.2 s), the AR with sustain 10 V.
    EnvelopeModule(PatchVoice& voice, std::int32_t type, int sampleRate);

    Envelope core;
    PatchVoice& voice;

    // Parameter routing, any thread; each change reaches the audio thread whole (time,
    // coefficient and step together). False when the voice's queue was full.
    bool setAttackTime(float seconds);
    bool setDecayTime(float seconds);
    bool setSustainLevel(float volts);
    bool setReleaseTime(float seconds);
    // Panel envelope trigger and note handling, any thread: start the attack or the release
    // directly; trigger makes an ADSR in its attack or decay rise again from its level.
    bool startAttack();
    bool startRelease();
    bool trigger();
};

// The module-table functions of types 6 and 8.
ModuleKernel adsrKernel();
ModuleKernel arKernel();

} // namespace qv
