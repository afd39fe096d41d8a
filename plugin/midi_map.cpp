#include "plugin/midi_map.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <thread>

#include "params/param_table.h"

namespace {

constexpr uint32_t kAllSourceBits =
    kMidiBitController | kMidiBitVelocity | kMidiBitModWheel | kMidiBitAftertouch;
constexpr float kMidiTop = 127.0f;
// Tries at reading one entry that an edit keeps changing before the scan moves past it.
constexpr int kReadAttempts = 4;

struct DefaultEntry {
  int32_t controller;
  int32_t parameter;
  float low;
  float high;
};

constexpr DefaultEntry kDefaults[] = {
    {82, 33, 0, 127},   // ADSR Attack Time
    {83, 34, 0, 127},   // ADSR Decay Time
    {28, 35, 0, 127},   // ADSR Sustain Level
    {29, 36, 0, 127},   // ADSR Release Time
    {81, 31, 0, 127},   // VCF ADSR CV Level
    {74, 23, 0, 127},   // VCF Coarse Freq
    {71, 25, 0, 127},   // VCF Resonance
    {1, 67, 0, 127},    // Vibrato Depth
    {2, 3, 0, 127},     // Ring Mod 1
    {3, 4, 0, 127},     // Ring Mod 2
    {10, 45, 0, 127},   // Mixer Pan
    {kMidiControllerPitchBend, 71, 53, 74},  // Pitch Bend
};

float clampMidi(float v) {
  if (!(v >= 0.0f)) return 0.0f;  // also catches not-a-number
  return v > kMidiTop ? kMidiTop : v;
}

// The slot of a source bit, or -1 for anything but exactly one of the four bits.
int sourceSlot(uint32_t bit) {
  switch (bit) {
    case kMidiBitController: return kMidiSourceController;
    case kMidiBitVelocity: return kMidiSourceVelocity;
    case kMidiBitModWheel: return kMidiSourceModWheel;
    case kMidiBitAftertouch: return kMidiSourceAftertouch;
    default: return -1;
  }
}

}  // namespace

MidiMapEntry blankMidiMapEntry(int32_t parameter) {
  MidiMapEntry e{};
  e.parameter = parameter;
  for (MidiRange& r : e.range) r = {0.0f, kMidiTop};
  return e;
}

bool sanitizeMidiMapEntry(MidiMapEntry& e) {
  if (e.parameter < 1 || e.parameter > kLastCordParam) return false;
  e.channel = std::clamp<int32_t>(e.channel, 0, kMidiLastChannel);
  e.controller = std::clamp<int32_t>(e.controller, 0, kMidiControllerPitchBend);
  e.sourceBits &= kAllSourceBits;
  for (int s = 0; s < kMidiSourceCount; ++s) {
    e.range[s] = {clampMidi(e.range[s].low), clampMidi(e.range[s].high)};
    if (e.curve[s] < kMidiCurveLinear || e.curve[s] > kMidiCurveLogarithmic)
      e.curve[s] = kMidiCurveLinear;
    e.invert[s] = e.invert[s] != 0 ? 1 : 0;
  }
  return true;
}

MidiMap::MidiMap() { addDefaults(); }

// --- Slots ------------------------------------------------------------------------------

void MidiMap::storeSlot(int index, const MidiMapEntry& entry) {
  uint32_t words[kWords];
  std::memcpy(words, &entry, sizeof words);
  Slot& slot = slots_[index];
  const uint32_t sequence = slot.sequence.load(std::memory_order_relaxed);
  slot.sequence.store(sequence + 1, std::memory_order_relaxed);
  // Release stores: a reader that sees any new word also sees the odd sequence before it.
  for (int w = 0; w < kWords; ++w) slot.words[w].store(words[w], std::memory_order_release);
  slot.sequence.store(sequence + 2, std::memory_order_release);
}

bool MidiMap::loadSlot(int index, MidiMapEntry& out) const {
  const Slot& slot = slots_[index];
  const uint32_t before = slot.sequence.load(std::memory_order_acquire);
  if (before & 1) return false;
  uint32_t words[kWords];
  // Acquire loads keep the second sequence read after every word read.
  for (int w = 0; w < kWords; ++w) words[w] = slot.words[w].load(std::memory_order_acquire);
  if (slot.sequence.load(std::memory_order_relaxed) != before) return false;
  std::memcpy(&out, words, sizeof words);
  return true;
}

