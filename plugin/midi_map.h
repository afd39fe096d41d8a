// The plug-in's MIDI controller map: which MIDI input drives which parameter and how. One
// per plug-in instance, owned by the plug-in.
//
// Threads: the MIDI dispatch scans the map on the audio thread (lookup) while the editor, a
// patch change or a map load edits it on another thread. The entries live in a table of
// fixed capacity that never moves; an append fills the next slot and then publishes the new
// count with a release store, and every slot carries a sequence number that lets a reader
// tell a whole entry from one being rewritten under it. Lookup never allocates, locks or
// waits. The editing calls serialise among themselves on a lock and are never made on the
// audio thread. One edit belongs to the audio thread: a program change it applies brings
// the new sound's own sources along (tryReplacePatchSources). It claims the table with one
// atomic word instead of the lock and gives up, without waiting, while an edit holds it;
// an edit that finds the audio thread's claim waits for that one merge to end.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "params/midimap_entry.h"

// What one source of a matched entry says: its input range, curve and invert flag.
struct MidiSourceSetting {
  float low = 0.0f;
  float high = 127.0f;
  int32_t curve = kMidiCurveLinear;
  int32_t invert = 0;
};

// An entry of `parameter` on channel 0 and controller 0 without sources, every range 0..127,
// linear, not inverted. Any thread.
MidiMapEntry blankMidiMapEntry(int32_t parameter);

// Brings an entry into the ranges the map works with: channel 0..15, controller 0..128,
// source bits 1..8 only, ranges within 0..127 (not a number counts as 0), curves 0..2
// (others become linear), inverts 0 or 1. False, entry untouched, when the parameter is not
// one a map can drive (1..178). Any thread.
bool sanitizeMidiMapEntry(MidiMapEntry& entry);

class MidiMap {
 public:
  // Entries the map can hold. Edits that would need more are refused.
  static constexpr int kCapacity = 512;

  // The map with its twelve default entries. Start-up.
  MidiMap();
  MidiMap(const MidiMap&) = delete;
  MidiMap& operator=(const MidiMap&) = delete;

  // --- Audio thread -------------------------------------------------------------------

  // Scans from `position` for the next entry that carries `sourceBit` (one kMidiBit*). For
  // the controller source an entry also needs the given controller and channel; the other
  // sources match whatever their channel and controller. On a match stores the position
  // after the entry, fills `setting` with that source's range, curve and invert and returns
  // the entry's parameter index; returns 0 when no further entry matches. Callers start at
  // 0 and loop until 0. An entry caught in the middle of an edit is skipped.
  int lookup(int& position, uint32_t sourceBit, int32_t controller, int32_t channel,
             MidiSourceSetting& setting) const;

  // replacePatchSources without waiting: false, nothing changed, while an edit holds the
  // map (the caller tries again later). Neither allocates nor locks.
  bool tryReplacePatchSources(std::span<const MidiMapEntry> sound);

  // --- Any thread ---------------------------------------------------------------------

  // Entries in the map.
  int count() const { return count_.load(std::memory_order_acquire); }

  // --- Editing side (GUI thread, host thread, start-up; never the audio thread) -------------

  // Appends the twelve default entries (controllers 82, 83, 28, 29, 81, 74, 71, 1, 2, 3, 10
  // and pitch bend on channel 0).
  void addDefaults();

  // A copy of entry `index`; false when there is no such entry.
  bool entryAt(int index, MidiMapEntry& out) const;
  // All entries, in map order.
  std::vector<MidiMapEntry> entries() const;
  // A copy of the first entry of `parameter`; false when the map has none.
  bool findByParameter(int32_t parameter, MidiMapEntry& out) const;

  // Merges `given` into the first entry of given.parameter: its source bits become
  // (bits AND keepMask) OR given.sourceBits, and each source whose bit is set in
  // given.sourceBits takes the given range, curve and invert (the controller source also
  // the channel and controller). A parameter without an entry gets a copy of `given`.
  // `given` is sanitised first; false when it names no parameter or the map is full.
  bool setEntry(uint32_t keepMask, const MidiMapEntry& given);

  // Appends a sanitised copy of `entry` (which may be an entry of this map). False when it
  // names no parameter or the map is full.
  bool appendEntry(const MidiMapEntry& entry);

  // Every entry with the controller source loses it and gets controller 0.
  void clearControllerSources();

  // Every entry with a velocity, modulation-wheel or aftertouch source keeps only its
  // controller source; those three sources go back to range 0..127, linear, not inverted.
  // Entries left without sources stay in the map.
  void resetPatchSources();

  // A sound's own sources in place of the ones the map holds: resetPatchSources, then each
  // entry of `sound` merges its velocity, modulation-wheel and aftertouch sources into the
  // first entry of its parameter, whose controller source stays (setEntry with keep mask
  // controller); a parameter without an entry gets one with no controller source.
  void replacePatchSources(std::span<const MidiMapEntry> sound);

  // Map file text: lines "<kind>: channel, controller, parameter, source bits[, low, high[,
  // curve, invert]]" with kinds 1 to 4. Reading first clears every controller source, then
  // merges each line into an entry of its parameter (the n-th line of a parameter into its
  // n-th entry) or appends it. Lines that are not of that form or name values out of range
  // are skipped. Returns the number of lines taken.
  int read(std::string_view text);

  // Appends one kind-4 line per entry, in map order; returns the number of entries written.
  int write(std::string& out) const;

 private:
  static constexpr int kWords = 20;
  // One entry as twenty atomic words behind a sequence number: odd while it is rewritten.
  struct Slot {
    std::atomic<uint32_t> sequence{0};
    std::atomic<uint32_t> words[kWords] = {};
  };

  // Clears the controller sources, then merges each line read from a map file into an entry
  // of its parameter (channel, controller and the controller source replaced, source bits
  // OR-ed in): the first line of a parameter into its first entry, the second into its
  // second, and so on; a line without such an entry is appended.
  void mergeFileEntries(const std::vector<MidiMapEntry>& lines);

  // The editing side's hold on the table: editLock_, then the owner word, waiting out a
  // merge the audio thread is making.
  class EditHold {
   public:
    explicit EditHold(const MidiMap& map);
    ~EditHold();
    EditHold(const EditHold&) = delete;
    EditHold& operator=(const EditHold&) = delete;

   private:
    const MidiMap& map_;
    std::lock_guard<std::mutex> lock_;
  };

  // Caller holds the table (EditHold or the audio thread's claim).
  void clearControllerSourcesLocked();
  void resetPatchSourcesLocked();
  bool setEntryLocked(uint32_t keepMask, const MidiMapEntry& given);
  void replacePatchSourcesLocked(std::span<const MidiMapEntry> sound);
  void storeSlot(int index, const MidiMapEntry& entry);
  bool appendLocked(const MidiMapEntry& entry);
  // The slot of the occurrence-th entry (from 0) of `parameter`, or -1.
  int findLocked(int32_t parameter, int occurrence = 0) const;
  // A consistent copy of slot `index`, or false when it changed while being read.
  bool loadSlot(int index, MidiMapEntry& out) const;

  Slot slots_[kCapacity];
  std::atomic<int> count_{0};
  mutable std::mutex editLock_;
  // Who writes the slots now: kOwnerNone, kOwnerEdit (under editLock_) or kOwnerAudio.
  static constexpr uint32_t kOwnerNone = 0, kOwnerEdit = 1, kOwnerAudio = 2;
  mutable std::atomic<uint32_t> owner_{kOwnerNone};
};
