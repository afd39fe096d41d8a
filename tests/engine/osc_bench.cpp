// Cost of the band-limited oscillators per block, as the VCO drives them: advance the
// phasor, tick the oscillator.
#include <benchmark/benchmark.h>

#include "engine/minblep_osc.h"
#include "engine/minblep_table.h"

namespace {

template <typename Osc>
void runBlock(benchmark::State& state) {
  MinBlepTable* table = acquireMinBlepTable();
  Phasor p;
  p.init(44100.0f);
  Osc osc(&p, table);
  p.setFrequency(static_cast<float>(state.range(0)));
  constexpr int kBlock = 512;
  float out[kBlock];
  for (auto _ : state) {
    for (int i = 0; i < kBlock; ++i) {
      p.advance();
      out[i] = osc.tick();
    }
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kBlock);
  releaseMinBlepTable();
}

void MinBlepSawBlock(benchmark::State& state) { runBlock<MinBlepSaw>(state); }
void MinBlepPulseBlock(benchmark::State& state) { runBlock<MinBlepPulse>(state); }

}  // namespace

BENCHMARK(MinBlepSawBlock)->Arg(110)->Arg(1760)->Arg(14080);
BENCHMARK(MinBlepPulseBlock)->Arg(110)->Arg(14080);
BENCHMARK_MAIN();
