// What the canvas needs of the plug-in, declared by the toolkit so it never includes the
// plug-in's own classes. The editor (and the test effect's editor) implement it. Every call
// is made on the GUI thread.
#pragma once

#include <cstdint>
#include <string>

struct MidiMapEntry;

class CanvasPlugin {
 public:
  virtual ~CanvasPlugin() = default;

  // A user change of a parameter, normalised to 0..1, to be applied and told to the host.
  virtual void setParameterAutomated(int32_t index, float normalised) = 0;
  // The parameter's current normalised value.
  virtual float getParameter(int32_t index) = 0;
  // The host is told that a gesture on a parameter starts and ends (mouse down and up).
  virtual void beginEdit(int32_t index) = 0;
  virtual void endEdit(int32_t index) = 0;
  // One float of the meter block: 0 left level, 1 right level, 2 block time, 3 frame count,
  // 4 MIDI light, 5 the MIDI-learn word. 0 for any other index.
  virtual float meterValue(int index) = 0;
  // What the block time of the meter block is counted in (ticks per second), and the
  // sample rate its frames play at: the load meter compares the two.
  virtual double meterClockHz() const { return 1.0e7; }
  virtual double sampleRate() const { return 44100.0; }

  // The library's current patch as an identity the canvas compares between idles (null when
  // there is none), and whether it is locked.
  virtual const void* currentPatch() { return nullptr; }
  virtual bool currentPatchLocked() { return false; }
  // The current patch's notes, when there is a current patch and its notes are shown.
  virtual bool currentPatchNotes(std::string& /*notes*/) { return false; }

  // The MIDI map entry of a parameter (null when it has none), and a global entry to store.
  virtual const MidiMapEntry* midiMapEntry(int32_t /*index*/) { return nullptr; }
  virtual void setMidiMapEntry(const MidiMapEntry& /*entry*/) {}
};
