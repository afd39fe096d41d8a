// The editor group: the editor window driven as a host drives it, on this thread as the
// host's GUI thread, in a window of the host's (a real window on Windows, the headless host
// window natively). What the host can see is what is checked: the windows inside its own,
// the process's memory, the platform objects of the editor's library, the calls reported
// back, the sound, and the pixels the screen shows.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "host.h"
#include "platform/host_frame.h"
#include "validate.h"

namespace qhost {
namespace {

using Clock = std::chrono::steady_clock;
using Kind = platform::FrameInput::Kind;

constexpr int kPanelWidth = 1010, kPanelHeight = 623;
constexpr double kRate = 44100;
constexpr int32_t kBlock = 512;

// Places on the 1010 x 623 panel the checks press: a slider, a key of the panel keyboard,
// the button that opens a dialog with a text field, and the logo with its menu.
constexpr platform::Point kSliderPoint{560, 111};
constexpr platform::Point kKeyboardPoint{300, 600};
constexpr platform::Point kFieldPoint{438, 11};
constexpr platform::Point kLogoPoint{838, 396};
constexpr int kAboutItem = 1;  // the logo menu's item that opens the about box over the panel

// The host's window with an instance's editor in it.
class EditorFrame {
 public:
  explicit EditorFrame(Instance& instance)
      : instance_(instance),
        frame_(platform::HostFrame::create("qhost validate", kPanelWidth, kPanelHeight, {100, 100})) {}
  ~EditorFrame() { close(); }

  bool valid() const { return frame_ != nullptr; }
  platform::HostFrame& frame() { return *frame_; }
  // effEditOpen in the frame: true when the editor says so and a window is there.
  bool open() {
    open_ = instance_.dispatch(effEditOpen, 0, 0, frame_->parentHandle()) != 0;
    frame_->pump();
    return open_ && frame_->childWindowCount() > 0;
  }
  void close() {
    if (!open_) return;
    open_ = false;
    instance_.dispatch(effEditClose);
    frame_->pump();
  }
  // One idle call and the paint it leads to.
  void idle() {
    instance_.dispatch(effEditIdle);
    frame_->pump();
  }
  bool input(Kind kind, platform::Point p = {}, int code = 0) {
    platform::FrameInput in;
    in.kind = kind;
    in.point = p;
    in.code = code;
    return frame_->sendInput(in);
  }
  void click(platform::Point p) {
    input(Kind::MouseDown, p);
    input(Kind::MouseUp, p);
  }
  int windows() { return frame_->childWindowCount(); }

