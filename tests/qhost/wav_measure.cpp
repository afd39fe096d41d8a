// Measures a stretch of a WAV file's first channel: its RMS and its pitch, from the first
// autocorrelation peak after the correlation has crossed zero (a reference independent of
// the synthesizer). Usage: wav_measure FILE START END (seconds). Prints "rms: R", "peak: P"
// (the largest magnitude of the stretch in either channel) and "pitch: F" (0 when no period
// is found). With EXPECTED_HZ and CENTS it also prints
// "pitchOk: 1" when the pitch lies within that many cents of EXPECTED_HZ, else "pitchOk: 0".
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/qhost/wavfile.h"

int main(int argc, char** argv) {
  if (argc != 4 && argc != 6) {
    std::fprintf(stderr, "usage: wav_measure FILE START END [EXPECTED_HZ CENTS]\n");
    return 2;
  }
  qhost::AudioData audio;
  std::string error;
  if (!qhost::readWav(argv[1], audio, error)) {
    std::fprintf(stderr, "wav_measure: %s\n", error.c_str());
    return 1;
  }
  const double rate = audio.rate;
  const auto first = static_cast<int64_t>(std::atof(argv[2]) * rate);
  const auto last = std::min<int64_t>(audio.frames, static_cast<int64_t>(std::atof(argv[3]) * rate));
  std::vector<double> x;
  for (int64_t i = first; i < last; ++i)
    x.push_back(audio.samples[static_cast<std::size_t>(i * audio.channels)]);
  if (x.size() < 64) return 1;
  double mean = 0.0;
  for (double v : x) mean += v;
  mean /= static_cast<double>(x.size());
  double energy = 0.0;
  for (double& v : x) {
    v -= mean;
    energy += v * v;
  }
  std::printf("rms: %.6f\n", std::sqrt(energy / static_cast<double>(x.size())));
  double peak = 0.0;
  for (int64_t i = first * audio.channels; i < last * audio.channels; ++i)
    peak = std::max(peak, static_cast<double>(std::fabs(audio.samples[static_cast<std::size_t>(i)])));
  std::printf("peak: %.6f\n", peak);

  const std::size_t n = std::min<std::size_t>(x.size(), 16384);
  const auto maxLag = static_cast<std::size_t>(rate / 30.0);
  std::vector<double> c(maxLag + 2, 0.0);
  for (std::size_t lag = 0; lag < c.size() && lag < n; ++lag) {
    for (std::size_t i = 0; i + lag < n; ++i) c[lag] += x[i] * x[i + lag];
    c[lag] /= energy + 1e-30;
  }
  std::size_t start = 1;
  while (start < maxLag && c[start] >= 0.0) ++start;
  double best = 0.0;
  for (std::size_t l = start; l < maxLag; ++l) best = std::max(best, c[l]);
  double period = 0.0;
  for (std::size_t l = start; l + 1 < maxLag && best > 0.0; ++l) {
    if (c[l] >= 0.9 * best && c[l] >= c[l - 1] && c[l] >= c[l + 1]) {
      const double curve = c[l - 1] - 2.0 * c[l] + c[l + 1];
      period = static_cast<double>(l) + (curve != 0.0 ? 0.5 * (c[l - 1] - c[l + 1]) / curve : 0.0);
      break;
    }
  }
  const double pitch = period > 0.0 ? rate / period : 0.0;
  std::printf("pitch: %.2f\n", pitch);
  if (argc == 6) {
    const double cents = pitch > 0.0 ? 1200.0 * std::log2(pitch / std::atof(argv[4])) : 1e9;
    std::printf("pitchOk: %d\n", std::fabs(cents) <= std::atof(argv[5]) ? 1 : 0);
  }
  return 0;
}
