#include "engine/output_stage.h"

#include <cmath>

#include "engine/patch_module.h"
#include "engine/sanitize.h"

namespace {

constexpr float kLevelOff = 1e-6f;

float levelGain(const PatchInput* level) { return level != nullptr ? level->gain : 0.0f; }

bool levelOff(const PatchInput* level) { return std::fabs(levelGain(level)) < kLevelOff; }

// A reverb output that ran away (or is not a number) is cleared; the model is reset.
void catchRunaway(qv::ReverbModel& model, float& value) {
  if (std::fabs(value) <= kModuleValueLimit) return;
  value = 0.0f;
  model.mute();
}

}  // namespace

float reverbReturnOutput(ReverbReturn& ret) {
  ret.outputRead = true;
  return ret.storedLeft;
}

void reverbReturnAccumulate(ReverbReturn& ret, float value) { ret.send += value; }

void processOutputStage(qv::ReverbModel& model, ReverbReturn& ret, float& left, float& right) {
  if (levelOff(ret.leftLevel) && levelOff(ret.rightLevel) && !ret.outputRead) {
    left = 0.0f;
    right = 0.0f;
    return;
  }
  left = ret.send;
  right = 0.0f;
  qv::processReverb(model, left, right);
  catchRunaway(model, left);
  catchRunaway(model, right);
  ret.storedLeft = left;
  right *= levelGain(ret.rightLevel);
  left *= levelGain(ret.leftLevel);
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
