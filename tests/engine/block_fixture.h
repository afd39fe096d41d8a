// A voice engine over small hand-made voices: each of the nine contexts has an OUTPUT fed by
// one probe generator (ProbeObject::value is its output), optionally the two shared audio
// inputs and the right input bus. Built the way the graph build would, without the full graph.
#pragma once

#include <memory>
#include <vector>

#include "engine/kernels/audio_input.h"
#include "engine/voice_engine.h"
#include "tests/engine/graph_fixture.h"

struct BlockRig {
  std::unique_ptr<VoiceEngine> engine = std::make_unique<VoiceEngine>();
  ProbeObject sources[kVoiceContextCount];

  explicit BlockRig(float rate = 44100.0f) {
    engine->setSampleRate(rate);
    for (int v = 0; v < kVoiceContextCount; ++v) {
      PatchVoice& voice = engine->voice(v);
      voice.rampRate.store(normalRampRate(static_cast<int>(rate)));
      voice.output = voice.newModule("OUTPUT", ModuleType::Output);
      PatchModule* source = voice.newModule("Mixer 1", ModuleType::Mixer);
      voice.bindModule(*source, &sources[v], generatorKernel());
      connect(voice, source, voice.output);
    }
  }

  static PatchInput* connect(PatchVoice& voice, PatchModule* from, PatchModule* to, float gain = 1.0f) {
    PatchInput* in = voice.newInput(gain, 0);
    setNormalSource(*in, from, 0);
    appendAudioInput(*to, in);
    return in;
  }

  // Audio In 1 into every voice's output, Audio In 2 into the shared Right Input bus.
  void addAudioInputs() {
    SharedModules& shared = engine->shared();
    PatchVoice& first = engine->voice(0);
    shared.audioIn1 = SharedModules::create("Audio In 1", ModuleType::AudioIn, first);
    shared.audioIn2 = SharedModules::create("Audio In 2", ModuleType::AudioIn, first);
    shared.rightInput = SharedModules::create("Right Input", ModuleType::InputBus, first);
    for (int v = 0; v < kVoiceContextCount; ++v) {
      PatchVoice& voice = engine->voice(v);
      PatchModule* in1 = voice.wrapSharedModule(*shared.audioIn1, "Audio In 1", ModuleType::AudioIn);
      PatchModule* in2 = voice.wrapSharedModule(*shared.audioIn2, "Audio In 2", ModuleType::AudioIn);
      voice.rightInput = voice.wrapSharedModule(*shared.rightInput, "Right Input", ModuleType::InputBus);
      connect(voice, in1, voice.output);
      connect(voice, in2, voice.rightInput);
    }
  }

  void setSourceValue(float value) {
    for (ProbeObject& s : sources) s.value = value;
  }

  // Ready and processing, as after initialisation and the host's resume.
  void start() {
    engine->setProcessing(true);
    engine->setReady(true);
  }

  // One block of silence in, the outputs kept in left and right.
  void run(int frames) {
    left.assign(frames, 0.0f);
    right.assign(frames, 0.0f);
    engine->processBlock(nullptr, nullptr, left.data(), right.data(), frames, nullptr);
  }

  std::vector<float> left;
  std::vector<float> right;
};
