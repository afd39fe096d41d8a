// Audio processing: every common sample rate with blocks of many sizes (0 frames
// included), the cost of a silent tail against a sounding block, and suspend/resume with
// notes held.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "validate.h"

namespace qhost {
namespace {

constexpr int32_t kBlockSizes[] = {1, 7, 64, 512, 1024, 4096, 0};  // 0: blocks of varying size
constexpr int32_t kVaryingMax = 1024;

// Renders `seconds` in blocks of `block` frames (varying, 0 frames among them, for 0) with
// the chord held for the first half. Returns the count of non-finite samples.
int64_t renderBlocks(Instance& instance, const ValidateContext& ctx, int32_t block, double seconds) {
  instance.inputLevel = 0.25f;
  const auto total = static_cast<int64_t>(seconds * instance.rate());
  uint32_t seed = 12345;
  int64_t bad = 0;
  bool released = false;
  for (int64_t pos = 0; pos < total;) {
    int32_t n = block;
    if (block == 0) {
      seed = seed * 1664525u + 1013904223u;
      const uint32_t pick = seed >> 24;
      n = pick < 40 ? 0 : pick < 60 ? kVaryingMax : static_cast<int32_t>(seed >> 8) % kVaryingMax;
    }
    n = static_cast<int32_t>(std::min<int64_t>(n, total - pos));
    std::vector<MidiMessage> events;
    if (pos == 0) events = chord(ctx);
    if (!released && pos >= total / 2) {
      released = true;
      for (int key : {48, 60, 67}) events.push_back(noteOff(0, key));
    }
    if (!ctx.takesMidi) events.clear();
    instance.process(n, events);
    bad += nonFinite(instance, n);
    pos += n;
  }
  return bad;
}

CheckResult processAt(const ValidateContext& ctx, double rate) {
  Instance instance;
  CheckResult result;
  if (!startOrFail(instance, ctx, rate, 512, result)) return result;
  const double seconds = ctx.scaled(1, 3, 8) * 0.05;
  for (int32_t block : kBlockSizes) {
    instance.setBlockSize(block == 0 ? kVaryingMax : block);
    if (const int64_t bad = renderBlocks(instance, ctx, block, seconds); bad > 0)
      return CheckResult::fail(std::to_string(bad) + " non-finite samples with " +
                               (block == 0 ? std::string("blocks of varying size") : "blocks of " + std::to_string(block)));
  }
  return CheckResult::pass();
}

template <int Rate>
CheckResult processRate(const ValidateContext& ctx) {
  return processAt(ctx, Rate);
}

// The cost of one block, in seconds, for `count` blocks; the lower quartile, which a
// loaded machine disturbs least.
double blockCost(Instance& instance, int count, const std::vector<MidiMessage>& first) {
  std::vector<double> costs;
  for (int i = 0; i < count; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    instance.process(instance.maxBlock(), i == 0 ? first : std::vector<MidiMessage>{});
    costs.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(costs.begin(), costs.end());
  return costs[costs.size() / 4];
}

CheckResult denormalTail(const ValidateContext& ctx) {
  Instance instance;
  CheckResult result;
  if (!startOrFail(instance, ctx, 44100, 512, result)) return result;
  const int blocksPerSecond = static_cast<int>(instance.rate()) / instance.maxBlock();
  instance.inputLevel = 0.25f;
  instance.process(instance.maxBlock(), chord(ctx));
  instance.render(static_cast<int64_t>(instance.rate() / 4));
  const double sounding = blockCost(instance, blocksPerSecond, {});
  instance.inputLevel = 0;
  // The tail: long enough for decaying state to reach the denormal range.
  const double tailSeconds = ctx.scaled(5, 20, 60);
  instance.process(instance.maxBlock(), ctx.takesMidi ? releaseEverything() : std::vector<MidiMessage>{});
  instance.render(static_cast<int64_t>(tailSeconds * instance.rate()));
  const double tail = blockCost(instance, blocksPerSecond, {});
  // A generous factor: denormal arithmetic costs tens of times more, load spikes less.
  constexpr double kFactor = 5.0, kFloor = 20e-6;
  if (tail > kFactor * sounding + kFloor) {
    char why[160];
    std::snprintf(why, sizeof why, "a block of silent tail costs %.1f us, a sounding block %.1f us", tail * 1e6,
                  sounding * 1e6);
    return CheckResult::fail(why);
  }
  return CheckResult::pass();
}

CheckResult suspendResume(const ValidateContext& ctx) {
  constexpr double kRate = 44100;
  constexpr int32_t kBlock = 256;
  const double decaySeconds = ctx.scaled(5, 10, 20);
  const double limit = std::max(1e-4, 2 * restingPeak(ctx.path, kRate, kBlock, decaySeconds + 1));
  Instance instance;
  CheckResult result;
  if (!startOrFail(instance, ctx, kRate, kBlock, result)) return result;
  instance.inputLevel = 0.25f;
  const std::vector<int> keys = {36, 48, 55, 60, 64, 67, 72, 84};
  std::vector<MidiMessage> on, off;
  for (int key : keys) {
    on.push_back(noteOn(0, key, 100));
    off.push_back(noteOff(0, key));
  }
  if (!ctx.takesMidi) on.clear(), off.clear();
  const int cycles = ctx.scaled(2, 4, 10);
  double held = 0;
  for (int i = 0; i < cycles; ++i) {
    instance.process(kBlock, on);
    held = std::max(held, instance.peak(static_cast<int64_t>(kRate / 5)));
    instance.suspend();
    instance.resume();
    held = std::max(held, instance.peak(static_cast<int64_t>(kRate / 20)));
  }
  if (held <= limit) {
    char why[160];
    std::snprintf(why, sizeof why, "the held notes and the input make no sound (peak %.6f), so a note left sounding "
                  "cannot be told", held);
    return CheckResult::fail(why);
  }
  instance.inputLevel = 0;
  instance.process(kBlock, off);
  const double peak = decayPeak(instance, decaySeconds, limit);
  if (peak > limit) {
    char why[160];
    std::snprintf(why, sizeof why, "the output peaks at %.6f %.0f s after the notes were released (silence: %.6f)",
                  peak, decaySeconds, limit);
    return CheckResult::fail(why);
  }
  return CheckResult::pass();
}

}  // namespace

std::vector<Check> processChecks() {
  return {{"process.22050", processRate<22050>},   {"process.44100", processRate<44100>},
          {"process.48000", processRate<48000>},   {"process.88200", processRate<88200>},
          {"process.96000", processRate<96000>},   {"process.192000", processRate<192000>},
          {"process.denormal", denormalTail},      {"suspend-resume", suspendResume}};
}

}  // namespace qhost
