// The module records, normalled connections and output jacks of a voice context.
#include "engine/voice_tables.h"

namespace {

using T = ModuleType;
using V = PatchVoice;
using S = SharedModules;

constexpr InputKind C = InputKind::Control;
constexpr InputKind A = InputKind::Audio;
constexpr std::uint32_t kNone = kHardWiredCode;

}  // namespace

const VoiceModuleSpec kVoiceModules[kVoiceModuleCount] = {
    {"OUTPUT", T::Output, 0, -1, &V::output, nullptr},
    {"VCO 1", T::Vco, 1, -1, &V::vco1, nullptr},
    {"VCO 2", T::Vco, 2, -1, &V::vco2, nullptr},
    {"VCO2 PW", T::VcoPulseWidth, 0, kModVco2, &V::vco2Pw, nullptr},
    {"VCO 3", T::Vco, 3, -1, &V::vco3, nullptr},
    {"ADSR 1", T::Adsr, 0, -1, &V::adsr1, nullptr},
    {"AR 1", T::Ar, 0, -1, &V::ar1, nullptr},
    {"ADSR Trigger1", T::AdsrTrigger, 0, kModAdsr1, &V::adsrTrigger1, nullptr},
    {"AR Trigger 1", T::ArTrigger, 0, kModAr1, &V::arTrigger1, nullptr},
    {"VCF 1", T::Vcf, 0, -1, &V::vcf1, nullptr},
    {"VCA 1", T::Vca, 0, -1, &V::vca1, nullptr},
    {"VCA 1 Expl", T::VcaExpl, 0, kModVca1, &V::vca1Expl, nullptr},
    {"Ring Modulator", T::RingModulator, 0, -1, &V::ringModulator, nullptr},
    {"Ring Modulator In A", T::RingModulatorInA, 0, kModRingModulator, &V::ringModulatorInA, nullptr},
    {"Ring Modulator In B", T::RingModulatorInB, 0, kModRingModulator, &V::ringModulatorInB, nullptr},
    {"Mixer 1", T::Mixer, 0, -1, &V::mixer1, nullptr},
    {"Insert 1", T::Insert, 0, -1, &V::insert1, nullptr},
    {"Insert2", T::Insert, 0, -1, &V::insert2, nullptr},
    {"Multiple 1", T::Multiple, 0, -1, &V::multiple1, nullptr},
    {"Electronic Switch 1", T::SwitchA, 0, -1, &V::switchA, nullptr},
    {"Electronic Switch 1", T::SwitchB, 0, kModSwitchA, &V::switchB, nullptr},
    {"Electronic Switch 1", T::SwitchC, 0, kModSwitchA, &V::switchC, nullptr},
    {"Envelope Follower 1", T::EnvelopeFollower, 0, -1, &V::envelopeFollower1, nullptr},
    {"Keyboard Lower CV", T::KeyboardCv, 0, -1, &V::keyboardLowerCv, nullptr},
    {"Keyboard Upper CV", T::KeyboardCv, 0, -1, &V::keyboardUpperCv, nullptr},
    {"Keyboard Gate", T::KeyboardGate, 0, -1, &V::keyboardGate, nullptr},
    {"Envelope Gate", T::EnvelopeGate, 0, -1, &V::envelopeGate, nullptr},
    {"Keyboard Trigger", T::KeyboardTrigger, 0, -1, &V::keyboardTrigger, nullptr},
    {"Inverter 1", T::Inverter, 0, -1, &V::inverter1, nullptr},
    {"Inverter 2", T::Inverter, 0, -1, &V::inverter2, nullptr},
    {"Lag Processor", T::Lag, 0, -1, &V::lagProcessor, nullptr},
    {"Sample and Hold", T::SampleAndHold, 0, -1, &V::sampleAndHold, nullptr},
    {"Keyboard LFO", T::KeyboardLfo, 0, -1, &V::keyboardLfo, &S::keyboardLfo},
    {"Plus 10 Volts", T::Constant, 10, -1, &V::plus10Volts, &S::plus10Volts},
    {"Minus 10 Volts", T::Constant, -10, -1, &V::minus10Volts, &S::minus10Volts},
    {"Zero 0 Volts", T::Constant, 0, -1, &V::zeroVolts, &S::zeroVolts},
    {"Audio In 1", T::AudioIn, 0, -1, &V::audioIn1, &S::audioIn1},
    {"Audio In 2", T::AudioIn, 0, -1, &V::audioIn2, &S::audioIn2},
    {"Pan Control 1", T::Pan, 0, -1, &V::panControl1, &S::pan},
    {"Noise Generator", T::Noise, 0, -1, &V::noiseGenerator, &S::noise},
    {"Interal Clock 1", T::Clock, 0, -1, &V::internalClock1, &S::clock},
    {"Reverb 1", T::Reverb, 0, -1, &V::reverb1, &S::reverb},
    {"Left Input", T::InputBus, 0, -1, &V::leftInput, &S::leftInput},
    {"Right Input", T::InputBus, 0, -1, &V::rightInput, &S::rightInput},
};

