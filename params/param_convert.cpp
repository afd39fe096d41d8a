#include "params/param_convert.h"

#include <cmath>

namespace {

constexpr bool isSettable(int index) { return index >= 1 && index <= kLastCordParam; }

// Cord values are jack indexes scaled by 1/1000 on the way to the host and the canvas.
constexpr float kCordScale = 1000.0f;

float clampUnit(float x) {
  if (!(x > 0.0f)) return 0.0f;  // also catches not-a-number
  return x < 1.0f ? x : 1.0f;
}

double clampUnit(double x) {
  if (!(x > 0.0)) return 0.0;
  return x < 1.0 ? x : 1.0;
}

float clampToRange(const ParamDesc& d, float v) {
  if (!(v >= d.minimum)) return d.minimum;
  return v > d.maximum ? d.maximum : v;
}

bool isLogarithmic(const ParamDesc& d) {
  return (d.flags & kParamFlagLog) != 0 && d.minimum > 0.0f && d.maximum > d.minimum;
}

}  // namespace

int32_t jackCodeOfIndex(int jack) {
  return jack >= 0 && jack < kJackTableSize ? JackCodeTable[jack] : kNoConnectionCode;
}

int jackIndexOfCode(int32_t code) {
  for (int j = 0; j < kJackTableSize; ++j)
    if (JackCodeTable[j] == code) return j;
  return -1;
}

int jackIndexFromNormalised(float normalised) {
  if (!(normalised > 0.0f)) return 0;
  const float scaled = normalised * kCordScale;
  if (!(scaled < kJackCount + 0.5f)) return 0;
  return static_cast<int>(std::lround(scaled));
}

bool isWholeNumberParam(int index) {
  if (isCordParam(index)) return true;
  if (index < 0 || index >= kParamTableSize) return false;
  const int32_t kind = ParamDescTable[index].kind;
  return kind == kParamCounted || kind == kParamSwitch;
}

float plainFromNormalised(int index, float normalised) {
  if (!isSettable(index)) return 0.0f;
  if (isCordParam(index)) return static_cast<float>(jackIndexFromNormalised(normalised));
  const ParamDesc& d = ParamDescTable[index];
  const float plain = d.minimum + (d.maximum - d.minimum) * clampUnit(normalised);
  return isWholeNumberParam(index) ? std::round(plain) : plain;
}

float normalisedFromPlain(int index, float plain) {
  if (!isSettable(index)) return 0.0f;
  if (isCordParam(index)) return clampUnit(plain / kCordScale);
  const ParamDesc& d = ParamDescTable[index];
  const float range = d.maximum - d.minimum;
  if (!(std::fabs(range) > 0.0f)) return plain;
  return clampUnit((plain - d.minimum) / range);
}

float plainFromPosition(int index, double position) {
  if (!isSettable(index)) return 0.0f;
  const ParamDesc& d = ParamDescTable[index];
  double plain;
  if (isLogarithmic(d)) {
    const double lo = std::log(static_cast<double>(d.minimum));
    const double hi = std::log(static_cast<double>(d.maximum));
    plain = std::exp(lo + position * (hi - lo));
  } else {
    plain = d.minimum + position * (static_cast<double>(d.maximum) - d.minimum);
  }
  if (std::isnan(plain)) plain = d.minimum;
  float v = clampToRange(d, static_cast<float>(plain));
  return isWholeNumberParam(index) ? std::round(v) : v;
}

double positionFromPlain(int index, float plain) {
  if (!isSettable(index)) return 0.0;
  const ParamDesc& d = ParamDescTable[index];
  const float v = clampToRange(d, plain);
  if (isLogarithmic(d)) {
    const double lo = std::log(static_cast<double>(d.minimum));
    const double hi = std::log(static_cast<double>(d.maximum));
    return clampUnit((std::log(static_cast<double>(v)) - lo) / (hi - lo));
  }
  const double range = static_cast<double>(d.maximum) - d.minimum;
  if (!(std::fabs(range) > 0.0)) return 0.0;
  return clampUnit((v - static_cast<double>(d.minimum)) / range);
}
