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

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define QHOST_LEAK_CHECK 1
#endif

#include "buffers.h"
#include "commands.h"
#include "edit_script.h"
#include "events.h"
#include "host.h"
#include "plugin.h"
#include "platform/headless_gui.h"
#include "platform/host_frame.h"
#include "platform/textfile.h"

namespace qhost {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kIdlePeriod = std::chrono::milliseconds(15);

int fail(const std::string& message) {
  std::fprintf(stderr, "error: %s\n", message.c_str());
  return 1;
}

// The host's window the editor opens in (a top-level window on Windows, the headless host
// window on Linux), the way input and paints reach the editor's window inside it, and the
// screenshot of what the screen shows there.
class EditorHost {
 public:
  explicit EditorHost(const ERect& rect)
      : frame_(platform::HostFrame::create("qhost edit", rect.right - rect.left, rect.bottom - rect.top, {100, 100})) {}
  bool valid() const { return frame_ != nullptr; }
  void* parent() { return frame_->parentHandle(); }
  // Whether an editor window is in the frame (known headless only; Windows answers true).
  bool attached() const {
#if defined(_WIN32)
    return true;
#else
    return static_cast<platform::headless::HostWindow*>(frame_->parentHandle())->child != nullptr;
#endif
  }
  // False when the event cannot be given on this platform.
  bool play(const ScriptEvent& e) {
    using Kind = platform::FrameInput::Kind;
    static constexpr Kind kKinds[] = {Kind::MouseDown, Kind::MouseMove, Kind::MouseUp, Kind::Key, Kind::Text, Kind::MenuAnswer};
    platform::FrameInput in;
    in.kind = kKinds[static_cast<int>(e.kind)];
    in.point = {static_cast<int16_t>(e.x), static_cast<int16_t>(e.y)};
    in.modifiers = {e.shift, e.control, e.alt};
    in.code = e.code;
    in.text = e.text;
    return frame_->sendInput(in);
  }
  // What the system does after the editor invalidated part of its window.
  void pump() { frame_->pump(); }
  bool screenshot(const std::string& path) const {
    const std::unique_ptr<platform::Bitmap> shown = frame_->captureClient();
    if (!shown) return false;
#if defined(_WIN32)
    return platform::writeBmp(*shown, path);
#else
    return platform::headless::savePng(*shown, path);
#endif
  }

 private:
  std::unique_ptr<platform::HostFrame> frame_;
};

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t m = v.size() / 2;
  return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

// The left output kept by the audio thread in storage sized before it starts, and after the
// run its level per window of a fixed length: RMS, rising zero crossings per second and the
// pitch found by autocorrelation.
class Levels {
 public:
  Levels(double step, double seconds, double rate)
      : step_(step), rate_(rate), window_(step > 0 ? std::max<int64_t>(1, std::llround(step * rate)) : 0) {
    if (step > 0) samples_.resize(static_cast<size_t>(std::ceil(seconds * rate)));
  }
  void add(int64_t pos, const float* left, int32_t n) {
    for (int32_t i = 0; i < n && static_cast<size_t>(pos + i) < samples_.size(); ++i)
      samples_[static_cast<size_t>(pos + i)] = left[i];
    kept_.store(std::max<int64_t>(kept_.load(std::memory_order_relaxed), pos + n), std::memory_order_release);
  }
  // Times are counted from this frame on (the frame playing when the script starts).
  void setOrigin(int64_t frame) { origin_ = frame; }
  // "level T: rms R crossings C pitch P" for every whole window the audio thread filled.
  void print() const {
    const int64_t kept = std::min<int64_t>(kept_.load(std::memory_order_acquire), static_cast<int64_t>(samples_.size()));
    for (int64_t start = origin_; window_ > 0 && start + window_ <= kept; start += window_) {
      const float* x = samples_.data() + start;
      double squares = 0;
      long crossings = 0;
      for (int64_t i = 0; i < window_; ++i) {
        squares += static_cast<double>(x[i]) * x[i];
        crossings += i > 0 && x[i - 1] < 0.0f && x[i] >= 0.0f;
      }
      std::printf("level %.2f: rms %.6f crossings %.0f pitch %.1f\n", static_cast<double>(start - origin_) / rate_,
                  std::sqrt(squares / static_cast<double>(window_)), static_cast<double>(crossings) / step_,
                  pitch(x, window_));
    }
  }

 private:
  // The first autocorrelation peak past the first dip that comes near the highest one, over
  // the window's second half; 0 when none (lags down to 30 Hz).
  double pitch(const float* x, int64_t n) const {
    const int64_t maxLag = std::min<int64_t>(static_cast<int64_t>(rate_ / 30.0), n / 2 - 1), from = n / 2 - maxLag;
    if (maxLag < 4 || from < 0) return 0.0;
    std::vector<double> corr(static_cast<size_t>(maxLag + 1));
    for (int64_t lag = 0; lag <= maxLag; ++lag)
      for (int64_t i = from; i < from + n / 2 - maxLag; ++i) corr[static_cast<size_t>(lag)] += static_cast<double>(x[i]) * x[i + lag];
    size_t start = 1;
    while (start < corr.size() && corr[start] > 0) ++start;
    if (start + 2 >= corr.size()) return 0.0;
    const double highest = *std::max_element(corr.begin() + static_cast<long>(start), corr.end());
    if (!(highest > 0.0)) return 0.0;  // silence
    for (size_t lag = start + 1; lag + 1 < corr.size(); ++lag)
      if (corr[lag] >= 0.9 * highest && corr[lag] >= corr[lag - 1] && corr[lag] >= corr[lag + 1])
        return rate_ / static_cast<double>(lag);
    return 0.0;
  }

