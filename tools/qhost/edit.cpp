// `qhost edit`: opens the plug-in's editor the way a DAW does while an audio thread calls
// processReplacing at real-time pace. The GUI thread asks effEditGetRect, opens the editor
// in a window of the host's, sends effEditIdle about every 15 ms and plays the event script
// on the editor's window; at the end it takes the screenshot and closes the editor before
// the plug-in. It prints the editor rectangle, every automation the editor caused, the
// begin/end-edit counts and the median and maximum time of an idle call.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "buffers.h"
#include "commands.h"
#include "edit_script.h"
#include "events.h"
#include "host.h"
#include "plugin.h"
#include "platform/headless_gui.h"

namespace qhost {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kIdlePeriod = std::chrono::milliseconds(15);

int fail(const std::string& message) {
  std::fprintf(stderr, "error: %s\n", message.c_str());
  return 1;
}

bool readText(const std::string& path, std::string& out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out.clear();
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

// The host's window the editor opens in, and the way input and paints reach the editor's
// window inside it.
class EditorHost {
 public:
  void* parent() { return &window_; }
  bool attached() const { return window_.child != nullptr; }
  void play(const ScriptEvent& e) {
    platform::headless::WindowDriver* w = window_.child;
    if (!w) return;
    const platform::Point p{static_cast<int16_t>(e.x), static_cast<int16_t>(e.y)};
    const platform::KeyModifiers m{e.shift, e.control, e.alt};
    switch (e.kind) {
      case ScriptEvent::Kind::Down: w->mouseDown(p, m); break;
      case ScriptEvent::Kind::Move: w->mouseMove(p, m); break;
      case ScriptEvent::Kind::Up: w->mouseUp(p, m); break;
      case ScriptEvent::Kind::Key: w->key(e.code, m); break;
      case ScriptEvent::Kind::Text: w->typeText(e.text); break;
      case ScriptEvent::Kind::Menu: w->queueMenuAnswer(e.code); break;
    }
  }
  // What the system does after the editor invalidated part of its window.
  void paint() {
    if (window_.child) window_.child->paint();
  }
  bool screenshot(const std::string& path) const { return window_.child && window_.child->saveScreenshot(path); }

 private:
  platform::headless::HostWindow window_;
};

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t m = v.size() / 2;
  return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

// Calls processReplacing block by block, each block no earlier than its time, with the
// scheduled MIDI, until told to stop.
class AudioThread {
 public:
  AudioThread(const Plugin& plugin, const RenderOptions& options, double rate)
      : plugin_(plugin), rate_(rate), block_(options.block),
        schedule_(buildSchedule(options, rate, std::max<int64_t>(1, std::llround(options.seconds * rate)))),
        thread_([this] { run(); }) {}
  ~AudioThread() { stop(); }
  void stop() {
    stop_.store(true);
    if (thread_.joinable()) thread_.join();
  }
  long blocks() const { return blocks_.load(); }

 private:
  void run() {
    AEffect* e = plugin_.effect();
    const bool replacing = (e->flags & effFlagsCanReplacing) && e->processReplacing;
    Buffers buffers(e->numInputs, e->numOutputs, block_);
    EventBlock events(schedule_.size());
    HostState& host = hostState();
    size_t next = 0;
    const Clock::time_point start = Clock::now();
    for (int64_t pos = 0; !stop_.load(); pos += block_) {
      std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(
                                                std::chrono::duration<double>(static_cast<double>(pos) / rate_)));
      host.samplePos = static_cast<double>(pos);
      if (VstEvents* block = events.fill(schedule_, next, pos, block_)) plugin_.dispatch(effProcessEvents, 0, 0, block);
      for (auto& c : buffers.out) std::fill(c.begin(), c.end(), 0.0f);
      if (replacing)
        e->processReplacing(e, buffers.inPointers.data(), buffers.outPointers.data(), block_);
      else
        e->process(e, buffers.inPointers.data(), buffers.outPointers.data(), block_);
      blocks_.fetch_add(1);
    }
  }

  const Plugin& plugin_;
  double rate_;
  int32_t block_;
  std::vector<ScheduledEvent> schedule_;
  std::atomic<bool> stop_{false};
  std::atomic<long> blocks_{0};
  std::thread thread_;
};

// One idle call, timed in microseconds.
double timedIdle(const Plugin& plugin) {
  const Clock::time_point a = Clock::now();
  plugin.dispatch(effEditIdle);
  return std::chrono::duration<double, std::micro>(Clock::now() - a).count();
}

}  // namespace

