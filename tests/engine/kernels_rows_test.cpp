// The module table's kernel rows, each driven through a hand-built voice: a record made by
// newModule (or over another record's object, or wrapping a shared object) with its type,
// fed by probe sources and evaluated sample by sample, shows that the row's functions are
// the module's own.

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <vector>

#include "engine/kernels/amp_modules.h"
#include "engine/kernels/electronic_switch.h"
#include "engine/kernels/envelope_module.h"
#include "engine/kernels/kernel_object.h"
#include "engine/kernels/keyboard_modules.h"
#include "engine/kernels/reverb_module.h"
#include "engine/kernels/shared_sources.h"
#include "engine/kernels/utility_modules.h"
#include "engine/kernels/vcf_module.h"
#include "tests/engine/graph_fixture.h"

namespace {

class KernelRow : public GraphTest {
 protected:
    // A source whose output is a value the test sets.
    PatchModule* source(float value) {
        probes_.emplace_back();
        probes_.back().value = value;
        return probe(probes_.back(), generatorKernel(), "source");
    }
    ProbeObject& sourceObject(const PatchModule* m) { return *static_cast<ProbeObject*>(m->dsp); }

    PatchModule* make(ModuleType type, const char* name = "module") { return voice.newModule(name, type); }

    // The module read by the voice's output (through a mixer, so several records can be
    // evaluated in order in one sample).
    PatchModule* listen() {
        if (mix_ == nullptr) {
            mix_ = mixer();
            wire(mix_, voice.output);
        }
        return mix_;
    }
    void read(PatchModule* m) { wire(m, listen()); }

    // The shared object of a type, made as the first build makes it, and this voice's
    // record over it.
    PatchModule* shared(ModuleType type, const char* name, int argument = 0) {
        sharedRecords_.push_back(SharedModules::create(name, type, voice, argument));
        return voice.wrapSharedModule(*sharedRecords_.back(), name, type);
    }
    void tickShared(PatchModule* record) { moduleKernel(record->type).tick(record->dsp); }

    void TearDown() override {
        for (PatchModule* m : sharedRecords_) {
            moduleKernel(m->type).destroy(m->dsp);
            delete m;
        }
    }

