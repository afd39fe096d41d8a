// Parameter routing into the engine: each (index, plain value) reaches the module field or
// the normalled row it drives, in every one of the nine voice contexts, once the audio thread
// has taken the change up and the ramps have arrived.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "engine/kernels/amp_modules.h"
#include "engine/kernels/envelope_module.h"
#include "engine/kernels/kernel_object.h"
#include "engine/kernels/keyboard_modules.h"
#include "engine/kernels/pan_control.h"
#include "engine/kernels/reverb_module.h"
#include "engine/kernels/shared_sources.h"
#include "engine/kernels/utility_modules.h"
#include "engine/kernels/vcf_module.h"
#include "engine/kernels/vco.h"
#include "engine/voice_tables.h"
#include "params/param_convert.h"
#include "plugin/param_routing.h"
#include "plugin_routing_test_util.h"

namespace plugintest {
namespace {

using Reader = std::function<float(PatchVoice&)>;

template <typename T>
T& object(PatchModule* record) {
  T* o = qv::kernelObject<T>(record);
  if (o == nullptr) throw std::runtime_error("no object");
  return *o;
}

Reader rowGain(int row) {
  return [row](PatchVoice& v) { return v.normalRows[row]->gain; };
}
Reader vcoFrequencyGain(PatchModule* PatchVoice::*vco) {
  return [vco](PatchVoice& v) { return vcoObject(v.*vco)->frequencyInput->gain; };
}
Reader vcoWidthGain(PatchModule* PatchVoice::*vco) {
  return [vco](PatchVoice& v) { return vcoObject(v.*vco)->widthInput->gain; };
}
Reader envelope(PatchModule* PatchVoice::*record, float qv::Envelope::*field) {
  return [record, field](PatchVoice& v) { return object<qv::EnvelopeModule>(v.*record).core.*field; };
}
Reader keyboardCvs(std::function<float(qv::KeyboardCv&)> read) {
  // Both CVs must agree; a disagreement reads as not a number.
  return [read](PatchVoice& v) {
    const float lower = read(object<qv::KeyboardCv>(v.keyboardLowerCv));
    const float upper = read(object<qv::KeyboardCv>(v.keyboardUpperCv));
    return lower == upper ? lower : std::numeric_limits<float>::quiet_NaN();
  };
}

struct RouteCase {
  const char* what;
  std::vector<std::pair<int, float>> settings;  // (index, plain value) in order
  Reader read;
  float expected;
};

// Expected values are the panel's rules in volts, seconds and gains: coarse knobs 0..1 are
// 0..10 V, fine knobs centre on 0 V, levels from 0.01 start at gain 0.
std::vector<RouteCase> routeCases() {
  using V = PatchVoice;
  using E = qv::Envelope;
  return {
      {"VCO 1 coarse and fine", {{5, 0.3f}, {6, 0.7f}}, vcoFrequencyGain(&V::vco1), 3.2f},
      {"VCO 2 coarse and fine", {{10, 0.45f}, {11, 0.25f}}, vcoFrequencyGain(&V::vco2), 4.25f},
      {"VCO 3 coarse and fine", {{17, 0.9f}, {18, 0.5f}}, vcoFrequencyGain(&V::vco3), 9.0f},
      {"VCO 2 width", {{12, 0.3f}}, vcoWidthGain(&V::vco2), 0.3f},
      {"VCO 3 width", {{19, 0.8f}}, vcoWidthGain(&V::vco3), 0.8f},
      {"VCO 1 S&H level from 0.01", {{7, 0.51f}}, rowGain(49), 0.5f},
      {"VCO 2 ADSR level at its lowest", {{14, 0.01f}}, rowGain(43), 0.0f},
      {"VCO 3 VCO 2 level", {{22, 1.01f}}, rowGain(47), 1.0f},
      {"VCO 2 PW modulation", {{16, 0.4f}}, rowGain(51), 0.4f},
      {"filter coarse and fine",
       {{23, 0.4f}, {24, 0.25f}},
       [](V& v) { return object<qv::VcfModule>(v.vcf1).frequencyInput->gain; },
       4.25f},
      {"filter resonance", {{25, 0.8f}}, [](V& v) { return object<qv::VcfModule>(v.vcf1).resonanceInput->gain; },
       0.8f},
      {"filter VCO 2 level", {{28, 0.6f}}, rowGain(2), 0.6f},
      {"filter noise level", {{30, 0.2f}}, rowGain(4), 0.2f},
      {"filter ADSR control", {{31, 0.7f}}, rowGain(41), 0.7f},
      {"ADSR attack", {{33, 0.5f}}, envelope(&V::adsr1, &E::attackTime), 0.5f},
      {"ADSR decay", {{34, 2.0f}}, envelope(&V::adsr1, &E::decayTime), 2.0f},
      {"ADSR sustain", {{35, 6.0f}}, envelope(&V::adsr1, &E::sustain), 6.0f},
      {"ADSR release", {{36, 1.5f}}, envelope(&V::adsr1, &E::releaseTime), 1.5f},
      {"AR attack", {{37, 0.25f}}, envelope(&V::ar1, &E::attackTime), 0.25f},
      {"AR release", {{39, 3.0f}}, envelope(&V::ar1, &E::releaseTime), 3.0f},
      {"VCA initial gain", {{40, 7.0f}}, [](V& v) { return object<qv::VcaModule>(v.vca1).gainInput->gain; }, 7.0f},
      {"VCA filter level", {{41, 0.9f}}, rowGain(11), 0.9f},
      {"VCA ring modulator level is inverted", {{42, 1.0f}}, rowGain(12), -1.0f},
      {"VCA ADSR level", {{44, 0.35f}}, rowGain(54), 0.35f},
      {"mixer filter level", {{46, 0.6f}}, rowGain(14), 0.6f},
      {"insert 1 keeps the filter level", {{46, 0.6f}}, rowGain(16), 0.6f},
      {"mixer amplifier level", {{47, 0.45f}}, rowGain(15), 0.45f},
      {"insert 2 keeps the amplifier level", {{47, 0.45f}}, rowGain(17), 0.45f},
      {"voltage processor -10 V", {{52, 0.3f}}, rowGain(29), 0.3f},
      {"sample and hold noise", {{56, 0.65f}}, rowGain(6), 0.65f},
      {"vibrato depth into the lower CV", {{67, 0.51f}}, rowGain(68), 0.5f},
      {"vibrato depth into the upper CV", {{67, 0.51f}}, rowGain(69), 0.5f},
      {"filter keyboard CV", {{72, 0.5f}}, rowGain(37), 0.5f},
      {"master volume to the output", {{75, 0.4f}}, rowGain(19), 0.4f},
      {"master volume to the reverb send", {{75, 0.4f}}, rowGain(18), 0.4f},
      {"lag rate", {{55, 40.0f}}, [](V& v) { return object<qv::LagModule>(v.lagProcessor).core.rate; }, 40.0f},
      {"ring modulator plain", {{61, 0.0f}},
       [](V& v) { return float(object<qv::RingModulatorModule>(v.ringModulator).core.mode); }, 2.0f},
      {"ring modulator DC-blocked", {{61, 1.0f}},
       [](V& v) { return float(object<qv::RingModulatorModule>(v.ringModulator).core.mode); }, 1.0f},
      {"octave down", {{64, -1.5f}}, keyboardCvs([](qv::KeyboardCv& c) { return c.octave.load(); }), -2.0f},
      {"octave centre", {{64, 1.0f}}, keyboardCvs([](qv::KeyboardCv& c) { return c.octave.load(); }), 0.0f},
      {"octave up", {{64, 1.9f}}, keyboardCvs([](qv::KeyboardCv& c) { return c.octave.load(); }), 2.0f},
      {"portamento time", {{68, 0.5f}}, keyboardCvs([](qv::KeyboardCv& c) { return c.portamentoTime.load(); }),
       0.5f},
      {"portamento on", {{69, 0.0f}}, keyboardCvs([](qv::KeyboardCv& c) { return float(c.portamento.load()); }),
       1.0f},
      {"portamento off", {{69, 1.0f}}, keyboardCvs([](qv::KeyboardCv& c) { return float(c.portamento.load()); }),
       0.0f},
      {"pitch bend", {{71, -1.5f}}, keyboardCvs([](qv::KeyboardCv& c) { return c.pitchBendInput->gain; }), -1.5f},
      // Shared modules: every context reads the same object.
      {"pan", {{45, 0.8f}}, [](V& v) { return static_cast<qv::PanControl*>(v.panControl1->dsp)->panInput->gain; },
       0.8f},
      {"reverb left level", {{48, 0.5f}},
       [](V& v) { return object<qv::ReverbModule>(v.reverb1).leftLevelInput->gain; }, 0.499f},
      {"reverb right level at its lowest", {{49, 0.0f}},
       [](V& v) { return object<qv::ReverbModule>(v.reverb1).rightLevelInput->gain; }, 0.0f},
      {"noise colour", {{50, 0.2f}},
       [](V& v) { return object<qv::NoiseModule>(v.noiseGenerator).colourInput->gain; }, 0.2f},
      {"noise level", {{51, 8.0f}}, [](V& v) { return object<qv::NoiseModule>(v.noiseGenerator).levelInput->gain; },
       8.0f},
      {"clock period", {{57, 0.25f}},
       [](V& v) { return object<qv::ClockModule>(v.internalClock1).core.periodSeconds; }, 0.25f},
      {"LFO rate", {{65, 7.0f}}, [](V& v) { return object<qv::LfoModule>(v.keyboardLfo).core.rate; }, 7.0f},
      {"vibrato delay", {{66, 0.5f}},
       [](V& v) { return object<qv::LfoModule>(v.keyboardLfo).core.vibratoDelay; }, 0.5f},
      {"clock sync", {{82, 1.0f}},
       [](V& v) { return float(object<qv::ClockModule>(v.internalClock1).synced.load()); }, 1.0f},
      {"LFO sync", {{84, 1.0f}}, [](V& v) { return float(object<qv::LfoModule>(v.keyboardLfo).synced.load()); },
       1.0f},
      // Envelope gate source and keyboard repeat change their rows at once.
      {"gate from the clock: keyboard row", {{38, 0.0f}}, rowGain(64), 0.0f},
      {"gate from the clock: clock row", {{38, 0.0f}}, rowGain(67), 1.0f},
      {"gate from the keyboard: keyboard row", {{38, 1.0f}}, rowGain(64), 1.0f},
      {"gate from the keyboard: clock row", {{38, 1.0f}}, rowGain(67), 0.0f},
      {"repeat always re-triggers from the LFO", {{38, 1.0f}, {63, 0.0f}}, rowGain(66), 1.0f},
      {"repeat off", {{38, 1.0f}, {63, 1.5f}}, rowGain(66), 0.0f},
      {"repeat while held, no key held", {{38, 1.0f}, {63, 2.0f}}, rowGain(66), 0.0f},
      {"repeat always but gated by the clock", {{63, 0.0f}, {38, 0.0f}}, rowGain(66), 0.0f},
      // Keyboard control of a VCO.
      {"VCO 1 keyboard off: no keyboard CV", {{58, 0.0f}}, rowGain(38), 0.0f},
      {"VCO 2 keyboard off, then on", {{59, 0.0f}, {59, 1.0f}}, rowGain(39), 1.0f},
      {"VCO 3 keyboard off keeps its frequency knobs", {{17, 0.5f}, {18, 0.75f}, {60, 0.0f}},
       vcoFrequencyGain(&V::vco3), 5.25f},
      {"VCO 3 keyboard off mode", {{60, 0.0f}}, [](V& v) { return float(vcoObject(v.vco3)->mode); },
       float(qv::Vco::kModeKeyboardOff)},
  };
}

TEST(PluginRouting, EachParameterReachesItsFieldInAllNineContexts) {
  for (const RouteCase& c : routeCases()) {
    SCOPED_TRACE(c.what);
    RunningInstance in;
    for (const auto& [index, plain] : c.settings) in.set(index, plain);
    in.settle();
    for (int k = 0; k < kVoiceContextCount; ++k) EXPECT_NEAR(c.read(in.voice(k)), c.expected, 1e-5f) << "context " << k;
  }
}

// What a cord at a jack re-points: the row of the input jack reads the peer's output. Jack
// 58 (pl58) is VCO 1's sawtooth, output 2; row 48's normal is VCO 1's pulse, output 4.
TEST(PluginRouting, CordsConnectAndUnplugInAllNineContexts) {
  RunningInstance in;
  constexpr int kPl11Param = kParamCordVco2Vco1Cv;  // jack 11, pl11: VCO 2's control input from VCO 1 (row 48)
  constexpr int kRow = 48;
  struct Step {
    float normalised;  // the host's value: jack index / 1000
    bool corded;
  } steps[] = {{0.058f, true}, {0.011f, false}, {0.058f, true}, {0.0f, false}, {0.058f, true}, {0.5f, false}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.normalised);
    in.plugin().setParameter(kPl11Param, s.normalised);
    in.run(1);
    for (int k = 0; k < kVoiceContextCount; ++k) {
      const PatchInput* row = in.voice(k).normalRows[kRow];
      EXPECT_EQ(row->source, in.voice(k).vco1) << "context " << k;
      EXPECT_EQ(row->outputIndex, s.corded ? 2 : 4) << "context " << k;
    }
  }
}

// A cord made while processing is stopped lands at once; so does an envelope-gate change.
TEST(PluginRouting, ChangesWhileSuspendedLandWithoutABlock) {
  Instance in;
  in.plugin().setParameter(kParamCordVco2Vco1Cv, 0.058f);
  in.plugin().setParameterReal(kParamEnvelopeGateSource, 1.0f);
  for (int k = 0; k < kVoiceContextCount; ++k) {
    const PatchVoice& v = in.plugin().engine().voice(k);
    EXPECT_EQ(v.normalRows[48]->outputIndex, 2);
    EXPECT_EQ(v.normalRows[64]->gain, 1.0f);
    EXPECT_EQ(v.normalRows[67]->gain, 0.0f);
    EXPECT_TRUE(v.normalRows[67]->off);
  }
}

// Values a host may send that name nothing: ignored, never a crash or a non-finite gain.
TEST(PluginRouting, HarmlessValues) {
  RunningInstance in;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (int index = 0; index <= 179; ++index) {
    in.plugin().setParameter(index, 0.5f);
    in.plugin().setParameter(index, nan);
  }
  in.settle();
  for (int k = 0; k < kVoiceContextCount; ++k) {
    for (PatchInput* i = in.voice(k).inputList; i != nullptr; i = i->nextInput) ASSERT_TRUE(std::isfinite(i->gain));
  }
  for (float s : in.left) ASSERT_TRUE(std::isfinite(s));
}

// A per-voice row routed to one context leaves the others as they were.
TEST(PluginRouting, OneContextOnly) {
  RunningInstance in;
  in.settle();
  const float before = in.voice(0).normalRows[11]->gain;
  ASSERT_NE(before, 0.75f);
  in.plugin().routeToEngine(kParamVcaVcfLevel, 0.75f, 3, 3);
  in.settle();
  for (int k = 0; k < kVoiceContextCount; ++k)
    EXPECT_EQ(in.voice(k).normalRows[11]->gain, k == 3 ? 0.75f : before) << "context " << k;
}

TEST(PluginRouting, EnvelopeTriggerAndPortamentoButtons) {
  RunningInstance in;
  in.plugin().setPortamento(true);
  in.run(1);
  for (int k = 0; k < kVoiceContextCount; ++k) {
    EXPECT_TRUE(object<qv::KeyboardCv>(in.voice(k).keyboardUpperCv).portamento.load());
  }
  in.plugin().setPortamento(false);
  EXPECT_FALSE(object<qv::KeyboardCv>(in.voice(8).keyboardLowerCv).portamento.load());

  in.set(33, 0.01f);  // ADSR attack
  in.set(37, 0.01f);  // AR attack
  in.plugin().triggerEnvelopes(true);
  in.run(4);
  EXPECT_GT(object<qv::EnvelopeModule>(in.voice(0).ar1).core.level, 8.0f);
  EXPECT_GT(object<qv::EnvelopeModule>(in.voice(0).adsr1).core.level, 3.9f);
  EXPECT_EQ(object<qv::EnvelopeModule>(in.voice(1).ar1).core.level, 0.0f) << "context 0 only";
  in.plugin().triggerEnvelopes(false);
  in.run(20);
  EXPECT_LT(object<qv::EnvelopeModule>(in.voice(0).ar1).core.level, 1.0f);
}

}  // namespace
}  // namespace plugintest