 private:
  Instance& instance_;
  std::unique_ptr<platform::HostFrame> frame_;
  bool open_ = false;
};

bool failWith(CheckResult& result, const std::string& why) {
  result = CheckResult::fail(why);
  return false;
}

// A started instance and its frame; false (with the reason in `result`) when either fails.
bool startWithFrame(Instance& instance, std::unique_ptr<EditorFrame>& frame, const ValidateContext& ctx,
                    CheckResult& result) {
  if (!startOrFail(instance, ctx, kRate, kBlock, result)) return false;
  frame = std::make_unique<EditorFrame>(instance);
  return frame->valid() || failWith(result, "cannot make the host's window");
}

bool openOrFail(EditorFrame& frame, const std::string& when, CheckResult& result) {
  return frame.open() || failWith(result, "the editor did not open a window " + when);
}

// The pixels the screen shows over the frame, or null.
std::unique_ptr<platform::Bitmap> shown(EditorFrame& frame) {
  frame.idle();
  frame.idle();
  return frame.frame().captureClient();
}

// The number of pixels that differ between two pictures of one size (all when they differ
// in size or one is missing).
long differingPixels(const platform::Bitmap* a, const platform::Bitmap* b) {
  if (!a || !b || a->width() != b->width() || a->height() != b->height()) return kPanelWidth * kPanelHeight;
  long n = 0;
  for (int y = 0; y < a->height(); ++y)
    for (int x = 0; x < a->width(); ++x) n += a->pixel(x, y) != b->pixel(x, y);
  return n;
}

// Whether the open editor shows what the plug-in holds: after the next idle its picture is
// the one an editor opened afresh on the same state draws. `what` names the change made.
bool showsPluginState(EditorFrame& frame, const std::string& what, CheckResult& result) {
  const std::unique_ptr<platform::Bitmap> before = shown(frame);
  if (!before) return failWith(result, "cannot read what the screen shows");
  frame.close();
  if (!openOrFail(frame, "again", result)) return false;
  const std::unique_ptr<platform::Bitmap> fresh = shown(frame);
  const long differ = differingPixels(before.get(), fresh.get());
  if (differ == 0) return true;
  // Both pictures for a look, where the developer asks for them.
  if (const char* folder = std::getenv("QHOST_VALIDATE_PICTURES")) {
    static int failures = 0;
    const std::string stem = std::string(folder) + "/editor-" + std::to_string(++failures);
    platform::writeBmp(*before, stem + "-open.bmp");
    if (fresh) platform::writeBmp(*fresh, stem + "-fresh.bmp");
  }
  return failWith(result, "after " + what + " the open editor differs from one opened afresh in " +
                              std::to_string(differ) + " pixels");
}

// A check of the editor of one started instance, in a frame of its own.
using EditorCheck = CheckResult (*)(const ValidateContext&, Instance&, EditorFrame&);

template <EditorCheck body>
CheckResult withEditor(const ValidateContext& ctx) {
  if (!ctx.editor) return CheckResult::skipped("the plug-in declares no editor");
  Instance instance;
  std::unique_ptr<EditorFrame> frame;
  CheckResult result;
  if (!startWithFrame(instance, frame, ctx, result)) return result;
  return body(ctx, instance, *frame);
}

CheckResult rect(const ValidateContext&, Instance& instance, EditorFrame& frame) {
  CheckResult result;
  for (const char* when : {"before open", "while open", "after close"}) {
    const std::string now = when;
    if (now == "while open" && !openOrFail(frame, "for the rectangle", result)) return result;
    if (now == "after close") frame.close();
    ERect* r = nullptr;
    if (instance.dispatch(effEditGetRect, 0, 0, &r) == 0 || !r) return CheckResult::fail("no rectangle " + now);
    const int w = r->right - r->left, h = r->bottom - r->top;
    if (w != kPanelWidth || h != kPanelHeight)
      return CheckResult::fail("the rectangle " + now + " is " + std::to_string(w) + " x " + std::to_string(h) +
                               ", not " + std::to_string(kPanelWidth) + " x " + std::to_string(kPanelHeight));
  }
  return CheckResult::pass();
}

CheckResult openClose(const ValidateContext&, Instance& instance, EditorFrame& frame) {
  constexpr int kWarm = 5, kCycles = 100;
  // Heap growth allowed over the cycles: a few caches filling up, never a leak per cycle.
  constexpr long long kAllowedGrowth = 1536 * 1024;
  CheckResult result;
  // Close and idle without an open editor.
  instance.dispatch(effEditClose);
  instance.dispatch(effEditIdle);
  instance.dispatch(effEditClose);

  long long memoryBefore = 0;
  platform::GuiHandleCounts first, last, systemBefore;
  for (int i = 0; i < kWarm + kCycles; ++i) {
    if (i == kWarm) {
      memoryBefore = platform::processMemoryInUse();
      systemBefore = platform::guiHandleCounts();
    }
    if (!openOrFail(frame, "in cycle " + std::to_string(i + 1), result)) return result;
    frame.idle();
    if (i == kWarm) frame.frame().editorObjectCounts(first);
    if (i == kWarm + kCycles - 1) frame.frame().editorObjectCounts(last);
    frame.close();
    if (const int left = frame.windows(); left > 0)
      return CheckResult::fail("cycle " + std::to_string(i + 1) + " left " + std::to_string(left) + " windows behind");
  }
  const long long grown = platform::processMemoryInUse() - memoryBefore;
  const platform::GuiHandleCounts systemAfter = platform::guiHandleCounts();
  std::printf("  editor.open-close: memory %+lld KB over %d cycles; library objects %ld GDI %ld USER open\n",
              grown / 1024, kCycles, last.ownGdi, last.ownUser);
  if (grown > kAllowedGrowth)
    return CheckResult::fail("memory grew by " + std::to_string(grown / 1024) + " KB over " + std::to_string(kCycles) +
                             " opens and closes");
  if (last.ownGdi > first.ownGdi || last.ownUser > first.ownUser)
    return CheckResult::fail("the editor's library holds more objects while open after " + std::to_string(kCycles) +
                             " cycles: GDI " + std::to_string(first.ownGdi) + " -> " + std::to_string(last.ownGdi) +
                             ", USER " + std::to_string(first.ownUser) + " -> " + std::to_string(last.ownUser));
  // The system's own counts, where it keeps them (not under Wine, which answers 0).
  if (systemAfter.systemGdi > systemBefore.systemGdi + 4 || systemAfter.systemUser > systemBefore.systemUser + 4)
    return CheckResult::fail("the process's GDI / USER objects grew from " + std::to_string(systemBefore.systemGdi) +
                             " / " + std::to_string(systemBefore.systemUser) + " to " +
                             std::to_string(systemAfter.systemGdi) + " / " + std::to_string(systemAfter.systemUser));

  // A second open without a close leaves one editor, which the close takes away.
  if (!openOrFail(frame, "for the double open", result)) return result;
  frame.idle();
  const int once = frame.windows();
  if (!openOrFail(frame, "when opened twice", result)) return result;
  frame.idle();
  if (frame.windows() != once)
    return CheckResult::fail("a second open without a close left " + std::to_string(frame.windows()) +
                             " windows where one open had " + std::to_string(once));
  frame.close();
  if (frame.windows() > 0) return CheckResult::fail("the close after a double open left windows behind");
  instance.dispatch(effEditClose);
  return CheckResult::pass();
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// What the plug-in reported to the host: automations and edit gestures.
long reportsToHost() {
  HostState& host = hostState();
  return host.automateCalls.load() + host.beginEditCalls.load() + host.endEditCalls.load();
}

CheckResult idle(const ValidateContext& ctx, Instance& instance, EditorFrame& frame) {
  constexpr double kSeconds = 5;
  constexpr auto kPeriod = std::chrono::microseconds(16667);  // 60 Hz
  CheckResult result;
  const long reportedBefore = reportsToHost();
  for (int i = 0; i < 3; ++i) instance.dispatch(effEditIdle);  // never opened
  if (!openOrFail(frame, "", result)) return result;
  frame.close();
  for (int i = 0; i < 3; ++i) instance.dispatch(effEditIdle);  // closed
  if (!openOrFail(frame, "again", result)) return result;

  // The audio thread plays a chord each second, released halfway, at the pace of time.
  std::atomic<bool> playing{true};
  std::thread audio([&] {
    const Clock::time_point start = Clock::now();
    for (int64_t pos = 0; playing.load(); pos += kBlock) {
      std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(
                                                std::chrono::duration<double>(static_cast<double>(pos) / kRate)));
      const int64_t inSecond = pos % static_cast<int64_t>(kRate);
      std::vector<MidiMessage> events;
      if (inSecond < kBlock) events = chord(ctx);
      if (ctx.takesMidi && inSecond >= kRate / 2 && inSecond < kRate / 2 + kBlock)
        for (int key : {48, 60, 67}) events.push_back(noteOff(0, key));
      instance.process(kBlock, events);
    }
  });
  std::vector<double> times;
  const Clock::time_point t0 = Clock::now();
  for (long tick = 1; std::chrono::duration<double>(Clock::now() - t0).count() < kSeconds; ++tick) {
    const Clock::time_point a = Clock::now();
    instance.dispatch(effEditIdle);
    times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - a).count());
    frame.frame().pump();
    std::this_thread::sleep_until(t0 + tick * kPeriod);
  }
  playing = false;
  audio.join();
  frame.close();
  std::printf("  editor.idle: %zu idles at 60 Hz, median %.1f us, max %.1f us\n", times.size(), median(times),
              times.empty() ? 0.0 : *std::max_element(times.begin(), times.end()));
  if (const long reported = reportsToHost() - reportedBefore; reported > 0)
    return CheckResult::fail("the editor reported " + std::to_string(reported) +
                             " automations or edit gestures to the host without any input");
  return CheckResult::pass();
}