const int kSharedCreationOrder[kSharedModuleCount] = {
    kModPlus10Volts, kModMinus10Volts, kModZeroVolts, kModKeyboardLfo,
    kModAudioIn1,    kModAudioIn2,     kModPanControl1, kModNoiseGenerator,
    kModInternalClock1, kModReverb1,   kModLeftInput,  kModRightInput,
};

// Output indexes: VCO 1 sine, 2 sawtooth, 4 and 6 pulse, 5 triangle; keyboard LFO 1 sine,
// 4 square, 5 triangle; every other module 0.
const NormalledRowSpec kNormalledRows[kNormalledRowCount] = {
    {kModVcf1, A, jackCode("pl18"), kModVco1, 4, 0.0f},                        // 1
    {kModVcf1, A, jackCode("pl19"), kModVco2, 6, 0.0f},                        // 2
    {kModVcf1, A, jackCode("pl20"), kModVco3, 2, 0.0f},                        // 3
    {kModVcf1, A, jackCode("pl21"), kModNoiseGenerator, 0, 0.0f},              // 4
    {kModVcf1, A, jackCode("pl17"), kModRingModulator, 0, 0.0f},               // 5
    {kModSampleAndHold, A, jackCode("pl49"), kModNoiseGenerator, 0, 0.0f},     // 6
    {kModRingModulatorInA, A, jackCode("plg2"), kModVco1, 2, 0.0f},            // 7
    {kModRingModulatorInB, A, jackCode("plg3"), kModVco2, 1, 0.0f},            // 8
    {kModRingModulator, A, kNone, kModRingModulatorInA, 0, 1.0f},              // 9
    {kModRingModulator, A, kNone, kModRingModulatorInB, 0, 1.0f},              // 10
    {kModVca1, A, jackCode("pl28"), kModVcf1, 0, 0.0f},                        // 11
    {kModVca1, A, jackCode("pl29"), kModRingModulator, 0, 0.0f},               // 12
    {kModEnvelopeFollower1, A, jackCode("plg1"), kModAudioIn1, 0, 0.0f},       // 13
    {kModMixer1, A, jackCode("pl32"), kModVcf1, 0, 0.0f},                      // 14
    {kModMixer1, A, jackCode("pl33"), kModVca1, 0, 0.0f},                      // 15
    {kModInsert1, A, jackCode("pl32"), kModVcf1, 0, 0.0f},                     // 16
    {kModInsert2, A, jackCode("pl33"), kModVca1, 0, 0.0f},                     // 17
    {kModReverb1, A, jackCode("pl34"), kModMixer1, 0, 1.0f},                   // 18
    {kModOutput, A, jackCode("pl72"), kModMixer1, 0, 1.0f},                    // 19
    {kModLeftInput, A, jackCode("pl71"), kModZeroVolts, 0, 1.0f},              // 20
    {kModRightInput, A, jackCode("pl75"), kModZeroVolts, 0, 1.0f},             // 21
    {kModMultiple1, A, jackCode("mlt1"), kModZeroVolts, 0, 1.0f},              // 22
    {kModMultiple1, A, jackCode("mlt2"), kModZeroVolts, 0, 1.0f},              // 23
    {kModMultiple1, A, jackCode("mlt3"), kModZeroVolts, 0, 1.0f},              // 24
    {kModMultiple1, A, jackCode("mlt4"), kModZeroVolts, 0, 1.0f},              // 25
    {kModSwitchA, A, jackCode("pl50"), kModZeroVolts, 0, 1.0f},                // 26
    {kModSwitchB, A, jackCode("pl52"), kModZeroVolts, 0, 1.0f},                // 27
    {kModSwitchC, A, jackCode("pl51"), kModZeroVolts, 0, 1.0f},                // 28
    {kModInverter1, A, jackCode("pl36"), kModMinus10Volts, 0, 1.0f},           // 29
    {kModInverter1, A, jackCode("pl37"), kModKeyboardLowerCv, 0, 1.0f},        // 30
    {kModInverter1, A, jackCode("pl40"), kModZeroVolts, 0, 1.0f},              // 31
    {kModInverter1, A, jackCode("pl41"), kModZeroVolts, 0, 1.0f},              // 32
    {kModInverter2, A, jackCode("pl38"), kModPlus10Volts, 0, 1.0f},            // 33
    {kModInverter2, A, jackCode("pl42"), kModZeroVolts, 0, 1.0f},              // 34
    {kModLagProcessor, A, jackCode("pl39"), kModEnvelopeFollower1, 0, 1.0f},   // 35
    {kModVcf1, C, jackCode("pl25"), kModVco2, 1, 0.0f},                        // 36
    {kModVcf1, C, jackCode("pl22"), kModKeyboardLowerCv, 0, 1.0f},             // 37
    {kModVco1, C, jackCode("plg5"), kModKeyboardLowerCv, 0, 1.0f},             // 38
    {kModVco2, C, jackCode("plg8"), kModKeyboardLowerCv, 0, 1.0f},             // 39
    {kModVco3, C, jackCode("pl13"), kModKeyboardLowerCv, 0, 1.0f},             // 40
    {kModVcf1, C, jackCode("pl23"), kModAdsr1, 0, 0.0f},                       // 41
    {kModVco1, C, jackCode("plg6"), kModAdsr1, 0, 0.0f},                       // 42
    {kModVco2, C, jackCode("pl10"), kModAdsr1, 0, 0.0f},                       // 43
    {kModVco3, C, jackCode("pl15"), kModAdsr1, 0, 0.0f},                       // 44
    {kModVco3, C, jackCode("pl14"), kModNoiseGenerator, 0, 0.0f},              // 45
    {kModVco1, C, jackCode("plg7"), kModVco2, 1, 0.0f},                        // 46
    {kModVco3, C, jackCode("pl16"), kModVco2, 1, 0.0f},                        // 47
    {kModVco2, C, jackCode("pl11"), kModVco1, 4, 0.0f},                        // 48
    {kModVco1, C, jackCode("plg4"), kModSampleAndHold, 0, 0.0f},               // 49
    {kModVco2, C, jackCode("plg9"), kModSampleAndHold, 0, 0.0f},               // 50
    {kModVco2Pw, C, jackCode("pl12"), kModNoiseGenerator, 0, 0.0f},            // 51
    {kModVco2, C, kNone, kModVco2Pw, 0, 1.0f},                                 // 52
    // The envelopes reach the amplifier as control voltages: the AR sets VCA 1's linear
    // gain, the ADSR its exponential gain through the VCA 1 Expl record over the same
    // object, which row 55 evaluates every sample (it adds nothing to the audio).
    {kModVca1, C, jackCode("pl31"), kModAr1, 0, 0.0f},                         // 53
    {kModVca1Expl, C, jackCode("pl30"), kModAdsr1, 0, 0.0f},                   // 54
    {kModVca1, A, kNone, kModVca1Expl, 0, 1.0f},                               // 55
    {kModSampleAndHold, C, jackCode("pl46"), kModInternalClock1, 0, 1.0f},     // 56
    {kModSwitchC, C, kNone, kModInternalClock1, 0, 1.0f},                      // 57
    {kModSwitchC, C, kNone, kModSwitchA, 0, 0.0f},                             // 58
    {kModSwitchC, C, kNone, kModSwitchB, 0, 0.0f},                             // 59
    {kModSwitchA, A, kNone, kModSwitchC, 0, 0.0f},                             // 60
    {kModSwitchB, A, kNone, kModSwitchC, 0, 0.0f},                             // 61
    {kModAr1, C, kNone, kModEnvelopeGate, 0, 1.0f},                            // 62
    {kModAdsr1, C, kNone, kModEnvelopeGate, 0, 1.0f},                          // 63
    {kModEnvelopeGate, C, kNone, kModKeyboardGate, 0, 1.0f},                   // 64
    {kModKeyboardGate, C, jackCode("pl24"), kModZeroVolts, 0, 0.0f},           // 65
    {kModEnvelopeGate, C, kNone, kModKeyboardLfo, 4, 0.0f},                    // 66
    {kModEnvelopeGate, C, jackCode("pl26"), kModInternalClock1, 0, 0.0f},      // 67
    {kModKeyboardLowerCv, C, jackCode("elfo"), kModKeyboardLfo, 1, 0.0f},      // 68
    {kModKeyboardUpperCv, C, jackCode("elfo"), kModKeyboardLfo, 1, 0.0f},      // 69
};

