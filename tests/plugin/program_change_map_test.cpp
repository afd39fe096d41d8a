// A MIDI program change brings the new sound's own MIDI map sources (velocity, modulation
// wheel, aftertouch) with it: the first note after the change plays through them, in a
// render where nobody idles, exactly as it would after an idle call. Also two changes
// without an idle between them, and the map handed over while another thread edits it.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "plugin/midi_curve.h"
#include "plugin_patch_test_util.h"

namespace plugintest {
namespace {

constexpr int kBlock = 256;

// The sound's velocity source on VCF Resonance and wheel source on VCF Coarse Freq.
constexpr MidiSourceSetting kSoundVelocity{20.0f, 90.0f, kMidiCurveExponential, 1};
constexpr MidiSourceSetting kSoundWheel{10.0f, 40.0f, kMidiCurveLogarithmic, 0};

MidiMapEntry soundEntry(int parameter, MidiSource source, const MidiSourceSetting& s) {
  MidiMapEntry e = blankMidiMapEntry(parameter);
  e.sourceBits = 1u << source;
  e.range[source] = {s.low, s.high};
  e.curve[source] = s.curve;
  e.invert[source] = s.invert;
  return e;
}

// A program slot of the current group whose sound is not the one loaded at start-up.
int otherSlot(PatchLibrary& library, int skip = -1) {
  for (int slot = 0; slot < 128; ++slot) {
    const Patch* p = library.programMapEntry(slot);
    if (p != nullptr && p != library.currentPatch() && slot != skip) return slot;
  }
  return -1;
}

// Gives the sound of `slot` the map sources above, lets the keyboard gate the envelopes (so
// note-ons apply velocity sources) and returns its name.
std::string prepareSound(Quorvane_VST& plugin, int slot, const MidiSourceSetting& velocity) {
  Quorvane_VST::PatchHold hold(plugin);
  Patch* sound = hold.library()->programMapEntry(slot);
  sound->setParam(kPatchParamReal, static_cast<uint32_t>(ParamKeyTable[kParamEnvelopeGateSource]), 0, 1.0, 0);
  sound->clearMidiMapEntries();
  sound->addMidiMapEntry(soundEntry(kParamVcfResonance, kMidiSourceVelocity, velocity));
  sound->addMidiMapEntry(soundEntry(kParamVcfCoarse, kMidiSourceModWheel, kSoundWheel));
  return sound->name;
}

// A second velocity source, for the tests with two sounds.
constexpr MidiSourceSetting kSecondVelocity{0.0f, 50.0f, kMidiCurveLinear, 0};

// Two sounds of other program slots, given kSoundVelocity and kSecondVelocity; second is -1
// when the group has no two such slots.
struct TwoSounds {
  int first = -1, second = -1;
  std::string secondName;
};
TwoSounds prepareTwoSounds(Quorvane_VST& plugin) {
  TwoSounds t;
  t.first = otherSlot(*plugin.library());
  t.second = otherSlot(*plugin.library(), t.first);
  if (t.second < 0) return t;
  prepareSound(plugin, t.first, kSoundVelocity);
  t.secondName = prepareSound(plugin, t.second, kSecondVelocity);
  return t;
}

class Render {
 public:
  Render() {
    in_.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    in_.dispatch(effMainsChanged, 0, 1);
    in_.plugin().setParameterReal(kParamVoices, 0.0f);
  }
  Quorvane_VST& plugin() { return in_.plugin(); }
  Instance& instance() { return in_; }
  void block(std::vector<Midi> midi = {}) {
    if (!midi.empty()) sendMidi(in_.effect(), midi);
    float* outputs[] = {left_.data(), right_.data()};
    in_.effect()->processReplacing(in_.effect(), nullptr, outputs, kBlock);
    samples.insert(samples.end(), left_.begin(), left_.end());
  }
  // Blocks until the engine holds the program's sound and the output fades back in.
  void programChange(int slot) {
    block({{0xC0, static_cast<unsigned char>(slot), 0, 0}});
    for (int b = 0; b < 200 && plugin().engine().patchChangePending(); ++b) block();
    ASSERT_FALSE(plugin().engine().patchChangePending());
  }
  std::vector<float> samples;