// A value for every parameter from a seeded generator, in 0..1 by thousandths.
std::vector<float> someValues(int32_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<float> v(static_cast<size_t>(count));
  for (float& x : v) x = static_cast<float>(random() % 1001) / 1000.0f;
  return v;
}

void setAll(AEffect* e, const std::vector<float>& values) {
  for (int32_t i = 0; i < e->numParams; ++i) e->setParameter(e, i, values[static_cast<size_t>(i)]);
}

CheckResult hostChanges(const ValidateContext&, Instance& instance, EditorFrame& frame) {
  CheckResult result;
  if (!openOrFail(frame, "", result)) return result;
  frame.idle();
  AEffect* e = instance.effect();
  // The host thread (this one, between idles) and a second thread set every parameter at
  // once, a few rounds each; then the host thread sets them all once more.
  constexpr int kRounds = 4;
  std::thread other([&] {
    for (int round = 0; round < kRounds; ++round) setAll(e, someValues(e->numParams, 100 + round));
  });
  for (int round = 0; round < kRounds; ++round) {
    const std::vector<float> values = someValues(e->numParams, 200 + round);
    for (int32_t i = 0; i < e->numParams; ++i) {
      e->setParameter(e, i, values[static_cast<size_t>(i)]);
      if (i % 16 == 0) frame.idle();
    }
  }
  other.join();
  // Counted by the window that was open while the values came (reopening makes a new one).
  if (const long foreign = frame.frame().foreignThreadCalls(); foreign > 0)
    return CheckResult::fail("the editor called its window " + std::to_string(foreign) +
                             " times from a thread other than the GUI thread");
  if (!showsPluginState(frame, "values set from two threads", result)) return result;
  setAll(e, someValues(e->numParams, 300));
  if (!showsPluginState(frame, "values set from the host thread", result)) return result;
  return CheckResult::pass();
}

