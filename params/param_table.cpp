#include "params/param_table.h"

// The descriptor table: names, units, ranges and defaults of every parameter index.

namespace {

// Builds a descriptor whose second name repeats the name. Texts too long for their field
// fail to compile.
template <int N, int M>
constexpr ParamDesc desc(const char (&name)[N], const char (&unit)[M], int32_t section,
                         int32_t kind, float minimum, float maximum, float defaultValue,
                         uint32_t flags) {
  static_assert(N <= 52 && M <= 30, "descriptor text too long");
  ParamDesc d{};
  for (int i = 0; i < N; ++i) d.name[i] = name[i];
  for (int i = 0; i < N; ++i) d.secondName[i] = name[i];
  for (int i = 0; i < M; ++i) d.unitLabel[i] = unit[i];
  d.section = section;
  d.kind = kind;
  d.minimum = minimum;
  d.maximum = maximum;
  d.defaultValue = defaultValue;
  d.flags = flags;
  return d;
}

// Short names for the table below.
constexpr int32_t Cont = kParamContinuous, Count = kParamCounted, Switch = kParamSwitch,
                  Time = kParamTime, Lfo = kParamLfoSpeed;
constexpr uint32_t Log = kParamFlagLog;

// An input jack's cord parameter: plain value = jack index of the other end, 0 = no cord.
template <int N>
constexpr ParamDesc cord(const char (&name)[N]) {
  return desc(name, "Plug", 15, Count, 0.0f, 89.0f, 0.0f, 0);
}

// The record that ends the table: a name, and every other text and number empty.
constexpr ParamDesc terminator() {
  ParamDesc d = desc("<noname>", "", 0, Cont, 0.0f, 0.0f, 0.0f, 0);
  for (char& c : d.secondName) c = '\0';
  return d;
}

}  // namespace