  double step_, rate_;
  int64_t window_;
  int64_t origin_ = 0;
  std::vector<float> samples_;
  std::atomic<int64_t> kept_{0};
};

// Calls processReplacing block by block, each block no earlier than its time, with the
// scheduled MIDI, until told to stop.
class AudioThread {
 public:
  AudioThread(const Plugin& plugin, const RenderOptions& options, double rate, Levels& levels)
      : plugin_(plugin), rate_(rate), block_(options.block),
        schedule_(buildSchedule(options, rate, std::max<int64_t>(1, std::llround(options.seconds * rate)))),
        levels_(levels), start_(Clock::now()), thread_([this] { run(); }) {}
  ~AudioThread() { stop(); }
  void stop() {
    stop_.store(true);
    if (thread_.joinable()) thread_.join();
  }
  long blocks() const { return blocks_.load(); }
  // The frame the audio thread's schedule plays at wall time t (it catches up on a late start).
  int64_t frameAt(Clock::time_point t) const {
    return std::max<int64_t>(0, std::llround(std::chrono::duration<double>(t - start_).count() * rate_));
  }

 private:
  void run() {
    AEffect* e = plugin_.effect();
    const bool replacing = (e->flags & effFlagsCanReplacing) && e->processReplacing;
    Buffers buffers(e->numInputs, e->numOutputs, block_);
    EventBlock events(schedule_.size());
    HostState& host = hostState();
    size_t next = 0;
    const Clock::time_point start = start_;
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
      if (!buffers.out.empty()) levels_.add(pos, buffers.out[0].data(), block_);
      blocks_.fetch_add(1);
    }
  }

  const Plugin& plugin_;
  double rate_;
  int32_t block_;
  std::vector<ScheduledEvent> schedule_;
  Levels& levels_;
  Clock::time_point start_;
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
    if (!platform::readTextFile(options.events, text)) return fail("cannot read " + options.events);
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

  // Open and close first, as often as asked, in one host window: each time the editor's
  // window must go with it.
  int windowsLeft = 0;
  if (options.cycles > 0) {
    EditorHost cycle(*rect);
    if (!cycle.valid()) return fail("cannot make the host's window");
    for (int i = 0; i < options.cycles; ++i) {
      plugin.dispatch(effEditOpen, 0, 0, cycle.parent());
      plugin.dispatch(effEditIdle);
      cycle.pump();
      plugin.dispatch(effEditClose);
      cycle.pump();
      if (cycle.attached()) ++windowsLeft;
    }
  }
  if (options.cycles > 0) std::printf("cycles: %d\n", options.cycles);
#if !defined(_WIN32)
  if (options.cycles > 0) std::printf("editorWindowsLeft: %d\n", windowsLeft);
#endif

  const double end = std::max(audio.seconds, script.empty() ? 0.0 : script.back().time);
  host.playing = true;
  Levels levels(options.levelStep, end + 3.0, audio.rate);  // room for a slow opening
  AudioThread audioThread(plugin, audio, audio.rate, levels);
  host.recordingThread = std::this_thread::get_id();
  host.recordAutomations = true;
  const long begun = host.beginEditCalls, ended = host.endEditCalls;

  EditorHost window(*rect);
  if (!window.valid()) return fail("cannot make the host's window");
  const Clock::time_point opening = Clock::now();
  if (plugin.dispatch(effEditOpen, 0, 0, window.parent()) == 0 || !window.attached()) {
    host.recordAutomations = false;
    plugin.dispatch(effEditClose);
    return fail("the editor did not open a window in the host's window");
  }
  std::vector<double> idleTimes;
  size_t nextEvent = 0;
  int unplayed = 0;
  double openSeconds = 0.0;
  const Clock::time_point t0 = Clock::now();
  levels.setOrigin(audioThread.frameAt(t0));
  for (long tick = 1;; ++tick) {
    const double t = std::chrono::duration<double>(Clock::now() - t0).count();
    for (; nextEvent < script.size() && script[nextEvent].time <= t; ++nextEvent)
      if (!window.play(script[nextEvent])) ++unplayed;
    idleTimes.push_back(timedIdle(plugin));
    window.pump();
    // Opening as the user waits for it: the open call, the first idle and its paint.
    if (tick == 1) openSeconds = std::chrono::duration<double>(Clock::now() - opening).count();
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
#if defined(QHOST_LEAK_CHECK)
  // The editors opened are closed: what they allocated must be gone. Checked while the
  // library is loaded, so what it keeps for its lifetime (font and drawing caches) is still
  // reachable and not taken for a leak when it unloads.
  std::fflush(stdout);
  __lsan_do_leak_check();
#endif
  plugin.close();

  for (const auto& [index, value] : host.automations) std::printf("automate: %d %.6f\n", index, value);
  std::printf("automateCalls: %zu\n", host.automations.size());
  std::printf("beginEdit: %ld\nendEdit: %ld\n", host.beginEditCalls - begun, host.endEditCalls - ended);
  std::printf("audioBlocks: %ld\n", audioThread.blocks());
  std::printf("idleCalls: %zu\n", idleTimes.size());
  std::printf("openMs: %.1f\n", openSeconds * 1000.0);
  std::printf("idleMedianUs: %.1f\n", median(idleTimes));
  std::printf("idleMaxUs: %.1f\n", idleTimes.empty() ? 0.0 : *std::max_element(idleTimes.begin(), idleTimes.end()));
  if (unplayed > 0) std::printf("eventsNotPlayed: %d\n", unplayed);
  levels.print();
  return status;
}

}  // namespace qhost
