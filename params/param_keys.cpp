#include "params/param_table.h"

// Keys, store kinds and jack codes of the parameters. The checks at the end make a duplicate
// key or a jack code that differs from its cord parameter's key a compile error.

constexpr int32_t ParamKeyTable[kParamTableSize] = {
    fourCharKey("Key "),  // 0 Place Holder
    0,  // 1 Master Bypass
    fourCharKey("env1"),  // 2 Envelope Follower
    fourCharKey("rng1"),  // 3 Ring Mod 1
    fourCharKey("rng2"),  // 4 Ring Mod 2
    fourCharKey("vo1c"),  // 5 VCO1 Coarse Freq
    fourCharKey("vo1f"),  // 6 VCO1 Fine Freq
    fourCharKey("vo1s"),  // 7 VCO1 S/H CV Level
    fourCharKey("vo1a"),  // 8 VCO1 ADSR CV Level
    fourCharKey("vo12"),  // 9 VCO1 VCO2 CV Level
    fourCharKey("vo2c"),  // 10 VCO2 Coarse Freq
    fourCharKey("vo2f"),  // 11 VCO2 Fine Freq
    fourCharKey("vo2p"),  // 12 VCO2 Pulse Width
    fourCharKey("vo2s"),  // 13 VCO2 S/H CV Level
    fourCharKey("vo2a"),  // 14 VCO2 ADSR CV Level
    fourCharKey("vo21"),  // 15 VCO2 VCO1 CV Level
    fourCharKey("vo2m"),  // 16 VCO2 PW Modulation
    fourCharKey("vo3c"),  // 17 VCO3 Coarse Freq
    fourCharKey("vo3f"),  // 18 VCO3 Fine Freq
    fourCharKey("vo3p"),  // 19 VCO3 Pulse Width
    fourCharKey("vo3n"),  // 20 VCO3 NG CV Level
    fourCharKey("vo3a"),  // 21 VCO3 ADSR CV Level
    fourCharKey("vo32"),  // 22 VCO3 VCO2 CV Level
    fourCharKey("vffc"),  // 23 VCF Coarse Freq
    fourCharKey("vfff"),  // 24 VCF Fine Freq
    fourCharKey("vffr"),  // 25 VCF Resonance
    fourCharKey("vfrg"),  // 26 VCF Ring Mod Level
    fourCharKey("vfo1"),  // 27 VCF VCO1 Level
    fourCharKey("vfo2"),  // 28 VCF VCO2 Level
    fourCharKey("vfo3"),  // 29 VCF VCO3 Level
    fourCharKey("vfng"),  // 30 VCF NoiseGen Level
    fourCharKey("vfad"),  // 31 VCF ADSR CV Level
    fourCharKey("vfm2"),  // 32 VCF VCO2 CV Level
    fourCharKey("enva"),  // 33 ADSR Attack Time
    fourCharKey("envd"),  // 34 ADSR Decay Time
    fourCharKey("envs"),  // 35 ADSR Sustain Level
    fourCharKey("envr"),  // 36 ADSR Release Time
    fourCharKey("eara"),  // 37 AR Attack Time
    fourCharKey("shgt"),  // 38 AR SH Gate
    fourCharKey("earr"),  // 39 AR Release Time
    fourCharKey("vaig"),  // 40 VCA Initial Gain
    fourCharKey("vavf"),  // 41 VCA VCF Level
    fourCharKey("varg"),  // 42 VCA RingMod Level
    fourCharKey("vaar"),  // 43 VCA AR CV Level
    fourCharKey("vaad"),  // 44 VCA ADSR CV Level
    fourCharKey("mxpn"),  // 45 Mixer Pan
    fourCharKey("mxvf"),  // 46 Mixer VCF Level
    fourCharKey("mxva"),  // 47 Mixer VCA Level
    fourCharKey("mxrl"),  // 48 Reverb Left Level
    fourCharKey("mxrr"),  // 49 Reverb Right Level
    fourCharKey("ngcl"),  // 50 Noise Generator color
    fourCharKey("nglv"),  // 51 Noise Generator Level
    fourCharKey("vpmv"),  // 52 VP -10v Level
    fourCharKey("vpkb"),  // 53 VP Kbd CV Level
    fourCharKey("vppv"),  // 54 VP +10v Level
    fourCharKey("vpef"),  // 55 VP Lag Processor EF
    fourCharKey("shlv"),  // 56 Sample and Hold Level
    fourCharKey("shrt"),  // 57 Sample and Hold Rate
    fourCharKey("kbd1"),  // 58 VCO1 Keybaoard Override
    fourCharKey("kbd2"),  // 59 VCO2 Keybaoard Override
    fourCharKey("kbd3"),  // 60 VCO3 Keybaoard Override
    fourCharKey("audc"),  // 61 Ring Modulator Audio-DC Switch
    fourCharKey("ktrg"),  // 62 Keyboard Trigger
    fourCharKey("krpt"),  // 63 Keyboard Repeat
    fourCharKey("octv"),  // 64 Octave Control
    fourCharKey("lfos"),  // 65 LFO Speed
    fourCharKey("vibd"),  // 66 Vibrato Delay
    fourCharKey("vibp"),  // 67 Vibrato Depth
    fourCharKey("port"),  // 68 Portamento Speed
    fourCharKey("prto"),  // 69 Portamento Switch
    fourCharKey("pgan"),  // 70 Preamp Gain
    fourCharKey("pbnd"),  // 71 Pitch Bend
    fourCharKey("vfkb"),  // 72 VCF Keyboard CV Level
    fourCharKey("miof"),  // 73 MIDI Internal Clock Beat Offset
    fourCharKey("mlof"),  // 74 MIDI LFO Clock Beat Offset
    fourCharKey("mvol"),  // 75 Master Volume
    fourCharKey("klch"),  // 76 Interval Latch
    fourCharKey("ptrg"),  // 77 Portamento Trigger
    fourCharKey("etrg"),  // 78 Envelope Trigger
    fourCharKey("powr"),  // 79 Power Switch
    fourCharKey("lght"),  // 80 Power Light
    fourCharKey("vcss"),  // 81 Voices
    fourCharKey("miis"),  // 82 MIDIInternal Clock Sync
    fourCharKey("miip"),  // 83 MIDI Internal Clock Pulses
    fourCharKey("mils"),  // 84 MIDI LFO Sync
    fourCharKey("milp"),  // 85 MIDI LFO Pulses
    fourCharKey("grup"),  // 86 Group List
    fourCharKey("ctgy"),  // 87 Category List
    fourCharKey("ptch"),  // 88 Patch List
    fourCharKey("mled"),  // 89 MIDI Led
    fourCharKey("plg1"),  // 90 Env. Foll Input Plug
    fourCharKey("plg2"),  // 91 Ring Mod Plug 1
    fourCharKey("plg3"),  // 92 Ring Mod Plug 2
    fourCharKey("plg4"),  // 93 VCO1 S/H CV Plug
    fourCharKey("plg5"),  // 94 VCO1 Keyboard CV Plug
    fourCharKey("plg6"),  // 95 VCO1 ADSR CV Plug
    fourCharKey("plg7"),  // 96 VCO1 VCO2 CV Plug
    fourCharKey("plg8"),  // 97 VCO2 Keyboard CV Plug
    fourCharKey("plg9"),  // 98 VCO2 S/H CV Plug
    fourCharKey("pl10"),  // 99 VCO2 ADSR CV Plug
    fourCharKey("pl11"),  // 100 VCO2 VCO1 CV Plug
    fourCharKey("pl12"),  // 101 VCO2 PWM Plug
    fourCharKey("pl13"),  // 102 VCO3 Keyboard CV Plug
    fourCharKey("pl14"),  // 103 VCO3 Noise Gen CV Plug
    fourCharKey("pl15"),  // 104 VCO3 ADSR CV Plug
    fourCharKey("pl16"),  // 105 VCO3 VCO2 CV Plug
    fourCharKey("pl17"),  // 106 VCF Ring Mod Plug
    fourCharKey("pl18"),  // 107 VCF VCO1 Plug
    fourCharKey("pl19"),  // 108 VCF VCO2 Plug
    fourCharKey("pl20"),  // 109 VCF VCO3 Plug
    fourCharKey("pl21"),  // 110 VCF Noise Gen Plug
    fourCharKey("pl22"),  // 111 VCF Keyboard CV Plug
    fourCharKey("pl23"),  // 112 VCF ADSR CV Plug
    fourCharKey("pl24"),  // 113 Envelope Gate Plug
    fourCharKey("pl25"),  // 114 VCF VCO2 CV Plug
    fourCharKey("pl26"),  // 115 Envelope S/H Gate Plug
    fourCharKey("pl27"),  // 116 Envelope Trigger Plug
    fourCharKey("pl28"),  // 117 VCA VCF Plug
    fourCharKey("pl29"),  // 118 VCA Ring Mod Plug
    fourCharKey("pl30"),  // 119 VCA ADSR CV Plug
    fourCharKey("pl31"),  // 120 VCA AR CV Plug
    fourCharKey("pl32"),  // 121 Mixer VCF Plug
    fourCharKey("pl33"),  // 122 Mixer VCA Plug
    fourCharKey("pl34"),  // 123 Reverb Input Plug
    fourCharKey("pl35"),  // 124 Noise Gen Out Plug
    fourCharKey("pl36"),  // 125 VP -10V Input Plug
    fourCharKey("pl37"),  // 126 VP Kbd CV Input Plug
    fourCharKey("pl38"),  // 127 VP +10V Input Plug
    fourCharKey("pl39"),  // 128 Lag Processor Input Plug
    fourCharKey("pl40"),  // 129 VP Ch. 1 (unatten.) 1 In Plug
    fourCharKey("pl41"),  // 130 VP Ch. 1 (unatten.) 2 In Plug
    fourCharKey("pl42"),  // 131 VP Ch. 2 (unatten.) In Plug
    fourCharKey("pl43"),  // 132 Lag Processor Output Plug
    fourCharKey("pl44"),  // 133 VP Ch. 2 Inverter Output Plug
    fourCharKey("pl45"),  // 134 VP Ch. 1 Inverter Output Plug
    fourCharKey("pl46"),  // 135 S/H Ext. Clock In Plug
    fourCharKey("pl47"),  // 136 Sample and Hold Out Plug
    fourCharKey("pl48"),  // 137 S/H Clock Out Plug
    fourCharKey("pl49"),  // 138 S/H Noise Gen In Plug
    fourCharKey("pl50"),  // 139 Electronic Switch A Plug
    fourCharKey("pl51"),  // 140 Electronic Switch C Plug
    fourCharKey("pl52"),  // 141 Electronic Switch B Plug
    fourCharKey("pl53"),  // 142 Preamp(side chain) Out 1 Plug
    fourCharKey("pl54"),  // 143 Preamp(side chain) Out 2 Plug
    fourCharKey("pl55"),  // 144 Envelope Follower Out Plug
    fourCharKey("pl56"),  // 145 Ring Mod Out Plug
    fourCharKey("pl57"),  // 146 VCO1 Square Out Plug
    fourCharKey("pl58"),  // 147 VCO1 Sawtooth Out Plug
    fourCharKey("pl59"),  // 148 VCO2 Sine Out Plug
    fourCharKey("pl60"),  // 149 VCO2 Triangle Out Plug
    fourCharKey("pl61"),  // 150 VCO2 Pulse Out Plug
    fourCharKey("pl62"),  // 151 VCO2 Sawtooth Out Plug
    fourCharKey("pl63"),  // 152 VCO3 Pulse Out Plug
    fourCharKey("pl64"),  // 153 VCO3 Sawtooth Out Plug
    fourCharKey("pl65"),  // 154 VCF Out Plug
    fourCharKey("pl66"),  // 155 AR Out Plug
    fourCharKey("pl67"),  // 156 ADSR Out Plug
    fourCharKey("pl68"),  // 157 VCA Out Plug
    fourCharKey("pl69"),  // 158 Mixer VCF Insert Plug
    fourCharKey("pl70"),  // 159 Mixer VCA Insert Plug
    fourCharKey("pl71"),  // 160 Left Direct Input Plug
    fourCharKey("pl72"),  // 161 Mixer Override Input Plug
    fourCharKey("pl73"),  // 162 Left Output Plug
    fourCharKey("pl74"),  // 163 Right Output Plug
    fourCharKey("pl75"),  // 164 Right Direct Input Plug
    fourCharKey("pl76"),  // 165 100% Reverb Out Plug
    fourCharKey("kbcv"),  // 166 Keyboard CV Out Plug
    fourCharKey("ucv1"),  // 167 Upper Kbd CV Out 1 Plug
    fourCharKey("ucv2"),  // 168 Upper Kbd CV Out 2 Plug
    fourCharKey("lfo1"),  // 169 Triangle LFO Out Plug
    fourCharKey("lfo2"),  // 170 Square LFO Out Plug
    fourCharKey("lfo3"),  // 171 Delayed Sine LFO Out Plug
    fourCharKey("elfo"),  // 172 External Kbd LFO In Plug
    fourCharKey("v1si"),  // 173 VCO1 Sine Out Plug
    fourCharKey("v3si"),  // 174 VCO3 Sine Out Plug
    fourCharKey("mlt1"),  // 175 Multiple 1 Plug
    fourCharKey("mlt2"),  // 176 Multiple 2 Plug
    fourCharKey("mlt3"),  // 177 Multiple 3 Plug
    fourCharKey("mlt4"),  // 178 Multiple 4 Plug
    0,  // 179 terminator
};

