// Builds the band-limited step table that the oscillators read: the integrated
// minimum-phase, windowed-sinc step, sampled 64 times per sample, and its text form.
#pragma once

#include <complex>
#include <string>
#include <vector>

namespace mbgen {

struct StepParams {
  double corner = 0.9;        // cutoff as a fraction of the Nyquist frequency
  int oversampling = 64;      // table points per sample
  int zeroCrossings = 22;     // half-length of the sinc, in samples
  int fftSize = 4096;         // transform length of the cepstrum
  double magnitudeFloor = 0.001;  // smallest magnitude kept, relative to the DC gain (-60 dB)
  int size = 3091;            // values written
};

// In-place radix-2 transform; the size must be a power of two. inverse also scales by 1/n.
void fft(std::vector<std::complex<double>>& a, bool inverse);

// The step values, rising from near 0 and settling at 1.
std::vector<double> generateStep(const StepParams& p = {});

// The complete text: four header lines, then one value per line, LF line ends.
std::string formatStepText(const std::vector<double>& values, const StepParams& p = {});

}  // namespace mbgen
