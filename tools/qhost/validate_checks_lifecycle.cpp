// The lifecycle: open and close many times, and two instances alive at once.
#include <algorithm>
#include <cmath>

#include "validate.h"

namespace qhost {
namespace {

CheckResult openClose(const ValidateContext& ctx) {
  const int cycles = ctx.scaled(10, 50, 200);
  // Cold: the library is loaded and unloaded each time. Warm: another instance keeps it.
  for (int warm = 0; warm < 2; ++warm) {
    Instance keeper;
    CheckResult result;
    if (warm && !startOrFail(keeper, ctx, 44100, 512, result)) return result;
    for (int i = 0; i < cycles; ++i) {
      Instance instance;
      if (!startOrFail(instance, ctx, 44100, 512, result)) return result;
      instance.inputLevel = 0.25f;
      instance.process(512, chord(ctx));
      if (nonFinite(instance, 512) > 0)
        return CheckResult::fail(std::string(warm ? "warm" : "cold") + " cycle " + std::to_string(i + 1) +
                                 ": non-finite output");
      instance.stop();
    }
  }
  return CheckResult::pass();
}

// Renders the chord (released halfway) and the quiet input block by block.
struct ChordRender {
  Instance& instance;
  const ValidateContext& ctx;
  int64_t total;
  int64_t pos = 0;
  std::vector<float> out;

  ChordRender(Instance& i, const ValidateContext& c, double seconds)
      : instance(i), ctx(c), total(static_cast<int64_t>(seconds * i.rate())) {
    instance.inputLevel = 0.25f;
  }
  bool done() const { return pos >= total; }
  void step() {
    const auto n = static_cast<int32_t>(std::min<int64_t>(instance.maxBlock(), total - pos));
    std::vector<MidiMessage> events;
    if (pos == 0) events = chord(ctx);
    if (ctx.takesMidi && pos <= total / 2 && total / 2 < pos + n)
      for (int key : {48, 60, 67}) events.push_back(noteOff(0, key, static_cast<int32_t>(total / 2 - pos)));
    instance.process(n, events);
    for (int32_t i = 0; i < n; ++i)
      for (int32_t c = 0; c < instance.outputs(); ++c) out.push_back(instance.output(c)[i]);
    pos += n;
  }
};

CheckResult twoInstances(const ValidateContext& ctx) {
  const double rates[2] = {44100, 96000};
  const double seconds = 0.25 * ctx.level;
  std::vector<float> alone[2], together[2];
  std::string error[2];
  for (int k = 0; k < 2; ++k)
    onFreshThread([&] {
      Instance instance;
      if (!instance.start(ctx.path, rates[k], 256, error[k])) return;
      ChordRender render(instance, ctx, seconds);
      while (!render.done()) render.step();
      alone[k] = std::move(render.out);
    });
  onFreshThread([&] {
    Instance a, b;
    if (!a.start(ctx.path, rates[0], 256, error[0]) || !b.start(ctx.path, rates[1], 256, error[1])) return;
    // Block by block in turn, as a host's one audio thread serves two tracks.
    ChordRender ra(a, ctx, seconds), rb(b, ctx, seconds);
    while (!ra.done() || !rb.done()) {
      if (!ra.done()) ra.step();
      if (!rb.done()) rb.step();
    }
    together[0] = std::move(ra.out);
    together[1] = std::move(rb.out);
  });
  for (int k = 0; k < 2; ++k) {
    if (!error[k].empty()) return CheckResult::fail("cannot start an instance: " + error[k]);
    if (alone[k].size() != together[k].size()) return CheckResult::fail("render lengths differ");
    for (size_t i = 0; i < alone[k].size(); ++i)
      if (!(alone[k][i] == together[k][i]) && !(std::isnan(alone[k][i]) && std::isnan(together[k][i])))
        return CheckResult::fail("the instance at " + std::to_string(static_cast<int>(rates[k])) +
                                 " Hz renders differently beside another, from sample " + std::to_string(i));
  }
  return CheckResult::pass();
}

}  // namespace

std::vector<Check> lifecycleChecks() { return {{"open-close", openClose}, {"two-instances", twoInstances}}; }

}  // namespace qhost
