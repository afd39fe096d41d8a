// Cost of one voice's sample (prepareVoiceSample + processVoiceSample) on a graph of the
// full build's size: 44 modules and 69 connections, with stub kernels that cost next to
// nothing, so the figure is the graph's own overhead (evaluation, memo, ramps, send).
#include <benchmark/benchmark.h>

#include <memory>

#include "engine/audio_thread.h"
#include "engine/patch_voice.h"

namespace {

// A generator: its output moves every tick, like an oscillator's.
struct StubGenerator {
  float value = 0.0f;
  float increment = 0.001f;
};

void generatorTick(void* dsp) {
  auto* g = static_cast<StubGenerator*>(dsp);
  g->value += g->increment;
  if (g->value > 1.0f) g->value -= 2.0f;
}
float generatorOutput(void* dsp, int index) { return static_cast<StubGenerator*>(dsp)->value * static_cast<float>(index); }
void stubControl(void* dsp, float v) { static_cast<StubGenerator*>(dsp)->increment = 0.001f + v * 1e-6f; }
float stubProcess(void*, float x) { return 0.5f * x + 0.01f; }
void stubAccumulate(void* dsp, float v) { static_cast<StubGenerator*>(dsp)->value += v; }

constexpr int kGenerators = 16;   // VCOs, envelopes, keyboard, constants, noise, clock, ...
constexpr int kProcessors = 26;   // filter, amplifier, mixers, inserts, switches, ...

// OUTPUT, 16 generators, 26 processors and the reverb record: 44 modules. Connections: two
// audio inputs per processor (a chain through all of them plus a generator each), twelve
// control inputs, three generator control inputs, one feedback loop, the output and the
// reverb send: 69.
class StubGraph {
 public:
  StubGraph() {
    voice.rampRate.store(normalRampRate(44100));
    voice.output = voice.newModule("OUTPUT", ModuleType::Output);
    ModuleKernel gen;
    gen.generator = true;
    gen.output = &generatorOutput;
    gen.setControl = &stubControl;
    gen.tick = &generatorTick;
    for (int i = 0; i < kGenerators; ++i) {
      generatorObjects[i].increment = 0.0007f * static_cast<float>(i + 1);
      generators[i] = voice.newModule("generator", ModuleType::Mixer);
      voice.bindModule(*generators[i], &generatorObjects[i], gen);
    }
    ModuleKernel proc;
    proc.process = &stubProcess;
    proc.setControl = &stubControl;
    for (int i = 0; i < kProcessors; ++i) {
      processors[i] = voice.newModule("processor", ModuleType::Mixer);
      voice.bindModule(*processors[i], &processorObjects[i], proc);
    }
    ModuleKernel send;
    send.accumulate = &stubAccumulate;
    voice.reverb1 = voice.newModule("Reverb 1", ModuleType::Reverb);
    voice.bindModule(*voice.reverb1, &reverbObject, send);

    // The seven modules the voice ticks each sample.
    voice.vco1 = generators[0];
    voice.vco2 = generators[1];
    voice.vco3 = generators[2];
    voice.ar1 = generators[3];
    voice.adsr1 = generators[4];
    voice.keyboardTrigger = generators[5];
    voice.vcf1 = processors[0];

    for (int i = 0; i < kProcessors; ++i) {
      if (i > 0) connect(processors[i - 1], processors[i], false, 1.0f);
      connect(generators[(i * 7) % kGenerators], processors[i], false, i % 5 == 4 ? 0.0f : 0.3f);
      if (i % 2 == 0 && i < 24) connect(generators[(i * 5 + 3) % kGenerators], processors[i], true, 0.2f);
    }
    for (int i = 0; i < 3; ++i) connect(generators[3 + i], generators[i], true, 0.5f);  // modulation
    connect(processors[20], processors[10], false, 0.1f);  // a feedback loop
    connect(processors[kProcessors - 1], voice.output, false, 1.0f);
    connect(processors[kProcessors - 1], voice.reverb1, false, 1.0f);
    AudioThreadScope audio;
    voice.advanceRamps();  // the new connections arrive
  }

  void connect(PatchModule* from, PatchModule* to, bool control, float gain) {
    PatchInput* in = voice.newInput(gain, 1);
    setNormalSource(*in, from, 1);
    if (control) {
      appendControlInput(*to, in);
    } else {
      appendAudioInput(*to, in);
    }
    ++connections;
  }

  PatchVoice voice;
  int connections = 0;
  PatchModule* generators[kGenerators] = {};
  PatchModule* processors[kProcessors] = {};
  StubGenerator generatorObjects[kGenerators];
  StubGenerator processorObjects[kProcessors];
  StubGenerator reverbObject;
};

using VoiceSampleFn = float (*)(PatchVoice&);

// fn: processVoiceSample (the flattened order) or processVoiceSampleByPull (the recursive
// pull it replaces), for comparison.
void runVoiceSamples(benchmark::State& state, VoiceSampleFn fn) {
  auto graph = std::make_unique<StubGraph>();
  if (graph->voice.moduleCount != 44 || graph->connections != 69) {
    state.SkipWithError("the stub graph does not have the build's size");
    return;
  }
  AudioThreadScope audio;
  for (auto _ : state) {
    prepareVoiceSample(graph->voice);
    benchmark::DoNotOptimize(fn(graph->voice));
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["modules"] = graph->voice.moduleCount;
  state.counters["connections"] = graph->connections;
}
void BM_VoiceSample(benchmark::State& state) { runVoiceSamples(state, &processVoiceSample); }
void BM_VoiceSampleByPull(benchmark::State& state) { runVoiceSamples(state, &processVoiceSampleByPull); }
BENCHMARK(BM_VoiceSample);
BENCHMARK(BM_VoiceSampleByPull);

}  // namespace
