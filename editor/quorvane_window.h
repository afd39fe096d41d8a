// The plug-in's editor as the host drives it: a 1010 x 623 child window in the host's
// window holding one panel view while open. Every parameter change (from any thread) is
// kept as the parameter's latest pending value and reaches the panel's controls in the
// next idle, on the GUI thread; nothing here ever waits.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "params/param_table.h"
#include "plugin/quorvane_vstedit.h"

class Quorvane_VSTView;
namespace platform {
class Window;
}

class Quorvane_Window : public ParameterEditor {
 public:
  static constexpr int kWidth = 1010;
  static constexpr int kHeight = 623;
  // The window class of each build.
  static constexpr const char* kInstrumentClass = "Quorvane_WindowClass";
  static constexpr const char* kEffectClass = "Quorvane_WindowClassEfx";

  Quorvane_Window(Quorvane_VSTEdit& plugin, const char* windowClass);
  ~Quorvane_Window() override;

  // The same 1010 x 623 rectangle, open or not. GUI thread.
  bool getRect(ERect** rect) override;
  // Opens the window in `parentWindow` and builds the panel; a second open closes the first
  // view before it. False when the window cannot be created. GUI thread.
  bool open(void* parentWindow) override;
  // Deletes the view and destroys the window; harmless when not open. GUI thread.
  void close() override;
  // Applies the pending parameter values to the controls, then the panel's idle pass.
  void idle() override;
  // Any thread: keeps the value as the parameter's pending value; never touches controls.
  void setParameter(int32_t index, float normalised) override;

  Quorvane_VSTView* view() const { return view_.get(); }
  platform::Window* window() const { return window_.get(); }
  // Open-window count of the whole process (every editor of the library).
  static int openWindowCount();

 private:
  void drainPending();
  void discardPending();

  Quorvane_VSTEdit& plugin_;
  std::string windowClass_;
  std::unique_ptr<platform::Window> window_;
  std::unique_ptr<Quorvane_VSTView> view_;
  bool counted_ = false;
  // The latest value per parameter and whether one is waiting; any flag set raises any_.
  std::atomic<float> pendingValue_[kParamRecordCount] = {};
  std::atomic<bool> pending_[kParamRecordCount] = {};
  std::atomic<bool> anyPending_{false};
};
