// A frame subclass that records every virtual the dispatcher reaches, with its arguments,
// and answers with configurable values; an editor spy of the same kind; and a fake host
// callback that records the host calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/audioeffectx.h"

namespace frametest {

struct Call {
  std::string name;
  intptr_t a = 0;  // first integer argument
  intptr_t b = 0;  // second integer argument
  const void* p = nullptr;
  const void* q = nullptr;
  float f = 0;
};

// The recorded calls of the last test; spies and the fake host append here.
std::vector<Call>& calls();

// What the spies' integer overrides return; bool overrides return true.
constexpr intptr_t kSpyAnswer = 7;

class SpyEditor : public AEffEditor {
 public:
  explicit SpyEditor(AudioEffect* effect) : AEffEditor(effect) {}
  bool getRect(ERect** rect) override;
  bool open(void* parent) override;
  void close() override;
  void idle() override;
  bool onKeyDown(VstKeyCode& key) override;
  bool onKeyUp(VstKeyCode& key) override;
  bool setKnobMode(int32_t mode) override;
};

class SpyEffect : public AudioEffectX {
 public:
  static constexpr int32_t kPrograms = 4;
  static constexpr int32_t kParams = 3;
  explicit SpyEffect(audioMasterCallback host) : AudioEffectX(host, kPrograms, kParams) {}

  using AudioEffect::setFlag;

  void open() override;
  void close() override;
  void suspend() override;
  void resume() override;
  void setSampleRate(float rate) override;
  void setBlockSize(int32_t size) override;
  void processReplacing(float** in, float** out, int32_t frames) override;
  void setParameter(int32_t index, float value) override;
  float getParameter(int32_t index) override;
  int32_t getProgram() override;
  void setProgram(int32_t program) override;
  void setProgramName(char* name) override;
  void getProgramName(char* name) override;
  void getParameterLabel(int32_t index, char* text) override;
  void getParameterDisplay(int32_t index, char* text) override;
  void getParameterName(int32_t index, char* text) override;
  int32_t getChunk(void** data, bool isPreset) override;
  int32_t setChunk(void* data, int32_t size, bool isPreset) override;
  float getVu() override;

  bool canParameterBeAutomated(int32_t index) override;
  bool string2parameter(int32_t index, char* text) override;
  bool getParameterProperties(int32_t index, VstParameterProperties* p) override;
  bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override;
  bool beginSetProgram() override;
  bool endSetProgram() override;
  int32_t beginLoadBank(VstPatchChunkInfo* info) override;
  int32_t beginLoadProgram(VstPatchChunkInfo* info) override;
  bool getInputProperties(int32_t index, VstPinProperties* p) override;
  bool getOutputProperties(int32_t index, VstPinProperties* p) override;
  bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override;
  bool getSpeakerArrangement(VstSpeakerArrangement** in, VstSpeakerArrangement** out) override;
  bool setBypass(bool on) override;
  bool setPanLaw(int32_t type, float value) override;
  bool setProcessPrecision(int32_t precision) override;
  int32_t getNumMidiInputChannels() override;
  int32_t getNumMidiOutputChannels() override;
  int32_t processEvents(VstEvents* events) override;
  int32_t startProcess() override;
  int32_t stopProcess() override;
  bool processVariableIo(VstVariableIo* io) override;
  int32_t setTotalSampleToProcess(int32_t value) override;
  int32_t getGetTailSize() override;
  bool getEffectName(char* text) override;
  bool getVendorString(char* text) override;
  bool getProductString(char* text) override;
  int32_t getVendorVersion() override;
  intptr_t vendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) override;
  int32_t canDo(char* text) override;
  int32_t getMidiProgramName(int32_t channel, MidiProgramName* name) override;
  int32_t getCurrentMidiProgram(int32_t channel, MidiProgramName* name) override;
  int32_t getMidiProgramCategory(int32_t channel, MidiProgramCategory* category) override;
  bool hasMidiProgramsChanged(int32_t channel) override;
  bool getMidiKeyName(int32_t channel, MidiKeyName* name) override;
  int32_t getNextShellPlugin(char* name) override;
  bool offlineNotify(VstAudioFile* file, int32_t count, bool start) override;
  bool offlinePrepare(VstOfflineTask* task, int32_t count) override;
  bool offlineRun(VstOfflineTask* task, int32_t count) override;
  // Reached by no opcode: the dispatcher must leave them alone.
  int32_t getNumCategories() override;
  bool copyProgram(int32_t destination) override;
  void inputConnected(int32_t index, bool state) override;
  void outputConnected(int32_t index, bool state) override;
  int32_t reportCurrentPosition() override;
  float* reportDestinationBuffer() override;
  void setBlockSizeAndSampleRate(int32_t size, float rate) override;
  bool getErrorText(char* text) override;
  void* getIcon() override;
  bool setViewPosition(int32_t x, int32_t y) override;
  int32_t fxIdle() override;
  bool keysRequired() override;

  // What canDo answers (it is also asked by resume).
  int32_t canDoAnswer = static_cast<int32_t>(kSpyAnswer);
};

struct HostCall {
  AEffect* effect = nullptr;
  int32_t opcode = 0;
  int32_t index = 0;
  intptr_t value = 0;
  void* ptr = nullptr;
  float opt = 0;
};

// Host callback that records each call and answers `fakeHostAnswer()`.
intptr_t VSTCALLBACK fakeHost(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                              void* ptr, float opt);
intptr_t& fakeHostAnswer();
std::vector<HostCall>& hostCalls();

// Clears the recorded calls and sets the host's answer.
void resetRecords(intptr_t hostAnswer = 0);

}  // namespace frametest