 private:
  Instance in_;
  std::vector<float> left_ = std::vector<float>(kBlock), right_ = std::vector<float>(kBlock);
};

struct Played {
  std::vector<float> samples;
  std::vector<float> resonance;  // after each note-on
  float coarse = 0.0f;           // after the wheel
};

// A program change, then notes and the wheel right after it takes effect; with `idle`, the
// host idles once in between. On a thread of its own, so that every run starts the engine's
// per-thread noise from the same seed.
Played play(bool idle) {
  Played out;
  std::thread([&] {
    Render r;
    const int slot = otherSlot(*r.plugin().library());
    ASSERT_GE(slot, 0);
    prepareSound(r.plugin(), slot, kSoundVelocity);
    r.programChange(slot);
    if (idle) r.instance().dispatch(effIdle);
    for (const Midi& m : std::vector<Midi>{{0x90, 60, 100}, {0x80, 60, 0}, {0x90, 55, 30}}) {
      r.block({m});
      if (m.status == 0x90) out.resonance.push_back(r.plugin().paramValue(kParamVcfResonance));
    }
    r.block({{0xB0, 1, 64}});
    out.coarse = r.plugin().paramValue(kParamVcfCoarse);
    for (int b = 0; b < 20; ++b) r.block();
    out.samples = r.samples;
  }).join();
  return out;
}

TEST(ProgramChangeMap, NotesRightAfterTheChangeUseTheNewSoundsMapWithoutAnIdle) {
  const Played withoutIdle = play(false);
  const Played withIdle = play(true);
  ASSERT_EQ(withoutIdle.resonance.size(), 2u);
  // Each note-on after the change is mapped through the sound's velocity source.
  EXPECT_FLOAT_EQ(withoutIdle.resonance[0], mapCurve(100, kSoundVelocity, kParamVcfResonance));
  EXPECT_FLOAT_EQ(withoutIdle.resonance[1], mapCurve(30, kSoundVelocity, kParamVcfResonance));
  EXPECT_FLOAT_EQ(withoutIdle.coarse, mapCurve(64, kSoundWheel, kParamVcfCoarse));
  EXPECT_EQ(withoutIdle.resonance, withIdle.resonance);
  EXPECT_EQ(withoutIdle.coarse, withIdle.coarse);
  ASSERT_EQ(withoutIdle.samples.size(), withIdle.samples.size());
  EXPECT_TRUE(withoutIdle.samples == withIdle.samples) << "the renders differ";
}

// Keys held through the change sound again through the new sound's velocity source.
TEST(ProgramChangeMap, HeldKeysReplayThroughTheNewMap) {
  Render r;
  const int slot = otherSlot(*r.plugin().library());
  ASSERT_GE(slot, 0);
  prepareSound(r.plugin(), slot, kSoundVelocity);
  r.block({{0x90, 60, 45}});
  r.plugin().setParameterReal(kParamVcfResonance, 0.0f);
  r.programChange(slot);
  EXPECT_FLOAT_EQ(r.plugin().paramValue(kParamVcfResonance), mapCurve(45, kSoundVelocity, kParamVcfResonance));
}

// Two program changes with no idle between them: the second sound's map and name hold, and
// the idle that comes at last finishes the second change.
TEST(ProgramChangeMap, TwoChangesWithoutAnIdleEndWithTheSecondSound) {
  Render r;
  const TwoSounds sounds = prepareTwoSounds(r.plugin());
  ASSERT_GE(sounds.second, 0);
  r.programChange(sounds.first);
  r.programChange(sounds.second);
  r.block({{0x90, 60, 100}});
  EXPECT_FLOAT_EQ(r.plugin().paramValue(kParamVcfResonance), mapCurve(100, kSecondVelocity, kParamVcfResonance));
  r.instance().dispatch(effIdle);
  EXPECT_EQ(r.instance().text(effGetProgramName), sounds.secondName.substr(0, 23));
  MidiMapEntry e;
  ASSERT_TRUE(r.plugin().midiMap().findByParameter(kParamVcfResonance, e));
  EXPECT_EQ(e.range[kMidiSourceVelocity].high, kSecondVelocity.high);
}

// The audio thread hands a sound's map sources over while another thread keeps editing and
// reading the map (run under ThreadSanitizer this shows they share no plain memory). Every
// change lands whole, some of them a block late because an edit held the map: at the end
// the map holds the last sound's sources.
TEST(ProgramChangeMap, HandOverWhileTheMapIsEdited) {
  Render r;
  const TwoSounds sounds = prepareTwoSounds(r.plugin());
  ASSERT_GE(sounds.second, 0);
  std::atomic<bool> done{false};
  std::thread editor([&] {
    MidiMap& map = r.plugin().midiMap();
    for (int i = 0; !done.load(); ++i) {
      map.setEntry(0, soundEntry(kParamMixerPan, kMidiSourceAftertouch, {0.0f, static_cast<float>(i % 128), 0, 0}));
      MidiMapEntry e;
      map.findByParameter(kParamVcfResonance, e);
      (void)map.entries();
      std::this_thread::yield();
    }
  });
  for (int round = 0; round < 20; ++round) {
    r.programChange(round % 2 == 0 ? sounds.first : sounds.second);
    r.block({{0x90, 60, 100}, {0x80, 60, 0, 100}});
  }
  done.store(true);
  editor.join();
  MidiMapEntry e;
  ASSERT_TRUE(r.plugin().midiMap().findByParameter(kParamVcfResonance, e));
  EXPECT_EQ(e.sourceBits & kMidiPatchSourceBits, kMidiBitVelocity);
  EXPECT_EQ(e.range[kMidiSourceVelocity].high, kSecondVelocity.high);
}

}  // namespace
}  // namespace plugintest
