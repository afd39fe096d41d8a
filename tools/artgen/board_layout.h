// The board's own design on top of the panel geometry: the module sections and the
// silk-screen labels, each label placed next to the controls and jacks it names. The
// generator draws them; the tests check them against the geometry.
#pragma once

#include <string>
#include <vector>

#include "editor/panel_geometry.h"

namespace art {

struct Colour {
  double r, g, b;
};

// One module section: a plate of one or two rectangles (the second fills an L-shape), its
// title and its accent colour.
struct Section {
  const char* title;
  panel::Rect rect;
  panel::Rect extra;  // w == 0: none
  Colour accent;
  bool contains(const panel::Rect& r) const;
};

enum class Align { Left, Centre, Right };

// A label: its text, where it is anchored (the point is the top of the text box at the
// given horizontal alignment), the section it belongs to and the parameters (controls and
// jacks) it names. Titles are the sections' headings.
struct Label {
  std::string text;
  int x, y;
  Align align;
  int section;
  std::vector<int> names;
  int maxWidth;  // widest the text may be set; wider text is condensed to fit
  bool title = false;
};

const std::vector<Section>& sections();
const std::vector<Label>& labels();

// Label text sizes in pixels: every label is at least 9 pixels high.
inline constexpr double kLabelSize = 9.0;
inline constexpr double kTitleSize = 10.0;
// The height of a label's text box.
inline constexpr int kLabelBoxHeight = 10;
// The rectangle a parameter's control (its first one) or jack occupies on the panel.
panel::Rect itemRect(int param);

}  // namespace art
