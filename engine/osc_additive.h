// Oscillators summed from table sines: a plain sine, and the triangle's odd harmonics up to
// a top frequency. They read the VCO's shared Phasor and never advance it.
#pragma once

#include "engine/osc_phasor.h"

// Base of the harmonic sums: how many harmonics fit below topFrequency at the current
// frequency, with the fraction that fades the next one in.
class AdditiveOsc : public PhasorOsc {
 public:
  static constexpr int kWeightCount = 4000;

  explicit AdditiveOsc(Phasor* phasor);

  // q = topFrequency / f: harmonicCount = floor(q), harmonicFraction = q - floor(q). A
  // frequency that is not positive and finite gives no harmonics; q is held at 3999 so the
  // sums stay within the weights. Audio thread, or before the engine runs.
  void setFrequency(float f);

  float harmonicCount = 0.0f;
  float topFrequency = 20000.0f;
  float harmonicFraction = 0.0f;
  float weights[kWeightCount];  // weights[n - 1] = 1 / n for n = 1 .. 3999
};

// -cos(2 pi phase) from sineTable2: -1 at phase 0, +1 at phase 0.5.
class AdditiveSine : public PhasorOsc {
 public:
  explicit AdditiveSine(Phasor* phasor);
  QV_KERNEL_CALL KernelFloat tick() override;
};

// Odd harmonics 1, 3, 5, ... weighted (1/n)^2 while n <= harmonicCount - 2, then the first
// one beyond weighted by harmonicFraction; the sum scaled by 0.9495.
class AdditiveTri : public AdditiveOsc {
 public:
  explicit AdditiveTri(Phasor* phasor) : AdditiveOsc(phasor) {}
  QV_KERNEL_CALL KernelFloat tick() override;
};
