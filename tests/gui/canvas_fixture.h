// A canvas on a headless window with a fake plug-in that records what the canvas sends,
// and a simple control that follows the mouse along x.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "gui/canvas_plugin.h"
#include "gui/canvas_window.h"
#include "gui/cauguicanvas.h"
#include "platform/gui.h"
#include "platform/headless_gui.h"

struct FakePlugin : CanvasPlugin {
  void setParameterAutomated(int32_t index, float normalised) override { automated.emplace_back(index, normalised); }
  float getParameter(int32_t index) override { return index >= 0 && index < 180 ? values[index] : 0.0f; }
  void beginEdit(int32_t index) override { begun.push_back(index); }
  void endEdit(int32_t index) override { ended.push_back(index); }
  float meterValue(int index) override { return index == 5 ? learnWord : 0.0f; }
  const void* currentPatch() override { return patch; }

  std::vector<std::pair<int32_t, float>> automated;
  std::vector<int32_t> begun, ended;
  float values[180] = {};
  float learnWord = 0.0f;
  const void* patch = nullptr;
};

// Takes the press; a press or drag sets the position to the distance from the left edge.
// Counts draws, tips and focus changes.
struct DragControl : CAUGuiCtrl {
  using CAUGuiCtrl::CAUGuiCtrl;
  int mouseDown(GuiPoint p, bool, bool) override { return follow(p); }
  int mouseDrag(GuiPoint p, bool, bool) override { return follow(p); }
  int mouseUp(GuiPoint, bool, bool) override { return kHandled; }
  // Fills the bounds, then draws the dirty children, as a pane does.
  void draw(DrawContext& context, int flags) override {
    ++draws;
    context.fillRect({bounds_.x, bounds_.y, bounds_.w, bounds_.h}, colour);
    for (CAUGuiCtrl* c = firstChild(); c; c = c->nextCtrl())
      if (c->isDirty()) {
        c->draw(context, flags);
        c->clearDirty();
      }
  }
  void drawTip(DrawContext&, int, bool hover) override { (hover ? hoverTips : dragTips)++; }
  void setFocus(bool focused) override { focusChanges.push_back(focused); }
  int follow(GuiPoint p) {
    setPosition(p.x - bounds_.x);
    redraw();
    return kHandled;
  }
  GuiColour colour = 0x3366CC;
  int draws = 0, hoverTips = 0, dragTips = 0;
  std::vector<bool> focusChanges;
};

struct CanvasFixture {
  CanvasFixture() {
    window = platform::Window::create(nullptr, {"QuorvaneTestCanvas", "Window", CAUGuiCanvas::kWidth, CAUGuiCanvas::kHeight});
    canvas = std::make_unique<CAUGuiCanvas>(&plugin, window.get(), 0, 0);
    pane = new DragControl(canvas.get(), GuiRect{0, 0, CAUGuiCanvas::kWidth, CAUGuiCanvas::kHeight});
    pane->colour = 0xE0E0D0;
    canvas->addControl(pane);
    canvas->setTopPane(pane);
    link = std::make_unique<CanvasWindowLink>(*canvas, *window);
  }
  // A bound drag control at (x, y) of the pane, 100 wide and 20 high.
  DragControl* add(int index, int x, int y, int resolution) {
    auto* c = new DragControl(canvas.get(), bindingFor(index, &plugin), GuiRect{x, y, 100, 20}, resolution);
    pane->addChild(c);
    return c;
  }
  platform::headless::WindowDriver& driver() { return platform::headless::driver(*window); }
  // Runs idles until nothing is dirty and forgets what the window recorded.
  void settle() {
    canvas->idle();
    driver().clearInvalidations();
  }

  FakePlugin plugin;
  std::unique_ptr<platform::Window> window;
  std::unique_ptr<CAUGuiCanvas> canvas;
  std::unique_ptr<CanvasWindowLink> link;
  DragControl* pane = nullptr;
};
