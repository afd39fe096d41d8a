// One instance under a host's three threads at once for a few seconds: the GUI thread plays
// mouse gestures over the panel (sliders, knobs, switches, jacks, the keyboard), sets
// chunks and idles the editor; the audio thread processes blocks with notes; an automation
// thread sets parameters. The thread sanitizer build reports any race among them; every
// build checks that the editor and the sound come through.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "editor/quorvane_window.h"
#include "platform/headless_gui.h"
#include "platform/host_frame.h"
#include "plugin/entry_point.h"
#include "vst/aeffect.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int32_t kBlock = 256;
constexpr double kRate = 44100;

// A host that answers its version and nothing else, from any thread.
intptr_t VSTCALLBACK quietHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

ParameterEditor* makeEditor(Quorvane_VSTEdit& plugin) {
  return new Quorvane_Window(plugin, Quorvane_Window::kInstrumentClass);
}

struct Effect {
  AEffect* e = createQuorvaneEffect(quietHost, kInstrumentIdentity, makeEditor);
  ~Effect() {
    if (e) dispatch(effClose);
  }
  intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0) const {
    return e->dispatcher(e, opcode, index, value, ptr, opt);
  }
};

// The audio thread: real-time paced blocks, a note on every tenth block and off five later.
void playAudio(const Effect& fx, const std::atomic<bool>& running, std::atomic<long>& blocks,
               std::atomic<long>& nonFinite) {
  std::vector<float> buffers[4];
  for (auto& b : buffers) b.assign(kBlock, 0.0f);
  float* in[2] = {buffers[0].data(), buffers[1].data()};
  float* out[2] = {buffers[2].data(), buffers[3].data()};
  VstMidiEvent note{};
  note.type = kVstMidiType;
  note.byteSize = sizeof note;
  VstEvents events{};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<VstEvent*>(&note);
  const Clock::time_point start = Clock::now();
  for (long n = 0; running.load(); ++n) {
    std::this_thread::sleep_until(start + std::chrono::microseconds(static_cast<long>(n * kBlock * 1e6 / kRate)));
    if (n % 10 == 0 || n % 10 == 5) {
      note.midiData[0] = static_cast<char>(n % 10 == 0 ? 0x90 : 0x80);
      note.midiData[1] = static_cast<char>(48 + n / 10 % 24);
      note.midiData[2] = static_cast<char>(n % 10 == 0 ? 100 : 0);
      fx.dispatch(effProcessEvents, 0, 0, &events);
    }
    fx.e->processReplacing(fx.e, in, out, kBlock);
    for (int i = 0; i < kBlock; ++i) nonFinite += !std::isfinite(out[0][i]) || !std::isfinite(out[1][i]);
    blocks.fetch_add(1);
  }
}

TEST(EditorThreads, GuiAudioAndAutomationThreadsOnOneInstance) {
  Effect fx;
  ASSERT_NE(fx.e, nullptr);
  fx.dispatch(effOpen);
  fx.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
  fx.dispatch(effSetBlockSize, 0, kBlock);
  fx.dispatch(effMainsChanged, 0, 1);
  fx.dispatch(effStartProcess);
  std::unique_ptr<platform::HostFrame> frame = platform::HostFrame::create("host", 1010, 623, {0, 0});
  ASSERT_EQ(fx.dispatch(effEditOpen, 0, 0, frame->parentHandle()), 1);

  std::atomic<bool> running{true};
  std::atomic<long> blocks{0}, nonFinite{0}, automations{0};
  std::thread audio(playAudio, std::cref(fx), std::cref(running), std::ref(blocks), std::ref(nonFinite));
  std::thread automation([&] {
    std::mt19937 random(7);
    while (running.load()) {
      fx.e->setParameter(fx.e, static_cast<int32_t>(random() % static_cast<unsigned>(fx.e->numParams)),
                         static_cast<float>(random() % 1001) / 1000.0f);
      fx.e->getParameter(fx.e, static_cast<int32_t>(random() % static_cast<unsigned>(fx.e->numParams)));
      automations.fetch_add(1);
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });

  // The GUI thread: gestures at random places, each a press, a few moves and a release, with
  // an idle about every 15 ms; now and then the host loads the chunk it saved.
  std::mt19937 random(11);
  platform::FrameInput in;
  auto send = [&](platform::FrameInput::Kind kind, int x, int y) {
    in.kind = kind;
    in.point = {static_cast<int16_t>(x), static_cast<int16_t>(y)};
    frame->sendInput(in);
  };
  long idles = 0;
  const Clock::time_point t0 = Clock::now();
  for (int gesture = 0; Clock::now() - t0 < std::chrono::seconds(3); ++gesture) {
    const int x = static_cast<int>(random() % 1010), y = static_cast<int>(random() % 623);
    send(platform::FrameInput::Kind::MouseDown, x, y);
    for (int k = 1; k <= 3; ++k)
      send(platform::FrameInput::Kind::MouseMove, x + k * static_cast<int>(random() % 21) - 10 * k,
           y + k * static_cast<int>(random() % 21) - 10 * k);
    send(platform::FrameInput::Kind::MouseUp, x, y);
    if (gesture % 20 == 19) {
      void* data = nullptr;
      const intptr_t size = fx.dispatch(effGetChunk, 1, 0, &data);
      const std::vector<char> copy(static_cast<char*>(data), static_cast<char*>(data) + (data ? size : 0));
      fx.dispatch(effSetChunk, 1, static_cast<intptr_t>(copy.size()), const_cast<char*>(copy.data()));
    }
    fx.dispatch(effEditIdle);
    frame->pump();
    ++idles;
    platform::headless::clearShown();
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
  }
  running = false;
  audio.join();
  automation.join();
  EXPECT_EQ(frame->foreignThreadCalls(), 0) << "the editor's window was called from the audio or automation thread";
  fx.dispatch(effEditClose);
  EXPECT_EQ(frame->childWindowCount(), 0);
  fx.dispatch(effStopProcess);
  fx.dispatch(effMainsChanged, 0, 0);
  EXPECT_GT(blocks.load(), 100);
  EXPECT_GT(automations.load(), 100);
  EXPECT_GT(idles, 10);  // a gesture and an idle take tens of milliseconds in the sanitizer builds
  EXPECT_EQ(nonFinite.load(), 0);
}

}  // namespace
