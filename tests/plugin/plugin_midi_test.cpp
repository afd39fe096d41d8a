// MIDI input: the duophonic keyboard and the voice allocator against tables of expected
// states, the event ring at its limits, controllers, pitch bend and pressure through the map,
// and program changes.
#include <gtest/gtest.h>

#include <chrono>

#include "engine/audio_thread.h"
#include "engine/kernels/kernel_object.h"
#include "engine/kernels/keyboard_modules.h"
#include "plugin/midi_curve.h"
#include "plugin_patch_test_util.h"

namespace plugintest {
namespace {

struct KeyState {
  int gate = 0;
  int fires = 0;
};

// Context 0's gate and the trigger fires since the last look (the trigger is cleared).
KeyState look(Quorvane_VST& plugin, int context = 0) {
  PatchVoice& v = plugin.engine().voice(context);
  auto* trigger = qv::kernelObject<qv::KeyboardTrigger>(v.keyboardTrigger);
  KeyState s;
  s.gate = qv::kernelObject<qv::KeyboardGate>(v.keyboardGate)->gate;
  s.fires = trigger->pending != 0.0f ? 1 : 0;
  trigger->pending = 0.0f;
  return s;
}

struct DuoStep {
  int key, velocity;
  int lower, upper, gate, fires;
};

struct DuoCase {
  const char* name;
  float keyboardTrigger, keyboardRepeat;
  std::vector<DuoStep> steps;
};

TEST(DuoKeyboard, NoteScripts) {
  const DuoCase cases[] = {
      {"single trigger",
       1.0f,
       1.0f,
       {{60, 100, 60, 60, 1, 1},
        {64, 90, 60, 64, 1, 0},
        {55, 80, 55, 64, 1, 0},
        {64, 0, 55, 60, 1, 0},
        {55, 0, 60, 60, 1, 0},
        {60, 0, 60, 60, 0, 0},
        {60, 70, 60, 60, 1, 1}}},
      {"multiple trigger",
       0.0f,
       1.0f,
       {{60, 100, 60, 60, 1, 1}, {64, 90, 60, 64, 1, 1}, {67, 90, 60, 67, 1, 1}, {60, 0, 64, 67, 1, 0}}},
      {"velocity 0 is a release", 1.0f, 2.0f, {{48, 100, 48, 48, 1, 1}, {48, 0, 48, 48, 0, 0}}},
  };
  for (const DuoCase& c : cases) {
    SCOPED_TRACE(c.name);
    Instance in;
    Quorvane_VST& p = in.plugin();
    p.setParameterReal(kParamVoices, 0.0f);
    p.setParameterReal(kParamIntervalLatch, 0.0f);
    p.setParameterReal(kParamKeyboardTrigger, c.keyboardTrigger);
    p.setParameterReal(kParamKeyboardRepeat, c.keyboardRepeat);
    look(p);
    int n = 0;
    for (const DuoStep& s : c.steps) {
      SCOPED_TRACE(n++);
      p.playNote(s.key, s.velocity);
      const KeyState k = look(p);
      EXPECT_EQ(p.lastLowerKey(), s.lower);
      EXPECT_EQ(p.lastUpperKey(), s.upper);
      EXPECT_EQ(k.gate, s.gate);
      EXPECT_EQ(k.fires, s.fires);
    }
  }
}

TEST(DuoKeyboard, RepeatModeZeroOpensTheLfoIntoTheEnvelopeGate) {
  Instance in;
  Quorvane_VST& p = in.plugin();
  p.setParameterReal(kParamVoices, 0.0f);
  p.setParameterReal(kParamEnvelopeGateSource, 1.0f);  // the keyboard gates the envelopes
  p.setParameterReal(kParamKeyboardRepeat, 2.0f);
  PatchInput* row = p.engine().voice(0).normalRows[66];
  p.playNote(60, 100);
  EXPECT_EQ(row->gain, 1.0f);
  EXPECT_FALSE(row->off);
  p.playNote(60, 0);
  EXPECT_EQ(row->gain, 0.0f);
  EXPECT_TRUE(row->off);
}

TEST(DuoKeyboard, IntervalLatch) {
  Instance in;
  Quorvane_VST& p = in.plugin();
  p.setParameterReal(kParamVoices, 0.0f);
  p.setParameterReal(kParamIntervalLatch, 0.0f);
  p.playNote(60, 100);
  p.playNote(67, 100);
  p.setParameterReal(kParamIntervalLatch, 1.0f);
  EXPECT_EQ(p.latchInterval(), 7);
  p.playNote(60, 0);
  p.playNote(67, 0);
  p.playNote(50, 100);
  EXPECT_EQ(p.lastLowerKey(), 50);
  EXPECT_EQ(p.lastUpperKey(), 57);
  p.playNote(50, 0);
  p.playNote(125, 100);  // 125 + 7 lies beyond the keyboard: the top key plays
  EXPECT_EQ(p.lastUpperKey(), 127);
}

struct PolyStep {
  int key, velocity;
  std::vector<int> voiceKeys;  // contexts 0..2 afterwards
};

TEST(VoiceAllocator, RoundRobinStealingAndRepeats) {
  const std::vector<PolyStep> steps = {
      {60, 100, {-1, 60, -1}}, {62, 100, {-1, 60, 62}},
      {64, 100, {64, 60, 62}}, {65, 100, {64, 65, 62}},  // all held: the context after the last one is stolen
      {62, 0, {64, 65, 62}},   {62, 80, {64, 65, 62}},   // the released context takes it again
      {0, 100, {0, 65, 62}},                             // steals context 0
  };
  Instance in;
  Quorvane_VST& p = in.plugin();
  p.setParameterReal(kParamVoices, 2.0f);
  int n = 0;
  for (const PolyStep& s : steps) {
    SCOPED_TRACE(n++);
    p.playNote(s.key, s.velocity);
    for (int v = 0; v < 3; ++v) EXPECT_EQ(p.voiceKey(v), s.voiceKeys[static_cast<std::size_t>(v)]) << v;
  }
}

TEST(VoiceAllocator, KeyZeroDoesNotBusyIdleVoicesAndFewerVoicesRelease) {
  Instance in;
  Quorvane_VST& p = in.plugin();
  p.setParameterReal(kParamVoices, 2.0f);
  for (int v = 0; v < kVoiceContextCount; ++v) EXPECT_EQ(p.voiceKey(v), -1);
  p.playNote(0, 100);
  p.playNote(5, 100);
  p.playNote(7, 100);
  EXPECT_EQ(p.voiceKey(1), 0);
  EXPECT_EQ(p.voiceKey(2), 5);
  EXPECT_EQ(p.voiceKey(0), 7);
  p.setParameterReal(kParamVoices, 1.0f);
  {
    AudioThreadScope audio;
    p.dispatchMidiEvents(0);
  }
  EXPECT_EQ(p.voiceKey(2), -1);
  EXPECT_EQ(look(p, 2).gate, 0);
  EXPECT_EQ(look(p, 1).gate, 1);
}

// A host's panic and transport stop send All Notes Off or All Sound Off: every held key
// goes, in the duophonic keyboard and in the voice allocator alike.
TEST(MidiInput, ChannelModeMessagesReleaseEveryKey) {
  for (int controllerNumber : {123, 120}) {
    for (float voices : {0.0f, 3.0f}) {
      SCOPED_TRACE(controllerNumber);
      RunningInstance in;
      Quorvane_VST& p = in.plugin();
      p.setParameterReal(kParamVoices, voices);
      sendMidi(in.effect(), {{0x90, 60, 100, 0}, {0x90, 64, 90, 0}, {0x90, 67, 80, 0}});
      in.run(1);
      EXPECT_EQ(p.noteHeld(64), 1);
      sendMidi(in.effect(), {{0xB5, static_cast<unsigned char>(controllerNumber), 0, 0}});
      in.run(1);
      for (int key : {60, 64, 67}) EXPECT_EQ(p.noteHeld(key), 0) << key;
      for (int v = 0; v < kVoiceContextCount; ++v) EXPECT_EQ(look(p, v).gate, 0) << "voice " << v;
    }
  }
}

TEST(MidiRing, FullRingDropsTheNewest) {
  RunningInstance in;
  std::vector<Midi> events;
  for (int i = 0; i < 600; ++i) events.push_back({0xB0, 74, static_cast<unsigned char>(i % 128), 0});
  sendMidi(in.effect(), events);
  EXPECT_EQ(in.plugin().droppedMidiEvents(), 88u);
  in.run(1);
  MidiSourceSetting range;
  EXPECT_FLOAT_EQ(in.plugin().paramValue(kParamVcfCoarse), mapCurve(511 % 128, range, kParamVcfCoarse));
}

TEST(MidiRing, LateOffsetsPlayWithinTheBlock) {
  RunningInstance in;
  sendMidi(in.effect(), {{0xB0, 74, 10, 5000}, {0xB0, 74, 50, 10}});
  in.run(1);
  MidiSourceSetting range;
  EXPECT_FLOAT_EQ(in.plugin().paramValue(kParamVcfCoarse), mapCurve(50, range, kParamVcfCoarse));
  sendMidi(in.effect(), {{0xB0, 74, 20, -3}});
  in.run(1);
  EXPECT_FLOAT_EQ(in.plugin().paramValue(kParamVcfCoarse), mapCurve(20, range, kParamVcfCoarse));
}

TEST(MidiMapInput, ControllersBendAndPressure) {
  RunningInstance in;
  Quorvane_VST& p = in.plugin();
  MidiMapEntry touch = blankMidiMapEntry(25);
  touch.sourceBits = kMidiBitAftertouch;
  touch.range[kMidiSourceAftertouch] = {0.0f, 64.0f};
  p.midiMap().setEntry(0, touch);
  sendMidi(in.effect(),
           {{0xB0, 74, 90, 0}, {0xE0, 0, 127, 1}, {0xD0, 100, 0, 2}, {0xB1, 74, 5, 3}, {0xB0, 1, 64, 4}});
  in.run(1);
  MidiSourceSetting full;
  EXPECT_FLOAT_EQ(p.paramValue(kParamVcfCoarse), mapCurve(90, full, kParamVcfCoarse)) << "channel 2 maps nothing";
  MidiSourceSetting bend{53.0f, 74.0f, 0, 0};
  EXPECT_FLOAT_EQ(p.paramValue(kParamPitchBend), mapCurve14(127 * 128, bend, kParamPitchBend));
  MidiSourceSetting pressure{0.0f, 64.0f, 0, 0};
  EXPECT_FLOAT_EQ(p.paramValue(kParamVcfResonance), mapCurve(100, pressure, kParamVcfResonance));
  EXPECT_FLOAT_EQ(p.paramValue(kParamVibratoDepth), mapCurve(64, full, kParamVibratoDepth)) << "the wheel drives the controller-1 entry";
  EXPECT_EQ(p.midiLearnWord(), 1.0f);
}

TEST(ProgramChange, SwitchesPatchOnTheAudioThreadAndTheSelectionFollows) {
  Instance in;
  in.dispatch(effMainsChanged, 0, 1);
  PatchLibrary& library = *in.plugin().library();
  const Patch* second = library.programMapEntry(1);
  ASSERT_NE(second, nullptr);
  const Patch expected = *second;
  AudioThread audio(in.effect());
  sendMidi(in.effect(), {{0xC0, 1, 0, 0}});
  const auto start = std::chrono::steady_clock::now();
  while (in.plugin().engine().fadeGain() == 1.0f || in.plugin().engine().patchChangePending()) {
    ASSERT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  for (const PatchParam& p : expected.params) {
    const int index = findParameterKey(static_cast<int32_t>(p.key));
    if (p.kind == kPatchParamReal && index > 0 && index != 75) {
      EXPECT_NEAR(in.plugin().paramValue(index), p.realValue, 1e-5) << index;
    }
  }
  in.dispatch(effEditIdle);  // the selection and the texts follow off the audio thread
  audio.stop();
  EXPECT_EQ(in.text(effGetProgramName), expected.name);
  EXPECT_EQ(library.currentPatch()->name, expected.name);
}

TEST(ProgramChange, AnEmptySlotReloadsTheCurrentPatch) {
  Instance in;
  in.dispatch(effMainsChanged, 0, 1);
  const float original = in.plugin().paramValue(kParamVcfCoarse);
  in.plugin().setParameterReal(kParamVcfCoarse, original + 1.0f);
  AudioThread audio(in.effect());
  sendMidi(in.effect(), {{0xC0, 100, 0, 0}});
  while (audio.blocks() < 20) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(in.plugin().engine().fadeGain(), 1.0f) << "no fade is left waiting";
  in.dispatch(effEditIdle);
  audio.stop();
  EXPECT_FLOAT_EQ(in.plugin().paramValue(kParamVcfCoarse), original);
}

}  // namespace
}  // namespace plugintest

namespace plugintest {

// While a patch change fades the output back in, the ramps run at the fade's fast rate; a
// note whose velocity map ramps fast for its own change leaves that rate as it found it.
TEST(MidiMapInput, VelocityMapDuringAFadeKeepsTheFadeRate) {
  RunningInstance in;
  Quorvane_VST& p = in.plugin();
  MidiMapEntry velocity = blankMidiMapEntry(kParamVcfCoarse);
  velocity.sourceBits = kMidiBitVelocity;
  p.midiMap().setEntry(0, velocity);
  const int rate = static_cast<int>(p.engine().sampleRate());
  p.engine().postPatchChange();
  for (int b = 0; b < 100 && !p.engine().fadedOut(); ++b) in.run(1);
  ASSERT_TRUE(p.engine().fadedOut());
  in.run(1);
  p.engine().finishPatchChange();
  in.run(1);  // the fade back in has begun
  ASSERT_LT(p.engine().fadeGain(), 1.0f);
  ASSERT_FLOAT_EQ(p.engine().voice(0).rampRate.load(), fadedRampRate(rate));
  sendMidi(in.effect(), {{0x90, 60, 100, 0}});
  in.run(1);
  ASSERT_LT(p.engine().fadeGain(), 1.0f);
  for (int k = 0; k < kVoiceContextCount; ++k)
    EXPECT_FLOAT_EQ(p.engine().voice(k).rampRate.load(), fadedRampRate(rate)) << "context " << k;
  for (int b = 0; b < 100 && p.engine().fadeGain() < 1.0f; ++b) in.run(1);
  for (int k = 0; k < kVoiceContextCount; ++k)
    EXPECT_FLOAT_EQ(p.engine().voice(k).rampRate.load(), normalRampRate(rate)) << "the fade's end restores it";
}

}  // namespace plugintest
