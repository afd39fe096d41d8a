// Process-wide lookup tables of the engine: three sine/cosine tables of 8192 steps per
// cycle and the filter's resonance curve of 16384 steps over 0..1. Built once when the
// library is loaded (and by ensureLookupTables, for callers that run before that), never
// written afterwards, so any thread may read them.
#pragma once

#include <cmath>
#include <cstdint>

constexpr int kSineTableSteps = 8192;
constexpr int kCurveTableSteps = 16384;

// Each table holds steps + 2 entries: fn(i x step) for i = 0 .. steps, then a copy of
// entry 0. Readers touch entries 0 .. steps only.
extern float sineTable[kSineTableSteps + 2];    // sin, step 2 pi / 8192 taken in single precision
extern float sineTable2[kSineTableSteps + 2];   // sin, the same content
extern float cosineTable[kSineTableSteps + 2];  // cos
extern float curveTable[kCurveTableSteps + 2];  // resonance curve c(x) = 2 - 2.08 x^0.1

// Fills the tables if they are not filled yet. Any thread; returns after they are built.
void ensureLookupTables();

// The resonance curve at x (0 .. 1): (1 - (2x)^0.1 k) x 2 with k = 1.04 / 2^0.1.
float resonanceCurve(float x);

// Reads a table of `steps` entries per period at position x (in table units): i = x rounded
// to nearest (ties to even), f = x - i in [-0.5, 0.5], j = i AND (steps - 1), and the value
// t[j] + (t[j + 1] - t[j]) x f. A negative f extrapolates along the forward difference.
// steps must be a power of two. Any thread, including the audio thread.
inline float tableLookup(const float* t, int steps, float x) {
  const long i = std::lrint(x);
  const float f = x - static_cast<float>(i);
  const long j = i & static_cast<long>(steps - 1);
  return t[j] + (t[j + 1] - t[j]) * f;
}
