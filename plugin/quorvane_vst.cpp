#include "plugin/quorvane_vst.h"

#include <algorithm>
#include <cstring>

#include "engine/audio_thread.h"
#include "platform/platform.h"
#include "plugin/bounded_text.h"

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
  loadStartupPatch();
}

Quorvane_VST::~Quorvane_VST() { engine_.setReady(false); }

// Start-up, in order: not ready; the data folder; the parameter values at their defaults;
// equal temperament; the MIDI map list and the map's name; the nine voice contexts; the
// envelope gate following the keyboard; MIDI map 0; ready. The engine's output stage and
// its single-word settings start in their rest state with the engine itself.
void Quorvane_VST::initEngine() {
  engine_.setReady(false);
  dataFolder_ = platform::dataFolder();
  // The patch library joins the plug-in here.
  for (int i = 0; i < kParamRecordCount; ++i)
    paramValues_[i].store(ParamDescTable[i].defaultValue, std::memory_order_relaxed);
  engine_.setVoiceCount(0);
  noteTable_.build();
  midiMaps_.readMidiMapList();
  midiMaps_.currentMapName = "Default Map";
  midiMaps_.currentMapIndex = 0;
  if (!engine_.build(getSampleRate())) return;  // stays not ready: silence
  settings.keyboardGatesEnvelopes.store(1, std::memory_order_relaxed);
  midiMaps_.loadMidiMap(0);
  settings.intervalLatch.store(0, std::memory_order_relaxed);
  engine_.setBypassed(false);
  engine_.setReady(true);
}

// The constructing thread is the only one that can reach the object now, so it stands in
// for the audio thread: every change lands in the voices at once instead of queueing.
void Quorvane_VST::loadStartupPatch() {
  AudioThreadScope constructing;
  for (int i = 1; i < kParamRecordCount; ++i)
    setParameterRealAutomated(i, ParamDescTable[i].defaultValue);
}

void Quorvane_VST::setSampleRate(float sampleRate) {
  if (!engine_.setSampleRate(sampleRate)) return;
  AudioEffectX::setSampleRate(sampleRate);
  clearVoiceKeys();
}

void Quorvane_VST::suspend() {
  engine_.setProcessing(false);
  releaseAllKeys();
}

void Quorvane_VST::resume() {
  AudioEffectX::resume();
  engine_.setProcessing(true);
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
  engine_.processBlock(in1, in2, out1, out2, sampleFrames, hostMusicalPosition(ppq));
}

void Quorvane_VST::getProgramName(char* name) {
  copyBounded(name, patchName_.c_str(), kVstMaxProgNameLen - 1);
}

void Quorvane_VST::setCurrentPatchName(const char* name) { patchName_ = name ? name : ""; }

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
