// Helpers of the patch and MIDI tests: a running instance with a second thread processing
// blocks, chunk texts, and MIDI events sent through the host's road.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "library/patch_library.h"
#include "plugin_routing_test_util.h"
#include "tests/plugin/send_midi.h"

namespace plugintest {

// The plug-in's chunk as text.
inline std::string chunkText(Quorvane_VST& plugin) {
  void* data = nullptr;
  const int32_t n = plugin.getChunk(&data, false);
  return data ? std::string(static_cast<const char*>(data), static_cast<std::size_t>(n)) : std::string();
}

inline void loadChunk(Quorvane_VST& plugin, const std::string& text) {
  std::string bytes = text;  // the host's bytes, not terminated
  plugin.setChunk(bytes.data(), static_cast<int32_t>(bytes.size()), false);
}

// The value lines of a patch text (parameters and cords), in order.
inline std::vector<std::string> valueLines(const std::string& text, char kind) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find('\n', at);
    const std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (!line.empty() && line[0] == kind && line.size() > 1 && line[1] == ' ') lines.push_back(line);
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return lines;
}

// Processes blocks on a thread of its own until stopped; keeps the largest |sample| seen.
class AudioThread {
 public:
  explicit AudioThread(AEffect* effect) : effect_(effect), thread_([this] { loop(); }) {}
  ~AudioThread() { stop(); }
  void stop() {
    running_.store(false);
    if (thread_.joinable()) thread_.join();
  }
  long blocks() const { return blocks_.load(); }
  float lastPeak() const { return lastPeak_.load(); }

 private:
  void loop() {
    std::vector<float> left(256), right(256);
    float* outputs[] = {left.data(), right.data()};
    while (running_.load()) {
      effect_->processReplacing(effect_, nullptr, outputs, 256);
      float peak = 0.0f;
      for (float s : left) peak = std::max(peak, std::fabs(s));
      lastPeak_.store(peak);
      blocks_.fetch_add(1);
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  }
  AEffect* effect_;
  std::atomic<bool> running_{true};
  std::atomic<long> blocks_{0};
  std::atomic<float> lastPeak_{0.0f};
  std::thread thread_;
};

}  // namespace plugintest
