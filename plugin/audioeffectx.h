// The VST 2.x half of the frame: the extension opcodes and host-callback wrappers.
#pragma once

#include "plugin/audioeffect.h"

class AudioEffectX : public AudioEffect {
 public:
  AudioEffectX(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams)
      : AudioEffect(audioMaster, numPrograms, numParams) {}
  ~AudioEffectX() override = default;

  intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) override;
  // Asks the host for MIDI events when this is a synth or answers 1 to "receiveVstMidiEvent".
  void resume() override;

  virtual bool canParameterBeAutomated(int32_t) { return true; }
  virtual bool string2parameter(int32_t, char*) { return false; }
  virtual bool getParameterProperties(int32_t, VstParameterProperties*) { return false; }
  virtual bool beginEdit(int32_t index) { return callHost(audioMasterBeginEdit, index) != 0; }
  virtual bool endEdit(int32_t index) { return callHost(audioMasterEndEdit, index) != 0; }
  virtual bool getProgramNameIndexed(int32_t, int32_t, char*) { return false; }
  virtual bool beginSetProgram() { return false; }
  virtual bool endSetProgram() { return false; }
  virtual int32_t beginLoadBank(VstPatchChunkInfo*) { return 0; }
  virtual int32_t beginLoadProgram(VstPatchChunkInfo*) { return 0; }
  virtual bool ioChanged() { return callHost(audioMasterIOChanged) != 0; }
  virtual double updateSampleRate();
  virtual int32_t updateBlockSize();
  virtual int32_t getInputLatency() { return static_cast<int32_t>(callHost(audioMasterGetInputLatency)); }
  virtual int32_t getOutputLatency() { return static_cast<int32_t>(callHost(audioMasterGetOutputLatency)); }
  virtual bool getInputProperties(int32_t, VstPinProperties*) { return false; }
  virtual bool getOutputProperties(int32_t, VstPinProperties*) { return false; }
  virtual bool setSpeakerArrangement(VstSpeakerArrangement*, VstSpeakerArrangement*) { return false; }
  virtual bool getSpeakerArrangement(VstSpeakerArrangement** in, VstSpeakerArrangement** out) {
    *in = nullptr;
    *out = nullptr;
    return false;
  }
  virtual bool setBypass(bool) { return false; }
  virtual bool setPanLaw(int32_t, float) { return false; }
  virtual bool setProcessPrecision(int32_t) { return false; }
  virtual int32_t getNumMidiInputChannels() { return 0; }
  virtual int32_t getNumMidiOutputChannels() { return 0; }
  virtual VstTimeInfo* getTimeInfo(int32_t filter) {
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
  }
  virtual int32_t getCurrentProcessLevel() { return static_cast<int32_t>(callHost(audioMasterGetCurrentProcessLevel)); }
  virtual int32_t getAutomationState() { return static_cast<int32_t>(callHost(audioMasterGetAutomationState)); }
  virtual int32_t processEvents(VstEvents*) { return 0; }
  virtual int32_t startProcess() { return 0; }
  virtual int32_t stopProcess() { return 0; }
  virtual bool processVariableIo(VstVariableIo*) { return false; }
  virtual int32_t setTotalSampleToProcess(int32_t value) { return value; }
  virtual bool getHostVendorString(char* text) { return callHost(audioMasterGetVendorString, 0, 0, text) != 0; }
  virtual bool getHostProductString(char* text) { return callHost(audioMasterGetProductString, 0, 0, text) != 0; }
  virtual int32_t getHostVendorVersion() { return static_cast<int32_t>(callHost(audioMasterGetVendorVersion)); }
  virtual intptr_t hostVendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) {
    return callHost(audioMasterVendorSpecific, index, value, ptr, opt);
  }
  virtual bool canHostDo(char* text) { return callHost(audioMasterCanDo, 0, 0, text) != 0; }
  virtual int32_t getHostLanguage() { return static_cast<int32_t>(callHost(audioMasterGetLanguage)); }
  virtual void isSynth(bool state) { setFlag(effFlagsIsSynth, state); }
  virtual void noTail(bool state) { setFlag(effFlagsNoSoundInStop, state); }
  virtual int32_t getGetTailSize() { return 0; }
  virtual void* getDirectory() { return reinterpret_cast<void*>(callHost(audioMasterGetDirectory)); }
  virtual bool getEffectName(char*) { return false; }
  virtual bool getVendorString(char*) { return false; }
  virtual bool getProductString(char*) { return false; }
  virtual int32_t getVendorVersion() { return 0; }
  virtual intptr_t vendorSpecific(int32_t, intptr_t, void*, float) { return 0; }
  virtual int32_t canDo(char*) { return 0; }
  virtual int32_t getVstVersion() { return 2400; }
  virtual int32_t getPlugCategory() { return (cEffect_.flags & effFlagsIsSynth) ? 2 : 0; }
  virtual int32_t getMidiProgramName(int32_t, MidiProgramName*) { return 0; }
  virtual int32_t getCurrentMidiProgram(int32_t, MidiProgramName*) { return -1; }
  virtual int32_t getMidiProgramCategory(int32_t, MidiProgramCategory*) { return 0; }
  virtual bool hasMidiProgramsChanged(int32_t) { return false; }
  virtual bool getMidiKeyName(int32_t, MidiKeyName*) { return false; }
  virtual bool updateDisplay() { return callHost(audioMasterUpdateDisplay) != 0; }
  virtual bool sizeWindow(int32_t width, int32_t height) {
    return callHost(audioMasterSizeWindow, width, height) != 0;
  }
  virtual bool openFileSelector(VstFileSelect* select) {
    return callHost(audioMasterOpenFileSelector, 0, 0, select) != 0;
  }
  virtual bool closeFileSelector(VstFileSelect* select) {
    return callHost(audioMasterCloseFileSelector, 0, 0, select) != 0;
  }
  virtual int32_t getNextShellPlugin(char*) { return 0; }
  virtual bool allocateArrangement(VstSpeakerArrangement** arrangement, int32_t channels);
  virtual bool deallocateArrangement(VstSpeakerArrangement** arrangement);
  virtual bool copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from);
  virtual bool matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from);
  virtual bool offlineRead(VstOfflineTask* task, int32_t option, bool readSource) {
    return callHost(audioMasterOfflineRead, readSource, option, task) != 0;
  }
  virtual bool offlineWrite(VstOfflineTask* task, int32_t option) {
    return callHost(audioMasterOfflineWrite, 0, option, task) != 0;
  }
  virtual bool offlineStart(VstAudioFile* files, int32_t numAudioFiles, int32_t numNewAudioFiles) {
    return callHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, files) != 0;
  }
  virtual int32_t offlineGetCurrentPass() { return callHost(audioMasterOfflineGetCurrentPass) != 0; }
  virtual int32_t offlineGetCurrentMetaPass() { return callHost(audioMasterOfflineGetCurrentMetaPass) != 0; }
  virtual bool offlineNotify(VstAudioFile*, int32_t, bool) { return false; }
  virtual bool offlinePrepare(VstOfflineTask*, int32_t) { return false; }
  virtual bool offlineRun(VstOfflineTask*, int32_t) { return false; }
  virtual int32_t offlineGetNumPasses() { return 0; }
  virtual int32_t offlineGetNumMetaPasses() { return 0; }
  virtual int32_t wantEvents(int32_t filter = 1) {
    return static_cast<int32_t>(callHost(audioMasterWantMidi, 0, filter));
  }
  virtual int32_t tempoAt(int32_t position) {
    return static_cast<int32_t>(callHost(audioMasterTempoAt, 0, position));
  }
  virtual int32_t getNumAutomatableParameters() {
    return static_cast<int32_t>(callHost(audioMasterGetNumAutomatableParameters));
  }
  virtual int32_t getParameterQuantization() {
    return static_cast<int32_t>(callHost(audioMasterGetParameterQuantization));
  }
  virtual int32_t getNumCategories() { return 1; }
  virtual bool copyProgram(int32_t) { return false; }
  virtual bool needIdle() { return callHost(audioMasterNeedIdle) != 0; }
  virtual AEffect* getPreviousPlug(int32_t input) {
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug, 0, input));
  }
  virtual AEffect* getNextPlug(int32_t output) {
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug, 0, output));
  }
  virtual void inputConnected(int32_t, bool) {}
  virtual void outputConnected(int32_t, bool) {}
  virtual int32_t willProcessReplacing() {
    return static_cast<int32_t>(callHost(audioMasterWillReplaceOrAccumulate));
  }
  virtual void wantAsyncOperation(bool state) { setFlag(effFlagsExtIsAsync, state); }
  virtual void hasExternalBuffer(bool state) { setFlag(effFlagsExtHasBuffer, state); }
  virtual int32_t reportCurrentPosition() { return 0; }
  virtual float* reportDestinationBuffer() { return nullptr; }
  virtual int32_t setOutputSamplerate(float rate) {
    return static_cast<int32_t>(callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, rate));
  }
  virtual VstSpeakerArrangement* getInputSpeakerArrangement() {
    return reinterpret_cast<VstSpeakerArrangement*>(callHost(audioMasterGetInputSpeakerArrangement));
  }
  virtual VstSpeakerArrangement* getOutputSpeakerArrangement() {
    return reinterpret_cast<VstSpeakerArrangement*>(callHost(audioMasterGetOutputSpeakerArrangement));
  }
  virtual void* openWindow(void* window) {
    return reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window));
  }
  virtual bool closeWindow(void* window) { return callHost(audioMasterCloseWindow, 0, 0, window) != 0; }
  virtual void setBlockSizeAndSampleRate(int32_t blockSize, float sampleRate) {
    blockSize_ = blockSize;
    sampleRate_ = sampleRate;
  }
  virtual bool getErrorText(char*) { return false; }
  virtual void* getIcon() { return nullptr; }
  virtual bool setViewPosition(int32_t, int32_t) { return false; }
  virtual int32_t fxIdle() { return 0; }
  virtual bool keysRequired() { return false; }
  virtual bool getChunkFile(void* path) { return callHost(audioMasterGetChunkFile, 0, 0, path) != 0; }
};
