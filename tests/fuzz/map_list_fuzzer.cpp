// The MIDI map list and map files of the data folder (MidiMapHolder::readMidiMapList,
// loadMidiMap, saveMidiMap): any bytes as "midiMapList" and as a map file are read without
// fault, the names keep their numbers, and the list written back reads as itself.
#include <memory>
#include <string>

#include "platform/textfile.h"
#include "plugin/midi_map_files.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  qvfuzz::useOwnDataFolder("map_list");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string bytes(qvfuzz::asText(data, size));
  qvfuzz::require(platform::writeBinaryFile(midiMapListPath(), bytes) &&
                      platform::writeBinaryFile(midiMapFilePath(0), bytes),
                  "the input files are written");
  auto map = std::make_unique<MidiMap>();
  MidiMapHolder holder(*map);
  qvfuzz::require(holder.readMidiMapList(), "the list file is read");
  for (const std::string& name : holder.mapNames)
    qvfuzz::require(name.find_first_of("\r\n") == std::string::npos, "a name is one line");
  qvfuzz::require(holder.loadMidiMap(0), "map file 0 is read");
  qvfuzz::require(!holder.loadMidiMap(1), "a missing map file is refused");

  const std::vector<std::string> names = holder.mapNames;
  qvfuzz::require(holder.writeMidiMapList() && holder.readMidiMapList() && holder.mapNames == names,
                  "the written list reads back as itself");

  // Saving under the first name rewrites its file and leaves the list as it was.
  if (!names.empty() && !names[0].empty()) {
    qvfuzz::require(holder.saveMidiMap(names[0]), "a map is saved under a listed name");
    qvfuzz::require(holder.currentMapIndex == 0 && holder.mapNames == names,
                    "a listed name keeps its number");
  }
  return 0;
}