// --- Audio thread -----------------------------------------------------------------------

int MidiMap::lookup(int& position, uint32_t sourceBit, int32_t controller, int32_t channel,
                    MidiSourceSetting& setting) const {
  const int slot = sourceSlot(sourceBit);
  if (slot < 0) return 0;
  const int n = count();
  for (int i = position < 0 ? 0 : position; i < n; ++i) {
    MidiMapEntry e;
    bool whole = false;
    for (int attempt = 0; attempt < kReadAttempts && !whole; ++attempt) whole = loadSlot(i, e);
    if (!whole || (e.sourceBits & sourceBit) == 0) continue;
    if (sourceBit == kMidiBitController && (e.controller != controller || e.channel != channel))
      continue;
    position = i + 1;
    setting = {e.range[slot].low, e.range[slot].high, e.curve[slot], e.invert[slot]};
    return e.parameter;
  }
  position = n;
  return 0;
}

bool MidiMap::tryReplacePatchSources(std::span<const MidiMapEntry> sound) {
  uint32_t none = kOwnerNone;
  if (!owner_.compare_exchange_strong(none, kOwnerAudio, std::memory_order_acquire)) return false;
  replacePatchSourcesLocked(sound);
  owner_.store(kOwnerNone, std::memory_order_release);
  return true;
}

// --- Editing side -----------------------------------------------------------------------
// While the table is held no other thread changes a slot, so every loadSlot below succeeds
// at the first attempt.

MidiMap::EditHold::EditHold(const MidiMap& map) : map_(map), lock_(map.editLock_) {
  // Only the audio thread's merge can hold the word against the lock's holder; it is short.
  uint32_t none = kOwnerNone;
  while (!map_.owner_.compare_exchange_weak(none, kOwnerEdit, std::memory_order_acquire)) {
    none = kOwnerNone;
    std::this_thread::yield();
  }
}

MidiMap::EditHold::~EditHold() { map_.owner_.store(kOwnerNone, std::memory_order_release); }

bool MidiMap::appendLocked(const MidiMapEntry& entry) {
  const int n = count_.load(std::memory_order_relaxed);
  if (n >= kCapacity) return false;
  storeSlot(n, entry);
  count_.store(n + 1, std::memory_order_release);
  return true;
}

int MidiMap::findLocked(int32_t parameter, int occurrence) const {
  const int n = count_.load(std::memory_order_relaxed);
  // The table is held, so no word changes under the scan: the parameter word alone will do.
  constexpr int kParameterWord = offsetof(MidiMapEntry, parameter) / sizeof(uint32_t);
  for (int i = 0; i < n; ++i) {
    const auto p = static_cast<int32_t>(slots_[i].words[kParameterWord].load(std::memory_order_relaxed));
    if (p == parameter && occurrence-- == 0) return i;
  }
  return -1;
}

void MidiMap::addDefaults() {
  EditHold hold(*this);
  for (const DefaultEntry& d : kDefaults) {
    MidiMapEntry e = blankMidiMapEntry(d.parameter);
    e.controller = d.controller;
    e.sourceBits = kMidiBitController;
    e.range[kMidiSourceController] = {d.low, d.high};
    appendLocked(e);
  }
}

bool MidiMap::entryAt(int index, MidiMapEntry& out) const {
  EditHold hold(*this);
  return index >= 0 && index < count_.load(std::memory_order_relaxed) && loadSlot(index, out);
}

std::vector<MidiMapEntry> MidiMap::entries() const {
  EditHold hold(*this);
  const int n = count_.load(std::memory_order_relaxed);
  std::vector<MidiMapEntry> all(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) loadSlot(i, all[static_cast<std::size_t>(i)]);
  return all;
}

bool MidiMap::findByParameter(int32_t parameter, MidiMapEntry& out) const {
  EditHold hold(*this);
  const int i = findLocked(parameter);
  return i >= 0 && loadSlot(i, out);
}

bool MidiMap::setEntry(uint32_t keepMask, const MidiMapEntry& given) {
  EditHold hold(*this);
  return setEntryLocked(keepMask, given);
}

