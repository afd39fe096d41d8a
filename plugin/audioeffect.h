// The VST 2.0 half of the frame: holds the effect record the host sees, turns the host's
// calls on it into virtual operations and wraps the host callback. The dispatcher and the
// trampolines run on whichever thread the host uses; derived classes decide what is safe.
#pragma once

#include <cstdint>

#include "plugin/aeffeditor.h"
#include "vst/aeffect.h"

class AudioEffect {
 public:
  AudioEffect(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams);
  virtual ~AudioEffect();

  virtual intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
  virtual void open() {}
  virtual void close() {}
  virtual void suspend() {}
  virtual void resume() {}
  virtual void setSampleRate(float sampleRate) { sampleRate_ = sampleRate; }
  virtual void setBlockSize(int32_t blockSize) { blockSize_ = blockSize; }
  virtual void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) = 0;
  virtual void processDoubleReplacing(double**, double**, int32_t) {}
  virtual void setParameter(int32_t, float) {}
  virtual float getParameter(int32_t) { return 0; }
  virtual void setParameterAutomated(int32_t index, float value);
  virtual int32_t getProgram() { return curProgram_; }
  virtual void setProgram(int32_t program) { curProgram_ = program; }
  virtual void setProgramName(char*) {}
  virtual void getProgramName(char* name) { *name = 0; }
  virtual void getParameterLabel(int32_t, char* label) { *label = 0; }
  virtual void getParameterDisplay(int32_t, char* text) { *text = 0; }
  virtual void getParameterName(int32_t, char* text) { *text = 0; }
  virtual int32_t getChunk(void**, bool) { return 0; }
  virtual int32_t setChunk(void*, int32_t, bool) { return 0; }
  virtual void setUniqueID(int32_t id) { cEffect_.uniqueID = id; }
  virtual void setNumInputs(int32_t inputs) { cEffect_.numInputs = inputs; }
  virtual void setNumOutputs(int32_t outputs) { cEffect_.numOutputs = outputs; }
  virtual void canProcessReplacing(bool state) { setFlag(effFlagsCanReplacing, state); }
  virtual void canDoubleReplacing(bool state) { setFlag(effFlagsCanDoubleReplacing, state); }
  virtual void programsAreChunks(bool state) { setFlag(effFlagsProgramChunks, state); }
  virtual void setInitialDelay(int32_t delay) { cEffect_.initialDelay = delay; }
  virtual AEffEditor* getEditor() { return editor_; }
  virtual AEffect* getAeffect() { return &cEffect_; }
  virtual float getSampleRate() { return sampleRate_; }
  virtual int32_t getBlockSize() { return blockSize_; }
  virtual int32_t getMasterVersion();
  virtual int32_t getCurrentUniqueId();
  virtual void masterIdle();
  virtual bool isInputConnected(int32_t input);
  virtual bool isOutputConnected(int32_t output);
  virtual void dB2string(float value, char* text, int32_t maxLen);
  virtual void Hz2string(float samples, char* text, int32_t maxLen);
  virtual void ms2string(float samples, char* text, int32_t maxLen);
  virtual void float2string(float value, char* text, int32_t maxLen);
  virtual void int2string(int32_t value, char* text, int32_t maxLen);
  virtual void process(float**, float**, int32_t) {}
  virtual float getVu() { return 0; }
  virtual void hasVu(bool state) { setFlag(effFlagsHasVu, state); }
  virtual void hasClip(bool state) { setFlag(effFlagsHasClip, state); }
  virtual void canMono(bool state) { setFlag(effFlagsCanMono, state); }
  virtual void setRealtimeQualities(int32_t qualities) { cEffect_.realQualities = qualities; }
  virtual void setOfflineQualities(int32_t qualities) { cEffect_.offQualities = qualities; }

  // Stores the editor (owned from now on) and sets or clears the has-editor flag.
  void setEditor(AEffEditor* editor);

  // The host callback; none when the host gave none.
  audioMasterCallback getMasterCallback() const { return audioMaster_; }

  // Largest chunk the frame passes to setChunk; larger sizes from a host are refused.
  static constexpr intptr_t kMaxChunkBytes = 64 * 1024 * 1024;
  // Largest block size the frame passes to setBlockSize.
  static constexpr intptr_t kMaxBlockSize = 1 << 20;
  // Most events per effProcessEvents call the frame passes on.
  static constexpr int32_t kMaxEventsPerCall = 1 << 16;

  // The effect-record trampolines. Every exception is caught here: none crosses to the host.
  static intptr_t VSTCALLBACK dispatchEffectClass(AEffect* e, int32_t opcode, int32_t index,
                                                  intptr_t value, void* ptr, float opt);
  static void VSTCALLBACK processClass(AEffect* e, float** inputs, float** outputs, int32_t frames);
  static void VSTCALLBACK setParameterClass(AEffect* e, int32_t index, float value);
  static float VSTCALLBACK getParameterClass(AEffect* e, int32_t index);
  static void VSTCALLBACK processClassReplacing(AEffect* e, float** inputs, float** outputs,
                                                int32_t frames);
  static void VSTCALLBACK processClassDoubleReplacing(AEffect* e, double** inputs,
                                                      double** outputs, int32_t frames);

 protected:
  void setFlag(int32_t flag, bool state) {
    if (state)
      cEffect_.flags |= flag;
    else
      cEffect_.flags &= ~flag;
  }
  // Calls the host; 0 without a host.
  intptr_t callHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0) {
    return audioMaster_ ? audioMaster_(&cEffect_, opcode, index, value, ptr, opt) : 0;
  }
  bool validParameterIndex(int32_t index) const { return index >= 0 && index < numParams_; }

  float sampleRate_ = 44100.0f;
  AEffEditor* editor_ = nullptr;
  audioMasterCallback audioMaster_;
  int32_t numPrograms_;
  int32_t numParams_;
  int32_t curProgram_ = 0;
  int32_t blockSize_ = 1024;
  AEffect cEffect_;
};
