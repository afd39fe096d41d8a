// A parameter burst as a busy host makes one: while one thread processes blocks with notes
// held, another sets every parameter as fast as it can. The blocks must keep their cost and
// real-time pace, and once the burst ends the plug-in must hold the last values set, as an
// instance given them directly does.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <random>
#include <thread>

#include "validate.h"

namespace qhost {
namespace {

constexpr double kRate = 44100;
constexpr int32_t kBlock = 256;
constexpr double kBudget = kBlock / kRate;  // the real-time length of one block
// A burst block may cost this many times a quiet block (99th percentiles), plus the floor
// for plug-ins whose quiet block costs next to nothing: a block that takes up every
// parameter once costs a few times a quiet one; one that follows another thread's pace
// costs thousands of times.
constexpr double kFactor = 6.0, kFloor = 100e-6;
// Seconds of processor time the calling thread has used, where the system can tell it (a
// block's cost then leaves out time the thread spent preempted); otherwise wall time.
double threadSeconds() {
#if defined(_WIN32)
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
#else
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
#endif
}

double wallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct BlockTimes {
  std::vector<double> cost;  // per block
  double wall = 0;           // all blocks together
};

void timeBlocks(Instance& instance, int count, BlockTimes& times) {
  const double start = wallSeconds();
  for (int i = 0; i < count; ++i) {
    const double t0 = threadSeconds();
    instance.process(kBlock);
    times.cost.push_back(threadSeconds() - t0);
  }
  times.wall += wallSeconds() - start;
}

// Sets every parameter to a random value; small values too, which name the low steps of a
// plug-in's stepped parameters (a cord's jack, say).
void setRandomValues(AEffect* e, std::mt19937& random) {
  for (int32_t i = 0; i < e->numParams; ++i) {
    const uint32_t pick = random();
    e->setParameter(e, i, (pick & 1) ? static_cast<float>(pick % 1001) / 1000.0f : static_cast<float>(pick % 90) / 1000.0f);
  }
}

double percentile99(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, v.size() * 99 / 100)];
}

CheckResult parameterBurst(const ValidateContext& ctx) {
  Instance burst, reference;
  CheckResult result;
  if (!startOrFail(burst, ctx, kRate, kBlock, result) || !startOrFail(reference, ctx, kRate, kBlock, result))
    return result;
  AEffect* e = burst.effect();
  AEffect* r = reference.effect();
  if (e->numParams == 0) return CheckResult::skipped("the plug-in has no parameters");
  // The values the burst ends on: those a fresh instance starts with.
  std::vector<float> last(static_cast<size_t>(e->numParams));
  for (int32_t i = 0; i < e->numParams; ++i) last[static_cast<size_t>(i)] = r->getParameter(r, i);

  burst.inputLevel = 0.25f;
  const std::vector<MidiMessage> held =
      ctx.takesMidi ? std::vector<MidiMessage>{noteOn(0, 48, 100), noteOn(0, 55, 90)} : std::vector<MidiMessage>{};
  burst.process(kBlock, held);
  burst.render(static_cast<int64_t>(kRate / 4));
  const int blocks = ctx.scaled(200, 600, 2000);
  // Quiet blocks: the sound of random settings costs what it costs (more voices, say), so
  // the quiet blocks visit such settings too, each set between blocks and left to settle.
  constexpr int kSettings = 10;
  BlockTimes quiet, loud;
  std::mt19937 random(7);
  for (int k = 0; k < kSettings; ++k) {
    setRandomValues(e, random);
    burst.render(2 * kBlock);
    timeBlocks(burst, blocks / kSettings, quiet);
  }

  std::atomic<bool> running{true};
  std::atomic<int> passes{0};
  std::thread setter([&] {
    std::mt19937 random(11);
    while (running.load(std::memory_order_relaxed)) {
      setRandomValues(e, random);
      passes.fetch_add(1, std::memory_order_relaxed);
    }
    for (int32_t i = 0; i < e->numParams; ++i) e->setParameter(e, i, last[static_cast<size_t>(i)]);
  });
  while (passes.load(std::memory_order_relaxed) == 0) std::this_thread::yield();
  timeBlocks(burst, blocks, loud);
  running = false;
  setter.join();
  const int setPasses = passes.load();

  const double quiet99 = percentile99(quiet.cost), loud99 = percentile99(loud.cost);
  std::fprintf(stderr, "  params.burst: %d blocks, 99th percentile %.1f us quiet, %.1f us while %d passes set "
               "every parameter; %.3f s of blocks took %.3f s\n",
               blocks, quiet99 * 1e6, loud99 * 1e6, setPasses, blocks * kBudget, loud.wall);
  char why[200];
  if (loud99 > kFactor * quiet99 + kFloor || loud99 > kBudget) {
    std::snprintf(why, sizeof why, "99%% of the blocks cost up to %.1f us while parameters change, %.1f us "
                  "without (a block lasts %.1f us)", loud99 * 1e6, quiet99 * 1e6, kBudget * 1e6);
    return CheckResult::fail(why);
  }
  if (loud.wall > blocks * kBudget) {
    std::snprintf(why, sizeof why, "%d blocks (%.3f s of sound) took %.3f s while parameters change", blocks,
                  blocks * kBudget, loud.wall);
    return CheckResult::fail(why);
  }
  // A fresh instance given the last values reads them back as the burst instance must.
  for (int32_t i = 0; i < e->numParams; ++i) r->setParameter(r, i, last[static_cast<size_t>(i)]);
  for (int32_t i = 0; i < e->numParams; ++i)
    if (e->getParameter(e, i) != r->getParameter(r, i)) {
      std::snprintf(why, sizeof why, "after the burst parameter %d reads %g, set last to %g", i,
                    static_cast<double>(e->getParameter(e, i)), static_cast<double>(r->getParameter(r, i)));
      return CheckResult::fail(why);
    }
  // Where programs are chunks, both instances hand out the same state.
  if (ctx.chunks) {
    const std::vector<unsigned char> afterBurst = getChunk(burst), given = getChunk(reference);
    if (afterBurst != given)
      return CheckResult::fail("after the burst the chunk differs from that of an instance given the last values");
  }
  return CheckResult::pass();
}

}  // namespace

std::vector<Check> burstChecks() { return {{"params.burst", parameterBurst}}; }

}  // namespace qhost
