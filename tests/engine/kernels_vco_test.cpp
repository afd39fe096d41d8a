// VCO module driven through a hand-built voice: pitch against the volt-per-octave law by
// measured period, waveform means, knob glides against immediate CV retuning, the hand-over
// of phase, reset and mode changes from other threads, rate changes, and a fuzz.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "engine/audio_thread.h"
#include "engine/kernels/vco.h"
#include "engine/patch_voice.h"
#include "engine/sample_rate.h"

namespace {

using qv::Vco;

// One VCO in a voice, as the build wires it: its control input reads a settable pitch CV,
// and VCO 2 also reads the "VCO2 PW" record, whose control input is a settable width CV.
// OUTPUT reads the VCO's output `outIndex`. The test thread plays the audio thread.
struct VcoRig {
    AudioThreadScope audioThread;
    PatchVoice voice;
    PatchModule* pitchCv = nullptr;
    PatchModule* widthCv = nullptr;
    PatchModule* vco = nullptr;
    int rate;

    VcoRig(int kind, int sampleRate, int outIndex = Vco::kOutSine) : rate(sampleRate) {
        voice.setSampleRate(sampleRate);
        voice.output = voice.newModule("OUTPUT", ModuleType::Output);
        pitchCv = voice.newModule("Envelope Gate", ModuleType::EnvelopeGate);
        const char* names[] = {"VCO 1", "VCO 2", "VCO 3"};
        vco = voice.newModule(names[kind - 1], ModuleType::Vco, kind);
        (kind == 1 ? voice.vco1 : kind == 2 ? voice.vco2 : voice.vco3) = vco;
        wire(pitchCv, 0, *vco, true);
        if (kind == 2) {
            widthCv = voice.newModule("Envelope Gate", ModuleType::EnvelopeGate);
            voice.vco2Pw = voice.newModuleOver("VCO2 PW", ModuleType::VcoPulseWidth, *vco);
            wire(widthCv, 0, *voice.vco2Pw, true);
            wire(voice.vco2Pw, 0, *vco, true);
        }
        wire(vco, outIndex, *voice.output, false);
        step();  // the new connections arrive
    }

    void wire(PatchModule* from, int index, PatchModule& to, bool control) {
        PatchInput* in = voice.newInput(1.0f, index);
        setNormalSource(*in, from, index);
        if (control) {
            appendControlInput(to, in);
        } else {
            appendAudioInput(to, in);
        }
    }

    Vco& dsp() { return *static_cast<Vco*>(vco->dsp); }
    void setPitch(float volts) { static_cast<FloatHolder*>(pitchCv->dsp)->value = volts; }
    void setWidth(float volts) { static_cast<FloatHolder*>(widthCv->dsp)->value = volts; }
    float read(int index) { return moduleKernel(ModuleType::Vco).output(vco->dsp, index); }

    // One sample; returns what OUTPUT read.
    float step() {
        prepareVoiceSample(voice);
        return processVoiceSample(voice);
    }
    std::vector<float> run(int n) {
        std::vector<float> out(static_cast<std::size_t>(n));
        for (float& v : out) v = step();
        return out;
    }
    // Knob glides take 4000 samples; this lets them arrive.
    void settle() { run(4100); }
};

// Frequency of a sine (-cos shaped) from its rising zero crossings, interpolated linearly,
// over the whole signal.
double measuredFrequency(const std::vector<float>& x, int rate) {
    double first = -1.0;
    double last = -1.0;
    int crossings = 0;
    for (std::size_t i = 1; i < x.size(); ++i) {
        if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
            const double t = static_cast<double>(i - 1) + x[i - 1] / (x[i - 1] - x[i]);
            if (crossings == 0) first = t;
            last = t;
            ++crossings;
        }
    }
    if (crossings < 2) return 0.0;
    return (crossings - 1) / (last - first) * rate;
}

double lawFrequency(int mode, double volts) {
    const double hz = (mode == Vco::kModeKeyboard ? 10.0 : 0.03) * std::pow(2.0, volts);
    return std::min(hz, 20000.0);
}

struct PitchCase {
    int kind, rate, mode;
    float cv, coarse, fine;
};

class VcoPitch : public ::testing::TestWithParam<PitchCase> {};

