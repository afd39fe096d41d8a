// Sample rates of the engine. Each voice context and the shared modules carry their own
// rate (whole hertz); these helpers say which rates they accept and turn the host's float
// rate into one. Any thread.
#pragma once

#include <cmath>

// The rate a voice or the shared modules start with until told otherwise.
inline constexpr int kDefaultSampleRate = 44100;

// Above this a rate is a host's mistake, not a real rate (sixteen times 192 kHz): every
// per-sample formula divides by the rate, and kernels size buffers by it.
inline constexpr int kMaxSampleRate = 3072000;

// True for a rate the engine runs at: 1 .. kMaxSampleRate hertz.
constexpr bool isUsableSampleRate(int rate) { return rate >= 1 && rate <= kMaxSampleRate; }

// The host's rate truncated to whole hertz, or 0 when it is not usable (not finite, below
// 1 Hz or above kMaxSampleRate).
inline int wholeHertzRate(double hostRate) {
  if (!std::isfinite(hostRate) || hostRate < 1.0 || hostRate >= kMaxSampleRate + 1.0) return 0;
  return static_cast<int>(hostRate);
}
