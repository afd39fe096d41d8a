// A reference description of a built voice context, written out by hand from the panel's
// wiring charts (module list, normalled connections, output jacks), and helpers that read a
// built voice back into the same terms. The voice tests compare the two.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/patch_voice.h"
#include "params/param_table.h"

namespace voice_ref {

// A jack code from its four characters, through the parameter table's own converter.
inline std::uint32_t code(const char* text) {
  char chars[5] = {};
  std::memcpy(chars, text, 4);
  return static_cast<std::uint32_t>(fourCharKey(chars));
}

struct Module {
  const char* label;  // how the tables below name it ("switch A" for the switch's port records)
  const char* name;   // the record's name
  int type;
};

// Module indexes 0..43.
inline const Module kModules[44] = {
    {"OUTPUT", "OUTPUT", 12},
    {"VCO 1", "VCO 1", 1},
    {"VCO 2", "VCO 2", 1},
    {"VCO2 PW", "VCO2 PW", 21},
    {"VCO 3", "VCO 3", 1},
    {"ADSR 1", "ADSR 1", 6},
    {"AR 1", "AR 1", 8},
    {"ADSR Trigger1", "ADSR Trigger1", 28},
    {"AR Trigger 1", "AR Trigger 1", 29},
    {"VCF 1", "VCF 1", 2},
    {"VCA 1", "VCA 1", 3},
    {"VCA 1 Expl", "VCA 1 Expl", 36},
    {"Ring Modulator", "Ring Modulator", 5},
    {"Ring Modulator In A", "Ring Modulator In A", 37},
    {"Ring Modulator In B", "Ring Modulator In B", 38},
    {"Mixer 1", "Mixer 1", 13},
    {"Insert 1", "Insert 1", 39},
    {"Insert2", "Insert2", 39},
    {"Multiple 1", "Multiple 1", 32},
    {"switch A", "Electronic Switch 1", 33},
    {"switch B", "Electronic Switch 1", 34},
    {"switch C", "Electronic Switch 1", 35},
    {"Envelope Follower 1", "Envelope Follower 1", 18},
    {"Keyboard Lower CV", "Keyboard Lower CV", 20},
    {"Keyboard Upper CV", "Keyboard Upper CV", 20},
    {"Keyboard Gate", "Keyboard Gate", 25},
    {"Envelope Gate", "Envelope Gate", 30},
    {"Keyboard Trigger", "Keyboard Trigger", 26},
    {"Inverter 1", "Inverter 1", 22},
    {"Inverter 2", "Inverter 2", 22},
    {"Lag Processor", "Lag Processor", 24},
    {"Sample and Hold", "Sample and Hold", 10},
    {"Keyboard LFO", "Keyboard LFO", 27},
    {"Plus 10 Volts", "Plus 10 Volts", 23},
    {"Minus 10 Volts", "Minus 10 Volts", 23},
    {"Zero 0 Volts", "Zero 0 Volts", 23},
    {"Audio In 1", "Audio In 1", 15},
    {"Audio In 2", "Audio In 2", 15},
    {"Pan Control 1", "Pan Control 1", 17},
    {"Noise Generator", "Noise Generator", 9},
    {"Interal Clock 1", "Interal Clock 1", 14},
    {"Reverb 1", "Reverb 1", 19},
    {"Left Input", "Left Input", 31},
    {"Right Input", "Right Input", 31},
};

// The module index of a label; fails the test (and gives -1) for an unknown label.
inline int moduleIndex(const std::string& label) {
  for (int i = 0; i < 44; ++i) {
    if (label == kModules[i].label) return i;
  }
  ADD_FAILURE() << "no module labelled " << label;
  return -1;
}

constexpr char kAudio = 'a';
constexpr char kControl = 'c';

struct Row {
  const char* destination;
  char kind;
  const char* code;  // "none": hard-wired
  const char* source;
  int out;
  float gain;
};

// Rows 1..69 at entries 0..68.
inline const Row kRows[69] = {
    {"VCF 1", kAudio, "pl18", "VCO 1", 4, 0.0f},                               // 1
    {"VCF 1", kAudio, "pl19", "VCO 2", 6, 0.0f},                               // 2
    {"VCF 1", kAudio, "pl20", "VCO 3", 2, 0.0f},                               // 3
    {"VCF 1", kAudio, "pl21", "Noise Generator", 0, 0.0f},                     // 4
    {"VCF 1", kAudio, "pl17", "Ring Modulator", 0, 0.0f},                      // 5
    {"Sample and Hold", kAudio, "pl49", "Noise Generator", 0, 0.0f},           // 6
    {"Ring Modulator In A", kAudio, "plg2", "VCO 1", 2, 0.0f},                 // 7
    {"Ring Modulator In B", kAudio, "plg3", "VCO 2", 1, 0.0f},                 // 8
    {"Ring Modulator", kAudio, "none", "Ring Modulator In A", 0, 1.0f},        // 9
    {"Ring Modulator", kAudio, "none", "Ring Modulator In B", 0, 1.0f},        // 10
    {"VCA 1", kAudio, "pl28", "VCF 1", 0, 0.0f},                               // 11
    {"VCA 1", kAudio, "pl29", "Ring Modulator", 0, 0.0f},                      // 12
    {"Envelope Follower 1", kAudio, "plg1", "Audio In 1", 0, 0.0f},            // 13
    {"Mixer 1", kAudio, "pl32", "VCF 1", 0, 0.0f},                             // 14
    {"Mixer 1", kAudio, "pl33", "VCA 1", 0, 0.0f},                             // 15
    {"Insert 1", kAudio, "pl32", "VCF 1", 0, 0.0f},                            // 16
    {"Insert2", kAudio, "pl33", "VCA 1", 0, 0.0f},                             // 17
    {"Reverb 1", kAudio, "pl34", "Mixer 1", 0, 1.0f},                          // 18
    {"OUTPUT", kAudio, "pl72", "Mixer 1", 0, 1.0f},                            // 19
    {"Left Input", kAudio, "pl71", "Zero 0 Volts", 0, 1.0f},                   // 20
    {"Right Input", kAudio, "pl75", "Zero 0 Volts", 0, 1.0f},                  // 21
    {"Multiple 1", kAudio, "mlt1", "Zero 0 Volts", 0, 1.0f},                   // 22
    {"Multiple 1", kAudio, "mlt2", "Zero 0 Volts", 0, 1.0f},                   // 23
    {"Multiple 1", kAudio, "mlt3", "Zero 0 Volts", 0, 1.0f},                   // 24
    {"Multiple 1", kAudio, "mlt4", "Zero 0 Volts", 0, 1.0f},                   // 25
    {"switch A", kAudio, "pl50", "Zero 0 Volts", 0, 1.0f},                     // 26
    {"switch B", kAudio, "pl52", "Zero 0 Volts", 0, 1.0f},                     // 27
    {"switch C", kAudio, "pl51", "Zero 0 Volts", 0, 1.0f},                     // 28
    {"Inverter 1", kAudio, "pl36", "Minus 10 Volts", 0, 1.0f},                 // 29
    {"Inverter 1", kAudio, "pl37", "Keyboard Lower CV", 0, 1.0f},              // 30
    {"Inverter 1", kAudio, "pl40", "Zero 0 Volts", 0, 1.0f},                   // 31
    {"Inverter 1", kAudio, "pl41", "Zero 0 Volts", 0, 1.0f},                   // 32
    {"Inverter 2", kAudio, "pl38", "Plus 10 Volts", 0, 1.0f},                  // 33
    {"Inverter 2", kAudio, "pl42", "Zero 0 Volts", 0, 1.0f},                   // 34
    {"Lag Processor", kAudio, "pl39", "Envelope Follower 1", 0, 1.0f},         // 35
    {"VCF 1", kControl, "pl25", "VCO 2", 1, 0.0f},                             // 36
    {"VCF 1", kControl, "pl22", "Keyboard Lower CV", 0, 1.0f},                 // 37
    {"VCO 1", kControl, "plg5", "Keyboard Lower CV", 0, 1.0f},                 // 38
    {"VCO 2", kControl, "plg8", "Keyboard Lower CV", 0, 1.0f},                 // 39
    {"VCO 3", kControl, "pl13", "Keyboard Lower CV", 0, 1.0f},                 // 40
    {"VCF 1", kControl, "pl23", "ADSR 1", 0, 0.0f},                            // 41
    {"VCO 1", kControl, "plg6", "ADSR 1", 0, 0.0f},                            // 42
    {"VCO 2", kControl, "pl10", "ADSR 1", 0, 0.0f},                            // 43
    {"VCO 3", kControl, "pl15", "ADSR 1", 0, 0.0f},                            // 44
    {"VCO 3", kControl, "pl14", "Noise Generator", 0, 0.0f},                   // 45
    {"VCO 1", kControl, "plg7", "VCO 2", 1, 0.0f},                             // 46
    {"VCO 3", kControl, "pl16", "VCO 2", 1, 0.0f},                             // 47
    {"VCO 2", kControl, "pl11", "VCO 1", 4, 0.0f},                             // 48
    {"VCO 1", kControl, "plg4", "Sample and Hold", 0, 0.0f},                   // 49
    {"VCO 2", kControl, "plg9", "Sample and Hold", 0, 0.0f},                   // 50
    {"VCO2 PW", kControl, "pl12", "Noise Generator", 0, 0.0f},                 // 51
    {"VCO 2", kControl, "none", "VCO2 PW", 0, 1.0f},                           // 52
    {"VCA 1", kControl, "pl31", "AR 1", 0, 0.0f},                              // 53
    {"VCA 1 Expl", kControl, "pl30", "ADSR 1", 0, 0.0f},                       // 54
    {"VCA 1", kAudio, "none", "VCA 1 Expl", 0, 1.0f},                          // 55
    {"Sample and Hold", kControl, "pl46", "Interal Clock 1", 0, 1.0f},         // 56
    {"switch C", kControl, "none", "Interal Clock 1", 0, 1.0f},                // 57
    {"switch C", kControl, "none", "switch A", 0, 0.0f},                       // 58
    {"switch C", kControl, "none", "switch B", 0, 0.0f},                       // 59
    {"switch A", kAudio, "none", "switch C", 0, 0.0f},                         // 60
    {"switch B", kAudio, "none", "switch C", 0, 0.0f},                         // 61
    {"AR 1", kControl, "none", "Envelope Gate", 0, 1.0f},                      // 62
    {"ADSR 1", kControl, "none", "Envelope Gate", 0, 1.0f},                    // 63
    {"Envelope Gate", kControl, "none", "Keyboard Gate", 0, 1.0f},             // 64
    {"Keyboard Gate", kControl, "pl24", "Zero 0 Volts", 0, 0.0f},              // 65
    {"Envelope Gate", kControl, "none", "Keyboard LFO", 4, 0.0f},              // 66
    {"Envelope Gate", kControl, "pl26", "Interal Clock 1", 0, 0.0f},           // 67
    {"Keyboard Lower CV", kControl, "elfo", "Keyboard LFO", 1, 0.0f},          // 68
    {"Keyboard Upper CV", kControl, "elfo", "Keyboard LFO", 1, 0.0f},          // 69
};

struct OutputJack {
  const char* code;
  const char* module;
  int out;
};

inline const OutputJack kOutputJacks[42] = {
    {"pl58", "VCO 1", 2},           {"pl47", "Sample and Hold", 0},
    {"pl57", "VCO 1", 4},           {"pl55", "Envelope Follower 1", 0},
    {"v1si", "VCO 1", 1},           {"pl69", "Insert 1", 0},
    {"pl60", "VCO 2", 5},           {"pl70", "Insert2", 0},
    {"pl59", "VCO 2", 1},           {"pl45", "Inverter 1", 0},
    {"pl62", "VCO 2", 2},           {"pl44", "Inverter 2", 0},
    {"pl61", "VCO 2", 6},           {"pl43", "Lag Processor", 0},
    {"pl64", "VCO 3", 2},           {"kbcv", "Keyboard Lower CV", 0},
    {"pl63", "VCO 3", 6},           {"ucv2", "Keyboard Upper CV", 0},
    {"v3si", "VCO 3", 1},           {"ucv1", "Keyboard Upper CV", 0},
    {"pl54", "Audio In 1", 0},      {"pl24", "Envelope Gate", 0},
    {"pl53", "Audio In 2", 0},      {"pl27", "Keyboard Trigger", 0},
    {"pl56", "Ring Modulator", 0},  {"pl48", "Interal Clock 1", 0},
    {"pl65", "VCF 1", 0},           {"lfo1", "Keyboard LFO", 5},
    {"pl67", "ADSR 1", 0},          {"lfo2", "Keyboard LFO", 4},
    {"pl66", "AR 1", 0},            {"lfo3", "Keyboard LFO", 1},
    {"pl68", "VCA 1", 0},           {"pl76", "Reverb 1", 0},
    {"pl35", "Noise Generator", 0}, {"mlt1", "Multiple 1", 0},
    {"mlt2", "Multiple 1", 0},      {"mlt3", "Multiple 1", 0},
    {"mlt4", "Multiple 1", 0},      {"pl50", "switch A", 0},
    {"pl52", "switch B", 0},        {"pl51", "switch C", 0},
};

// One normalled row of a voice as the evaluation sees it.
struct RowState {
  int destination = -1;
  char kind = '?';
  std::uint32_t code = 0;
  int source = -1;
  int out = -1;
  int normalSource = -1;
  int normalOut = -1;
  float gain = 0.0f;