TEST_P(VcoPitch, PeriodOverOneSecondFollowsVoltPerOctave) {
    const PitchCase c = GetParam();
    VcoRig rig(c.kind, c.rate);
    rig.dsp().setMode(c.mode);
    rig.dsp().setCoarse(c.coarse);
    rig.dsp().setFine(c.fine);
    rig.setPitch(c.cv);
    rig.settle();
    const double expected = lawFrequency(c.mode, c.cv + c.coarse + c.fine);
    EXPECT_NEAR(measuredFrequency(rig.run(c.rate), c.rate) / expected, 1.0, 2e-4)
        << "mode " << c.mode << " cv " << c.cv << " coarse " << c.coarse << " fine " << c.fine;
}

INSTANTIATE_TEST_SUITE_P(
    KernelVco, VcoPitch,
    ::testing::Values(PitchCase{1, 44100, 1, 0.0f, 0.0f, 0.0f}, PitchCase{1, 44100, 1, 1.0f, 0.0f, 0.0f},
                      PitchCase{2, 48000, 1, -2.0f, 5.0f, 0.0f}, PitchCase{3, 44100, 1, 3.3f, 2.5f, -0.3f},
                      PitchCase{2, 96000, 1, 0.0f, 10.0f, 0.5f}, PitchCase{3, 44100, 1, 2.0f, 10.0f, 0.0f},
                      PitchCase{1, 48000, 1, 11.0f, 0.0f, 0.0f}, PitchCase{1, 44100, 2, 0.0f, 7.0f, 0.0f},
                      PitchCase{2, 44100, 2, -1.0f, 10.0f, 0.25f}, PitchCase{3, 96000, 2, 5.0f, 10.0f, 0.5f},
                      PitchCase{1, 44100, 2, 8.0f, 9.0f, -0.5f}));

// Averages over a whole number of cycles of the VCO's current frequency.
struct Means {
    double saw = 0.0, pulse = 0.0;
};
Means waveformMeans(VcoRig& rig) {
    const double period = rig.rate / static_cast<double>(rig.dsp().frequency);
    const int n = static_cast<int>(std::lround(std::floor(rig.rate / period) * period));
    Means m;
    for (int i = 0; i < n; ++i) {
        rig.step();
        m.saw += rig.read(Vco::kOutSaw);
        m.pulse += rig.read(Vco::kOutPulse);
    }
    m.saw /= n;
    m.pulse /= n;
    return m;
}

TEST(KernelVco, SawMeanIsFiveVoltsAndPulseMeanIsTenTimesWidth) {
    for (float hz : {100.0f, 440.0f, 1000.0f, 3000.0f, 10000.0f}) {
        for (float width : {0.25f, 0.5f, 0.75f}) {
            VcoRig rig(3, 44100);
            rig.setPitch(std::log2(hz / 10.0f));
            rig.dsp().setPulseWidth(width);
            rig.settle();
            const Means m = waveformMeans(rig);
            EXPECT_NEAR(m.saw, 5.0, 0.05) << hz << " Hz";
            EXPECT_NEAR(m.pulse, 10.0 * width, 0.01) << hz << " Hz, width " << width;
        }
    }
}

TEST(KernelVco, PulseWidthModulationIsLimitedAndVcoOneIgnoresIt) {
    struct Case {
        int kind;
        float knob, cv, expectedWidth;
    };
    const Case cases[] = {{3, 0.5f, 10.0f, 0.99f}, {3, 0.5f, -10.0f, 0.11f}, {3, 0.3f, 2.0f, 0.5f},
                          {2, 0.5f, 2.0f, 0.7f},   {2, 0.9f, -3.0f, 0.6f},   {1, 0.9f, 5.0f, 0.5f},
                          {1, 0.2f, 0.0f, 0.5f}};
    for (const Case& c : cases) {
        VcoRig rig(c.kind, 44100);
        rig.setPitch(std::log2(100.0f / 10.0f));
        rig.dsp().setPulseWidth(c.knob);
        if (c.kind == 2) {
            rig.setWidth(c.cv);  // through the "VCO2 PW" record
        } else {
            rig.dsp().setWidthCv(c.cv);
        }
        rig.settle();
        EXPECT_NEAR(waveformMeans(rig).pulse, 10.0 * c.expectedWidth, 0.01) << "VCO " << c.kind;
        // The width record's zero output does not move the pitch.
        EXPECT_FLOAT_EQ(rig.dsp().frequency, 100.0f);
    }
}

