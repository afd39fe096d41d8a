#include "plugin/quorvane_vst.h"

#include <algorithm>
#include <cstring>

#include "engine/audio_thread.h"
#include "library/patch_library.h"
#include "params/param_convert.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "plugin/bounded_text.h"
#include "plugin/patch_work.h"

Quorvane_VST::Quorvane_VST(audioMasterCallback audioMaster, const BuildIdentity& identity)
    : AudioEffectX(audioMaster, 1, kHostParamCount), identity_(identity) {
  if (audioMaster) {
    if (identity_.isSynth) isSynth(true);
    setNumInputs(2);
    canProcessReplacing(true);
    programsAreChunks(true);
    setNumOutputs(2);
  }
  initEngine();
  suspend();  // every key released
  if (isReady()) changePatch(kChangeLibraryPatch, false);
}

Quorvane_VST::~Quorvane_VST() { engine_.setReady(false); }

bool Quorvane_VST::openLibrary() {
  dataFolder_ = platform::dataFolder();
  // No folder, or one too long for the file names inside it: never fall back to the host's
  // working folder.
  if (!dataFolder_.empty() && dataFolder_.size() <= kMaxDataFolderLength) {
    try {
      auto library = std::make_unique<PatchLibrary>(dataFolder_, platform::pathSeparator());
      if (platform::isDirectory(dataFolder_)) library_ = std::move(library);
    } catch (...) {
      library_.reset();
    }
  }
  if (library_) return true;
  platform::messageBox(nullptr, "library NOT loaded");
  return false;
}

// Start-up, in order: not ready; the data folder and the patch library (without them the
// plug-in stays silent); the parameter values at their defaults; equal temperament; the
// MIDI map list and the map's name; the nine voice contexts; the envelope gate following the
// keyboard; MIDI map 0; the defaults routed into the engine; ready. The engine's output
// stage and its single-word settings start in their rest state with the engine itself.
void Quorvane_VST::initEngine() {
  engine_.setReady(false);
  if (!openLibrary()) return;
  for (int i = 0; i < kParamRecordCount; ++i)
    paramValues_[i].store(ParamDescTable[i].defaultValue, std::memory_order_relaxed);
  engine_.setVoiceCount(0);
  noteTable_.build();
  midiMaps_.readMidiMapList();
  midiMaps_.currentMapName = "Default Map";
  midiMaps_.currentMapIndex = 0;
  if (!engine_.build(getSampleRate())) return;  // stays not ready: silence
  engine_.setMidiDispatch(dispatchHook, this);
  engine_.setBlockStart(blockStartHook, this);
  settings.keyboardGatesEnvelopes.store(1, std::memory_order_relaxed);
  midiMaps_.loadMidiMap(0);
  settings.intervalLatch.store(0, std::memory_order_relaxed);
  engine_.setBypassed(false);
  engine_.setReady(true);
  routeDefaults();
}

// The constructing thread is the only one that can reach the object now, so it stands in
// for the audio thread: every change lands in the voices at once instead of queueing.
void Quorvane_VST::routeDefaults() {
  AudioThreadScope constructing;
  for (int i = 1; i < kParamRecordCount; ++i) setParameter(i, normalisedFromPlain(i, ParamDescTable[i].defaultValue));
}

void Quorvane_VST::setSampleRate(float sampleRate) {
  if (!engine_.setSampleRate(sampleRate)) return;
  AudioEffectX::setSampleRate(sampleRate);
  clearVoiceKeys();
  publishKeys();
}

void Quorvane_VST::suspend() {
  audioRunning_.store(false, std::memory_order_release);
  engine_.setProcessing(false);
  // Values set while the last block ran and not yet routed land now.
  if (pendingRoutes_.any()) {
    routePendingParameters();
    engine_.settleWhileIdle();
  }
  releaseAllKeys();
}

void Quorvane_VST::resume() {
  AudioEffectX::resume();
  engine_.setProcessing(true);
  audioRunning_.store(true, std::memory_order_release);
}

const double* Quorvane_VST::hostMusicalPosition(double& storage) {
  const VstTimeInfo* info = getTimeInfo(kVstPpqPosValid);
  if (info == nullptr || (info->flags & kVstPpqPosValid) == 0) return nullptr;
  storage = info->ppqPos;
  return &storage;
}

void Quorvane_VST::processReplacing(float** inputs, float** outputs, int32_t sampleFrames) {
  if (!outputs || sampleFrames <= 0) return;
  const float* in1 = inputs && cEffect_.numInputs > 0 ? inputs[0] : nullptr;
  const float* in2 = inputs && cEffect_.numInputs > 1 ? inputs[1] : nullptr;
  float* out1 = cEffect_.numOutputs > 0 ? outputs[0] : nullptr;
  float* out2 = cEffect_.numOutputs > 1 ? outputs[1] : nullptr;
  double ppq = 0.0;
  blockFrames_.store(sampleFrames, std::memory_order_relaxed);
  // A patch being applied off the audio thread holds the engine: the block is silent.
  inBlock_.store(true, std::memory_order_seq_cst);
  if (changeState_.load(std::memory_order_seq_cst) & patchstate::kHold) {
    inBlock_.store(false, std::memory_order_release);
    for (float* out : {out1, out2})
      if (out) std::fill(out, out + sampleFrames, 0.0f);
    return;
  }
  playHeldProgramChange();
  engine_.processBlock(in1, in2, out1, out2, sampleFrames, hostMusicalPosition(ppq));
  if (isReady()) applyAudioProgramChange();
  publishKeys();
  inBlock_.store(false, std::memory_order_release);
}

void Quorvane_VST::playHeldProgramChange() {
  int bank = -1, program = -1;
  if (!library_ || !programHold_.takeHeld(bank, program)) return;
  if (bank >= 0) library_->audioSelectGroup(bank);
  if (program >= 0) receiveProgramChange(0, program);
}

void Quorvane_VST::getProgramName(char* name) {
  std::lock_guard<std::mutex> lock(textMutex_);
  copyBounded(name, patchName_.c_str(), kVstMaxProgNameLen - 1);
}

void Quorvane_VST::setCurrentPatchName(const char* name) {
  std::lock_guard<std::mutex> lock(textMutex_);
  patchName_ = name ? name : "";
}

bool Quorvane_VST::getEffectName(char* name) {
  copyBounded(name, identity_.effectName, kVstMaxEffectNameLen - 1);
  return true;
}

bool Quorvane_VST::getVendorString(char* text) {
  copyBounded(text, identity_.vendorString, kVstMaxVendorStrLen - 1);
  return true;
}

bool Quorvane_VST::getProductString(char* text) {
  copyBounded(text, identity_.productString, kVstMaxProductStrLen - 1);
  return true;
}

int32_t Quorvane_VST::getVendorVersion() { return identity_.vendorVersion; }

int32_t Quorvane_VST::canDo(char* text) {
  if (!text) return -1;
  return std::strcmp(text, "receiveVstEvents") == 0 || std::strcmp(text, "receiveVstMidiEvent") == 0
             ? 1
             : -1;
}
