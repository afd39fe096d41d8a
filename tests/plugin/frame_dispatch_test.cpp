// The dispatcher: which virtual each opcode reaches, with which arguments, and what the
// host gets back; what it refuses and what it leaves alone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "frame_spy.h"

namespace frametest {
namespace {

enum class Ptr { None, Buffer, Events, EventsNegative, EventsTooMany };

struct Fixture {
  std::unique_ptr<SpyEffect> spy;
  AEffect* e;
  char buffer[256] = {};
  char other[64] = {};
  VstEvents events{};

  explicit Fixture(bool withEditor = true) : spy(std::make_unique<SpyEffect>(fakeHost)), e(spy->getAeffect()) {
    if (withEditor) spy->setEditor(new SpyEditor(spy.get()));
    resetRecords();
  }
  void* pointer(Ptr kind) {
    switch (kind) {
      case Ptr::None: return nullptr;
      case Ptr::Buffer: return buffer;
      case Ptr::Events: events.numEvents = 0; return &events;
      case Ptr::EventsNegative: events.numEvents = -1; return &events;
      case Ptr::EventsTooMany: events.numEvents = AudioEffect::kMaxEventsPerCall + 1; return &events;
    }
    return nullptr;
  }
  intptr_t dispatch(int32_t opcode, int32_t index, intptr_t value, Ptr ptr, float opt) {
    return e->dispatcher(e, opcode, index, value, pointer(ptr), opt);
  }
};

constexpr intptr_t kOther = -12345;  // stands for "value is the address of `other`"

struct Served {
  int32_t opcode;
  int32_t index;
  intptr_t value;
  Ptr ptr;
  float opt;
  const char* call;
  intptr_t a, b;
  float f;
  intptr_t result;
};

const Served kServed[] = {
    {effOpen, 0, 0, Ptr::None, 0, "open", 0, 0, 0, 0},
    {effSetProgram, 0, 3, Ptr::None, 0, "setProgram", 3, 0, 0, 0},
    {effGetProgram, 0, 0, Ptr::None, 0, "getProgram", 0, 0, 0, kSpyAnswer},
    {effSetProgramName, 0, 0, Ptr::Buffer, 0, "setProgramName", 0, 0, 0, 0},
    {effGetProgramName, 0, 0, Ptr::Buffer, 0, "getProgramName", 0, 0, 0, 0},
    {effGetParamLabel, 2, 0, Ptr::Buffer, 0, "getParameterLabel", 2, 0, 0, 0},
    {effGetParamDisplay, 1, 0, Ptr::Buffer, 0, "getParameterDisplay", 1, 0, 0, 0},
    {effGetParamName, 0, 0, Ptr::Buffer, 0, "getParameterName", 0, 0, 0, 0},
    {effSetSampleRate, 0, 0, Ptr::None, 48000.0f, "setSampleRate", 0, 0, 48000.0f, 0},
    {effSetBlockSize, 0, 256, Ptr::None, 0, "setBlockSize", 256, 0, 0, 0},
    {effMainsChanged, 0, 0, Ptr::None, 0, "suspend", 0, 0, 0, 0},
    {effMainsChanged, 0, 1, Ptr::None, 0, "resume", 0, 0, 0, 0},
    {effMainsChanged, 0, -3, Ptr::None, 0, "resume", 0, 0, 0, 0},
    {effEditGetRect, 0, 0, Ptr::Buffer, 0, "editor.getRect", 0, 0, 0, 1},
    {effEditOpen, 0, 0, Ptr::Buffer, 0, "editor.open", 0, 0, 0, 1},
    {effEditClose, 0, 0, Ptr::None, 0, "editor.close", 0, 0, 0, 0},
    {effEditIdle, 0, 0, Ptr::None, 0, "editor.idle", 0, 0, 0, 0},
    {effIdentify, 0, 0, Ptr::None, 0, nullptr, 0, 0, 0, 0x4E764566},
    {effGetChunk, 1, 0, Ptr::Buffer, 0, "getChunk", 1, 0, 0, kSpyAnswer},
    {effGetChunk, 0, 0, Ptr::Buffer, 0, "getChunk", 0, 0, 0, kSpyAnswer},
    {effSetChunk, 0, 100, Ptr::Buffer, 0, "setChunk", 100, 0, 0, kSpyAnswer},
    {effSetChunk, 1, 100, Ptr::Buffer, 0, "setChunk", 100, 1, 0, kSpyAnswer},
    {effProcessEvents, 0, 0, Ptr::Events, 0, "processEvents", 0, 0, 0, kSpyAnswer},
    {effCanBeAutomated, 2, 0, Ptr::None, 0, "canParameterBeAutomated", 2, 0, 0, 1},
    {effString2Parameter, 1, 0, Ptr::Buffer, 0, "string2parameter", 1, 0, 0, 1},
    {effGetProgramNameIndexed, 3, 5, Ptr::Buffer, 0, "getProgramNameIndexed", 5, 3, 0, 1},
    {effGetInputProperties, 0, 0, Ptr::Buffer, 0, "getInputProperties", 0, 0, 0, 1},
    {effGetOutputProperties, 1, 0, Ptr::Buffer, 0, "getOutputProperties", 1, 0, 0, 1},
    {effGetPlugCategory, 0, 0, Ptr::None, 0, nullptr, 0, 0, 0, 0},
    {effOfflineNotify, 1, 2, Ptr::Buffer, 0, "offlineNotify", 2, 1, 0, 1},
    {effOfflinePrepare, 0, 3, Ptr::Buffer, 0, "offlinePrepare", 3, 0, 0, 1},
    {effOfflineRun, 0, 4, Ptr::Buffer, 0, "offlineRun", 4, 0, 0, 1},
    {effProcessVarIo, 0, 0, Ptr::Buffer, 0, "processVariableIo", 0, 0, 0, 1},
    {effSetSpeakerArrangement, 0, kOther, Ptr::Buffer, 0, "setSpeakerArrangement", 0, 0, 0, 1},
    {effSetBypass, 0, 1, Ptr::None, 0, "setBypass", 1, 0, 0, 1},
    {effSetBypass, 0, 0, Ptr::None, 0, "setBypass", 0, 0, 0, 1},
    {effGetEffectName, 0, 0, Ptr::Buffer, 0, "getEffectName", 0, 0, 0, 1},
    {effGetVendorString, 0, 0, Ptr::Buffer, 0, "getVendorString", 0, 0, 0, 1},
    {effGetProductString, 0, 0, Ptr::Buffer, 0, "getProductString", 0, 0, 0, 1},
    {effGetVendorVersion, 0, 0, Ptr::None, 0, "getVendorVersion", 0, 0, 0, kSpyAnswer},
    {effVendorSpecific, 9, 11, Ptr::Buffer, 0.5f, "vendorSpecific", 9, 11, 0.5f, kSpyAnswer},
    {effCanDo, 0, 0, Ptr::Buffer, 0, "canDo", 0, 0, 0, kSpyAnswer},
    {effGetTailSize, 0, 0, Ptr::None, 0, "getGetTailSize", 0, 0, 0, kSpyAnswer},
    {effGetParameterProperties, 2, 0, Ptr::Buffer, 0, "getParameterProperties", 2, 0, 0, 1},
    {effGetVstVersion, 0, 0, Ptr::None, 0, nullptr, 0, 0, 0, 2400},
    {effEditKeyDown, 97, 0x1234, Ptr::None, 3.0f, "editor.onKeyDown", 97, 0x34, 3.0f, 1},
    {effEditKeyUp, 98, 0x0f, Ptr::None, 258.0f, "editor.onKeyUp", 98, 0x0f, 2.0f, 1},
    {effEditKeyDown, 99, 1, Ptr::None, std::numeric_limits<float>::quiet_NaN(), "editor.onKeyDown", 99, 1, 0, 1},
    {effEditKeyDown, 99, 1, Ptr::None, 1e30f, "editor.onKeyDown", 99, 1, 0, 1},
    {effSetEditKnobMode, 0, 2, Ptr::None, 0, "editor.setKnobMode", 2, 0, 0, 1},
    {effGetMidiProgramName, 15, 0, Ptr::Buffer, 0, "getMidiProgramName", 15, 0, 0, kSpyAnswer},
    {effGetCurrentMidiProgram, 0, 0, Ptr::Buffer, 0, "getCurrentMidiProgram", 0, 0, 0, kSpyAnswer},
    {effGetMidiProgramCategory, 3, 0, Ptr::Buffer, 0, "getMidiProgramCategory", 3, 0, 0, kSpyAnswer},
    {effHasMidiProgramsChanged, 4, 0, Ptr::None, 0, "hasMidiProgramsChanged", 4, 0, 0, 1},
    {effGetMidiKeyName, 5, 0, Ptr::Buffer, 0, "getMidiKeyName", 5, 0, 0, 1},
    {effBeginSetProgram, 0, 0, Ptr::None, 0, "beginSetProgram", 0, 0, 0, 1},
    {effEndSetProgram, 0, 0, Ptr::None, 0, "endSetProgram", 0, 0, 0, 1},
    {effGetSpeakerArrangement, 0, kOther, Ptr::Buffer, 0, "getSpeakerArrangement", 0, 0, 0, 1},
    {effShellGetNextPlugin, 0, 0, Ptr::Buffer, 0, "getNextShellPlugin", 0, 0, 0, kSpyAnswer},
    {effStartProcess, 0, 0, Ptr::None, 0, "startProcess", 0, 0, 0, kSpyAnswer},
    {effStopProcess, 0, 0, Ptr::None, 0, "stopProcess", 0, 0, 0, kSpyAnswer},
    {effSetTotalSampleToProcess, 0, 12345, Ptr::None, 0, "setTotalSampleToProcess", 12345, 0, 0, kSpyAnswer},
    {effSetPanLaw, 0, 1, Ptr::None, 0.7f, "setPanLaw", 1, 0, 0.7f, 1},
    {effBeginLoadBank, 0, 0, Ptr::Buffer, 0, "beginLoadBank", 0, 0, 0, kSpyAnswer},
    {effBeginLoadProgram, 0, 0, Ptr::Buffer, 0, "beginLoadProgram", 0, 0, 0, kSpyAnswer},
    {effSetProcessPrecision, 0, 1, Ptr::None, 0, "setProcessPrecision", 1, 0, 0, 1},
    {effGetNumMidiInputChannels, 0, 0, Ptr::None, 0, "getNumMidiInputChannels", 0, 0, 0, kSpyAnswer},
    {effGetNumMidiOutputChannels, 0, 0, Ptr::None, 0, "getNumMidiOutputChannels", 0, 0, 0, kSpyAnswer},
};

TEST(FrameDispatcher, EachServedOpcodeReachesItsVirtualWithTheHostsArguments) {
  for (const Served& row : kServed) {
    SCOPED_TRACE(testing::Message() << "opcode " << row.opcode << " -> " << (row.call ? row.call : "none"));
    Fixture fx;
    const intptr_t value = row.value == kOther ? reinterpret_cast<intptr_t>(fx.other) : row.value;
    void* ptr = fx.pointer(row.ptr);
    EXPECT_EQ(fx.e->dispatcher(fx.e, row.opcode, row.index, value, ptr, row.opt), row.result);
    if (!row.call) {
      EXPECT_TRUE(calls().empty());
      continue;
    }
    ASSERT_FALSE(calls().empty());
    const Call& c = calls().front();
    EXPECT_EQ(c.name, row.call);
    EXPECT_EQ(c.a, row.a);
    EXPECT_EQ(c.b, row.b);
    EXPECT_EQ(c.f, row.f);
    if (row.value == kOther) {
      EXPECT_EQ(c.p, fx.other);
      EXPECT_EQ(c.q, fx.buffer);
    } else if (row.ptr != Ptr::None) {
      EXPECT_EQ(c.p, ptr);
    }
  }
}

TEST(FrameDispatcher, UnservedOpcodesReturnZeroAndTouchNothing) {
  std::vector<int32_t> opcodes = {9, 16, 17, 18, 20, 21, 28, 30, 31, 32, 36, 37, 43, 46, 53, 54, 55, 57, -1, 1000};
  for (int32_t op = 80; op <= 90; ++op) opcodes.push_back(op);
  for (int32_t op : opcodes) {
    SCOPED_TRACE(testing::Message() << "opcode " << op);
    Fixture fx;
    AEffect before;
    std::memcpy(&before, fx.e, sizeof before);
    std::memset(fx.buffer, 'x', sizeof fx.buffer);
    EXPECT_EQ(fx.e->dispatcher(fx.e, op, 1, 1, fx.buffer, 1.0f), 0);
    EXPECT_TRUE(calls().empty()) << calls().front().name;
    EXPECT_TRUE(hostCalls().empty());
    EXPECT_EQ(std::memcmp(&before, fx.e, sizeof before), 0);
    for (char ch : fx.buffer) ASSERT_EQ(ch, 'x');
  }
}

struct Refused {
  const char* what;
  int32_t opcode;
  int32_t index;
  intptr_t value;
  Ptr ptr;
  float opt;
  intptr_t result;
};

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

const Refused kRefused[] = {
    {"program at the count", effSetProgram, 0, SpyEffect::kPrograms, Ptr::None, 0, 0},
    {"negative program", effSetProgram, 0, -1, Ptr::None, 0, 0},
    {"huge program", effSetProgram, 0, intptr_t{1} << 40, Ptr::None, 0, 0},
    {"null program name", effSetProgramName, 0, 0, Ptr::None, 0, 0},
    {"null program name out", effGetProgramName, 0, 0, Ptr::None, 0, 0},
    {"negative label index", effGetParamLabel, -1, 0, Ptr::Buffer, 0, 0},
    {"label index at the count", effGetParamLabel, SpyEffect::kParams, 0, Ptr::Buffer, 0, 0},
    {"null label", effGetParamLabel, 0, 0, Ptr::None, 0, 0},
    {"negative display index", effGetParamDisplay, -1, 0, Ptr::Buffer, 0, 0},
    {"null display", effGetParamDisplay, 0, 0, Ptr::None, 0, 0},
    {"name index at the count", effGetParamName, SpyEffect::kParams, 0, Ptr::Buffer, 0, 0},
    {"null name", effGetParamName, 0, 0, Ptr::None, 0, 0},
    {"zero sample rate", effSetSampleRate, 0, 0, Ptr::None, 0, 0},
    {"negative sample rate", effSetSampleRate, 0, 0, Ptr::None, -44100.0f, 0},
    {"NaN sample rate", effSetSampleRate, 0, 0, Ptr::None, kNaN, 0},
    {"infinite sample rate", effSetSampleRate, 0, 0, Ptr::None, kInf, 0},
    {"zero block size", effSetBlockSize, 0, 0, Ptr::None, 0, 0},
    {"negative block size", effSetBlockSize, 0, -512, Ptr::None, 0, 0},
    {"absurd block size", effSetBlockSize, 0, AudioEffect::kMaxBlockSize + 1, Ptr::None, 0, 0},
    {"null rectangle", effEditGetRect, 0, 0, Ptr::None, 0, 0},
    {"null parent window", effEditOpen, 0, 0, Ptr::None, 0, 0},
    {"null chunk out", effGetChunk, 0, 0, Ptr::None, 0, 0},
    {"null chunk in", effSetChunk, 0, 100, Ptr::None, 0, 0},
    {"empty chunk", effSetChunk, 0, 0, Ptr::Buffer, 0, 0},
    {"negative chunk size", effSetChunk, 0, -1, Ptr::Buffer, 0, 0},
    {"absurd chunk size", effSetChunk, 0, AudioEffect::kMaxChunkBytes + 1, Ptr::Buffer, 0, 0},
    {"null events", effProcessEvents, 0, 0, Ptr::None, 0, 0},
    {"negative event count", effProcessEvents, 0, 0, Ptr::EventsNegative, 0, 0},
    {"absurd event count", effProcessEvents, 0, 0, Ptr::EventsTooMany, 0, 0},
    {"automatable index -1", effCanBeAutomated, -1, 0, Ptr::None, 0, 0},
    {"automatable index at the count", effCanBeAutomated, SpyEffect::kParams, 0, Ptr::None, 0, 0},
    {"string2parameter index -1", effString2Parameter, -1, 0, Ptr::Buffer, 0, 0},
    {"string2parameter null", effString2Parameter, 0, 0, Ptr::None, 0, 0},
    {"indexed name index -1", effGetProgramNameIndexed, -1, 0, Ptr::Buffer, 0, 0},
    {"indexed name at the count", effGetProgramNameIndexed, SpyEffect::kPrograms, 0, Ptr::Buffer, 0, 0},
    {"indexed name null", effGetProgramNameIndexed, 0, 0, Ptr::None, 0, 0},
    {"input pin -1", effGetInputProperties, -1, 0, Ptr::Buffer, 0, 0},
    {"input pin at the count", effGetInputProperties, 1, 0, Ptr::Buffer, 0, 0},
    {"input pin null", effGetInputProperties, 0, 0, Ptr::None, 0, 0},
    {"output pin at the count", effGetOutputProperties, 2, 0, Ptr::Buffer, 0, 0},
    {"output pin null", effGetOutputProperties, 0, 0, Ptr::None, 0, 0},
    {"offline notify null", effOfflineNotify, 0, 1, Ptr::None, 0, 0},
    {"offline prepare null", effOfflinePrepare, 0, 1, Ptr::None, 0, 0},
    {"offline run null", effOfflineRun, 0, 1, Ptr::None, 0, 0},
    {"variable io null", effProcessVarIo, 0, 0, Ptr::None, 0, 0},
    {"speaker arrangement null input", effSetSpeakerArrangement, 0, 0, Ptr::Buffer, 0, 0},
    {"speaker arrangement null output", effSetSpeakerArrangement, 0, kOther, Ptr::None, 0, 0},
    {"effect name null", effGetEffectName, 0, 0, Ptr::None, 0, 0},
    {"vendor null", effGetVendorString, 0, 0, Ptr::None, 0, 0},
    {"product null", effGetProductString, 0, 0, Ptr::None, 0, 0},
    {"canDo null", effCanDo, 0, 0, Ptr::None, 0, 0},
    {"parameter properties -1", effGetParameterProperties, -1, 0, Ptr::Buffer, 0, 0},
    {"parameter properties null", effGetParameterProperties, 0, 0, Ptr::None, 0, 0},
    {"MIDI program name channel -1", effGetMidiProgramName, -1, 0, Ptr::Buffer, 0, 0},
    {"MIDI program name channel 16", effGetMidiProgramName, 16, 0, Ptr::Buffer, 0, 0},
    {"MIDI program name null", effGetMidiProgramName, 0, 0, Ptr::None, 0, 0},
    {"current MIDI program null", effGetCurrentMidiProgram, 0, 0, Ptr::None, 0, -1},
    {"current MIDI program channel -1", effGetCurrentMidiProgram, -1, 0, Ptr::Buffer, 0, -1},
    {"MIDI category channel 16", effGetMidiProgramCategory, 16, 0, Ptr::Buffer, 0, 0},
    {"MIDI category null", effGetMidiProgramCategory, 0, 0, Ptr::None, 0, 0},
    {"MIDI programs changed channel -1", effHasMidiProgramsChanged, -1, 0, Ptr::None, 0, 0},
    {"MIDI key name channel 16", effGetMidiKeyName, 16, 0, Ptr::Buffer, 0, 0},
    {"MIDI key name null", effGetMidiKeyName, 0, 0, Ptr::None, 0, 0},
    {"get speaker arrangement null input", effGetSpeakerArrangement, 0, 0, Ptr::Buffer, 0, 0},
    {"get speaker arrangement null output", effGetSpeakerArrangement, 0, kOther, Ptr::None, 0, 0},
    {"shell plug-in null", effShellGetNextPlugin, 0, 0, Ptr::None, 0, 0},
    {"begin load bank null", effBeginLoadBank, 0, 0, Ptr::None, 0, 0},
    {"begin load program null", effBeginLoadProgram, 0, 0, Ptr::None, 0, 0},
};

TEST(FrameDispatcher, BadHostArgumentsAreRefusedWithoutReachingTheObject) {
  for (const Refused& row : kRefused) {
    SCOPED_TRACE(row.what);
    Fixture fx;
    const intptr_t value = row.value == kOther ? reinterpret_cast<intptr_t>(fx.other) : row.value;
    EXPECT_EQ(fx.e->dispatcher(fx.e, row.opcode, row.index, value, fx.pointer(row.ptr), row.opt), row.result);
    EXPECT_TRUE(calls().empty()) << calls().front().name;
  }
}

TEST(FrameDispatcher, EditorOpcodesWithoutAnEditorReturnZero) {
  for (int32_t op : {effEditGetRect, effEditOpen, effEditClose, effEditIdle, effEditKeyDown,
                     effEditKeyUp, effSetEditKnobMode}) {
    SCOPED_TRACE(testing::Message() << "opcode " << op);
    Fixture fx(false);
    EXPECT_EQ(fx.dispatch(op, 1, 1, Ptr::Buffer, 1.0f), 0);
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(fx.e->flags & effFlagsHasEditor, 0);
  }
}

TEST(FrameDispatcher, NullEffectRecordOrObjectIsRefusedByEveryTrampoline) {
  AEffect empty{};
  float* channels[2] = {nullptr, nullptr};
  EXPECT_EQ(AudioEffect::dispatchEffectClass(nullptr, effGetVstVersion, 0, 0, nullptr, 0), 0);
  EXPECT_EQ(AudioEffect::dispatchEffectClass(&empty, effClose, 0, 0, nullptr, 0), 0);
  AudioEffect::processClassReplacing(&empty, channels, channels, 16);
  AudioEffect::processClass(nullptr, channels, channels, 16);
  AudioEffect::setParameterClass(&empty, 0, 0.5f);
  EXPECT_EQ(AudioEffect::getParameterClass(nullptr, 0), 0.0f);
}

TEST(FrameDispatcher, ParameterTrampolinesCheckTheIndex) {
  Fixture fx;
  fx.e->setParameter(fx.e, 2, 0.25f);
  fx.e->setParameter(fx.e, -1, 0.25f);
  fx.e->setParameter(fx.e, SpyEffect::kParams, 0.25f);
  ASSERT_EQ(calls().size(), 1u);
  EXPECT_EQ(calls()[0].name, "setParameter");
  EXPECT_EQ(calls()[0].a, 2);
  EXPECT_EQ(calls()[0].f, 0.25f);
  resetRecords();
  EXPECT_EQ(fx.e->getParameter(fx.e, 1), 0.5f);
  EXPECT_EQ(fx.e->getParameter(fx.e, -1), 0.0f);
  EXPECT_EQ(fx.e->getParameter(fx.e, SpyEffect::kParams), 0.0f);
  EXPECT_EQ(calls().size(), 1u);
}

TEST(FrameDispatcher, ProcessTrampolinesPassBuffersAndRefuseEmptyBlocks) {
  Fixture fx;
  float left[8] = {}, right[8] = {};
  float* out[2] = {left, right};
  fx.e->processReplacing(fx.e, out, out, 8);
  ASSERT_EQ(calls().size(), 1u);
  EXPECT_EQ(calls()[0].a, 8);
  EXPECT_EQ(calls()[0].q, out);
  fx.e->processReplacing(fx.e, out, out, 0);
  fx.e->processReplacing(fx.e, out, out, -4);
  fx.e->processReplacing(fx.e, out, nullptr, 8);
  EXPECT_EQ(calls().size(), 1u);
}

TEST(FrameDispatcher, EveryResumeAsksTheHostForMidi) {
  struct Case {
    bool synth;
    int32_t canDo;
    size_t wantMidiPerResume;
  };
  for (const Case& c : {Case{true, 0, 1}, Case{true, -1, 1}, Case{false, 1, 1}, Case{false, 0, 0},
                        Case{false, -1, 0}, Case{false, 2, 0}}) {
    SCOPED_TRACE(testing::Message() << "synth " << c.synth << " canDo " << c.canDo);
    Fixture fx;
    fx.spy->isSynth(c.synth);
    fx.spy->canDoAnswer = c.canDo;
    fx.dispatch(effMainsChanged, 0, 1, Ptr::None, 0);
    fx.dispatch(effMainsChanged, 0, 0, Ptr::None, 0);
    fx.dispatch(effMainsChanged, 0, 1, Ptr::None, 0);
    size_t wantMidi = 0;
    for (const HostCall& h : hostCalls()) {
      EXPECT_EQ(h.opcode, audioMasterWantMidi);
      EXPECT_EQ(h.value, 1);
      EXPECT_EQ(h.effect, fx.e);
      ++wantMidi;
    }
    EXPECT_EQ(wantMidi, 2 * c.wantMidiPerResume);
  }
}

TEST(FrameDispatcher, PlugCategoryFollowsTheSynthFlag) {
  Fixture fx;
  EXPECT_EQ(fx.dispatch(effGetPlugCategory, 0, 0, Ptr::None, 0), 0);
  fx.spy->isSynth(true);
  EXPECT_EQ(fx.dispatch(effGetPlugCategory, 0, 0, Ptr::None, 0), 2);
  fx.spy->isSynth(false);
  EXPECT_EQ(fx.dispatch(effGetPlugCategory, 0, 0, Ptr::None, 0), 0);
}

TEST(FrameDispatcher, SampleRateAndBlockSizeReachTheFrame) {
  Fixture fx;
  fx.dispatch(effSetSampleRate, 0, 0, Ptr::None, 96000.0f);
  fx.dispatch(effSetBlockSize, 0, AudioEffect::kMaxBlockSize, Ptr::None, 0);
  EXPECT_EQ(fx.spy->getSampleRate(), 96000.0f);
  EXPECT_EQ(fx.spy->getBlockSize(), AudioEffect::kMaxBlockSize);
}

}  // namespace
}  // namespace frametest
