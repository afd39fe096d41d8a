#include "plugin/midi_curve.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "params/param_convert.h"

namespace {

// A range end in MIDI units 0..127 scaled to a 32-bit position: 2^25 per unit.
constexpr float kUnitScale = 33554432.0f;
constexpr uint32_t kUnitMask = 0x1FFFFFF;
constexpr double kFullScale = 4294967295.0;

// A range end outside 0..127 (or not a number) would not convert to a 32-bit position.
float clampRangeEnd(float v) {
  if (!(v >= 0.0f)) return 0.0f;
  return v > 127.0f ? 127.0f : v;
}

}  // namespace

double midiPosition7(int value, const MidiSourceSetting& s) {
  const int v = std::clamp(value, 0, 127);
  const double g = s.invert ? 127 - v : v;
  double h;
  switch (s.curve) {
    case kMidiCurveExponential: h = (std::pow(10.0, g / 127.00001) - 1.0) / 9.0; break;
    case kMidiCurveLogarithmic: h = std::log10(g / 14.11112 + 1.0); break;
    default: h = g / 127.0; break;
  }
  const float a = s.low * kUnitScale;
  const float b = s.high * kUnitScale + kUnitScale;
  return ((static_cast<double>(b) - a) * h + a) / kFullScale;
}

double midiPosition14(int value, const MidiSourceSetting& s) {
  const int d = std::clamp(value, 0, 16383);
  const double l = s.invert ? 16383 - d : d;
  double h;
  switch (s.curve) {
    case kMidiCurveExponential:
      h = (std::pow(10.0f, static_cast<float>(l / 16383.00001)) - 1.0) / 9.0;
      break;
    case kMidiCurveLogarithmic: h = std::log10(l / 1820.33334 + 1.0); break;
    default: h = l / 16383.00001; break;
  }
  // The span is signed so that a range running downwards does not wrap around.
  const uint32_t low = static_cast<uint32_t>(clampRangeEnd(s.low) * kUnitScale);
  const uint32_t high = static_cast<uint32_t>(clampRangeEnd(s.high) * kUnitScale);
  const int64_t span = static_cast<int64_t>(high | kUnitMask) - static_cast<int64_t>(low);
  const float position = static_cast<float>(static_cast<double>(span) * h + low);
  return position / kFullScale;
}

float mapCurve(int value, const MidiSourceSetting& setting, int parameter) {
  return plainFromPosition(parameter, midiPosition7(value, setting));
}

float mapCurve14(int value, const MidiSourceSetting& setting, int parameter) {
  return plainFromPosition(parameter, midiPosition14(value, setting));
}
