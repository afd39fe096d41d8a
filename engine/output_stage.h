// The stereo output stage after the voices: the shared reverb's return, the DC blocker and
// the level meters. Everything here runs on the audio thread, once per frame, and never
// allocates.
#pragma once

#include "engine/kernels/reverb_module.h"

// Sets left and right to the shared reverb's outputs times its two levels, after one reverb
// step on the voices' send. When both levels are off and nobody read the output jack this
// frame, both become 0 and the reverb does not run.
void processOutputStage(qv::ReverbModule& reverb, float& left, float& right);

// The DC blocker's coefficient for a rate: R = 1 - 10 / rate, in double precision.
float dcBlockerCoefficient(double rate);

// A first-order DC blocker per channel: y = R y1 + (x - x1); the sample becomes 2y.
struct DcBlocker {
  float r = dcBlockerCoefficient(44100.0);
  float x1[2] = {};
  float y1[2] = {};

  // Clears the channel states.
  void reset();
};

// Filters both samples in place; a previous output that is not finite or is denormal is
// taken as 0 first.
void dcBlock(DcBlocker& blocker, float& left, float& right);

// One frame of a level meter: a meter that is not finite or denormal becomes 0; it decays
// by 0.9999 and rises to |sum| (the block's running sum of squares).
void updateMeter(float& meter, float sum);
// Both meters of a frame (left, right) by the same rule.
void updateMeters(float* meters, float sumLeft, float sumRight);
