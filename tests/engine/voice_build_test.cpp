// The voice build: every module record, normalled connection and output jack of all nine
// voice contexts against the reference charts; the shared modules; the rate; the jack codes.
#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "engine/sample_rate.h"
#include "tests/engine/voice_reference.h"

namespace {

using namespace voice_ref;

struct NineVoices {
  SharedModules shared;
  std::unique_ptr<PatchVoice> voices[9];

  explicit NineVoices(float rate) {
    for (auto& v : voices) {
      v = std::make_unique<PatchVoice>();
      EXPECT_TRUE(v->build(rate, shared));
    }
  }
};

// The input lists of module m as row numbers, in evaluation order.
std::vector<int> inputRows(const PatchVoice& voice, int m, char kind) {
  const PatchModule& module = *voice.modules[m];
  const int count = kind == kControl ? module.controlCount : module.audioCount;
  std::vector<int> rows;
  for (int k = 0; k < count; ++k) {
    const PatchInput* in = kind == kControl ? module.controlInputs[k] : module.audioInputs[k];
    int row = 0;
    for (int r = 1; r <= kNormalledRowCount; ++r) {
      if (voice.normalRows[r] == in) row = r;
    }
    rows.push_back(row);
  }
  return rows;
}

std::vector<int> referenceInputRows(int m, char kind) {
  std::vector<int> rows;
  for (int r = 1; r <= 69; ++r) {
    if (moduleIndex(kRows[r - 1].destination) == m && kRows[r - 1].kind == kind) rows.push_back(r);
  }
  return rows;
}

std::map<std::uint32_t, std::pair<int, int>> builtOutputJacks(const PatchVoice& voice) {
  std::map<std::uint32_t, std::pair<int, int>> jacks;
  int count = 0;
  for (const PatchOutput* out = voice.outputJacks; out != nullptr; out = out->next, ++count) {
    jacks[out->code] = {indexOf(out->module), out->outputIndex};
  }
  EXPECT_EQ(count, 42) << "output jacks (a repeated code would hide in the map)";
  return jacks;
}

TEST(VoiceBuild, EveryVoiceMatchesTheWiringCharts) {
  NineVoices nine(44100.0f);
  std::map<std::uint32_t, std::pair<int, int>> expectedJacks;
  for (const OutputJack& jack : kOutputJacks) expectedJacks[code(jack.code)] = {moduleIndex(jack.module), jack.out};
  ASSERT_EQ(expectedJacks.size(), 42u);

  for (int v = 0; v < 9; ++v) {
    SCOPED_TRACE("voice " + std::to_string(v));
    const PatchVoice& voice = *nine.voices[v];
    ASSERT_EQ(voice.moduleCount, 44);
    EXPECT_EQ(voice.ownModuleCount, 32);
    for (int m = 0; m < 44; ++m) {
      SCOPED_TRACE(kModules[m].label);
      const PatchModule& module = *voice.modules[m];
      EXPECT_EQ(module.index, m);
      EXPECT_STREQ(module.name, kModules[m].name);
      EXPECT_EQ(static_cast<int>(module.type), kModules[m].type);
      EXPECT_EQ(static_cast<int>(voice.types[m]), kModules[m].type);
      EXPECT_EQ(inputRows(voice, m, kControl), referenceInputRows(m, kControl));
      EXPECT_EQ(inputRows(voice, m, kAudio), referenceInputRows(m, kAudio));
    }
    for (int r = 1; r <= 69; ++r) EXPECT_EQ(builtRow(voice, r), referenceRow(r)) << "row " << r;
    EXPECT_EQ(builtOutputJacks(voice), expectedJacks);
  }
}

TEST(VoiceBuild, RolesNameTheirRecords) {
  NineVoices nine(44100.0f);
  const PatchVoice& v = *nine.voices[4];
  const std::pair<const PatchModule*, const char*> roles[] = {
      {v.output, "OUTPUT"}, {v.vco2Pw, "VCO2 PW"}, {v.vca1Expl, "VCA 1 Expl"}, {v.insert2, "Insert2"},
      {v.switchA, "switch A"}, {v.switchB, "switch B"}, {v.switchC, "switch C"},
      {v.keyboardTrigger, "Keyboard Trigger"}, {v.sampleAndHold, "Sample and Hold"},
      {v.keyboardLfo, "Keyboard LFO"}, {v.zeroVolts, "Zero 0 Volts"}, {v.panControl1, "Pan Control 1"},
      {v.internalClock1, "Interal Clock 1"}, {v.rightInput, "Right Input"}};
  for (const auto& [record, label] : roles) EXPECT_EQ(indexOf(record), moduleIndex(label)) << label;
}

TEST(VoiceBuild, NineVoicesWrapTheTwelveSharedObjects) {
  NineVoices nine(44100.0f);
  SharedModules& s = nine.shared;
  const std::pair<PatchModule*, const char*> shared[] = {
      {s.keyboardLfo, "Keyboard LFO"}, {s.plus10Volts, "Plus 10 Volts"}, {s.minus10Volts, "Minus 10 Volts"},
      {s.zeroVolts, "Zero 0 Volts"},   {s.audioIn1, "Audio In 1"},       {s.audioIn2, "Audio In 2"},
      {s.pan, "Pan Control 1"},        {s.noise, "Noise Generator"},     {s.clock, "Interal Clock 1"},
      {s.reverb, "Reverb 1"},          {s.leftInput, "Left Input"},      {s.rightInput, "Right Input"}};
  for (const auto& [record, label] : shared) {
    SCOPED_TRACE(label);
    ASSERT_NE(record, nullptr);
    const int m = moduleIndex(label);
    EXPECT_STREQ(record->name, label);
    EXPECT_EQ(static_cast<int>(record->type), kModules[m].type);
    for (const auto& voice : nine.voices) EXPECT_EQ(voice->modules[m]->dsp, record->dsp);
  }
  // The input buses have objects in every build: all nine voices add into the same two.
  EXPECT_NE(s.leftInput->dsp, nullptr);
  EXPECT_NE(s.leftInput->dsp, s.rightInput->dsp);

  // A later build wraps, never re-creates, and every voice keeps objects of its own.
  PatchModule* const noiseBefore = s.noise;
  PatchVoice tenth;
  ASSERT_TRUE(tenth.build(44100.0f, s));
  EXPECT_EQ(s.noise, noiseBefore);
  std::set<void*> gates;
  for (const auto& voice : nine.voices) gates.insert(voice->envelopeGate->dsp);
  EXPECT_EQ(gates.size(), 9u);
  EXPECT_EQ(gates.count(nullptr), 0u);
}

TEST(VoiceBuild, RecordsOverAnotherRecordsObjectShareIt) {
  NineVoices nine(44100.0f);
  const PatchVoice& v = *nine.voices[0];
  const std::pair<const char*, const char*> pairs[] = {
      {"VCO2 PW", "VCO 2"},           {"ADSR Trigger1", "ADSR 1"},          {"AR Trigger 1", "AR 1"},
      {"VCA 1 Expl", "VCA 1"},        {"Ring Modulator In A", "Ring Modulator"},
      {"Ring Modulator In B", "Ring Modulator"}, {"switch B", "switch A"},  {"switch C", "switch A"}};
  for (const auto& [record, owner] : pairs) {
    EXPECT_EQ(v.modules[moduleIndex(record)]->dsp, v.modules[moduleIndex(owner)]->dsp) << record;
    EXPECT_FALSE(v.modules[moduleIndex(record)]->ownsDsp) << record;
  }
}

TEST(VoiceBuild, StoresTheRateAndStartsEveryRowOnItsRamp) {
  SharedModules shared;
  PatchVoice voice;
  voice.insert1Patched = 1;
  voice.insert2Patched = 1;
  ASSERT_TRUE(voice.build(48000.9f, shared));
  EXPECT_EQ(voice.sampleRate(), 48000);
  EXPECT_FLOAT_EQ(voice.rampRate.load(), 12.0f);
  EXPECT_EQ(voice.insert1Patched, 0);
  EXPECT_EQ(voice.insert2Patched, 0);
  for (int r = 1; r <= 69; ++r) EXPECT_EQ(voice.normalRows[r]->arrived, 0) << "row " << r;
  voice.advanceRamps();
  for (int r = 1; r <= 69; ++r) {
    EXPECT_EQ(voice.normalRows[r]->arrived, 1) << "row " << r;
    EXPECT_EQ(voice.normalRows[r]->off, kRows[r - 1].gain == 0.0f) << "row " << r;
  }
  EXPECT_FALSE(voice.build(48000.0f, shared)) << "a voice is built once";
  EXPECT_EQ(voice.moduleCount, 44);
}

TEST(VoiceBuild, JackCodesAreTheParameterTablesJacks) {
  SharedModules shared;
  PatchVoice voice;
  ASSERT_TRUE(voice.build(44100.0f, shared));
  std::set<std::uint32_t> inputs;
  for (int r = 1; r <= 69; ++r) {
    if (voice.normalRows[r]->code != code("none")) inputs.insert(voice.normalRows[r]->code);
  }
  std::set<std::uint32_t> outputs;
  for (const PatchOutput* out = voice.outputJacks; out != nullptr; out = out->next) outputs.insert(out->code);
  EXPECT_EQ(inputs.size(), 53u);
  EXPECT_EQ(outputs.size(), 42u);

  std::set<std::uint32_t> both;
  std::set_intersection(inputs.begin(), inputs.end(), outputs.begin(), outputs.end(),
                        std::inserter(both, both.begin()));
  const std::set<std::uint32_t> fanOut = {code("mlt1"), code("mlt2"), code("mlt3"), code("mlt4"),
                                          code("pl24"), code("pl50"), code("pl51"), code("pl52")};
  EXPECT_EQ(both, fanOut);

  std::set<std::uint32_t> graph = inputs;
  graph.insert(outputs.begin(), outputs.end());
  graph.insert(code("pl73"));
  graph.insert(code("pl74"));
  std::set<std::uint32_t> table;
  for (int j = 1; j <= kJackCount; ++j) table.insert(static_cast<std::uint32_t>(JackCodeTable[j]));
  EXPECT_EQ(graph.size(), 89u);
  EXPECT_EQ(graph, table);
}

}  // namespace
