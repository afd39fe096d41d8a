// Voices evaluated together must give what each gives evaluated whole in turn: two groups of
// nine voice contexts built alike (each group with its shared modules and one random
// generator for its noise and filter dither), one run by VoiceLanes, the other voice after
// voice, played alike (notes per voice, knob gains ramping in every voice, cords plugged
// and pulled in every voice or in one only, the noise and the left bus patched), must give
// the same output bits, the same memo in every module, the same shared sums and the same
// generator state, sample after sample.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/audio_thread.h"
#include "engine/kernels/engine_random.h"
#include "engine/kernels/kernel_object.h"
#include "engine/kernels/keyboard_modules.h"
#include "engine/kernels/reverb_module.h"
#include "engine/kernels/shared_sources.h"
#include "engine/kernels/vcf_module.h"
#include "engine/patch_voice.h"
#include "engine/voice_lanes.h"
#include "engine/voice_tables.h"
#include "tests/engine/test_draw.h"

namespace {

constexpr int kVoices = kMaxLaneVoices;

std::uint32_t bits(float v) { return std::bit_cast<std::uint32_t>(v); }

struct VoiceGroup {
  static constexpr int kGainRows = 128;
  qv::EngineRandom random;
  SharedModules shared;
  float gainColumns[kGainRows * kVoices + 4] = {};
  float memoColumns[kMaxVoiceModules * kVoices + 4] = {};
  float lastControlColumns[kMaxVoiceModules * kVoices + 4] = {};
  PatchVoice voices[kVoices];

  // sideBySide: the voices' gains, memos and last control sums in columns of blocks, as the
  // engine keeps them (read and written four at a time together); else each voice keeps its own.
  explicit VoiceGroup(bool sideBySide) {
    for (int v = 0; v < kVoices; ++v) {
      if (sideBySide) {
        voices[v].useGainColumn(gainColumns + v, kVoices, kGainRows);
        voices[v].useMemoColumns(memoColumns + v, lastControlColumns + v, kVoices);
      }
      EXPECT_TRUE(voices[v].build(44100.0f, shared));
    }
    auto* noise = qv::kernelObject<qv::NoiseModule>(shared.noise);
    noise->useRandom(random);
    noise->setLevel(1.0f);  // what it draws is heard wherever it is patched
    for (PatchVoice& voice : voices) qv::kernelObject<qv::VcfModule>(voice.vcf1)->useRandom(random);
    for (PatchVoice& voice : voices) {
      // Open the gates the build leaves closed, so every source reaches the output.
      for (int row = 1; row <= kNormalledRowCount; ++row) voice.rampTo(voice.normalRows[row], 0.5f);
    }
  }

  // What the block process does to the shared modules before the voices of a sample.
  void stepShared() {
    for (PatchModule* m : {shared.clock, shared.keyboardLfo, shared.noise}) {
      if (ModuleTickFn tick = moduleKernel(m->type).tick) tick(m->dsp);
    }
    static_cast<FloatHolder*>(shared.leftInput->dsp)->value = 0.0f;
    static_cast<FloatHolder*>(shared.rightInput->dsp)->value = 0.0f;
    auto* reverb = qv::kernelObject<qv::ReverbModule>(shared.reverb);
    reverb->send = 0.0f;
    reverb->read = false;
  }

  // One pseudo-random change between samples; both groups draw the same ones.
  void stir(Draw& d) {
    switch (d.below(12)) {
      case 0:
      case 1:
      case 2: {  // a knob: the same gain ramp in every voice
        const int row = 1 + d.below(kNormalledRowCount);
        const float target = d.below(4) == 0 ? 0.0f : d.unit() * 1.2f;
        for (PatchVoice& voice : voices) voice.rampTo(voice.normalRows[row], target);
        break;
      }
      case 3:
      case 4: {  // a cord in every voice, or first in one voice only (their orders then differ)
        const std::uint32_t own = kOutputJacks[d.below(kOutputJackCount)].code;
        const PatchInput* row = voices[0].normalRows[1 + d.below(kNormalledRowCount)];
        const std::uint32_t a = d.below(2) == 0 ? row->code : own;
        const std::uint32_t b = d.below(4) == 0 ? 0u : own;
        followLateCord();  // so every voice ends with the same cords
        if (d.below(3) == 0) {
          lateCord_ = {d.below(kVoices), a, b};
          voices[lateCord_.voice].connectJacks(a, b);
        } else {
          for (PatchVoice& voice : voices) voice.connectJacks(a, b);
        }
        break;
      }
      case 6:
        followLateCord();
        break;
      case 5: {  // a note in one voice
        PatchVoice& voice = voices[d.below(kVoices)];
        qv::kernelObject<qv::KeyboardCv>(voice.keyboardLowerCv)->setNote(static_cast<float>(d.below(60)) / 12.0f - 2.0f);
        qv::kernelObject<qv::KeyboardGate>(voice.keyboardGate)->setGate(d.below(3) != 0);
        break;
      }
      default: break;
    }
  }

