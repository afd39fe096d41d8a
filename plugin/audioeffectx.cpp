#include "plugin/audioeffectx.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr int32_t kMaxSpeakerChannels = 1024;

// The MIDI program opcodes take a MIDI channel as index.
bool validMidiChannel(int32_t channel) { return channel >= 0 && channel < 16; }

}  // namespace

intptr_t AudioEffectX::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt) {
  switch (opcode) {
    case effProcessEvents: {
      auto* events = static_cast<VstEvents*>(ptr);
      if (!events || events->numEvents < 0 || events->numEvents > kMaxEventsPerCall) return 0;
      return processEvents(events);
    }
    case effCanBeAutomated:
      return validParameterIndex(index) && canParameterBeAutomated(index) ? 1 : 0;
    case effString2Parameter:
      return ptr && validParameterIndex(index) && string2parameter(index, static_cast<char*>(ptr)) ? 1 : 0;
    case effGetProgramNameIndexed:
      return ptr && index >= 0 && index < numPrograms_ && getProgramNameIndexed(static_cast<int32_t>(value), index, static_cast<char*>(ptr)) ? 1 : 0;
    case effGetInputProperties:
      return ptr && index >= 0 && index < cEffect_.numInputs && getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetOutputProperties:
      return ptr && index >= 0 && index < cEffect_.numOutputs && getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetPlugCategory:
      return getPlugCategory();
    case effOfflineNotify:
      return ptr && offlineNotify(static_cast<VstAudioFile*>(ptr), static_cast<int32_t>(value), index != 0) ? 1 : 0;
    case effOfflinePrepare:
      return ptr && offlinePrepare(static_cast<VstOfflineTask*>(ptr), static_cast<int32_t>(value)) ? 1 : 0;
    case effOfflineRun:
      return ptr && offlineRun(static_cast<VstOfflineTask*>(ptr), static_cast<int32_t>(value)) ? 1 : 0;
    case effProcessVarIo:
      return ptr && processVariableIo(static_cast<VstVariableIo*>(ptr)) ? 1 : 0;
    case effSetSpeakerArrangement:
      if (!value || !ptr) return 0;
      return setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                   static_cast<VstSpeakerArrangement*>(ptr)) ? 1 : 0;
    case effSetBypass:
      return setBypass(value != 0) ? 1 : 0;
    case effGetEffectName:
      return ptr && getEffectName(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorString:
      return ptr && getVendorString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetProductString:
      return ptr && getProductString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorVersion:
      return getVendorVersion();
    case effVendorSpecific:
      return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
      return ptr ? canDo(static_cast<char*>(ptr)) : 0;
    case effGetTailSize:
      return getGetTailSize();
    case effGetParameterProperties:
      return ptr && validParameterIndex(index) &&
             getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)) ? 1 : 0;
    case effGetVstVersion:
      return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp: {
      if (!editor_) return 0;
      VstKeyCode key{};
      key.character = index;
      key.virt = static_cast<unsigned char>(value & 0xff);
      // opt carries the modifiers as a float; anything not a small number has none.
      key.modifier = std::isfinite(opt) && std::fabs(opt) < 65536.0f
                         ? static_cast<unsigned char>(static_cast<int32_t>(opt) & 0xff)
                         : 0;
      const bool handled = opcode == effEditKeyDown ? editor_->onKeyDown(key) : editor_->onKeyUp(key);
      return handled ? 1 : 0;
    }
    case effSetEditKnobMode:
      return editor_ && editor_->setKnobMode(static_cast<int32_t>(value)) ? 1 : 0;
    case effGetMidiProgramName:
      return ptr && validMidiChannel(index) ? getMidiProgramName(index, static_cast<MidiProgramName*>(ptr)) : 0;
    case effGetCurrentMidiProgram:
      if (!ptr || !validMidiChannel(index)) return -1;
      return getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));
    case effGetMidiProgramCategory:
      return ptr && validMidiChannel(index) ? getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr)) : 0;
    case effHasMidiProgramsChanged:
      return validMidiChannel(index) && hasMidiProgramsChanged(index) ? 1 : 0;
    case effGetMidiKeyName:
      return ptr && validMidiChannel(index) && getMidiKeyName(index, static_cast<MidiKeyName*>(ptr)) ? 1 : 0;
    case effBeginSetProgram:
      return beginSetProgram() ? 1 : 0;
    case effEndSetProgram:
      return endSetProgram() ? 1 : 0;
    case effGetSpeakerArrangement:
      if (!value || !ptr) return 0;
      return getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                   static_cast<VstSpeakerArrangement**>(ptr)) ? 1 : 0;
    case effShellGetNextPlugin:
      return ptr ? getNextShellPlugin(static_cast<char*>(ptr)) : 0;
    case effStartProcess:
      return startProcess();
    case effStopProcess:
      return stopProcess();
    case effSetTotalSampleToProcess:
      return setTotalSampleToProcess(static_cast<int32_t>(value));
    case effSetPanLaw:
      return setPanLaw(static_cast<int32_t>(value), opt) ? 1 : 0;
    case effBeginLoadBank:
      return ptr ? beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr)) : 0;
    case effBeginLoadProgram:
      return ptr ? beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr)) : 0;
    case effSetProcessPrecision:
      return setProcessPrecision(static_cast<int32_t>(value)) ? 1 : 0;
    case effGetNumMidiInputChannels:
      return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
      return getNumMidiOutputChannels();
    default:
      return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
  }
}

