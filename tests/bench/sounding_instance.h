// A plug-in instance playing one key on voice contexts 0..extraVoices: all three
// oscillators into the filter, the amplifier on the AR envelope, the reverb on. Shared by
// the real-time benchmark and the render dump that compares outputs of two builds. Runs
// everything on the calling thread.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "engine/kernels/kernel_object.h"
#include "engine/kernels/keyboard_modules.h"
#include "params/param_table.h"
#include "plugin/entry_point.h"

namespace qvbench {

inline constexpr int kRate = 44100;
inline constexpr int kBlock = 512;

inline intptr_t VSTCALLBACK benchHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

class SoundingInstance {
 public:
  explicit SoundingInstance(int extraVoices) {
    effect_ = createQuorvaneEffect(benchHost, kInstrumentIdentity);
    effect_->dispatcher(effect_, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    effect_->dispatcher(effect_, effMainsChanged, 0, 1, nullptr, 0);
    const std::pair<int, float> patch[] = {
        {81, static_cast<float>(extraVoices)},
        {5, 0.1f},  {10, 0.2f}, {17, 0.15f},           // three pitches
        {27, 0.4f}, {28, 0.3f}, {29, 0.3f},            // all three into the filter
        {23, 0.6f}, {25, 0.6f},                        // filter with resonance
        {41, 1.0f}, {38, 1.0f}, {43, 1.0f}, {47, 1.0f},  // amplifier on the AR, into the mixer
        {48, 0.5f}, {49, 0.5f},                        // reverb on
    };
    for (const auto& [index, plain] : patch) plugin().setParameterReal(index, plain);
    for (int k = 0; k <= extraVoices; ++k) {
      PatchVoice& voice = plugin().engine().voice(k);
      qv::kernelObject<qv::KeyboardCv>(voice.keyboardLowerCv)->setNote(plugin().noteTable().keyCv(57 + 3 * k));
      qv::kernelObject<qv::KeyboardGate>(voice.keyboardGate)->setGate(true);
    }
  }
  ~SoundingInstance() { effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0); }
  SoundingInstance(const SoundingInstance&) = delete;
  SoundingInstance& operator=(const SoundingInstance&) = delete;

  Quorvane_VST& plugin() { return *static_cast<Quorvane_VST*>(effect_->object); }
  AEffect& effect() { return *effect_; }

  // Renders one block; the outputs stay in left() and right() until the next.
  void renderBlock() {
    float* outputs[] = {left_.data(), right_.data()};
    effect_->processReplacing(effect_, nullptr, outputs, kBlock);
  }
  const std::vector<float>& left() const { return left_; }
  const std::vector<float>& right() const { return right_; }

  // Renders whole blocks covering `frames`; returns the sum of each block's first sample.
  float render(int frames) {
    float sum = 0.0f;
    for (int done = 0; done < frames; done += kBlock) {
      renderBlock();
      sum += left_[0];
    }
    return sum;
  }

 private:
  AEffect* effect_ = nullptr;
  std::vector<float> left_ = std::vector<float>(kBlock);
  std::vector<float> right_ = std::vector<float>(kBlock);
};

}  // namespace qvbench