constexpr ParamDesc ParamDescTable[kParamTableSize] = {
    desc("Place Holder", "state", 15, Switch, 0.0f, 1.0f, 1.0f, 0),  // 0
    desc("Master Bypass", "state", 15, Switch, 0.0f, 1.0f, 1.0f, 0),  // 1
    desc("Envelope Follower", "dB", 9, Cont, 0.0f, 1.0f, 0.0f, 0),  // 2
    desc("Ring Mod 1", "dB", 8, Cont, 0.0f, 1.0f, 0.0f, 0),  // 3
    desc("Ring Mod 2", "dB", 8, Cont, 0.0f, 1.0f, 0.0f, 0),  // 4
    desc("VCO1 Coarse Freq", "Volts", 1, Cont, 0.0f, 1.0f, 0.2f, 0),  // 5
    desc("VCO1 Fine Freq", "Volts", 1, Cont, 0.0f, 1.0f, 0.5f, 0),  // 6
    desc("VCO1 S/H CV Level", "dB", 1, Cont, 0.01f, 1.01f, 0.01f, Log),  // 7
    desc("VCO1 ADSR CV Level", "dB", 1, Cont, 0.01f, 0.51f, 0.01f, Log),  // 8
    desc("VCO1 VCO2 CV Level", "dB", 1, Cont, 0.01f, 0.26f, 0.01f, Log),  // 9
    desc("VCO2 Coarse Freq", "Volts", 2, Cont, 0.0f, 1.0f, 0.2f, 0),  // 10
    desc("VCO2 Fine Freq", "Volts", 2, Cont, 0.0f, 1.0f, 0.5f, 0),  // 11
    desc("VCO2 Pulse Width", "%", 2, Cont, 0.1f, 0.9f, 0.5f, 0),  // 12
    desc("VCO2 S/H CV Level", "dB", 2, Cont, 0.01f, 1.01f, 0.01f, Log),  // 13
    desc("VCO2 ADSR CV Level", "dB", 2, Cont, 0.01f, 0.51f, 0.01f, Log),  // 14
    desc("VCO2 VCO1 CV Level", "dB", 2, Cont, 0.01f, 0.26f, 0.01f, Log),  // 15
    desc("VCO2 PW Modulation", "dB", 2, Cont, 0.0f, 1.0f, 0.0f, 0),  // 16
    desc("VCO3 Coarse Freq", "Volts", 3, Cont, 0.0f, 1.0f, 0.2f, 0),  // 17
    desc("VCO3 Fine Freq", "Volts", 3, Cont, 0.0f, 1.0f, 0.5f, 0),  // 18
    desc("VCO3 Pulse Width", "%", 3, Cont, 0.1f, 0.9f, 0.5f, 0),  // 19
    desc("VCO3 NG CV Level", "dB", 3, Cont, 0.01f, 1.01f, 0.01f, Log),  // 20
    desc("VCO3 ADSR CV Level", "dB", 3, Cont, 0.01f, 1.01f, 0.01f, Log),  // 21
    desc("VCO3 VCO2 CV Level", "dB", 3, Cont, 0.01f, 1.01f, 0.01f, Log),  // 22
    desc("VCF Coarse Freq", "Volts", 4, Cont, 0.0f, 1.0f, 0.0f, 0),  // 23
    desc("VCF Fine Freq", "Volts", 4, Cont, 0.0f, 1.0f, 0.5f, 0),  // 24
    desc("VCF Resonance", "Q", 4, Cont, 0.0f, 1.0f, 0.5f, 0),  // 25
    desc("VCF Ring Mod Level", "dB", 4, Cont, 0.0f, 1.0f, 0.0f, 0),  // 26
    desc("VCF VCO1 Level", "dB", 4, Cont, 0.0f, 1.0f, 0.0f, 0),  // 27
    desc("VCF VCO2 Level", "dB", 4, Cont, 0.0f, 1.0f, 0.0f, 0),  // 28
    desc("VCF VCO3 Level", "dB", 4, Cont, 0.0f, 1.0f, 0.0f, 0),  // 29
    desc("VCF NoiseGen Level", "dB", 4, Cont, 0.0f, 1.0f, 0.0f, 0),  // 30
    desc("VCF ADSR CV Level", "dB", 4, Cont, 0.0f, 1.0f, 0.0f, 0),  // 31
    desc("VCF VCO2 CV Level", "dB", 4, Cont, 0.0f, 1.0f, 0.0f, 0),  // 32
    desc("ADSR Attack Time", "seconds", 5, Cont, 0.003f, 100.0f, 0.1f, Log),  // 33
    desc("ADSR Decay Time", "seconds", 5, Cont, 0.003f, 100.0f, 0.1f, Log),  // 34
    desc("ADSR Sustain Level", "Volts", 5, Cont, 0.0f, 10.0f, 4.0f, 0),  // 35
    desc("ADSR Release Time", "seconds", 5, Cont, 0.003f, 100.0f, 0.1f, Log),  // 36
    desc("AR Attack Time", "seconds", 6, Cont, 0.003f, 100.0f, 0.1f, Log),  // 37
    desc("AR SH Gate", "", 6, Switch, 0.0f, 1.0f, 0.0f, 0),  // 38
    desc("AR Release Time", "seconds", 6, Cont, 0.003f, 100.0f, 0.1f, Log),  // 39
    desc("VCA Initial Gain", "Volts", 10, Cont, 0.0f, 10.0f, 0.0f, 0),  // 40
    desc("VCA VCF Level", "dB", 10, Cont, 0.0f, 1.0f, 0.0f, 0),  // 41
    desc("VCA RingMod Level", "dB", 10, Cont, 0.0f, 1.0f, 0.0f, 0),  // 42
    desc("VCA AR CV Level", "dB", 10, Cont, 0.0f, 1.0f, 0.0f, 0),  // 43
    desc("VCA ADSR CV Level", "dB", 10, Cont, 0.0f, 1.0f, 0.0f, 0),  // 44
    desc("Mixer Pan", "Position", 11, Cont, 0.0f, 1.0f, 0.5f, 0),  // 45
    desc("Mixer VCF Level", "dB", 11, Cont, 0.0f, 1.0f, 0.0f, 0),  // 46
    desc("Mixer VCA Level", "dB", 11, Cont, 0.0f, 1.0f, 0.0f, 0),  // 47
    desc("Reverb Left Level", "dB", 11, Cont, 0.0f, 1.0f, 0.0f, 0),  // 48
    desc("Reverb Right Level", "dB", 11, Cont, 0.0f, 1.0f, 0.0f, 0),  // 49
    desc("Noise Generator color", "Color", 12, Cont, 0.0f, 1.0f, 0.5f, 0),  // 50
    desc("Noise Generator Level", "Volts", 12, Cont, 0.0f, 10.0f, 5.0f, 0),  // 51
    desc("VP -10v Level", "dB", 9, Cont, 0.0f, 1.0f, 0.0f, 0),  // 52
    desc("VP Kbd CV Level", "dB", 9, Cont, 0.0f, 1.0f, 0.0f, 0),  // 53
    desc("VP +10v Level", "dB", 9, Cont, 0.0f, 1.0f, 0.0f, 0),  // 54
    desc("VP Lag Processor EF", "Hz", 9, Cont, 1.0f, 1600.0f, 1.6f, Log),  // 55
    desc("Sample and Hold Level", "dB", 7, Cont, 0.0f, 1.0f, 0.0f, 0),  // 56
    desc("Sample and Hold Rate", "dB", 7, Cont, 0.01f, 5.0f, 0.5f, Log),  // 57
    desc("VCO1 Keybaoard Override", "dB", 1, Switch, 0.0f, 1.0f, 1.0f, 0),  // 58
    desc("VCO2 Keybaoard Override", "dB", 2, Switch, 0.0f, 1.0f, 1.0f, 0),  // 59
    desc("VCO3 Keybaoard Override", "dB", 3, Switch, 0.0f, 1.0f, 1.0f, 0),  // 60
    desc("Ring Modulator Audio-DC Switch", "Audio/DC", 8, Switch, 0.0f, 1.0f, 1.0f, 0),  // 61
    desc("Keyboard Trigger", "off/on", 14, Switch, 0.0f, 1.0f, 1.0f, 0),  // 62
    desc("Keyboard Repeat", "rpt mode", 14, Cont, 0.0f, 2.0f, 1.0f, 0),  // 63
    desc("Octave Control", "rpt mode", 14, Cont, -2.0f, 2.0f, 0.0f, 0),  // 64
    desc("LFO Speed", "Hertz", 13, Lfo, 0.0625f, 100.0f, 2.0f, Log),  // 65
    desc("Vibrato Delay", "Seconds", 13, Time, 0.0f, 10.0f, 2.0f, 0),  // 66
    desc("Vibrato Depth", "dB", 13, Cont, 0.01f, 1.01f, 0.01f, Log),  // 67
    desc("Portamento Speed", "Seconds", 14, Time, 0.001f, 2.0f, 0.01f, 0),  // 68
    desc("Portamento Switch", "off/on", 14, Switch, 0.0f, 1.0f, 1.0f, 0),  // 69
    desc("Preamp Gain", "dB", 8, Cont, 0.0f, 10.0f, 5.0f, 0),  // 70
    desc("Pitch Bend", "Volts", 14, Cont, -2.0f, 2.0f, 0.0f, 0),  // 71
    desc("VCF Keyboard CV Level", "dB", 4, Cont, 0.0f, 1.0f, 0.0f, 0),  // 72
    desc("MIDI Internal Clock Beat Offset", "percent", 15, Cont, -0.5f, 0.5f, 0.0f, 0),  // 73
    desc("MIDI LFO Clock Beat Offset", "percent", 15, Cont, -0.5f, 0.5f, 0.0f, 0),  // 74
    desc("Master Volume", "db", 15, Cont, 0.0f, 1.0f, 1.0f, 0),  // 75
    desc("Interval Latch", "off/on", 14, Switch, 0.0f, 1.0f, 1.0f, 0),  // 76
    desc("Portamento Trigger", "pushed", 14, Switch, 0.0f, 1.0f, 1.0f, 0),  // 77
    desc("Envelope Trigger", "pushed", 5, Switch, 0.0f, 1.0f, 1.0f, 0),  // 78
    desc("Power Switch", "pushed", 15, Switch, 0.0f, 1.0f, 1.0f, 0),  // 79
    desc("Power Light", "pushed", 15, Switch, 0.0f, 1.0f, 1.0f, 0),  // 80
    desc("Voices", "Voices", 15, Count, 0.0f, 8.0f, 1.0f, 0),  // 81
    desc("MIDIInternal Clock Sync", "off/on", 15, Switch, 0.0f, 1.0f, 0.0f, 0),  // 82
    desc("MIDI Internal Clock Pulses", "ticks", 15, Count, 1.0f, 100000.0f, 24.0f, 0),  // 83
    desc("MIDI LFO Sync", "off/on", 15, Switch, 0.0f, 1.0f, 0.0f, 0),  // 84
    desc("MIDI LFO Pulses", "ticks", 15, Count, 1.0f, 100000.0f, 24.0f, 0),  // 85
    desc("Group List", "Group", 15, Count, 0.0f, 8.0f, 1.0f, 0),  // 86
    desc("Category List", "Category", 15, Count, 0.0f, 8.0f, 1.0f, 0),  // 87
    desc("Patch List", "Patch", 15, Count, 0.0f, 8.0f, 1.0f, 0),  // 88
    desc("MIDI Led", "Led", 15, Switch, 0.0f, 1.0f, 1.0f, 0),  // 89
    cord("Env. Foll Input Plug"),  // 90
    cord("Ring Mod Plug 1"),  // 91
    cord("Ring Mod Plug 2"),  // 92
    cord("VCO1 S/H CV Plug"),  // 93
    cord("VCO1 Keyboard CV Plug"),  // 94
    cord("VCO1 ADSR CV Plug"),  // 95
    cord("VCO1 VCO2 CV Plug"),  // 96
    cord("VCO2 Keyboard CV Plug"),  // 97
    cord("VCO2 S/H CV Plug"),  // 98
    cord("VCO2 ADSR CV Plug"),  // 99
    cord("VCO2 VCO1 CV Plug"),  // 100
    cord("VCO2 PWM Plug"),  // 101
    cord("VCO3 Keyboard CV Plug"),  // 102
    cord("VCO3 Noise Gen CV Plug"),  // 103
    cord("VCO3 ADSR CV Plug"),  // 104
    cord("VCO3 VCO2 CV Plug"),  // 105
    cord("VCF Ring Mod Plug"),  // 106
    cord("VCF VCO1 Plug"),  // 107
    cord("VCF VCO2 Plug"),  // 108
    cord("VCF VCO3 Plug"),  // 109
    cord("VCF Noise Gen Plug"),  // 110
    cord("VCF Keyboard CV Plug"),  // 111
    cord("VCF ADSR CV Plug"),  // 112
    cord("Envelope Gate Plug"),  // 113
    cord("VCF VCO2 CV Plug"),  // 114
    cord("Envelope S/H Gate Plug"),  // 115
    cord("Envelope Trigger Plug"),  // 116
    cord("VCA VCF Plug"),  // 117
    cord("VCA Ring Mod Plug"),  // 118
    cord("VCA ADSR CV Plug"),  // 119
    cord("VCA AR CV Plug"),  // 120
    cord("Mixer VCF Plug"),  // 121
    cord("Mixer VCA Plug"),  // 122
    cord("Reverb Input Plug"),  // 123
    cord("Noise Gen Out Plug"),  // 124
    cord("VP -10V Input Plug"),  // 125
    cord("VP Kbd CV Input Plug"),  // 126
    cord("VP +10V Input Plug"),  // 127
    cord("Lag Processor Input Plug"),  // 128
    cord("VP Ch. 1 (unatten.) 1 In Plug"),  // 129
    cord("VP Ch. 1 (unatten.) 2 In Plug"),  // 130
    cord("VP Ch. 2 (unatten.) In Plug"),  // 131
    cord("Lag Processor Output Plug"),  // 132
    cord("VP Ch. 2 Inverter Output Plug"),  // 133
    cord("VP Ch. 1 Inverter Output Plug"),  // 134
    cord("S/H Ext. Clock In Plug"),  // 135
    cord("Sample and Hold Out Plug"),  // 136
    cord("S/H Clock Out Plug"),  // 137
    cord("S/H Noise Gen In Plug"),  // 138
    cord("Electronic Switch A Plug"),  // 139
    cord("Electronic Switch C Plug"),  // 140
    cord("Electronic Switch B Plug"),  // 141
    cord("Preamp(side chain) Out 1 Plug"),  // 142
    cord("Preamp(side chain) Out 2 Plug"),  // 143
    cord("Envelope Follower Out Plug"),  // 144
    cord("Ring Mod Out Plug"),  // 145
    cord("VCO1 Square Out Plug"),  // 146
    cord("VCO1 Sawtooth Out Plug"),  // 147
    cord("VCO2 Sine Out Plug"),  // 148
    cord("VCO2 Triangle Out Plug"),  // 149
    cord("VCO2 Pulse Out Plug"),  // 150
    cord("VCO2 Sawtooth Out Plug"),  // 151
    cord("VCO3 Pulse Out Plug"),  // 152
    cord("VCO3 Sawtooth Out Plug"),  // 153
    cord("VCF Out Plug"),  // 154
    cord("AR Out Plug"),  // 155
    cord("ADSR Out Plug"),  // 156
    cord("VCA Out Plug"),  // 157
    cord("Mixer VCF Insert Plug"),  // 158
    cord("Mixer VCA Insert Plug"),  // 159
    cord("Left Direct Input Plug"),  // 160
    cord("Mixer Override Input Plug"),  // 161
    cord("Left Output Plug"),  // 162
    cord("Right Output Plug"),  // 163
    cord("Right Direct Input Plug"),  // 164
    cord("100% Reverb Out Plug"),  // 165
    cord("Keyboard CV Out Plug"),  // 166
    cord("Upper Kbd CV Out 1 Plug"),  // 167
    cord("Upper Kbd CV Out 2 Plug"),  // 168
    cord("Triangle LFO Out Plug"),  // 169
    cord("Square LFO Out Plug"),  // 170
    cord("Delayed Sine LFO Out Plug"),  // 171
    cord("External Kbd LFO In Plug"),  // 172
    cord("VCO1 Sine Out Plug"),  // 173
    cord("VCO3 Sine Out Plug"),  // 174
    cord("Multiple 1 Plug"),  // 175
    cord("Multiple 2 Plug"),  // 176
    cord("Multiple 3 Plug"),  // 177
    cord("Multiple 4 Plug"),  // 178
    terminator(),  // 179
};

namespace {

constexpr int countRecords() {
  int n = 0;
  while (n < kParamTableSize &&
         !(ParamDescTable[n].minimum == 0.0f && ParamDescTable[n].maximum == 0.0f))
    ++n;
  return n;
}

static_assert(countRecords() == kParamRecordCount, "the terminator must follow record 178");

}  // namespace

int countParamRecords() { return countRecords(); }
