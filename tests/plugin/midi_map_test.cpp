#include "plugin/midi_map.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>
#include <vector>

namespace {

// Every parameter the map answers for the controller source on (controller, channel), in
// scan order.
std::vector<int> controllerMatches(const MidiMap& map, int controller, int channel) {
  std::vector<int> found;
  int position = 0;
  MidiSourceSetting s;
  while (int p = map.lookup(position, kMidiBitController, controller, channel, s))
    found.push_back(p);
  return found;
}

MidiMapEntry controllerEntry(int parameter, int controller, int channel, float low,
                             float high, int curve = 0, int invert = 0) {
  MidiMapEntry e = blankMidiMapEntry(parameter);
  e.controller = controller;
  e.channel = channel;
  e.sourceBits = kMidiBitController;
  e.range[kMidiSourceController] = {low, high};
  e.curve[kMidiSourceController] = curve;
  e.invert[kMidiSourceController] = invert;
  return e;
}

// The first entry of `parameter`, which the map must have.
MidiMapEntry firstOf(const MidiMap& map, int parameter) {
  MidiMapEntry e = blankMidiMapEntry(0);
  EXPECT_TRUE(map.findByParameter(parameter, e)) << "no entry of " << parameter;
  return e;
}

// What every entry of a map must satisfy whatever it was fed.
void expectSane(const MidiMap& map) {
  ASSERT_LE(map.count(), MidiMap::kCapacity);
  for (const MidiMapEntry& e : map.entries()) {
    EXPECT_GE(e.parameter, 1);
    EXPECT_LE(e.parameter, 178);
    EXPECT_GE(e.channel, 0);
    EXPECT_LE(e.channel, 15);
    EXPECT_GE(e.controller, 0);
    EXPECT_LE(e.controller, 128);
    EXPECT_EQ(e.sourceBits & ~15u, 0u);
    for (int s = 0; s < kMidiSourceCount; ++s) {
      EXPECT_GE(e.range[s].low, 0.0f);
      EXPECT_LE(e.range[s].low, 127.0f);
      EXPECT_GE(e.range[s].high, 0.0f);
      EXPECT_LE(e.range[s].high, 127.0f);
      EXPECT_TRUE(e.curve[s] >= 0 && e.curve[s] <= 2);
      EXPECT_TRUE(e.invert[s] == 0 || e.invert[s] == 1);
    }
  }
}

TEST(MidiMap, FreshMapHoldsTheTwelveDefaults) {
  const MidiMap map;
  ASSERT_EQ(map.count(), 12);
  const int controllers[12] = {82, 83, 28, 29, 81, 74, 71, 1, 2, 3, 10, 128};
  const int parameters[12] = {33, 34, 35, 36, 31, 23, 25, 67, 3, 4, 45, 71};
  const std::vector<MidiMapEntry> all = map.entries();
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(all[i].controller, controllers[i]);
    EXPECT_EQ(all[i].parameter, parameters[i]);
    EXPECT_EQ(all[i].channel, 0);
    EXPECT_EQ(all[i].sourceBits, kMidiBitController);
  }
  EXPECT_EQ(controllerMatches(map, 74, 0), std::vector<int>{23});
  EXPECT_TRUE(controllerMatches(map, 74, 1).empty());
  int position = 0;
  MidiSourceSetting s;
  EXPECT_EQ(map.lookup(position, kMidiBitController, kMidiControllerPitchBend, 0, s), 71);
  EXPECT_EQ(s.low, 53.0f);
  EXPECT_EQ(s.high, 74.0f);
}

TEST(MidiMap, LookupScansOnFromWhereItStopped) {
  MidiMap map;
  ASSERT_TRUE(map.appendEntry(controllerEntry(40, 20, 3, 1, 2)));
  ASSERT_TRUE(map.appendEntry(controllerEntry(41, 21, 3, 0, 127)));
  ASSERT_TRUE(map.appendEntry(controllerEntry(42, 20, 3, 5, 6, 2, 1)));
  EXPECT_EQ(controllerMatches(map, 20, 3), (std::vector<int>{40, 42}));

  int position = 0;
  MidiSourceSetting s;
  ASSERT_EQ(map.lookup(position, kMidiBitController, 20, 3, s), 40);
  EXPECT_EQ(position, 13);
  ASSERT_EQ(map.lookup(position, kMidiBitController, 20, 3, s), 42);
  EXPECT_EQ(s.low, 5.0f);
  EXPECT_EQ(s.high, 6.0f);
  EXPECT_EQ(s.curve, 2);
  EXPECT_EQ(s.invert, 1);
  EXPECT_EQ(map.lookup(position, kMidiBitController, 20, 3, s), 0);
  EXPECT_EQ(map.lookup(position, kMidiBitController, 20, 3, s), 0);
  // Not a single source bit: nothing matches.
  position = 0;
  EXPECT_EQ(map.lookup(position, kMidiBitController | kMidiBitVelocity, 20, 3, s), 0);
}

