#include "tools/mbgen/minblep_gen.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <complex>
#include <numbers>
#include <stdexcept>

namespace mbgen {

using Complex = std::complex<double>;

void fft(std::vector<Complex>& a, bool inverse) {
  const std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const double angle = 2.0 * std::numbers::pi / static_cast<double>(len) * (inverse ? 1.0 : -1.0);
    for (std::size_t start = 0; start < n; start += len) {
      for (std::size_t k = 0; k < len / 2; ++k) {
        // Twiddles from the angle directly: no error build-up along long butterflies.
        const Complex w(std::cos(angle * static_cast<double>(k)), std::sin(angle * static_cast<double>(k)));
        const Complex u = a[start + k];
        const Complex v = a[start + k + len / 2] * w;
        a[start + k] = u + v;
        a[start + k + len / 2] = u - v;
      }
    }
  }
  if (inverse)
    for (Complex& x : a) x /= static_cast<double>(n);
}

namespace {

double sinc(double x) {
  if (x == 0.0) return 1.0;
  const double px = std::numbers::pi * x;
  return std::sin(px) / px;
}

void appendNumber(std::string& out, double v, int precision, bool fixedOne) {
  char buf[64];
  std::to_chars_result r = fixedOne ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 1)
                                    : std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, precision);
  if (r.ec != std::errc()) throw std::runtime_error("number formatting failed");
  out.append(buf, r.ptr);
}

}  // namespace

std::vector<double> generateStep(const StepParams& p) {
  const int taps = 2 * p.zeroCrossings * p.oversampling + 1;
  const int n = p.fftSize;
  if (taps > n || p.size > n || (n & (n - 1)) != 0) throw std::invalid_argument("bad step parameters");

  // Blackman-windowed sinc, centred, at the oversampled rate.
  std::vector<Complex> a(static_cast<std::size_t>(n), Complex(0.0, 0.0));
  const double centre = (taps - 1) / 2.0;
  for (int i = 0; i < taps; ++i) {
    const double t = (i - centre) / p.oversampling;
    const double phi = 2.0 * std::numbers::pi * i / (taps - 1);
    const double w = 0.42 - 0.5 * std::cos(phi) + 0.08 * std::cos(2.0 * phi);
    a[static_cast<std::size_t>(i)] = Complex(w * sinc(p.corner * t), 0.0);
  }

  // Real cepstrum of the log magnitude, folded onto positive quefrencies. The floor keeps
  // the stop band's nulls from dominating the cepstrum and sets how fast the step starts.
  fft(a, false);
  const double minimum = std::abs(a[0]) * p.magnitudeFloor;
  for (Complex& x : a) x = Complex(std::log(std::max(std::abs(x), minimum)), 0.0);
  fft(a, true);
  for (int i = 1; i < n / 2; ++i) a[static_cast<std::size_t>(i)] *= 2.0;
  for (int i = n / 2 + 1; i < n; ++i) a[static_cast<std::size_t>(i)] = 0.0;

  // Back to a minimum-phase impulse.
  fft(a, false);
  for (Complex& x : a) x = std::exp(x);
  fft(a, true);

  double total = 0.0;
  for (const Complex& x : a) total += x.real();
  std::vector<double> step(static_cast<std::size_t>(p.size));
  double run = 0.0;
  for (int i = 0; i < p.size; ++i) {
    run += a[static_cast<std::size_t>(i)].real();
    step[static_cast<std::size_t>(i)] = run / total;
  }
  return step;
}

std::string formatStepText(const std::vector<double>& values, const StepParams& p) {
  std::string out;
  out.reserve(values.size() * 20 + 64);
  appendNumber(out, p.corner, 15, false);
  out += " % corner\n";
  appendNumber(out, p.oversampling, 15, true);
  out += " % oversampling\n";
  appendNumber(out, p.zeroCrossings, 15, true);
  out += " % nzc\n";
  appendNumber(out, static_cast<double>(values.size()), 15, true);
  out += " % size\n";
  for (double v : values) {
    out += ' ';
    appendNumber(out, v, 15, false);
    out += '\n';
  }
  return out;
}

}  // namespace mbgen
