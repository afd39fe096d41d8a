#include "tools/artgen/board_layout.h"

#include <stdexcept>

namespace art {

using panel::Rect;

bool Section::contains(const Rect& r) const {
  auto inside = [&](const Rect& s) {
    return s.w > 0 && r.x >= s.x && r.y >= s.y && r.right() <= s.right() && r.bottom() <= s.bottom();
  };
  return inside(rect) || inside(extra);
}

Rect itemRect(int param) {
  if (const panel::BoundControl* c = panel::findBoundControl(param)) return c->rect;
  if (const panel::Jack* j = panel::findJack(param)) return j->rect();
  throw std::invalid_argument("no control or jack for parameter " + std::to_string(param));
}

namespace {

// Accents: muted, one per section.
constexpr Colour kAmber{0.91, 0.60, 0.26}, kCoral{0.88, 0.38, 0.33}, kGold{0.87, 0.74, 0.33},
    kTeal{0.33, 0.72, 0.67}, kBlue{0.40, 0.62, 0.86}, kViolet{0.66, 0.52, 0.84},
    kSteel{0.62, 0.70, 0.78}, kLime{0.55, 0.76, 0.38}, kCyan{0.35, 0.76, 0.86},
    kRose{0.86, 0.48, 0.62}, kIvory{0.88, 0.86, 0.80}, kRed{0.90, 0.30, 0.26};

enum SectionId {
  kTop, kPreamp, kEnvFollower, kRing, kVco1, kVco2, kVco3, kVcf, kEnvelopes, kVca, kMixer,
  kReverb, kMultiple, kNotes, kNoise, kVoltage, kSampleHold, kSwitch, kMaster, kLfo, kKeys
};

std::vector<Section> makeSections() {
  return {
      {"", {0, 0, 1010, 26}, {}, kIvory},
      {"PREAMP", {2, 27, 144, 115}, {}, kSteel},
      {"ENV FOLLOWER", {2, 142, 64, 186}, {}, kViolet},
      {"RING MOD", {66, 142, 80, 186}, {}, kViolet},
      {"VCO 1", {146, 27, 103, 301}, {}, kAmber},
      {"VCO 2", {249, 27, 129, 301}, {}, kAmber},
      {"VCO 3", {378, 27, 102, 301}, {480, 27, 55, 115}, kAmber},
      {"VCF", {480, 142, 205, 186}, {535, 27, 150, 115}, kCoral},
      {"ENVELOPES", {685, 27, 102, 301}, {}, kGold},
      {"VCA", {787, 27, 102, 301}, {}, kTeal},
      {"MIXER", {889, 27, 119, 301}, {}, kBlue},
      {"REVERB", {940, 116, 68, 212}, {}, kBlue},
      {"MULTIPLE", {2, 330, 82, 154}, {}, kIvory},
      {"PATCH NOTES", {84, 330, 215, 154}, {}, kIvory},
      {"NOISE", {299, 330, 80, 154}, {}, kIvory},
      {"VOLTAGE PROCESSOR", {379, 330, 219, 154}, {}, kLime},
      {"SAMPLE & HOLD", {598, 330, 87, 154}, {}, kCyan},
      {"E-SWITCH", {685, 330, 54, 154}, {}, kRose},
      {"MASTER", {739, 330, 269, 154}, {}, kRed},
      {"LFO", {2, 484, 255, 137}, {}, kGold},
      {"", {257, 484, 751, 137}, {}, kIvory},
  };
}

struct Builder {
  std::vector<Label> out;
  const std::vector<Section>& secs;

