#include "engine/osc_fade.h"

#include <utility>

#include "engine/minblep_osc.h"

FadeOsc::FadeOsc(Phasor* phasor, float threshold, std::unique_ptr<PhasorOsc> first,
                 std::unique_ptr<AdditiveOsc> second)
    : PhasorOsc(phasor), threshold(threshold), first(std::move(first)), second(std::move(second)) {}

FadeOsc::~FadeOsc() {
  second.reset();
  first.reset();
}

void FadeOsc::reset(float phase) {
  PhasorOsc::reset(phase);
  first->reset(phase);
}

QV_KERNEL_CALL KernelFloat FadeOsc::tick() { return useSecond ? second->tick() : first->tick(); }

void FadeOsc::setFrequency(float f) {
  useSecond = f > threshold;
  if (useSecond) second->setFrequency(f);
}

TriOsc::TriOsc(Phasor* phasor, const MinBlepTable* table)
    : FadeOsc(phasor, kThreshold, std::make_unique<MinBlepTri>(phasor, table), std::make_unique<AdditiveTri>(phasor)) {}
