// Helpers for the oscillator tests: drive one oscillator from its phasor the way a VCO
// does (advance, then tick), and measure the signal.
#pragma once

#include <cmath>
#include <complex>
#include <cstddef>
#include <numbers>
#include <vector>

#include "engine/osc_phasor.h"

namespace osctest {

// n samples of osc at frequency hz and sample rate sr, after `settle` samples.
template <typename Osc>
std::vector<float> render(Phasor& phasor, Osc& osc, float sr, float hz, int n, int settle = 0) {
  phasor.setSampleRate(sr);
  phasor.setFrequency(hz);
  std::vector<float> out;
  out.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < settle + n; ++i) {
    phasor.advance();
    const float v = osc.tick();
    if (i >= settle) out.push_back(v);
  }
  return out;
}

inline double mean(const std::vector<float>& x) {
  double s = 0.0;
  for (float v : x) s += v;
  return x.empty() ? 0.0 : s / static_cast<double>(x.size());
}

// Crossings of `level`, counted once per upward (up = true) or downward pass. A pass needs
// the signal to move `hysteresis` beyond the level, so ringing near the level counts once.
inline int crossings(const std::vector<float>& x, double level, bool up, double hysteresis = 0.1) {
  int count = 0;
  bool armed = false;
  for (float v : x) {
    const double d = up ? v - level : level - v;
    if (d < -hysteresis) armed = true;
    if (armed && d > hysteresis) {
      ++count;
      armed = false;
    }
  }
  return count;
}

// Power of bins 0 .. x.size()/2 of a plain DFT (the tests use a few thousand points).
inline std::vector<double> powerSpectrum(const std::vector<float>& x) {
  const std::size_t n = x.size();
  std::vector<double> p(n / 2 + 1);
  const double m = mean(x);
  for (std::size_t k = 0; k <= n / 2; ++k) {
    std::complex<double> acc(0.0, 0.0);
    const double w = -2.0 * std::numbers::pi / static_cast<double>(n);
    for (std::size_t i = 0; i < n; ++i) {
      // The index product is reduced modulo n so the angle stays small and exact.
      const double a = w * static_cast<double>((k * i) % n);
      acc += (x[i] - m) * std::complex<double>(std::cos(a), std::sin(a));
    }
    p[k] = std::norm(acc);
  }
  return p;
}

}  // namespace osctest
