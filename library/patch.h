// One stored patch in memory and its line-per-record text: the content of a ".kvx" patch
// file, of each patch block of an archive and of the plug-in's chunk. The record stores
// four-character keys and numbers only; applying it to the engine is the plug-in's job.
//
// Threads: a record has no lock of its own. A record in the patch library (its tree, reset
// or session patch) is read and changed under the plug-in's patch lock, on whichever thread
// holds it (host threads for chunks and patch changes, the GUI thread for the editor); a
// record a caller owns outright (a parsed chunk, a mailbox copy) is that caller's alone.
// The audio thread reads only a record handed to it through the program snapshot, which no
// other thread changes while it may be read (see patch_library.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "params/midimap_entry.h"

// PatchParam::kind values.
enum PatchParamKind : int32_t {
  kPatchParamInteger = 0,       // intValue holds the plain value
  kPatchParamReal = 1,          // realValue holds the plain value
  kPatchParamCord = 2,          // key is an input jack's key, peerCode the jack at the other end
  kPatchParamCordUnplugged = 3  // key is an input jack's key; no cord
};

// One parameter entry of a patch. A field the kind does not use carries no meaning.
struct PatchParam {
  uint32_t key = 0;       // four-character key, first character in the most significant byte
  uint32_t peerCode = 0;  // kind 2: the peer jack's code
  double realValue = 0.0; // kind 1
  int32_t intValue = 0;   // kind 0
  int32_t kind = kPatchParamInteger;
};

// Capacity every caller of the buffer form of Patch::writeText passes.
inline constexpr int kPatchTextCapacity = 50000;

// Key of Master Volume, which every patch read from text carries.
inline constexpr uint32_t kPatchVolumeKey = 0x6D766F6C;  // "mvol"

class Patch {
 public:
  // An empty patch: no name, no entries, the default beat settings.
  Patch();
  // A new patch. The creator sets showNotes, programSlot and dirty afterwards.
  Patch(std::string fileName, std::string name, std::string folder, char separator,
        std::string author, std::string date, std::string notes);
  // A patch read from its file (folder, separator, fileName, ".kvx"). A missing file leaves
  // the record empty; the given name stays unless the file holds one.
  Patch(std::string fileName, std::string name, std::string folder, char separator);
  // A patch read from text (an archive block); the given name wins over the text's.
  Patch(std::string fileName, std::string name, std::string folder, char separator,
        const char* text, std::size_t length);

  // Writes the whole patch text and a terminating zero into buffer and returns the text's
  // length. When the text and its terminator do not fit in capacity, writes an empty text
  // (when capacity > 0) and returns -1: a cut-off patch is never passed on as whole.
  int writeText(char* buffer, int capacity) const;
  // The whole patch text, of any length.
  std::string writeText() const;

  // Replaces params, midiMapEntries and the fields the text holds. Reads at most length
  // bytes and stops at a zero byte; the text is not modified. A null text reads as empty.
  void readText(const char* text, std::size_t length);
  void readText(const std::string& text) { readText(text.data(), text.size()); }

  // The patch file's path: folder, separator, fileName and ".kvx".
  std::string filePath() const;
  // Reads the patch file when it exists (CR LF reads as LF); otherwise nothing changes.
  // True when the file was read.
  bool load();
  // Writes the patch file when dirty is set, through a temporary file renamed over the old
  // one; dirty stays set (the library clears it). False when the file could not be written.
  bool save() const;
  // Writes the patch text to an open file. False on a write error.
  bool writeFile(std::FILE* file) const;

  // Sets dirty; overwrites the first entry with this key, or appends a new one.
  void setParam(int32_t kind, uint32_t key, int32_t intValue, double realValue,
                uint32_t peerCode);
  // Sets dirty; appends a copy whose controller source is reset (range 0..127, linear, not
  // inverted); everything else is copied as given.
  void addMidiMapEntry(const MidiMapEntry& entry);
  // Sets dirty; removes every MIDI-map entry.
  void clearMidiMapEntries();

  std::string fileName;
  std::string folder;
  char separator = '\\';
  int32_t dirty = 0;
  // Clock sync on, clock pulses per beat, LFO sync on, LFO pulses per beat.
  int32_t beatSettings[4] = {0, 24, 0, 24};
  // Clock and LFO beat offsets.
  float beatOffsets[2] = {0.0f, 0.0f};
  int32_t locked = 0;
  int32_t showNotes = 0;
  // MIDI program number 0..127 in the group's program map; -1 = none.
  int32_t programSlot = -1;
  std::string name;
  std::string notes;
  std::string author;
  std::string date;
  // The patch's own velocity, modulation-wheel and aftertouch mappings.
  std::vector<MidiMapEntry> midiMapEntries;
  std::vector<PatchParam> params;
};
