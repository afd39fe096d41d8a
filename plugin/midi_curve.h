// How a MIDI value becomes a parameter value through one source of a map entry: the value
// is inverted when the source says so, shaped by its curve (linear, exponential or
// logarithmic), scaled into its range and turned into the parameter's plain value, along a
// logarithmic scale for parameters flagged so. Pure functions: any thread, including the
// audio thread.
#pragma once

#include "plugin/midi_map.h"

// Position of a seven-bit value 0..127 (controllers, velocity, modulation wheel,
// aftertouch): 0 at the range's low end, about (high + 1) / 128 at its top. Values outside
// 0..127 are clamped.
double midiPosition7(int value, const MidiSourceSetting& setting);

// Position of a fourteen-bit pitch-bend value 0..16383 (msb x 128 + lsb); the centre 8192
// through the range 53..74 lands near 0.5. Values outside 0..16383 are clamped. A range
// whose low end lies above its high end runs downwards, as in the seven-bit mapping.
double midiPosition14(int value, const MidiSourceSetting& setting);

// The plain value of parameter 1..178 for a seven-bit value, clamped to the parameter's
// range (whole-number parameters rounded to nearest). 0 for other parameter indexes.
float mapCurve(int value, const MidiSourceSetting& setting, int parameter);

// The same for a fourteen-bit pitch-bend value.
float mapCurve14(int value, const MidiSourceSetting& setting, int parameter);
