// Host parameters through the plug-in object: normalised <-> plain per kind of parameter,
// cords, refusals, the texts the host reads, and the plug-in's own fields.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "plugin/param_routing.h"
#include "plugin_object_test_util.h"

namespace plugintest {
namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

struct RoundTrip {
  const char* kind;
  int index;
  float normalised;  // what the host sends
  float plain;       // what the plug-in stores
  float back;        // what getParameter gives
};

// Ranges from the parameter table: 5 is 0..1, 35 0..10, 64 -2..2, 7 0.01..1.01 (log),
// 81 voices 0..8, 83 pulses 1..100000, 62 a switch, 100 a cord (jack 11).
const RoundTrip kRoundTrips[] = {
    {"continuous 0..1", 5, 0.5f, 0.5f, 0.5f},
    {"continuous 0..10", 35, 0.25f, 2.5f, 0.25f},
    {"continuous -2..2", 64, 0.75f, 1.0f, 0.75f},
    {"continuous from 0.01", 7, 0.5f, 0.51f, 0.5f},
    {"clamped above", 35, 1.7f, 10.0f, 1.0f},
    {"clamped below", 64, -3.0f, -2.0f, 0.0f},
    {"infinite", 35, kInf, 10.0f, 1.0f},
    {"voices at one half", 81, 0.5f, 4.0f, 0.5f},
    {"voices round down", 81, 0.56f, 4.0f, 0.5f},    // 4.48
    {"voices round up", 81, 0.57f, 5.0f, 0.625f},    // 4.56
    {"all voices", 81, 1.0f, 8.0f, 1.0f},
    {"26 pulses", 83, 25.0f / 99999.0f, 26.0f, 25.0f / 99999.0f},
    {"24 pulses", 83, 23.0f / 99999.0f, 24.0f, 23.0f / 99999.0f},
    {"most pulses", 83, 1.0f, 100000.0f, 1.0f},
    {"switch low", 62, 0.4f, 0.0f, 0.0f},
    {"switch at one half", 62, 0.5f, 1.0f, 1.0f},
    {"switch high", 62, 0.6f, 1.0f, 1.0f},
    {"cord", 100, 0.058f, 58.0f, 0.058f},
    {"cord to jack 89", 100, 0.089f, 89.0f, 0.089f},
    {"cord to its own jack", 100, 0.011f, 0.0f, 0.0f},
    {"cord beyond the jacks", 100, 0.090f, 0.0f, 0.0f},
    {"cord at one half", 100, 0.5f, 0.0f, 0.0f},
    {"cord at full scale", 100, 1.0f, 0.0f, 0.0f},
    {"no cord", 100, 0.0f, 0.0f, 0.0f},
};

TEST(PluginParams, NormalisedAndPlainRoundTripPerKind) {
  Instance in;
  AEffect* e = in.effect();
  for (const RoundTrip& r : kRoundTrips) {
    SCOPED_TRACE(r.kind);
    e->setParameter(e, r.index, r.normalised);
    EXPECT_NEAR(in.plugin().paramValue(r.index), r.plain, 1e-6f * std::fabs(r.plain) + 1e-7f);
    EXPECT_NEAR(e->getParameter(e, r.index), r.back, 1e-6f);
  }
}

// The host sends a jack index in thousandths; every jack comes back as itself (0.058 x
// 1000 is 57.99999 in single precision), except the parameter's own jack: no cord.
TEST(PluginParams, EveryJackIndexComesBackFromTheHost) {
  Instance in;
  AEffect* e = in.effect();
  for (int p : {90, 133, 177}) {
    const int ownJack = p - 89;
    for (int j = 1; j <= 89; ++j) {
      e->setParameter(e, p, static_cast<float>(j) / 1000.0f);
      const float expected = j == ownJack ? 0.0f : static_cast<float>(j);
      EXPECT_EQ(in.plugin().paramValue(p), expected) << "param " << p << " jack " << j;
    }
  }
}

TEST(PluginParams, WhatNamesNoParameterChangesNothing) {
  Instance in;
  AEffect* e = in.effect();
  std::vector<float> before;
  for (int i = 0; i <= 178; ++i) before.push_back(in.plugin().paramValue(i));
  for (float v : {0.0f, 0.5f, 1.0f}) {
    for (int index : {0, 179, -1, 1000}) in.plugin().setParameter(index, v);
    e->setParameter(e, kParamCordMultiple4, v);  // beyond the host's 178 parameters
  }
  for (int i = 1; i <= 178; ++i) e->setParameter(e, i, kNaN);
  for (int i = 1; i <= 178; ++i) in.plugin().setParameterReal(i, kNaN);
  for (int i = 0; i <= 178; ++i) EXPECT_EQ(in.plugin().paramValue(i), before[i]) << i;
  EXPECT_EQ(in.plugin().getParameter(0), 0.0f);
  EXPECT_EQ(in.plugin().getParameter(179), 0.0f);
  EXPECT_EQ(in.text(effGetParamName, 0), "");
  EXPECT_EQ(in.text(effGetParamLabel, 0), "");
  EXPECT_EQ(in.text(effGetParamDisplay, 0), "");
}

// One half everywhere is a harmless setting: values stay in range, texts stay in bounds.
TEST(PluginParams, OneHalfEverywhereIsHarmless) {
  Instance in;
  AEffect* e = in.effect();
  for (int i = 0; i < 178; ++i) e->setParameter(e, i, 0.5f);
  for (int i = 0; i < 178; ++i) {
    SCOPED_TRACE(i);
    const float n = e->getParameter(e, i);
    EXPECT_TRUE(n >= 0.0f && n <= 1.0f);
    for (int32_t opcode : {effGetParamLabel, effGetParamDisplay}) {
      char buffer[64];
      std::memset(buffer, 'X', sizeof buffer);
      in.dispatch(opcode, i, 0, buffer);
      EXPECT_LE(std::strlen(buffer), 8u);
      EXPECT_EQ(buffer[9], 'X');  // at most 8 characters and the zero were written
    }
  }
}

struct TextCase {
  int index;
  float plain;
  const char* name;
  const char* label;
  const char* display;
};

const TextCase kTexts[] = {
    {5, 0.5f, "VCO1 Coarse Freq", "Volts", "0.500000"},
    {1, 1.0f, "Master Bypass", "state", "1.000000"},
    {64, -1.5f, "Octave Control", "rpt mode", "-1.50000"},
    {73, 0.25f, "MIDI Internal Clock Beat Offset", "percent", "0.250000"},
    {83, 100000.0f, "MIDI Internal Clock Pulses", "ticks", "100000.0"},
    {38, 0.0f, "AR SH Gate", "", "0.000000"},
    {61, 1.0f, "Ring Modulator Audio-DC Switch", "Audio/DC", "1.000000"},
    {177, 12.0f, "Multiple 3 Plug", "Plug", "12.00000"},
};

TEST(PluginParams, NamesLabelsAndDisplaysForTheHost) {
  Instance in;
  for (const TextCase& t : kTexts) {
    SCOPED_TRACE(t.index);
    in.plugin().setParameterReal(t.index, t.plain);
    EXPECT_EQ(in.text(effGetParamName, t.index), t.name);
    EXPECT_EQ(in.text(effGetParamLabel, t.index), t.label);
    EXPECT_EQ(in.text(effGetParamDisplay, t.index), t.display);
  }
}

TEST(PluginParams, TheLastRecordIsReachableFromThePanelOnly) {
  Instance in;
  in.plugin().setParameterReal(kParamCordMultiple4, 5.0f);
  EXPECT_EQ(in.plugin().paramValue(kParamCordMultiple4), 5.0f);
  char name[64];
  in.plugin().getParameterName(178, name);
  EXPECT_STREQ(name, "Multiple 4 Plug");
  EXPECT_EQ(in.text(effGetParamName, 178), "");  // the host addresses 0..177
}

struct FieldCase {
  const char* what;
  int index;
  float plain;
  std::function<float(Quorvane_VST&)> read;
  float expected;
};

#define FIELD(f) [](Quorvane_VST& p) { return static_cast<float>(p.settings.f.load()); }
#define ENGINE(f) [](Quorvane_VST& p) { return static_cast<float>(p.engine().f()); }

const FieldCase kFields[] = {
    {"bypass off", 1, 0.0f, ENGINE(bypassed), 1},
    {"bypass on", 1, 1.0f, ENGINE(bypassed), 0},
    {"gate from the clock", 38, 0.0f, FIELD(keyboardGatesEnvelopes), 0},
    {"gate from the keyboard", 38, 1.0f, FIELD(keyboardGatesEnvelopes), 1},
    {"multiple trigger on", 62, 0.0f, FIELD(multipleTrigger), 1},
    {"multiple trigger off", 62, 1.0f, FIELD(multipleTrigger), 0},
    {"repeat always", 63, 0.5f, FIELD(keyboardRepeatMode), 2},
    {"repeat off", 63, 1.5f, FIELD(keyboardRepeatMode), 1},
    {"repeat while held", 63, 2.0f, FIELD(keyboardRepeatMode), 0},
    {"clock offset", 73, -0.25f, ENGINE(clockOffset), -0.25f},
    {"LFO offset", 74, 0.5f, ENGINE(lfoOffset), 0.5f},
    {"master volume", 75, 0.25f, FIELD(masterVolume), 0.25f},
    {"latch on", 76, 1.0f, FIELD(intervalLatch), 1},
    {"latch off", 76, 0.0f, FIELD(intervalLatch), 0},
    {"eight voices", 81, 8.0f, ENGINE(voiceCount), 8},
    {"no voices", 81, 0.0f, ENGINE(voiceCount), 0},
    {"clock sync", 82, 1.0f, ENGINE(clockSync), 1},
    {"48 clock pulses", 83, 48.0f, FIELD(clockPulses), 48},
    {"clock scale of 48", 83, 48.0f, ENGINE(clockScale), 0.5f},
    {"no clock pulses", 83, 0.0f, FIELD(clockPulses), 1},
    {"clock scale of none", 83, 0.0f, ENGINE(clockScale), 24.0f},
    {"LFO sync", 84, 1.0f, ENGINE(lfoSync), 1},
    {"12 LFO pulses", 85, 12.0f, FIELD(lfoPulses), 12},
    {"LFO scale of 12", 85, 12.0f, ENGINE(lfoScale), 2.0f},
    {"LFO scale of 100000", 85, 100000.0f, ENGINE(lfoScale), 24.0f / 100000.0f},
};

TEST(PluginParams, ThePluginsOwnFields) {
  Instance in;
  for (const FieldCase& f : kFields) {
    SCOPED_TRACE(f.what);
    in.plugin().setParameterReal(f.index, f.plain);
    EXPECT_FLOAT_EQ(f.read(in.plugin()), f.expected);
  }
}

TEST(PluginParams, DefaultsReachTheOwnFields) {
  Instance in;
  in.plugin().changePatch(kChangeResetPatch, false);  // every parameter at its default
  const PluginSettings& s = in.plugin().settings;
  EXPECT_FALSE(in.plugin().engine().bypassed());
  EXPECT_EQ(s.clockPulses.load(), 24);
  EXPECT_EQ(in.plugin().engine().clockScale(), 1.0f);
  EXPECT_EQ(s.masterVolume.load(), 1.0f);
  EXPECT_EQ(s.keyboardRepeatMode.load(), 1);
}

TEST(PluginParams, CordEnds) {
  const int32_t pl11 = fourCharKey("pl11"), pl58 = fourCharKey("pl58");
  struct Case {
    int index;
    float plain;
    int32_t own, peer;
  } cases[] = {
      {100, 58.0f, pl11, pl58},
      {100, 11.0f, pl11, 0},
      {100, 0.0f, pl11, 0},
      {100, 90.0f, pl11, 0},
      {100, -3.0f, pl11, 0},
      {100, kNaN, pl11, 0},
      {178, 1.0f, fourCharKey("mlt4"), fourCharKey("plg1")},
      {90, 89.0f, fourCharKey("plg1"), fourCharKey("mlt4")},
      {89, 5.0f, 0, 0},
      {179, 5.0f, 0, 0},
  };
  for (const Case& c : cases) {
    const CordEnds ends = cordEnds(c.index, c.plain);
    EXPECT_EQ(ends.own, c.own) << c.index << " " << c.plain;
    EXPECT_EQ(ends.peer, c.peer) << c.index << " " << c.plain;
  }
}

}  // namespace
}  // namespace plugintest
