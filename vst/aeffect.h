// The VST 2.4 binary interface as this plug-in uses it: the effect record, the calls in
// both directions, and the records exchanged through them. Written for this project from
// the interface's published behaviour; layouts are pinned by static_asserts below.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define VSTCALLBACK __cdecl
#else
#define VSTCALLBACK
#endif

struct AEffect;

using audioMasterCallback = intptr_t(VSTCALLBACK*)(AEffect* effect, int32_t opcode, int32_t index,
                                                   intptr_t value, void* ptr, float opt);
using AEffectDispatcherProc = intptr_t(VSTCALLBACK*)(AEffect* effect, int32_t opcode, int32_t index,
                                                     intptr_t value, void* ptr, float opt);
using AEffectProcessProc = void(VSTCALLBACK*)(AEffect* effect, float** inputs, float** outputs,
                                              int32_t sampleFrames);
using AEffectProcessDoubleProc = void(VSTCALLBACK*)(AEffect* effect, double** inputs,
                                                    double** outputs, int32_t sampleFrames);
using AEffectSetParameterProc = void(VSTCALLBACK*)(AEffect* effect, int32_t index, float parameter);
using AEffectGetParameterProc = float(VSTCALLBACK*)(AEffect* effect, int32_t index);

constexpr int32_t fourCharCode(char a, char b, char c, char d) {
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<unsigned char>(a)) << 24) |
                              (static_cast<uint32_t>(static_cast<unsigned char>(b)) << 16) |
                              (static_cast<uint32_t>(static_cast<unsigned char>(c)) << 8) |
                              static_cast<uint32_t>(static_cast<unsigned char>(d)));
}

constexpr int32_t kEffectMagic = fourCharCode('V', 's', 't', 'P');

struct AEffect {
  int32_t magic;
  AEffectDispatcherProc dispatcher;
  AEffectProcessProc process;
  AEffectSetParameterProc setParameter;
  AEffectGetParameterProc getParameter;
  int32_t numPrograms;
  int32_t numParams;
  int32_t numInputs;
  int32_t numOutputs;
  int32_t flags;
  intptr_t resvd1;
  intptr_t resvd2;
  int32_t initialDelay;
  int32_t realQualities;
  int32_t offQualities;
  float ioRatio;
  void* object;
  void* user;
  int32_t uniqueID;
  int32_t version;
  AEffectProcessProc processReplacing;
  AEffectProcessDoubleProc processDoubleReplacing;
  char future[56];
};

// Effect-record flags.
enum : int32_t {
  effFlagsHasEditor = 1 << 0,
  effFlagsHasClip = 1 << 1,
  effFlagsHasVu = 1 << 2,
  effFlagsCanMono = 1 << 3,
  effFlagsCanReplacing = 1 << 4,
  effFlagsProgramChunks = 1 << 5,
  effFlagsIsSynth = 1 << 8,
  effFlagsNoSoundInStop = 1 << 9,
  effFlagsExtIsAsync = 1 << 10,
  effFlagsExtHasBuffer = 1 << 11,
  effFlagsCanDoubleReplacing = 1 << 12,
};

// Host -> plug-in dispatcher opcodes.
enum : int32_t {
  effOpen = 0, effClose, effSetProgram, effGetProgram, effSetProgramName, effGetProgramName,
  effGetParamLabel, effGetParamDisplay, effGetParamName, effGetVu, effSetSampleRate,
  effSetBlockSize, effMainsChanged, effEditGetRect, effEditOpen, effEditClose, effEditDraw,
  effEditMouse, effEditKey, effEditIdle, effEditTop, effEditSleep, effIdentify, effGetChunk,
  effSetChunk,
  effProcessEvents = 25, effCanBeAutomated, effString2Parameter, effGetNumProgramCategories,
  effGetProgramNameIndexed, effCopyProgram, effConnectInput, effConnectOutput,
  effGetInputProperties, effGetOutputProperties, effGetPlugCategory, effGetCurrentPosition,
  effGetDestinationBuffer, effOfflineNotify, effOfflinePrepare, effOfflineRun,
  effProcessVarIo, effSetSpeakerArrangement, effSetBlockSizeAndSampleRate, effSetBypass,
  effGetEffectName, effGetErrorText, effGetVendorString, effGetProductString,
  effGetVendorVersion, effVendorSpecific, effCanDo, effGetTailSize, effIdle, effGetIcon,
  effSetViewPosition, effGetParameterProperties, effKeysRequired, effGetVstVersion,
  effEditKeyDown, effEditKeyUp, effSetEditKnobMode, effGetMidiProgramName,
  effGetCurrentMidiProgram, effGetMidiProgramCategory, effHasMidiProgramsChanged,
  effGetMidiKeyName, effBeginSetProgram, effEndSetProgram, effGetSpeakerArrangement,
  effShellGetNextPlugin, effStartProcess, effStopProcess, effSetTotalSampleToProcess,
  effSetPanLaw, effBeginLoadBank, effBeginLoadProgram, effSetProcessPrecision,
  effGetNumMidiInputChannels, effGetNumMidiOutputChannels,
};

