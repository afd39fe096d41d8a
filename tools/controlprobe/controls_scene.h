// A small pane of the standard controls (a knob, a vertical slider, a toggle and a push
// button, a level meter) with pictures drawn by code, for the test effect's editor and the
// control probe: the same scene through `qhost edit`, natively and under Wine.
#pragma once

#include "gui/cauguictrl.h"
#include "gui/geometry.h"
#include "gui/param_binding.h"

class CAUGuiCanvas;
class CAUGuiPane;
class CAUGuiKnob;
class CAUGuiSlider;
class CAUGuiButton;
class CAUGuiMeter;

struct ControlsScene {
  // The pane's size; the controls sit at these places inside it.
  static constexpr int kWidth = 360, kHeight = 150;
  static constexpr GuiRect kKnob{30, 30, 43, 43};
  static constexpr GuiRect kSlider{120, 20, 24, 85};
  static constexpr GuiRect kToggle{190, 30, 30, 20};
  static constexpr GuiRect kPush{240, 30, 30, 20};
  static constexpr GuiRect kMeter{30, 120, 80, 6};

  CAUGuiPane* pane = nullptr;
  CAUGuiKnob* knob = nullptr;
  CAUGuiSlider* slider = nullptr;
  CAUGuiButton* toggle = nullptr;
  CAUGuiButton* push = nullptr;
  CAUGuiMeter* meter = nullptr;
};

// Builds the images (given to the canvas) and the pane at (x, y) of `parent` (or at the top
// level without one). The knob and the slider are bound as given; the meter shows meter
// block entry 0 as a level.
ControlsScene buildControlsScene(CAUGuiCanvas& canvas, CAUGuiCtrl* parent, int x, int y, const ParamBinding& knob,
                                 const ParamBinding& slider);

// A binding to parameter `index` of a plug-in that is not the synthesizer: a 0..1
// parameter of that name and default.
ParamBinding plainBinding(int32_t index, const char* name, float defaultValue, CanvasPlugin* plugin);
