// The plug-in's parameter vocabulary: one descriptor per parameter index, the key each
// parameter is stored under in patches, chunks and MIDI maps, how a patch stores its value,
// and the code of every input jack. All of it is constant data, initialised before any code
// runs, shared read-only by every instance in the process and safe to read from any thread.
#pragma once

#include <cstdint>

#include "params/four_char_code.h"

// A parameter key as the table stores it: the four-character code as a signed word. 0 means
// no code.
constexpr int32_t fourCharKey(const char (&text)[5]) { return static_cast<int32_t>(fourCharCode(text)); }

// Records 0..179: 0 is the placeholder, 1..89 the panel controls and settings, 90..178 the
// input jacks (one patch-cord parameter each) and 179 the terminator.
inline constexpr int kParamTableSize = 180;
// Parameter records before the terminator (0..178).
inline constexpr int kParamRecordCount = 179;
// Parameters the host addresses (0..177); 178 is reachable from the panel and patches only.
inline constexpr int kHostParamCount = 178;
inline constexpr int kFirstCordParam = 90;
inline constexpr int kLastCordParam = 178;
// Jack indexes 1..89; jack index j belongs to cord parameter j + 89. Index 0 is no jack.
inline constexpr int kJackCount = 89;
inline constexpr int kJackTableSize = 90;
inline constexpr int kJackParamOffset = 89;

// The code of jack index 0: no connection.
inline constexpr int32_t kNoConnectionCode = fourCharKey("noco");

// Descriptor kinds. Carried with the record and copied into bound controls.
enum ParamKind : int32_t {
  kParamContinuous = 0,  // continuous control
  kParamCounted = 1,     // voices, clock pulses, list selections, patch cords
  kParamSwitch = 2,      // two-state switch, button or light
  kParamTime = 4,        // Vibrato Delay and Portamento Speed
  kParamLfoSpeed = 8,    // LFO Speed
};

// Descriptor flags: only this bit carries meaning. The parameter maps logarithmically
// between a control position or MIDI value and its plain value.
inline constexpr uint32_t kParamFlagLog = 0x10;

// How a patch stores a parameter's value (ParamTypeTable entries).
enum ParamStore : int32_t {
  kStoreInteger = 0,
  kStoreReal = 1,
  kStoreCord = 3,
};

// One parameter descriptor. Texts are zero-terminated.
struct ParamDesc {
  char name[52];        // the name given to the host
  char unitLabel[30];   // the unit text given to the host as the parameter's label
  int32_t section;      // panel module group 1..15 (15: global controls and every cord)
  char secondName[52];  // a copy of the name carried with the record
  int32_t kind;         // ParamKind
  float minimum;        // lowest plain value
  float maximum;        // highest plain value
  float defaultValue;   // plain value at start-up
  uint32_t flags;       // kParamFlagLog or 0
};

// The descriptor table, indexed by parameter index 0..179.
extern const ParamDesc ParamDescTable[kParamTableSize];
// The key of every parameter; 0 for Master Bypass (never stored) and for the terminator.
extern const int32_t ParamKeyTable[kParamTableSize];
// ParamStore of every parameter; kStoreCord for 90..178, 0 for the terminator.
extern const int32_t ParamTypeTable[kParamTableSize];
// The code of every jack index: [0] is `noco`, [j] the key of cord parameter j + 89.
extern const int32_t JackCodeTable[kJackTableSize];

// The first parameter index 0..178 whose key equals `key`, else -1. Key 0 is no key (Master
// Bypass is never stored under one), so a search for 0 gives -1. Any thread.
int32_t findParameterKey(int32_t key);

// Records counted from 0 up to the first whose minimum and maximum are both 0 (179).
int countParamRecords();