// Plug-in -> host callback opcodes.
enum : int32_t {
  audioMasterAutomate = 0, audioMasterVersion, audioMasterCurrentId, audioMasterIdle,
  audioMasterPinConnected, audioMasterWantMidi = 6, audioMasterGetTime, audioMasterProcessEvents,
  audioMasterSetTime, audioMasterTempoAt, audioMasterGetNumAutomatableParameters,
  audioMasterGetParameterQuantization, audioMasterIOChanged, audioMasterNeedIdle,
  audioMasterSizeWindow, audioMasterGetSampleRate, audioMasterGetBlockSize,
  audioMasterGetInputLatency, audioMasterGetOutputLatency, audioMasterGetPreviousPlug,
  audioMasterGetNextPlug, audioMasterWillReplaceOrAccumulate, audioMasterGetCurrentProcessLevel,
  audioMasterGetAutomationState, audioMasterOfflineStart, audioMasterOfflineRead,
  audioMasterOfflineWrite, audioMasterOfflineGetCurrentPass, audioMasterOfflineGetCurrentMetaPass,
  audioMasterSetOutputSampleRate, audioMasterGetOutputSpeakerArrangement,
  audioMasterGetVendorString, audioMasterGetProductString, audioMasterGetVendorVersion,
  audioMasterVendorSpecific, audioMasterSetIcon, audioMasterCanDo, audioMasterGetLanguage,
  audioMasterOpenWindow, audioMasterCloseWindow, audioMasterGetDirectory,
  audioMasterUpdateDisplay, audioMasterBeginEdit, audioMasterEndEdit,
  audioMasterOpenFileSelector, audioMasterCloseFileSelector, audioMasterEditFile,
  audioMasterGetChunkFile, audioMasterGetInputSpeakerArrangement,
};

// Buffer sizes hosts give for the string calls (terminating zero included).
enum : int32_t {
  kVstMaxProgNameLen = 24,
  kVstMaxParamStrLen = 8,
  kVstMaxVendorStrLen = 64,
  kVstMaxProductStrLen = 64,
  kVstMaxEffectNameLen = 32,
};

enum : int32_t { kVstMidiType = 1, kVstSysExType = 6 };

struct VstEvent {
  int32_t type;
  int32_t byteSize;
  int32_t deltaFrames;
  int32_t flags;
  char data[16];
};

struct VstEvents {
  int32_t numEvents;
  intptr_t reserved;
  VstEvent* events[2];  // really numEvents entries
};

struct VstMidiEvent {
  int32_t type;
  int32_t byteSize;
  int32_t deltaFrames;
  int32_t flags;
  int32_t noteLength;
  int32_t noteOffset;
  char midiData[4];
  char detune;
  char noteOffVelocity;
  char reserved1;
  char reserved2;
};

// Time information flags.
enum : int32_t {
  kVstTransportChanged = 1,
  kVstTransportPlaying = 1 << 1,
  kVstNanosValid = 1 << 8,
  kVstPpqPosValid = 1 << 9,
  kVstTempoValid = 1 << 10,
  kVstBarsValid = 1 << 11,
  kVstTimeSigValid = 1 << 13,
};

struct VstTimeInfo {
  double samplePos;
  double sampleRate;
  double nanoSeconds;
  double ppqPos;
  double tempo;
  double barStartPos;
  double cycleStartPos;
  double cycleEndPos;
  int32_t timeSigNumerator;
  int32_t timeSigDenominator;
  int32_t smpteOffset;
  int32_t smpteFrameRate;
  int32_t samplesToNextClock;
  int32_t flags;
};

struct ERect {
  int16_t top;
  int16_t left;
  int16_t bottom;
  int16_t right;
};

struct VstKeyCode {
  int32_t character;
  unsigned char virt;
  unsigned char modifier;
};

struct VstSpeakerProperties {
  float azimuth;
  float elevation;
  float radius;
  float reserved;
  char name[64];
  int32_t type;
  char future[28];
};

struct VstSpeakerArrangement {
  int32_t type;
  int32_t numChannels;
  VstSpeakerProperties speakers[8];  // really numChannels entries
};

// Records the frame only passes through; their contents are the host's business.
struct VstPinProperties;
struct VstParameterProperties;
struct VstVariableIo;
struct VstAudioFile;
struct VstOfflineTask;
struct VstPatchChunkInfo;
struct VstFileSelect;
struct MidiProgramName;
struct MidiProgramCategory;
struct MidiKeyName;

// Layout pins: hosts of both pointer sizes read these records by offset.
static_assert(offsetof(AEffect, dispatcher) == sizeof(void*));
static_assert(offsetof(AEffect, numPrograms) == 5 * sizeof(void*));
static_assert(offsetof(AEffect, resvd1) == 5 * sizeof(void*) + 5 * 4 + (sizeof(void*) == 8 ? 4 : 0));
static_assert(sizeof(void*) == 8 ? offsetof(AEffect, object) == 96 : offsetof(AEffect, object) == 64);
static_assert(sizeof(void*) == 8 ? offsetof(AEffect, uniqueID) == 112 : offsetof(AEffect, uniqueID) == 72);
static_assert(sizeof(void*) == 8 ? offsetof(AEffect, processReplacing) == 120
                                 : offsetof(AEffect, processReplacing) == 80);
static_assert(sizeof(void*) == 8 ? offsetof(AEffect, future) == 136 : offsetof(AEffect, future) == 88);
static_assert(sizeof(AEffect) == (sizeof(void*) == 8 ? 192 : 144));
static_assert(sizeof(VstMidiEvent) == 32);
static_assert(sizeof(VstEvent) == 32);
static_assert(offsetof(VstEvents, events) == 2 * sizeof(void*));
static_assert(offsetof(VstTimeInfo, timeSigNumerator) == 64 && sizeof(VstTimeInfo) == 88);
static_assert(sizeof(ERect) == 8);
static_assert(sizeof(VstSpeakerProperties) == 112);
