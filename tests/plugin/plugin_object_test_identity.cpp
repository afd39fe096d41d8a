// What each build presents to the host, the entry point's refusals, the life of an
// instance from entry to close, and the editor's place in it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "plugin_object_test_util.h"

namespace plugintest {
namespace {

struct BuildCase {
  const char* label;
  const BuildIdentity* identity;
  int32_t uniqueId;
  int32_t flags;
  intptr_t category;
  const char* effectName;
  const char* product;
  const char* windowClass;
};

const BuildCase kBuilds[] = {
    {"instrument", &kInstrumentIdentity, fourCharCode('Q', 'V', 'u', 'I'),
     effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth, 2, "Quorvane 3970",
     "Quorvane 3970 v1.3", "Quorvane_WindowClass"},
    {"effect", &kEffectIdentity, fourCharCode('Q', 'E', 'u', 'I'),
     effFlagsCanReplacing | effFlagsProgramChunks, 0, "Quorvane 3970 Efx",
     "Quorvane 3970 Efx v1.3", "Quorvane_WindowClassEfx"},
};

struct CanDoCase {
  const char* text;
  intptr_t answer;
};

const CanDoCase kCanDo[] = {
    {"receiveVstEvents", 1}, {"receiveVstMidiEvent", 1}, {"sendVstEvents", -1},
    {"sendVstMidiEvent", -1}, {"receiveVstTimeInfo", -1}, {"receiveVstEventsX", -1},
    {"ReceiveVstEvents", -1}, {"", -1}, {"bypass", -1},
};

TEST(PluginIdentity, EachBuildPresentsItsOwnRecordAndAnswers) {
  for (const BuildCase& b : kBuilds) {
    SCOPED_TRACE(b.label);
    Instance in(*b.identity);
    ASSERT_NE(in.effect(), nullptr);
    const AEffect* e = in.effect();
    EXPECT_EQ(e->magic, kEffectMagic);
    EXPECT_EQ(e->uniqueID, b.uniqueId);
    EXPECT_EQ(e->flags, b.flags);
    EXPECT_EQ(e->numPrograms, 1);
    EXPECT_EQ(e->numParams, 178);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(in.dispatch(effGetPlugCategory), b.category);
    EXPECT_EQ(in.text(effGetEffectName), b.effectName);
    EXPECT_EQ(in.text(effGetVendorString), "Halvorsk, Inc.");
    EXPECT_EQ(in.text(effGetProductString), b.product);
    EXPECT_EQ(in.dispatch(effGetVendorVersion), 1400);
    EXPECT_EQ(in.dispatch(effGetVstVersion), 2400);
    EXPECT_STREQ(in.plugin().identity().windowClassName, b.windowClass);
    EXPECT_EQ(in.dispatch(effGetEffectName, 0, 0, nullptr), 0);  // no buffer, no write
    for (const CanDoCase& c : kCanDo) {
      std::vector<char> text(c.text, c.text + std::strlen(c.text) + 1);
      EXPECT_EQ(in.dispatch(effCanDo, 0, 0, text.data()), c.answer) << c.text;
    }
    EXPECT_EQ(in.plugin().canDo(nullptr), -1);
  }
}

TEST(PluginEntry, AHostAnsweringVersionZeroGetsNoEffect) {
  frametest::resetRecords(0);
  EXPECT_EQ(createQuorvaneEffect(frametest::fakeHost, kInstrumentIdentity), nullptr);
  ASSERT_EQ(frametest::hostCalls().size(), 1u);
  EXPECT_EQ(frametest::hostCalls()[0].opcode, audioMasterVersion);
}

TEST(PluginEntry, NoHostCallbackGetsNoEffect) {
  EXPECT_EQ(createQuorvaneEffect(nullptr, kInstrumentIdentity), nullptr);
  EXPECT_EQ(createQuorvaneEffect(nullptr, kEffectIdentity), nullptr);
}

// Start-up applies every default as a patch would, yet the host, which does not hold the
// effect yet, hears of none of it: it is asked for its version only.
TEST(PluginEntry, ConstructionReportsNoAutomation) {
  Instance in;
  ASSERT_NE(in.effect(), nullptr);
  EXPECT_EQ(countHostCalls(audioMasterAutomate), 0);
  EXPECT_EQ(countHostCalls(audioMasterVersion), 1);
  EXPECT_EQ(in.plugin().paramValue(kParamClockPulses), 24.0f);  // the defaults are in place
}

TEST(PluginEntry, AutomationReachesTheHostOnlyForTheIndexesItAddresses) {
  Instance in;
  frametest::resetRecords(2400);
  in.plugin().setParameterRealAutomated(kParamAdsrSustain, 2.5f);
  ASSERT_EQ(countHostCalls(audioMasterAutomate), 1);
  EXPECT_EQ(frametest::hostCalls()[0].index, 35);
  EXPECT_FLOAT_EQ(frametest::hostCalls()[0].opt, 0.25f);
  EXPECT_FLOAT_EQ(in.plugin().paramValue(kParamAdsrSustain), 2.5f);

  // Record 178 is the panel's and the patches' only: stored, never reported.
  frametest::resetRecords(2400);
  in.plugin().setParameterRealAutomated(kParamCordMultiple4, 3.0f);
  EXPECT_EQ(countHostCalls(audioMasterAutomate), 0);
  EXPECT_EQ(in.plugin().paramValue(kParamCordMultiple4), 3.0f);
  in.plugin().setParameterRealAutomated(179, 1.0f);
  EXPECT_EQ(countHostCalls(audioMasterAutomate), 0);
}

float sumOfSquares(const std::vector<float>& v) {
  float s = 0;
  for (float x : v) s += x * x;
  return s;
}

TEST(PluginLifecycle, EntryToCloseAsAHostDrivesIt) {
  Instance in(kEffectIdentity);
  ASSERT_NE(in.effect(), nullptr);
  in.dispatch(effOpen);
  in.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
  in.dispatch(effSetBlockSize, 0, 256);
  EXPECT_EQ(in.plugin().getSampleRate(), 48000.0f);
  EXPECT_EQ(in.plugin().getBlockSize(), 256);
  frametest::resetRecords(2400);
  in.dispatch(effMainsChanged, 0, 1);
  EXPECT_EQ(countHostCalls(audioMasterWantMidi), 1);  // every resume asks for MIDI

  // Outputs start as garbage; inputs are full-scale noise, then absent altogether.
  std::vector<float> inL(256, 0.9f), inR(256, -0.9f), outL(256, NAN), outR(256, 7.0f);
  float* inputs[] = {inL.data(), inR.data()};
  float* outputs[] = {outL.data(), outR.data()};
  in.effect()->processReplacing(in.effect(), inputs, outputs, 256);
  EXPECT_EQ(sumOfSquares(outL) + sumOfSquares(outR), 0.0f);
  std::fill(outL.begin(), outL.end(), 3.0f);
  in.effect()->processReplacing(in.effect(), nullptr, outputs, 256);
  EXPECT_EQ(sumOfSquares(outL), 0.0f);
  float* missingInputs[] = {nullptr, nullptr};
  float* oneOutput[] = {outL.data(), nullptr};
  std::fill(outL.begin(), outL.end(), 3.0f);
  in.effect()->processReplacing(in.effect(), missingInputs, oneOutput, 256);
  EXPECT_EQ(sumOfSquares(outL), 0.0f);

  in.dispatch(effMainsChanged, 0, 0);
  EXPECT_EQ(in.close(), 1);
}

TEST(PluginProgramName, ALongPatchNameIsCutTo23Characters) {
  Instance in;
  in.plugin().setCurrentPatchName("A patch name of thirty chars..");
  char buffer[kVstMaxProgNameLen + 8];
  std::memset(buffer, 'X', sizeof buffer);
  in.dispatch(effGetProgramName, 0, 0, buffer);
  EXPECT_STREQ(buffer, "A patch name of thirty ");
  for (size_t i = kVstMaxProgNameLen; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 'X') << i;
  in.plugin().setCurrentPatchName("Short");
  EXPECT_EQ(in.text(effGetProgramName), "Short");
}

// An editor that records what the plug-in tells it, and what it finds when it is deleted.
struct EditorLog {
  std::vector<std::pair<int32_t, float>> values;
  int deleted = 0;
  bool pluginReadyAtDelete = false;
};
EditorLog gEditorLog;

class SpyWindow : public ParameterEditor {
 public:
  explicit SpyWindow(Quorvane_VSTEdit& plugin) : ParameterEditor(&plugin), plugin_(plugin) {}
  ~SpyWindow() override {
    ++gEditorLog.deleted;
    gEditorLog.pluginReadyAtDelete = plugin_.isReady();
  }
  void setParameter(int32_t index, float normalised) override {
    gEditorLog.values.emplace_back(index, normalised);
  }