const OutputJackSpec kOutputJacks[kOutputJackCount] = {
    {jackCode("pl58"), kModVco1, 2},
    {jackCode("pl57"), kModVco1, 4},
    {jackCode("v1si"), kModVco1, 1},
    {jackCode("pl60"), kModVco2, 5},
    {jackCode("pl59"), kModVco2, 1},
    {jackCode("pl62"), kModVco2, 2},
    {jackCode("pl61"), kModVco2, 6},
    {jackCode("pl64"), kModVco3, 2},
    {jackCode("pl63"), kModVco3, 6},
    {jackCode("v3si"), kModVco3, 1},
    {jackCode("pl54"), kModAudioIn1, 0},
    {jackCode("pl53"), kModAudioIn2, 0},
    {jackCode("pl56"), kModRingModulator, 0},
    {jackCode("pl65"), kModVcf1, 0},
    {jackCode("pl67"), kModAdsr1, 0},
    {jackCode("pl66"), kModAr1, 0},
    {jackCode("pl68"), kModVca1, 0},
    {jackCode("pl35"), kModNoiseGenerator, 0},
    {jackCode("pl50"), kModSwitchA, 0},
    {jackCode("pl51"), kModSwitchC, 0},
    {jackCode("pl47"), kModSampleAndHold, 0},
    {jackCode("pl55"), kModEnvelopeFollower1, 0},
    {jackCode("pl69"), kModInsert1, 0},
    {jackCode("pl70"), kModInsert2, 0},
    {jackCode("pl45"), kModInverter1, 0},
    {jackCode("pl44"), kModInverter2, 0},
    {jackCode("pl43"), kModLagProcessor, 0},
    {jackCode("kbcv"), kModKeyboardLowerCv, 0},
    {jackCode("ucv2"), kModKeyboardUpperCv, 0},
    {jackCode("ucv1"), kModKeyboardUpperCv, 0},
    {jackCode("pl24"), kModEnvelopeGate, 0},
    {jackCode("pl27"), kModKeyboardTrigger, 0},
    {jackCode("pl48"), kModInternalClock1, 0},
    {jackCode("lfo1"), kModKeyboardLfo, 5},
    {jackCode("lfo2"), kModKeyboardLfo, 4},
    {jackCode("lfo3"), kModKeyboardLfo, 1},
    {jackCode("pl76"), kModReverb1, 0},
    {jackCode("mlt1"), kModMultiple1, 0},
    {jackCode("mlt2"), kModMultiple1, 0},
    {jackCode("mlt3"), kModMultiple1, 0},
    {jackCode("mlt4"), kModMultiple1, 0},
    {jackCode("pl52"), kModSwitchB, 0},
};