TEST(MidiMap, PatchSourcesMatchWhateverTheirChannelAndController) {
  MidiMap map;
  MidiMapEntry v = blankMidiMapEntry(25);  // VCF Resonance, controller 71 in the defaults
  v.channel = 9;
  v.controller = 99;
  v.sourceBits = kMidiBitVelocity;
  v.range[kMidiSourceVelocity] = {10, 20};
  v.curve[kMidiSourceVelocity] = 1;
  ASSERT_TRUE(map.setEntry(kMidiBitController, v));

  MidiMapEntry e = firstOf(map, 25);
  EXPECT_EQ(e.sourceBits, kMidiBitController | kMidiBitVelocity);
  EXPECT_EQ(e.controller, 71);  // the controller source is untouched
  EXPECT_EQ(e.channel, 0);

  int position = 0;
  MidiSourceSetting s;
  EXPECT_EQ(map.lookup(position, kMidiBitVelocity, 0, 0, s), 25);
  EXPECT_EQ(s.low, 10.0f);
  EXPECT_EQ(s.high, 20.0f);
  EXPECT_EQ(s.curve, 1);
  EXPECT_EQ(map.lookup(position, kMidiBitVelocity, 0, 0, s), 0);
  position = 0;
  EXPECT_EQ(map.lookup(position, kMidiBitModWheel, 0, 0, s), 0);
}

TEST(MidiMap, SetEntryMergesIntoTheFirstEntryOrAppends) {
  MidiMap map;
  ASSERT_TRUE(map.appendEntry(controllerEntry(25, 5, 5, 0, 127)));  // a second entry of 25
  // Keep mask 0 and the controller bit: the first entry of 25 is replaced in its controller
  // source and loses every other bit.
  MidiMapEntry velocity = blankMidiMapEntry(25);
  velocity.sourceBits = kMidiBitVelocity;
  ASSERT_TRUE(map.setEntry(kMidiBitController, velocity));
  ASSERT_TRUE(map.setEntry(0, controllerEntry(25, 20, 2, 7, 9, 1, 1)));
  MidiMapEntry e;
  ASSERT_TRUE(map.entryAt(6, e));
  EXPECT_EQ(e.parameter, 25);
  EXPECT_EQ(e.sourceBits, kMidiBitController);
  EXPECT_EQ(e.controller, 20);
  EXPECT_EQ(e.channel, 2);
  EXPECT_EQ(e.range[kMidiSourceController].low, 7.0f);
  EXPECT_EQ(e.curve[kMidiSourceController], 1);
  ASSERT_TRUE(map.entryAt(12, e));
  EXPECT_EQ(e.controller, 5);  // later entries of the parameter are left alone

  ASSERT_TRUE(map.setEntry(0, controllerEntry(100, 30, 0, 0, 127)));
  EXPECT_EQ(map.count(), 14);
  EXPECT_EQ(controllerMatches(map, 30, 0), std::vector<int>{100});
}

TEST(MidiMap, EntriesAreSanitisedOnTheWayIn) {
  MidiMap map;
  for (int bad : {0, -1, 179, 1000}) {
    EXPECT_FALSE(map.appendEntry(controllerEntry(bad, 20, 0, 0, 127))) << bad;
    EXPECT_FALSE(map.setEntry(0, controllerEntry(bad, 20, 0, 0, 127))) << bad;
  }
  EXPECT_EQ(map.count(), 12);
  MidiMapEntry wild = controllerEntry(178, 500, 40, NAN, 1000.0f, 7, 5);
  wild.sourceBits = 0xFFFFFFFF;
  wild.range[kMidiSourceVelocity] = {-3.0f, INFINITY};
  ASSERT_TRUE(map.appendEntry(wild));
  MidiMapEntry e;
  ASSERT_TRUE(map.entryAt(12, e));
  EXPECT_EQ(e.channel, 15);
  EXPECT_EQ(e.controller, 128);
  EXPECT_EQ(e.sourceBits, 15u);
  EXPECT_EQ(e.range[kMidiSourceController].low, 0.0f);
  EXPECT_EQ(e.range[kMidiSourceController].high, 127.0f);
  EXPECT_EQ(e.range[kMidiSourceVelocity].low, 0.0f);
  EXPECT_EQ(e.range[kMidiSourceVelocity].high, 127.0f);
  EXPECT_EQ(e.curve[kMidiSourceController], 0);
  EXPECT_EQ(e.invert[kMidiSourceController], 1);
  expectSane(map);
}

