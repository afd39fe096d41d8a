// Cost of one VCO per sample as the voice drives it: the tick, then the outputs a patch
// reads. Reported per sample (items = samples).
#include <benchmark/benchmark.h>

#include <cmath>

#include "engine/kernels/vco.h"
#include "engine/patch_voice.h"

namespace {

// state.range(0): frequency in Hz; outputs: the output indexes read each sample.
template <int... Outputs>
void runVco(benchmark::State& state, int kind) {
    PatchVoice voice;
    qv::Vco vco(kind, 0.0f, qv::Vco::kModeKeyboard, 44100, voice);
    vco.setPitchCv(std::log2(static_cast<float>(state.range(0)) / qv::Vco::kKeyboardBase));
    constexpr int kBlock = 512;
    float out[kBlock];
    for (auto _ : state) {
        for (int i = 0; i < kBlock; ++i) {
            vco.tick();
            out[i] = (vco.output(Outputs) + ...);
        }
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}

void VcoSaw(benchmark::State& state) { runVco<qv::Vco::kOutSaw>(state, 1); }
void VcoPulse(benchmark::State& state) { runVco<qv::Vco::kOutPulse>(state, 3); }
void VcoSine(benchmark::State& state) { runVco<qv::Vco::kOutSine>(state, 1); }
void VcoTwoAllOutputs(benchmark::State& state) {
    runVco<qv::Vco::kOutSine, qv::Vco::kOutSaw, qv::Vco::kOutPulse, qv::Vco::kOutTriangle, qv::Vco::kOutPulse2>(
        state, 2);
}

}  // namespace

BENCHMARK(VcoSaw)->Arg(110)->Arg(1760)->Arg(14080);
BENCHMARK(VcoPulse)->Arg(110)->Arg(14080);
BENCHMARK(VcoSine)->Arg(440);
BENCHMARK(VcoTwoAllOutputs)->Arg(110)->Arg(1760)->Arg(5000);
BENCHMARK_MAIN();