// The longest the output may take to fall silent after the editor closed.
constexpr double kDecaySeconds = 3;

CheckResult closeWhileBusy(const ValidateContext& ctx, Instance& instance, EditorFrame& frame) {
  const double resting = restingPeak(ctx.path, kRate, kBlock, 0.5);
  const double silence = std::max(2 * resting, 1e-4);
  struct Busy {
    const char* what;
    platform::Point press;
    bool release;   // a click rather than a press held
    bool menuItem;  // the logo menu answers with the about box first
  };
  const Busy cases[] = {{"a mouse button down", kSliderPoint, false, false},
                        {"a key held on the panel keyboard", kKeyboardPoint, false, false},
                        {"the native edit box focused", kFieldPoint, true, false},
                        {"a pop-up open", kLogoPoint, true, true}};
  CheckResult result;
  for (const Busy& busy : cases) {
    const std::string what = busy.what;
    if (!openOrFail(frame, "before closing with " + what, result)) return result;
    frame.idle();
    instance.render(static_cast<int64_t>(0.1 * kRate));
    // A menu is answered by the host's script; where the system tracks it modally (Windows)
    // the host cannot answer it, and the logo is not pressed.
    if (busy.menuItem && !frame.input(Kind::MenuAnswer, {}, kAboutItem)) {
      std::printf("  editor.close-while-busy: %s not tried (the system's menu cannot be answered)\n", busy.what);
      frame.close();
      continue;
    }
    if (busy.release)
      frame.click(busy.press);
    else
      frame.input(Kind::MouseDown, busy.press);
    frame.idle();
    const double busyPeak = instance.peak(static_cast<int64_t>(0.2 * kRate));
    frame.idle();
    const int busyWindows = frame.windows();
    frame.close();
    if (const int left = frame.windows(); left > 0)
      return CheckResult::fail(std::to_string(left) + " windows left behind after closing with " + what);
    const double peak = decayPeak(instance, kDecaySeconds, silence);
    std::printf("  editor.close-while-busy: %s: %d windows, peak %.4f, then %.4f after the close\n", busy.what,
                busyWindows, busyPeak, peak);
    if (peak > silence)
      return CheckResult::fail("a note sounds on after closing with " + what + " (peak " + std::to_string(peak) +
                               " after " + std::to_string(static_cast<int>(kDecaySeconds)) + " s)");
    // The host's window lets the button go after the editor closed: nothing may follow.
    if (!busy.release) frame.input(Kind::MouseUp, busy.press);
  }
  if (!openOrFail(frame, "after the closes while busy", result)) return result;
  frame.idle();
  return CheckResult::pass();
}

