#include "frame_spy.h"

namespace frametest {

std::vector<Call>& calls() {
  static std::vector<Call> c;
  return c;
}

intptr_t& fakeHostAnswer() {
  static intptr_t answer = 0;
  return answer;
}

std::vector<HostCall>& hostCalls() {
  static std::vector<HostCall> c;
  return c;
}

void resetRecords(intptr_t hostAnswer) {
  calls().clear();
  hostCalls().clear();
  fakeHostAnswer() = hostAnswer;
}

intptr_t VSTCALLBACK fakeHost(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                              void* ptr, float opt) {
  hostCalls().push_back({effect, opcode, index, value, ptr, opt});
  return fakeHostAnswer();
}

namespace {

void record(const char* name, intptr_t a = 0, intptr_t b = 0, const void* p = nullptr,
            const void* q = nullptr, float f = 0) {
  calls().push_back({name, a, b, p, q, f});
}

int32_t answer() { return static_cast<int32_t>(kSpyAnswer); }

}  // namespace

bool SpyEditor::getRect(ERect** rect) { return record("editor.getRect", 0, 0, rect), true; }
bool SpyEditor::open(void* parent) { return record("editor.open", 0, 0, parent), true; }
void SpyEditor::close() { record("editor.close"); }
void SpyEditor::idle() { record("editor.idle"); }
bool SpyEditor::onKeyDown(VstKeyCode& key) {
  return record("editor.onKeyDown", key.character, key.virt, nullptr, nullptr, key.modifier), true;
}
bool SpyEditor::onKeyUp(VstKeyCode& key) {
  return record("editor.onKeyUp", key.character, key.virt, nullptr, nullptr, key.modifier), true;
}
bool SpyEditor::setKnobMode(int32_t mode) { return record("editor.setKnobMode", mode), true; }

void SpyEffect::open() { record("open"); }
void SpyEffect::close() { record("close"); }
void SpyEffect::suspend() { record("suspend"); }
void SpyEffect::resume() {
  record("resume");
  AudioEffectX::resume();
}
void SpyEffect::setSampleRate(float rate) {
  record("setSampleRate", 0, 0, nullptr, nullptr, rate);
  AudioEffectX::setSampleRate(rate);
}
void SpyEffect::setBlockSize(int32_t size) {
  record("setBlockSize", size);
  AudioEffectX::setBlockSize(size);
}
void SpyEffect::processReplacing(float** in, float** out, int32_t frames) {
  record("processReplacing", frames, 0, in, out);
}
void SpyEffect::setParameter(int32_t index, float value) {
  record("setParameter", index, 0, nullptr, nullptr, value);
}
float SpyEffect::getParameter(int32_t index) { return record("getParameter", index), 0.5f; }
int32_t SpyEffect::getProgram() { return record("getProgram"), answer(); }
void SpyEffect::setProgram(int32_t program) { record("setProgram", program); }
void SpyEffect::setProgramName(char* name) { record("setProgramName", 0, 0, name); }
void SpyEffect::getProgramName(char* name) { record("getProgramName", 0, 0, name); }
void SpyEffect::getParameterLabel(int32_t index, char* text) { record("getParameterLabel", index, 0, text); }
void SpyEffect::getParameterDisplay(int32_t index, char* text) { record("getParameterDisplay", index, 0, text); }
void SpyEffect::getParameterName(int32_t index, char* text) { record("getParameterName", index, 0, text); }
int32_t SpyEffect::getChunk(void** data, bool isPreset) { return record("getChunk", isPreset, 0, data), answer(); }
int32_t SpyEffect::setChunk(void* data, int32_t size, bool isPreset) {
  return record("setChunk", size, isPreset, data), answer();
}
float SpyEffect::getVu() { return record("getVu"), 1.0f; }

bool SpyEffect::canParameterBeAutomated(int32_t index) { return record("canParameterBeAutomated", index), true; }
bool SpyEffect::string2parameter(int32_t index, char* text) { return record("string2parameter", index, 0, text), true; }
bool SpyEffect::getParameterProperties(int32_t index, VstParameterProperties* p) {
  return record("getParameterProperties", index, 0, p), true;
}
bool SpyEffect::getProgramNameIndexed(int32_t category, int32_t index, char* text) {
  return record("getProgramNameIndexed", category, index, text), true;
}
bool SpyEffect::beginSetProgram() { return record("beginSetProgram"), true; }
bool SpyEffect::endSetProgram() { return record("endSetProgram"), true; }
int32_t SpyEffect::beginLoadBank(VstPatchChunkInfo* info) { return record("beginLoadBank", 0, 0, info), answer(); }
int32_t SpyEffect::beginLoadProgram(VstPatchChunkInfo* info) { return record("beginLoadProgram", 0, 0, info), answer(); }
bool SpyEffect::getInputProperties(int32_t index, VstPinProperties* p) { return record("getInputProperties", index, 0, p), true; }
bool SpyEffect::getOutputProperties(int32_t index, VstPinProperties* p) { return record("getOutputProperties", index, 0, p), true; }
bool SpyEffect::setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) {
  return record("setSpeakerArrangement", 0, 0, in, out), true;
}
bool SpyEffect::getSpeakerArrangement(VstSpeakerArrangement** in, VstSpeakerArrangement** out) {
  return record("getSpeakerArrangement", 0, 0, in, out), true;
}
bool SpyEffect::setBypass(bool on) { return record("setBypass", on), true; }
bool SpyEffect::setPanLaw(int32_t type, float value) { return record("setPanLaw", type, 0, nullptr, nullptr, value), true; }
bool SpyEffect::setProcessPrecision(int32_t precision) { return record("setProcessPrecision", precision), true; }
int32_t SpyEffect::getNumMidiInputChannels() { return record("getNumMidiInputChannels"), answer(); }
int32_t SpyEffect::getNumMidiOutputChannels() { return record("getNumMidiOutputChannels"), answer(); }
int32_t SpyEffect::processEvents(VstEvents* events) { return record("processEvents", 0, 0, events), answer(); }
int32_t SpyEffect::startProcess() { return record("startProcess"), answer(); }
int32_t SpyEffect::stopProcess() { return record("stopProcess"), answer(); }
bool SpyEffect::processVariableIo(VstVariableIo* io) { return record("processVariableIo", 0, 0, io), true; }
int32_t SpyEffect::setTotalSampleToProcess(int32_t value) { return record("setTotalSampleToProcess", value), answer(); }
int32_t SpyEffect::getGetTailSize() { return record("getGetTailSize"), answer(); }
bool SpyEffect::getEffectName(char* text) { return record("getEffectName", 0, 0, text), true; }
bool SpyEffect::getVendorString(char* text) { return record("getVendorString", 0, 0, text), true; }
bool SpyEffect::getProductString(char* text) { return record("getProductString", 0, 0, text), true; }
int32_t SpyEffect::getVendorVersion() { return record("getVendorVersion"), answer(); }
intptr_t SpyEffect::vendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) {
  return record("vendorSpecific", index, value, ptr, nullptr, opt), kSpyAnswer;
}
int32_t SpyEffect::canDo(char* text) { return record("canDo", 0, 0, text), canDoAnswer; }
int32_t SpyEffect::getMidiProgramName(int32_t channel, MidiProgramName* name) {
  return record("getMidiProgramName", channel, 0, name), answer();
}
int32_t SpyEffect::getCurrentMidiProgram(int32_t channel, MidiProgramName* name) {
  return record("getCurrentMidiProgram", channel, 0, name), answer();
}
int32_t SpyEffect::getMidiProgramCategory(int32_t channel, MidiProgramCategory* category) {
  return record("getMidiProgramCategory", channel, 0, category), answer();
}
bool SpyEffect::hasMidiProgramsChanged(int32_t channel) { return record("hasMidiProgramsChanged", channel), true; }
bool SpyEffect::getMidiKeyName(int32_t channel, MidiKeyName* name) { return record("getMidiKeyName", channel, 0, name), true; }
int32_t SpyEffect::getNextShellPlugin(char* name) { return record("getNextShellPlugin", 0, 0, name), answer(); }
bool SpyEffect::offlineNotify(VstAudioFile* file, int32_t count, bool start) {
  return record("offlineNotify", count, start, file), true;
}
bool SpyEffect::offlinePrepare(VstOfflineTask* task, int32_t count) { return record("offlinePrepare", count, 0, task), true; }
bool SpyEffect::offlineRun(VstOfflineTask* task, int32_t count) { return record("offlineRun", count, 0, task), true; }

