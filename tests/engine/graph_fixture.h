// Small hand-made graphs for the evaluation tests: test modules whose functions count
// their calls and compute simple formulas, wired into a voice without the full build.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "engine/audio_thread.h"
#include "engine/patch_voice.h"

// A test DSP object: process applies fn to the audio sum; output returns value.
struct ProbeObject {
  std::function<float(float)> fn = [](float x) { return x; };
  float value = 0.0f;
  int processCalls = 0;
  int outputCalls = 0;
  int controlCalls = 0;
  float lastControl = 0.0f;
  int ticks = 0;
};

inline float probeProcess(void* dsp, float x) {
  auto* p = static_cast<ProbeObject*>(dsp);
  ++p->processCalls;
  return p->fn(x);
}
inline float probeOutput(void* dsp, int) {
  auto* p = static_cast<ProbeObject*>(dsp);
  ++p->outputCalls;
  return p->value;
}
inline void probeControl(void* dsp, float v) {
  auto* p = static_cast<ProbeObject*>(dsp);
  ++p->controlCalls;
  p->lastControl = v;
}
inline void probeTick(void* dsp) { ++static_cast<ProbeObject*>(dsp)->ticks; }

inline ModuleKernel processorKernel() {
  ModuleKernel k;
  k.process = &probeProcess;
  k.setControl = &probeControl;
  return k;
}
inline ModuleKernel generatorKernel() {
  ModuleKernel k;
  k.output = &probeOutput;
  k.setControl = &probeControl;
  k.generator = true;
  return k;
}

class GraphTest : public ::testing::Test {
 protected:
  void SetUp() override {
    voice.rampRate.store(normalRampRate(44100));
    voice.output = voice.newModule("OUTPUT", ModuleType::Output);
  }

  // A module of the graph's own kind (no functions) or one bound to a probe.
  PatchModule* mixer(const char* name = "Mixer 1") { return voice.newModule(name, ModuleType::Mixer); }
  PatchModule* probe(ProbeObject& object, const ModuleKernel& kernel, const char* name = "probe") {
    PatchModule* m = voice.newModule(name, ModuleType::Mixer);
    voice.bindModule(*m, &object, kernel);
    return m;
  }

  // A connection at full gain that is already settled (off the ramp list after one step).
  PatchInput* wire(PatchModule* from, PatchModule* to, bool control = false, float gain = 1.0f) {
    PatchInput* in = voice.newInput(gain, 0);
    setNormalSource(*in, from, 0);
    if (control) {
      appendControlInput(*to, in);
    } else {
      appendAudioInput(*to, in);
    }
    return in;
  }

  float runSample() {
    prepareVoiceSample(voice);
    return processVoiceSample(voice);
  }

  AudioThreadScope audioThread;  // the test thread plays the audio thread
  PatchVoice voice;
};
