// The MIDI maps kept in the data folder: the list file "midiMapList" names them, one name
// per line, and line n (from 0) names the map file "<n>.mmap". The holder is part of the
// plug-in; the editor reaches it for its map dialogs. GUI thread and start-up only.
#pragma once

#include <string>
#include <vector>

#include "plugin/midi_map.h"

struct MidiMapHolder {
  explicit MidiMapHolder(MidiMap& midiMap) : map(&midiMap) {}

  // Map n is the file n.mmap. A blank line of the list file gives an empty name, so that
  // every later name keeps the number of its file.
  std::vector<std::string> mapNames;
  std::string currentMapName = "Default Map";
  int currentMapIndex = 0;
  MidiMap* map;

  // Fills mapNames from the list file; each name loses its trailing white space. False,
  // mapNames unchanged, when the file does not open.
  bool readMidiMapList();

  // Writes every name of mapNames, one per line. False when the file cannot be written.
  bool writeMidiMapList() const;

  // Reads map file n into the map (MidiMap::read) and takes its name from mapNames when the
  // list has a name for it. False, nothing changed, when the file does not open.
  bool loadMidiMap(int n);

  // Saves the map under `name` (trailing white space dropped): over the file of that name
  // when the list has it, else as a new file numbered after the last name, which the list
  // then gains. Sets currentMapIndex and currentMapName. False, and neither the list nor
  // the index changed, for an empty name, a name with a line break, or a map file that
  // cannot be written; false also when the list file cannot be rewritten.
  bool saveMidiMap(const std::string& name);
};

// Paths in the data folder. Any thread.
std::string midiMapListPath();
std::string midiMapFilePath(int n);
