// The flattened evaluation order on the built voice with its real kernels: two voices built
// alike (each with its own shared modules), one run by processVoiceSample, the other by
// processVoiceSampleByPull, played alike (notes, gates, every knob gain ramping, cords
// plugged and pulled at random samples) must give the same output bits and the same value
// in every module's memo, sample after sample, also when a connection is pulled again after
// the sample's evaluation.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/audio_thread.h"
#include "engine/kernels/kernel_object.h"
#include "engine/kernels/keyboard_modules.h"
#include "engine/patch_voice.h"
#include "engine/voice_tables.h"
#include "tests/engine/test_draw.h"

namespace {

struct BuiltVoice {
  SharedModules shared;
  PatchVoice voice;
  std::vector<PatchInput*> inputs;  // every connection, the kernels' knob gains included

  BuiltVoice() {
    EXPECT_TRUE(voice.build(44100.0f, shared));
    for (PatchInput* in = voice.inputList; in != nullptr; in = in->nextInput) inputs.push_back(in);
  }

  // The shared modules step once per sample, as the block process steps them.
  void tickShared() {
    for (PatchModule* m : {shared.noise, shared.clock, shared.keyboardLfo, shared.audioIn1, shared.audioIn2}) {
      if (m == nullptr) continue;
      if (ModuleTickFn tick = moduleKernel(m->type).tick) tick(m->dsp);
    }
  }

  // One pseudo-random change between samples; both voices draw the same ones.
  void stir(Draw& d) {
    switch (d.below(10)) {
      case 0:
      case 1:
      case 2: {
        PatchInput* in = inputs[static_cast<std::size_t>(d.below(static_cast<int>(inputs.size())))];
        const int kind = d.below(4);
        voice.rampTo(in, kind == 0 ? 0.0f : kind == 1 ? -in->gain : d.unit() * 1.2f);
        break;
      }
      case 3: {
        const std::uint32_t own = kOutputJacks[d.below(kOutputJackCount)].code;
        const PatchInput* row = voice.normalRows[1 + d.below(kNormalledRowCount)];
        voice.connectJacks(d.below(2) == 0 ? row->code : own, d.below(4) == 0 ? 0u : own);
        break;
      }
      case 4: {
        auto* cv = qv::kernelObject<qv::KeyboardCv>(voice.keyboardLowerCv);
        auto* gate = qv::kernelObject<qv::KeyboardGate>(voice.keyboardGate);
        cv->setNote(static_cast<float>(d.below(60)) / 12.0f - 2.0f);
        gate->setGate(d.below(3) != 0);
        break;
      }
      default: break;
    }
  }
};

TEST(VoiceSchedule, BuiltVoiceGivesTheSameBitsAsThePull) {
  AudioThreadScope audioThread;
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    auto flatVoice = std::make_unique<BuiltVoice>();  // voices are large: on the heap
    auto pulledVoice = std::make_unique<BuiltVoice>();
    BuiltVoice& flat = *flatVoice;
    BuiltVoice& pulled = *pulledVoice;
    Draw events{seed};
    Draw mirror{seed};
    // Open the gates that the build leaves closed, so the oscillators reach the output.
    for (BuiltVoice* v : {&flat, &pulled}) {
      for (int row = 1; row <= kNormalledRowCount; ++row) v->voice.rampTo(v->voice.normalRows[row], 0.5f);
    }
    for (int n = 0; n < 6000; ++n) {
      if (n % 5 == 0) {
        flat.stir(events);
        pulled.stir(mirror);
      }
      flat.tickShared();
      pulled.tickShared();
      prepareVoiceSample(flat.voice);
      prepareVoiceSample(pulled.voice);
      const float a = processVoiceSample(flat.voice);
      const float b = processVoiceSampleByPull(pulled.voice);
      ASSERT_EQ(std::bit_cast<std::uint32_t>(a), std::bit_cast<std::uint32_t>(b)) << "seed " << seed << " sample " << n;
      if (n % 7 == 3) {
        // A pull later in the same sample reads what the evaluation left: nothing it already
        // evaluated is processed again.
        const std::size_t k = static_cast<std::size_t>(events.below(static_cast<int>(flat.inputs.size())));
        mirror.below(static_cast<int>(pulled.inputs.size()));
        const float again = flat.voice.evaluateInput(flat.inputs[k]);
        ASSERT_EQ(std::bit_cast<std::uint32_t>(again), std::bit_cast<std::uint32_t>(pulled.voice.evaluateInput(pulled.inputs[k])))
            << "seed " << seed << " sample " << n << " connection " << k;
      }
      for (int i = 0; i < flat.voice.moduleCount; ++i) {
        ASSERT_EQ(std::bit_cast<std::uint32_t>(flat.voice.cache[i]), std::bit_cast<std::uint32_t>(pulled.voice.cache[i]))
            << "module " << flat.voice.modules[i]->name << " sample " << n;
      }
    }
  }
}

}  // namespace
