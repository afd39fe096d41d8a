// One mapping of MIDI input to a parameter: twenty 32-bit words, the unit of the plug-in's
// MIDI map, of a patch's map lines and of the map editor. A plain record, copied by value.
#pragma once

#include <cstdint>
#include <type_traits>

// Source slots of an entry, in the order of its ranges, curves and inverts.
enum MidiSource : int32_t {
  kMidiSourceController = 0,  // controller or pitch bend; global, kept in map files
  kMidiSourceVelocity = 1,    // note velocity; belongs to the patch
  kMidiSourceModWheel = 2,    // modulation wheel; belongs to the patch
  kMidiSourceAftertouch = 3,  // aftertouch; belongs to the patch
  kMidiSourceCount = 4,
};

// Source bits of MidiMapEntry::sourceBits: bit (1 << slot).
inline constexpr uint32_t kMidiBitController = 1;
inline constexpr uint32_t kMidiBitVelocity = 2;
inline constexpr uint32_t kMidiBitModWheel = 4;
inline constexpr uint32_t kMidiBitAftertouch = 8;
// The sources a patch carries.
inline constexpr uint32_t kMidiPatchSourceBits =
    kMidiBitVelocity | kMidiBitModWheel | kMidiBitAftertouch;

// MIDI channels 0..15.
inline constexpr int32_t kMidiLastChannel = 15;

// Controller number that stands for pitch bend.
inline constexpr int32_t kMidiControllerPitchBend = 128;

enum MidiCurve : int32_t {
  kMidiCurveLinear = 0,
  kMidiCurveExponential = 1,
  kMidiCurveLogarithmic = 2,
};

struct MidiRange {
  float low;   // MIDI units, 0..127
  float high;
};

struct MidiMapEntry {
  int32_t channel;                    // word 0: channel 0..15 of the controller source
  int32_t controller;                 // word 1: controller 0..127, 128 = pitch bend
  int32_t parameter;                  // word 2: parameter index
  uint32_t sourceBits;                // word 3: kMidiBit* of the sources in use
  MidiRange range[kMidiSourceCount];  // words 4..11: per source, low and high
  int32_t curve[kMidiSourceCount];    // words 12..15: per source, MidiCurve
  int32_t invert[kMidiSourceCount];   // words 16..19: per source, non-zero = invert
};

static_assert(sizeof(MidiMapEntry) == 20 * 4, "a map entry is twenty 32-bit words");
static_assert(std::is_trivially_copyable_v<MidiMapEntry> &&
              std::is_standard_layout_v<MidiMapEntry>);
