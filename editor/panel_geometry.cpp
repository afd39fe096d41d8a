#include "editor/panel_geometry.h"

#include <cstring>

namespace panel {

const ImageSpec kImages[] = {
    // The panel and its controls.
    {"Stereo-Stereo-Board1.2.0.png", kBoardWidth, kBoardHeight, 1},
    {"horz_knob.png", 20, 24, 1},
    {"vert_knob.png", 24, 20, 1},
    {"smallslider.png", 18, 17, 1},
    {"vert_switch.png", 9, 12, 1},
    {"horz_switch.png", 12, 9, 1},
    {"dial.png", 43, 43, 1},
    {"cableend.png", 14, 14, 1},
    {"goldplug.png", 14, 14, 1},
    {"transpose.png", 29, 3 * 38, 3},
    {"tpos_switch.png", 9, 3 * 24, 3},
    {"powerlight.png", 34, 2 * 34, 2},
    {"ptchmgr.png", 98, 2 * 17, 2},
    {"save.png", 44, 2 * 17, 2},
    {"saveas.png", 44, 2 * 17, 2},
    {"midi.png", 19, 2 * 19, 2},
    {"reset.png", 23, 2 * 23, 2},
    {"lock.png", 17, 2 * 17, 2},
    {"Quorvanelogo.png", 197, 63, 1},
    {"led_front.png", 328, 24, 1},
    {"led_back_qv.png", 328, 24, 1},
    {"Notes_Box.png", kNotesWidth, kNotesHeight, 1},
    {"envbutton.png", 12, 2 * 11, 2},
    // Dialog backgrounds.
    {"midimap.png", 470, 500, 1},
    {"patch.png", 670, 450, 1},
    {"saveasback.png", 450, 500, 1},
    {"midibeat.png", 470, 380, 1},
    {"microselect.png", 340, 210, 1},
    {"aboutBack.png", 600, 460, 1},
    // Dialog controls: two-frame buttons, the check box, curve buttons, range caps, the
    // greying overlay, the string menu's three parts and the beat dialog's offset sliders.
    {"ok.png", 80, 48, 2},
    {"cancel.png", 80, 48, 2},
    {"select.png", 80, 48, 2},
    {"import.png", 80, 48, 2},
    {"export.png", 80, 48, 2},
    {"cut.png", 80, 48, 2},
    {"copy.png", 80, 48, 2},
    {"paste.png", 80, 48, 2},
    {"up.png", 80, 48, 2},
    {"down.png", 80, 48, 2},
    {"rename.png", 80, 48, 2},
    {"delete.png", 80, 48, 2},
    {"newgroup.png", 80, 48, 2},
    {"newcat.png", 80, 48, 2},
    {"checkbox.png", 20, 44, 2},
    {"linear.png", 24, 48, 2},
    {"log.png", 24, 48, 2},
    {"exp.png", 24, 48, 2},
    {"leftrangecap.png", 20, 20, 1},
    {"rightrangecap.png", 20, 20, 1},
    {"gradient.png", 354, 110, 1},
    {"menu_left.png", 6, 20, 1},
    {"menu_center.png", 8, 20, 1},
    {"menu_right.png", 18, 20, 1},
    {"smallslider1.png", 16, 37, 1},
    {"small_back1.png", 82, 37, 1},
};
const std::size_t kImageCount = sizeof(kImages) / sizeof(kImages[0]);

namespace {
constexpr SharedImage graphic(const char* name, int frames = 1) {
  return {name, SharedImageKind::Graphic, frames, 0, 0, 0, 0, 0};
}
constexpr SharedImage handle(const char* name, int orientation) {
  return {name, SharedImageKind::Handle, 1, orientation, 0, 0, 0, 0};
}
}  // namespace

const SharedImage kSharedImages[kSharedImageCount] = {
    graphic("Stereo-Stereo-Board1.2.0.png"),
    handle("horz_knob.png", 0),
    handle("vert_knob.png", 1),
    handle("smallslider.png", 0),
    handle("vert_switch.png", 1),
    handle("horz_switch.png", 0),
    graphic("dial.png"),
    graphic("cableend.png"),
    graphic("goldplug.png"),
    graphic("transpose.png", 3),
    graphic("tpos_switch.png", 3),
    graphic("powerlight.png", 2),
    graphic("ptchmgr.png", 2),
    graphic("save.png", 2),
    graphic("saveas.png", 2),
    graphic("midi.png", 2),
    graphic("reset.png", 2),
    graphic("lock.png", 2),
    graphic("Quorvanelogo.png"),
    // The level bar: cut back from its right edge by value and scaled, not squeezed; the
    // x offset of half its width makes the cut run over the whole bar.
    {"led_front.png", SharedImageKind::Cropping, 1, 0, 164, 0, 4, 0},
    graphic("led_back_qv.png"),
    graphic("midimap.png"),
    graphic("patch.png"),
    graphic("saveasback.png"),
    graphic("midibeat.png"),
    graphic("microselect.png"),
    graphic("Notes_Box.png"),
    graphic("envbutton.png", 2),
    graphic("aboutBack.png"),
};

namespace {

constexpr BoundControl vslider(int p, const char* key, Rect r, int steps) {
  return {BoundKind::VerticalSlider, p, key, r, steps, "vert_knob.png", kVerticalSliderInsets,
          false, false, 0.0f, 0.0f, 0, -1};
}
constexpr BoundControl hslider(int p, const char* key, Rect r, int steps, const char* image) {
  return {BoundKind::HorizontalSlider, p, key, r, steps, image, kHorizontalSliderInsets,
          false, false, 0.0f, 0.0f, 0, -1};
}
constexpr BoundControl toggle(int p, const char* key, Rect r, const char* image, Insets in,
                              int initial) {
  return {BoundKind::Switch, p, key, r, 0, image, in, false, false, 0.0f, 0.0f, 4, initial};
}
constexpr BoundControl light(int p, Rect r, const char* image, int initial) {
  return {BoundKind::LightButton, p, "", r, 0, image, kNoInsets, false, false, 0.0f, 0.0f, 4,
          initial};
}
constexpr BoundControl knob(int p, const char* key, Rect r, int steps, const char* image,
                            Insets in, bool background, bool pointer, float start, float sweep) {
  return {BoundKind::Knob, p, key, r, steps, image, in, background, pointer, start, sweep, 0, -1};
}

}  // namespace

const BoundControl kBoundControls[] = {
    vslider(2, "env1", {20, 195, 24, 85}, 1000),  // "Envelope Follower"
    vslider(3, "rng1", {70, 195, 24, 85}, 1000),  // "Ring Mod 1"
    vslider(4, "rng2", {122, 195, 24, 85}, 1000),  // "Ring Mod 2"
    toggle(61, "audc", {105, 290, 9, 24}, "vert_switch.png", kVerticalSwitchInsets, -1),  // "Ring Modulator Audio-DC Switch"
    hslider(5, "vo1c", {147, 73, 96, 24}, 10000, "horz_knob.png"),  // "VCO1 Coarse Freq"
    hslider(6, "vo1f", {147, 99, 96, 24}, 10000, "horz_knob.png"),  // "VCO1 Fine Freq"
    vslider(7, "vo1s", {173, 195, 24, 85}, 10000),  // "VCO1 S/H CV Level"
    vslider(8, "vo1a", {199, 195, 24, 85}, 10000),  // "VCO1 ADSR CV Level"
    vslider(9, "vo12", {223, 195, 24, 85}, 10000),  // "VCO1 VCO2 CV Level"
    toggle(58, "kbd1", {151, 252, 9, 24}, "vert_switch.png", kVerticalSwitchInsets, -1),  // "VCO1 Keybaoard Override"
    hslider(10, "vo2c", {250, 48, 122, 24}, 10000, "horz_knob.png"),  // "VCO2 Coarse Freq"
    hslider(11, "vo2f", {250, 73, 122, 24}, 10000, "horz_knob.png"),  // "VCO2 Fine Freq"
    hslider(12, "vo2p", {250, 99, 120, 24}, 10000, "horz_knob.png"),  // "VCO2 Pulse Width"
    vslider(13, "vo2s", {277, 195, 24, 85}, 10000),  // "VCO2 S/H CV Level"
    vslider(14, "vo2a", {302, 195, 24, 85}, 10000),  // "VCO2 ADSR CV Level"
    vslider(15, "vo21", {328, 195, 24, 85}, 10000),  // "VCO2 VCO1 CV Level"
    vslider(16, "vo2m", {353, 195, 24, 85}, 10000),  // "VCO2 PW Modulation"
    toggle(59, "kbd2", {252, 252, 9, 24}, "vert_switch.png", kVerticalSwitchInsets, -1),  // "VCO2 Keybaoard Override"
    hslider(17, "vo3c", {379, 48, 100, 24}, 10000, "horz_knob.png"),  // "VCO3 Coarse Freq"
    hslider(18, "vo3f", {379, 73, 100, 24}, 10000, "horz_knob.png"),  // "VCO3 Fine Freq"
    hslider(19, "vo3p", {379, 99, 100, 24}, 10000, "horz_knob.png"),  // "VCO3 Pulse Width"
    vslider(20, "vo3n", {404, 195, 24, 85}, 10000),  // "VCO3 NG CV Level"
    vslider(21, "vo3a", {429, 195, 24, 85}, 10000),  // "VCO3 ADSR CV Level"
    vslider(22, "vo32", {455, 195, 24, 85}, 10000),  // "VCO3 VCO2 CV Level"
    toggle(60, "kbd3", {381, 252, 9, 24}, "vert_switch.png", kVerticalSwitchInsets, -1),  // "VCO3 Keybaoard Override"
    hslider(23, "vffc", {535, 48, 88, 24}, 10000, "horz_knob.png"),  // "VCF Coarse Freq"
    hslider(24, "vfff", {535, 73, 88, 24}, 10000, "horz_knob.png"),  // "VCF Fine Freq"
    hslider(25, "vffr", {535, 99, 88, 24}, 100000, "horz_knob.png"),  // "VCF Resonance"
    vslider(26, "vfrg", {481, 195, 24, 85}, 1000),  // "VCF Ring Mod Level"
    vslider(27, "vfo1", {507, 195, 24, 85}, 1000),  // "VCF VCO1 Level"
    vslider(28, "vfo2", {532, 195, 24, 85}, 1000),  // "VCF VCO2 Level"
    vslider(29, "vfo3", {557, 195, 24, 85}, 1000),  // "VCF VCO3 Level"
    vslider(30, "vfng", {583, 195, 24, 85}, 1000),  // "VCF NoiseGen Level"
    vslider(72, "vfkb", {608, 195, 24, 85}, 10000),  // "VCF Keyboard CV Level"
    vslider(31, "vfad", {634, 195, 24, 85}, 10000),  // "VCF ADSR CV Level"
    vslider(32, "vfm2", {660, 195, 24, 85}, 10000),  // "VCF VCO2 CV Level"
    vslider(33, "enva", {685, 54, 24, 78}, 1000),  // "ADSR Attack Time"
    vslider(34, "envd", {712, 54, 24, 78}, 1000),  // "ADSR Decay Time"
    vslider(35, "envs", {736, 54, 24, 78}, 1000),  // "ADSR Sustain Level"
    vslider(36, "envr", {762, 54, 24, 78}, 1000),  // "ADSR Release Time"
    vslider(37, "eara", {685, 195, 24, 85}, 1000),  // "AR Attack Time"
    vslider(39, "earr", {762, 195, 24, 85}, 1000),  // "AR Release Time"
    toggle(38, "shgt", {718, 259, 9, 24}, "vert_switch.png", kVerticalSwitchInsets, -1),  // "AR SH Gate"
    hslider(40, "vaig", {787, 48, 88, 24}, 1000, "horz_knob.png"),  // "VCA Initial Gain"
    vslider(41, "vavf", {787, 195, 24, 85}, 1000),  // "VCA VCF Level"
    vslider(42, "varg", {813, 195, 24, 85}, 1000),  // "VCA RingMod Level"
    vslider(43, "vaar", {838, 195, 24, 85}, 1000),  // "VCA AR CV Level"
    vslider(44, "vaad", {865, 195, 24, 85}, 1000),  // "VCA ADSR CV Level"
    vslider(50, "ngcl", {303, 357, 24, 82}, 1000),  // "Noise Generator color"
    vslider(51, "nglv", {327, 357, 24, 82}, 1000),  // "Noise Generator Level"
    vslider(56, "shlv", {635, 357, 24, 82}, 1000),  // "Sample and Hold Level"
    vslider(57, "shrt", {660, 357, 24, 82}, 1000),  // "Sample and Hold Rate"
    hslider(52, "vpmv", {410, 350, 120, 24}, 1000, "horz_knob.png"),  // "VP -10v Level"
    hslider(53, "vpkb", {410, 372, 120, 24}, 1000, "horz_knob.png"),  // "VP Kbd CV Level"
    hslider(54, "vppv", {410, 396, 120, 24}, 1000, "horz_knob.png"),  // "VP +10v Level"
    hslider(55, "vpef", {410, 417, 120, 24}, 1000, "horz_knob.png"),  // "VP Lag Processor EF"
    hslider(45, "mxpn", {900, 70, 80, 24}, 1000, "horz_knob.png"),  // "Mixer Pan"
    vslider(46, "mxvf", {890, 195, 24, 85}, 1000),  // "Mixer VCF Level"
    vslider(47, "mxva", {915, 195, 24, 85}, 1000),  // "Mixer VCA Level"
    vslider(48, "mxrl", {941, 118, 24, 90}, 1000),  // "Reverb Left Level"
    vslider(49, "mxrr", {967, 118, 24, 90}, 1000),  // "Reverb Right Level"
    hslider(65, "lfos", {114, 497, 82, 17}, 1000, "smallslider.png"),  // "LFO Speed"
    hslider(66, "vibd", {114, 515, 82, 17}, 1000, "smallslider.png"),  // "Vibrato Delay"
    hslider(67, "vibp", {114, 534, 82, 17}, 1000, "smallslider.png"),  // "Vibrato Depth"
    hslider(68, "port", {175, 581, 82, 17}, 1000, "smallslider.png"),  // "Portamento Speed"
    toggle(69, "prto", {217, 566, 24, 9}, "horz_switch.png", kHorizontalSwitchInsets, -1),  // "Portamento Switch"
    toggle(62, "ktrg", {205, 509, 9, 24}, "vert_switch.png", kVerticalSwitchInsets, -1),  // "Keyboard Trigger"
    toggle(76, "klch", {58, 551, 9, 24}, "vert_switch.png", kVerticalSwitchInsets, -1),  // "Interval Latch"
    toggle(1, "", {959, 401, 9, 24}, "vert_switch.png", kVerticalSwitchInsets, 1),  // "Master Bypass"
    light(1, {947, 342, 34, 34}, "powerlight.png", 1),  // "Master Bypass"
    hslider(75, "mvol", {777, 444, 120, 24}, 1000, "horz_knob.png"),  // "Master Volume"
    knob(70, "pgan", {55, 52, 43, 43}, 100, "dial.png", kDialInsets, true, true, -0.375f, 0.375f),  // "Preamp Gain"
    knob(71, "pbnd", {76, 555, 43, 43}, 120, "dial.png", kDialInsets, true, true, -0.375f, 0.375f),  // "Pitch Bend"
    knob(64, "octv", {145, 555, 29, 38}, 3, "transpose.png", kNoInsets, false, false, 0.0f, 0.0f),  // "Octave Control"
    knob(63, "krpt", {238, 509, 9, 24}, 3, "tpos_switch.png", kNoInsets, false, false, 0.0f, 0.0f),  // "Keyboard Repeat"
};
const std::size_t kBoundControlCount = sizeof(kBoundControls) / sizeof(kBoundControls[0]);

const SliderLink kSliderLinks[] = {{5, 6, 58}, {10, 11, 59}, {17, 18, 60}, {23, 24, 0}};
const std::size_t kSliderLinkCount = sizeof(kSliderLinks) / sizeof(kSliderLinks[0]);

const Jack kJacks[kJackCount] = {
    {90, "plg1", 25, 297, kJackInput},  // "Env. Foll Input Plug"
    {91, "plg2", 76, 297, kJackInput},  // "Ring Mod Plug 1"
    {92, "plg3", 127, 297, kJackInput},  // "Ring Mod Plug 2"
    {93, "plg4", 179, 297, kJackInput},  // "VCO1 S/H CV Plug"
    {94, "plg5", 153, 297, kJackInput},  // "VCO1 Keyboard CV Plug"
    {95, "plg6", 205, 297, kJackInput},  // "VCO1 ADSR CV Plug"
    {96, "plg7", 230, 297, kJackInput},  // "VCO1 VCO2 CV Plug"
    {97, "plg8", 256, 297, kJackInput},  // "VCO2 Keyboard CV Plug"
    {98, "plg9", 282, 297, kJackInput},  // "VCO2 S/H CV Plug"
    {99, "pl10", 307, 297, kJackInput},  // "VCO2 ADSR CV Plug"
    {100, "pl11", 333, 297, kJackInput},  // "VCO2 VCO1 CV Plug"
    {101, "pl12", 358, 297, kJackInput},  // "VCO2 PWM Plug"
    {102, "pl13", 384, 297, kJackInput},  // "VCO3 Keyboard CV Plug"
    {103, "pl14", 409, 297, kJackInput},  // "VCO3 Noise Gen CV Plug"
    {104, "pl15", 435, 297, kJackInput},  // "VCO3 ADSR CV Plug"
    {105, "pl16", 461, 297, kJackInput},  // "VCO3 VCO2 CV Plug"
    {106, "pl17", 486, 297, kJackInput},  // "VCF Ring Mod Plug"
    {107, "pl18", 512, 297, kJackInput},  // "VCF VCO1 Plug"
    {108, "pl19", 538, 297, kJackInput},  // "VCF VCO2 Plug"
    {109, "pl20", 564, 297, kJackInput},  // "VCF VCO3 Plug"
    {110, "pl21", 590, 297, kJackInput},  // "VCF Noise Gen Plug"
    {111, "pl22", 615, 297, kJackInput},  // "VCF Keyboard CV Plug"
    {112, "pl23", 640, 297, kJackInput},  // "VCF ADSR CV Plug"
    {113, "pl24", 743, 297, kJackBoth},  // "Envelope Gate Plug"
    {114, "pl25", 665, 297, kJackInput},  // "VCF VCO2 CV Plug"
    {115, "pl26", 717, 297, kJackInput},  // "Envelope S/H Gate Plug"
    {116, "pl27", 768, 297, kJackOutput},  // "Envelope Trigger Plug"
    {117, "pl28", 794, 297, kJackInput},  // "VCA VCF Plug"
    {118, "pl29", 819, 297, kJackInput},  // "VCA Ring Mod Plug"
    {119, "pl30", 871, 297, kJackInput},  // "VCA ADSR CV Plug"
    {120, "pl31", 845, 297, kJackInput},  // "VCA AR CV Plug"
    {121, "pl32", 896, 297, kJackInput},  // "Mixer VCF Plug"
    {122, "pl33", 922, 297, kJackInput},  // "Mixer VCA Plug"
    {123, "pl34", 947, 297, kJackInput},  // "Reverb Input Plug"
    {124, "pl35", 358, 394, kJackOutput},  // "Noise Gen Out Plug"
    {125, "pl36", 383, 359, kJackInput},  // "VP -10V Input Plug"
    {126, "pl37", 383, 382, kJackInput},  // "VP Kbd CV Input Plug"
    {127, "pl38", 383, 404, kJackInput},  // "VP +10V Input Plug"
    {128, "pl39", 383, 427, kJackInput},  // "Lag Processor Input Plug"
    {129, "pl40", 538, 346, kJackInput},  // "VP Ch. 1 (unatten.) 1 In Plug"
    {130, "pl41", 538, 370, kJackInput},  // "VP Ch. 1 (unatten.) 2 In Plug"
    {131, "pl42", 538, 392, kJackInput},  // "VP Ch. 2 (unatten.) In Plug"
    {132, "pl43", 565, 427, kJackOutput},  // "Lag Processor Output Plug"
    {133, "pl44", 565, 404, kJackOutput},  // "VP Ch. 2 Inverter Output Plug"
    {134, "pl45", 565, 359, kJackOutput},  // "VP Ch. 1 Inverter Output Plug"
    {135, "pl46", 602, 437, kJackInput},  // "S/H Ext. Clock In Plug"
    {136, "pl47", 602, 415, kJackOutput},  // "Sample and Hold Out Plug"
    {137, "pl48", 602, 392, kJackOutput},  // "S/H Clock Out Plug"
    {138, "pl49", 602, 346, kJackInput},  // "S/H Noise Gen In Plug"
    {139, "pl50", 693, 359, kJackBoth},  // "Electronic Switch A Plug"
    {140, "pl51", 693, 427, kJackBoth},  // "Electronic Switch C Plug"
    {141, "pl52", 693, 393, kJackBoth},  // "Electronic Switch B Plug"
    {142, "pl53", 127, 113, kJackOutput},  // "Preamp(side chain) Out 1 Plug"
    {143, "pl54", 110, 113, kJackOutput},  // "Preamp(side chain) Out 2 Plug"
    {144, "pl55", 50, 222, kJackOutput},  // "Envelope Follower Out Plug"
    {145, "pl56", 102, 222, kJackOutput},  // "Ring Mod Out Plug"
    {146, "pl57", 230, 173, kJackOutput},  // "VCO1 Square Out Plug"
    {147, "pl58", 230, 156, kJackOutput},  // "VCO1 Sawtooth Out Plug"
    {148, "pl59", 257, 173, kJackOutput},  // "VCO2 Sine Out Plug"
    {149, "pl60", 257, 156, kJackOutput},  // "VCO2 Triangle Out Plug"
    {150, "pl61", 358, 173, kJackOutput},  // "VCO2 Pulse Out Plug"
    {151, "pl62", 358, 156, kJackOutput},  // "VCO2 Sawtooth Out Plug"
    {152, "pl63", 461, 173, kJackOutput},  // "VCO3 Pulse Out Plug"
    {153, "pl64", 461, 156, kJackOutput},  // "VCO3 Sawtooth Out Plug"
    {154, "pl65", 656, 163, kJackOutput},  // "VCF Out Plug"
    {155, "pl66", 743, 198, kJackOutput},  // "AR Out Plug"
    {156, "pl67", 766, 163, kJackOutput},  // "ADSR Out Plug"
    {157, "pl68", 871, 163, kJackOutput},  // "VCA Out Plug"
    {158, "pl69", 896, 175, kJackOutput},  // "Mixer VCF Insert Plug"
    {159, "pl70", 922, 175, kJackOutput},  // "Mixer VCA Insert Plug"
    {160, "pl71", 896, 100, kJackInput},  // "Left Direct Input Plug"
    {161, "pl72", 922, 100, kJackInput},  // "Mixer Override Input Plug"
    {162, "pl73", 1099, 100, kJackInput},  // "Left Output Plug"
    {163, "pl74", 1100, 100, kJackInput},  // "Right Output Plug"
    {164, "pl75", 973, 100, kJackInput},  // "Right Direct Input Plug"
    {165, "pl76", 973, 271, kJackOutput},  // "100% Reverb Out Plug"
    {166, "kbcv", 26, 353, kJackOutput},  // "Keyboard CV Out Plug"
    {167, "ucv1", 26, 546, kJackOutput},  // "Upper Kbd CV Out 1 Plug"
    {168, "ucv2", 26, 565, kJackOutput},  // "Upper Kbd CV Out 2 Plug"
    {169, "lfo1", 48, 499, kJackOutput},  // "Triangle LFO Out Plug"
    {170, "lfo2", 73, 499, kJackOutput},  // "Square LFO Out Plug"
    {171, "lfo3", 73, 518, kJackOutput},  // "Delayed Sine LFO Out Plug"
    {172, "elfo", 48, 518, kJackInput},  // "External Kbd LFO In Plug"
    {173, "v1si", 150, 167, kJackOutput},  // "VCO1 Sine Out Plug"
    {174, "v3si", 381, 167, kJackOutput},  // "VCO3 Sine Out Plug"
    {175, "mlt1", 26, 383, kJackBoth},  // "Multiple 1 Plug"
    {176, "mlt2", 26, 406, kJackBoth},  // "Multiple 2 Plug"
    {177, "mlt3", 26, 428, kJackBoth},  // "Multiple 3 Plug"
    {178, "mlt4", 26, 451, kJackBoth},  // "Multiple 4 Plug"
};

const FixedControl kFixedControls[] = {
    {FixedKind::PatchMenu, "group menu", {32, 6, 98, 12}, nullptr, nullptr, 0, 0, -1, 3970, 2, {0, 0, 20, 0}},
    {FixedKind::PatchMenu, "category menu", {137, 6, 98, 12}, nullptr, nullptr, 0, 0, -1, 3971, 1, {0, 0, 20, 0}},
    {FixedKind::PatchMenu, "patch menu", {244, 6, 108, 12}, nullptr, nullptr, 0, 0, -1, 3972, 0, {0, 0, 20, 0}},
    {FixedKind::NotesArea, "notes area", {86, 344, kNotesWidth, kNotesHeight}, "Notes_Box.png", nullptr, 0, 0, -1, 0, 0, {0, 0, 25, 0}},
    {FixedKind::NotesScrollBar, "notes scroll bar", {kNotesWidth + 61, 359, 10, kNotesHeight - 30}, nullptr, nullptr, 0, 0, -1, 0, 0, kNoInsets},
    {FixedKind::Button, "patch manager button", {470, 3, 98, 17}, "ptchmgr.png", nullptr, 0, 2, 0, 0, 0, kNoInsets},
    {FixedKind::Button, "save as button", {416, 3, 44, 17}, "saveas.png", nullptr, 0, 2, 0, 0, 0, kNoInsets},
    {FixedKind::Button, "envelope trigger button", {717, 211, 12, 11}, "envbutton.png", nullptr, 5, 1, 0, 0, 0, {0, 7, 0, 7}},
    {FixedKind::Button, "portamento trigger button", {190, 567, 12, 11}, "envbutton.png", nullptr, 5, 1, 0, 0, 0, {0, 7, 0, 7}},
    {FixedKind::Button, "save button", {362, 3, 44, 17}, "save.png", nullptr, 0, 2, 0, 0, 0, kNoInsets},
    {FixedKind::Button, "logo button", {740, 365, 197, 63}, "Quorvanelogo.png", nullptr, 3, 2, -1, 0, 0, kNoInsets},
    {FixedKind::VoicesMenu, "voices menu", {615, 6, 34, 12}, nullptr, nullptr, 0, 0, -1, 81, 0, {0, 0, 20, 0}},
    {FixedKind::Meter, "left level meter", {803, 6, 80, 6}, "led_front.png", "led_back_qv.png", 1, 100, -1, 0, 0, kNoInsets},
    {FixedKind::Meter, "right level meter", {803, 12, 80, 6}, "led_front.png", "led_back_qv.png", 1, 100, -1, 1, 0, kNoInsets},
    {FixedKind::Meter, "block-time meter", {923, 6, 80, 12}, "led_front.png", "led_back_qv.png", 2, 100, -1, 2, 0, kNoInsets},
    {FixedKind::MidiLight, "MIDI light", {742, 2, 19, 19}, "midi.png", nullptr, 3, 100, -1, 4, 0, kNoInsets},
    {FixedKind::Button, "reset button", {689, 1, 23, 23}, "reset.png", nullptr, 0, 2, 0, 0, 0, kNoInsets},
    {FixedKind::Button, "lock button", {3, 3, 17, 17}, "lock.png", nullptr, 4, 1, 0, 0, 0, kNoInsets},
    {FixedKind::Keyboard, "keyboard", kKeyboardRect, nullptr, nullptr, 0, 0, -1, 0, 0, kNoInsets},
};
const std::size_t kFixedControlCount = sizeof(kFixedControls) / sizeof(kFixedControls[0]);

const Popup kPopups[] = {
    {"KVXMidiBeatInternal", {200, 80, 470, 380}, "midibeat.png"},
    {"KVXMidiMapInternals", {200, 80, 470, 500}, "midimap.png"},
    {"KVXPatchManagerInternal", {200, 80, 670, 450}, "patch.png"},
    {"KVXSaveAsInternal", {200, 80, 450, 500}, "saveasback.png"},
    {"KVXLoadMidiMapInternal", {200, 80, 340, 210}, "microselect.png"},
    {"KVXSaveMidiMapInternal", {200, 80, 340, 210}, "microselect.png"},
    {"KVXTuningsInternal", {200, 80, 340, 210}, "microselect.png"},
    {"KVXAboutBox", {100, 80, 600, 460}, "aboutBack.png"},
};
const std::size_t kPopupCount = sizeof(kPopups) / sizeof(kPopups[0]);

const ImageSpec* findImage(const char* name) {
  for (const ImageSpec& i : kImages)
    if (std::strcmp(i.name, name) == 0) return &i;
  return nullptr;
}

const BoundControl* findBoundControl(int param) {
  for (const BoundControl& c : kBoundControls)
    if (c.param == param) return &c;
  return nullptr;
}

const Jack* findJack(int param) {
  for (const Jack& j : kJacks)
    if (j.param == param) return &j;
  return nullptr;
}

const FixedControl* findFixed(const char* what) {
  for (const FixedControl& f : kFixedControls)
    if (std::strcmp(f.what, what) == 0) return &f;
  return nullptr;
}

}  // namespace panel