int32_t SpyEffect::getNumCategories() { return record("getNumCategories"), answer(); }
bool SpyEffect::copyProgram(int32_t destination) { return record("copyProgram", destination), true; }
void SpyEffect::inputConnected(int32_t index, bool state) { record("inputConnected", index, state); }
void SpyEffect::outputConnected(int32_t index, bool state) { record("outputConnected", index, state); }
int32_t SpyEffect::reportCurrentPosition() { return record("reportCurrentPosition"), answer(); }
float* SpyEffect::reportDestinationBuffer() {
  static float buffer[1];
  return record("reportDestinationBuffer"), buffer;
}
void SpyEffect::setBlockSizeAndSampleRate(int32_t size, float rate) {
  record("setBlockSizeAndSampleRate", size, 0, nullptr, nullptr, rate);
}
bool SpyEffect::getErrorText(char* text) { return record("getErrorText", 0, 0, text), true; }
void* SpyEffect::getIcon() { return record("getIcon"), this; }
bool SpyEffect::setViewPosition(int32_t x, int32_t y) { return record("setViewPosition", x, y), true; }
int32_t SpyEffect::fxIdle() { return record("fxIdle"), answer(); }
bool SpyEffect::keysRequired() { return record("keysRequired"), true; }

}  // namespace frametest
