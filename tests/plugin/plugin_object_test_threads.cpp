// Parameters set on one thread while the audio thread processes and a third reads values
// and texts back: clean under ThreadSanitizer, and the output stays silent and finite.
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
  in.dispatch(effMainsChanged, 0, 1);
  std::atomic<bool> done{false};

  std::thread audio([&] {
    std::vector<float> left(64), right(64);
    float* outputs[] = {left.data(), right.data()};
    bool silent = true;
    while (!done.load()) {
      e->processReplacing(e, nullptr, outputs, 64);
      for (int i = 0; i < 64; ++i) silent = silent && left[i] == 0.0f && right[i] == 0.0f;
    }
    EXPECT_TRUE(silent);
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
  for (int round = 0; round < 200; ++round) {
    const float v = static_cast<float>(round % 11) / 10.0f;
    for (int i = 0; i < 178; ++i) e->setParameter(e, i, v);
  }
  done.store(true);
  audio.join();
  reader.join();
  in.dispatch(effMainsChanged, 0, 0);
}

}  // namespace
}  // namespace plugintest
