// Real-time factor of the whole plug-in: 10 s at 44.1 kHz rendered in blocks of 512 through
// processReplacing. "one voice": context 0 sounding; "nine voices": every context sounding
// with all three oscillators into the filter, the amplifier on the envelope and the reverb
// on. The realtime_x counter is seconds of audio per second of rendering.
#include <benchmark/benchmark.h>

#include "tests/bench/sounding_instance.h"

namespace {

using qvbench::kRate;
using qvbench::SoundingInstance;

constexpr int kSeconds = 10;

void renderTenSeconds(benchmark::State& state, int extraVoices) {
  SoundingInstance instance(extraVoices);
  instance.render(kRate);  // ramps and envelopes settle
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
