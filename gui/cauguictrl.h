// The base of every control and in-editor pop-up: bounds and image rectangle, a child chain
// it owns, an optional parameter binding, an integer position with its limits and the plain
// value it stands for, and the dirty rectangles the canvas redraws. GUI thread only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gui/cauguiitem.h"
#include "gui/draw_context.h"
#include "gui/erect_list.h"
#include "gui/geometry.h"
#include "gui/param_binding.h"

class CAUGuiCanvas;

// Mouse and key operations return this when they took the event, kNotHandled when not.
inline constexpr int kHandled = 0;
inline constexpr int kNotHandled = 2;

// Key modifiers as the editor window passes them.
inline constexpr int kModControl = 1;
inline constexpr int kModAlt = 2;
inline constexpr int kModShift = 8;

// Text buffers passed to valueText hold at least this many characters.
inline constexpr std::size_t kValueTextSize = 256;

class CAUGuiCtrl : public CAUGuiItem {
 public:
  // A control bound to a parameter: range = maximum - minimum, the parameter's unit kind.
  CAUGuiCtrl(CAUGuiCanvas* canvas, const ParamBinding& binding, const GuiRect& rect, int resolution);
  // A plain control: unbound, resolution 0, range 0.
  CAUGuiCtrl(CAUGuiCanvas* canvas, const GuiRect& rect);
  // A plain control with a range: resolution 1, so the canvas gives it `range` steps.
  CAUGuiCtrl(CAUGuiCanvas* canvas, const GuiRect& rect, float range);
  // Deletes the child chain (and, through the item base, the rest of this chain).
  ~CAUGuiCtrl() override;

  virtual void update(bool force);
  virtual void setShown(bool shown);
  virtual void draw(DrawContext& context, int flags);
  virtual int mouseDown(GuiPoint p, bool altDown, bool ctrlDown);
  virtual int mouseDrag(GuiPoint p, bool altDown, bool ctrlDown);
  virtual int mouseUp(GuiPoint p, bool altDown, bool ctrlDown);
  virtual bool hasParameter() const;
  // This control, a control of its child chain or a later item of its own chain is dirty.
  virtual bool needsRedraw() const;
  virtual bool isBound() const;
  // Appends to the child chain, makes this the owner, moves the child by this control's
  // origin and registers it with the canvas.
  virtual void addChild(CAUGuiCtrl* child);
  virtual GuiRect bounds() const;
  virtual void getBounds(int& left, int& top, int& right, int& bottom) const;
  virtual GuiRect imageRect() const;
  virtual void getImageRect(int& left, int& top, int& right, int& bottom) const;
  virtual int resolution() const;
  virtual const ParamBinding& binding() const;
  virtual float range() const;
  virtual CAUGuiCanvas* canvas() const;
  virtual CAUGuiCtrl* owner() const;
  virtual void setOwner(CAUGuiCtrl* owner);
  virtual void moveBy(int dx, int dy);
  virtual void setBounds(const GuiRect& rect);
  virtual void placeImage(int x, int y, int w, int h);
  virtual void setImageRect(const GuiRect& rect);
  virtual void insetImageRect(int left, int top, int right, int bottom);
  // Lists r (clipped to the bounds) for redrawing, passes it down to clean children and up
  // to the owner and the active child.
  virtual void invalidate(const GuiRect& r);
  virtual void redraw();
  virtual void clearDirty();
  virtual bool isDirty() const;
  virtual const eRectList& dirtyRects() const;
  virtual int dirtyRectCount() const;
  virtual int position() const;
  virtual int maxPosition() const;
  virtual int minPosition() const;
  // From the plug-in: stores the value and moves the position; reports nothing.
  virtual void setValue(float value);
  // From the user: clamps, converts to a value and reports it through the canvas.
  virtual void setPosition(int position);
  virtual void setMaxPosition(int position);
  virtual void setMinPosition(int position);
  virtual void drawTip(DrawContext& context, int flags, bool hover);
  virtual CAUGuiCtrl* findByParameter(int32_t index);
  virtual CAUGuiCtrl* hitTest(GuiPoint p);
  // The readout of `value` by this control's unit kind; an empty text for kind -1.
  virtual void valueText(float value, char* buffer, std::size_t size = kValueTextSize) const;
  virtual int positionForValue(float value) const;
  virtual float valueForPosition(int position) const;
  virtual void setActiveChild(CAUGuiCtrl* child);
  virtual CAUGuiCtrl* activeChild() const;
  virtual void setFocus(bool focused);
  virtual int keyDown(uint8_t key, int modifiers);
  virtual void midiLearned(int status, int number);
  virtual void setEnabled(bool enabled);
  virtual bool isEnabled() const;
  virtual void hideTip();

  // Plain accessors without a slot of their own.
  float value() const { return value_; }
  int unitKind() const { return unitKind_; }
  GuiRect tipBox() const { return tipBox_; }
  bool isSending() const { return sending_ != 0; }
  void setSending(bool sending) { sending_ = sending ? 1 : 0; }
  CAUGuiCtrl* firstChild() const { return firstChild_; }
  // The next control of this control's chain (null at its end or before a non-control).
  CAUGuiCtrl* nextCtrl() const;

 protected:
  eRectList dirtyList_;
  GuiRect tipBox_{};
  int sending_ = 0;
  bool enabled_ = true;
  CAUGuiCanvas* canvas_ = nullptr;
  ParamBinding binding_{};
  CAUGuiCtrl* owner_ = nullptr;
  CAUGuiCtrl* activeChild_ = nullptr;
  CAUGuiCtrl* firstChild_ = nullptr;
  int resolution_ = 0;
  float range_ = 0.0f;
  int unitKind_ = -1;
  bool bound_ = false;
  bool updateChildren_ = true;
  bool dirty_ = false;
  int position_ = 0;
  int maxPosition_ = 0;
  int minPosition_ = 0;
  float value_ = 0.0f;
  GuiRect bounds_{};
  GuiRect imageRect_{};

 private:
  void initPlain(const GuiRect& rect);
  // Set while invalidate passes a rectangle on, so a rectangle coming back ends the walk.
  bool invalidating_ = false;
};

// The position <-> value rule of a control, shared by the class and its tests: `steps` is
// the travel (maximum - minimum position), `minimum` and `range` the parameter's.
int positionForValue(float value, float minimum, float range, int steps, bool logarithmic);
float valueForPosition(int position, float minimum, float range, int steps, bool logarithmic);
// The readout text of `value` for unit kind `kind`; an empty text for -1 or any unknown kind.
void formatValueText(int kind, float value, char* buffer, std::size_t size);