TEST(MidiMap, AppendingStopsAtTheCapacity) {
  MidiMap map;
  MidiMapEntry first;
  ASSERT_TRUE(map.entryAt(0, first));
  while (map.count() < MidiMap::kCapacity) ASSERT_TRUE(map.appendEntry(first));
  EXPECT_FALSE(map.appendEntry(first));
  EXPECT_FALSE(map.setEntry(0, controllerEntry(100, 1, 1, 0, 127)));  // would append
  EXPECT_TRUE(map.setEntry(0, controllerEntry(33, 1, 1, 0, 127)));    // merges
  EXPECT_EQ(map.count(), MidiMap::kCapacity);
}

TEST(MidiMap, ClearingControllerSourcesKeepsTheEntries) {
  MidiMap map;
  MidiMapEntry velocity = blankMidiMapEntry(23);
  velocity.sourceBits = kMidiBitVelocity;
  ASSERT_TRUE(map.setEntry(kMidiBitController, velocity));
  map.clearControllerSources();
  EXPECT_EQ(map.count(), 12);
  EXPECT_TRUE(controllerMatches(map, 74, 0).empty());
  for (const MidiMapEntry& e : map.entries()) {
    EXPECT_EQ(e.controller, 0);
    EXPECT_EQ(e.sourceBits, e.parameter == 23 ? kMidiBitVelocity : 0u);
  }
}

TEST(MidiMap, ResettingPatchSourcesKeepsOnlyTheControllerSource) {
  MidiMap map;
  MidiMapEntry patch = blankMidiMapEntry(23);
  patch.sourceBits = kMidiBitModWheel | kMidiBitAftertouch;
  patch.range[kMidiSourceModWheel] = {3, 4};
  patch.curve[kMidiSourceAftertouch] = 2;
  patch.invert[kMidiSourceAftertouch] = 1;
  ASSERT_TRUE(map.setEntry(kMidiBitController, patch));
  MidiMapEntry patchOnly = blankMidiMapEntry(150);
  patchOnly.sourceBits = kMidiBitVelocity;
  ASSERT_TRUE(map.setEntry(kMidiBitController, patchOnly));
  map.resetPatchSources();

  MidiMapEntry e = firstOf(map, 23);
  EXPECT_EQ(e.sourceBits, kMidiBitController);
  EXPECT_EQ(e.controller, 74);
  EXPECT_EQ(e.range[kMidiSourceModWheel].low, 0.0f);
  EXPECT_EQ(e.range[kMidiSourceModWheel].high, 127.0f);
  EXPECT_EQ(e.curve[kMidiSourceAftertouch], 0);
  EXPECT_EQ(e.invert[kMidiSourceAftertouch], 0);
  e = firstOf(map, 150);  // stays, without sources
  EXPECT_EQ(e.sourceBits, 0u);
  EXPECT_EQ(map.count(), 13);
}

// --- Map file text ------------------------------------------------------------------------

TEST(MidiMapText, WritesOneKindFourLinePerEntry) {
  MidiMap map;
  ASSERT_TRUE(map.setEntry(0, controllerEntry(23, 74, 0, 10.5f, 99.25f, 2, 1)));
  std::string text;
  EXPECT_EQ(map.write(text), 12);
  const std::string firstLine = "4: 0, 82, 33, 1, 0.000000, 127.000000, 0, 0\n";
  EXPECT_EQ(text.substr(0, firstLine.size()), firstLine);
  EXPECT_NE(text.find("4: 0, 74, 23, 1, 10.500000, 99.250000, 2, 1\n"), std::string::npos);
  EXPECT_NE(text.find("4: 0, 128, 71, 1, 53.000000, 74.000000, 0, 0\n"), std::string::npos);
}

