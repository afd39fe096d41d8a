#include "plugin/note_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "tests/plugin/data_folder_fixture.h"

namespace {

// Equal temperament from the concert pitch, in double precision.
double equalTempered(int key) { return 440.0 * std::pow(2.0, (key - 69) / 12.0); }
double cvOf(double frequency) { return std::log2(frequency / 10.0); }

// A bulk tuning dump that leaves every key as it is.
std::string untouchedDump() {
  std::string d(NoteTable::kDumpSize, '\x7F');
  const unsigned char head[6] = {0xF0, 0x7E, 0x00, 0x08, 0x01, 0x05};
  for (int i = 0; i < 6; ++i) d[i] = static_cast<char>(head[i]);
  for (int i = 6; i < 22; ++i) d[i] = 'n';
  d[406] = 0x00;  // checksum, not checked
  d[407] = static_cast<char>(0xF7);
  return d;
}

void setTriple(std::string& d, int key, int xx, int yy, int zz) {
  d[22 + 3 * key] = static_cast<char>(xx);
  d[23 + 3 * key] = static_cast<char>(yy);
  d[24 + 3 * key] = static_cast<char>(zz);
}

// Frequency of a triple: base key xx raised by (yy x 128 + zz) / 16384 of a semitone.
double tripleFrequency(int xx, int yy, int zz) {
  return equalTempered(xx) * std::pow(2.0, (yy * 128 + zz) / 16384.0 / 12.0);
}

bool applyBytes(NoteTable& t, const std::string& d) {
  return t.applyTuningDump(reinterpret_cast<const unsigned char*>(d.data()), d.size());
}

void expectKey(const NoteTable& t, int key, double frequency) {
  EXPECT_NEAR(t.currentFrequency(key), frequency, frequency * 2e-6) << "key " << key;
  EXPECT_NEAR(t.keyCv(key), cvOf(frequency), 2e-5) << "key " << key;
}

TEST(NoteTable, StartsInEqualTemperament) {
  const NoteTable t;
  for (int k = 0; k < NoteTable::kKeyCount; ++k) {
    EXPECT_NEAR(t.referenceFrequency(k), equalTempered(k), equalTempered(k) * 2e-6) << k;
    expectKey(t, k, equalTempered(k));
  }
  EXPECT_EQ(t.currentFrequency(69), 440.0f);
  EXPECT_NEAR(t.keyCv(69), 5.4594, 1e-4);
  EXPECT_NEAR(t.currentFrequency(9), 13.75f, 1e-5);
}

// The tuning every case starts from: key 10 and key 61 already moved by an earlier dump, so
// that "unchanged" means kept as that tuning left it, not back to equal temperament.
struct Start {
  NoteTable table;
  Start() {
    std::string d = untouchedDump();
    setTriple(d, 10, 12, 0, 0);
    setTriple(d, 61, 61, 32, 0);
    EXPECT_TRUE(applyBytes(table, d));
  }
  static double expected(int key) {
    if (key == 10) return equalTempered(12);
    if (key == 61) return tripleFrequency(61, 32, 0);
    return equalTempered(key);
  }
};

struct DumpCase {
  const char* name;
  std::function<std::string()> bytes;
  bool applied;
  std::vector<std::pair<int, double>> retuned;  // keys that end up elsewhere than Start
};

std::vector<DumpCase> dumpCases() {
  auto with = [](std::function<void(std::string&)> change) {
    return [change] {
      std::string d = untouchedDump();
      change(d);
      return d;
    };
  };
  return {
      {"all7F", untouchedDump, true, {}},
      {"keyRaisedFiftyCents", with([](std::string& d) { setTriple(d, 61, 60, 64, 0); }), true,
       {{61, equalTempered(60) * std::pow(2.0, 1.0 / 24.0)}}},
      {"keyOnItsOwnBase", with([](std::string& d) { setTriple(d, 0, 127, 0, 1); }), true,
       {{0, tripleFrequency(127, 0, 1)}}},
      {"dataBytesTakenToSevenBits", with([](std::string& d) { setTriple(d, 61, 60, 0xC0, 0x80); }),
       true, {{61, tripleFrequency(60, 64, 0)}}},
      {"baseKey200", with([](std::string& d) {
         setTriple(d, 20, 21, 0, 0);  // a good triple before the bad one is not applied either
         setTriple(d, 30, 200, 0, 0);
       }),
       false, {}},
      {"baseKey128", with([](std::string& d) { setTriple(d, 127, 128, 0, 0); }), false, {}},
      {"empty", [] { return std::string(); }, false, {}},
      {"short", with([](std::string& d) { d.resize(406); }), false, {}},
      {"oneByteShort", with([](std::string& d) { d.pop_back(); }), false, {}},
      {"long", with([](std::string& d) { d += '\x7F'; }), false, {}},
      {"badStart", with([](std::string& d) { d[0] = 0x00; }), false, {}},
      {"notTuningStandard", with([](std::string& d) { d[3] = 0x09; }), false, {}},
      {"notBulkDump", with([](std::string& d) { d[4] = 0x02; }), false, {}},
      {"noEnd", with([](std::string& d) { d[407] = 0x7F; }), false, {}},
      {"garbage", [] { return std::string(408, '\xA5'); }, false, {}},
  };
}

void expectAfter(const NoteTable& t, const DumpCase& c) {
  for (int k = 0; k < NoteTable::kKeyCount; ++k) {
    double f = Start::expected(k);
    for (const auto& [key, frequency] : c.retuned)
      if (key == k) f = frequency;
    expectKey(t, k, f);
  }
}

TEST(NoteTable, DumpsAreAppliedWholeOrNotAtAll) {
  for (const DumpCase& c : dumpCases()) {
    SCOPED_TRACE(c.name);
    Start s;
    EXPECT_EQ(applyBytes(s.table, c.bytes()), c.applied);
    expectAfter(s.table, c);
  }
}

TEST(NoteTable, BuildReturnsToEqualTemperament) {
  Start s;
  s.table.build();
  for (int k = 0; k < NoteTable::kKeyCount; ++k) expectKey(s.table, k, equalTempered(k));
}

class TuningFile : public DataFolderTest {};

TEST_F(TuningFile, LoadsNumberedFilesOfTheTuningsFolder) {
  const std::vector<DumpCase> cases = dumpCases();
  for (std::size_t i = 0; i < cases.size(); ++i)
    writeBytes("Tunings/" + std::to_string(i) + ".tun", cases[i].bytes());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    Start s;
    EXPECT_EQ(s.table.loadTuning(static_cast<long>(i)), cases[i].applied);
    expectAfter(s.table, cases[i]);
  }
}

TEST_F(TuningFile, MissingFileChangesNothing) {
  Start s;
  EXPECT_FALSE(s.table.loadTuning(7));
  EXPECT_FALSE(s.table.loadTuning(-1));
  for (int k = 0; k < NoteTable::kKeyCount; ++k) expectKey(s.table, k, Start::expected(k));
}

}  // namespace
