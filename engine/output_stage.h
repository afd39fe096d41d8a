// The stereo output stage after the voices: the shared reverb's return, the DC blocker and
// the level meters. Everything here runs on the audio thread, once per frame, and never
// allocates.
#pragma once

#include "engine/kernels/reverb.h"

struct PatchInput;

// What the voices leave in the shared reverb during a frame and what its output jack reads
// back. Lives beside the reverb model; the reverb's module functions write send and
// outputRead, the output stage does the rest.
struct ReverbReturn {
  float send = 0.0f;              // each voice adds 0.1 x its send input
  bool outputRead = false;        // a cord read the reverb's output jack in this frame
  float storedLeft = 0.0f;        // the last left output: what the output jack reads
  PatchInput* leftLevel = nullptr;   // ramped output levels; null reads as off
  PatchInput* rightLevel = nullptr;

  // Start of a frame, before the voices run.
  void clear() {
    send = 0.0f;
    outputRead = false;
  }
};

// The reverb output jack's read: marks the return as read and gives the last left output.
float reverbReturnOutput(ReverbReturn& ret);
// A voice's send contribution.
void reverbReturnAccumulate(ReverbReturn& ret, float value);

// Replaces left and right by the reverb's outputs times the two levels. When both levels
// are off and nobody read the output jack this frame, both become 0 and the model is not
// run. An output beyond 1000 in magnitude (or not a number) is cleared and resets the model.
void processOutputStage(qv::ReverbModel& model, ReverbReturn& ret, float& left, float& right);

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