CheckResult chunk(const ValidateContext& ctx, Instance& instance, EditorFrame& frame) {
  if (!ctx.chunks) return CheckResult::skipped("programs are not chunks");
  Instance source;
  CheckResult result;
  if (!startOrFail(source, ctx, kRate, kBlock, result)) return result;
  setAll(source.effect(), someValues(source.effect()->numParams, 400));
  std::vector<unsigned char> state = getChunk(source);
  if (state.empty()) return CheckResult::fail("the plug-in gave no chunk");
  if (!openOrFail(frame, "", result)) return result;
  frame.idle();
  instance.dispatch(effSetChunk, 0, static_cast<intptr_t>(state.size()), state.data());
  if (!showsPluginState(frame, "a chunk loaded", result)) return result;
  return CheckResult::pass();
}

CheckResult twoInstances(const ValidateContext& ctx) {
  if (!ctx.editor) return CheckResult::skipped("the plug-in declares no editor");
  Instance a, b;
  std::unique_ptr<EditorFrame> frameA, frameB;
  CheckResult result;
  if (!startWithFrame(a, frameA, ctx, result) || !startWithFrame(b, frameB, ctx, result)) return result;
  if (!openOrFail(*frameA, "for the first instance", result) ||
      !openOrFail(*frameB, "for the second instance beside the first", result))
    return result;
  for (int i = 0; i < 5; ++i) {
    frameA->idle();
    frameB->idle();
  }
  frameA->close();
  if (frameA->windows() > 0) return CheckResult::fail("closing the first editor left a window behind");
  if (frameB->windows() == 0) return CheckResult::fail("closing the first editor took the second one's window");
  // The window of the closed one goes too, so that nothing covers the other on the screen.
  frameA.reset();
  setAll(b.effect(), someValues(b.effect()->numParams, 500));
  if (!showsPluginState(*frameB, "closing the other instance's editor and setting values", result)) return result;
  return CheckResult::pass();
}

}  // namespace

std::vector<Check> editorChecks() {
  return {{"editor.rect", withEditor<rect>},
          {"editor.open-close", withEditor<openClose>},
          {"editor.idle", withEditor<idle>},
          {"editor.host-changes", withEditor<hostChanges>},
          {"editor.close-while-busy", withEditor<closeWhileBusy>},
          {"editor.chunk", withEditor<chunk>},
          {"editor.two-instances", twoInstances}};
}

}  // namespace qhost
