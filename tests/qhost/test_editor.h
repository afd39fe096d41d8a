// The test effect's editor: a canvas with a coloured pane and one horizontal drag control
// for the effect's gain (parameter 0), drawn with the surface's fills and text, and below it
// a pane of the toolkit's standard controls (a knob on parameter 1, a slider on the gain, a
// toggle, a push button and a level meter of the output). It lets `qhost edit` be checked
// end to end before the real panel exists.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "gui/canvas_plugin.h"
#include "plugin/aeffeditor.h"

class AudioEffectX;
class CAUGuiCanvas;
class CAUGuiCtrl;
class CanvasWindowLink;
namespace platform {
class Window;
}

class TestEditor : public AEffEditor, public CanvasPlugin {
 public:
  // The gain control's place on the panel: a drag from its left to its right edge moves
  // the gain from 0 to 1.
  static constexpr int kGainX = 100, kGainY = 120, kGainWidth = 400, kGainHeight = 40;
  // Where the pane of standard controls lies.
  static constexpr int kControlsX = 100, kControlsY = 220;
  // A strip of keys where a panel keeps its keyboard: a press plays middle C until the
  // release (or until the editor closes).
  static constexpr int kKeysX = 258, kKeysY = 493, kKeysWidth = 734, kKeysHeight = 123;
  static constexpr int kKeysNote = 60;
  // A text field (a native edit box while it has the focus) where a panel has a button.
  static constexpr int kFieldX = 416, kFieldY = 3, kFieldWidth = 44, kFieldHeight = 17;

  explicit TestEditor(AudioEffectX* effect);
  ~TestEditor() override;

  bool getRect(ERect** rect) override;
  bool open(void* parentWindow) override;
  void close() override;
  void idle() override;

  // The effect's parameter changed (any thread).
  void parameterChanged(int32_t index, float value);
  // The audio thread measured a block: the sum of squares of its left output and its frames.
  void blockMeasured(float sumSquares, float frames);
  // The key held on the editor's strip, -1 for none (read by the audio thread).
  int heldKey() const { return heldKey_.load(std::memory_order_relaxed); }
  void holdKey(int key) { heldKey_.store(key, std::memory_order_relaxed); }

  void setParameterAutomated(int32_t index, float normalised) override;
  float getParameter(int32_t index) override;
  void beginEdit(int32_t index) override;
  void endEdit(int32_t index) override;
  float meterValue(int index) override;

 private:
  AudioEffectX* fx_;
  std::unique_ptr<platform::Window> window_;
  std::unique_ptr<CAUGuiCanvas> canvas_;
  std::unique_ptr<CanvasWindowLink> link_;
  CAUGuiCtrl* slider_ = nullptr;  // the gain slider of the standard controls
  float shownGain_ = 0.0f;
  std::atomic<float> sumSquares_{0.0f};
  std::atomic<float> frames_{0.0f};
  std::atomic<int> heldKey_{-1};
  std::vector<std::unique_ptr<char[]>> kept_;  // what a faulty variant keeps from each close
};