namespace {
// Short names for the store table below.
constexpr int32_t Int = kStoreInteger, Real = kStoreReal, Cord = kStoreCord;
}  // namespace

constexpr int32_t ParamTypeTable[kParamTableSize] = {
    Int, Int, Real, Real, Real, Real, Real, Real, Real, Real,  // 0..9
    Real, Real, Real, Real, Real, Real, Real, Real, Real, Real,  // 10..19
    Real, Real, Real, Real, Real, Real, Real, Real, Real, Real,  // 20..29
    Real, Real, Real, Real, Real, Real, Real, Real, Int, Real,  // 30..39
    Real, Real, Real, Real, Real, Real, Real, Real, Real, Real,  // 40..49
    Real, Real, Real, Real, Real, Real, Real, Real, Int, Int,  // 50..59
    Int, Int, Int, Real, Real, Real, Real, Real, Real, Int,  // 60..69
    Real, Real, Real, Real, Real, Real, Int, Int, Int, Int,  // 70..79
    Int, Int, Int, Int, Int, Int, Real, Real, Real, Real,  // 80..89
    Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord,  // 90..99
    Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord,  // 100..109
    Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord,  // 110..119
    Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord,  // 120..129
    Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord,  // 130..139
    Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord,  // 140..149
    Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord,  // 150..159
    Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord,  // 160..169
    Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord, Cord,  // 170..178
    0,  // 179 terminator
};