  int sectionOf(const Rect& r) const {
    // The innermost (last listed) section holding the rectangle.
    int found = -1;
    for (int i = 0; i < static_cast<int>(secs.size()); ++i)
      if (secs[i].contains(r)) found = i;
    if (found < 0) throw std::logic_error("item outside every section");
    return found;
  }
  void add(const std::string& text, int x, int y, Align a, std::vector<int> names, int maxWidth,
           int section = -1) {
    if (section < 0) section = sectionOf(itemRect(names.front()));
    out.push_back({text, x, y, a, section, std::move(names), maxWidth});
  }
  // Gap from an item: jacks that can be a source stand on a printed square a pixel wider.
  static int clearance(int p, int gap) {
    const panel::Jack* j = panel::findJack(p);
    return j && j->kind != panel::kJackInput ? gap + 1 : gap;
  }
  // Below, above, left of or right of the item of parameter p; gap in pixels.
  void below(int p, const std::string& t, int gap = 1, int maxW = 22) {
    Rect r = itemRect(p);
    add(t, r.x + r.w / 2, r.bottom() + clearance(p, gap), Align::Centre, {p}, maxW);
  }
  void above(int p, const std::string& t, int gap = 1, int maxW = 22) {
    Rect r = itemRect(p);
    add(t, r.x + r.w / 2, r.y - clearance(p, gap) - kLabelBoxHeight, Align::Centre, {p}, maxW);
  }
  void left(int p, const std::string& t, int maxW, int gap = 2) {
    Rect r = itemRect(p);
    add(t, r.x - clearance(p, gap), r.y + r.h / 2 - kLabelBoxHeight / 2, Align::Right, {p}, maxW);
  }
  void right(int p, const std::string& t, int maxW, int gap = 2) {
    Rect r = itemRect(p);
    add(t, r.right() + clearance(p, gap), r.y + r.h / 2 - kLabelBoxHeight / 2, Align::Left, {p}, maxW);
  }
  void title(int s, int x, int y, int maxW, Align a = Align::Left, const char* text = nullptr) {
    out.push_back({text ? text : secs[s].title, x, y, a, s, {}, maxW, true});
  }
};

std::vector<Label> makeLabels() {
  Builder b{{}, sections()};
  // Section titles.
  b.title(kPreamp, 8, 30, 90);
  b.title(kEnvFollower, 6, 146, 58);
  b.title(kRing, 70, 146, 72);
  b.title(kVco1, 152, 30, 90);
  b.title(kVco2, 255, 30, 90);
  b.title(kVco3, 384, 30, 90);
  b.title(kVcf, 541, 30, 80);
  b.title(kEnvelopes, 690, 30, 92);
  b.title(kVca, 792, 30, 80);
  b.title(kMixer, 895, 30, 100);
  b.title(kReverb, 974, 224, 62, Align::Centre);
  b.title(kMultiple, 6, 333, 74);
  b.title(kNotes, 90, 332, 120);
  b.title(kNoise, 304, 333, 70);
  b.title(kVoltage, 470, 333, 118, Align::Centre);
  b.title(kSampleHold, 641, 333, 82, Align::Centre);
  b.title(kSwitch, 712, 333, 50, Align::Centre);
  b.title(kMaster, 745, 333, 80);
  b.title(kLfo, 6, 488, 36);
  b.title(kLfo, 6, 607, 70, Align::Left, "KEYBOARD");

  // Preamp: gain dial, two outputs.
  b.below(70, "GAIN", 1, 40);
  b.add("OUT", 125, 101, Align::Centre, {142, 143}, 34);
  b.below(143, "2");
  b.below(142, "1");

  // Envelope follower and ring modulator.
  b.below(2, "LEVEL");
  b.above(144, "OUT", 1, 16);
  b.below(90, "IN");
  b.below(3, "LVL 1");
  b.below(4, "LVL 2");
  b.above(145, "OUT");
  b.above(61, "AUD", 1, 20);
  b.below(61, "DC", 1, 20);
  b.below(91, "IN 1", 1, 22);
  b.below(92, "IN 2", 1, 22);

  // Row legends of the oscillators' and filter's horizontal sliders.
  b.above(5, "COARSE", 1, 60);
  b.below(6, "FINE", 1, 60);
  b.add("COARSE", 507, 55, Align::Centre, {10, 17}, 50, kVco3);
  b.add("FINE", 507, 80, Align::Centre, {11, 18}, 50, kVco3);
  b.add("WIDTH", 507, 106, Align::Centre, {12, 19}, 50, kVco3);
  b.add("FREQ", 654, 55, Align::Centre, {23}, 56, kVcf);
  b.add("FINE", 654, 80, Align::Centre, {24}, 56, kVcf);
  b.add("RES", 654, 106, Align::Centre, {25}, 56, kVcf);

  // VCO 1.
  b.right(173, "SINE", 34);
  b.left(147, "SAW", 24);
  b.left(146, "SQR", 24);
  b.add("KBD", itemRect(58).x - 2, itemRect(58).y - 11, Align::Left, {58}, 22);
  b.add("OFF", itemRect(58).x - 2, itemRect(58).bottom() + 1, Align::Left, {58}, 22);
  b.below(7, "S/H");
  b.below(8, "ADSR");
  b.below(9, "VCO2");
  b.below(94, "KBD");
  b.below(93, "S/H");
  b.below(95, "ADSR");
  b.below(96, "VCO2");
  // VCO 2.
  b.right(149, "TRI", 34);
  b.right(148, "SINE", 34);
  b.left(151, "SAW", 30);
  b.left(150, "PULSE", 30);
  b.add("KBD", itemRect(59).x - 2, itemRect(59).y - 11, Align::Left, {59}, 22);
  b.add("OFF", itemRect(59).x - 2, itemRect(59).bottom() + 1, Align::Left, {59}, 22);
  b.below(13, "S/H");
  b.below(14, "ADSR");
  b.below(15, "VCO1");
  b.below(16, "PWM");
  b.below(97, "KBD");
  b.below(98, "S/H");
  b.below(99, "ADSR");
  b.below(100, "VCO1");
  b.below(101, "PWM");
  // VCO 3.
  b.right(174, "SINE", 34);
  b.left(153, "SAW", 30);
  b.left(152, "PULSE", 30);
  b.add("KBD", itemRect(60).x - 2, itemRect(60).y - 11, Align::Left, {60}, 22);
  b.add("OFF", itemRect(60).x - 2, itemRect(60).bottom() + 1, Align::Left, {60}, 22);
  b.below(20, "NOISE");
  b.below(21, "ADSR");
  b.below(22, "VCO2");
  b.below(102, "KBD");
  b.below(103, "NOISE");
  b.below(104, "ADSR");
  b.below(105, "VCO2");
  // VCF: audio levels, then control voltages.
  b.add("AUDIO IN", 543, 183, Align::Centre, {26, 27, 28, 29, 30}, 120, kVcf);
  b.add("CV", 646, 183, Align::Centre, {72, 31, 32}, 60, kVcf);
  b.left(154, "OUT", 30);
  const char* vcf[] = {"RING", "VCO1", "VCO2", "VCO3", "NOISE", "KBD", "ADSR", "VCO2"};
  const int vcfSliders[] = {26, 27, 28, 29, 30, 72, 31, 32};
  const int vcfJacks[] = {106, 107, 108, 109, 110, 111, 112, 114};
  for (int i = 0; i < 8; ++i) {
    b.below(vcfSliders[i], vcf[i]);
    b.below(vcfJacks[i], vcf[i]);
  }
  // Envelopes.
  b.below(33, "A");
  b.below(34, "D");
  b.below(35, "S");
  b.below(36, "R");
  b.above(156, "ADSR", 1, 26);
  b.above(155, "AR", 1, 26);
  b.below(37, "ATT");
  b.below(39, "REL");
  b.above(38, "S/H", 1, 24);
  b.below(38, "GATE", 1, 26);
  b.below(115, "S/H");
  b.below(113, "GATE");
  b.below(116, "TRIG");
  // VCA.
  b.below(40, "INITIAL GAIN", 1, 88);
  b.left(157, "OUT", 30);
  b.below(41, "VCF");
  b.below(42, "RING");
  b.below(43, "AR");
  b.below(44, "ADSR");
  b.below(117, "VCF");
  b.below(118, "RING");
  b.below(120, "AR");
  b.below(119, "ADSR");
  // Mixer and reverb.
  b.above(45, "PAN", 1, 40);
  b.below(160, "L IN");
  b.below(161, "OVRD");
  b.left(164, "R IN", 28);
  b.add("INSERT", 916, 152, Align::Centre, {158, 159}, 50, kMixer);
  b.above(158, "VCF");
  b.above(159, "VCA");
  b.below(46, "VCF");
  b.below(47, "VCA");
  b.below(121, "VCF");
  b.below(122, "VCA");
  b.below(48, "L");
  b.below(49, "R");
  b.above(165, "OUT", 1, 26);
  b.below(123, "IN");

  // Multiple and keyboard CV.
  b.right(166, "KBD CV", 42);
  b.add("MULT", 33, 372, Align::Centre, {175, 176, 177, 178}, 40, kMultiple);

  // Noise.
  b.add("COLOR", 326, itemRect(50).bottom() + 1, Align::Right, {50}, 27);
  b.below(51, "LEVEL");
  b.above(124, "OUT", 1, 24);

  // Voltage processor: column heads and row legends.
  b.add("IN", 390, 344, Align::Centre, {125, 126, 127, 128}, 24, kVoltage);
  b.add("IN", 545, 334, Align::Centre, {129, 130, 131}, 24, kVoltage);
  b.add("OUT", 572, 345, Align::Centre, {134, 133, 132}, 24, kVoltage);
  b.add("-10V", 598, 357, Align::Right, {52}, 16, kVoltage);
  b.add("KBD", 598, 379, Align::Right, {53}, 16, kVoltage);
  b.add("+10V", 598, 403, Align::Right, {54}, 16, kVoltage);
  b.add("LAG", 598, 424, Align::Right, {55}, 16, kVoltage);
  b.add("LAG", 470, 444, Align::Centre, {55, 128, 132}, 60, kVoltage);

  // Sample and hold with its clock, and the electronic switch.
  b.right(138, "NG", 17, 1);
  b.right(137, "CLK", 17, 1);
  b.right(136, "OUT", 17, 1);
  b.right(135, "EXT", 17, 1);
  b.below(56, "LEVEL");
  b.below(57, "RATE");
  b.right(139, "A", 24);
  b.right(141, "B", 24);
  b.right(140, "C", 24);

  // Master.
  b.add("POWER", 944, 354, Align::Right, {1}, 50, kMaster);
  b.add("ON", 963, 390, Align::Centre, {1}, 24, kMaster);
  b.add("BYPASS", 963, 426, Align::Centre, {1}, 40, kMaster);
  b.add("MASTER VOLUME", 837, 432, Align::Centre, {75}, 110, kMaster);

  // Keyboard controls and LFO.
  b.above(169, "TRI", 0);
  b.above(170, "SQR", 0);
  b.below(172, "EXT", 1);
  b.below(171, "DLY", 1, 16);
  b.left(65, "RATE", 25, 1);
  b.left(66, "DELAY", 25, 1);
  b.left(67, "DEPTH", 23, 1);
  b.above(62, "TRIG", 1, 24);
  b.above(63, "RPT", 1, 20);
  b.left(167, "CV1", 21);
  b.left(168, "CV2", 21);
  b.below(76, "LATCH", 1, 27);
  b.below(71, "BEND", 1, 40);
  b.below(64, "OCT", 1, 28);
  b.above(69, "PORTA", 1, 30);
  b.below(68, "GLIDE", 1, 26);
  b.add("TRIG", 196, 556, Align::Centre, {}, 26, kLfo);
  b.add("HOLD", 256, 607, Align::Right, {}, 24, kLfo);
  b.add("TRIG", 723, 200, Align::Centre, {}, 26, kEnvelopes);

  // The top strip.
  b.add("VOICES", 612, 7, Align::Right, {}, 40, kTop);
  b.add("MIDI", 739, 7, Align::Right, {}, 30, kTop);
  b.add("OUT", 800, 7, Align::Right, {}, 30, kTop);
  b.add("CPU", 920, 7, Align::Right, {}, 30, kTop);
  return b.out;
}

}  // namespace

const std::vector<Section>& sections() {
  static const std::vector<Section> s = makeSections();
  return s;
}

const std::vector<Label>& labels() {
  static const std::vector<Label> l = makeLabels();
  return l;
}

}  // namespace art
