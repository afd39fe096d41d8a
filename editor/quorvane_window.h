// The plug-in's editor as the host drives it: a 1010 x 623 child window in the host's
// window holding one panel view while open. Every parameter change (from any thread, the
// audio thread included) only marks the parameter changed; the next idle, on the GUI
// thread, moves the controls to the values the plug-in then holds. Nothing here waits.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

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
  Quorvane_VSTView* view() const { return view_.get(); }
  platform::Window* window() const { return window_.get(); }
  // Open-window count of the whole process (every editor of the library).
  static int openWindowCount();

 private:
  void drainChanges();

  Quorvane_VSTEdit& plugin_;
  std::string windowClass_;
  std::unique_ptr<platform::Window> window_;
  std::unique_ptr<Quorvane_VSTView> view_;
  bool counted_ = false;
};
