// The value readouts of the controls, by unit kind, and the position <-> value rule.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "gui/cauguictrl.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// "-200 dB Attenuation" below or at zero, else the decibels of `gain` in `format`.
void attenuation(const char* format, double gain, char* buffer, std::size_t size) {
  if (gain > 0) {
    double db = 20.0 * std::log10(gain);
    // A result a hair below zero prints without a minus sign.
    if (std::fabs(db) < 0.0001) db = std::fabs(db);
    std::snprintf(buffer, size, format, db);
  } else {
    std::snprintf(buffer, size, "-200 dB Attenuation");
  }
}

}  // namespace

void formatValueText(int kind, float value, char* buffer, std::size_t size) {
  if (!buffer || size == 0) return;
  buffer[0] = '\0';
  const double v = value;
  switch (kind) {
    case 0: std::snprintf(buffer, size, "%2.5f Vv", v * 10.0); break;
    case 1: attenuation("%3.4f dB Attenuation", v, buffer, size); break;
    case 2: std::snprintf(buffer, size, "%2.4f Vv", v); break;
    case 3: std::snprintf(buffer, size, "%2.4f seconds", v > 1.0 ? v / 1.73 : v); break;
    case 4: std::snprintf(buffer, size, "%2.5f Vv", v); break;
    case 5: std::snprintf(buffer, size, "%2.4f%%", v * 100.0); break;
    case 6: attenuation("%3.2f dB Attenuation", v - 0.01, buffer, size); break;
    case 7: std::snprintf(buffer, size, "%2.4f Q", v); break;
    case 8:
      if (v == 0.0) {
        std::snprintf(buffer, size, "100%% Left");
      } else if (v == 1.0) {
        std::snprintf(buffer, size, "100%% Right");
      } else {
        // The output pan's cosine law, so the text shows the gains applied.
        const double left = v <= 0.5 ? 1.0 : std::cos((v - 0.5) * kPi);
        const double right = v >= 0.5 ? 1.0 : std::cos((0.5 - v) * kPi);
        std::snprintf(buffer, size, "%2.1f%% Left  %2.1f%% Right", left * 100.0, right * 100.0);
      }
      break;
    case 9:
      if (v == 0.0)
        std::snprintf(buffer, size, "100%% White");
      else if (v == 1.0)
        std::snprintf(buffer, size, "100%% Red");
      else
        std::snprintf(buffer, size, "%2.2f%% White %2.2f%% Red", (1.0 - v) * 100.0, v * 100.0);
      break;
    case 10: std::snprintf(buffer, size, "%f", v); break;
    case 11: attenuation("%3.4f dB Attenuation", v * 0.1 - 0.01, buffer, size); break;
    case 12: std::snprintf(buffer, size, "%5.3f Hz", v); break;
    // A rate of 0 has no period; it reads 0 Hz rather than infinity.
    case 13: std::snprintf(buffer, size, "%5.3f Hz", v > 0.0 ? 1.0 / v : 0.0); break;
    case 14: std::snprintf(buffer, size, "%2.4f seconds", v); break;
    default: break;
  }
}

// Positions round to the nearest step, so a value read back from a position gives that
// position again. No travel, no range or a value that is not a number give position 0;
// values outside the range are held to its ends (on a logarithmic control a value below the
// minimum would otherwise take the logarithm of a negative number).
int positionForValue(float value, float minimum, float range, int steps, bool logarithmic) {
  if (steps <= 0 || range == 0.0f || !std::isfinite(range)) return 0;
  const double x = (static_cast<double>(value) - minimum) / range;
  if (!std::isfinite(x)) return 0;
  const double t = std::clamp(x, 0.0, 1.0);
  const double travel = logarithmic ? (std::log10(t * 10.0 + 0.001) + 3.0) * 0.25 : t;
  // The logarithm's 0.001 offset lifts the top a hair above the travel: held to it.
  return static_cast<int>(std::min<long>(std::lround(travel * steps), steps));
}

float valueForPosition(int position, float minimum, float range, int steps, bool logarithmic) {
  if (steps <= 0) return minimum;
  const double p = static_cast<double>(position) / steps;
  const double x = logarithmic ? (std::pow(10.0, p * 4.0 - 3.0) - 0.001) / 10.0 : p;
  return static_cast<float>(x * range + minimum);
}
