// The shape of every voice context: its 44 module records in index order, its 69 normalled
// connections in creation order and its 42 output jacks. Constant data, read by the build
// (voice_build.cpp) and by jack patching (jacks.cpp). Any thread.
#pragma once

#include <cstdint>

#include "engine/module_types.h"
#include "engine/patch_module.h"
#include "engine/patch_voice.h"

// A jack code from its four characters in reading order: jackCode("pl18").
constexpr std::uint32_t jackCode(const char (&text)[5]) { return fourCharCode(text); }

// The code of jack index 0, no connection: a cord to it removes the cord.
inline constexpr std::uint32_t kNoConnectionJack = jackCode("noco");

// Module indexes of a built voice.
enum VoiceModuleIndex : int {
  kModOutput = 0,
  kModVco1,
  kModVco2,
  kModVco2Pw,
  kModVco3,
  kModAdsr1,
  kModAr1,
  kModAdsrTrigger1,
  kModArTrigger1,
  kModVcf1,
  kModVca1,
  kModVca1Expl,
  kModRingModulator,
  kModRingModulatorInA,
  kModRingModulatorInB,
  kModMixer1,
  kModInsert1,
  kModInsert2,
  kModMultiple1,
  kModSwitchA,
  kModSwitchB,
  kModSwitchC,
  kModEnvelopeFollower1,
  kModKeyboardLowerCv,
  kModKeyboardUpperCv,
  kModKeyboardGate,
  kModEnvelopeGate,
  kModKeyboardTrigger,
  kModInverter1,
  kModInverter2,
  kModLagProcessor,
  kModSampleAndHold,
  kModKeyboardLfo,  // first record over a shared object
  kModPlus10Volts,
  kModMinus10Volts,
  kModZeroVolts,
  kModAudioIn1,
  kModAudioIn2,
  kModPanControl1,
  kModNoiseGenerator,
  kModInternalClock1,
  kModReverb1,
  kModLeftInput,
  kModRightInput,
};

inline constexpr int kVoiceModuleCount = 44;
// Records 0..31 are the voice's own modules; 32..43 are records over the shared objects.
inline constexpr int kVoiceOwnModuleCount = 32;
inline constexpr int kSharedModuleCount = 12;

// One module record of a voice.
struct VoiceModuleSpec {
  const char* name;  // exact record name
  ModuleType type;
  int argument;       // passed to the type's create: VCO number, constant voltage, else 0
  int objectOwner;    // index of the record whose DSP object this record uses, or -1
  PatchModule* PatchVoice::*role;          // where the voice keeps the record
  PatchModule* SharedModules::*shared;     // the shared record it wraps, or null
};

// Records 0..43 in index order.
extern const VoiceModuleSpec kVoiceModules[kVoiceModuleCount];

// The order in which the first build creates the shared objects (module indexes).
extern const int kSharedCreationOrder[kSharedModuleCount];

// Which input list of the destination a normalled connection joins.
enum class InputKind : std::uint8_t { Control, Audio };

// One normalled connection: destination module, input kind, jack code (kHardWiredCode for a
// connection no cord replaces), source module and output index, gain at creation.
struct NormalledRowSpec {
  int destination;
  InputKind kind;
  std::uint32_t code;
  int source;
  int outputIndex;
  float gain;
};

// Rows 1..69 at entries 0..68; each module's inputs are appended in this order.
extern const NormalledRowSpec kNormalledRows[kNormalledRowCount];

// Row numbers (PatchVoice::normalRows) that jack patching, parameter routing, note handling
// and patch changes act on by name.
namespace row {
inline constexpr int kMixerFromVcf = 14;        // pl32 into Mixer 1
inline constexpr int kMixerFromVca = 15;        // pl33 into Mixer 1
inline constexpr int kInsert1FromVcf = 16;      // pl32 into Insert 1: holds the mixer's VCF level
inline constexpr int kInsert2FromVca = 17;      // pl33 into Insert2: holds the mixer's VCA level
inline constexpr int kMixerToReverb = 18;
inline constexpr int kMixerToOutput = 19;
inline constexpr int kVco1KeyboardCv = 38;      // VCO 2 and VCO 3 follow at 39 and 40
inline constexpr int kSwitchCFromA = 58;
inline constexpr int kSwitchCFromB = 59;
inline constexpr int kSwitchAFromC = 60;
inline constexpr int kSwitchBFromC = 61;
inline constexpr int kEnvelopeGateFromKeyboard = 64;
inline constexpr int kKeyboardGateJack = 65;    // pl24 into Keyboard Gate
inline constexpr int kEnvelopeGateFromLfo = 66;
inline constexpr int kEnvelopeGateFromClock = 67;
}  // namespace row

// One output jack: what a cord plugged there reads.
struct OutputJackSpec {
  std::uint32_t code;
  int module;
  int outputIndex;
};

inline constexpr int kOutputJackCount = 42;
extern const OutputJackSpec kOutputJacks[kOutputJackCount];
