#include "engine/osc_phasor.h"

#include <cmath>
#include <limits>

void Phasor::init(float rate) {
  sampleRate = rate;
  inverseSampleRate = 1.0f / rate;
  increment = 0.0f;
  oneMinusIncrement = 1.0f;
  inverseIncrement = std::numeric_limits<float>::infinity();
  phase = 0.0f;
  wrapped = 0;
}

void Phasor::setSampleRate(float rate) {
  sampleRate = rate;
  inverseSampleRate = 1.0f / rate;
}

void Phasor::setFrequency(float hz) {
  increment = hz * inverseSampleRate;
  oneMinusIncrement = 1.0f - increment;
  inverseIncrement = 1.0f / increment;
}

float Phasor::wrapUnit(float p) {
  if (!std::isfinite(p)) return 0.0f;
  p -= std::floor(p);
  // floor can leave exactly 1.0 for a tiny negative value rounded up.
  return p >= 1.0f ? 0.0f : p;
}

void Phasor::setPhase(float target) {
  const float p = target - increment;
  phase = (p >= 0.0f && p < 1.0f) ? p : wrapUnit(p);
}

void PhasorOsc::reset(float phase) { phasor->setPhase(phase); }
