#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "library/patch.h"
#include "platform/textfile.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t code(const char (&t)[5]) {
  return (uint32_t(uint8_t(t[0])) << 24) | (uint32_t(uint8_t(t[1])) << 16) |
         (uint32_t(uint8_t(t[2])) << 8) | uint32_t(uint8_t(t[3]));
}

// A fresh folder for each test under the test program's data folder.
class PatchFile : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* base = std::getenv("QUORVANE_DATA_DIR");
    folder_ = (base ? fs::path(base) : fs::temp_directory_path() / "qv_library_patch_test") /
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  std::string folder() const { return folder_.string(); }
  fs::path folder_;
};

Patch makePatch(const std::string& folder) {
  Patch p("0", "Lead", folder, '/', "Someone", "today", "first\nsecond");
  p.setParam(kPatchParamReal, code("vo1c"), 0, 0.25, 0);
  p.setParam(kPatchParamInteger, code("vcss"), 4, 0.0, 0);
  p.setParam(kPatchParamCord, code("pl11"), 0, 0.0, code("pl58"));
  return p;
}

TEST_F(PatchFile, PathJoinsFolderSeparatorAndFileName) {
  const Patch reset("reset", "Reset", "C:\\Data\\", 'k', "", "", "");
  EXPECT_EQ(reset.filePath(), "C:\\Data\\kreset.kvx");
  const Patch p("12", "x", "/lib/0/3", '/', "", "", "");
  EXPECT_EQ(p.filePath(), "/lib/0/3/12.kvx");
}

TEST_F(PatchFile, SaveWritesTheTextWithLineFeedsOnlyWhenDirty) {
  Patch p = makePatch(folder());
  p.dirty = 0;
  EXPECT_TRUE(p.save());
  EXPECT_FALSE(fs::exists(p.filePath()));

  p.dirty = 1;
  ASSERT_TRUE(p.save());
  std::string bytes;
  ASSERT_TRUE(platform::readBinaryFile(p.filePath(), bytes));
  EXPECT_EQ(bytes, p.writeText());
  EXPECT_EQ(bytes.find('\r'), std::string::npos);
  EXPECT_EQ(p.dirty, 1);  // the library clears the marks
}

TEST_F(PatchFile, LoadReadsTheFileBack) {
  const Patch original = makePatch(folder());
  ASSERT_TRUE(platform::writeBinaryFile(original.filePath(), original.writeText()));
  const Patch loaded("0", "Given", folder(), '/');
  EXPECT_EQ(loaded.name, "Lead");
  EXPECT_EQ(loaded.author, "Someone");
  EXPECT_EQ(loaded.notes, "first\nsecond");
  EXPECT_EQ(loaded.dirty, 0);
  EXPECT_EQ(loaded.programSlot, -1);
  ASSERT_EQ(loaded.params.size(), 4u);  // the three entries and the added volume
  EXPECT_EQ(loaded.params[0].realValue, 0.25);
  EXPECT_EQ(loaded.params[1].intValue, 4);
  EXPECT_EQ(loaded.params[2].peerCode, code("pl58"));
  EXPECT_EQ(loaded.writeText(), Patch(loaded).writeText());
}

TEST_F(PatchFile, LoadTakesCrLfFilesAsLineFeeds) {
  const Patch original = makePatch(folder());
  ASSERT_TRUE(platform::writeTextFile(original.filePath(), original.writeText()));
  const Patch loaded("0", "Given", folder(), '/');
  EXPECT_EQ(loaded.notes, "first\nsecond");
  ASSERT_EQ(loaded.params.size(), 4u);
  EXPECT_EQ(loaded.params[2].peerCode, code("pl58"));
}

TEST_F(PatchFile, GivenNameStaysWhenTheFileHasNone) {
  ASSERT_TRUE(platform::writeBinaryFile(folder() + "/5.kvx", "0 : vcss = 2  //\n"));
  const Patch loaded("5", "Given", folder(), '/');
  EXPECT_EQ(loaded.name, "Given");
  ASSERT_EQ(loaded.params.size(), 2u);
}

TEST_F(PatchFile, MissingFileLeavesTheRecordAsItIs) {
  Patch p = makePatch(folder());
  p.fileName = "missing";
  const std::string before = p.writeText();
  EXPECT_FALSE(p.load());
  EXPECT_EQ(p.writeText(), before);
  const Patch fresh("missing", "Given", folder(), '/');
  EXPECT_EQ(fresh.name, "Given");
  EXPECT_TRUE(fresh.params.empty());
}

TEST_F(PatchFile, SaveIntoAMissingFolderFailsAndStaysDirty) {
  Patch p = makePatch(folder() + "/no/such/folder");
  p.dirty = 1;
  EXPECT_FALSE(p.save());
  EXPECT_EQ(p.dirty, 1);
}

