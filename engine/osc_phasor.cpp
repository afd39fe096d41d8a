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

void Phasor::setPhase(float target) {
  float p = target - increment;
  if (!std::isfinite(p)) p = 0.0f;
  if (p < 0.0f || p >= 1.0f) p -= std::floor(p);
  // floor can leave exactly 1.0 for a tiny negative value rounded up.
  if (p >= 1.0f) p = 0.0f;
  phase = p;
}

void Phasor::advance() {
  wrapped = 0;
  phase += increment;
  if (phase >= 1.0f) {
    phase -= 1.0f;
    wrapped = 1;
    // An increment above 1 (a rate below twice the frequency) must not let the phase run off.
    if (phase >= 1.0f) phase -= std::floor(phase);
  }
}

void PhasorOsc::reset(float phase) { phasor->setPhase(phase); }