 private:
  // The other voices follow the one that got a cord first.
  void followLateCord() {
    for (int v = 0; v < kVoices && lateCord_.voice >= 0; ++v) {
      if (v != lateCord_.voice) voices[v].connectJacks(lateCord_.own, lateCord_.peer);
    }
    lateCord_.voice = -1;
  }

  struct LateCord {
    int voice = -1;
    std::uint32_t own = 0;
    std::uint32_t peer = 0;
  };
  LateCord lateCord_;
};

void expectSame(VoiceGroup& a, VoiceGroup& b, int sample) {
  for (int v = 0; v < kVoices; ++v) {
    for (int i = 0; i < a.voices[v].moduleCount; ++i) {
      ASSERT_EQ(bits(a.voices[v].cache[i]), bits(b.voices[v].cache[i]))
          << "voice " << v << " module " << a.voices[v].modules[i]->name << " sample " << sample;
    }
  }
  ASSERT_EQ(a.random.seed, b.random.seed) << "sample " << sample;
  ASSERT_EQ(bits(qv::kernelObject<qv::ReverbModule>(a.shared.reverb)->send),
            bits(qv::kernelObject<qv::ReverbModule>(b.shared.reverb)->send)) << "sample " << sample;
  ASSERT_EQ(bits(static_cast<FloatHolder*>(a.shared.leftInput->dsp)->value),
            bits(static_cast<FloatHolder*>(b.shared.leftInput->dsp)->value)) << "sample " << sample;
}

// Plays both groups for `samples` with the given voice counts; returns the samples whose
// voices ran together.
int playAlike(std::uint32_t seed, int samples, const std::vector<int>& counts,
              void (*patch)(VoiceGroup&) = nullptr) {
  auto laneGroup = std::make_unique<VoiceGroup>(true);  // voices are large: on the heap
  auto turnGroup = std::make_unique<VoiceGroup>(false);
  auto lanes = std::make_unique<VoiceLanes>();
  VoiceGroup& a = *laneGroup;
  VoiceGroup& b = *turnGroup;
  if (patch != nullptr) {
    patch(a);
    patch(b);
  }
  Draw events{seed};
  Draw mirror{seed};
  int together = 0;
  for (int n = 0; n < samples; ++n) {
    const int count = counts[static_cast<std::size_t>(n / 500) % counts.size()];
    if (n % 7 == 0) {
      a.stir(events);
      b.stir(mirror);
    }
    a.stepShared();
    b.stepShared();
    const float x = lanes->process(a.voices, count);
    together += lanes->ranTogether() ? 1 : 0;
    float y = 0.0f;
    for (int v = 0; v < count; ++v) {
      prepareVoiceSample(b.voices[v]);
      const float out = processVoiceSample(b.voices[v]);
      y = v == 0 ? out : y + out;
    }
    EXPECT_EQ(bits(x), bits(y)) << "seed " << seed << " sample " << n << " voices " << count;
    expectSame(a, b, n);
    if (n % 50 == 0) {
      // A pull after the sample finds every module it evaluated as evaluated, together too:
      // nothing is evaluated (or draws) a second time.
      for (int v = 0; v < count; ++v) {
        PatchInput* outA = firstAudioInput(a.voices[v].output);
        PatchInput* outB = firstAudioInput(b.voices[v].output);
        if (outA == nullptr || outB == nullptr) continue;
        EXPECT_EQ(bits(a.voices[v].evaluateInput(outA)), bits(b.voices[v].evaluateInput(outB)))
            << "seed " << seed << " sample " << n << " voice " << v;
      }
      expectSame(a, b, n);
    }
    if (::testing::Test::HasFailure()) return together;
  }
  return together;
}

TEST(VoiceLanes, VoicesTogetherGiveTheBitsOfVoicesInTurn) {
  AudioThreadScope audioThread;
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    const int together = playAlike(seed, 4000, {9, 2, 5, 1, 8});
    // Most samples run together: a cord that reaches one voice first reaches the others soon.
    EXPECT_GT(together, 1000) << "seed " << seed;
  }
}

// The noise read only after the filters: its rows into the filter, the sample and hold and
// the two oscillators closed, and the noise into the left bus, which the voice pulls after
// its output. Evaluated in turn, the first voice's filter draws, then the noise, then the
// other filters; together the voices must draw in that order too.
TEST(VoiceLanes, NoiseReadAfterTheFiltersKeepsTheDrawOrder) {
  AudioThreadScope audioThread;
  const int together = playAlike(7u, 3000, {9, 4}, [](VoiceGroup& g) {
    for (PatchVoice& voice : g.voices) {
      for (int row : {4, 6, 45, 51}) voice.rampTo(voice.normalRows[row], 0.0f);
      voice.connectJacks(jackCode("pl71"), jackCode("pl35"));
    }
  });
  EXPECT_GT(together, 1000);
}

}  // namespace
