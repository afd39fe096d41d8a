#include "editor/quorvane_window.h"

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
  // The view loads every control from the plug-in; what waited before is older than that.
  discardPending();
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
  drainPending();
  view_->idle();
}

void Quorvane_Window::setParameter(int32_t index, float normalised) {
  if (index < 0 || index >= kParamRecordCount) return;
  pendingValue_[index].store(normalised, std::memory_order_relaxed);
  pending_[index].store(true, std::memory_order_release);
  anyPending_.store(true, std::memory_order_release);
}

void Quorvane_Window::drainPending() {
  if (!anyPending_.exchange(false, std::memory_order_acq_rel)) return;
  for (int i = 0; i < kParamRecordCount; ++i)
    if (pending_[i].exchange(false, std::memory_order_acq_rel))
      view_->hostValue(i, pendingValue_[i].load(std::memory_order_relaxed));
}

void Quorvane_Window::discardPending() {
  anyPending_.store(false, std::memory_order_relaxed);
  for (auto& p : pending_) p.store(false, std::memory_order_relaxed);
}
