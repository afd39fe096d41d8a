#include "engine/minblep_osc.h"

#include <memory>

namespace {

const MinBlepTable* fallbackTable() {
  static const std::unique_ptr<MinBlepTable> table(MinBlepTable::idealStep());
  return table.get();
}

}  // namespace

MinBlepOsc::MinBlepOsc(Phasor* phasor, const MinBlepTable* table)
    : PhasorOsc(phasor), table(table ? table : fallbackTable()) {
  phasor->setFrequency(220.0f);
}

MinBlepSaw::MinBlepSaw(Phasor* phasor, const MinBlepTable* table) : MinBlepOsc(phasor, table) {
  clearSteps();
  MinBlepSaw::reset(0.0f);
}

// Offsets beyond the span have finished their step; a full ring drops the newest edge
// rather than overwrite pending ones.
void MinBlepSaw::queueStep(float d) {
  if (!(d >= 0.0f && d <= table->span) || count >= kRingSize) return;
  positions[tail] = d * kOversampling;
  ++count;
  tail = (tail + 1) & (kRingSize - 1);
}

void MinBlepSaw::reset(float) {
  if (phasor->increment == 0.0f) return;
  queueStep(phasor->phase * phasor->inverseIncrement);
}

QV_KERNEL_CALL KernelFloat MinBlepSaw::tick() {
  while (count > 0 && positions[head] >= kRetirePosition) {
    --count;
    head = (head + 1) & (kRingSize - 1);
  }
  if (phasor->wrapped) queueStep(phasor->phase * phasor->inverseIncrement);
  const float sum = sumPending<kRingSize>(positions, head, count, [](int32_t, float c) { return c; });
  return sum + phasor->phase - phasor->increment * 1.46f;
}

MinBlepPulse::MinBlepPulse(Phasor* phasor, const MinBlepTable* table) : MinBlepOsc(phasor, table) {
  width = 0.5f;
  count = head = tail = 0;
  if (phasor->increment >= 0.5f)
    effectiveWidth = phasor->increment;
  else if (phasor->oneMinusIncrement <= 0.5f)
    effectiveWidth = phasor->oneMinusIncrement;
  else
    effectiveWidth = 0.5f;
  MinBlepPulse::reset(0.0f);
}

void MinBlepPulse::queueStep(float d, float sign) {
  if (!(d >= 0.0f && d <= table->span) || count >= kRingSize) return;
  positions[tail] = d * kOversampling;
  signs[tail] = sign;
  ++count;
  tail = (tail + 1) & (kRingSize - 1);
}

void MinBlepPulse::setWidth(float w) {
  width = w;
  if (w <= phasor->increment)
    effectiveWidth = phasor->increment;
  else if (w >= phasor->oneMinusIncrement)
    effectiveWidth = phasor->oneMinusIncrement;
  else
    effectiveWidth = w;
}

void MinBlepPulse::reset(float) {
  level = 1.0f;
  if (phasor->increment == 0.0f) return;
  const float phase = phasor->phase;
  queueStep(phase * phasor->inverseIncrement, -1.0f);
  if (width <= phase) {
    queueStep((phase - width) * phasor->inverseIncrement, 1.0f);
    level = 0.0f;
  }
}

QV_KERNEL_CALL KernelFloat MinBlepPulse::tick() {
  while (count > 0 && positions[head] >= kRetirePosition) {
    --count;
    head = (head + 1) & (kRingSize - 1);
  }
  const Phasor& ph = *phasor;
  const float a = ph.phase;
  if (ph.wrapped) {
    queueStep(a * ph.inverseIncrement, -1.0f);
    lastEdgePhase = a;
    exactFall = 1;
    level = 1.0f;
  } else if (level == 1.0f && a >= effectiveWidth) {
    if (exactFall) {
      lastEdgePhase = a - effectiveWidth;
      queueStep((a - effectiveWidth) * ph.inverseIncrement, 1.0f);
      level = 0.0f;
    } else if (a < ph.oneMinusIncrement && ph.increment < a - lastEdgePhase) {
      // The width moved below the phase after an inexact rise: fall now.
      lastEdgePhase = a;
      queueStep(0.0f, 1.0f);
      level = 0.0f;
    }
  } else if (level == 0.0f && a <= effectiveWidth && a < ph.oneMinusIncrement &&
             ph.increment < a - lastEdgePhase) {
    // The width moved above the phase within a cycle: rise now.
    lastEdgePhase = a;
    queueStep(0.0f, -1.0f);
    exactFall = 0;
    level = 1.0f;
  }
  const float sum = sumPending<kRingSize>(positions, head, count, [this](int32_t k, float c) { return signs[k] * c; });
  return level + sum;
}

QV_KERNEL_CALL KernelFloat MinBlepTri::tick() {
  const float p = phasor->phase;
  return p < 0.5f ? 1.0f - 4.0f * p : 4.0f * p - 3.0f;
}