 private:
    std::deque<ProbeObject> probes_;
    std::vector<PatchModule*> sharedRecords_;
    PatchModule* mix_ = nullptr;
};

TEST_F(KernelRow, VcfPassesDcAtUnityOnceItsCutoffIsOpened) {
    voice.vcf1 = make(ModuleType::Vcf, "VCF 1");
    auto* vcf = qv::kernelObject<qv::VcfModule>(voice.vcf1);
    ASSERT_NE(vcf, nullptr);
    voice.rampRate.store(fadedRampRate(44100));
    vcf->setCoarse(10.0f);
    PatchModule* cutoff = source(0.0f);
    wire(cutoff, voice.vcf1, true);
    wire(source(1.0f), voice.vcf1);
    read(voice.vcf1);
    float y = 0.0f;
    for (int i = 0; i < 4000; ++i) y = runSample();
    EXPECT_NEAR(y, 1.0f, 2e-3f);  // input gain 0.025 x output gain 40, less the soft saturation
    EXPECT_FLOAT_EQ(vcf->core.lastCutoff, 10.0f);
    // The control input lowers the cutoff through set-control; the tick keeps it.
    sourceObject(cutoff).value = -4.0f;
    runSample();
    EXPECT_FLOAT_EQ(vcf->core.lastCutoff, 6.0f);
    EXPECT_NEAR(vcf->core.g, vcf->core.cutoffCoefficient(6.0f), 1e-9f);
}

struct EnvelopeRowCase {
    ModuleType type;
    float heldLevel;  // where the level settles with the gate held for a second
};

class EnvelopeRow : public KernelRow, public ::testing::WithParamInterface<EnvelopeRowCase> {};

TEST_P(EnvelopeRow, GatedThroughItsControlInputOpensAndCloses) {
    const EnvelopeRowCase c = GetParam();
    PatchModule* env = make(c.type, "envelope");
    (c.type == ModuleType::Adsr ? voice.adsr1 : voice.ar1) = env;  // ticked by the voice
    PatchModule* gate = source(0.0f);
    wire(gate, env, true);
    read(env);
    EXPECT_EQ(runSample(), 0.0f);
    sourceObject(gate).value = 10.0f;
    float level = 0.0f;
    for (int i = 0; i < 44100; ++i) level = runSample();
    EXPECT_NEAR(level, c.heldLevel, 0.05f);
    sourceObject(gate).value = 0.0f;
    for (int i = 0; i < 44100; ++i) level = runSample();
    EXPECT_EQ(level, 0.0f);
}

INSTANTIATE_TEST_SUITE_P(KernelRow, EnvelopeRow,
                         ::testing::Values(EnvelopeRowCase{ModuleType::Adsr, 7.0f},  // decays to sustain
                                           EnvelopeRowCase{ModuleType::Ar, 9.0f}));  // holds from 9 V

TEST_F(KernelRow, TriggerRecordsSitOverTheEnvelopeWithoutFunctions) {
    voice.adsr1 = make(ModuleType::Adsr, "ADSR 1");
    PatchModule* trigger = voice.newModuleOver("ADSR Trigger1", ModuleType::AdsrTrigger, *voice.adsr1);
    auto* env = qv::kernelObject<qv::EnvelopeModule>(trigger);
    ASSERT_EQ(env, qv::kernelObject<qv::EnvelopeModule>(voice.adsr1));
    read(voice.adsr1);
    env->startAttack();
    float level = 0.0f;
    for (int i = 0; i < 200; ++i) level = runSample();
    EXPECT_GT(level, 5.0f);
    EXPECT_EQ(voice.outputFns[trigger->index], nullptr);
}

TEST_F(KernelRow, VcaLinearAndExponentialRecordsShareOneAmplifier) {
    voice.vca1 = make(ModuleType::Vca, "VCA 1");
    voice.vca1Expl = voice.newModuleOver("VCA 1 Expl", ModuleType::VcaExpl, *voice.vca1);
    PatchModule* linear = source(5.0f);
    PatchModule* exponential = source(0.0f);
    wire(linear, voice.vca1, true);
    wire(exponential, voice.vca1Expl, true);
    wire(source(2.0f), voice.vca1);
    read(voice.vca1Expl);  // evaluated first: its control sets the exponential CV
    read(voice.vca1);
    EXPECT_NEAR(runSample(), 2.0f * 0.5f, 1e-6f);
    sourceObject(exponential).value = 10.0f;
    EXPECT_NEAR(runSample(), 2.0f * (0.5f + 0.99999f), 1e-4f);
    // The initial gain glides in through the voice's ramp.
    voice.rampRate.store(fadedRampRate(44100));
    qv::kernelObject<qv::VcaModule>(voice.vca1)->setInitialGain(0.5f);
    float y = 0.0f;
    for (int i = 0; i < 50; ++i) y = runSample();
    EXPECT_NEAR(y, 2.0f * (0.5f + 0.5f + 0.99999f), 1e-4f);
}

TEST_F(KernelRow, RingModulatorInputRecordsStoreAndTheModulatorMultiplies) {
    voice.ringModulator = make(ModuleType::RingModulator, "Ring Modulator");
    voice.ringModulatorInA = voice.newModuleOver("Ring Modulator In A", ModuleType::RingModulatorInA, *voice.ringModulator);
    voice.ringModulatorInB = voice.newModuleOver("Ring Modulator In B", ModuleType::RingModulatorInB, *voice.ringModulator);
    qv::kernelObject<qv::RingModulatorModule>(voice.ringModulator)->setMode(2);
    wire(source(3.0f), voice.ringModulatorInA);
    wire(source(-4.0f), voice.ringModulatorInB);
    wire(voice.ringModulatorInA, voice.ringModulator);  // the inputs read 0 into the modulator
    wire(voice.ringModulatorInB, voice.ringModulator);
    read(voice.ringModulator);
    EXPECT_FLOAT_EQ(runSample(), -12.0f);
}

TEST_F(KernelRow, EnvelopeFollowerFollowsTheMagnitude) {
    PatchModule* follower = make(ModuleType::EnvelopeFollower);
    PatchModule* in = source(-4.0f);
    wire(in, follower);
    read(follower);
    EXPECT_FLOAT_EQ(runSample(), 4.0f);
    sourceObject(in).value = 0.0f;
    EXPECT_FLOAT_EQ(runSample(), 4.0f * 0.9995f);
}

TEST_F(KernelRow, ElectronicSwitchRecordsShareOneObject) {
    voice.switchA = make(ModuleType::SwitchA, "Electronic Switch 1");
    voice.switchB = voice.newModuleOver("Electronic Switch 1", ModuleType::SwitchB, *voice.switchA);
    voice.switchC = voice.newModuleOver("Electronic Switch 1", ModuleType::SwitchC, *voice.switchA);
    qv::kernelObject<qv::ElectronicSwitch>(voice.switchC)->setRoute(qv::ElectronicSwitch::kRouteTwoToOne);
    PatchModule* control = source(10.0f);
    wire(source(2.0f), voice.switchA);
    wire(source(3.0f), voice.switchB);
    wire(control, voice.switchC, true);
    read(voice.switchA);
    read(voice.switchB);
    read(voice.switchC);
    EXPECT_FLOAT_EQ(runSample(), 2.0f);
    sourceObject(control).value = 0.0f;
    EXPECT_FLOAT_EQ(runSample(), 3.0f);
}

TEST_F(KernelRow, SampleAndHoldSamplesOnEachClockEdge) {
    PatchModule* hold = make(ModuleType::SampleAndHold);
    PatchModule* clock = source(0.0f);
    PatchModule* in = source(1.0f);
    wire(clock, hold, true);
    wire(in, hold);
    read(hold);
    EXPECT_EQ(runSample(), 0.0f);
    sourceObject(clock).value = 10.0f;
    EXPECT_EQ(runSample(), 1.0f);
    sourceObject(in).value = 2.0f;
    EXPECT_EQ(runSample(), 1.0f);  // held
    sourceObject(clock).value = 0.0f;
    EXPECT_EQ(runSample(), 2.0f);  // the falling edge samples too
}

TEST_F(KernelRow, LagInverterAndConstantsProcessTheirInput) {
    PatchModule* lag = make(ModuleType::Lag);
    PatchModule* inverter = make(ModuleType::Inverter, "Inverter 1");
    PatchModule* plus10 = shared(ModuleType::Constant, "Plus 10 Volts", 10);
    wire(plus10, inverter);
    wire(inverter, lag);
    read(lag);
    const double c = std::pow(1.0 - 2.0 * 1.6 / 44100.0, 2.0);
    double reference = 0.0;
    for (int i = 0; i < 1000; ++i) {
        reference = (1.0 - c) * -10.0 + c * reference;
        // Relative: the single-precision coefficient is within 4e-4 of (1 - c).
        ASSERT_NEAR(runSample(), reference, 1e-3 * std::fabs(reference) + 1e-6) << i;
    }
    EXPECT_EQ(shared(ModuleType::Constant, "Minus 10 Volts", -10) != nullptr, true);
}

TEST_F(KernelRow, KeyboardCvGateAndTriggerRows) {
    PatchModule* cv = make(ModuleType::KeyboardCv, "Keyboard Lower CV");
    PatchModule* gate = make(ModuleType::KeyboardGate, "Keyboard Gate");
    voice.keyboardTrigger = make(ModuleType::KeyboardTrigger, "Keyboard Trigger");
    voice.rampRate.store(1e9f);
    qv::kernelObject<qv::KeyboardCv>(cv)->setNote(4.0f);
    wire(source(0.5f), cv, true);  // the vibrato
    PatchModule* gateCv = source(0.0f);
    wire(gateCv, gate, true);
    read(cv);
    EXPECT_FLOAT_EQ(runSample(), 3.0f);  // note 3 V; the first read gives last sample's control sum
    EXPECT_FLOAT_EQ(runSample(), 3.5f);  // + the vibrato
    qv::kernelObject<qv::KeyboardGate>(gate)->setGate(true);
    EXPECT_EQ(voice.outputFns[gate->index](gate->dsp, 0), 10.0f);
    qv::kernelObject<qv::KeyboardTrigger>(voice.keyboardTrigger)->fire();
    prepareVoiceSample(voice);
    EXPECT_EQ(voice.outputFns[voice.keyboardTrigger->index](voice.keyboardTrigger->dsp, 0), 15.0f);
    prepareVoiceSample(voice);
    EXPECT_EQ(voice.outputFns[voice.keyboardTrigger->index](voice.keyboardTrigger->dsp, 0), 0.0f);
}

TEST_F(KernelRow, SharedNoiseClockAndLfoAreReadThroughTheVoiceRecord) {
    PatchModule* noise = shared(ModuleType::Noise, "Noise Generator");
    PatchModule* clock = shared(ModuleType::Clock, "Interal Clock 1");
    PatchModule* lfo = shared(ModuleType::KeyboardLfo, "Keyboard LFO");
    auto* noiseObject = qv::kernelObject<qv::NoiseModule>(noise);
    qv::seedEngineRandom(*noiseObject->random, 1);
    voice.rampRate.store(1e9f);
    noiseObject->setLevel(1.0f);
    qv::kernelObject<qv::ClockModule>(clock)->setPeriod(4.0f / 44100.0f);
    qv::kernelObject<qv::LfoModule>(lfo)->setGate(true);
    auto* noiseIn = voice.newInput(1.0f, 0);
    setNormalSource(*noiseIn, noise, 0);
    auto* clockIn = voice.newInput(1.0f, 0);
    setNormalSource(*clockIn, clock, 0);
    auto* squareIn = voice.newInput(1.0f, qv::KeyboardLfo::kOutputSquare);
    setNormalSource(*squareIn, lfo, qv::KeyboardLfo::kOutputSquare);
    std::vector<float> clockOut;
    for (int i = 0; i < 8; ++i) {
        for (PatchModule* m : {noise, clock, lfo}) tickShared(m);
        runSample();
        if (i == 0) {
            EXPECT_FLOAT_EQ(voice.evaluateInput(noiseIn), 41.0f / 32768.0f - 0.5f) << "first draw of seed 1";
        }
        clockOut.push_back(voice.evaluateInput(clockIn));
    }
    EXPECT_EQ(clockOut, (std::vector<float>{0, 0, 10, 0, 0, 0, 10, 0}));
    EXPECT_EQ(voice.evaluateInput(squareIn), 10.0f);
}

TEST_F(KernelRow, ReverbCollectsTheSendAndOutputsItsLastLeftSample) {
    PatchModule* reverbRecord = shared(ModuleType::Reverb, "Reverb 1");
    voice.reverb1 = reverbRecord;
    auto* reverb = qv::kernelObject<qv::ReverbModule>(reverbRecord);
    PatchModule* send = source(10.0f);
    wire(send, voice.reverb1);
    wire(send, voice.output);
    runSample();
    EXPECT_FLOAT_EQ(reverb->send, 1.0f);  // 10 V x 0.1
    reverb->run();
    EXPECT_EQ(reverb->send, 0.0f);
    auto* reader = voice.newInput(1.0f, 0);
    setNormalSource(*reader, reverbRecord, 0);
    EXPECT_EQ(voice.evaluateInput(reader), 0.0f);  // nothing arrives before the shortest comb
    EXPECT_TRUE(reverb->read);
}

// Every rate-dependent object takes a new rate through its row.
TEST_F(KernelRow, SampleRateReachesEveryRateDependentObject) {
    PatchModule* clock = shared(ModuleType::Clock, "Interal Clock 1");
    PatchModule* lag = make(ModuleType::Lag);
    PatchModule* vcf = make(ModuleType::Vcf);
    PatchModule* adsr = make(ModuleType::Adsr);
    PatchModule* ring = make(ModuleType::RingModulator);
    PatchModule* cv = make(ModuleType::KeyboardCv);
    PatchModule* noise = shared(ModuleType::Noise, "Noise Generator");
    PatchModule* lfo = shared(ModuleType::KeyboardLfo, "Keyboard LFO");
    PatchModule* reverb = shared(ModuleType::Reverb, "Reverb 1");
    for (PatchModule* m : {clock, lag, vcf, adsr, ring, cv, noise, lfo, reverb}) {
        ASSERT_NE(moduleKernel(m->type).setSampleRate, nullptr) << m->name;
        moduleKernel(m->type).setSampleRate(m->dsp, 96000);
    }
    EXPECT_EQ(qv::kernelObject<qv::ClockModule>(clock)->core.periodSamples, 48000);
    EXPECT_FLOAT_EQ(qv::kernelObject<qv::LagModule>(lag)->core.sampleRate, 96000.0f);
    EXPECT_FLOAT_EQ(qv::kernelObject<qv::VcfModule>(vcf)->core.sampleRate, 96000.0f);
    EXPECT_EQ(qv::kernelObject<qv::EnvelopeModule>(adsr)->core.sampleRate, 96000);
    EXPECT_EQ(qv::kernelObject<qv::RingModulatorModule>(ring)->core.sampleRate, 96000);
    EXPECT_EQ(qv::kernelObject<qv::KeyboardCv>(cv)->sampleRate, 96000);
    EXPECT_FLOAT_EQ(qv::kernelObject<qv::NoiseModule>(noise)->core.sampleRate, 96000.0f);
    EXPECT_FLOAT_EQ(qv::kernelObject<qv::LfoModule>(lfo)->core.sampleRate, 96000.0f);
    EXPECT_EQ(qv::kernelObject<qv::ReverbModule>(reverb)->core.model.combs.size[qv::ReverbModel::leftComb(0)], 2429);
}

TEST_F(KernelRow, ObjectsAreMadeWithTheRateGivenToCreate) {
    const ModuleKernel& clockRow = moduleKernel(ModuleType::Clock);
    void* clock = clockRow.create(voice, 48000, 0);
    EXPECT_EQ(static_cast<qv::ClockModule*>(clock)->core.periodSamples, 24000);
    clockRow.destroy(clock);
}

TEST_F(KernelRow, SyncSwitchesChooseTheSyncedOutputs) {
    PatchModule* clockRecord = shared(ModuleType::Clock, "Interal Clock 1");
    PatchModule* lfoRecord = shared(ModuleType::KeyboardLfo, "Keyboard LFO");
    auto* clock = qv::kernelObject<qv::ClockModule>(clockRecord);
    auto* lfo = qv::kernelObject<qv::LfoModule>(lfoRecord);
    const ModuleOutputFn clockOut = voice.outputFns[clockRecord->index];
    const ModuleOutputFn lfoOut = voice.outputFns[lfoRecord->index];
    clock->setSyncLevel(10.0f);
    lfo->setSyncedPhase(0.75);
    EXPECT_EQ(clockOut(clock, 0), 0.0f);  // free-running: first half low
    EXPECT_EQ(lfoOut(lfo, qv::KeyboardLfo::kOutputSquare), 10.0f);
    clock->setSync(true);
    lfo->setSync(true);
    EXPECT_EQ(clockOut(clock, 0), 10.0f);
    EXPECT_EQ(lfoOut(lfo, qv::KeyboardLfo::kOutputSquare), 0.0f);
    EXPECT_NEAR(lfoOut(lfo, qv::KeyboardLfo::kOutputTriangle), -0.5f, 1e-6f);
}

// Multi-field changes made on another thread wait in the voice's queue and are applied whole
// at the voice's next sample.
TEST(KernelHandOver, ChangesFromAnotherThreadApplyAtTheNextSample) {
    PatchVoice voice(44100);
    voice.rampRate.store(normalRampRate(44100));
    PatchModule* adsr = voice.newModule("ADSR 1", ModuleType::Adsr);
    PatchModule* ring = voice.newModule("Ring Modulator", ModuleType::RingModulator);
    PatchModule* lag = voice.newModule("Lag Processor", ModuleType::Lag);
    PatchModule* vcf = voice.newModule("VCF 1", ModuleType::Vcf);
    SharedModules shared;
    shared.clock = SharedModules::create("Interal Clock 1", ModuleType::Clock, voice);
    shared.keyboardLfo = SharedModules::create("Keyboard LFO", ModuleType::KeyboardLfo, voice);
    shared.reverb = SharedModules::create("Reverb 1", ModuleType::Reverb, voice);

    auto* env = qv::kernelObject<qv::EnvelopeModule>(adsr);
    auto* reverb = qv::kernelObject<qv::ReverbModule>(shared.reverb);
    auto* filter = qv::kernelObject<qv::VcfModule>(vcf);
    const float attackCoef = env->core.attackCoef;
    filter->core.band1 = 1.0f;
    reverb->core.model.combs.buffer[qv::ReverbModel::leftComb(0)][5] = 1.0f;

    EXPECT_TRUE(env->setAttackTime(1.0f));
    EXPECT_TRUE(env->setSustainLevel(3.0f));
    EXPECT_TRUE(env->startAttack());
    EXPECT_TRUE(qv::kernelObject<qv::RingModulatorModule>(ring)->setMode(2));
    EXPECT_TRUE(qv::kernelObject<qv::LagModule>(lag)->setRate(10.0f));
    EXPECT_TRUE(qv::kernelObject<qv::ClockModule>(shared.clock)->setPeriod(0.25f));
    EXPECT_TRUE(qv::kernelObject<qv::LfoModule>(shared.keyboardLfo)->setRate(4.0f));
    EXPECT_TRUE(filter->reset());
    EXPECT_TRUE(reverb->mute());
    EXPECT_EQ(env->core.attackCoef, attackCoef);  // nothing applied yet
    EXPECT_EQ(env->core.stage, qv::Envelope::kStageIdle);

    AudioThreadScope audio;
    voice.applyCommands();
    const double x = 1.0 - 2.0 / 44100.0;
    EXPECT_NEAR(env->core.attackCoef, x * x, 1e-7);
    EXPECT_NEAR(env->core.decayStep, (1.0 - std::pow(1.0 - 2.0 / (44100.0 * 0.5), 2.0)) * 3.0, 1e-6);
    EXPECT_EQ(env->core.stage, qv::Envelope::kStageAttack);
    EXPECT_EQ(qv::kernelObject<qv::RingModulatorModule>(ring)->core.mode, 2);
    EXPECT_NEAR(qv::kernelObject<qv::LagModule>(lag)->core.coefficient, std::pow(1.0 - 20.0 / 44100.0, 2.0), 1e-6);
    EXPECT_EQ(qv::kernelObject<qv::ClockModule>(shared.clock)->core.periodSamples, 11025);
    EXPECT_FLOAT_EQ(qv::kernelObject<qv::LfoModule>(shared.keyboardLfo)->core.increment, 4.0f / 44100.0f);
    EXPECT_EQ(filter->core.band1, 0.0f);
    EXPECT_EQ(reverb->core.model.combs.buffer[qv::ReverbModel::leftComb(0)][5], 0.0f);
}

} // namespace
