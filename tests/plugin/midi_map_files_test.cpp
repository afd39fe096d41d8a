#include "plugin/midi_map_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/plugin/data_folder_fixture.h"

namespace {

using Names = std::vector<std::string>;

class MidiMapFiles : public DataFolderTest {
 protected:
  MidiMap map;
  MidiMapHolder holder{map};

  int controllerOf(int parameter) {
    MidiMapEntry e{};
    EXPECT_TRUE(map.findByParameter(parameter, e));
    return e.controller;
  }
};

TEST_F(MidiMapFiles, StartsWithTheDefaultMapAndName) {
  EXPECT_EQ(holder.currentMapName, "Default Map");
  EXPECT_EQ(holder.currentMapIndex, 0);
  EXPECT_TRUE(holder.mapNames.empty());
  EXPECT_EQ(holder.map, &map);
}

TEST_F(MidiMapFiles, MissingListLeavesTheNames) {
  holder.mapNames = {"Kept"};
  EXPECT_FALSE(holder.readMidiMapList());
  EXPECT_EQ(holder.mapNames, Names{"Kept"});
}

TEST_F(MidiMapFiles, ListLinesEndAtCrOrLfOrBoth) {
  struct Case {
    const char* name;
    std::string bytes;
    Names names;
  };
  const Case cases[] = {
      {"crlf", "Alpha\r\nBeta\r\n", {"Alpha", "Beta"}},
      {"lf", "Alpha\nBeta", {"Alpha", "Beta"}},
      {"cr", "Alpha\rBeta\r", {"Alpha", "Beta"}},
      {"trailingBlanks", "Alpha \t\r\nBeta  \n", {"Alpha", "Beta"}},
      {"leadingBlanksKept", "  Alpha\n", {"  Alpha"}},
      // A blank line keeps its place: "Gamma" stays map 2, the file 2.mmap.
      {"blankLine", "Alpha\r\n\r\nGamma\r\n", {"Alpha", "", "Gamma"}},
      {"blankLinesAtTheEnd", "Alpha\n\n \n", {"Alpha"}},
      {"empty", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeBytes("midiMapList", c.bytes);
    holder.mapNames = {"old"};
    EXPECT_TRUE(holder.readMidiMapList());
    EXPECT_EQ(holder.mapNames, c.names);
  }
}

TEST_F(MidiMapFiles, LoadReadsTheNumberedFileAndTakesItsName) {
  writeBytes("midiMapList", "Alpha\r\n\r\nGamma\r\n");
  writeBytes("2.mmap", "4: 0, 20, 23, 1, 0.000000, 127.000000, 0, 0\r\n");
  ASSERT_TRUE(holder.readMidiMapList());
  ASSERT_TRUE(holder.loadMidiMap(2));
  EXPECT_EQ(holder.currentMapName, "Gamma");
  EXPECT_EQ(controllerOf(23), 20);
  EXPECT_EQ(controllerOf(33), 0);  // controller sources the file does not give are cleared

  // A file beyond the list's names loads and keeps the current name.
  writeBytes("7.mmap", "4: 0, 21, 23, 1, 0.000000, 127.000000, 0, 0\n");
  ASSERT_TRUE(holder.loadMidiMap(7));
  EXPECT_EQ(holder.currentMapName, "Gamma");
  EXPECT_EQ(controllerOf(23), 21);
}

TEST_F(MidiMapFiles, MissingMapFileChangesNothing) {
  writeBytes("midiMapList", "Alpha\n");
  ASSERT_TRUE(holder.readMidiMapList());
  EXPECT_FALSE(holder.loadMidiMap(0));
  EXPECT_FALSE(holder.loadMidiMap(-1));
  EXPECT_EQ(holder.currentMapName, "Default Map");
  EXPECT_EQ(controllerOf(23), 74);
}

TEST_F(MidiMapFiles, SavingANewNameAppendsItToTheList) {
  writeBytes("midiMapList", "Alpha\r\n\r\nGamma\r\n");
  ASSERT_TRUE(holder.readMidiMapList());
  ASSERT_TRUE(map.setEntry(0, [] {
    MidiMapEntry e = blankMidiMapEntry(23);
    e.sourceBits = kMidiBitController;
    e.controller = 30;
    e.channel = 4;
    e.range[kMidiSourceController] = {1.5f, 90.0f};
    return e;
  }()));
  ASSERT_TRUE(holder.saveMidiMap("Delta  "));
  EXPECT_EQ(holder.currentMapIndex, 3);
  EXPECT_EQ(holder.currentMapName, "Delta");
  EXPECT_EQ(readBytes("midiMapList"), "Alpha\r\n\r\nGamma\r\nDelta\r\n");
  const std::string text = readBytes("3.mmap");
  EXPECT_NE(text.find("4: 4, 30, 23, 1, 1.500000, 90.000000, 0, 0\r\n"), std::string::npos);

  MidiMap other;
  MidiMapHolder reader(other);
  ASSERT_TRUE(reader.readMidiMapList());
  ASSERT_TRUE(reader.loadMidiMap(3));
  EXPECT_EQ(reader.currentMapName, "Delta");
  EXPECT_EQ(other.entries().size(), map.entries().size());
  MidiMapEntry e;
  ASSERT_TRUE(other.findByParameter(23, e));
  EXPECT_EQ(e.controller, 30);
  EXPECT_EQ(e.channel, 4);
  EXPECT_EQ(e.range[kMidiSourceController].low, 1.5f);
}

TEST_F(MidiMapFiles, SavingAKnownNameOverwritesItsFileOnly) {
  writeBytes("midiMapList", "Alpha\n\nGamma\n");
  ASSERT_TRUE(holder.readMidiMapList());
  writeBytes("2.mmap", "stale");
  std::filesystem::remove(path("midiMapList"));
  ASSERT_TRUE(holder.saveMidiMap("Gamma"));
  EXPECT_EQ(holder.currentMapIndex, 2);
  EXPECT_FALSE(exists("midiMapList"));  // not rewritten
  EXPECT_FALSE(exists("1.mmap"));
  EXPECT_EQ(readBytes("2.mmap").rfind("4: 0, 82, 33, 1,", 0), 0u);
}

TEST_F(MidiMapFiles, UnusableNamesAreRefused) {
  holder.mapNames = {"Alpha"};
  for (const char* name : {"", "   ", "Two\nLines", "Cr\rName"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(holder.saveMidiMap(name));
    EXPECT_EQ(holder.mapNames, Names{"Alpha"});
    EXPECT_EQ(holder.currentMapIndex, 0);
  }
  EXPECT_FALSE(exists("midiMapList"));
  EXPECT_FALSE(exists("1.mmap"));
}

TEST_F(MidiMapFiles, UnwritableMapFileChangesNothing) {
  holder.mapNames = {"Alpha"};
  std::filesystem::create_directories(path("1.mmap"));  // a folder where the file would go
  EXPECT_FALSE(holder.saveMidiMap("Beta"));
  EXPECT_EQ(holder.mapNames, Names{"Alpha"});
  EXPECT_EQ(holder.currentMapIndex, 0);
  EXPECT_EQ(holder.currentMapName, "Default Map");
  EXPECT_FALSE(exists("midiMapList"));
}

TEST_F(MidiMapFiles, WritingTheListKeepsBlankNamesInPlace) {
  holder.mapNames = {"Alpha", "", "Gamma"};
  ASSERT_TRUE(holder.writeMidiMapList());
  EXPECT_EQ(readBytes("midiMapList"), "Alpha\r\n\r\nGamma\r\n");
  holder.mapNames.clear();
  ASSERT_TRUE(holder.readMidiMapList());
  EXPECT_EQ(holder.mapNames, (Names{"Alpha", "", "Gamma"}));
}

}  // namespace
