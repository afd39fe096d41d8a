// Hostile and malformed patch texts: each reads without fault to a defined record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/patch.h"

namespace {

constexpr uint32_t code(const char (&t)[5]) {
  return (uint32_t(uint8_t(t[0])) << 24) | (uint32_t(uint8_t(t[1])) << 16) |
         (uint32_t(uint8_t(t[2])) << 8) | uint32_t(uint8_t(t[3]));
}

// What a text reads to, in a few words: the parameters (key and kind), the program slot,
// the name and the notes.
struct Outcome {
  std::vector<std::pair<uint32_t, int>> params;
  int32_t programSlot;
  std::string name;
  std::string notes;
};

Patch readFresh(const std::string& text) {
  Patch p;
  p.name = "before";
  p.notes = "old notes";
  p.readText(text.data(), text.size());
  return p;
}

TEST(PatchHostile, EveryTextReadsToADefinedRecord) {
  const std::string longWord(10000, 'w');
  const std::vector<std::pair<uint32_t, int>> volumeOnly = {{code("mvol"), 1}};
  const struct {
    std::string text;
    Outcome expected;
  } cases[] = {
      {"", {volumeOnly, -1, "before", "old notes"}},
      {"\r", {volumeOnly, -1, "before", "old notes"}},
      {"\n\n\r\n\r", {volumeOnly, -1, "before", "old notes"}},
      // Every kind of line ending, alone and mixed; a stray CR merges nothing.
      {"0 : shgt = 1\r4 : PatchName = A\r", {{{code("shgt"), 0}, {code("mvol"), 1}}, -1, "A", "old notes"}},
      {"0 : shgt = 1\r\n4 : PatchName = A\r\n", {{{code("shgt"), 0}, {code("mvol"), 1}}, -1, "A", "old notes"}},
      {"0 : shgt = 1\n0 : kbd1 = 1\r4 : PatchName = A\n15 : 3\n",
       {{{code("shgt"), 0}, {code("kbd1"), 0}, {code("mvol"), 1}}, 3, "A", "old notes"}},
      // Lines without a number take the previous record; text without any is record 0.
      {"shgt = 2\n", {{{code("shgt"), 0}, {code("mvol"), 1}}, -1, "before", "old notes"}},
      {"hello world\n", {volumeOnly, -1, "before", "old notes"}},
      // Very long words: keys and values are read with bounds; the line adds nothing.
      {"0 : " + longWord + " = 1\n", {volumeOnly, -1, "before", "old notes"}},
      {"2 : pl11 = " + longWord + "\n", {{{code("pl11"), 2}, {code("mvol"), 1}}, -1, "before", "old notes"}},
      {longWord + "\n", {volumeOnly, -1, "before", "old notes"}},
      {"4 : PatchName = " + longWord + "\n", {volumeOnly, -1, longWord, "old notes"}},
      // '=' missing or last.
      {"4 : PatchName\n5 : PatchAuthor\n", {volumeOnly, -1, "before", "old notes"}},
      {"4 : PatchName =\n", {volumeOnly, -1, "", "old notes"}},
      {"7 : PatchNotes =", {volumeOnly, -1, "before", ""}},
      {"7 : PatchNotes", {volumeOnly, -1, "before", "old notes"}},
      {"0 : shgt =\n2 : pl11 =\n", {volumeOnly, -1, "before", "old notes"}},
      // Program slots outside -1..127 are ignored.
      {"15 : 128\n", {volumeOnly, -1, "before", "old notes"}},
      {"15 : -2\n", {volumeOnly, -1, "before", "old notes"}},
      {"15 : 99999999999999999999\n", {volumeOnly, -1, "before", "old notes"}},
      {"15 : 127\n", {volumeOnly, 127, "before", "old notes"}},
      // Not-a-number and infinite values are refused.
      {"1 : vo1c = nan\n1 : vo1f = -inf\n1 : vo2c = 1e999\n", {volumeOnly, -1, "before", "old notes"}},
      {std::string("0 : shgt = 1\0", 13) + "0 : kbd1 = 1\n", {{{code("shgt"), 0}, {code("mvol"), 1}}, -1, "before", "old notes"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    const Patch p = readFresh(c.text);
    ASSERT_EQ(p.params.size(), c.expected.params.size());
    for (std::size_t i = 0; i < p.params.size(); ++i) {
      EXPECT_EQ(p.params[i].key, c.expected.params[i].first) << i;
      EXPECT_EQ(p.params[i].kind, c.expected.params[i].second) << i;
    }
    EXPECT_EQ(p.programSlot, c.expected.programSlot);
    EXPECT_EQ(p.name, c.expected.name);
    EXPECT_EQ(p.notes, c.expected.notes);
  }
}

// Fields whose values index tables or divide later are checked; a bad line changes nothing.
TEST(PatchHostile, BeatAndMapFieldsAreValidated) {
  const struct {
    const char* text;
    int32_t pulses;     // beatSettings[1] afterwards
    std::size_t maps;   // entries kept
  } cases[] = {
      {"10 : 1, 48, 1, 96\n", 48, 0},
      {"10 : 1, 0, 0, 24\n", 24, 0},
      {"10 : 1, -5, 0, 24\n", 24, 0},
      {"10 : 2, 24, 0, 24\n", 24, 0},
      {"10 : 0, 24, 0, 100001\n", 24, 0},
      {"14 : 0, 7, 30, 2, 0, 127, 0, 127, 0, 127, 0, 0, 0, 0, 0, 0\n", 24, 1},
      {"14 : 16, 7, 30, 2, 0, 127, 0, 127, 0, 127, 0, 0, 0, 0, 0, 0\n", 24, 0},
      {"14 : 0, 129, 30, 2, 0, 127, 0, 127, 0, 127, 0, 0, 0, 0, 0, 0\n", 24, 0},
      {"14 : 0, 128, 30, 2, 0, 127, 0, 127, 0, 127, 0, 0, 0, 0, 0, 0\n", 24, 1},
      {"14 : 0, 7, 0, 2, 0, 127, 0, 127, 0, 127, 0, 0, 0, 0, 0, 0\n", 24, 0},
      {"14 : 0, 7, 30, 16, 0, 127, 0, 127, 0, 127, 0, 0, 0, 0, 0, 0\n", 24, 0},
      {"14 : 0, 7, 30, 2, 0, 127, 0, 127, 0, 127, 3, 0, 0, 0, 0, 0\n", 24, 0},
      {"14 : 0, 7, 30, 2, 0, 127, 0, 127, 0, 127, 0, 2, 0, 0, 0, 0\n", 24, 0},
      {"14 : 0, 7, 30, 2, nan, 127, 0, 127, 0, 127, 0, 0, 0, 0, 0, 0\n", 24, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const Patch p = readFresh(c.text);
    EXPECT_EQ(p.beatSettings[1], c.pulses);
    EXPECT_EQ(p.midiMapEntries.size(), c.maps);
  }
}

// The editor allows notes of 1000 characters; they survive a write and a read whole.
TEST(PatchHostile, LongNotesSurvive) {
  Patch p("0", "N", "", '/', "", "", "");
  std::string notes;
  for (int i = 0; notes.size() < 1000; ++i) notes += (i % 9 == 8) ? '\n' : static_cast<char>('a' + i % 26);
  p.notes = notes;
  Patch q;
  q.readText(p.writeText());
  EXPECT_EQ(q.notes, notes);
}

}  // namespace
