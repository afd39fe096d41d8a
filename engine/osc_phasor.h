// The shared phase record of one VCO and the base of every oscillator that reads it.
// The VCO owns the Phasor and advances it once per sample; an oscillator only turns the
// current phase into one output sample. Audio thread only once the engine runs (the VCO's
// constructor and the engine's set-up may call these before).
#pragma once

#include <cstdint>
#include <limits>

#include "engine/kernel_call.h"

struct Phasor {
  float phase = 0.0f;              // [0, 1)
  float increment = 0.0f;          // frequency / sample rate
  float oneMinusIncrement = 1.0f;  // 1 - increment
  float inverseIncrement = std::numeric_limits<float>::infinity();  // 1 / increment
  float sampleRate = 44100.0f;
  float inverseSampleRate = 1.0f / 44100.0f;
  int32_t wrapped = 0;             // 1 during the sample in which the phase passed 1

  // Rate and its inverse, increment 0, phase 0.
  void init(float rate);
  // Rate and its inverse only; the owner's next frequency set recomputes the increment.
  void setSampleRate(float rate);
  // increment = hz / sampleRate, with oneMinusIncrement and inverseIncrement to match.
  void setFrequency(float hz);
  // Sets the phase one increment early, wrapped into [0, 1), so that the next advance
  // lands exactly on the given phase.
  void setPhase(float target);
  // One sample: phase += increment, wrapped back into [0, 1) with wrapped = 1 when it
  // passed 1. Whatever the increment (1 or more, negative, not finite), the phase stays in
  // [0, 1). Inline: every VCO runs it each sample.
  void advance() {
    wrapped = 0;
    phase += increment;
    if (phase >= 1.0f) {
      phase -= 1.0f;
      wrapped = 1;
      // An increment of 1 or more (a rate below the frequency) must not let the phase run off.
      if (phase >= 1.0f) phase = wrapUnit(phase);
    } else if (!(phase >= 0.0f)) {
      // A negative increment runs the phase backwards; one that is not a number stops it.
      phase = wrapUnit(phase);
    }
  }

  // p wrapped into [0, 1) by its floor; a value that is not finite gives 0.
  static float wrapUnit(float p);
};

class PhasorOsc {
 public:
  explicit PhasorOsc(Phasor* phasor) : phasor(phasor) {}
  virtual ~PhasorOsc() = default;
  PhasorOsc(const PhasorOsc&) = delete;
  PhasorOsc& operator=(const PhasorOsc&) = delete;

  // Sets the shared phase with the Phasor::setPhase rule.
  virtual void reset(float phase);
  // The output at the current phase. Audio thread only.
  virtual QV_KERNEL_CALL KernelFloat tick() = 0;

  Phasor* phasor;  // not owned; shared by all the oscillators of one VCO
};
