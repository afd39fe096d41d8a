#include "params/param_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "params/param_ids.h"

namespace {

struct RecordCase {
  int index;
  const char* key;  // nullptr: no key (0)
  const char* name;
  const char* unit;
  int section;
  int kind;
  float minimum;
  float maximum;
  float defaultValue;
  bool log;
  int store;
};

// Records checked field by field, a few of every kind and every text that is easy to get wrong.
const RecordCase kRecords[] = {
    {0, "Key ", "Place Holder", "state", 15, 2, 0, 1, 1, false, 0},
    {1, nullptr, "Master Bypass", "state", 15, 2, 0, 1, 1, false, 0},
    {2, "env1", "Envelope Follower", "dB", 9, 0, 0, 1, 0, false, 1},
    {7, "vo1s", "VCO1 S/H CV Level", "dB", 1, 0, 0.01f, 1.01f, 0.01f, true, 1},
    {9, "vo12", "VCO1 VCO2 CV Level", "dB", 1, 0, 0.01f, 0.26f, 0.01f, true, 1},
    {12, "vo2p", "VCO2 Pulse Width", "%", 2, 0, 0.1f, 0.9f, 0.5f, false, 1},
    {23, "vffc", "VCF Coarse Freq", "Volts", 4, 0, 0, 1, 0, false, 1},
    {33, "enva", "ADSR Attack Time", "seconds", 5, 0, 0.003f, 100, 0.1f, true, 1},
    {35, "envs", "ADSR Sustain Level", "Volts", 5, 0, 0, 10, 4, false, 1},
    {38, "shgt", "AR SH Gate", "", 6, 2, 0, 1, 0, false, 0},
    {50, "ngcl", "Noise Generator color", "Color", 12, 0, 0, 1, 0.5f, false, 1},
    {55, "vpef", "VP Lag Processor EF", "Hz", 9, 0, 1, 1600, 1.6f, true, 1},
    {57, "shrt", "Sample and Hold Rate", "dB", 7, 0, 0.01f, 5, 0.5f, true, 1},
    {58, "kbd1", "VCO1 Keybaoard Override", "dB", 1, 2, 0, 1, 1, false, 0},
    {59, "kbd2", "VCO2 Keybaoard Override", "dB", 2, 2, 0, 1, 1, false, 0},
    {60, "kbd3", "VCO3 Keybaoard Override", "dB", 3, 2, 0, 1, 1, false, 0},
    {61, "audc", "Ring Modulator Audio-DC Switch", "Audio/DC", 8, 2, 0, 1, 1, false, 0},
    {63, "krpt", "Keyboard Repeat", "rpt mode", 14, 0, 0, 2, 1, false, 1},
    {64, "octv", "Octave Control", "rpt mode", 14, 0, -2, 2, 0, false, 1},
    {65, "lfos", "LFO Speed", "Hertz", 13, 8, 0.0625f, 100, 2, true, 1},
    {66, "vibd", "Vibrato Delay", "Seconds", 13, 4, 0, 10, 2, false, 1},
    {68, "port", "Portamento Speed", "Seconds", 14, 4, 0.001f, 2, 0.01f, false, 1},
    {71, "pbnd", "Pitch Bend", "Volts", 14, 0, -2, 2, 0, false, 1},
    {73, "miof", "MIDI Internal Clock Beat Offset", "percent", 15, 0, -0.5f, 0.5f, 0, false, 1},
    {75, "mvol", "Master Volume", "db", 15, 0, 0, 1, 1, false, 1},
    {81, "vcss", "Voices", "Voices", 15, 1, 0, 8, 1, false, 0},
    {82, "miis", "MIDIInternal Clock Sync", "off/on", 15, 2, 0, 1, 0, false, 0},
    {83, "miip", "MIDI Internal Clock Pulses", "ticks", 15, 1, 1, 100000, 24, false, 0},
    {86, "grup", "Group List", "Group", 15, 1, 0, 8, 1, false, 1},
    {89, "mled", "MIDI Led", "Led", 15, 2, 0, 1, 1, false, 1},
    {90, "plg1", "Env. Foll Input Plug", "Plug", 15, 1, 0, 89, 0, false, 3},
    {129, "pl40", "VP Ch. 1 (unatten.) 1 In Plug", "Plug", 15, 1, 0, 89, 0, false, 3},
    {142, "pl53", "Preamp(side chain) Out 1 Plug", "Plug", 15, 1, 0, 89, 0, false, 3},
    {148, "pl59", "VCO2 Sine Out Plug", "Plug", 15, 1, 0, 89, 0, false, 3},
    {165, "pl76", "100% Reverb Out Plug", "Plug", 15, 1, 0, 89, 0, false, 3},
    {173, "v1si", "VCO1 Sine Out Plug", "Plug", 15, 1, 0, 89, 0, false, 3},
    {174, "v3si", "VCO3 Sine Out Plug", "Plug", 15, 1, 0, 89, 0, false, 3},
    {178, "mlt4", "Multiple 4 Plug", "Plug", 15, 1, 0, 89, 0, false, 3},
    {179, nullptr, "<noname>", "", 0, 0, 0, 0, 0, false, 0},
};

int32_t key(const char* text) {
  if (!text) return 0;
  char k[5] = {};
  std::memcpy(k, text, 4);
  return fourCharKey(k);
}

bool terminated(const char* field, size_t size) { return std::memchr(field, 0, size) != nullptr; }

TEST(ParamTable, FourCharKeyPutsTheFirstCharacterInTheHighByte) {
  EXPECT_EQ(fourCharKey("env1"), 0x656E7631);
  EXPECT_EQ(kNoConnectionCode, 0x6E6F636F);
}

TEST(ParamTable, RecordsReadAsListed) {
  for (const RecordCase& c : kRecords) {
    SCOPED_TRACE("record " + std::to_string(c.index));
    const ParamDesc& d = ParamDescTable[c.index];
    EXPECT_EQ(ParamKeyTable[c.index], key(c.key));
    EXPECT_STREQ(d.name, c.name);
    EXPECT_STREQ(d.unitLabel, c.unit);
    EXPECT_EQ(d.section, c.section);
    EXPECT_EQ(d.kind, c.kind);
    EXPECT_EQ(d.minimum, c.minimum);
    EXPECT_EQ(d.maximum, c.maximum);
    EXPECT_EQ(d.defaultValue, c.defaultValue);
    EXPECT_EQ(d.flags, c.log ? kParamFlagLog : 0u);
    EXPECT_EQ(ParamTypeTable[c.index], c.store);
  }
}

TEST(ParamTable, TerminatorEndsTheCountAt179) {
  EXPECT_EQ(countParamRecords(), kParamRecordCount);
  EXPECT_EQ(kParamRecordCount, 179);
  const ParamDesc& t = ParamDescTable[179];
  EXPECT_STREQ(t.secondName, "");
  EXPECT_EQ(t.flags, 0u);
  EXPECT_EQ(ParamTypeTable[179], 0);
  EXPECT_EQ(kHostParamCount, 178);
}

TEST(ParamTable, EveryRecordIsWellFormed) {
  for (int i = 0; i < kParamRecordCount; ++i) {
    SCOPED_TRACE("record " + std::to_string(i));
    const ParamDesc& d = ParamDescTable[i];
    ASSERT_TRUE(terminated(d.name, sizeof d.name));
    ASSERT_TRUE(terminated(d.unitLabel, sizeof d.unitLabel));
    ASSERT_TRUE(terminated(d.secondName, sizeof d.secondName));
    EXPECT_GT(std::strlen(d.name), 0u);
    EXPECT_STREQ(d.secondName, d.name);
    EXPECT_GE(d.section, 1);
    EXPECT_LE(d.section, 15);
    EXPECT_TRUE(d.kind == 0 || d.kind == 1 || d.kind == 2 || d.kind == 4 || d.kind == 8);
    EXPECT_TRUE(d.flags == 0 || d.flags == kParamFlagLog);
    EXPECT_LT(d.minimum, d.maximum);
    EXPECT_GE(d.defaultValue, d.minimum);
    EXPECT_LE(d.defaultValue, d.maximum);
    if (d.flags & kParamFlagLog) {
      EXPECT_GT(d.minimum, 0.0f);  // a logarithm needs min > 0
    }
    const int32_t store = ParamTypeTable[i];
    EXPECT_TRUE(store == kStoreInteger || store == kStoreReal || store == kStoreCord);
    EXPECT_EQ(store == kStoreCord, i >= kFirstCordParam);
  }
}

TEST(ParamTable, CordRecordsShareOneShape) {
  for (int i = kFirstCordParam; i <= kLastCordParam; ++i) {
    SCOPED_TRACE("record " + std::to_string(i));
    const ParamDesc& d = ParamDescTable[i];
    EXPECT_STREQ(d.unitLabel, "Plug");
    EXPECT_EQ(d.section, 15);
    EXPECT_EQ(d.kind, kParamCounted);
    EXPECT_EQ(d.minimum, 0.0f);
    EXPECT_EQ(d.maximum, 89.0f);
    EXPECT_EQ(d.defaultValue, 0.0f);
    EXPECT_EQ(d.flags, 0u);
  }
}

TEST(ParamTable, KeysAreUniquePrintableAndOnlyBypassHasNone) {
  std::set<int32_t> seen;
  for (int i = 0; i < kParamRecordCount; ++i) {
    SCOPED_TRACE("record " + std::to_string(i));
    const int32_t k = ParamKeyTable[i];
    EXPECT_TRUE(seen.insert(k).second);
    if (i == 1) {
      EXPECT_EQ(k, 0);
      continue;
    }
    for (int shift = 24; shift >= 0; shift -= 8) {
      const int c = (static_cast<uint32_t>(k) >> shift) & 0xFF;
      EXPECT_TRUE(c >= 0x20 && c < 0x7F);
    }
  }
  EXPECT_EQ(ParamKeyTable[179], 0);
}

TEST(ParamTable, JackCodesAreUniqueAndNameTheirCordParameter) {
  EXPECT_EQ(JackCodeTable[0], fourCharKey("noco"));
  EXPECT_EQ(JackCodeTable[1], fourCharKey("plg1"));
  EXPECT_EQ(JackCodeTable[89], fourCharKey("mlt4"));
  std::set<int32_t> seen;
  for (int j = 0; j < kJackTableSize; ++j) EXPECT_TRUE(seen.insert(JackCodeTable[j]).second) << j;
  for (int j = 1; j <= kJackCount; ++j)
    EXPECT_EQ(JackCodeTable[j], ParamKeyTable[j + 89]) << "jack " << j;
  EXPECT_EQ(JackCodeTable[148 - 89], fourCharKey("pl59"));
  EXPECT_EQ(JackCodeTable[173 - 89], fourCharKey("v1si"));
  EXPECT_EQ(JackCodeTable[174 - 89], fourCharKey("v3si"));
}

TEST(ParamTable, FindParameterKey) {
  const struct {
    int32_t key;
    int32_t index;
  } cases[] = {
      {fourCharKey("Key "), 0}, {fourCharKey("env1"), 2},  {fourCharKey("mled"), 89},
      {fourCharKey("plg1"), 90}, {fourCharKey("plg5"), 94}, {fourCharKey("plg8"), 97},
      {fourCharKey("pl13"), 102}, {fourCharKey("mlt4"), 178}, {fourCharKey("noco"), -1},
      {fourCharKey("ENV1"), -1}, {fourCharKey("Key\0"), -1}, {0, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(findParameterKey(c.key), c.index) << std::hex << c.key;
  for (int i = 2; i < kParamRecordCount; ++i) EXPECT_EQ(findParameterKey(ParamKeyTable[i]), i);
}

// The names of the indexes against the table they index: the descriptor's name and the key.
TEST(ParamTable, IndexNamesNameTheirRecords) {
  const struct {
    ParamIndex index;
    const char* name;
    const char key[5];
  } cases[] = {
      {kParamMasterBypass, "Master Bypass", "\0\0\0\0"}, {kParamVcfResonance, "VCF Resonance", "vffr"},
      {kParamLfoRate, "LFO Speed", "lfos"},               {kParamVoices, "Voices", "vcss"},
      {kParamMidiLight, "MIDI Led", "mled"},               {kParamCordEnvelopeFollowerIn, "Env. Foll Input Plug", "plg1"},
      {kParamCordVco2Vco1Cv, "VCO2 VCO1 CV Plug", "pl11"}, {kParamCordVco1SineOut, "VCO1 Sine Out Plug", "v1si"},
      {kParamCordMultiple4, "Multiple 4 Plug", "mlt4"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(ParamDescTable[c.index].name, c.name) << c.index;
    EXPECT_EQ(ParamKeyTable[c.index], c.key[0] == 0 ? 0 : fourCharKey(c.key)) << c.name;
  }
}

}  // namespace
