// The canvas's idle pass: with nothing changed (it must stay far below the 15 ms a host
// leaves between idles, and draw nothing) and a full repaint of the 1010 x 623 panel with
// as many controls as the panel has.
#include <benchmark/benchmark.h>

#include "tests/gui/canvas_fixture.h"

namespace {

// A pane with 300 bound controls in a grid, as dense as the real panel.
struct Panel : CanvasFixture {
  Panel() {
    for (int i = 0; i < 300; ++i) add(1 + i % 89, 10 + (i % 15) * 66, 10 + (i / 15) * 30, 100);
    canvas->idle();
  }
};

void BM_IdleNothingChanged(benchmark::State& state) {
  Panel p;
  const int passes = p.canvas->drawPasses();
  for (auto _ : state) p.canvas->idle();
  if (p.canvas->drawPasses() != passes) state.SkipWithError("an idle with nothing changed drew");
}
BENCHMARK(BM_IdleNothingChanged);

void BM_IdleFullRepaint(benchmark::State& state) {
  Panel p;
  for (auto _ : state) {
    p.pane->redraw();
    p.canvas->idle();
  }
}
BENCHMARK(BM_IdleFullRepaint)->Unit(benchmark::kMicrosecond);

void BM_IdleOneControl(benchmark::State& state) {
  Panel p;
  CAUGuiCtrl* c = p.pane->firstChild();
  for (auto _ : state) {
    c->redraw();
    p.canvas->idle();
  }
}
BENCHMARK(BM_IdleOneControl)->Unit(benchmark::kMicrosecond);

}  // namespace
