// The output fade around a patch change, as one word shared by the audio thread and the
// thread that changes the patch: pending flag, faded-out flag and the fade gain.
//
// The changing thread posts (pending, gain 1) and later finishes (pending cleared); the
// block process advances the fade once per block and alone raises faded-out.
#pragma once

#include <cstdint>

struct PatchFadeState {
  bool pending = false;   // a patch change waits to be applied
  bool fadedOut = false;  // the output has reached silence for it
  float gain = 1.0f;      // output gain, 1.0 at rest
};

// Packs the state into one word (gain bits low, flags above) and back. Pure; any thread.
std::uint64_t packPatchFade(const PatchFadeState& state);
PatchFadeState unpackPatchFade(std::uint64_t word);

// What one block's fade step asks of the block process.
struct PatchFadeStep {
  PatchFadeState next;
  bool scaleOutput = false;    // multiply every frame of both outputs by next.gain
  bool fastRamps = false;      // set every voice's ramp rate to rate / 40
  bool normalRamps = false;    // set every voice's ramp rate back to rate / 4000
};

// One block of the fade with step = 10 x frames / rate (a full fade takes 100 ms):
// pending: a gain already at 0 raises faded-out (and asks for fast ramps), else it falls by
// step, not below 0; not pending: a gain below 1 rises by step, snapping to 1 (and asking
// for normal ramps) once it gets there. Pure; the audio thread calls it once per block.
PatchFadeStep advancePatchFade(const PatchFadeState& state, float step);
