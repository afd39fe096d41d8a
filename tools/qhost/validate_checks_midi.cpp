// MIDI input: note storms, every key on every channel, controllers, pitch bend extremes,
// program changes, events at a block's last frame, more events in one block than a
// 512-event ring holds, and no note left sounding after note offs or all-notes-off.
// Skipped for an effect that declares no event support.
#include <algorithm>
#include <cstdio>
#include <random>

#include "validate.h"

namespace qhost {
namespace {

constexpr double kRate = 44100;
constexpr int32_t kBlock = 256;

// Runs `feed` on a fresh instance: it returns the events of block `index` (empty when there
// are none), for `blocks` blocks. Fails on non-finite output.
template <typename Feed>
CheckResult play(const ValidateContext& ctx, int blocks, Feed feed) {
  if (!ctx.takesMidi) return CheckResult::skipped("the plug-in declares no event support");
  Instance instance;
  CheckResult result;
  if (!startOrFail(instance, ctx, kRate, kBlock, result)) return result;
  for (int i = 0; i < blocks; ++i) {
    instance.process(kBlock, feed(i));
    if (const int64_t bad = nonFinite(instance, kBlock); bad > 0)
      return CheckResult::fail(std::to_string(bad) + " non-finite samples in block " + std::to_string(i));
  }
  instance.process(kBlock, releaseEverything());
  if (instance.render(static_cast<int64_t>(kRate / 2)) > 0)
    return CheckResult::fail("non-finite samples after all notes were released");
  return CheckResult::pass();
}

CheckResult storm(const ValidateContext& ctx) {
  std::mt19937 random(11);
  const int blocks = ctx.scaled(200, 600, 2000);
  return play(ctx, blocks, [&](int i) {
    std::vector<MidiMessage> events;
    if (i % 50 == 0) {  // every key on every channel, released 10 blocks on
      for (int channel = 0; channel < 16; ++channel)
        for (int key = 0; key < 128; ++key) events.push_back(noteOn(channel, key, 1 + (key % 127)));
    } else if (i % 50 == 10) {
      for (int channel = 0; channel < 16; ++channel)
        for (int key = 0; key < 128; ++key) events.push_back(noteOff(channel, key));
    } else {
      for (int k = 0; k < 32; ++k) {
        const int channel = static_cast<int>(random() % 16), key = static_cast<int>(random() % 128);
        const auto frame = static_cast<int32_t>(k * kBlock / 32);
        events.push_back(random() % 2 ? noteOn(channel, key, 1 + static_cast<int>(random() % 127), frame)
                                      : noteOff(channel, key, frame));
      }
    }
    return events;
  });
}

CheckResult controllers(const ValidateContext& ctx) {
  const int rounds = ctx.scaled(1, 2, 4);
  return play(ctx, 128 * rounds + 10, [&](int i) {
    std::vector<MidiMessage> events;
    if (i == 0) events = chord(ctx);
    const int number = i % 128;
    if (i < 128 * rounds) {
      for (int channel = 0; channel < 16; ++channel) {
        for (int value : {0, 127, 64}) events.push_back(controller(channel, number, value, value));
        for (int bend : {0, 16383, 8192}) events.push_back(pitchBend(channel, bend, 100 + bend / 1024));
      }
    }
    return events;
  });
}

CheckResult programs(const ValidateContext& ctx) {
  // Every program number: the plug-in's own slots and empty ones beyond them.
  const int blocksPer = ctx.scaled(2, 8, 20);
  return play(ctx, 128 * blocksPer, [&](int i) {
    std::vector<MidiMessage> events;
    if (i % blocksPer == 0) {
      events.push_back(programChange(0, i / blocksPer));
      events.push_back(noteOn(0, 60, 100, 1));
    } else if (i % blocksPer == blocksPer - 1) {
      events.push_back(noteOff(0, 60));
    }
    return events;
  });
}

CheckResult lastFrame(const ValidateContext& ctx) {
  return play(ctx, ctx.scaled(100, 300, 1000), [&](int i) {
    const int32_t last = kBlock - 1;
    const int key = 36 + (i / 2) % 60;
    std::vector<MidiMessage> events;
    events.push_back(i % 2 ? noteOff(0, key - 1, last) : noteOn(0, key, 100, last));
    events.push_back(controller(0, 1, i % 128, last));
    return events;
  });
}

CheckResult overflow(const ValidateContext& ctx) {
  // 2048 messages in one record: four times a 512-event ring.
  return play(ctx, ctx.scaled(20, 60, 200), [&](int i) {
    std::vector<MidiMessage> events;
    if (i % 10 != 0) return events;
    for (int k = 0; k < 1024; ++k) {
      const int channel = k % 16, key = (k * 7) % 128;
      const auto frame = static_cast<int32_t>(k * kBlock / 1024);
      events.push_back(noteOn(channel, key, 100, frame));
      events.push_back(k % 3 ? noteOff(channel, key, frame) : controller(channel, 1, k % 128, frame));
    }
    return events;
  });
}

// Holds notes on every channel (sustain pedal down, wheel bent) and releases them with
// `release`; the output must fall to silence.
std::string stuckAfter(const ValidateContext& ctx, const char* how, const std::vector<MidiMessage>& release,
                       double limit) {
  Instance instance;
  std::string error;
  if (!instance.start(ctx.path, kRate, kBlock, error)) return "cannot start an instance: " + error;
  std::vector<MidiMessage> hold;
  for (int channel = 0; channel < 16; ++channel) {
    hold.push_back(pitchBend(channel, 16383));
    for (int key = 24; key < 108; key += 5) hold.push_back(noteOn(channel, key, 110));
  }
  instance.process(kBlock, hold);
  const double held = instance.peak(static_cast<int64_t>(kRate / 2));
  if (held <= limit) {
    char why[160];
    std::snprintf(why, sizeof why, "the held notes make no sound (peak %.6f), so a note left sounding cannot be told",
                  held);
    return why;
  }
  instance.process(kBlock, release);
  const double seconds = ctx.scaled(5, 10, 20);
  const double peak = decayPeak(instance, seconds, limit);
  if (peak <= limit) return {};
  char why[200];
  std::snprintf(why, sizeof why, "after %s the output still peaks at %.6f %.0f s later (silence: %.6f)", how,
                peak, seconds, limit);
  return why;
}

CheckResult stuckNotes(const ValidateContext& ctx) {
  if (!ctx.takesMidi) return CheckResult::skipped("the plug-in declares no event support");
  const double limit = std::max(1e-4, 2 * restingPeak(ctx.path, kRate, kBlock, ctx.scaled(5, 10, 20) + 1));
  std::vector<MidiMessage> offs, allOff;
  for (int channel = 0; channel < 16; ++channel) {
    for (int key = 24; key < 108; key += 5) offs.push_back(noteOff(channel, key));
    offs.push_back(pitchBend(channel, 8192));
    allOff.push_back(controller(channel, 123, 0));
    allOff.push_back(pitchBend(channel, 8192));
  }
  if (std::string why = stuckAfter(ctx, "note offs", offs, limit); !why.empty()) return CheckResult::fail(why);
  if (std::string why = stuckAfter(ctx, "all-notes-off", allOff, limit); !why.empty()) return CheckResult::fail(why);
  return CheckResult::pass();
}

}  // namespace

std::vector<Check> midiChecks() {
  return {{"midi.storm", storm},         {"midi.controllers", controllers}, {"midi.programs", programs},
          {"midi.last-frame", lastFrame}, {"midi.overflow", overflow},       {"midi.stuck-notes", stuckNotes}};
}

}  // namespace qhost
