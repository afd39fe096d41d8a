#include "engine/output_stage.h"

#include <cmath>

#include "engine/patch_module.h"
#include "engine/sanitize.h"

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

float dcBlockChannel(DcBlocker& b, int channel, float x) {
  const float y = b.r * flushNonNormal(b.y1[channel]) + (x - b.x1[channel]);
  b.x1[channel] = x;
  b.y1[channel] = y;
  return 2.0f * y;
}

}  // namespace

void dcBlock(DcBlocker& blocker, float& left, float& right) {
  left = dcBlockChannel(blocker, 0, left);
  right = dcBlockChannel(blocker, 1, right);
}

void updateMeter(float& meter, float sum) {
  meter = flushNonNormal(meter) * 0.9999f;
  const float level = std::fabs(sum);
  if (level > meter) meter = level;
}
