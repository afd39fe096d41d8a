// A plug-in instance with every voice context running, driven block by block so that the
// changes parameters hand to the audio thread land and their ramps arrive.
#pragma once

#include <vector>

#include "engine/patch_voice.h"
#include "plugin_object_test_util.h"

namespace plugintest {

class RunningInstance {
 public:
  static constexpr int kBlock = 512;

  explicit RunningInstance(float rate = 44100.0f) {
    in_.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    in_.dispatch(effMainsChanged, 0, 1);
    in_.plugin().setParameterReal(kParamVoices, 8.0f);  // all nine contexts evaluate
    run(1);
  }

  Quorvane_VSTEdit& plugin() { return in_.plugin(); }
  AEffect* effect() { return in_.effect(); }
  PatchVoice& voice(int k) { return in_.plugin().engine().voice(k); }
  void set(int index, float plain) { in_.plugin().setParameterReal(index, plain); }

  // Processes `blocks` blocks of silence; the output of the last block is kept.
  void run(int blocks) {
    float* outputs[] = {left.data(), right.data()};
    for (int b = 0; b < blocks; ++b) in_.effect()->processReplacing(in_.effect(), nullptr, outputs, kBlock);
  }
  // Long enough for any ramp (4000 samples) to arrive.
  void settle() { run(10); }

  // Renders `frames` frames of the left output, block by block.
  std::vector<float> render(int frames) {
    std::vector<float> out;
    out.reserve(frames);
    while (static_cast<int>(out.size()) < frames) {
      run(1);
      out.insert(out.end(), left.begin(), left.end());
    }
    out.resize(frames);
    return out;
  }

  std::vector<float> left = std::vector<float>(kBlock);
  std::vector<float> right = std::vector<float>(kBlock);

 private:
  Instance in_;
};

}  // namespace plugintest
