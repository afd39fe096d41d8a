// Real-time factor of the whole plug-in: 10 s at 44.1 kHz rendered in blocks of 512 through
// processReplacing. "one voice": context 0 sounding; "nine voices": every context sounding
// with all three oscillators into the filter, the amplifier on the envelope and the reverb
// on. The realtime_x counter is seconds of audio per second of rendering.
#include <benchmark/benchmark.h>

#include <utility>
#include <vector>

#include "engine/kernels/kernel_object.h"
#include "engine/kernels/keyboard_modules.h"
#include "plugin/entry_point.h"

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 512;
constexpr int kSeconds = 10;

intptr_t VSTCALLBACK benchHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

// An instance playing one key on contexts 0..extraVoices, closed when it goes.
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
    Quorvane_VST& plugin = *static_cast<Quorvane_VST*>(effect_->object);
    for (const auto& [index, plain] : patch) plugin.setParameterReal(index, plain);
    for (int k = 0; k <= extraVoices; ++k) {
      PatchVoice& voice = plugin.engine().voice(k);
      qv::kernelObject<qv::KeyboardCv>(voice.keyboardLowerCv)->setNote(plugin.noteTable().keyCv(57 + 3 * k));
      qv::kernelObject<qv::KeyboardGate>(voice.keyboardGate)->setGate(true);
    }
    render(kRate);  // ramps and envelopes settle
  }
  ~SoundingInstance() { effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0); }

  float render(int frames) {
    float* outputs[] = {left_.data(), right_.data()};
    float sum = 0.0f;
    for (int done = 0; done < frames; done += kBlock) {
      effect_->processReplacing(effect_, nullptr, outputs, kBlock);
      sum += left_[0];
    }
    return sum;
  }

 private:
  AEffect* effect_ = nullptr;
  std::vector<float> left_ = std::vector<float>(kBlock);
  std::vector<float> right_ = std::vector<float>(kBlock);
};

void renderTenSeconds(benchmark::State& state, int extraVoices) {
  SoundingInstance instance(extraVoices);
  for (auto _ : state) benchmark::DoNotOptimize(instance.render(kSeconds * kRate));
  state.counters["realtime_x"] =
      benchmark::Counter(static_cast<double>(kSeconds) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}

void BM_OneVoice(benchmark::State& state) { renderTenSeconds(state, 0); }
void BM_NineVoices(benchmark::State& state) { renderTenSeconds(state, 8); }

BENCHMARK(BM_OneVoice)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_NineVoices)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