  bool operator==(const RowState&) const = default;
};

inline void PrintTo(const RowState& s, std::ostream* os) {
  char text[5] = {static_cast<char>(s.code >> 24), static_cast<char>(s.code >> 16),
                  static_cast<char>(s.code >> 8), static_cast<char>(s.code), 0};
  *os << "{dest " << s.destination << s.kind << " '" << text << "' src " << s.source << "/" << s.out
      << " normal " << s.normalSource << "/" << s.normalOut << " gain " << s.gain << "}";
}

// The reference state of row r (1..69) in a freshly built voice.
inline RowState referenceRow(int r) {
  const Row& row = kRows[r - 1];
  RowState s;
  s.destination = moduleIndex(row.destination);
  s.kind = row.kind;
  s.code = code(row.code);
  s.source = s.normalSource = moduleIndex(row.source);
  s.out = s.normalOut = row.out;
  s.gain = row.gain;
  return s;
}

inline int indexOf(const PatchModule* m) { return m != nullptr ? m->index : -1; }

// Row r of a built voice: its destination is the module whose input lists hold it.
inline RowState builtRow(const PatchVoice& voice, int r) {
  RowState s;
  const PatchInput* in = voice.normalRows[r];
  if (in == nullptr) return s;
  for (int m = 0; m < voice.moduleCount; ++m) {
    const PatchModule* module = voice.modules[m];
    for (int k = 0; k < module->controlCount; ++k) {
      if (module->controlInputs[k] == in) s.destination = m, s.kind = kControl;
    }
    for (int k = 0; k < module->audioCount; ++k) {
      if (module->audioInputs[k] == in) s.destination = m, s.kind = kAudio;
    }
  }
  s.code = in->code;
  s.source = indexOf(in->source);
  s.out = in->outputIndex;
  s.normalSource = indexOf(in->normalSource);
  s.normalOut = in->normalOutputIndex;
  s.gain = in->gain;
  return s;
}

// Every row moved to the end of its gain ramp.
inline void settleRamps(PatchVoice& voice) {
  for (int n = 0; n < 4100 && voice.rampList != nullptr; ++n) voice.advanceRamps();
}

}  // namespace voice_ref
