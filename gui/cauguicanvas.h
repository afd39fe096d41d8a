// The one object per open editor that owns the panel's item trees and the 1010 x 623
// off-screen bitmap, redraws what is dirty on the host's idle, copies the bitmap to the
// window on paint, routes mouse and keys to controls and passes control values to the
// plug-in as automated parameters. GUI thread only, except setHostValue.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "gui/canvas_plugin.h"
#include "gui/cauguictrl.h"
#include "gui/cauguiitem.h"
#include "gui/draw_context.h"
#include "gui/geometry.h"

struct MidiMapEntry;

// The MIDI map editor as the canvas opens it for MIDI learn (Shift-click on a control).
class MidiLearnPopup {
 public:
  virtual ~MidiLearnPopup() = default;
  // The pop-up as a control of the tree (it becomes the modal pop-up or a child pop-up).
  virtual CAUGuiCtrl* learnControl() = 0;
  // Opens the pop-up for `control` and its MIDI map entry (null when it has none); a pop-up
  // to return to when it closes, or null.
  virtual void openForLearn(CAUGuiCtrl* control, const MidiMapEntry* entry, CAUGuiCtrl* returnTo) = 0;
};

class CAUGuiCanvas {
 public:
  static constexpr int kWidth = 1010;
  static constexpr int kHeight = 623;
  // Places of the jack array; the panel registers 89 jacks.
  static constexpr int kJackPlaces = 90;
  // Idle passes a still mouse waits before the hover tip shows.
  static constexpr int kTipDelay = 5;
  // Parameters from this index on are cords: their value is a jack index, sent / 1000.
  static constexpr int32_t kFirstJackParam = kFirstCordParam;
  // Shift-click arms MIDI learn on controls bound below this index.
  static constexpr int32_t kLearnLimit = 79;

  // `window` may be null (no device to show on; drawing still goes to the bitmap).
  CAUGuiCanvas(CanvasPlugin* plugin, GuiWindow* window, int originX, int originY);
  ~CAUGuiCanvas();
  CAUGuiCanvas(const CAUGuiCanvas&) = delete;
  CAUGuiCanvas& operator=(const CAUGuiCanvas&) = delete;

  // Registration. addControl gives the next id; a control without owner joins the control
  // chain, moved by the origin. Returns whether it is bound. The canvas owns both chains.
  bool addControl(CAUGuiCtrl* control);
  void addGraphic(CAUGuiItem* image);
  int addCable(CAUGuiCtrl* jack);  // index 0, 1, ...; -1 when all places are taken
  CAUGuiCtrl* cableAt(GuiPoint p) const;
  int cableCount() const { return jackCount_; }
  CAUGuiCtrl* cable(int index) const;

  // Named references the panel builder sets.
  void setTopPane(CAUGuiCtrl* pane) { topPane_ = pane; }
  CAUGuiCtrl* topPane() const { return topPane_; }
  void setPatchMenu(int level, CAUGuiCtrl* menu);  // levels 0, 1, 2
  void setLockButton(CAUGuiCtrl* button) { lockButton_ = button; }
  void setNotesArea(CAUGuiCtrl* notes) { notesArea_ = notes; }
  void setMidiMapPopup(MidiLearnPopup* popup) { midiMapPopup_ = popup; }
  void setShowTips(bool show) { showTips_ = show; }
  bool showTips() const { return showTips_; }

  // Modal pop-up and keyboard focus.
  void setModal(CAUGuiCtrl* popup);
  void closeModal();
  CAUGuiCtrl* modal() const { return modal_; }
  void setFocus(CAUGuiCtrl* control);
  CAUGuiCtrl* focusControl() const { return focus_; }
  CAUGuiCtrl* pressedControl() const { return pressed_; }
  CAUGuiCtrl* hoverControl() const { return hover_; }
  CAUGuiCtrl* midiLearnTarget() const;
  void clearMidiLearnTarget() { learnTarget_ = nullptr; }
  int learnedChannel() const { return learnedChannel_; }
  int learnedNumber() const { return learnedNumber_; }

  CAUGuiCtrl* controls() const { return controls_; }
  CAUGuiItem* graphics() const { return graphics_; }
  CAUGuiCtrl* findControlByParameter(int32_t index) const;
  CanvasPlugin* plugin() const { return plugin_; }
  // The editor window the canvas shows in (null without one): native pop-up menus and
  // edit boxes open on it.
  GuiWindow* window() const { return window_; }

