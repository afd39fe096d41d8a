// Deterministic pseudo-random draws for tests that play two copies of one thing alike: two
// Draws with the same seed give the same sequence.
#pragma once

#include <cstdint>

struct Draw {
  std::uint32_t state;
  std::uint32_t next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }
  bool chance(int percent) { return below(100) < percent; }
  float unit() { return static_cast<float>(next() & 0xffffu) / 65536.0f; }
};
