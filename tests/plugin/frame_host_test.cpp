// The host-callback wrappers against a fake host, and what they do without a host.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "frame_spy.h"

namespace frametest {
namespace {

constexpr intptr_t kHostAnswer = 5;

struct Wrapper {
  const char* name;
  std::function<intptr_t(SpyEffect&, void*)> call;
  int32_t opcode;
  int32_t index;
  intptr_t value;
  bool passesPointer;
  float opt;
  intptr_t withHost;  // the result when the host answers kHostAnswer
  intptr_t noHost;    // the result without a host callback
};

template <typename T>
intptr_t asInt(T v) {
  if constexpr (std::is_pointer_v<T>)
    return reinterpret_cast<intptr_t>(v);
  else
    return static_cast<intptr_t>(v);
}

#define W(expr) [](SpyEffect& s, void* p) -> intptr_t { (void)p; return asInt(expr); }

const Wrapper kWrappers[] = {
    {"getMasterVersion", W(s.getMasterVersion()), audioMasterVersion, 0, 0, false, 0, kHostAnswer, 1},
    {"getCurrentUniqueId", W(s.getCurrentUniqueId()), audioMasterCurrentId, 0, 0, false, 0, kHostAnswer, 0},
    {"isInputConnected", W(s.isInputConnected(1)), audioMasterPinConnected, 1, 0, false, 0, 0, 1},
    {"isOutputConnected", W(s.isOutputConnected(1)), audioMasterPinConnected, 1, 1, false, 0, 0, 1},
    {"wantEvents", W(s.wantEvents(1)), audioMasterWantMidi, 0, 1, false, 0, kHostAnswer, 0},
    {"getTimeInfo", W(s.getTimeInfo(kVstPpqPosValid)), audioMasterGetTime, 0, kVstPpqPosValid, false, 0, kHostAnswer, 0},
    {"tempoAt", W(s.tempoAt(4410)), audioMasterTempoAt, 0, 4410, false, 0, kHostAnswer, 0},
    {"getNumAutomatableParameters", W(s.getNumAutomatableParameters()), audioMasterGetNumAutomatableParameters, 0, 0, false, 0, kHostAnswer, 0},
    {"getParameterQuantization", W(s.getParameterQuantization()), audioMasterGetParameterQuantization, 0, 0, false, 0, kHostAnswer, 0},
    {"ioChanged", W(s.ioChanged()), audioMasterIOChanged, 0, 0, false, 0, 1, 0},
    {"needIdle", W(s.needIdle()), audioMasterNeedIdle, 0, 0, false, 0, 1, 0},
    {"sizeWindow", W(s.sizeWindow(1010, 623)), audioMasterSizeWindow, 1010, 623, false, 0, 1, 0},
    {"updateSampleRate", W(s.updateSampleRate()), audioMasterGetSampleRate, 0, 0, false, 0, kHostAnswer, 44100},
    {"updateBlockSize", W(s.updateBlockSize()), audioMasterGetBlockSize, 0, 0, false, 0, kHostAnswer, 1024},
    {"getInputLatency", W(s.getInputLatency()), audioMasterGetInputLatency, 0, 0, false, 0, kHostAnswer, 0},
    {"getOutputLatency", W(s.getOutputLatency()), audioMasterGetOutputLatency, 0, 0, false, 0, kHostAnswer, 0},
    {"getPreviousPlug", W(s.getPreviousPlug(1)), audioMasterGetPreviousPlug, 0, 1, false, 0, kHostAnswer, 0},
    {"getNextPlug", W(s.getNextPlug(1)), audioMasterGetNextPlug, 0, 1, false, 0, kHostAnswer, 0},
    {"willProcessReplacing", W(s.willProcessReplacing()), audioMasterWillReplaceOrAccumulate, 0, 0, false, 0, kHostAnswer, 0},
    {"getCurrentProcessLevel", W(s.getCurrentProcessLevel()), audioMasterGetCurrentProcessLevel, 0, 0, false, 0, kHostAnswer, 0},
    {"getAutomationState", W(s.getAutomationState()), audioMasterGetAutomationState, 0, 0, false, 0, kHostAnswer, 0},
    {"offlineStart", W(s.offlineStart(static_cast<VstAudioFile*>(p), 2, 3)), audioMasterOfflineStart, 3, 2, true, 0, 1, 0},
    {"offlineRead", W(s.offlineRead(static_cast<VstOfflineTask*>(p), 4, true)), audioMasterOfflineRead, 1, 4, true, 0, 1, 0},
    {"offlineWrite", W(s.offlineWrite(static_cast<VstOfflineTask*>(p), 4)), audioMasterOfflineWrite, 0, 4, true, 0, 1, 0},
    {"offlineGetCurrentPass", W(s.offlineGetCurrentPass()), audioMasterOfflineGetCurrentPass, 0, 0, false, 0, 1, 0},
    {"offlineGetCurrentMetaPass", W(s.offlineGetCurrentMetaPass()), audioMasterOfflineGetCurrentMetaPass, 0, 0, false, 0, 1, 0},
    {"setOutputSamplerate", W(s.setOutputSamplerate(22050.0f)), audioMasterSetOutputSampleRate, 0, 0, false, 22050.0f, kHostAnswer, 0},
    {"getOutputSpeakerArrangement", W(s.getOutputSpeakerArrangement()), audioMasterGetOutputSpeakerArrangement, 0, 0, false, 0, kHostAnswer, 0},
    {"getHostVendorString", W(s.getHostVendorString(static_cast<char*>(p))), audioMasterGetVendorString, 0, 0, true, 0, 1, 0},
    {"getHostProductString", W(s.getHostProductString(static_cast<char*>(p))), audioMasterGetProductString, 0, 0, true, 0, 1, 0},
    {"getHostVendorVersion", W(s.getHostVendorVersion()), audioMasterGetVendorVersion, 0, 0, false, 0, kHostAnswer, 0},
    {"hostVendorSpecific", W(s.hostVendorSpecific(3, 4, p, 0.5f)), audioMasterVendorSpecific, 3, 4, true, 0.5f, kHostAnswer, 0},
    {"canHostDo", W(s.canHostDo(static_cast<char*>(p))), audioMasterCanDo, 0, 0, true, 0, 1, 0},
    {"getHostLanguage", W(s.getHostLanguage()), audioMasterGetLanguage, 0, 0, false, 0, kHostAnswer, 0},
    {"openWindow", W(s.openWindow(p)), audioMasterOpenWindow, 0, 0, true, 0, kHostAnswer, 0},
    {"closeWindow", W(s.closeWindow(p)), audioMasterCloseWindow, 0, 0, true, 0, 1, 0},
    {"getDirectory", W(s.getDirectory()), audioMasterGetDirectory, 0, 0, false, 0, kHostAnswer, 0},
    {"updateDisplay", W(s.updateDisplay()), audioMasterUpdateDisplay, 0, 0, false, 0, 1, 0},
    {"beginEdit", W(s.beginEdit(2)), audioMasterBeginEdit, 2, 0, false, 0, 1, 0},
    {"endEdit", W(s.endEdit(2)), audioMasterEndEdit, 2, 0, false, 0, 1, 0},
    {"openFileSelector", W(s.openFileSelector(static_cast<VstFileSelect*>(p))), audioMasterOpenFileSelector, 0, 0, true, 0, 1, 0},
    {"closeFileSelector", W(s.closeFileSelector(static_cast<VstFileSelect*>(p))), audioMasterCloseFileSelector, 0, 0, true, 0, 1, 0},
    {"getChunkFile", W(s.getChunkFile(p)), audioMasterGetChunkFile, 0, 0, true, 0, 1, 0},
    {"getInputSpeakerArrangement", W(s.getInputSpeakerArrangement()), audioMasterGetInputSpeakerArrangement, 0, 0, false, 0, kHostAnswer, 0},
};

#undef W

TEST(FrameHostCallback, EachWrapperSendsItsOpcodeAndArgumentsAndReturnsTheAnswer) {
  for (const Wrapper& w : kWrappers) {
    SCOPED_TRACE(w.name);
    auto spy = std::make_unique<SpyEffect>(fakeHost);
    char text[64] = {};
    resetRecords(kHostAnswer);
    EXPECT_EQ(w.call(*spy, text), w.withHost);
    ASSERT_EQ(hostCalls().size(), 1u);
    const HostCall& h = hostCalls()[0];
    EXPECT_EQ(h.effect, spy->getAeffect());
    EXPECT_EQ(h.opcode, w.opcode);
    EXPECT_EQ(h.index, w.index);
    EXPECT_EQ(h.value, w.value);
    EXPECT_EQ(h.ptr, w.passesPointer ? static_cast<void*>(text) : nullptr);
    EXPECT_EQ(h.opt, w.opt);
  }
}

TEST(FrameHostCallback, WithoutAHostWrappersCallNothingAndGiveTheirDefaults) {
  for (const Wrapper& w : kWrappers) {
    SCOPED_TRACE(w.name);
    auto spy = std::make_unique<SpyEffect>(nullptr);
    char text[64] = {};
    resetRecords();
    EXPECT_EQ(w.call(*spy, text), w.noHost);
    EXPECT_TRUE(hostCalls().empty());
  }
}

TEST(FrameHostCallback, HostAnswersOfZeroGiveTheFallbacks) {
  auto spy = std::make_unique<SpyEffect>(fakeHost);
  resetRecords(0);
  EXPECT_EQ(spy->getMasterVersion(), 1);
  EXPECT_TRUE(spy->isInputConnected(0));
  EXPECT_TRUE(spy->isOutputConnected(0));
  EXPECT_EQ(spy->updateSampleRate(), 44100.0);
  EXPECT_EQ(spy->updateBlockSize(), 1024);
  resetRecords(-8);
  EXPECT_EQ(spy->updateSampleRate(), 44100.0);
  EXPECT_EQ(spy->updateBlockSize(), 1024);
  resetRecords(48000);
  EXPECT_EQ(spy->updateSampleRate(), 48000.0);
  EXPECT_EQ(spy->getSampleRate(), 48000.0f);
  resetRecords(256);
  EXPECT_EQ(spy->updateBlockSize(), 256);
  EXPECT_EQ(spy->getBlockSize(), 256);
}

TEST(FrameHostCallback, SetParameterAutomatedSetsFirstThenTellsTheHost) {
  auto spy = std::make_unique<SpyEffect>(fakeHost);
  resetRecords(0);
  spy->setParameterAutomated(2, 0.75f);
  ASSERT_EQ(calls().size(), 1u);
  EXPECT_EQ(calls()[0].name, "setParameter");
  EXPECT_EQ(calls()[0].a, 2);
  EXPECT_EQ(calls()[0].f, 0.75f);
  ASSERT_EQ(hostCalls().size(), 1u);
  EXPECT_EQ(hostCalls()[0].opcode, audioMasterAutomate);
  EXPECT_EQ(hostCalls()[0].index, 2);
  EXPECT_EQ(hostCalls()[0].opt, 0.75f);
}

TEST(FrameHostCallback, SetParameterAutomatedWithoutAHostStillSets) {
  auto spy = std::make_unique<SpyEffect>(nullptr);
  resetRecords();
  spy->setParameterAutomated(1, 0.25f);
  ASSERT_EQ(calls().size(), 1u);
  EXPECT_EQ(calls()[0].name, "setParameter");
  EXPECT_EQ(calls()[0].f, 0.25f);
  EXPECT_TRUE(hostCalls().empty());
}

TEST(FrameHostCallback, TimeInfoIsTheHostsRecord) {
  static VstTimeInfo info{};
  info.ppqPos = 3.5;
  auto spy = std::make_unique<SpyEffect>(fakeHost);
  resetRecords(reinterpret_cast<intptr_t>(&info));
  VstTimeInfo* got = spy->getTimeInfo(kVstPpqPosValid);
  EXPECT_EQ(got, &info);
  EXPECT_EQ(got->ppqPos, 3.5);
}

}  // namespace
}  // namespace frametest
