#include <set>

#include "library/dump_format.h"
#include "params/param_table.h"
#include "tests/library/library_fixture.h"
#include "tools/libgen/library_content.h"

namespace {

std::string sourceFile(const char* name) {
  return qvtest::readBytes(std::string(QV_SOURCE_DIR) + "/resources/library/" + name);
}

// The committed files are what the tool makes now.
TEST(LibraryContent, CommittedFilesMatchTheGenerator) {
  EXPECT_EQ(sourceFile("kreset.kvx"), libgen::resetPatchText());
  EXPECT_EQ(sourceFile("defaultLibrary"), libgen::defaultLibraryText());
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

// Distinct sounds, each complete, each with its own program.
TEST(LibraryContent, DefaultLibraryHoldsDistinctCompletePatches) {
  std::string_view body;
  const std::string text = libgen::defaultLibraryText();
  ASSERT_TRUE(dump::readHeader(text, body));
  const dump::Content content = dump::parse(body);
  ASSERT_EQ(content.sections.size(), 1u);
  ASSERT_TRUE(content.sections[0].complete);
  ASSERT_EQ(content.sections[0].groups.size(), 1u);
  const auto& categories = content.sections[0].groups[0].categories;
  ASSERT_GE(categories.size(), 1u);
  std::set<int> programs;
  std::set<std::string> sounds;
  Patch reset;
  reset.readText(libgen::resetPatchText());
  for (const auto& c : categories) {
    for (const auto& b : c.patches) {
      const Patch p("0", b.name, "", '/', b.text.data(), b.text.size());
      ASSERT_EQ(p.params.size(), reset.params.size()) << b.name;
      EXPECT_TRUE(programs.insert(p.programSlot).second) << b.name;
      EXPECT_GE(p.programSlot, 0);
      std::string values;
      for (const PatchParam& q : p.params) values += std::to_string(q.realValue + q.intValue) + ",";
      EXPECT_TRUE(sounds.insert(values).second) << b.name;
    }
  }
  EXPECT_GE(sounds.size(), 3u);
}

}  // namespace