  void setMidiMapEntry(const MidiMapEntry& entry);
  float meterValue(int index) const;
  void refreshPatchMenu(int level);
  GuiPoint toScreen(GuiPoint p) const;

  // The host's idle: patch-menu refresh, MIDI-learn feed, host values that arrived on other
  // threads, redrawing dirty controls and tips into the bitmap, invalidating the window.
  void idle();
  // The window's paint message for the invalid rectangle `area`: runs idle, then copies that
  // part of the bitmap to the window (the whole panel when the area starts outside it).
  void paint(platform::PaintTarget& target, const GuiRect& area);
  // Draws one dirty control and its active-child chain, clipped to their dirty rectangles.
  void drawItem(DrawContext& context, CAUGuiCtrl* item);

  // Mouse and keys in client coordinates; 2 when nothing took the event.
  int mouseDown(GuiPoint p, bool ctrlDown, bool shiftDown);
  int mouseDrag(GuiPoint p, bool ctrlDown);
  int mouseMove(GuiPoint p);
  int mouseUp(GuiPoint p, bool ctrlDown);
  int keyDown(uint8_t key, int modifiers);

  // Values to the plug-in, normalised (index >= 90: value / 1000). Nothing is sent for an
  // unbound control or while the host update is on; the control's sending flag is set
  // during the call.
  void reportControlValue(CAUGuiCtrl* control);
  void reportValue(CAUGuiCtrl* control, float value);
  static float normalise(const ParamBinding& binding, float value);

  // Set while the editor writes plug-in values into controls.
  void setHostUpdate(bool on) { hostUpdate_ = on; }
  bool hostUpdate() const { return hostUpdate_; }
  // A parameter changed in the plug-in (normalised value). On the GUI thread the bound
  // control moves at once (unless it is sending); from any other thread the change is kept
  // and applied at the next idle. Lock-free and allocation-free.
  void setHostValue(int32_t index, float normalised);
  // Loads every bound control from the plug-in's current values without reporting back.
  void syncFromPlugin();

  // Drawing passes made by idle (a pass draws at least one item or tip).
  int drawPasses() const { return drawPasses_; }
  // The off-screen bitmap and its surface, null when they could not be made.
  DrawContext* surface() const;
  const platform::Bitmap* bitmap() const;

 private:
  struct Offscreen;
  static constexpr int kHostValueSlots = 180;
  static constexpr int kMaxPopupDepth = 16;

  CAUGuiCtrl* hitControl(GuiPoint p) const;
  bool altDown() const;
  void applyHostValue(int32_t index, float normalised);
  void applyPendingHostValues();
  void refreshLockAndNotes();
  void drawTipOf(DrawContext& context, CAUGuiCtrl* control, bool hover);
  void endGesture();

  CAUGuiCtrl* hover_ = nullptr;
  int tipCountdown_ = 0;
  bool hoverTipShown_ = false;
  int busy_ = 0;
  int originX_ = 0;
  int originY_ = 0;
  bool showTips_ = true;
  MidiLearnPopup* midiMapPopup_ = nullptr;
  CAUGuiCtrl* notesArea_ = nullptr;
  int nextId_ = 0;
  CAUGuiItem* graphics_ = nullptr;
  CAUGuiCtrl* controls_ = nullptr;
  CAUGuiCtrl* topPane_ = nullptr;
  CAUGuiCtrl* pressed_ = nullptr;
  CAUGuiCtrl* modal_ = nullptr;
  CAUGuiCtrl* patchMenus_[3] = {};
  CAUGuiCtrl* lockButton_ = nullptr;
  CAUGuiCtrl* focus_ = nullptr;
  const void* lastPatch_ = nullptr;
  CanvasPlugin* plugin_ = nullptr;
  GuiWindow* window_ = nullptr;
  std::unique_ptr<Offscreen> offscreen_;
  bool hostUpdate_ = false;
  CAUGuiCtrl* jacks_[kJackPlaces] = {};
  int jackCount_ = 0;
  MidiLearnPopup* learnTarget_ = nullptr;
  int learnedChannel_ = 0;
  int learnedNumber_ = 0;
  // The gesture told to the host as begun (beginEdit), -1 when none.
  int32_t editing_ = -1;
  int drawPasses_ = 0;
  std::thread::id guiThread_;
  // Host values from other threads: the latest value per parameter and a pending flag.
  std::atomic<float> pendingValue_[kHostValueSlots];
  std::atomic<bool> pending_[kHostValueSlots];
  std::atomic<bool> anyPending_{false};
};