TEST(KernelVco, OutputsByIndexAndTriangleOnVcoTwoOnly) {
    for (int kind : {1, 2, 3}) {
        VcoRig rig(kind, 44100);
        rig.setPitch(std::log2(50.0f / 10.0f));
        rig.settle();
        double triangleSum = 0.0;
        float triangleMax = 0.0f, sineMax = 0.0f;
        for (int i = 0; i < 44100; ++i) {
            rig.step();
            triangleSum += rig.read(Vco::kOutTriangle);
            triangleMax = std::max(triangleMax, std::fabs(rig.read(Vco::kOutTriangle)));
            sineMax = std::max(sineMax, std::fabs(rig.read(Vco::kOutSine)));
            EXPECT_EQ(rig.read(Vco::kOutPulse2), rig.read(Vco::kOutPulse));
            for (int other : {0, 3, 7, -1}) EXPECT_EQ(rig.read(other), 0.0f);
        }
        EXPECT_NEAR(sineMax, 5.0f, 0.01f);
        EXPECT_NEAR(triangleMax, kind == 2 ? 5.0f : 0.0f, 0.05f) << "VCO " << kind;
        EXPECT_NEAR(triangleSum / 44100.0, 0.0, 0.01);
    }
}

TEST(KernelVco, ReadingAnOutputTwiceAdvancesItsOscillatorOnce) {
    VcoRig once(1, 44100, Vco::kOutSaw);
    VcoRig twice(1, 44100, Vco::kOutSaw);
    for (VcoRig* rig : {&once, &twice}) rig->setPitch(std::log2(1234.0f / 10.0f));
    for (int i = 0; i < 2000; ++i) {
        const float a = once.step();
        const float b = twice.step();
        ASSERT_EQ(twice.read(Vco::kOutSaw), b);
        ASSERT_EQ(a, b) << "sample " << i;
    }
}

TEST(KernelVco, KnobsGlideOver4000SamplesWhileCvRetunesAtOnce) {
    VcoRig rig(2, 44100);
    Vco& vco = rig.dsp();
    EXPECT_FLOAT_EQ(vco.frequency, 10.0f);
    vco.setCoarse(Vco::coarseFromParameter(0.5f));  // 5 V
    std::vector<float> hz(4003);  // hz[k]: frequency after k samples
    hz[0] = vco.frequency;
    for (int k = 1; k <= 4002; ++k) {
        rig.step();
        hz[k] = vco.frequency;
    }
    EXPECT_LT(hz[1], 10.0f * std::exp2(5.0f / 1000.0f));
    EXPECT_NEAR(hz[2000], 10.0f * std::exp2(2.5f), 0.5f);
    EXPECT_LT(hz[3990], 320.0f * 0.999f);
    EXPECT_FLOAT_EQ(hz[4002], 320.0f);

    vco.setFine(Vco::fineFromParameter(1.0f));  // +0.5 V, gliding
    vco.setPulseWidth(0.9f);                    // from 0.5, gliding
    rig.run(2000);
    EXPECT_NEAR(vco.frequency, 320.0f * std::exp2(0.25f), 0.5f);
    EXPECT_NEAR(vco.pulse.width, 0.7f, 0.001f);

    rig.setPitch(1.0f);  // a CV step retunes in the same sample
    rig.step();
    EXPECT_NEAR(vco.frequency, 10.0f * std::exp2(1.0f + vco.appliedCoarseFine), 1e-3f);
    rig.run(2100);
    EXPECT_FLOAT_EQ(vco.frequency, 10.0f * std::exp2(6.5f));
    EXPECT_FLOAT_EQ(vco.pulse.width, 0.9f);
}

// Phase sets, resets, mode changes and knob moves from a thread that is not the audio
// thread leave the oscillator alone until the voice's next sample takes them up.
TEST(KernelVco, ChangesFromOtherThreadsArriveAtTheNextSample) {
    VcoRig rig(2, 44100);
    Vco& vco = rig.dsp();
    rig.setPitch(std::log2(441.0f / 10.0f));  // increment 0.01
    rig.run(10);
    const float phaseBefore = vco.phasor.phase;

    std::thread([&] { EXPECT_TRUE(vco.setPhase(0.25f)); }).join();
    EXPECT_EQ(vco.phasor.phase, phaseBefore);
    rig.step();  // taken up after this sample's tick
    rig.step();
    EXPECT_NEAR(vco.phasor.phase, 0.25f, 1e-6f);

    std::thread([&] { EXPECT_TRUE(vco.reset()); }).join();
    rig.step();
    rig.step();
    EXPECT_EQ(vco.phasor.wrapped, 1);  // the reset sample starts a fresh cycle
    EXPECT_NEAR(vco.phasor.phase, 0.0f, 1e-6f);

    // A mode change alone waits for the next pitch computation; setting the knobs again,
    // as the keyboard switch does, applies the new base under a steady voltage.
    std::thread([&] { EXPECT_TRUE(vco.setMode(Vco::kModeKeyboardOff)); }).join();
    rig.run(10);
    EXPECT_FLOAT_EQ(vco.frequency, 441.0f);
    std::thread([&] {
        vco.setCoarse(0.0f);
        vco.setFine(0.0f);
    }).join();
    EXPECT_FLOAT_EQ(vco.frequency, 441.0f);
    rig.step();
    EXPECT_NEAR(vco.frequency, 441.0f * 0.003f, 1e-4f);
}

