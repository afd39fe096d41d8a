#include "engine/osc_additive.h"

#include <cmath>

#include "engine/lookup_tables.h"

AdditiveOsc::AdditiveOsc(Phasor* phasor) : PhasorOsc(phasor) {
  ensureLookupTables();
  for (int n = 1; n < kWeightCount; ++n) weights[n - 1] = 1.0f / static_cast<float>(n);
  weights[kWeightCount - 1] = 0.0f;
}

void AdditiveOsc::setFrequency(float f) {
  if (!(f > 0.0f) || !std::isfinite(f)) {
    harmonicCount = 0.0f;
    harmonicFraction = 0.0f;
    return;
  }
  // The last odd harmonic read is at most harmonicCount, so 3999 keeps it inside weights.
  const float q = std::fmin(topFrequency / f, static_cast<float>(kWeightCount - 1));
  harmonicCount = std::floor(q);
  harmonicFraction = q - harmonicCount;
}

AdditiveSine::AdditiveSine(Phasor* phasor) : PhasorOsc(phasor) { ensureLookupTables(); }

float AdditiveSine::tick() {
  return tableLookup(sineTable2, kSineTableSteps, (phasor->phase + 0.75f) * kSineTableSteps);
}

float AdditiveTri::tick() {
  float u = phasor->phase + 0.75f;
  if (u >= 1.0f) u -= 1.0f;
  const float r = 1.0f - u;
  const float steps = static_cast<float>(kSineTableSteps);
  float sum = 0.0f;
  int n = 1;
  for (; static_cast<float>(n) <= harmonicCount - 2.0f; n += 2) {
    const float w = weights[n - 1];
    sum += tableLookup(sineTable, kSineTableSteps, static_cast<float>(n) * r * steps) * (w * w);
  }
  const float w = weights[n - 1];
  const float last = tableLookup(sineTable, kSineTableSteps, static_cast<float>(n) * r * steps) *
                     harmonicFraction * (w * w);
  return (sum + last) * 0.9495f;
}