namespace plugintest {
namespace {

// Where every normalled row of every context reads from, and its gain.
struct RowSnapshot {
  int sourceIndex;
  int outputIndex;
  float gain;
  bool operator==(const RowSnapshot&) const = default;
};

std::vector<RowSnapshot> rowsOf(RunningInstance& in) {
  std::vector<RowSnapshot> rows;
  for (int k = 0; k < kVoiceContextCount; ++k)
    for (int row = 1; row <= kNormalledRowCount; ++row) {
      const PatchInput* r = in.voice(k).normalRows[row];
      rows.push_back({r->source != nullptr ? r->source->index : -1, r->outputIndex, r->gain});
    }
  return rows;
}

}  // namespace

// A host thread sets every parameter as fast as it can while blocks run, then the values it
// ends on: once the burst is over the contexts hold what an instance given those values
// directly holds. Two jacks are kept out of the burst: the switch's direction stays as its
// last cord left it, and the host cannot unplug the last Multiple jack (its cord parameter
// is beyond the host's range).
TEST(PluginRouting, LastValuesOfABurstAreTheOnesThatSound) {
  const int switchJack = jackIndexOfCode(fourCharKey("pl51"));
  const int switchParam = paramOfJackIndex(switchJack);
  std::mt19937 random(21);
  auto randomValue = [&](int index) {
    if (!isCordParam(index)) return static_cast<float>(random() % 1001) / 1000.0f;
    int jack = static_cast<int>(random() % kJackTableSize);
    if (jack == switchJack || jack == kJackCount) jack = 0;
    return static_cast<float>(jack) / 1000.0f;
  };
  // The values the burst ends on: settings at random, two cords (jack 11 from VCO 1's saw,
  // jack 23 from jack 60), every other jack unplugged.
  std::vector<float> last(kHostParamCount, 0.0f);
  for (int i = 2; i < kFirstCordParam; ++i) last[i] = randomValue(i);
  last[kParamMasterBypass] = 1.0f;
  last[kParamVoices] = 1.0f;
  last[paramOfJackIndex(11)] = 0.058f;
  last[paramOfJackIndex(23)] = 0.060f;

  RunningInstance burst;
  AEffect* e = burst.effect();
  std::atomic<bool> running{true};
  std::atomic<int> passes{0};
  std::thread host([&] {
    while (running.load() || passes.load() < 3) {
      for (int i = 1; i < kHostParamCount; ++i)
        if (i != switchParam) e->setParameter(e, i, randomValue(i));
      ++passes;
    }
    for (int i = 1; i < kHostParamCount; ++i) e->setParameter(e, i, last[i]);
  });
  for (int b = 0; b < 50; ++b) burst.run(1);
  running = false;
  host.join();
  burst.settle();

  RunningInstance direct;
  for (int i = 1; i < kHostParamCount; ++i) direct.effect()->setParameter(direct.effect(), i, last[i]);
  direct.settle();

  for (int i = 1; i < kHostParamCount; ++i) ASSERT_EQ(e->getParameter(e, i), direct.effect()->getParameter(direct.effect(), i)) << i;
  const std::vector<RowSnapshot> got = rowsOf(burst), want = rowsOf(direct);
  for (size_t n = 0; n < want.size(); ++n)
    ASSERT_EQ(got[n], want[n]) << "context " << n / kNormalledRowCount << " row " << n % kNormalledRowCount + 1
                               << ": " << got[n].sourceIndex << "/" << got[n].outputIndex << " x " << got[n].gain
                               << " against " << want[n].sourceIndex << "/" << want[n].outputIndex << " x "
                               << want[n].gain;
}

}  // namespace plugintest
