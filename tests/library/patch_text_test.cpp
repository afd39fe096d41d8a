#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "library/patch.h"
#include "library/text_numbers.h"

namespace {

constexpr uint32_t code(const char (&t)[5]) {
  return (uint32_t(uint8_t(t[0])) << 24) | (uint32_t(uint8_t(t[1])) << 16) |
         (uint32_t(uint8_t(t[2])) << 8) | uint32_t(uint8_t(t[3]));
}

MidiMapEntry entry(int channel, int controller, int parameter, uint32_t bits) {
  MidiMapEntry e{};
  e.channel = channel;
  e.controller = controller;
  e.parameter = parameter;
  e.sourceBits = bits;
  for (auto& r : e.range) r = {0.0f, 127.0f};
  return e;
}

// A patch that uses every record of the text.
Patch samplePatch() {
  Patch p("3", "Fat Bass", "/lib/0/1", '\\', "A. Player", "2026-12-10", "line one\nline two");
  p.setParam(kPatchParamInteger, code("shgt"), 3, 0.0, 0);
  p.setParam(kPatchParamReal, code("mvol"), 0, 0.5, 0);
  p.setParam(kPatchParamCord, code("pl11"), 0, 0.0, code("pl58"));
  p.setParam(kPatchParamCordUnplugged, code("plg1"), 0, 0.0, 0);
  MidiMapEntry e = entry(2, 7, 71, 15);
  e.range[kMidiSourceController] = {10.0f, 20.0f};  // reset by addMidiMapEntry
  e.range[kMidiSourceVelocity] = {1.0f, 2.0f};
  e.range[kMidiSourceModWheel] = {3.0f, 4.0f};
  e.range[kMidiSourceAftertouch] = {5.5f, 127.0f};
  e.curve[kMidiSourceVelocity] = 1;
  e.curve[kMidiSourceModWheel] = 2;
  e.invert[kMidiSourceModWheel] = 1;
  e.invert[kMidiSourceAftertouch] = 1;
  p.addMidiMapEntry(e);
  p.beatSettings[0] = 1;
  p.beatSettings[1] = 48;
  p.locked = 1;
  p.programSlot = 5;
  p.beatOffsets[0] = 0.25f;
  p.beatOffsets[1] = -0.125f;
  return p;
}

const char kSampleText[] =
    "0 : shgt = 3  //\n"
    "1 : mvol = 0.5000000000000000000000000000000000000000\n"
    "2 : pl11 = pl58\n"
    "3 : plg1 = 0\n"
    "14 : 2, 7, 71, 14, 1.000000, 2.000000, 3.000000, 4.000000, 5.500000, 127.000000, "
    "1, 0, 2, 1, 0, 1\n"
    "10 : 1, 48, 0, 24\n"
    "11 : 1\n"
    "12 : 0\n"
    "15 : 5\n"
    "16 : 0.250000, -0.125000\n"
    "4 : PatchName = Fat Bass\n"
    "5 : PatchAuthor = A. Player\n"
    "6 : PatchDate = 2026-12-10\n"
    "7 : PatchNotes = line one\nline two\n";

Patch readBack(const std::string& text) {
  Patch p;
  p.readText(text);
  return p;
}

void expectSameParams(const Patch& a, const Patch& b) {
  ASSERT_EQ(a.params.size(), b.params.size());
  for (std::size_t i = 0; i < a.params.size(); ++i) {
    SCOPED_TRACE("param " + std::to_string(i));
    const PatchParam &x = a.params[i], &y = b.params[i];
    EXPECT_EQ(x.key, y.key);
    EXPECT_EQ(x.kind, y.kind);
    if (x.kind == kPatchParamInteger) {
      EXPECT_EQ(x.intValue, y.intValue);
    } else if (x.kind == kPatchParamReal) {
      EXPECT_EQ(x.realValue, y.realValue);
    } else if (x.kind == kPatchParamCord) {
      EXPECT_EQ(x.peerCode, y.peerCode);
    }
  }
}

TEST(PatchText, WritesEveryRecordInItsFormat) {
  EXPECT_EQ(samplePatch().writeText(), kSampleText);
}

TEST(PatchText, RoundTripsEveryField) {
  const Patch original = samplePatch();
  const Patch copy = readBack(original.writeText());
  expectSameParams(original, copy);
  ASSERT_EQ(copy.midiMapEntries.size(), 1u);
  const MidiMapEntry& e = copy.midiMapEntries[0];
  EXPECT_EQ(e.channel, 2);
  EXPECT_EQ(e.controller, 7);
  EXPECT_EQ(e.parameter, 71);
  EXPECT_EQ(e.sourceBits, 14u);  // the controller bit is global and not written
  EXPECT_EQ(e.range[kMidiSourceController].low, 0.0f);
  EXPECT_EQ(e.range[kMidiSourceController].high, 127.0f);
  EXPECT_EQ(e.range[kMidiSourceAftertouch].low, 5.5f);
  EXPECT_EQ(e.curve[kMidiSourceModWheel], 2);
  EXPECT_EQ(e.invert[kMidiSourceAftertouch], 1);
  EXPECT_EQ(e.invert[kMidiSourceVelocity], 0);
  EXPECT_EQ(copy.beatSettings[0], 1);
  EXPECT_EQ(copy.beatSettings[1], 48);
  EXPECT_EQ(copy.beatSettings[3], 24);
  EXPECT_EQ(copy.beatOffsets[1], -0.125f);
  EXPECT_EQ(copy.locked, 1);
  EXPECT_EQ(copy.showNotes, 0);
  EXPECT_EQ(copy.programSlot, 5);
  EXPECT_EQ(copy.name, "Fat Bass");
  EXPECT_EQ(copy.author, "A. Player");
  EXPECT_EQ(copy.date, "2026-12-10");
  EXPECT_EQ(copy.notes, "line one\nline two");
  EXPECT_EQ(copy.writeText(), kSampleText);
}

TEST(PatchText, RealValuesSurviveExactly) {
  Patch p;
  const double values[] = {0.0, 1.0, 0.1, 0.003, 1600.0, -2.0, 0.0625, 0.7071067811865476,
                           1.0 / 3.0, 99999.5, 0.01f, 0.26f};
  for (double v : values) {
    p.params.clear();
    p.setParam(kPatchParamReal, code("vo1c"), 0, v, 0);
    const Patch q = readBack(p.writeText());
    ASSERT_GE(q.params.size(), 1u);
    EXPECT_EQ(q.params[0].realValue, v) << p.writeText();
  }
}

// The writer's numbers match the C library's "%10.40lf" and "%f" in the C locale.
TEST(PatchText, NumbersMatchTheCLibraryInTheCLocale) {
  const double values[] = {0.0, 0.5, 0.1, -0.125, 0.003, 100.0, 1e-7, 123456.789, -1e-30, 5e15};
  for (double v : values) {
    char expected[512];
    std::snprintf(expected, sizeof expected, "%10.40lf", v);
    std::string got;
    textio::appendFixed(got, v, 40);
    EXPECT_EQ(got, expected);
    std::snprintf(expected, sizeof expected, "%f", v);
    got.clear();
    textio::appendFixed(got, v, 6);
    EXPECT_EQ(got, expected);
  }
}

TEST(PatchText, NumbersIgnoreTheCLocale) {
  const char* saved = std::setlocale(LC_ALL, nullptr);
  const std::string savedLocale = saved ? saved : "C";
  const char* commaLocales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"};
  bool switched = false;
  for (const char* l : commaLocales)
    if (std::setlocale(LC_ALL, l)) {
      switched = true;
      break;
    }
  if (!switched) GTEST_SKIP() << "no locale with a decimal comma installed";
  const std::string text = samplePatch().writeText();
  const Patch copy = readBack(text);
  std::setlocale(LC_ALL, savedLocale.c_str());
  EXPECT_EQ(text, kSampleText);
  EXPECT_EQ(copy.params[1].realValue, 0.5);
  EXPECT_EQ(copy.beatOffsets[0], 0.25f);
}

TEST(PatchText, EmptyTextGivesVolumeOnlyAndKeepsTheStrings) {
  for (const char* text : {"", static_cast<const char*>(nullptr)}) {
    Patch p = samplePatch();
    p.readText(text, 0);
    ASSERT_EQ(p.params.size(), 1u);
    EXPECT_EQ(p.params[0].key, code("mvol"));
    EXPECT_EQ(p.params[0].kind, kPatchParamReal);
    EXPECT_EQ(p.params[0].realValue, 1.0);
    EXPECT_TRUE(p.midiMapEntries.empty());
    EXPECT_EQ(p.beatSettings[0], 0);
    EXPECT_EQ(p.beatSettings[1], 24);
    EXPECT_EQ(p.beatSettings[2], 0);
    EXPECT_EQ(p.beatSettings[3], 24);
    EXPECT_EQ(p.beatOffsets[0], 0.0f);
    EXPECT_EQ(p.programSlot, -1);
    EXPECT_EQ(p.locked, 1);
    EXPECT_EQ(p.name, "Fat Bass");
    EXPECT_EQ(p.notes, "line one\nline two");
  }
}

TEST(PatchText, ReaderCases) {
  const struct {
    const char* text;
    std::vector<std::pair<uint32_t, int>> params;  // key and kind, in order
  } cases[] = {
      // No mvol: one is added last. With mvol of any kind, none is.
      {"0 : shgt = 1\n", {{code("shgt"), 0}, {code("mvol"), 1}}},
      {"0 : mvol = 1\n", {{code("mvol"), 0}}},
      {"3 : mvol = x\n", {{code("mvol"), 3}}},
      // A line without its number takes the record of the line before.
      {"0 : shgt = 1\n : kbd1 = 0\n", {{code("shgt"), 0}, {code("kbd1"), 0}, {code("mvol"), 1}}},
      {"1 : mvol = 1.0\nvo1c = 0.5\n", {{code("mvol"), 1}, {code("vo1c"), 1}}},
      // Records 13, 17 and above and negative ones are skipped.
      {"13 : vo1c = 1\n17 : vo1c = 1\n99 : x\n-1 : vo1c = 2\n1 : mvol = 1\n",
       {{code("mvol"), 1}}},
      // Two lines with the same key give two entries.
      {"0 : shgt = 1\n0 : shgt = 0\n1 : mvol = 1\n",
       {{code("shgt"), 0}, {code("shgt"), 0}, {code("mvol"), 1}}},
      // Lines that match no format add nothing: no key, no '=', no value, a value that is
      // not a number, an empty line.
      {"0 :\n0 : shgt 3\n0 : shgt =\n1 : vo1c = x\n\n1 : mvol = 1\n", {{code("mvol"), 1}}},
      // Values that are not finite are refused.
      {"1 : vo1c = nan\n1 : vo1f = inf\n1 : mvol = 1\n", {{code("mvol"), 1}}},
      // CR LF and lone CR end lines as LF does.
      {"0 : shgt = 1\r\n1 : mvol = 1\r0 : kbd1 = 1", {{code("shgt"), 0}, {code("mvol"), 1},
                                                      {code("kbd1"), 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const Patch p = readBack(c.text);
    ASSERT_EQ(p.params.size(), c.params.size());
    for (std::size_t i = 0; i < c.params.size(); ++i) {
      EXPECT_EQ(p.params[i].key, c.params[i].first) << i;
      EXPECT_EQ(p.params[i].kind, c.params[i].second) << i;
    }
  }
}

TEST(PatchText, CordValues) {
  const Patch p = readBack("2 : pl11 = pl58\n3 : plg1 = pl58\n2 : pl12 = ab\n");
  ASSERT_EQ(p.params.size(), 4u);
  EXPECT_EQ(p.params[0].peerCode, code("pl58"));
  EXPECT_EQ(p.params[1].peerCode, 0u);  // an unplugged cord's value is ignored
  EXPECT_EQ(p.params[2].peerCode, 0x61620000u);
}

// Integer values are read as decimal, so they are written as decimal: pulse counts and
// negative values come back unchanged, not only 0 to 9.
TEST(PatchText, IntegerValuesSurvive) {
  for (int32_t v : {0, 1, 5, 8, 9, 10, 24, 255, 100000, -1, -2147483647 - 1, 2147483647}) {
    Patch p;
    p.setParam(kPatchParamInteger, code("miip"), v, 0.0, 0);
    const Patch q = readBack(p.writeText());
    EXPECT_EQ(q.params[0].intValue, v) << p.writeText();
  }
}

TEST(PatchText, NotesKeepTheirLineBreaksAndEndTheText) {
  for (const std::string notes : {"one\ntwo\n\nthree", "crlf\r\nlines\r\nhere", "lone\rcr",
                                  "0 : shgt = 5\n1 : mvol = 0.2"}) {
    Patch p = samplePatch();
    p.notes = notes;
    const Patch q = readBack(p.writeText());
    EXPECT_EQ(q.notes, notes);
    expectSameParams(p, q);  // records inside the notes are not read
  }
  // Nothing after the notes line is a record; white space around the notes is trimmed.
  const Patch q = readBack("7 : PatchNotes =   hello\n 4 : PatchName = X \n\n");
  EXPECT_EQ(q.notes, "hello\n 4 : PatchName = X");
  EXPECT_EQ(q.name, "");
}

TEST(PatchText, OneLineFieldsCannotBreakTheText) {
  Patch p = samplePatch();
  p.name = "two\nlines";
  p.author = "0 : shgt = 7\r";
  const Patch q = readBack(p.writeText());
  EXPECT_EQ(q.name, "two lines");
  EXPECT_EQ(q.author, "0 : shgt = 7");
  expectSameParams(p, q);
}

TEST(PatchText, OlderMapRecords) {
  const Patch p = readBack(
      "8 : 1, 2, 25, 6, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0\n"
      "9 : 3, 4, 67, 15, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 1, 1, 2, 0, 0, 1\n"
      // An entry naming no parameter, and one cut short, are dropped.
      "14 : 0, 0, 500, 2, 0, 127, 0, 127, 0, 127, 0, 0, 0, 0, 0, 0\n"
      "14 : 0, 0, 30, 2, 0, 127, 0, 127\n");
  ASSERT_EQ(p.midiMapEntries.size(), 2u);
  const MidiMapEntry& a = p.midiMapEntries[0];
  EXPECT_EQ(a.channel, 1);
  EXPECT_EQ(a.parameter, 25);
  EXPECT_EQ(a.sourceBits, 6u);
  EXPECT_EQ(a.range[kMidiSourceVelocity].low, 1.0f);
  EXPECT_EQ(a.range[kMidiSourceAftertouch].high, 6.0f);
  EXPECT_EQ(a.curve[kMidiSourceVelocity], 0);
  EXPECT_EQ(a.range[kMidiSourceController].high, 127.0f);
  const MidiMapEntry& b = p.midiMapEntries[1];
  EXPECT_EQ(b.sourceBits, 15u);  // stored as read
  EXPECT_EQ(b.curve[kMidiSourceVelocity], 1);
  EXPECT_EQ(b.invert[kMidiSourceVelocity], 1);
  EXPECT_EQ(b.curve[kMidiSourceModWheel], 2);
  EXPECT_EQ(b.invert[kMidiSourceAftertouch], 1);
  EXPECT_EQ(b.curve[kMidiSourceController], 0);
}

// Every prefix of a text reads without fault, reading exactly within the given bytes, and
// a prefix cut at a line end gives the records of the lines it holds.
TEST(PatchText, TruncatedTextsReadSafely) {
  const std::string text = kSampleText;
  const Patch whole = readBack(text);
  for (std::size_t n = 0; n <= text.size(); ++n) {
    const std::vector<char> bytes(text.begin(), text.begin() + n);  // no terminator
    Patch p;
    p.readText(bytes.data(), bytes.size());
    ASSERT_LE(p.params.size(), whole.params.size() + 1);
    if (n == 0 || text[n - 1] == '\n') {
      for (std::size_t i = 0; i + 1 < p.params.size(); ++i)
        EXPECT_EQ(p.params[i].key, whole.params[i].key) << n;
    }
  }
}

TEST(PatchText, GarbageReadsSafely) {
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 214013u + 2531011u;
    return (seed >> 16) & 0x7FFF;
  };
  const char alphabet[] = "0123456789 :=,.-+e\n\r\tabcmvol7";
  for (int round = 0; round < 400; ++round) {
    std::vector<char> bytes(next() % 300);
    for (char& c : bytes)
      c = (round % 2) ? static_cast<char>(next() & 0xFF) : alphabet[next() % (sizeof alphabet - 1)];
    Patch p;
    p.readText(bytes.data(), bytes.size());
    EXPECT_GE(p.params.size(), 1u);
  }
}

TEST(PatchText, ReadingStopsAtAZeroByte) {
  const char text[] = "0 : shgt = 1\n\0" "0 : kbd1 = 1\n";
  Patch p;
  p.readText(text, sizeof text - 1);
  ASSERT_EQ(p.params.size(), 2u);
  EXPECT_EQ(p.params[1].key, code("mvol"));
}

TEST(PatchText, BufferFormStaysWithinItsCapacity) {
  const Patch p = samplePatch();
  const std::string text = p.writeText();
  std::vector<char> buffer(kPatchTextCapacity, 'x');
  EXPECT_EQ(p.writeText(buffer.data(), kPatchTextCapacity), static_cast<int>(text.size()));
  EXPECT_EQ(std::string(buffer.data()), text);

  const int exact = static_cast<int>(text.size()) + 1;
  std::vector<char> small(exact + 4, 'x');
  EXPECT_EQ(p.writeText(small.data(), exact), exact - 1);
  small.assign(exact + 4, 'x');
  EXPECT_EQ(p.writeText(small.data(), exact - 1), -1);
  EXPECT_EQ(small[0], '\0');
  EXPECT_EQ(small[exact - 1], 'x');  // nothing past the capacity
  EXPECT_EQ(p.writeText(nullptr, 100), -1);

  Patch huge = p;
  huge.notes.assign(kPatchTextCapacity, 'n');
  EXPECT_EQ(huge.writeText(buffer.data(), kPatchTextCapacity), -1);
  EXPECT_EQ(readBack(huge.writeText()).notes, huge.notes);
}

}  // namespace
