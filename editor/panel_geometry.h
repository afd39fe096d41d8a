// The panel's geometry as constant data: every image the editor loads (name, size, frames),
// the rectangle, image, steps and insets of every panel control, the 89 jacks, the keyboard
// and the fixed controls. The editor builds its panel from these tables and tools/artgen
// draws the board from them, so the art and the controls cannot drift apart. No
// dependencies: plain structs and constant arrays only.
#pragma once

#include <cstddef>

namespace panel {

struct Rect {
  int x, y, w, h;
  constexpr int right() const { return x + w; }
  constexpr int bottom() const { return y + h; }
  constexpr bool contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
  constexpr bool overlaps(const Rect& o) const {
    return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h;
  }
};

// The four arguments of an image-rectangle inset: left, top, right, bottom.
struct Insets {
  int left, top, right, bottom;
  constexpr Rect apply(const Rect& r) const {
    return {r.x + left, r.y + top, r.w - left - right, r.h - top - bottom};
  }
};
inline constexpr Insets kNoInsets{0, 0, 0, 0};

inline constexpr int kPanelWidth = 1010;
inline constexpr int kPanelHeight = 623;

// One image resource: its name (as the editor passes it; resources match without regard to
// case), its size and its frame count (frames are stacked vertically, frame 0 on top).
struct ImageSpec {
  const char* name;
  int width, height, frames;
  constexpr int frameHeight() const { return height / frames; }
};

// Every image the panel, its controls and the dialogs load.
extern const ImageSpec kImages[];
extern const std::size_t kImageCount;
// The image of that name (exact spelling), or nullptr.
const ImageSpec* findImage(const char* name);

// The images the panel view creates once and hands to the canvas, in creation order, with
// the class each is made as and its arguments.
enum class SharedImageKind { Graphic, Handle, Cropping };
struct SharedImage {
  const char* name;
  SharedImageKind kind;
  int frames;          // Graphic: frame count
  int orientation;     // Handle: 1 vertical, 0 horizontal
  int xOffset, yOffset;
  int edgeFlags;       // Cropping: 1 left, 2 top, 4 right, 8 bottom
  int cropMode;        // Cropping: 1 slide, 2 crop, other values scale
};
inline constexpr std::size_t kSharedImageCount = 29;
extern const SharedImage kSharedImages[kSharedImageCount];

// Sizes some rectangles below are built from.
inline constexpr int kBoardWidth = 1010, kBoardHeight = 623;
inline constexpr int kNotesWidth = 212, kNotesHeight = 116;

// Bound panel controls, in the order they are added to the pane.
enum class BoundKind { VerticalSlider, HorizontalSlider, Switch, LightButton, Knob };

struct BoundControl {
  BoundKind kind;
  int param;          // parameter index
  const char* key;    // the parameter's four-character key, "" for Master Bypass
  Rect rect;
  int steps;          // resolution; 0 for buttons
  const char* image;  // handle image of sliders, switches and selector knobs; background of dials
  Insets insets;
  // Knobs only: the image is the background (dials) rather than a frame-per-value handle,
  // a pointer line is drawn, and the travel starts and sweeps by these turns.
  bool imageIsBackground;
  bool pointerLine;
  float startTurns, sweepTurns;
  // Buttons only: the mode, and the initial position (-1: none set).
  int mode;
  int initialPosition;
};

extern const BoundControl kBoundControls[];
extern const std::size_t kBoundControlCount;  // 75

// Coarse/fine slider pairs and the switch that selects their range (0: none).
struct SliderLink {
  int coarseParam, fineParam, switchParam;
};
extern const SliderLink kSliderLinks[];
extern const std::size_t kSliderLinkCount;  // 4

// Insets every control of a kind gets.
inline constexpr Insets kVerticalSliderInsets{0, 10, 0, 10};
inline constexpr Insets kHorizontalSliderInsets{10, 0, 11, 0};
inline constexpr Insets kVerticalSwitchInsets{0, 7, 0, 7};
inline constexpr Insets kHorizontalSwitchInsets{7, 0, 7, 0};
inline constexpr Insets kDialInsets{0, 0, 3, 3};

// Jacks: one per cord parameter 90..178, in parameter order (the jack index is
// parameter - 89). Every jack is 14 x 14 at its (x, y).
enum JackKind { kJackInput = 1, kJackOutput = 2, kJackBoth = 3 };
inline constexpr int kJackSize = 14;

struct Jack {
  int param;
  const char* code;  // the key of the jack's parameter
  int x, y;
  JackKind kind;
  constexpr Rect rect() const { return {x, y, kJackSize, kJackSize}; }
  constexpr bool onPanel() const { return x + kJackSize <= kPanelWidth; }
};
inline constexpr std::size_t kJackCount = 89;
extern const Jack kJacks[kJackCount];

// Fixed controls, added to the pane before the bound ones, in this order.
enum class FixedKind {
  PatchMenu, NotesArea, NotesScrollBar, Button, VoicesMenu, Meter, MidiLight, Keyboard
};

struct FixedControl {
  FixedKind kind;
  const char* what;   // a short description of the control
  Rect rect;
  const char* image;  // first image, nullptr when none
  const char* image2; // second image (meters), nullptr when none
  int mode;           // button and meter mode
  int maxPosition;    // buttons and meters (0: the constructor's)
  int initialPosition;// -1: none set
  int id;             // patch menu id, meter source, or the bound parameter of the voices menu
  int level;          // patch menu level
  Insets insets;
};
extern const FixedControl kFixedControls[];
extern const std::size_t kFixedControlCount;  // 19

// The on-panel keyboard: keys 36..96 across its width, the black keys' and the upper white
// keys' part in the top 66 rows, the hold strip in the bottom 10.
inline constexpr Rect kKeyboardRect{258, 493, 734, 123};
inline constexpr int kKeyboardLowKey = 36, kKeyboardHighKey = 96;
inline constexpr int kKeyboardUpperHeight = 66;
inline constexpr int kKeyboardHoldStrip = 10;

// Pop-ups: rectangle (width and height those of the background unless given) and background.
struct Popup {
  const char* className;
  Rect rect;
  const char* background;
};
extern const Popup kPopups[];
extern const std::size_t kPopupCount;  // 8

// Lookups; nullptr when none.
const BoundControl* findBoundControl(int param);  // the first bound control of the parameter
const Jack* findJack(int param);
const FixedControl* findFixed(const char* what);

}  // namespace panel
