// One plug-in with its editor and a host window to open it in, for the editor tests.
// The host window outlives the plug-in, as in a DAW, which closes an editor left open
// before it takes its window down.
#pragma once

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "editor/quorvane_vstview.h"
#include "editor/quorvane_window.h"
#include "gui/cauguicanvas.h"
#include "platform/headless_gui.h"
#include "platform/host_frame.h"
#include "tests/plugin/plugin_object_test_util.h"

namespace editortest {

namespace hl = platform::headless;

inline ParameterEditor* makeWindow(Quorvane_VSTEdit& plugin) {
  return new Quorvane_Window(plugin, Quorvane_Window::kEffectClass);
}

struct Editor {
  std::unique_ptr<platform::HostFrame> host = platform::HostFrame::create("host", 1010, 623, {0, 0});
  plugintest::Instance instance{kEffectIdentity, makeWindow};

  Quorvane_VSTEdit& plugin() const { return instance.plugin(); }
  Quorvane_Window& editor() const { return *static_cast<Quorvane_Window*>(plugin().getEditor()); }
  Quorvane_VSTView& view() const { return *editor().view(); }
  CAUGuiCanvas& canvas() const { return *view().canvas(); }
  hl::WindowDriver& window() const { return hl::driver(*editor().window()); }
  bool open() const { return instance.dispatch(effEditOpen, 0, 0, host->parentHandle()) == 1; }
  void idle() const { instance.dispatch(effEditIdle); }
  void close() const { instance.dispatch(effEditClose); }
  CAUGuiCtrl* control(int param) const { return canvas().findControlByParameter(param); }
};

// Every automation the plug-in sent the host since the last reset: (index, value).
inline std::vector<std::pair<int, float>> automations() {
  std::vector<std::pair<int, float>> out;
  for (const auto& c : frametest::hostCalls())
    if (c.opcode == audioMasterAutomate) out.emplace_back(c.index, c.opt);
  return out;
}

inline GuiPoint centreOf(const GuiRect& r) { return {int16_t(r.x + r.w / 2), int16_t(r.y + r.h / 2)}; }

}  // namespace editortest

namespace editortest {

// Renders `frames` frames of the plug-in with silent inputs, processing switched on first;
// the left channel.
inline std::vector<float> render(Quorvane_VSTEdit& plugin, int frames) {
  constexpr int kBlock = 512;
  std::vector<float> inL(kBlock, 0.0f), inR(kBlock, 0.0f), outL(kBlock), outR(kBlock), left;
  float* inputs[2] = {inL.data(), inR.data()};
  float* outputs[2] = {outL.data(), outR.data()};
  for (int done = 0; done < frames; done += kBlock) {
    const int n = std::min(kBlock, frames - done);
    plugin.processReplacing(inputs, outputs, n);
    left.insert(left.end(), outL.begin(), outL.begin() + n);
  }
  return left;
}

inline double rms(const std::vector<float>& s, std::size_t from = 0) {
  double sum = 0;
  for (std::size_t i = from; i < s.size(); ++i) sum += double(s[i]) * s[i];
  return s.size() > from ? std::sqrt(sum / double(s.size() - from)) : 0.0;
}

}  // namespace editortest