constexpr int32_t JackCodeTable[kJackTableSize] = {
    kNoConnectionCode,  // 0: no connection
    fourCharKey("plg1"), fourCharKey("plg2"), fourCharKey("plg3"), fourCharKey("plg4"),  // 1..4
    fourCharKey("plg5"), fourCharKey("plg6"), fourCharKey("plg7"), fourCharKey("plg8"),  // 5..8
    fourCharKey("plg9"), fourCharKey("pl10"), fourCharKey("pl11"), fourCharKey("pl12"),  // 9..12
    fourCharKey("pl13"), fourCharKey("pl14"), fourCharKey("pl15"), fourCharKey("pl16"),  // 13..16
    fourCharKey("pl17"), fourCharKey("pl18"), fourCharKey("pl19"), fourCharKey("pl20"),  // 17..20
    fourCharKey("pl21"), fourCharKey("pl22"), fourCharKey("pl23"), fourCharKey("pl24"),  // 21..24
    fourCharKey("pl25"), fourCharKey("pl26"), fourCharKey("pl27"), fourCharKey("pl28"),  // 25..28
    fourCharKey("pl29"), fourCharKey("pl30"), fourCharKey("pl31"), fourCharKey("pl32"),  // 29..32
    fourCharKey("pl33"), fourCharKey("pl34"), fourCharKey("pl35"), fourCharKey("pl36"),  // 33..36
    fourCharKey("pl37"), fourCharKey("pl38"), fourCharKey("pl39"), fourCharKey("pl40"),  // 37..40
    fourCharKey("pl41"), fourCharKey("pl42"), fourCharKey("pl43"), fourCharKey("pl44"),  // 41..44
    fourCharKey("pl45"), fourCharKey("pl46"), fourCharKey("pl47"), fourCharKey("pl48"),  // 45..48
    fourCharKey("pl49"), fourCharKey("pl50"), fourCharKey("pl51"), fourCharKey("pl52"),  // 49..52
    fourCharKey("pl53"), fourCharKey("pl54"), fourCharKey("pl55"), fourCharKey("pl56"),  // 53..56
    fourCharKey("pl57"), fourCharKey("pl58"), fourCharKey("pl59"), fourCharKey("pl60"),  // 57..60
    fourCharKey("pl61"), fourCharKey("pl62"), fourCharKey("pl63"), fourCharKey("pl64"),  // 61..64
    fourCharKey("pl65"), fourCharKey("pl66"), fourCharKey("pl67"), fourCharKey("pl68"),  // 65..68
    fourCharKey("pl69"), fourCharKey("pl70"), fourCharKey("pl71"), fourCharKey("pl72"),  // 69..72
    fourCharKey("pl73"), fourCharKey("pl74"), fourCharKey("pl75"), fourCharKey("pl76"),  // 73..76
    fourCharKey("kbcv"), fourCharKey("ucv1"), fourCharKey("ucv2"), fourCharKey("lfo1"),  // 77..80
    fourCharKey("lfo2"), fourCharKey("lfo3"), fourCharKey("elfo"), fourCharKey("v1si"),  // 81..84
    fourCharKey("v3si"), fourCharKey("mlt1"), fourCharKey("mlt2"), fourCharKey("mlt3"),  // 85..88
    fourCharKey("mlt4"),  // 89..89
};

namespace {

constexpr bool keysUnique() {
  for (int i = 0; i < kParamRecordCount; ++i)
    for (int j = i + 1; j < kParamRecordCount; ++j)
      if (ParamKeyTable[i] == ParamKeyTable[j]) return false;
  return true;
}

constexpr bool jackCodesAreCordKeys() {
  for (int j = 1; j < kJackTableSize; ++j)
    if (JackCodeTable[j] != ParamKeyTable[j + kJackParamOffset] || JackCodeTable[j] == 0)
      return false;
  return true;
}

static_assert(keysUnique(), "parameter keys must be unique");
static_assert(jackCodesAreCordKeys(), "jack codes must be the cord parameters' keys");

}  // namespace

int32_t findParameterKey(int32_t key) {
  if (key == 0) return -1;  // Master Bypass's empty key must not match a zero read from a file
  for (int32_t i = 0; i < kParamRecordCount; ++i)
    if (ParamKeyTable[i] == key) return i;
  return -1;
}