int runEdit(const EditOptions& options) {
  std::vector<ScriptEvent> script;
  if (!options.events.empty()) {
    std::string text, error;
    if (!readText(options.events, text)) return fail("cannot read " + options.events);
    if (!parseScript(text, script, error)) return fail(options.events + ": " + error);
  }

  const RenderOptions& audio = options.audio;
  HostState& host = hostState();
  host.sampleRate = audio.rate;
  host.blockSize = audio.block;
  Plugin plugin;
  std::string error;
  if (!startPlugin(plugin, audio, audio.rate, error)) return fail(error);
  if (!(plugin.effect()->flags & effFlagsHasEditor)) return fail("the effect declares no editor");

  ERect* rect = nullptr;
  if (plugin.dispatch(effEditGetRect, 0, 0, &rect) == 0 || !rect) return fail("the effect gave no editor rectangle");
  std::printf("editorRect: left %d top %d right %d bottom %d\n", rect->left, rect->top, rect->right, rect->bottom);

  // Open and close first, as often as asked: each time the editor's window must go with it.
  int windowsLeft = 0;
  for (int i = 0; i < options.cycles; ++i) {
    EditorHost cycle;
    plugin.dispatch(effEditOpen, 0, 0, cycle.parent());
    plugin.dispatch(effEditIdle);
    cycle.paint();
    plugin.dispatch(effEditClose);
    if (cycle.attached()) ++windowsLeft;
  }
  if (options.cycles > 0) std::printf("cycles: %d\neditorWindowsLeft: %d\n", options.cycles, windowsLeft);

  host.playing = true;
  AudioThread audioThread(plugin, audio, audio.rate);
  host.recordAutomations = true;
  const long begun = host.beginEditCalls, ended = host.endEditCalls;

  EditorHost window;
  if (plugin.dispatch(effEditOpen, 0, 0, window.parent()) == 0 || !window.attached()) {
    host.recordAutomations = false;
    plugin.dispatch(effEditClose);
    return fail("the editor did not open a window in the host's window");
  }
  const double end = std::max(audio.seconds, script.empty() ? 0.0 : script.back().time);
  std::vector<double> idleTimes;
  size_t nextEvent = 0;
  const Clock::time_point t0 = Clock::now();
  for (long tick = 1;; ++tick) {
    const double t = std::chrono::duration<double>(Clock::now() - t0).count();
    while (nextEvent < script.size() && script[nextEvent].time <= t) window.play(script[nextEvent++]);
    idleTimes.push_back(timedIdle(plugin));
    window.paint();
    if (t >= end && nextEvent >= script.size()) break;
    std::this_thread::sleep_until(t0 + tick * kIdlePeriod);
  }

  int status = 0;
  if (!options.screenshot.empty()) {
    if (window.screenshot(options.screenshot))
      std::printf("screenshot: %s\n", options.screenshot.c_str());
    else
      status = fail("cannot write the screenshot " + options.screenshot);
  }
  plugin.dispatch(effEditClose);
  host.recordAutomations = false;
  audioThread.stop();
  host.playing = false;
  plugin.dispatch(effStopProcess);
  plugin.dispatch(effMainsChanged, 0, 0);
  plugin.close();

  for (const auto& [index, value] : host.automations) std::printf("automate: %d %.6f\n", index, value);
  std::printf("automateCalls: %zu\n", host.automations.size());
  std::printf("beginEdit: %ld\nendEdit: %ld\n", host.beginEditCalls - begun, host.endEditCalls - ended);
  std::printf("audioBlocks: %ld\n", audioThread.blocks());
  std::printf("idleCalls: %zu\n", idleTimes.size());
  std::printf("idleMedianUs: %.1f\n", median(idleTimes));
  std::printf("idleMaxUs: %.1f\n", idleTimes.empty() ? 0.0 : *std::max_element(idleTimes.begin(), idleTimes.end()));
  if (window.attached()) std::printf("editorWindowsLeft: 1\n");
  return status;
}

}  // namespace qhost