TEST_F(PatchFile, WriteFileWritesTheWholeText) {
  const Patch p = makePatch(folder());
  const std::string path = folder() + "/dump";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(p.writeFile(f));
  std::fclose(f);
  std::string bytes;
  ASSERT_TRUE(platform::readBinaryFile(path, bytes));
  EXPECT_EQ(bytes, p.writeText());
  EXPECT_FALSE(p.writeFile(nullptr));
}

TEST(PatchRecord, NewPatchDefaults) {
  const Patch p("0", "Name", "/f", '\\', "Au", "Da", "No");
  EXPECT_EQ(p.dirty, 0);
  EXPECT_EQ(p.locked, 0);
  EXPECT_EQ(p.showNotes, 0);
  EXPECT_EQ(p.programSlot, -1);
  EXPECT_EQ(p.beatSettings[1], 24);
  EXPECT_EQ(p.beatSettings[3], 24);
  EXPECT_TRUE(p.params.empty());
  EXPECT_TRUE(p.midiMapEntries.empty());
  EXPECT_EQ(p.author, "Au");
  EXPECT_EQ(p.date, "Da");
  EXPECT_EQ(p.notes, "No");
}

TEST(PatchRecord, FromTextTheGivenNameWins) {
  const char text[] = "4 : PatchName = Inside\n5 : PatchAuthor = Me\n";
  const Patch p("2", "Outside", "/f", '\\', text, sizeof text - 1);
  EXPECT_EQ(p.name, "Outside");
  EXPECT_EQ(p.author, "Me");
  EXPECT_EQ(p.dirty, 0);
  ASSERT_EQ(p.params.size(), 1u);
}

TEST(PatchRecord, SetParamOverwritesTheFirstEntryOfItsKey) {
  Patch p;
  p.readText(std::string("0 : shgt = 1\n0 : shgt = 0\n"));
  EXPECT_EQ(p.dirty, 0);
  p.setParam(kPatchParamInteger, code("shgt"), 7, 0.0, 0);
  EXPECT_EQ(p.dirty, 1);
  ASSERT_EQ(p.params.size(), 3u);
  EXPECT_EQ(p.params[0].intValue, 7);
  EXPECT_EQ(p.params[1].intValue, 0);
  p.setParam(kPatchParamCord, code("pl11"), 0, 0.0, code("pl58"));
  ASSERT_EQ(p.params.size(), 4u);
  EXPECT_EQ(p.params[3].kind, kPatchParamCord);
  p.setParam(kPatchParamCordUnplugged, code("pl11"), 0, 0.0, 0);
  EXPECT_EQ(p.params[3].kind, kPatchParamCordUnplugged);
  EXPECT_EQ(p.params[3].peerCode, 0u);
}

TEST(PatchRecord, MapEntriesLoseTheirControllerSource) {
  Patch p;
  MidiMapEntry e{};
  e.channel = 3;
  e.controller = 74;
  e.parameter = 23;
  e.sourceBits = 2;
  e.range[kMidiSourceController] = {20.0f, 30.0f};
  e.curve[kMidiSourceController] = 2;
  e.invert[kMidiSourceController] = 1;
  e.range[kMidiSourceVelocity] = {5.0f, 100.0f};
  e.curve[kMidiSourceVelocity] = 1;
  p.addMidiMapEntry(e);
  EXPECT_EQ(p.dirty, 1);
  ASSERT_EQ(p.midiMapEntries.size(), 1u);
  const MidiMapEntry& m = p.midiMapEntries[0];
  EXPECT_EQ(m.channel, 3);
  EXPECT_EQ(m.controller, 74);
  EXPECT_EQ(m.parameter, 23);
  EXPECT_EQ(m.sourceBits, 2u);
  EXPECT_EQ(m.range[kMidiSourceController].low, 0.0f);
  EXPECT_EQ(m.range[kMidiSourceController].high, 127.0f);
  EXPECT_EQ(m.curve[kMidiSourceController], 0);
  EXPECT_EQ(m.invert[kMidiSourceController], 0);
  EXPECT_EQ(m.range[kMidiSourceVelocity].low, 5.0f);
  EXPECT_EQ(m.curve[kMidiSourceVelocity], 1);
  p.addMidiMapEntry(p.midiMapEntries[0]);  // a copy of an entry of the same list
  ASSERT_EQ(p.midiMapEntries.size(), 2u);
  EXPECT_EQ(p.midiMapEntries[1].parameter, 23);
  p.dirty = 0;
  p.clearMidiMapEntries();
  EXPECT_EQ(p.dirty, 1);
  EXPECT_TRUE(p.midiMapEntries.empty());
}

}  // namespace
