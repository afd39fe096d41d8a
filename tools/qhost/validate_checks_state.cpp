// Automation while processing (between blocks and from a second thread at once), the
// chunk round trip between instances, chunks that are garbage, truncated or huge, and the
// real-time safety of processEvents and processReplacing.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <random>
#include <thread>

#include "alloc_hooks.h"
#include "validate.h"

namespace qhost {
namespace {

constexpr double kRate = 44100;
constexpr int32_t kBlock = 256;

CheckResult automation(const ValidateContext& ctx) {
  Instance instance;
  CheckResult result;
  if (!startOrFail(instance, ctx, kRate, kBlock, result)) return result;
  AEffect* e = instance.effect();
  if (e->numParams == 0) return CheckResult::skipped("the plug-in has no parameters");
  instance.inputLevel = 0.25f;
  std::atomic<bool> running{true};
  std::atomic<bool> badRead{false};
  std::thread other([&] {
    std::mt19937 random(3);
    while (running.load()) {
      const auto index = static_cast<int32_t>(random() % static_cast<uint32_t>(e->numParams));
      e->setParameter(e, index, static_cast<float>(random() % 1001) / 1000.0f);
      const float v = e->getParameter(e, index);
      if (!std::isfinite(v) || v < 0 || v > 1) badRead = true;
    }
  });
  std::mt19937 random(5);
  const int blocks = static_cast<int>(ctx.scaled(1, 3, 10) * kRate / kBlock);
  int64_t bad = 0;
  for (int i = 0; i < blocks && bad == 0; ++i) {
    for (int k = 0; k < 4; ++k)
      e->setParameter(e, static_cast<int32_t>(random() % static_cast<uint32_t>(e->numParams)),
                      static_cast<float>(random() % 1001) / 1000.0f);
    instance.process(kBlock, i % 100 == 0 ? chord(ctx) : std::vector<MidiMessage>{});
    bad = nonFinite(instance, kBlock);
  }
  running = false;
  other.join();
  if (bad > 0) return CheckResult::fail("non-finite output while parameters change");
  if (badRead) return CheckResult::fail("getParameter gave a value outside 0..1 while processing");
  return CheckResult::pass();
}

void setChunk(const Instance& instance, std::vector<unsigned char> chunk) {
  instance.dispatch(effSetChunk, 0, static_cast<intptr_t>(chunk.size()), chunk.data());
}

// A few characters around byte `at` of both chunks, to show where they part.
std::string chunkDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  auto excerpt = [&](const std::vector<unsigned char>& c) {
    std::string s;
    for (size_t i = at > 20 ? at - 20 : 0; i < std::min(c.size(), at + 20); ++i)
      s += c[i] >= 32 && c[i] < 127 ? static_cast<char>(c[i]) : '.';
    return s;
  };
  return "from byte " + std::to_string(at) + ": '" + excerpt(a) + "' / '" + excerpt(b) + "'";
}

CheckResult chunkRoundTrip(const ValidateContext& ctx) {
  if (!ctx.chunks) return CheckResult::skipped("programs are not chunks");
  Instance first, second;
  CheckResult result;
  if (!startOrFail(first, ctx, kRate, kBlock, result) || !startOrFail(second, ctx, kRate, kBlock, result))
    return result;
  AEffect* e = first.effect();
  std::mt19937 random(9);
  for (int32_t i = 0; i < e->numParams; ++i) e->setParameter(e, i, static_cast<float>(random() % 1001) / 1000.0f);
  const std::vector<unsigned char> saved = getChunk(first);
  if (saved.empty()) return CheckResult::fail("getChunk gave no chunk");
  setChunk(second, saved);
  const std::vector<unsigned char> again = getChunk(second);
  if (again != saved) return CheckResult::fail("a fresh instance's chunk differs " + chunkDifference(saved, again));
  // A plug-in may keep host-only parameters (a bypass switch, say) out of its chunk: those
  // the fresh instance does not take from the chunk are set alike in both, and named.
  std::string notCarried;
  for (int32_t i = 0; i < e->numParams; ++i) {
    const float carried = second.effect()->getParameter(second.effect(), i);
    if (e->getParameter(e, i) == carried) continue;
    e->setParameter(e, i, carried);
    notCarried += (notCarried.empty() ? "" : ", ") + std::to_string(i);
  }
  if (!notCarried.empty()) std::printf("  not carried by the chunk: parameter %s\n", notCarried.c_str());
  // Both instances hold the state through the chunk: the one that made it loads it too.
  setChunk(first, saved);
  std::vector<float> out[2];
  Instance* instances[2] = {&first, &second};
  const auto frames = static_cast<int64_t>(ctx.scaled(1, 2, 4) * kRate / 2);
  for (int k = 0; k < 2; ++k)
    onFreshThread([&] {
      Instance& instance = *instances[k];
      instance.process(kBlock, chord(ctx));
      instance.render(frames, &out[k]);
      instance.process(kBlock, releaseEverything());
      instance.render(frames, &out[k]);
    });
  for (size_t i = 0; i < out[0].size(); ++i)
    if (out[0][i] != out[1][i]) {
      char why[160];
      std::snprintf(why, sizeof why, "the two instances render differently from sample %zu (%g / %g)", i,
                    static_cast<double>(out[0][i]), static_cast<double>(out[1][i]));
      return CheckResult::fail(why);
    }
  return CheckResult::pass();
}

CheckResult badChunks(const ValidateContext& ctx) {
  if (!ctx.chunks) return CheckResult::skipped("programs are not chunks");
  Instance instance;
  CheckResult result;
  if (!startOrFail(instance, ctx, kRate, kBlock, result)) return result;
  const std::vector<unsigned char> good = getChunk(instance);
  std::mt19937 random(13);
  auto garbage = [&](size_t size) {
    std::vector<unsigned char> g(size);
    for (auto& c : g) c = static_cast<unsigned char>(random());
    return g;
  };
  const struct {
    const char* what;
    std::vector<unsigned char> chunk;
  } kChunks[] = {
      {"random bytes", garbage(4096)},
      {"half a chunk", {good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2)}},
      {"one byte", {good.begin(), good.begin() + std::min<std::ptrdiff_t>(1, static_cast<std::ptrdiff_t>(good.size()))}},
      {"a chunk with random bytes after it", [&] {
         auto c = good;
         const auto tail = garbage(1000);
         c.insert(c.end(), tail.begin(), tail.end());
         return c;
       }()},
      {"10 MB of random bytes", garbage(10 << 20)},
      {"10 MB of one text line", std::vector<unsigned char>(10 << 20, 'x')},
  };
  for (const auto& c : kChunks) {
    setChunk(instance, c.chunk);
    instance.inputLevel = 0.25f;
    instance.process(kBlock, chord(ctx));
    if (instance.render(static_cast<int64_t>(kRate / 4)) + nonFinite(instance, kBlock) > 0)
      return CheckResult::fail(std::string("non-finite output after a chunk of ") + c.what);
    instance.process(kBlock, releaseEverything());
  }
  return CheckResult::pass();
}

