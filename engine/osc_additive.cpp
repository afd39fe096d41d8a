#include "engine/osc_additive.h"

#include <cmath>

#include <emmintrin.h>

#include "engine/lookup_tables.h"

namespace {

// tableLookup of a sine table, with the position rounded by one SSE conversion instead of a
// call to lrint: in the round-to-nearest mode both give the same integer for every position
// below 2^31, and the positions read here stay below 4000 x 8192.
inline float sineLookup(const float* t, float x) {
  const int i = _mm_cvtss_si32(_mm_set_ss(x));
  const float f = x - static_cast<float>(i);
  const int j = i & (kSineTableSteps - 1);
  return t[j] + (t[j + 1] - t[j]) * f;
}

}  // namespace

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

QV_KERNEL_CALL KernelFloat AdditiveSine::tick() {
  return sineLookup(sineTable2, (phasor->phase + 0.75f) * kSineTableSteps);
}

QV_KERNEL_CALL KernelFloat AdditiveTri::tick() {
  float u = phasor->phase + 0.75f;
  if (u >= 1.0f) u -= 1.0f;
  const float r = 1.0f - u;
  const float steps = static_cast<float>(kSineTableSteps);
  float sum = 0.0f;
  int n = 1;
  for (; static_cast<float>(n) <= harmonicCount - 2.0f; n += 2) {
    const float w = weights[n - 1];
    sum += sineLookup(sineTable, static_cast<float>(n) * r * steps) * (w * w);
  }
  const float w = weights[n - 1];
  const float last = sineLookup(sineTable, static_cast<float>(n) * r * steps) *
                     harmonicFraction * (w * w);
  return (sum + last) * 0.9495f;
}
