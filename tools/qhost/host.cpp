#include "host.h"

#include <cmath>
#include <cstring>

namespace qhost {
namespace {

HostState gHost;

void copyText(void* ptr, const char* text, size_t capacity) {
  if (!ptr) return;
  char* out = static_cast<char*>(ptr);
  std::strncpy(out, text, capacity - 1);
  out[capacity - 1] = 0;
}

// What a host of this kind can do: send events and time information, start and stop.
bool hostCanDo(const char* feature) {
  static const char* const kYes[] = {"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo",
                                     "receiveVstEvents", "receiveVstMidiEvent",
                                     "reportConnectionChanges", "startStopProcess",
                                     "supportShell", "acceptIOChanges"};
  if (!feature) return false;
  for (const char* yes : kYes)
    if (std::strcmp(feature, yes) == 0) return true;
  return false;
}

VstTimeInfo* fillTimeInfo() {
  HostState& h = gHost;
  VstTimeInfo& t = h.timeInfo;
  t = VstTimeInfo{};
  t.samplePos = h.samplePos;
  t.sampleRate = h.sampleRate;
  const double seconds = h.samplePos / h.sampleRate;
  t.nanoSeconds = seconds * 1e9;
  t.ppqPos = seconds * h.tempo / 60.0;
  t.tempo = h.tempo;
  t.barStartPos = std::floor(t.ppqPos / 4.0) * 4.0;
  t.timeSigNumerator = 4;
  t.timeSigDenominator = 4;
  // samples to the next MIDI clock (24 per quarter note)
  const double clock = t.ppqPos * 24.0;
  const double samplesPerClock = h.sampleRate * 60.0 / (h.tempo * 24.0);
  t.samplesToNextClock = static_cast<int32_t>(std::lround((std::ceil(clock) - clock) * samplesPerClock));
  t.flags = kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
  if (h.playing) t.flags |= kVstTransportPlaying;
  if (h.transportChanged) t.flags |= kVstTransportChanged;
  return &t;
}

}  // namespace

HostState& hostState() { return gHost; }

intptr_t VSTCALLBACK hostCallback(AEffect*, int32_t opcode, int32_t index, intptr_t value,
                                  void* ptr, float opt) {
  HostState& h = gHost;
  switch (opcode) {
    case audioMasterAutomate:
      ++h.automateCalls;
      h.lastAutomatedIndex = index;
      h.lastAutomatedValue = opt;
      if (h.recordAutomations) h.automations.emplace_back(index, opt);
      return 0;
    case audioMasterVersion:
      return kHostVersion;
    case audioMasterCurrentId:
      return 0;
    case audioMasterIdle:
      return 0;
    case audioMasterPinConnected:
      // 0 means connected: the pins the effect record declares are all wired.
      return index >= 0 && index < (value == 0 ? h.numInputs : h.numOutputs) ? 0 : 1;
    case audioMasterWantMidi:
      ++h.wantMidiCalls;
      return 1;
    case audioMasterGetTime:
      ++h.timeInfoCalls;
      return reinterpret_cast<intptr_t>(fillTimeInfo());
    case audioMasterProcessEvents:
      ++h.outputEventCalls;
      return 1;
    case audioMasterTempoAt:
      return static_cast<intptr_t>(std::lround(h.tempo * 10000.0));
    case audioMasterGetNumAutomatableParameters:
      return h.numParams;
    case audioMasterIOChanged:
      return 0;
    case audioMasterNeedIdle:
      return 1;
    case audioMasterSizeWindow:
      return 0;
    case audioMasterGetSampleRate:
      return static_cast<intptr_t>(std::lround(h.sampleRate));
    case audioMasterGetBlockSize:
      return h.blockSize;
    case audioMasterGetInputLatency:
    case audioMasterGetOutputLatency:
      return 0;
    case audioMasterWillReplaceOrAccumulate:
      return 1;
    case audioMasterGetCurrentProcessLevel:
      return h.inProcess ? 2 : 1;  // realtime inside process, else the user thread
    case audioMasterGetAutomationState:
      return 1;  // automation off
    case audioMasterGetVendorString:
      copyText(ptr, kHostVendor, kVstMaxVendorStrLen);
      return ptr ? 1 : 0;
    case audioMasterGetProductString:
      copyText(ptr, kHostProduct, kVstMaxProductStrLen);
      return ptr ? 1 : 0;
    case audioMasterGetVendorVersion:
      return 1;
    case audioMasterCanDo:
      return hostCanDo(static_cast<const char*>(ptr)) ? 1 : 0;
    case audioMasterGetLanguage:
      return 1;  // English
    case audioMasterUpdateDisplay:
      ++h.updateDisplayCalls;
      return 1;
    case audioMasterBeginEdit:
      ++h.beginEditCalls;
      return 1;
    case audioMasterEndEdit:
      ++h.endEditCalls;
      return 1;
    default:
      ++h.unknownCalls;
      (void)opt;
      return 0;
  }
}

}  // namespace qhost