TEST(MidiMapText, WriteThenReadReproducesEveryControllerSource) {
  MidiMap original;
  ASSERT_TRUE(original.setEntry(0, controllerEntry(23, 74, 3, 10.5f, 99.25f, 2, 1)));
  ASSERT_TRUE(original.setEntry(0, controllerEntry(178, 128, 15, 127, 0, 1, 0)));
  ASSERT_TRUE(original.appendEntry(controllerEntry(23, 7, 1, 0.125f, 1.75f)));
  original.clearControllerSources();
  ASSERT_TRUE(original.setEntry(0, controllerEntry(33, 16, 9, 4, 8, 1, 1)));
  ASSERT_TRUE(original.setEntry(0, controllerEntry(100, 17, 2, 0, 64, 2, 0)));
  std::string text;
  original.write(text);

  MidiMap copy;
  EXPECT_EQ(copy.read(text), original.count());
  const std::vector<MidiMapEntry> before = original.entries();
  const std::vector<MidiMapEntry> after = copy.entries();
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < before.size(); ++i) {
    const MidiMapEntry& o = before[i];
    const MidiMapEntry& c = after[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(c.parameter, o.parameter);
    EXPECT_EQ(c.sourceBits, o.sourceBits);
    EXPECT_EQ(c.channel, o.channel);
    EXPECT_EQ(c.controller, o.controller);
    EXPECT_EQ(c.range[kMidiSourceController].low, o.range[kMidiSourceController].low);
    EXPECT_EQ(c.range[kMidiSourceController].high, o.range[kMidiSourceController].high);
    EXPECT_EQ(c.curve[kMidiSourceController], o.curve[kMidiSourceController]);
    EXPECT_EQ(c.invert[kMidiSourceController], o.invert[kMidiSourceController]);
  }
  // Two entries of parameter 23 (controllers 74 and 7, both cleared and written along)
  // come back as two entries, not one overwritten by the other.
  EXPECT_EQ(before[5].parameter, 23);
  EXPECT_EQ(before[13].parameter, 23);
  EXPECT_EQ(after[13].range[kMidiSourceController].low, 0.125f);
}

TEST(MidiMapText, KindOneLineAddsOnlyTheControllerBit) {
  MidiMap map;
  MidiMapEntry velocity = blankMidiMapEntry(25);
  velocity.sourceBits = kMidiBitVelocity;
  ASSERT_TRUE(map.setEntry(kMidiBitController, velocity));
  ASSERT_TRUE(map.setEntry(0, controllerEntry(25, 71, 0, 5, 6, 2, 1)));  // keeps no velocity
  ASSERT_TRUE(map.setEntry(kMidiBitController, velocity));
  EXPECT_EQ(map.read("1: 0, 20, 25, 7"), 1);
  MidiMapEntry e = firstOf(map, 25);
  EXPECT_EQ(e.channel, 0);
  EXPECT_EQ(e.controller, 20);
  EXPECT_EQ(e.sourceBits, kMidiBitController | kMidiBitVelocity);
  EXPECT_EQ(e.range[kMidiSourceController].low, 0.0f);
  EXPECT_EQ(e.range[kMidiSourceController].high, 127.0f);
  EXPECT_EQ(e.curve[kMidiSourceController], 0);
  EXPECT_EQ(e.invert[kMidiSourceController], 0);
}

TEST(MidiMapText, NumbersIgnoreTheCLocale) {
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8"))
    GTEST_SKIP() << "no locale with a decimal comma";
  MidiMap map;
  ASSERT_TRUE(map.setEntry(0, controllerEntry(23, 74, 0, 10.5f, 99.25f)));
  std::string text;
  map.write(text);
  EXPECT_NE(text.find("10.500000, 99.250000"), std::string::npos);
  MidiMap copy;
  EXPECT_EQ(copy.read("2: 0, 74, 23, 1, 0.5, 64.75"), 1);
  MidiMapEntry e = firstOf(copy, 23);
  EXPECT_EQ(e.range[kMidiSourceController].low, 0.5f);
  EXPECT_EQ(e.range[kMidiSourceController].high, 64.75f);
  std::setlocale(LC_ALL, "C");
}

// Malformed map files: each ends with the lines that parse taken, the rest skipped, and
// every entry within its bounds.
struct MalformedCase {
  const char* name;
  std::string text;
  int taken;
};

