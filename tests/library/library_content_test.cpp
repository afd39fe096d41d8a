#include <algorithm>
#include <set>

#include "library/dump_format.h"
#include "params/param_table.h"
#include "tests/library/library_fixture.h"
#include "tools/libgen/library_content.h"

namespace {

std::string sourceFile(const char* name) {
  return qvtest::readBytes(std::string(QV_SOURCE_DIR) + "/resources/library/" + name);
}

// The library the tool assembles from the committed sound files.
std::string libgenLibrary() {
  std::string text, error;
  EXPECT_TRUE(libgen::defaultLibraryText(std::string(QV_SOURCE_DIR) + "/resources/sounds", text, error)) << error;
  return text;
}

// The committed files are what the tool makes now.
TEST(LibraryContent, CommittedFilesMatchTheGenerator) {
  EXPECT_EQ(sourceFile("kreset.kvx"), libgen::resetPatchText());
  EXPECT_EQ(sourceFile("defaultLibrary"), libgenLibrary());
}

// Every stored parameter once, with its default, and every input jack unplugged.
TEST(LibraryContent, ResetPatchHoldsEveryStoredParameterAtItsDefault) {
  Patch reset;
  reset.readText(libgen::resetPatchText());
  std::set<uint32_t> keys;
  int cords = 0;
  for (const PatchParam& p : reset.params) {
    EXPECT_TRUE(keys.insert(p.key).second);
    const int32_t index = findParameterKey(static_cast<int32_t>(p.key));
    ASSERT_GT(index, 1);
    const double d = ParamDescTable[index].defaultValue;
    switch (ParamTypeTable[index]) {
      case kStoreInteger:
        EXPECT_EQ(p.kind, kPatchParamInteger);
        EXPECT_EQ(p.intValue, static_cast<int32_t>(d));
        break;
      case kStoreReal:
        EXPECT_EQ(p.kind, kPatchParamReal);
        EXPECT_EQ(p.realValue, d);
        break;
      default:
        EXPECT_EQ(p.kind, kPatchParamCordUnplugged);
        ++cords;
    }
  }
  int stored = 0;
  for (int i = 1; i < kParamRecordCount; ++i) stored += ParamKeyTable[i] != 0;
  EXPECT_EQ(static_cast<int>(keys.size()), stored);
  EXPECT_EQ(cords, kJackCount);
}

// Groups of distinct sounds, each complete and within the table's ranges, each with its own
// program in its group, an author, notes that fit the reader, and a name that fits the
// host's program name.
TEST(LibraryContent, DefaultLibraryHoldsGroupsOfDistinctCompletePatches) {
  std::string_view body;
  const std::string text = libgenLibrary();
  ASSERT_TRUE(dump::readHeader(text, body));
  const dump::Content content = dump::parse(body);
  ASSERT_EQ(content.sections.size(), 1u);
  ASSERT_TRUE(content.sections[0].complete);
  std::set<std::string> sounds;
  Patch reset;
  reset.readText(libgen::resetPatchText());
  int fullGroups = 0;
  for (const dump::GroupBlock& g : content.sections[0].groups) {
    std::set<int> programs;
    for (const auto& c : g.categories) {
      EXPECT_FALSE(c.patches.empty()) << g.name << " / " << c.name;
      for (const auto& b : c.patches) {
        const Patch p("0", b.name, "", '/', b.text.data(), b.text.size());
        ASSERT_EQ(p.params.size(), reset.params.size()) << b.name;
        EXPECT_TRUE(programs.insert(p.programSlot).second) << b.name;
        EXPECT_GE(p.programSlot, 0) << b.name;
        EXPECT_LT(p.programSlot, 128) << b.name;
        EXPECT_LE(b.name.size(), 23u) << b.name;
        EXPECT_EQ(p.author, "Halvorsk, Inc.") << b.name;
        EXPECT_FALSE(p.notes.empty()) << b.name;
        EXPECT_LE(p.notes.size(), 511u) << b.name;
        std::string values;
        for (const PatchParam& q : p.params) {
          const int32_t index = findParameterKey(static_cast<int32_t>(q.key));
          ASSERT_GT(index, 1) << b.name;
          const ParamDesc& d = ParamDescTable[index];
          if (q.kind == kPatchParamReal || q.kind == kPatchParamInteger) {
            const double v = q.kind == kPatchParamReal ? q.realValue : q.intValue;
            EXPECT_GE(static_cast<float>(v), d.minimum) << b.name << " " << d.name;
            EXPECT_LE(static_cast<float>(v), d.maximum) << b.name << " " << d.name;
          }
          if (q.kind == kPatchParamCord) {
            EXPECT_NE(std::find(JackCodeTable + 1, JackCodeTable + kJackTableSize, static_cast<int32_t>(q.peerCode)),
                      JackCodeTable + kJackTableSize)
                << b.name << " " << d.name;
          }
          values += std::to_string(q.realValue + q.intValue + q.peerCode) + ",";
        }
        for (const MidiMapEntry& e : p.midiMapEntries) {
          EXPECT_GT(e.parameter, 1) << b.name;
          EXPECT_LE(e.parameter, kLastCordParam) << b.name;
          EXPECT_NE(e.sourceBits & 14u, 0u) << b.name;
        }
        EXPECT_TRUE(sounds.insert(values).second) << b.name;
      }
    }
    fullGroups += programs.size() >= 8;
  }
  EXPECT_GE(fullGroups, 5);
}

}  // namespace
