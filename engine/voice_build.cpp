// Builds a voice context's module graph from the voice tables: module records, normalled
// connections and output jacks. All nine voice contexts are built alike, so every context has
// the same module indexes, the same connections in the same order and the same jacks.
#include "engine/patch_voice.h"
#include "engine/sample_rate.h"
#include "engine/voice_tables.h"

namespace {

// Stores the host rate the voice runs at and returns it in whole hertz (the one place the
// build stores the rate).
int storeVoiceRate(PatchVoice& voice, float hostRate) {
  const int rate = wholeHertzRate(hostRate);
  if (rate != 0) voice.setSampleRate(rate);
  return voice.sampleRate();
}

// Creates every shared module SharedModules does not hold yet, in creation order. The
// building voice's ramp list moves the gains their objects embed.
void createSharedModules(SharedModules& shared, PatchVoice& buildingVoice) {
  for (int index : kSharedCreationOrder) {
    const VoiceModuleSpec& spec = kVoiceModules[index];
    PatchModule*& slot = shared.*spec.shared;
    if (slot == nullptr) slot = SharedModules::create(spec.name, spec.type, buildingVoice, spec.argument);
  }
}

PatchModule* makeRecord(PatchVoice& voice, const VoiceModuleSpec& spec, const SharedModules& shared) {
  if (spec.shared != nullptr) return voice.wrapSharedModule(*(shared.*spec.shared), spec.name, spec.type);
  if (spec.objectOwner >= 0) return voice.newModuleOver(spec.name, spec.type, *voice.modules[spec.objectOwner]);
  return voice.newModule(spec.name, spec.type, spec.argument);
}

bool makeNormalledRow(PatchVoice& voice, int row) {
  const NormalledRowSpec& spec = kNormalledRows[row - 1];
  PatchInput* in = voice.newInput(spec.gain, spec.outputIndex);
  in->code = spec.code;
  setNormalSource(*in, voice.modules[spec.source], spec.outputIndex);
  voice.normalRows[row] = in;
  PatchModule& destination = *voice.modules[spec.destination];
  return spec.kind == InputKind::Control ? appendControlInput(destination, in) : appendAudioInput(destination, in);
}

}  // namespace

bool PatchVoice::build(float sampleRate, SharedModules& shared) {
  if (moduleCount != 0) return false;
  const int rate = storeVoiceRate(*this, sampleRate);
  insert1Patched = 0;
  insert2Patched = 0;
  rampRate.store(normalRampRate(rate));

  if (shared.noise == nullptr) shared.setSampleRate(rate);
  createSharedModules(shared, *this);  // the first build only; later builds find them made
  buildingOwnInputs_ = true;
  struct OwnInputsEnd {
    bool& flag;
    ~OwnInputsEnd() { flag = false; }
  } ownInputsEnd{buildingOwnInputs_};
  for (const VoiceModuleSpec& spec : kVoiceModules) {
    PatchModule* m = makeRecord(*this, spec, shared);
    if (m == nullptr) return false;
    this->*spec.role = m;
  }
  ownModuleCount = kVoiceOwnModuleCount;

  for (int row = 1; row <= kNormalledRowCount; ++row) {
    if (!makeNormalledRow(*this, row)) return false;
  }
  for (const OutputJackSpec& jack : kOutputJacks) newOutput(jack.code, jack.outputIndex, modules[jack.module]);
  return true;
}
