// One plug-in with its editor and a host window to open it in, headless, for the editor's
// tests. The host window outlives the plug-in, as in a DAW, which closes an editor left
// open before it takes its window down.
#pragma once

#include <memory>

#include "editor/quorvane_vstview.h"
#include "editor/quorvane_window.h"
#include "gui/cauguicanvas.h"
#include "platform/headless_gui.h"
#include "platform/host_frame.h"
#include "tests/plugin/plugin_object_test_util.h"

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
  platform::headless::WindowDriver& window() const { return platform::headless::driver(*editor().window()); }
  bool open() const { return instance.dispatch(effEditOpen, 0, 0, host->parentHandle()) == 1; }
  void idle() const { instance.dispatch(effEditIdle); }
  void close() const { instance.dispatch(effEditClose); }
  CAUGuiCtrl* control(int param) const { return canvas().findControlByParameter(param); }
};
