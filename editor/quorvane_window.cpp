#include "editor/quorvane_window.h"

#include <atomic>

#include "editor/quorvane_vstview.h"
#include "platform/gui.h"

namespace {
// Editors open in this process (all instances of the library).
std::atomic<int> gOpenWindows{0};
}  // namespace

Quorvane_Window::Quorvane_Window(Quorvane_VSTEdit& plugin, const char* windowClass)
    : ParameterEditor(&plugin), plugin_(plugin), windowClass_(windowClass ? windowClass : kEffectClass) {}

Quorvane_Window::~Quorvane_Window() { close(); }

int Quorvane_Window::openWindowCount() { return gOpenWindows.load(std::memory_order_relaxed); }

bool Quorvane_Window::getRect(ERect** rect) {
  static ERect r{0, 0, kHeight, kWidth};
  if (!rect) return false;
  *rect = &r;
  return true;
}

bool Quorvane_Window::open(void* parentWindow) {
  close();
  platform::WindowOptions options;
  options.className = windowClass_;
  options.width = kWidth;
  options.height = kHeight;
  window_ = platform::Window::create(parentWindow, options);
  if (!window_) return false;
  counted_ = true;
  gOpenWindows.fetch_add(1, std::memory_order_relaxed);
  AEffEditor::open(parentWindow);
  // The view loads every control from the plug-in; changes marked before are older.
  takeChangedParameters([](int) {});
  int width = 0, height = 0;
  view_ = std::make_unique<Quorvane_VSTView>(plugin_, window_.get(), &width, &height);
  window_->takeFocus();
  return true;
}

void Quorvane_Window::close() {
  view_.reset();
  window_.reset();
  if (counted_) {
    counted_ = false;
    gOpenWindows.fetch_sub(1, std::memory_order_relaxed);
  }
  AEffEditor::close();
}

void Quorvane_Window::idle() {
  if (!view_) return;
  drainChanges();
  view_->idle();
}

void Quorvane_Window::drainChanges() {
  takeChangedParameters([this](int index) { view_->hostValue(index, plugin_.getParameter(index)); });
}