 private:
  Quorvane_VSTEdit& plugin_;
};

ParameterEditor* makeSpyWindow(Quorvane_VSTEdit& plugin) { return new SpyWindow(plugin); }
ParameterEditor* makeNoWindow(Quorvane_VSTEdit&) { return nullptr; }
ParameterEditor* makeFailingWindow(Quorvane_VSTEdit&) { throw std::runtime_error("no window"); }

TEST(PluginEditor, TheHasEditorFlagFollowsTheEditor) {
  for (auto* factory : {makeNoWindow, makeFailingWindow}) {
    Instance in(kInstrumentIdentity, factory);
    ASSERT_NE(in.effect(), nullptr);
    EXPECT_EQ(in.effect()->flags & effFlagsHasEditor, 0);
    EXPECT_EQ(in.plugin().getEditor(), nullptr);
    in.effect()->setParameter(in.effect(), kParamVco1Coarse, 0.5f);  // works without an editor
    EXPECT_EQ(in.plugin().paramValue(kParamVco1Coarse), 0.5f);
  }
  gEditorLog = {};
  Instance in(kInstrumentIdentity, makeSpyWindow);
  EXPECT_NE(in.effect()->flags & effFlagsHasEditor, 0);
  EXPECT_NE(in.plugin().getEditor(), nullptr);
}

TEST(PluginEditor, TheEditorHearsTheValueNowStored) {
  gEditorLog = {};
  Instance in(kInstrumentIdentity, makeSpyWindow);
  gEditorLog.values.clear();
  AEffect* e = in.effect();
  e->setParameter(e, kParamVco1Coarse, 0.25f);
  e->setParameter(e, kParamCordVco2Vco1Cv, 0.095f);  // names no jack: no cord
  e->setParameter(e, kParamVco1Fine, 1.5f);      // clamped
  e->setParameter(e, kParamVco1SampleHoldCv, NAN);       // ignored: nothing to tell
  e->setParameter(e, 0, 0.5f);      // no parameter: nothing to tell
  const std::vector<std::pair<int32_t, float>> expected = {{5, 0.25f}, {100, 0.0f}, {6, 1.0f}};
  EXPECT_EQ(gEditorLog.values, expected);
}

// The editor may read the plug-in while it goes: it is deleted before anything else.
TEST(PluginEditor, TheEditorIsDeletedFirst) {
  gEditorLog = {};
  {
    Instance in(kInstrumentIdentity, makeSpyWindow);
    ASSERT_NE(in.effect(), nullptr);
    EXPECT_EQ(in.close(), 1);
  }
  EXPECT_EQ(gEditorLog.deleted, 1);
  EXPECT_TRUE(gEditorLog.pluginReadyAtDelete);
}

}  // namespace
}  // namespace plugintest
