// Two oscillators on one Phasor with a hard switch at a threshold frequency, and the VCO's
// triangle built from it: the folded triangle up to 2000 Hz, the additive odd-harmonic sum
// above. Audio thread only once the engine runs.
#pragma once

#include <memory>

#include "engine/minblep_table.h"
#include "engine/osc_additive.h"
#include "engine/osc_phasor.h"

class FadeOsc : public PhasorOsc {
 public:
  // Takes ownership of both oscillators, which must share this phasor.
  FadeOsc(Phasor* phasor, float threshold, std::unique_ptr<PhasorOsc> first, std::unique_ptr<AdditiveOsc> second);
  ~FadeOsc() override;  // deletes second, then first

  // The Phasor::setPhase rule, then first's reset (second is not reset).
  void reset(float phase) override;
  // second's output above the threshold, else first's; the switch is immediate.
  QV_KERNEL_CALL KernelFloat tick() override;
  // Advances the shared phasor by one sample.
  virtual void advance() = 0;

  // useSecond = f > threshold; only then second's harmonic count is refreshed for f.
  void setFrequency(float f);

  bool useSecond = false;
  float threshold;
  std::unique_ptr<PhasorOsc> first;     // owned
  std::unique_ptr<AdditiveOsc> second;  // owned
};

class TriOsc : public FadeOsc {
 public:
  static constexpr float kThreshold = 2000.0f;

  // MinBlepTri below 2000 Hz, AdditiveTri (top frequency 20000 Hz) above, on one phasor.
  TriOsc(Phasor* phasor, const MinBlepTable* table);
  ~TriOsc() override = default;

  void advance() override { phasor->advance(); }
};
