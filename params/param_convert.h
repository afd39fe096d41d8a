// Conversions between the values the host and the canvas see (normalised, 0..1) and the
// plain values the plug-in keeps, and the logarithm-aware position scale used by MIDI maps.
// Pure functions of the constant parameter table: any thread, including the audio thread.
#pragma once

#include <cstdint>

#include "params/param_table.h"

// True for the input-jack parameters 90..178, whose plain value is the peer jack index.
constexpr bool isCordParam(int index) {
  return index >= kFirstCordParam && index <= kLastCordParam;
}

// The jack index of cord parameter `index` (index - 89), or 0 when it is not a cord.
constexpr int jackIndexOfParam(int index) {
  return isCordParam(index) ? index - kJackParamOffset : 0;
}

// The cord parameter of jack index 1..89 (jack + 89), or -1 for any other jack index.
constexpr int paramOfJackIndex(int jack) {
  return jack >= 1 && jack <= kJackCount ? jack + kJackParamOffset : -1;
}

// The jack code of jack index 0..89; `noco` for an index outside the table.
int32_t jackCodeOfIndex(int jack);

// The jack index 0..89 whose code is `code`, or -1 when no jack has it.
int jackIndexOfCode(int32_t code);

// The jack index named by a cord's normalised value (value x 1000, rounded to nearest).
// A value naming no jack (beyond 89, negative, not a number) gives 0: no cord.
int jackIndexFromNormalised(float normalised);

// True when plain values of this parameter are whole numbers: counted values, switches and
// cords. Normalised values of these round to the nearest whole number.
bool isWholeNumberParam(int index);

// Normalised 0..1 -> plain value of parameter 1..178. Others: minimum + (maximum - minimum) x
// normalised, the normalised value clamped to 0..1 (not a number counts as 0); counted values
// and switches round to the nearest whole number; a cord gives its peer jack index as above.
// Indexes outside 1..178 give 0.
float plainFromNormalised(int index, float normalised);

// Plain value -> normalised 0..1 of parameter 1..178: cords plain / 1000, others
// (plain - minimum) / (maximum - minimum) clamped to 0..1, or the plain value unchanged
// when the range is empty. Indexes outside 1..178 give 0.
float normalisedFromPlain(int index, float plain);

// Position 0..1 (a MIDI source after its curve) -> plain value: exp(ln min + p x (ln max -
// ln min)) for a parameter with the logarithmic flag, min + p x (max - min) otherwise;
// clamped to the parameter's range and rounded for whole-number parameters. Indexes
// outside 1..178 give 0.
float plainFromPosition(int index, double position);

// The inverse of plainFromPosition, clamped to 0..1.
double positionFromPlain(int index, float plain);
