// Renders through the plug-in object: a key played straight into context 0's keyboard CV and
// gate sounds at the key's pitch, and instances at different rates do not disturb each other.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/kernels/kernel_object.h"
#include "engine/kernels/keyboard_modules.h"
#include "plugin_routing_test_util.h"

namespace plugintest {
namespace {

// VCO 1's pulse through the filter, the amplifier opened by the AR envelope on the keyboard
// gate, the amplifier into the mixer. VCO 1 at 1 V coarse, so a key sounds at its own pitch.
void patchOneOscillator(RunningInstance& in) {
  in.plugin().changePatch(kChangeResetPatch, false);  // not the library patch the instance starts with
  const std::pair<int, float> settings[] = {
      {81, 0.0f},   // context 0 alone
      {5, 0.1f},    {6, 0.5f},  // VCO 1: 1 V + 0 V
      {27, 1.0f},   // VCO 1 into the filter
      {23, 0.7f},   {25, 0.0f},  // filter open, no resonance
      {41, 1.0f},   // filter into the amplifier
      {38, 1.0f},   // the keyboard gates the envelopes
      {37, 0.003f}, {43, 1.0f},  // AR: fast attack, into the amplifier
      {47, 1.0f},   // amplifier into the mixer
  };
  for (const auto& [index, plain] : settings) in.set(index, plain);
  in.settle();
}

// Plays `key` on context 0 directly: its keyboard CV from the note table, the gate on.
void playKey(RunningInstance& in, int key) {
  PatchVoice& voice = in.voice(0);
  qv::kernelObject<qv::KeyboardCv>(voice.keyboardLowerCv)->setNote(in.plugin().noteTable().keyCv(key));
  qv::kernelObject<qv::KeyboardGate>(voice.keyboardGate)->setGate(true);
}

// Frequency from the rising zero crossings, first to last.
double zeroCrossingFrequency(const std::vector<float>& x, double rate) {
  int first = -1, last = -1, count = 0;
  for (std::size_t i = 1; i < x.size(); ++i) {
    if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
      if (first < 0) first = static_cast<int>(i);
      last = static_cast<int>(i);
      ++count;
    }
  }
  return count > 1 ? (count - 1) * rate / (last - first) : 0.0;
}

TEST(PluginRender, AKeyOnContextZeroSoundsAtItsPitch) {
  struct Case {
    int key;
    double hertz;  // equal temperament
  } cases[] = {{69, 440.0}, {57, 220.0}, {76, 659.255}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    RunningInstance in;
    patchOneOscillator(in);
    const std::vector<float> before = in.render(4096);
    playKey(in, c.key);
    in.render(8192);  // the note voltage and the envelope settle
    const std::vector<float> sound = in.render(44100 / 2);
    double energy = 0.0;
    for (float s : sound) {
      ASSERT_TRUE(std::isfinite(s));
      energy += static_cast<double>(s) * s;
    }
    for (float s : before) EXPECT_EQ(s, 0.0f) << "silent before the key";
    EXPECT_GT(std::sqrt(energy / sound.size()), 0.01);
    EXPECT_NEAR(zeroCrossingFrequency(sound, 44100.0), c.hertz, c.hertz * 0.005);
  }
}

std::vector<float> renderAlone(float rate, int frames) {
  RunningInstance in(rate);
  patchOneOscillator(in);
  playKey(in, 69);
  return in.render(frames);
}

// Two instances at different rates, processed block by block in turn, render exactly what
// each renders alone: no state is shared between instances.
TEST(PluginRender, InstancesAtTwoRatesSideBySide) {
  constexpr int kFrames = 30 * RunningInstance::kBlock;
  const std::vector<float> alone44 = renderAlone(44100.0f, kFrames);
  const std::vector<float> alone96 = renderAlone(96000.0f, kFrames);

  auto a = std::make_unique<RunningInstance>(44100.0f);
  auto b = std::make_unique<RunningInstance>(96000.0f);
  patchOneOscillator(*a);
  patchOneOscillator(*b);
  playKey(*a, 69);
  playKey(*b, 69);
  std::vector<float> together44, together96;
  for (int block = 0; block < kFrames / RunningInstance::kBlock; ++block) {
    const std::vector<float> x = a->render(RunningInstance::kBlock);
    const std::vector<float> y = b->render(RunningInstance::kBlock);
    together44.insert(together44.end(), x.begin(), x.end());
    together96.insert(together96.end(), y.begin(), y.end());
  }
  ASSERT_EQ(together44.size(), alone44.size());
  for (std::size_t i = 0; i < alone44.size(); ++i) {
    ASSERT_EQ(together44[i], alone44[i]) << "44100 Hz, sample " << i;
    ASSERT_EQ(together96[i], alone96[i]) << "96000 Hz, sample " << i;
  }
  EXPECT_NE(alone44, alone96);
}

}  // namespace
}  // namespace plugintest
