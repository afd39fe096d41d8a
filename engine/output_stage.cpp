#include "engine/output_stage.h"

#include <emmintrin.h>

#include <cmath>

#include "engine/patch_module.h"
#include "engine/sanitize_lanes.h"

namespace {

constexpr float kLevelOff = 1e-6f;

bool levelOff(const PatchInput* level) { return level == nullptr || std::fabs(level->gain) < kLevelOff; }

}  // namespace

void processOutputStage(qv::ReverbModule& reverb, float& left, float& right) {
  if (levelOff(reverb.leftLevelInput) && levelOff(reverb.rightLevelInput) && !reverb.read) {
    reverb.send = 0.0f;
    left = 0.0f;
    right = 0.0f;
    return;
  }
  reverb.run();
  left = reverb.lastLeft * reverb.leftLevel();
  right = reverb.lastRight * reverb.rightLevel();
}

float dcBlockerCoefficient(double rate) { return static_cast<float>(1.0 - 10.0 / rate); }

void DcBlocker::reset() {
  x1[0] = x1[1] = 0.0f;
  y1[0] = y1[1] = 0.0f;
}

namespace {

// Two floats (left, right) into lanes 0 and 1, and back.
__m128 loadPair(const float* pair) {
  return _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pair)));
}
void storePair(float* pair, __m128 v) { _mm_storel_epi64(reinterpret_cast<__m128i*>(pair), _mm_castps_si128(v)); }

// One frame of the meters in the lanes: flushed, decayed, and raised to |sum| where that is
// greater (a NaN sum leaves the meter as it is).
__m128 meterStep(__m128 meter, __m128 sum) {
  const __m128 decayed = _mm_mul_ps(flushNonNormalLanes(meter), _mm_set1_ps(0.9999f));
  const __m128 level = _mm_and_ps(sum, _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff)));
  const __m128 rises = _mm_cmpgt_ps(level, decayed);
  return _mm_or_ps(_mm_and_ps(rises, level), _mm_andnot_ps(rises, decayed));
}

}  // namespace

void dcBlock(DcBlocker& blocker, float& left, float& right) {
  // Both channels in lanes 0 and 1: y = R y1 + (x - x1).
  const __m128 x = _mm_unpacklo_ps(_mm_set_ss(left), _mm_set_ss(right));
  const __m128 y = _mm_add_ps(_mm_mul_ps(_mm_set1_ps(blocker.r), flushNonNormalLanes(loadPair(blocker.y1))),
                              _mm_sub_ps(x, loadPair(blocker.x1)));
  storePair(blocker.x1, x);
  storePair(blocker.y1, y);
  const __m128 out = _mm_mul_ps(_mm_set1_ps(2.0f), y);
  left = _mm_cvtss_f32(out);
  right = _mm_cvtss_f32(_mm_shuffle_ps(out, out, _MM_SHUFFLE(1, 1, 1, 1)));
}

void updateMeter(float& meter, float sum) { meter = _mm_cvtss_f32(meterStep(_mm_set_ss(meter), _mm_set_ss(sum))); }

void updateMeters(float* meters, float sumLeft, float sumRight) {
  storePair(meters, meterStep(loadPair(meters), _mm_unpacklo_ps(_mm_set_ss(sumLeft), _mm_set_ss(sumRight))));
}