void AudioEffectX::resume() {
  char midiEvent[] = "receiveVstMidiEvent";
  if ((cEffect_.flags & effFlagsIsSynth) || canDo(midiEvent) == 1) wantEvents(1);
}

double AudioEffectX::updateSampleRate() {
  const intptr_t answer = callHost(audioMasterGetSampleRate);
  if (answer > 0) sampleRate_ = static_cast<float>(answer);
  return sampleRate_;
}

int32_t AudioEffectX::updateBlockSize() {
  const intptr_t answer = callHost(audioMasterGetBlockSize);
  if (answer > 0 && answer <= INT32_MAX) blockSize_ = static_cast<int32_t>(answer);
  return blockSize_;
}

bool AudioEffectX::allocateArrangement(VstSpeakerArrangement** arrangement, int32_t channels) {
  if (!arrangement || channels < 0 || channels > kMaxSpeakerChannels) return false;
  deallocateArrangement(arrangement);
  const size_t extra = channels > 8 ? static_cast<size_t>(channels - 8) : 0;
  const size_t size = sizeof(VstSpeakerArrangement) + extra * sizeof(VstSpeakerProperties);
  void* memory = std::calloc(1, size);
  if (!memory) return false;
  *arrangement = static_cast<VstSpeakerArrangement*>(memory);
  (*arrangement)->numChannels = channels;
  return true;
}

bool AudioEffectX::deallocateArrangement(VstSpeakerArrangement** arrangement) {
  if (!arrangement) return false;
  std::free(*arrangement);
  *arrangement = nullptr;
  return true;
}

bool AudioEffectX::copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from) {
  if (!to || !from) return false;
  // The name is limited to 63 characters and always terminated.
  const char* end = std::find(from->name, from->name + 63, '\0');
  const auto length = static_cast<size_t>(end - from->name);
  std::memcpy(to->name, from->name, length);
  to->name[length] = 0;
  to->type = from->type;
  to->azimuth = from->azimuth;
  to->elevation = from->elevation;
  to->radius = from->radius;
  to->reserved = from->reserved;
  std::memcpy(to->future, from->future, sizeof to->future);
  return true;
}

bool AudioEffectX::matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from) {
  if (!from || !to) return false;
  if (!allocateArrangement(to, from->numChannels)) return false;
  (*to)->type = from->type;
  for (int32_t i = 0; i < from->numChannels; ++i) copySpeaker(&(*to)->speakers[i], &from->speakers[i]);
  return true;
}
