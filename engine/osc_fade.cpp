#include "engine/osc_fade.h"

#include "engine/minblep_osc.h"

FadeOsc::FadeOsc(Phasor* phasor, float threshold, PhasorOsc* first, AdditiveOsc* second)
    : PhasorOsc(phasor), threshold(threshold), first(first), second(second) {}

FadeOsc::~FadeOsc() {
  second.reset();
  first.reset();
}

void FadeOsc::reset(float phase) {
  PhasorOsc::reset(phase);
  first->reset(phase);
}

float FadeOsc::tick() { return useSecond ? second->tick() : first->tick(); }

void FadeOsc::setFrequency(float f) {
  useSecond = f > threshold;
  if (useSecond) second->setFrequency(f);
}

TriOsc::TriOsc(Phasor* phasor, const MinBlepTable* table)
    : FadeOsc(phasor, kThreshold, new MinBlepTri(phasor, table), new AdditiveTri(phasor)) {}