std::vector<MalformedCase> malformedCases() {
  std::string binary = "4: 0, 20, 25, 1, 0, 127, 0, 0\n";
  binary += std::string("\0\xFF\x80 1: \0 3", 10) + "\n";
  return {
      {"empty", "", 0},
      {"onlyLineEnds", "\r\n\r\r\n\n\n", 0},
      {"noNumber", "hello\nworld", 0},
      {"noNumberThenGoodLine", "map:\n4: 0, 20, 25, 1, 0, 127, 0, 0", 1},
      {"kindOnly", "4:", 0},
      {"noColon", "4 0, 20, 25, 1, 0, 127, 0, 0", 0},
      {"tooFewFields", "4: 0, 20, 25, 1, 0.0, 127.0, 0", 0},
      {"tooManyFields", "4: 0, 20, 25, 1, 0.0, 127.0, 0, 0, 9", 0},
      {"trailingText", "1: 0, 20, 25, 1 and more", 0},
      {"unknownKind", "9: 0, 20, 25, 1\n0: 0, 20, 25, 1\n-4: 0, 20, 25, 1", 0},
      {"parameterZero", "4: 0, 20, 0, 1, 0, 127, 0, 0", 0},
      {"parameter179", "4: 0, 20, 179, 1, 0, 127, 0, 0", 0},
      {"parameterHuge", "4: 0, 20, 99999999999, 1, 0, 127, 0, 0", 0},
      {"parameterNegative", "4: 0, 20, -3, 1, 0, 127, 0, 0", 0},
      {"channel16", "4: 16, 20, 25, 1, 0, 127, 0, 0", 0},
      {"channelNegative", "4: -1, 20, 25, 1, 0, 127, 0, 0", 0},
      {"controller129", "4: 0, 129, 25, 1, 0, 127, 0, 0", 0},
      {"rangeNotANumber", "4: 0, 20, 25, 1, nan, 127, 0, 0", 0},
      {"rangeInfinite", "2: 0, 20, 25, 1, 0, inf", 0},
      {"rangeAndCurveClamped", "4: 0, 20, 25, 1, -50, 500, 9, 3", 1},
      {"decimalComma", "2: 0, 20, 25, 1, 0,5, 64", 0},
      {"crSeparatedWithGarbage", "4: 0, 20, 25, 1, 0, 127, 0, 0\rjunk\r3: 1, 21, 26, 1, 1, 2, 1, 0", 2},
      {"binary", binary, 1},
      {"longLine", std::string(100000, '7') + ": 1", 0},
      {"manyLines", [] {
         std::string t;
         for (int i = 0; i < 2000; ++i) t += "1: 0, 20, " + std::to_string(1 + i % 178) + ", 1\n";
         return t;
       }(), 2000},
  };
}

TEST(MidiMapText, MalformedFilesEndAndLeaveASaneMap) {
  for (const MalformedCase& c : malformedCases()) {
    SCOPED_TRACE(c.name);
    MidiMap map;
    EXPECT_EQ(map.read(c.text), c.taken);
    expectSane(map);
    EXPECT_GE(map.count(), 12);
  }
}

TEST(MidiMapText, ClampedLineKeepsItsValuesWithinBounds) {
  MidiMap map;
  ASSERT_EQ(map.read("4: 0, 20, 25, 1, -50, 500, 9, 3"), 1);
  MidiMapEntry e = firstOf(map, 25);
  EXPECT_EQ(e.range[kMidiSourceController].low, 0.0f);
  EXPECT_EQ(e.range[kMidiSourceController].high, 127.0f);
  EXPECT_EQ(e.curve[kMidiSourceController], 0);
  EXPECT_EQ(e.invert[kMidiSourceController], 1);
  EXPECT_EQ(controllerMatches(map, 20, 0), std::vector<int>{25});
  EXPECT_TRUE(controllerMatches(map, 74, 0).empty());  // reading cleared the others
}

TEST(MidiMapText, LinesOfEveryKindAndEveryLineEnd) {
  MidiMap map;
  EXPECT_EQ(map.read("1: 1, 21, 40, 1\r\n2: 2, 22, 41, 1, 3.5, 4.5\r3: 3, 23, 42, 1, 5, 6, 1, "
                     "1\n4: 4, 128, 43, 9, 7, 8, 2, 0"),
            4);
  EXPECT_EQ(controllerMatches(map, 21, 1), std::vector<int>{40});
  EXPECT_EQ(controllerMatches(map, 22, 2), std::vector<int>{41});
  EXPECT_EQ(controllerMatches(map, 23, 3), std::vector<int>{42});
  EXPECT_EQ(controllerMatches(map, 128, 4), std::vector<int>{43});
  MidiMapEntry e = firstOf(map, 41);
  EXPECT_EQ(e.range[kMidiSourceController].low, 3.5f);
  EXPECT_EQ(e.curve[kMidiSourceController], 0);
  e = firstOf(map, 43);
  EXPECT_EQ(e.sourceBits, kMidiBitController | kMidiBitAftertouch);
  EXPECT_EQ(e.range[kMidiSourceAftertouch].high, 127.0f);  // new entry: default patch ranges
}

}  // namespace