CheckResult realtime(const ValidateContext& ctx) {
  std::string why;
  if (!realtimeWatchAvailable(why)) return CheckResult::skipped(why);
  Instance instance;
  CheckResult result;
  if (!startOrFail(instance, ctx, kRate, kBlock, result)) return result;
  AEffect* e = instance.effect();
  instance.inputLevel = 0.25f;
  std::mt19937 random(17);
  // The same traffic warms up (lazy set-up on the first calls of a thread is allowed) and
  // is then watched.
  const int blocks = static_cast<int>(ctx.scaled(1, 2, 5) * kRate / kBlock);
  RealtimeCounts counts;
  for (int pass = 0; pass < 2; ++pass) {
    resetRealtimeCounts();
    instance.watchRealtime = pass == 1;
    for (int i = 0; i < blocks; ++i) {
      std::vector<MidiMessage> events;
      if (ctx.takesMidi) {
        const int key = 36 + static_cast<int>(random() % 48);
        events = {noteOn(0, key, 100, 3), controller(0, 1, i % 128, 9), pitchBend(0, (i * 97) % 16384, 17),
                  noteOff(0, key, kBlock - 1)};
        if (i % 200 == 100) events.push_back(programChange(0, 0, 30));
      }
      if (e->numParams > 0)
        e->setParameter(e, static_cast<int32_t>(random() % static_cast<uint32_t>(e->numParams)),
                        static_cast<float>(random() % 1001) / 1000.0f);
      instance.process(kBlock, events);
    }
    counts = realtimeCounts();
  }
  instance.watchRealtime = false;
  if (counts.allocations + counts.locks + counts.files == 0) return CheckResult::pass();
  char text[200];
  std::snprintf(text, sizeof text,
                "%ld heap allocations, %ld mutex locks and %ld file opens inside processEvents and "
                "processReplacing over %d blocks",
                counts.allocations, counts.locks, counts.files, blocks);
  return CheckResult::fail(text);
}

}  // namespace

std::vector<Check> stateChecks() {
  return {{"params.automation", automation}, {"state.chunk", chunkRoundTrip}, {"state.bad-chunks", badChunks}};
}

std::vector<Check> realtimeChecks() { return {{"realtime", realtime}}; }

}  // namespace qhost
