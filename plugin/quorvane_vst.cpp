#include "plugin/quorvane_vst.h"

#include <algorithm>
#include <cstring>

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
  applyDefaultValues();
}

Quorvane_VST::~Quorvane_VST() { ready_.store(false, std::memory_order_release); }

// Start-up: the data folder, the parameter values at their defaults, then ready.
void Quorvane_VST::initEngine() {
  ready_.store(false, std::memory_order_release);
  dataFolder_ = platform::dataFolder();
  for (int i = 0; i < kParamRecordCount; ++i)
    paramValues_[i].store(ParamDescTable[i].defaultValue, std::memory_order_relaxed);
  ready_.store(true, std::memory_order_release);
}

// Every parameter takes its default through the road a patch takes, so the plug-in's own
// fields and the engine agree with the stored values.
void Quorvane_VST::applyDefaultValues() {
  for (int i = 1; i < kParamRecordCount; ++i)
    setParameterRealAutomated(i, ParamDescTable[i].defaultValue);
}

void Quorvane_VST::processReplacing(float** inputs, float** outputs, int32_t sampleFrames) {
  if (!outputs || sampleFrames <= 0) return;
  if (!isReady() || settings.bypassed.load(std::memory_order_relaxed) != 0) {
    writeSilence(outputs, sampleFrames);
    return;
  }
  renderBlock(inputs, outputs, sampleFrames);
}

// The voice contexts render here; with none built the block is silence.
void Quorvane_VST::renderBlock(float**, float** outputs, int32_t sampleFrames) {
  writeSilence(outputs, sampleFrames);
}

void Quorvane_VST::writeSilence(float** outputs, int32_t sampleFrames) {
  for (int32_t c = 0; c < cEffect_.numOutputs; ++c)
    if (outputs[c]) std::fill_n(outputs[c], sampleFrames, 0.0f);
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
