// Level statistics of the rendered output, per channel, and the non-finite sample check.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace qhost {

struct ChannelStats {
  double peak = 0;
  double sumSquares = 0;
};

struct OutputStats {
  std::vector<ChannelStats> channels;
  int64_t frames = 0;
  int64_t nonFinite = 0;
  int64_t firstBadFrame = -1;
  int firstBadChannel = -1;

  explicit OutputStats(int channelCount) : channels(static_cast<size_t>(channelCount)) {}

  // Adds one block of one channel that starts at frame `start`.
  void add(int channel, const float* samples, int32_t count, int64_t start) {
    ChannelStats& c = channels[static_cast<size_t>(channel)];
    for (int32_t i = 0; i < count; ++i) {
      const double x = samples[i];
      if (!std::isfinite(x)) {
        if (nonFinite++ == 0) {
          firstBadFrame = start + i;
          firstBadChannel = channel;
        }
        continue;
      }
      c.peak = std::max(c.peak, std::fabs(x));
      c.sumSquares += x * x;
    }
  }

  double rms(int channel) const {
    return frames > 0 ? std::sqrt(channels[static_cast<size_t>(channel)].sumSquares / static_cast<double>(frames)) : 0.0;
  }
};

}  // namespace qhost
