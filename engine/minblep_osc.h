// Band-limited sawtooth and pulse by the minimum-phase step method: each edge of the naive
// waveform queues a pending step, and every sample adds the correction 1 - step of each
// pending step, read from the shared MinBlepTable. Also the plain folded triangle. They
// read the VCO's shared Phasor and never advance it. Ticks and resets: audio thread only.
#pragma once

#include <cstdint>

#include "engine/minblep_table.h"
#include "engine/osc_phasor.h"

class MinBlepOsc : public PhasorOsc {
 public:
  static constexpr float kOversampling = 64.0f;
  // A step is retired once it has been read this far (22 zero crossings x 64).
  static constexpr float kRetirePosition = 1408.0f;

  // Stores both and sets the phasor to 220 Hz (the VCO sets its own frequency afterwards).
  // A null table is replaced by a process-wide ideal step, so no step is ever read from
  // nothing.
  MinBlepOsc(Phasor* phasor, const MinBlepTable* table);

  // Pulse width as a fraction of the cycle; no effect in the base.
  virtual void setWidth(float) {}

  const MinBlepTable* table;  // not owned

 protected:
  // The step of the table's values at position p (in table points), interpolated. A step
  // read out to kRetirePosition has settled: it gives 1.0 (no correction) there and beyond,
  // also while it waits in a ring behind an unretired head (a late step queued by a reset).
  // Every table holds at least kMinSize values, so the point below kRetirePosition and the
  // one after it that are read are always inside it.
  static float stepAt(const float* values, float p) {
    if (!(p < kRetirePosition)) return 1.0f;
    const int32_t k = static_cast<int32_t>(p);
    const float f = p - static_cast<float>(k);
    return values[k] + (values[k + 1] - values[k]) * f;
  }

  // Sums term(k, correction) over the count pending steps of a ring of Size entries from
  // head, oldest first, and moves each one sample on.
  template <int32_t Size, typename Term>
  float sumPending(float* positions, int32_t head, int32_t count, Term term) const {
    float sum = 0.0f;
    if (count == 0) return sum;
    const float* values = table->values;
    for (int32_t i = 0, k = head; i < count; ++i, k = (k + 1) & (Size - 1)) {
      sum += term(k, 1.0f - stepAt(values, positions[k]));
      positions[k] += kOversampling;
    }
    return sum;
  }
};
static_assert(MinBlepTable::kMinSize >= static_cast<int32_t>(MinBlepOsc::kRetirePosition) + 2,
              "a step read below the retire position interpolates inside the table");

// Naive ramp (the phase, 0 to 1) plus the corrections of its wraps.
class MinBlepSaw : public MinBlepOsc {
 public:
  static constexpr int32_t kRingSize = 64;

  MinBlepSaw(Phasor* phasor, const MinBlepTable* table);

  // Queues the step of the most recent wrap, phase x inverseIncrement samples ago, from the
  // phasor's current phase; nothing while the increment is 0. The argument is not used:
  // the phase is the VCO's to set.
  void reset(float phase) override;
  // Retires the head step once it is read out, queues a step on a wrap, and returns the
  // phase plus all pending corrections minus increment x 1.46.
  QV_KERNEL_CALL KernelFloat tick() override;
  // Drops every pending step (the VCO's reset).
  void clearSteps() { count = head = tail = 0; }

  // The ring's indexes come before its entries, beside the object's other fields.
  int32_t count = 0;
  int32_t head = 0;
  int32_t tail = 0;
  float positions[kRingSize] = {};

 private:
  void queueStep(float d);
};

// Naive pulse (1.0 from the wrap until the phase reaches the width, then 0.0) plus signed
// corrections of its rising and falling edges.
class MinBlepPulse : public MinBlepOsc {
 public:
  static constexpr int32_t kRingSize = 128;

  MinBlepPulse(Phasor* phasor, const MinBlepTable* table);

  // Level 1.0 and the steps of the latest rise and, if the requested width lies at or below
  // the phasor's phase, of the fall after it (level 0.0). Argument unused, as for the saw.
  void reset(float phase) override;
  QV_KERNEL_CALL KernelFloat tick() override;
  // width = w; effectiveWidth = w held within increment .. oneMinusIncrement.
  void setWidth(float w) override;
  // Drops every pending step and clears exactFall (the VCO's reset).
  void clearSteps() {
    count = head = tail = 0;
    exactFall = 0;
  }

  float width = 0.5f;           // requested
  float effectiveWidth = 0.5f;  // within increment .. 1 - increment
  float level = 1.0f;           // the naive pulse, 1.0 or 0.0
  float lastEdgePhase = 0.0f;
  uint8_t exactFall = 0;        // the fall of this cycle can be placed exactly
  int32_t count = 0;
  int32_t head = 0;
  int32_t tail = 0;
  float positions[kRingSize] = {};
  float signs[kRingSize] = {};

 private:
  void queueStep(float d, float sign);
};

// 1 - 4 x phase below phase 0.5, else 4 x phase - 3: +1 at phase 0, -1 at 0.5. Not band
// limited; the triangle switches to the additive sum at high pitch.
class MinBlepTri : public MinBlepOsc {
 public:
  MinBlepTri(Phasor* phasor, const MinBlepTable* table) : MinBlepOsc(phasor, table) {}
  void reset(float) override {}
  QV_KERNEL_CALL KernelFloat tick() override;
};
