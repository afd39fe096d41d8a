// The envelopes reach the amplifier as control voltages: with stand-in modules bound into a
// built voice, the AR sets VCA 1's linear gain through its control inputs, the ADSR the
// exponential gain through VCA 1 Expl (pulled every sample), and only the filter's signal is
// amplified.
#include "engine/audio_thread.h"
#include "tests/engine/graph_fixture.h"
#include "tests/engine/voice_reference.h"

namespace {

// One amplifier object under two records, like the real one: (linear + exponential) x input.
struct AmpStub {
  float linear = 0.0f;
  float exponential = 0.0f;
  float lastInput = 0.0f;
};
void ampLinear(void* dsp, float v) { static_cast<AmpStub*>(dsp)->linear = 0.1f * v; }
void ampExponential(void* dsp, float v) { static_cast<AmpStub*>(dsp)->exponential = 0.05f * v; }
float ampProcess(void* dsp, float x) {
  auto* amp = static_cast<AmpStub*>(dsp);
  amp->lastInput = x;
  return (amp->linear + amp->exponential) * x;
}

class VoiceVca : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(voice.build(44100.0f, shared));
    ModuleKernel source = generatorKernel();
    voice.bindModule(*voice.vcf1, &filter, source);
    voice.bindModule(*voice.ar1, &ar, source);
    voice.bindModule(*voice.adsr1, &adsr, source);
    ModuleKernel linear;
    linear.setControl = &ampLinear;
    linear.process = &ampProcess;
    ModuleKernel exponential = linear;
    exponential.setControl = &ampExponential;
    voice.bindModule(*voice.vca1, &amp, linear);
    voice.bindModule(*voice.vca1Expl, &amp, exponential);

    // Levels: VCF into the VCA, both envelope amounts, the VCA into the mixer.
    for (int row : {11, 53, 54, 15}) voice.rampTo(voice.normalRows[row], 1.0f);
    voice_ref::settleRamps(voice);
    filter.value = 2.0f;
  }

  float sample() {
    prepareVoiceSample(voice);
    return processVoiceSample(voice);
  }

  AudioThreadScope audioThread;
  SharedModules shared;
  PatchVoice voice;
  ProbeObject filter, ar, adsr;
  AmpStub amp;
};

TEST_F(VoiceVca, EnvelopesSetTheGainAndOnlyTheFilterIsAmplified) {
  struct Step {
    float ar, adsr;
  };
  for (const Step s : {Step{7.0f, 3.0f}, Step{7.0f, 5.0f}, Step{0.0f, 5.0f}, Step{10.0f, 0.0f}}) {
    ar.value = s.ar;
    adsr.value = s.adsr;
    for (int n = 0; n < 3; ++n) {
      SCOPED_TRACE(testing::Message() << "AR " << s.ar << " ADSR " << s.adsr << " sample " << n);
      const float out = sample();
      EXPECT_FLOAT_EQ(amp.lastInput, 2.0f) << "the amplifier's input is the filter alone";
      EXPECT_FLOAT_EQ(out, (0.1f * s.ar + 0.05f * s.adsr) * 2.0f);
    }
  }
}

TEST_F(VoiceVca, ClosedEnvelopeAmountsCloseTheAmplifier) {
  ar.value = 10.0f;
  adsr.value = 10.0f;
  voice.rampTo(voice.normalRows[53], 0.0f);
  voice.rampTo(voice.normalRows[54], 0.0f);
  voice_ref::settleRamps(voice);
  EXPECT_FLOAT_EQ(sample(), 0.0f);
  EXPECT_FLOAT_EQ(amp.lastInput, 2.0f);
}

}  // namespace
