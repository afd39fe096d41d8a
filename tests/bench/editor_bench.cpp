// The editor's costs on the GUI thread: opening it (window, panel, image decoding and the
// first paint into the off-screen bitmap), an idle with nothing changed, and an idle while
// the meters move (one audio block of a held note between idles, not timed). A host idles
// about every 15 ms: the meters' share of one core is the idle time over 15 ms. Dragging a
// cord: one pointer move and the idle that redraws the loose cord's area.
#include <benchmark/benchmark.h>

#include <vector>

#include "editor/quorvane_vstview.h"
#include "editor/quorvane_window.h"
#include "gui/cauguicanvas.h"
#include "platform/host_frame.h"
#include "tests/plugin/plugin_object_test_util.h"

namespace {

ParameterEditor* makeWindow(Quorvane_VSTEdit& plugin) {
  return new Quorvane_Window(plugin, Quorvane_Window::kEffectClass);
}

struct Fixture {
  plugintest::Instance instance{kInstrumentIdentity, makeWindow};
  std::unique_ptr<platform::HostFrame> host = platform::HostFrame::create("bench", 1010, 623, {0, 0});
  void open() { instance.dispatch(effEditOpen, 0, 0, host->parentHandle()); }
  void idle() { instance.dispatch(effEditIdle); }
  void close() { instance.dispatch(effEditClose); }
};

void BM_OpenEditor(benchmark::State& state) {
  Fixture f;
  for (auto _ : state) {
    f.open();
    f.idle();  // the first paint
    state.PauseTiming();
    f.close();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenEditor)->Unit(benchmark::kMillisecond);

void BM_StillIdle(benchmark::State& state) {
  Fixture f;
  f.open();
  f.idle();
  for (auto _ : state) f.idle();
  f.close();
}
BENCHMARK(BM_StillIdle)->Unit(benchmark::kMicrosecond);

void BM_IdleWithMovingMeters(benchmark::State& state) {
  Fixture f;
  f.instance.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
  f.instance.dispatch(effSetBlockSize, 0, 661);
  f.instance.dispatch(effMainsChanged, 0, 1);
  f.open();
  f.idle();
  std::vector<float> left(661), right(661), inL(661), inR(661);
  float* outs[2] = {left.data(), right.data()};
  float* ins[2] = {inL.data(), inR.data()};
  f.instance.plugin().playNote(60, 100);
  for (auto _ : state) {
    state.PauseTiming();
    f.instance.effect()->processReplacing(f.instance.effect(), ins, outs, 661);  // 15 ms of audio
    state.ResumeTiming();
    f.idle();
  }
  f.close();
}
BENCHMARK(BM_IdleWithMovingMeters)->Unit(benchmark::kMicrosecond);

void BM_IdleWhileDraggingACord(benchmark::State& state) {
  Fixture f;
  f.open();
  f.idle();
  CAUGuiCanvas& canvas = *static_cast<Quorvane_Window*>(f.instance.plugin().getEditor())->view()->canvas();
  canvas.mouseDown({365, 401}, false, false);  // the noise generator's output
  int step = 0;
  for (auto _ : state) {
    // Back and forth between the jack and the VCA's input across the panel.
    const int t = step++ % 40, x = 365 + (t < 20 ? t : 40 - t) * 22, y = 401 - (t < 20 ? t : 40 - t) * 5;
    canvas.mouseDrag({static_cast<int16_t>(x), static_cast<int16_t>(y)}, false);
    f.idle();
  }
  canvas.mouseUp({365, 401}, false);
  f.close();
}
BENCHMARK(BM_IdleWhileDraggingACord)->Unit(benchmark::kMicrosecond);

}  // namespace
