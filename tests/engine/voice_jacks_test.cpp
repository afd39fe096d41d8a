// Jack patching: a table of cords (levels set first, cords already in place, the cord under
// test) against the whole state of the 69 normalled rows after every ramp has settled, the
// result, the insert flags and the switch route set.
#include <cmath>
#include <limits>
#include <vector>

#include "engine/audio_thread.h"
#include "engine/kernels/electronic_switch.h"
#include "tests/engine/voice_reference.h"

namespace {

using namespace voice_ref;

constexpr float kBuilt = std::numeric_limits<float>::quiet_NaN();

struct Level {
  int row;
  float gain;
};

struct Cord {
  const char* own;
  const char* peer;  // nullptr: no peer (0)
};

// A row that differs from the freshly built voice: source label and output (nullptr: the
// normal source), gain (kBuilt: the gain at creation).
struct Change {
  int row;
  const char* source;
  int out;
  float gain;
};

struct CordCase {
  const char* what;
  std::vector<Level> levels;
  std::vector<Cord> before;
  Cord cord;
  bool connected;
  std::vector<Change> changes;
  int insert1 = 0;
  int insert2 = 0;
  int route = 0;  // route the cord sets on the switch; 0: none set
};

std::uint32_t jack(const char* text) { return text == nullptr ? 0u : code(text); }

// A built voice with every row at its creation gain, driven as the audio thread.
struct Bench {
  Bench() {
    EXPECT_TRUE(voice.build(44100.0f, shared));
    settleRamps(voice);
  }

  void level(int row, float gain) { voice.rampTo(voice.normalRows[row], gain); }
  bool connect(const Cord& c) { return voice.connectJacks(jack(c.own), jack(c.peer)); }

  void expectRows(const std::vector<Change>& changes) {
    for (int r = 1; r <= 69; ++r) {
      RowState expected = referenceRow(r);
      for (const Change& c : changes) {
        if (c.row != r) continue;
        if (c.source != nullptr) {
          expected.source = moduleIndex(c.source);
          expected.out = c.out;
        }
        if (!std::isnan(c.gain)) expected.gain = c.gain;
      }
      EXPECT_EQ(builtRow(voice, r), expected) << "row " << r;
    }
  }