TEST(KernelVco, UsesTheRateItIsGivenAndKeepsPitchAcrossRateChanges) {
    PatchVoice voice(44100);
    const ModuleKernel& kernel = moduleKernel(ModuleType::Vco);
    void* dsp = kernel.create(voice, 96000, 1);
    auto& vco = *static_cast<Vco*>(dsp);
    EXPECT_FLOAT_EQ(vco.phasor.increment, 10.0f / 96000.0f);
    kernel.setSampleRate(dsp, 48000);
    EXPECT_FLOAT_EQ(vco.phasor.increment, 10.0f / 48000.0f);
    kernel.destroy(dsp);

    VcoRig rig(3, 44100);
    rig.setPitch(std::log2(1000.0f / 10.0f));
    rig.step();
    moduleKernel(ModuleType::Vco).setSampleRate(rig.vco->dsp, 22050);
    EXPECT_NEAR(measuredFrequency(rig.run(22050), 22050) / 1000.0, 1.0, 5e-4);
}

TEST(KernelVco, FrequencyHasAFloor) {
    VcoRig rig(2, 44100);
    Vco& vco = rig.dsp();
    vco.setMode(Vco::kModeKeyboardOff);
    rig.setPitch(-300.0f);  // 2^-300 underflows
    rig.step();
    EXPECT_EQ(vco.frequency, Vco::kMinFrequency);
    EXPECT_GT(vco.phasor.increment, 0.0f);
    EXPECT_TRUE(std::isfinite(vco.phasor.inverseIncrement));
    vco.setPhase(0.5f);
    vco.reset();
    for (int i = 0; i < 100; ++i) {
        rig.step();
        for (int index : {1, 2, 4, 5}) ASSERT_TRUE(std::isfinite(rig.read(index)));
    }
}

TEST(KernelVco, FuzzOfFrequencyWidthResetsAndPhaseSetsStaysFiniteAndBounded) {
    std::mt19937 rng(3970);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const float oddValues[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                               -std::numeric_limits<float>::infinity(), 1e-40f, -1e30f, 1e30f};
    auto anyValue = [&](float lo, float hi) {
        return unit(rng) < 0.05f ? oddValues[rng() % 6] : lo + (hi - lo) * unit(rng);
    };
    for (int kind : {1, 2, 3}) {
        VcoRig rig(kind, 44100);
        Vco& vco = rig.dsp();
        for (int block = 0; block < 400; ++block) {
            switch (rng() % 9) {
            case 0: rig.setPitch(anyValue(-40.0f, 40.0f)); break;
            case 1: vco.setCoarse(Vco::coarseFromParameter(anyValue(0.0f, 1.0f))); break;
            case 2: vco.setFine(Vco::fineFromParameter(anyValue(0.0f, 1.0f))); break;
            case 3: vco.setPulseWidth(anyValue(-1.0f, 2.0f)); break;
            case 4: kind == 2 ? rig.setWidth(anyValue(-20.0f, 20.0f)) : vco.setWidthCv(anyValue(-20.0f, 20.0f)); break;
            case 5: vco.reset(); break;
            case 6: vco.setPhase(anyValue(-2.0f, 2.0f)); break;
            case 7: vco.setMode(1 + static_cast<int>(rng() % 2)); break;
            default: vco.setSampleRate(8000 + static_cast<int>(rng() % 185000)); break;
            }
            const int samples = 1 + static_cast<int>(rng() % 200);
            for (int i = 0; i < samples; ++i) {
                rig.step();
                for (int index : {1, 2, 4, 5, 6}) {
                    if (rng() % 4 == 0) continue;  // outputs left unread keep their steps pending
                    const float v = rig.read(index);
                    ASSERT_TRUE(std::isfinite(v)) << "VCO " << kind << " block " << block;
                    ASSERT_LE(std::fabs(v), 40.0f) << "VCO " << kind << " output " << index;
                }
            }
            ASSERT_GE(vco.frequency, Vco::kMinFrequency);
            ASSERT_LE(vco.frequency, Vco::kMaxFrequency);
        }
    }
}

} // namespace
