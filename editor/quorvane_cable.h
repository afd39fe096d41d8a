// One patch jack on the panel and the cords that end in it. The jack is bound to its cord
// parameter, whose value is the index of the jack at the other end (0 for none). A cord
// exists between two jacks exactly while one of them names the other, so the panel shows
// what the engine plays: an output or a two-way jack (a Multiple, the switch and gate
// jacks) keeps every cord that other jacks point at it, and gives up only the one cord its
// own value names when it is plugged elsewhere. The mouse plugs, re-plugs and pulls cords
// and reports each change to the host; values set from code (patch loads, automation, the
// editor's start-up) re-point the jack without reporting. GUI thread only.
#pragma once

#include <vector>

#include "gui/cauguictrl.h"

class CAUGuiGraphic;

// {min x, min y, max right - min x, max bottom - min y}.
GuiRect unionRect(const GuiRect& a, const GuiRect& b);
// The area a cord from the jack rectangle `jack` to the rectangle `end` may cover: both
// rectangles and room below them for the sag.
GuiRect cableArea(const GuiRect& jack, const GuiRect& end);
// The points of one stroke of the sagging cord from the rectangle `start` to `end` (their
// top-left corners), each moved by (ox, oy): a parabola that meets both ends and hangs
// 2.25 x sag pixels below two ends at one height.
std::vector<GuiPoint> cordStroke(const GuiRect& start, const GuiRect& end, float sag, int ox, int oy);

class Quorvane_Cable : public CAUGuiCtrl {
 public:
  enum Kind : int { kInput = 1, kOutput = 2, kTwoWay = 3 };
  static constexpr float kSag = 60.0f;

  // A zero width or height is taken from the size image (the plug image without one). The
  // jack registers itself with the canvas and takes the next jack index (1-based).
  Quorvane_Cable(CAUGuiCanvas* canvas, const ParamBinding& binding, const GuiRect& rect, int resolution,
                 CAUGuiGraphic* plugImage, CAUGuiGraphic* sizeImage, const char* code, int kind);
  ~Quorvane_Cable() override;

  void draw(DrawContext& context, int flags) override;
  // A press takes up every cord of the jack (their far ends follow the pointer) or starts a
  // new cord; the release plugs into the jack under the pointer when the kinds fit.
  int mouseDown(GuiPoint p, bool altDown, bool ctrlDown) override;
  int mouseDrag(GuiPoint p, bool altDown, bool ctrlDown) override;
  int mouseUp(GuiPoint p, bool altDown, bool ctrlDown) override;
  // A cord value from the plug-in: the plain jack index (rounded to the nearest), 0 or an
  // index naming no other jack for none. Nothing is reported.
  void setValue(float value) override;

  // Plugs a cord between a and b as the mouse does: the input end (of two two-way jacks, b)
  // takes the other's index as its value and reports it; an input first loses the cord it
  // had. With b null every cord of a is pulled and each jack that named a reports 0.
  static void connectCable(Quorvane_Cable* a, Quorvane_Cable* b);
  // Whether a cord may be plugged by hand between jacks of these kinds.
  static bool kindsFit(int a, int b) { return (a | b) == kTwoWay; }

  const char* code() const { return code_; }
  int kind() const { return kind_; }
  int jackIndex() const { return jackIndex_; }
  // The jacks linked to this one, newest first.
  const std::vector<Quorvane_Cable*>& peers() const { return peers_; }
  bool isLinkedTo(const Quorvane_Cable* other) const;
  bool dragging() const { return dragging_; }

 private:
  Quorvane_Cable* jackAt(int jackIndex) const;
  // The other jack this jack's own value names, or null.
  Quorvane_Cable* namedPeer() const;
  // Sets the jack's value to `jackIndex` (reported when asked) and keeps the links true to it.
  void pointAt(int jackIndex, bool report);
  void reportOwnValue();
  // Pulls every cord; the jacks that named this one go to 0 and report it, and so does this
  // one when `reportSelf`.
  void removeAll(bool reportSelf);
  void updateImageRect();
  // Whether this end draws the cord to `peer` (each cord is drawn once, by its output end).
  bool drawsCordTo(const Quorvane_Cable* peer) const;
  void drawPlug(DrawContext& context, int flags, const GuiRect& at) const;
  void drawCable(DrawContext& context, const GuiRect& start, const GuiRect& end) const;
  // Follows the pointer with this jack's loose end.
  void followPointer(GuiPoint p);

  static void link(Quorvane_Cable* a, Quorvane_Cable* b);
  static void unlink(Quorvane_Cable* a, Quorvane_Cable* b);
  // The area a drawn cord between a and b covers, its plugs and strokes included.
  static GuiRect cordArea(const Quorvane_Cable* a, const Quorvane_Cable* b);

  GuiRect coverRect_{};  // what the loose cord last covered, grown by 7
  GuiRect endRect_{};    // the loose end while dragged, else the jack last linked to
  std::vector<Quorvane_Cable*> peers_;
  std::vector<Quorvane_Cable*> dragPeers_;  // far ends taken up by the press
  CAUGuiGraphic* plugImage_ = nullptr;
  CAUGuiGraphic* sizeImage_ = nullptr;
  GuiRect lastArea_{};
  float sag_ = kSag;
  bool dragging_ = false;
  bool looseEnd_ = false;  // taken up by another jack's press, following the pointer
  const char* code_ = "";
  int kind_ = kInput;
  int jackIndex_ = 0;
};