  AudioThreadScope audioThread;  // cords are applied on the audio thread
  SharedModules shared;
  PatchVoice voice;
};

const std::vector<CordCase>& cordCases() {
  static const std::vector<CordCase> cases = {
      {"saw into the VCF input keeps the VCF level", {{1, 0.7f}}, {}, {"pl18", "pl58"}, true,
       {{1, "VCO 1", 2, 0.7f}}},
      {"unpatching restores the normal source and keeps the level", {{1, 0.7f}}, {{"pl18", "pl58"}},
       {"pl18", nullptr}, false, {{1, nullptr, 0, 0.7f}}},
      {"multiple into the VCF input, named from the input", {}, {}, {"pl18", "mlt1"}, true,
       {{1, "Multiple 1", 0, kBuilt}}},
      {"multiple into the VCF input, named from the multiple", {}, {}, {"mlt1", "pl18"}, true,
       {{1, "Multiple 1", 0, kBuilt}}},
      {"saw into the multiple", {}, {}, {"mlt1", "pl58"}, true, {{22, "VCO 1", 2, kBuilt}}},
      {"saw into the multiple, named from the saw", {}, {}, {"pl58", "mlt1"}, true, {{22, "VCO 1", 2, kBuilt}}},
      {"a multiple jack used as an output gives up its own cord", {}, {{"mlt1", "pl58"}}, {"mlt1", "pl18"}, true,
       {{1, "Multiple 1", 0, kBuilt}}},
      {"external LFO jack feeds both keyboard CVs", {}, {}, {"elfo", "pl58"}, true,
       {{68, "VCO 1", 2, kBuilt}, {69, "VCO 1", 2, kBuilt}}},
      {"mixer VCF jack moves the mixer and the insert rows", {}, {}, {"pl32", "pl62"}, true,
       {{14, "VCO 2", 2, kBuilt}, {16, "VCO 2", 2, kBuilt}}},
      {"VCF output fed back into its own input", {}, {}, {"pl18", "pl65"}, true, {{1, "VCF 1", 0, kBuilt}}},

      // Inserts.
      {"insert send takes the VCF out of the mixer", {{14, 0.6f}, {16, 0.6f}}, {}, {"pl18", "pl69"}, true,
       {{1, "Insert 1", 0, kBuilt}, {14, nullptr, 0, 0.0f}, {16, nullptr, 0, 0.6f}}, 1},
      {"insert unplugged: the mixer is back at the VCF level", {{14, 0.6f}, {16, 0.6f}}, {{"pl18", "pl69"}},
       {"pl69", nullptr}, false, {{1, "Insert 1", 0, kBuilt}, {14, nullptr, 0, 0.6f}, {16, nullptr, 0, 0.6f}}},
      {"second insert into the VCA input", {{15, 0.4f}, {17, 0.4f}}, {}, {"pl70", "pl28"}, true,
       {{11, "Insert2", 0, kBuilt}, {15, nullptr, 0, 0.0f}, {17, nullptr, 0, 0.4f}}, 0, 1},
      {"the no-connection jack unplugs the second insert", {{15, 0.4f}, {17, 0.4f}}, {{"pl70", "pl28"}},
       {"pl70", "noco"}, false, {{11, "Insert2", 0, kBuilt}, {15, nullptr, 0, 0.4f}, {17, nullptr, 0, 0.4f}}},

      // The electronic switch.
      {"switch C as an output: two inputs to one output", {}, {}, {"pl18", "pl51"}, true,
       {{1, "switch C", 0, kBuilt}, {58, nullptr, 0, 1.0f}, {59, nullptr, 0, 1.0f}}, 0, 0, 1},
      {"a signal into switch C: one input to two outputs", {}, {}, {"pl51", "pl58"}, true,
       {{28, "VCO 1", 2, kBuilt}, {60, nullptr, 0, 1.0f}, {61, nullptr, 0, 1.0f}}, 0, 0, 2},
      {"switch turned round", {}, {{"pl18", "pl51"}}, {"pl51", "pl58"}, true,
       {{1, "switch C", 0, kBuilt}, {28, "VCO 1", 2, kBuilt}, {60, nullptr, 0, 1.0f}, {61, nullptr, 0, 1.0f}},
       0, 0, 2},
      {"multiple into switch C", {}, {}, {"mlt1", "pl51"}, true,
       {{28, "Multiple 1", 0, kBuilt}, {60, nullptr, 0, 1.0f}, {61, nullptr, 0, 1.0f}}, 0, 0, 2},
      {"switch C into the multiple", {}, {}, {"pl51", "mlt1"}, true,
       {{22, "switch C", 0, kBuilt}, {58, nullptr, 0, 1.0f}, {59, nullptr, 0, 1.0f}}, 0, 0, 1},
      {"multiple into switch A leaves the route", {}, {}, {"mlt1", "pl50"}, true, {{26, "Multiple 1", 0, kBuilt}}},

      // Envelope gate jack and keyboard-CV jacks.
      {"a signal into the gate jack opens its row", {}, {}, {"pl24", "pl58"}, true, {{65, "VCO 1", 2, 1.0f}}},
      {"gate jack used as an output", {}, {}, {"pl18", "pl24"}, true,
       {{1, "Envelope Gate", 0, kBuilt}, {65, nullptr, 0, 1.0f}}},
      {"gate jack unplugged closes its row", {}, {{"pl24", "pl58"}}, {"pl24", nullptr}, false, {}},
      {"a cord at a keyboard-CV jack passes at full gain", {{38, 0.0f}}, {}, {"plg5", "pl58"}, true,
       {{38, "VCO 1", 2, 1.0f}}},
      {"unplugged with the keyboard on, it stays at full gain", {{38, 0.0f}}, {{"plg5", "pl58"}},
       {"plg5", nullptr}, false, {{38, nullptr, 0, 1.0f}}},

      // Cords that connect nothing.
      {"two plain inputs restore both", {}, {{"pl18", "pl58"}, {"pl19", "pl62"}}, {"pl18", "pl19"}, false, {}},
      {"two outputs", {}, {}, {"pl58", "pl62"}, false, {}},
      {"an input to the panel's output jack is back to normal", {}, {{"pl18", "pl58"}}, {"pl18", "pl73"}, false, {}},
      {"the panel's two output jacks", {}, {}, {"pl73", "pl74"}, false, {}},
      {"two jacks of the multiple", {}, {{"mlt1", "pl58"}}, {"mlt1", "mlt2"}, false, {}},
      {"two jacks of the multiple, the other way", {}, {{"mlt2", "pl58"}}, {"mlt1", "mlt2"}, false, {}},
      {"switch A and switch C", {}, {}, {"pl50", "pl51"}, false, {}},
      {"switch C and switch B", {}, {}, {"pl51", "pl52"}, false, {}},
      {"switch B and switch A", {}, {}, {"pl52", "pl50"}, false, {}},
      {"a multiple jack to itself", {}, {{"mlt1", "pl58"}}, {"mlt1", "mlt1"}, false, {}},
      {"the gate jack to itself", {}, {{"pl24", "pl58"}}, {"pl24", "pl24"}, false, {}},

      // Codes naming nothing.
      {"unknown peer code", {}, {{"pl18", "pl58"}}, {"pl18", "zzzz"}, false, {}},
      {"unknown own code", {}, {{"pl18", "pl58"}}, {"zzzz", "pl58"}, false, {{1, "VCO 1", 2, kBuilt}}},
      {"unknown own code unplugged", {}, {}, {"zzzz", nullptr}, false, {}},
      {"the hard-wired marker is no jack", {}, {}, {"none", "pl58"}, false, {}},
      {"the hard-wired marker as peer", {}, {{"pl18", "pl58"}}, {"pl18", "none"}, false, {}},
      {"the hard-wired marker unplugged", {}, {}, {"none", nullptr}, false, {}},
      {"the no-connection jack unplugs", {}, {{"pl18", "pl58"}}, {"pl18", "noco"}, false, {}},
      {"the no-connection jack as own code", {}, {{"pl18", "pl58"}}, {"noco", "pl18"}, false,
       {{1, "VCO 1", 2, kBuilt}}},
  };
  return cases;
}

// The route the voice's electronic switch holds.
std::int32_t switchRoute(const PatchVoice& voice) {
  return static_cast<const qv::ElectronicSwitch*>(voice.switchC->dsp)->route;
}

TEST(VoiceJacks, CordTable) {
  for (const CordCase& c : cordCases()) {
    SCOPED_TRACE(c.what);
    Bench bench;
    for (const Level& l : c.levels) bench.level(l.row, l.gain);
    settleRamps(bench.voice);
    for (const Cord& cord : c.before) bench.connect(cord);
    settleRamps(bench.voice);

    const std::int32_t routeBefore = switchRoute(bench.voice);
    EXPECT_EQ(bench.connect(c.cord), c.connected);
    settleRamps(bench.voice);
    bench.expectRows(c.changes);
    EXPECT_EQ(bench.voice.insert1Patched, c.insert1);
    EXPECT_EQ(bench.voice.insert2Patched, c.insert2);
    EXPECT_EQ(switchRoute(bench.voice), c.route == 0 ? routeBefore : c.route);
  }
}

// An insert cord plugged and pulled before the mixer row has moved, or while the mixer
// level is gliding, leaves the mixer at the level the insert row holds.
TEST(VoiceJacks, InsertPulledAtOnceLeavesTheMixerLevel) {
  for (int stepsBetween : {0, 1, 100}) {
    SCOPED_TRACE(stepsBetween);
    Bench bench;
    bench.level(14, 0.6f);
    bench.level(16, 0.6f);
    settleRamps(bench.voice);
    EXPECT_TRUE(bench.connect({"pl18", "pl69"}));
    for (int n = 0; n < stepsBetween; ++n) bench.voice.advanceRamps();
    EXPECT_FALSE(bench.connect({"pl69", nullptr}));
    settleRamps(bench.voice);
    EXPECT_EQ(bench.voice.normalRows[14]->gain, 0.6f);
  }
}

TEST(VoiceJacks, InsertPulledWhileTheLevelGlidesEndsAtTheNewLevel) {
  Bench bench;
  bench.level(14, 0.6f);
  bench.level(16, 0.6f);
  settleRamps(bench.voice);
  EXPECT_TRUE(bench.connect({"pl18", "pl69"}));
  settleRamps(bench.voice);
  bench.level(16, 0.9f);  // the level knob moves only the insert row while the insert is patched
  for (int n = 0; n < 10; ++n) bench.voice.advanceRamps();
  EXPECT_FALSE(bench.connect({"pl69", nullptr}));
  settleRamps(bench.voice);
  EXPECT_EQ(bench.voice.normalRows[16]->gain, 0.9f);
  EXPECT_EQ(bench.voice.normalRows[14]->gain, 0.9f);
}

TEST(VoiceJacks, AnUnbuiltVoiceIgnoresCords) {
  AudioThreadScope audioThread;
  PatchVoice voice;
  for (const char* peer : {"pl58", "pl18", "mlt2", "pl51", "noco"}) {
    EXPECT_FALSE(voice.connectJacks(code("mlt1"), code(peer))) << peer;
    EXPECT_FALSE(voice.connectJacks(code("plg5"), code(peer))) << peer;
    EXPECT_FALSE(voice.connectJacks(code("pl69"), code(peer))) << peer;
  }
  EXPECT_FALSE(voice.connectJacks(code("pl24"), 0));
  voice.updateKeyboardCvNormals(code("plg5"), code("pl58"), true);
  EXPECT_EQ(voice.rampList, nullptr);
}

}  // namespace
