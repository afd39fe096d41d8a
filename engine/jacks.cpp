// Jack patching of one voice context. A cord between an input jack and an output jack makes
// every connection of the input jack read the output jack's module and output; removing the
// cord restores each connection's normalled source. Gains are left alone, except where a cord
// changes how a module is wired: the mixer inserts, the electronic switch's direction, the
// envelope gate jack and the VCOs' keyboard-CV jacks.
//
// A fan-out jack (the Multiple's four jacks, the envelope gate jack and the switch's three
// jacks) is an input jack and an output jack at once: a cord from it to another input jack
// uses it as an output.
#include <cstdint>

#include "engine/jack_kernel_links.h"
#include "engine/patch_voice.h"
#include "engine/voice_tables.h"

namespace {

constexpr std::uint32_t kInsert1Jack = jackCode("pl69");
constexpr std::uint32_t kInsert2Jack = jackCode("pl70");
constexpr std::uint32_t kEnvelopeGateJack = jackCode("pl24");
constexpr std::uint32_t kSwitchCJack = jackCode("pl51");

// The VCOs' keyboard-CV jacks, their rows and the VCO each row drives.
struct KeyboardCvJack {
  std::uint32_t code;
  int row;
  PatchModule* PatchVoice::*vco;
};
constexpr KeyboardCvJack kKeyboardCvJacks[] = {
    {jackCode("plg5"), 38, &PatchVoice::vco1},
    {jackCode("plg8"), 39, &PatchVoice::vco2},
    {jackCode("pl13"), 40, &PatchVoice::vco3},
};

// 0, the no-connection code and the hard-wired marker name no jack.
bool canNameJack(std::uint32_t code) {
  return code != 0 && code != kNoConnectionJack && code != kHardWiredCode;
}

bool namesInputs(const PatchVoice& voice, std::uint32_t code) {
  if (!canNameJack(code)) return false;
  for (int row = 1; row <= kNormalledRowCount; ++row) {
    const PatchInput* in = voice.normalRows[row];
    if (in != nullptr && in->code == code) return true;
  }
  return false;
}

const PatchOutput* outputJack(const PatchVoice& voice, std::uint32_t code) {
  if (!canNameJack(code)) return nullptr;
  for (const PatchOutput* out = voice.outputJacks; out != nullptr; out = out->next) {
    if (out->code == code) return out;
  }
  return nullptr;
}

// Points every connection of the jack at a source: its normalled one (jack null) or the
// module and output of an output jack.
void pointInputs(PatchVoice& voice, std::uint32_t code, const PatchOutput* jack) {
  if (!canNameJack(code)) return;
  for (int row = 1; row <= kNormalledRowCount; ++row) {
    PatchInput* in = voice.normalRows[row];
    if (in == nullptr || in->code != code) continue;
    in->source = jack != nullptr ? jack->module : in->normalSource;
    in->outputIndex = jack != nullptr ? jack->outputIndex : in->normalOutputIndex;
  }
}

void restoreInputs(PatchVoice& voice, std::uint32_t code) { pointInputs(voice, code, nullptr); }

void rampRow(PatchVoice& voice, int row, float target) { voice.rampTo(voice.normalRows[row], target); }

bool isSwitchPort(const PatchModule* m) {
  return m != nullptr &&
         (m->type == ModuleType::SwitchA || m->type == ModuleType::SwitchB || m->type == ModuleType::SwitchC);
}

// Two fan-out jacks of one module: two of the Multiple's jacks (one record), or two of the
// electronic switch's jacks (three port records working on one switch object). A cord
// between them connects nothing: patched through, the module's output would feed straight
// back into its own unity-gain input sum (the Multiple then runs away). A cord from a
// module's plain output jack into one of its plain input jacks is a feedback patch and stays.
bool joinsOneModule(const PatchOutput& a, const PatchOutput& b) {
  return a.module == b.module || (isSwitchPort(a.module) && isSwitchPort(b.module));
}

// The mixer's level of an unpatched insert returns to the level its insert row holds (the
// target, so a level still gliding there is not cut short).
void restoreMixerLevel(PatchVoice& voice, int mixerRow, int insertRow) {
  PatchInput* mixer = voice.normalRows[mixerRow];
  const PatchInput* insert = voice.normalRows[insertRow];
  if (mixer != nullptr && insert != nullptr && mixer->target != insert->target) voice.rampTo(mixer, insert->target);
}

void disconnect(PatchVoice& voice, std::uint32_t own) {
  restoreInputs(voice, own);
  if (own == kInsert1Jack) {
    voice.insert1Patched = 0;
    restoreMixerLevel(voice, row::kMixerFromVcf, row::kInsert1FromVcf);
  } else if (own == kInsert2Jack) {
    voice.insert2Patched = 0;
    restoreMixerLevel(voice, row::kMixerFromVca, row::kInsert2FromVca);
  } else if (own == kEnvelopeGateJack) {
    rampRow(voice, row::kKeyboardGateJack, 0.0f);
  }
  voice.updateKeyboardCvNormals(own, 0, false);
}

// No input/output pair: both ends return to normal.
bool connectNothing(PatchVoice& voice, std::uint32_t own, std::uint32_t peer) {
  restoreInputs(voice, own);
  restoreInputs(voice, peer);
  voice.updateKeyboardCvNormals(own, peer, false);
  return false;
}

// Sets the switch's direction: the two rows that carry the old direction close, the two of
// the new one open. Route 1 has switch C read A and B as control (evaluated first, so they
// store their inputs); route 2 has A and B read C (so C stores its input first).
void routeSwitch(PatchVoice& voice, int route, int closeRow1, int closeRow2, int openRow1, int openRow2) {
  rampRow(voice, closeRow1, 0.0f);
  rampRow(voice, closeRow2, 0.0f);
  if (voice.switchC != nullptr) setSwitchRoute(*voice.switchC, route);
  rampRow(voice, openRow1, 1.0f);
  rampRow(voice, openRow2, 1.0f);
}

// What a cord changes besides the re-pointing: the switch's direction follows switch C's
// jack (used as the output: two inputs to C; plugged into: C to two outputs), an insert cord
// takes its signal out of the mixer, a cord at the envelope gate jack opens its row.
void applyCordSideEffects(PatchVoice& voice, std::uint32_t inputSide, std::uint32_t outputSide) {
  if (outputSide == kSwitchCJack) {
    routeSwitch(voice, 1, row::kSwitchAFromC, row::kSwitchBFromC, row::kSwitchCFromA, row::kSwitchCFromB);
  } else if (inputSide == kSwitchCJack) {
    routeSwitch(voice, 2, row::kSwitchCFromA, row::kSwitchCFromB, row::kSwitchAFromC, row::kSwitchBFromC);
  }
  const auto either = [&](std::uint32_t code) { return inputSide == code || outputSide == code; };
  if (either(kInsert1Jack)) {
    voice.insert1Patched = 1;
    rampRow(voice, row::kMixerFromVcf, 0.0f);
  }
  if (either(kInsert2Jack)) {
    voice.insert2Patched = 1;
    rampRow(voice, row::kMixerFromVca, 0.0f);
  }
  if (either(kEnvelopeGateJack)) rampRow(voice, row::kKeyboardGateJack, 1.0f);
}

}  // namespace

