// A canvas over a plug-in stand-in that records what the controls report and serves a
// meter block the test fills; and images the tests draw themselves, added as resources.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gui/cauguicanvas.h"
#include "tests/gui/canvas_fixture.h"
#include "platform/headless.h"
#include "tests/gui/png_writer.h"

// The canvas tests' plug-in stand-in, with a meter block the test fills.
struct RecordingPlugin : FakePlugin {
  float meters[6] = {0, 0, 0, 512.0f, 0, 0};
  double clockHz = 1.0e7;
  double rate = 44100.0;

  float meterValue(int index) override { return index >= 0 && index < 6 ? meters[index] : 0.0f; }
  double meterClockHz() const override { return clockHz; }
  double sampleRate() const override { return rate; }
};

// A canvas without a window; controls are added to it at the top level.
struct ControlsFixture : ::testing::Test {
  RecordingPlugin plugin;
  std::unique_ptr<CAUGuiCanvas> canvas = std::make_unique<CAUGuiCanvas>(&plugin, nullptr, 0, 0);

  // Registers a top-level control with the canvas (which gives it its travel).
  template <typename C>
  C* add(C* control) {
    canvas->addControl(control);
    return control;
  }
};

// A picture whose pixel (x, y) is colourAt(x, y) (0xAARRGGBB, straight alpha), as a "PNG"
// resource of that name.
template <typename ColourAt>
void addImage(const std::string& name, int width, int height, ColourAt colourAt) {
  platform::headless::addResource(name, "PNG", testpng::encodeColours(width, height, colourAt));
}

// A picture of solid stacked frames, one colour (0xAARRGGBB, straight alpha) per frame, as
// a "PNG" resource of that name.
inline void addFramesImage(const std::string& name, int width, int frameHeight, const std::vector<uint32_t>& colours) {
  addImage(name, width, frameHeight * static_cast<int>(colours.size()),
           [&](int, int y) { return colours[static_cast<std::size_t>(y / frameHeight)]; });
}
