// Parameters set on one thread while the audio thread runs the engine and a third reads
// values and texts back: clean under ThreadSanitizer, and the output stays finite.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "plugin_object_test_util.h"

namespace plugintest {
namespace {

TEST(PluginThreads, SetParameterWhileProcessing) {
  Instance in;
  AEffect* e = in.effect();
  VstTimeInfo time{};
  time.flags = kVstPpqPosValid;
  hostTime().store(&time);
  in.dispatch(effMainsChanged, 0, 1);
  std::atomic<bool> done{false};

  std::thread audio([&] {
    std::vector<float> inL(64, 0.25f), inR(64, -0.25f), left(64), right(64);
    float* inputs[] = {inL.data(), inR.data()};
    float* outputs[] = {left.data(), right.data()};
    bool finite = true;
    int blocks = 0;
    while (!done.load() || blocks < 100) {
      time.ppqPos = blocks * 0.01;  // the host moves on between blocks
      e->processReplacing(e, inputs, outputs, 64);
      for (int i = 0; i < 64; ++i) finite = finite && std::isfinite(left[i]) && std::isfinite(right[i]);
      ++blocks;
    }
    EXPECT_TRUE(finite);
  });
  std::thread reader([&] {
    char text[64];
    float sum = 0;
    while (!done.load()) {
      for (int i = 0; i < 178; ++i) {
        sum += e->getParameter(e, i);
        e->dispatcher(e, effGetParamDisplay, i, 0, text, 0);
      }
    }
    EXPECT_TRUE(std::isfinite(sum));
  });
  // Every parameter through its range, cords included; bypass stays on so the engine runs.
  for (int round = 0; round < 60; ++round) {
    const float v = static_cast<float>(round % 11) / 10.0f;
    for (int i = 2; i < 178; ++i) e->setParameter(e, i, i >= 90 ? static_cast<float>((i + round) % 90) / 1000.0f : v);
    in.plugin().triggerEnvelopes(round % 2 == 0);
    in.plugin().setPortamento(round % 3 == 0);
  }
  done.store(true);
  audio.join();
  reader.join();
  in.dispatch(effMainsChanged, 0, 0);
  hostTime().store(nullptr);
}

}  // namespace
}  // namespace plugintest