bool MidiMap::setEntryLocked(uint32_t keepMask, const MidiMapEntry& given) {
  MidiMapEntry g = given;
  if (!sanitizeMidiMapEntry(g)) return false;
  const int i = findLocked(g.parameter);
  if (i < 0) return appendLocked(g);
  MidiMapEntry e;
  loadSlot(i, e);
  e.sourceBits = (e.sourceBits & keepMask) | g.sourceBits;
  for (int s = 0; s < kMidiSourceCount; ++s) {
    if ((g.sourceBits & (1u << s)) == 0) continue;
    e.range[s] = g.range[s];
    e.curve[s] = g.curve[s];
    e.invert[s] = g.invert[s];
  }
  if (g.sourceBits & kMidiBitController) {
    e.channel = g.channel;
    e.controller = g.controller;
  }
  storeSlot(i, e);
  return true;
}

bool MidiMap::appendEntry(const MidiMapEntry& entry) {
  MidiMapEntry copy = entry;
  if (!sanitizeMidiMapEntry(copy)) return false;
  EditHold hold(*this);
  return appendLocked(copy);
}

void MidiMap::clearControllerSourcesLocked() {
  const int n = count_.load(std::memory_order_relaxed);
  for (int i = 0; i < n; ++i) {
    MidiMapEntry e;
    if (!loadSlot(i, e) || (e.sourceBits & kMidiBitController) == 0) continue;
    e.sourceBits &= ~kMidiBitController;
    e.controller = 0;
    storeSlot(i, e);
  }
}

void MidiMap::clearControllerSources() {
  EditHold hold(*this);
  clearControllerSourcesLocked();
}

void MidiMap::resetPatchSources() {
  EditHold hold(*this);
  resetPatchSourcesLocked();
}

void MidiMap::replacePatchSources(std::span<const MidiMapEntry> sound) {
  EditHold hold(*this);
  replacePatchSourcesLocked(sound);
}

void MidiMap::replacePatchSourcesLocked(std::span<const MidiMapEntry> sound) {
  resetPatchSourcesLocked();
  for (const MidiMapEntry& given : sound) {
    // Only the sound's sources: the controller source belongs to the map files.
    MidiMapEntry e = given;
    e.sourceBits &= kMidiPatchSourceBits;
    e.range[kMidiSourceController] = {0.0f, kMidiTop};
    e.curve[kMidiSourceController] = kMidiCurveLinear;
    e.invert[kMidiSourceController] = 0;
    setEntryLocked(kMidiBitController, e);
  }
}

void MidiMap::resetPatchSourcesLocked() {
  const int n = count_.load(std::memory_order_relaxed);
  for (int i = 0; i < n; ++i) {
    MidiMapEntry e;
    if (!loadSlot(i, e) || (e.sourceBits & kMidiPatchSourceBits) == 0) continue;
    e.sourceBits &= kMidiBitController;
    for (int s = kMidiSourceVelocity; s < kMidiSourceCount; ++s) {
      e.range[s] = {0.0f, kMidiTop};
      e.curve[s] = kMidiCurveLinear;
      e.invert[s] = 0;
    }
    storeSlot(i, e);
  }
}

void MidiMap::mergeFileEntries(const std::vector<MidiMapEntry>& lines) {
  EditHold hold(*this);
  clearControllerSourcesLocked();
  // The n-th line of a parameter goes to its n-th entry, so that a map holding several
  // entries of one parameter reads back as it was written.
  int seen[kParamTableSize] = {};
  for (const MidiMapEntry& line : lines) {
    const int i = findLocked(line.parameter, seen[line.parameter]++);
    if (i < 0) {
      appendLocked(line);
      continue;
    }
    MidiMapEntry e;
    loadSlot(i, e);
    e.channel = line.channel;
    e.controller = line.controller;
    e.sourceBits |= line.sourceBits;
    e.range[kMidiSourceController] = line.range[kMidiSourceController];
    e.curve[kMidiSourceController] = line.curve[kMidiSourceController];
    e.invert[kMidiSourceController] = line.invert[kMidiSourceController];
    storeSlot(i, e);
  }
}
