// The one process-wide engine sample rate (whole hertz), shared by every voice context and
// every module. Stored by the graph build and by sample-rate changes; read wherever a
// module needs it. Any thread, including the audio thread.
#pragma once

#include <atomic>

namespace engine_detail {
inline std::atomic<int> gEngineSampleRate{44100};
}

// The rate in hertz (44100 until a build or a rate change stores another).
inline int engineSampleRate() { return engine_detail::gEngineSampleRate.load(std::memory_order_relaxed); }

// Stores a host rate, truncated to whole hertz. Rates below 1 Hz (or not finite) are ignored:
// every per-sample formula divides by the rate.
inline void setEngineSampleRate(float hostRate) {
  if (!(hostRate >= 1.0f) || hostRate > 2147483520.0f) return;
  engine_detail::gEngineSampleRate.store(static_cast<int>(hostRate), std::memory_order_relaxed);
}
