// Cost of each module kernel per sample, driven through its module-table row as the voice
// drives it: tick, set-control when the control sum moves, process or output. Reports time
// per block of 512 samples; divide by 512 for the time per sample.
#include <benchmark/benchmark.h>

#include <cmath>

#include "engine/audio_thread.h"
#include "engine/kernels/reverb_module.h"
#include "engine/kernels/shared_sources.h"
#include "engine/kernels/vcf_module.h"
#include "engine/patch_voice.h"
#include "engine/sample_rate.h"

namespace {

constexpr int kBlock = 512;

// A test signal: a 110 Hz-ish sawtooth between -5 and 5 V.
float signalAt(int i) { return static_cast<float>((i * 4) % 401) * 0.025f - 5.0f; }

// Drives one record of the type for a block. controlMoves: the control sum changes every
// sample (audio-rate modulation), else it is set once.
void runRow(benchmark::State& state, ModuleType type, bool controlMoves) {
    AudioThreadScope audio;
    PatchVoice voice(44100);
    voice.rampRate.store(normalRampRate(44100));
    PatchModule* m = voice.newModule("bench", type);
    const ModuleKernel& k = moduleKernel(type);
    if (type == ModuleType::Vcf) {
        auto* vcf = static_cast<qv::VcfModule*>(m->dsp);
        vcf->setCoarse(6.0f);
        vcf->setResonance(0.5f);
    } else if (type == ModuleType::Noise) {
        auto* noise = static_cast<qv::NoiseModule*>(m->dsp);
        noise->setLevel(1.0f);
        noise->setColour(0.5f);
    } else if (type == ModuleType::KeyboardLfo) {
        static_cast<qv::LfoModule*>(m->dsp)->setGate(true);
    }
    for (int i = 0; i < 5000; ++i) voice.advanceRamps();  // knob gains arrive
    if (k.setControl) k.setControl(m->dsp, 10.0f);
    float out[kBlock];
    int n = 0;
    for (auto _ : state) {
        for (int i = 0; i < kBlock; ++i, ++n) {
            if (k.tick) k.tick(m->dsp);
            if (k.setControl && controlMoves) k.setControl(m->dsp, signalAt(n) * 0.5f + 2.5f);
            float y = 0.0f;
            if (k.output) y = k.output(m->dsp, 1);
            if (k.process) y = k.process(m->dsp, signalAt(n) + y);
            if (type == ModuleType::Reverb) {
                auto* reverb = static_cast<qv::ReverbModule*>(m->dsp);
                k.accumulate(m->dsp, signalAt(n));
                reverb->run();
                y += reverb->lastRight;
            }
            out[i] = y;
        }
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}

#define KERNEL_BENCH(name, type, moves) \
    void name(benchmark::State& state) { runRow(state, type, moves); } \
    BENCHMARK(name)

KERNEL_BENCH(Vcf, ModuleType::Vcf, false);
KERNEL_BENCH(VcfCutoffModulated, ModuleType::Vcf, true);
KERNEL_BENCH(Adsr, ModuleType::Adsr, false);
KERNEL_BENCH(Ar, ModuleType::Ar, false);
KERNEL_BENCH(Vca, ModuleType::Vca, false);
KERNEL_BENCH(VcaLinearModulated, ModuleType::Vca, true);
KERNEL_BENCH(RingModulator, ModuleType::RingModulator, false);
KERNEL_BENCH(EnvelopeFollower, ModuleType::EnvelopeFollower, false);
KERNEL_BENCH(ElectronicSwitchA, ModuleType::SwitchA, false);
KERNEL_BENCH(Noise, ModuleType::Noise, false);
KERNEL_BENCH(SampleAndHoldClocked, ModuleType::SampleAndHold, true);
KERNEL_BENCH(InternalClock, ModuleType::Clock, false);
KERNEL_BENCH(KeyboardCv, ModuleType::KeyboardCv, true);
KERNEL_BENCH(KeyboardGate, ModuleType::KeyboardGate, true);
KERNEL_BENCH(KeyboardTrigger, ModuleType::KeyboardTrigger, false);
KERNEL_BENCH(Lag, ModuleType::Lag, false);
KERNEL_BENCH(KeyboardLfo, ModuleType::KeyboardLfo, false);
KERNEL_BENCH(Inverter, ModuleType::Inverter, false);
KERNEL_BENCH(Reverb, ModuleType::Reverb, false);

}  // namespace

BENCHMARK_MAIN();