bool PatchVoice::connectJacks(std::uint32_t own, std::uint32_t peer) {
  if (!canNameJack(own)) return false;
  invalidateSchedule();  // connections are re-pointed
  if (peer == 0 || peer == kNoConnectionJack || peer == own) {
    disconnect(*this, own);
    return false;
  }

  bool ownInputs = namesInputs(*this, own);
  bool peerInputs = namesInputs(*this, peer);
  const PatchOutput* ownOutput = outputJack(*this, own);
  const PatchOutput* peerOutput = outputJack(*this, peer);

  if (ownInputs && peerInputs) {
    // Two input jacks: a fan-out jack among them serves as the output (own first).
    if (ownOutput != nullptr && peerOutput != nullptr && joinsOneModule(*ownOutput, *peerOutput)) {
      return connectNothing(*this, own, peer);
    }
    if (ownOutput != nullptr) {
      restoreInputs(*this, own);
      ownInputs = false;
    } else if (peerOutput != nullptr) {
      restoreInputs(*this, peer);
      peerInputs = false;
    } else {
      return connectNothing(*this, own, peer);
    }
  }

  std::uint32_t inputSide = 0;
  const PatchOutput* jack = nullptr;
  if (ownInputs && peerOutput != nullptr) {
    inputSide = own;
    jack = peerOutput;
  } else if (peerInputs && ownOutput != nullptr) {
    inputSide = peer;
    jack = ownOutput;
  } else {
    return connectNothing(*this, own, peer);
  }
  applyCordSideEffects(*this, inputSide, jack->code);
  pointInputs(*this, inputSide, jack);
  updateKeyboardCvNormals(own, peer, true);
  return true;
}

void PatchVoice::updateKeyboardCvNormals(std::uint32_t own, std::uint32_t peer, bool connected) {
  for (const KeyboardCvJack& jack : kKeyboardCvJacks) {
    if (own != jack.code && peer != jack.code) continue;
    if (connected) {
      rampRow(*this, jack.row, 1.0f);
    } else if (const PatchModule* vco = this->*jack.vco; vco != nullptr && vcoKeyboardMode(*vco) == 2) {
      rampRow(*this, jack.row, 0.0f);
    }
    return;
  }
}
