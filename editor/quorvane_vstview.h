// The panel view of one open editor: the canvas with every control of the 1010 x 623 panel
// built from the geometry tables, the logo button's menu, the about box, the panel buttons'
// actions and the bridge the canvas talks to the plug-in through. GUI thread only.
//
// The dialogs behind the patch manager, save-as, MIDI map, microtuning and MIDI beat
// buttons are not part of the panel yet: their pop-ups are absent and every action that
// would open one checks for it and does nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gui/canvas_plugin.h"
#include "editor/patch_menus.h"
#include "editor/quorvane_keyboard.h"
#include "gui/kvxinternalpopup.h"
#include "plugin/editor_interface.h"

class CAUGuiButton;
class CAUGuiCanvas;
class CAUGuiGraphic;
class CAUGuiPane;
class CanvasWindowLink;
class KVXTextCtrl;
class Quorvane_Cable;
class Quorvane_VSTEdit;
namespace platform {
class PopupMenu;
class Window;
}  // namespace platform

// The menu behind the logo button: ten items, "Show Control Tips" (10) checked at first.
class LogoMenu {
 public:
  enum Item : int {
    kAbout = 1,
    kLoadMidiMap = 3,
    kSaveMidiMap = 4,
    kLoadMicrotuning = 6,
    kMidiBeat = 8,
    kShowTips = 10,
  };
  static constexpr int kItemCount = 10;  // separators included

  LogoMenu();
  ~LogoMenu();
  // Shows the menu at the screen point and returns the chosen id, 0 when dismissed;
  // choosing item 10 toggles its check mark.
  int track(platform::Window& owner, int16_t screenX, int16_t screenY);
  bool tipsChecked() const;
  platform::PopupMenu* menu() const { return menu_.get(); }

 private:
  std::unique_ptr<platform::PopupMenu> menu_;
};

// The about box: eleven lines over "aboutBack.png"; a button release on it or any key
// closes it.
class KVXAboutBox : public KVXInternalPopup {
 public:
  static constexpr int kLineCount = 11;
  KVXAboutBox(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background, CAUGuiCtrl* covered);
  int mouseUp(GuiPoint p, bool altDown, bool ctrlDown) override;
  int keyDown(uint8_t key, int modifiers) override;
  int close();
  // The text of line 1..11.
  static const char* lineText(int line);
};

// What Save does with the state it finds, in the order it tests it.
enum class SaveDecision { SaveAs, RefuseLocked, Save };
SaveDecision decideSave(bool hasCurrentPatch, int32_t lastChangeSource, bool locked);
inline constexpr const char* kLockedPatchMessage =
    "This patch is currently locked.  It must be unlocked in order to save it.";

class Quorvane_VSTView : private CanvasPlugin {
 public:
  Quorvane_VSTView(Quorvane_VSTEdit& plugin, platform::Window* window, int* width, int* height);
  ~Quorvane_VSTView() override;
  Quorvane_VSTView(const Quorvane_VSTView&) = delete;
  Quorvane_VSTView& operator=(const Quorvane_VSTView&) = delete;

  // Builds the whole panel at the canvas origin (x, y) and loads every control from the
  // plug-in's current values without reporting anything back.
  virtual void buildPanel(float x, float y);

  // A parameter's normalised value as the plug-in now holds it: the bound control (both
  // for Master Bypass) moves; a jack re-points its cord. GUI thread.
  void hostValue(int32_t index, float normalised);
  void idle();

  // The two Master Bypass controls show the one that changed.
  void syncBypassPair(CAUGuiButton* changed);
  // Panel button actions.
  void logoButton();
  void saveButton();
  void saveAsButton();
  void patchManagerButton();
  void resetButton();

  CAUGuiCanvas* canvas() const { return canvas_.get(); }
  CAUGuiPane* pane() const { return pane_; }
  CAUGuiButton* bypassSwitch() const { return bypassSwitch_; }
  CAUGuiButton* powerLight() const { return powerLight_; }
  KVXAboutBox* aboutBox() const { return aboutBox_.get(); }
  LogoMenu* logoMenu() const { return logoMenu_.get(); }
  Quorvane_Cable* jack(int jackIndex) const;  // 1..89
  Quorvane_Keyboard* keyboard() const { return keyboard_; }
  PatchMenu* patchMenu(int level) const { return level >= 0 && level < 3 ? patchMenus_[level] : nullptr; }
  VoicesMenu* voicesMenu() const { return voicesMenu_; }
  bool showTips() const { return showTips_; }
  // The plug-in through its editor interface; the patch buttons use the plug-in itself.
  EditorInterface& editor() { return editor_; }
  Quorvane_VSTEdit& plugin() const { return plugin_; }

 private:
  // The plug-in as the canvas sees it.
  void setParameterAutomated(int32_t index, float normalised) override;
  float getParameter(int32_t index) override;
  void beginEdit(int32_t index) override;
  void endEdit(int32_t index) override;
  float meterValue(int index) override;
  double meterClockHz() const override;
  double sampleRate() const override;
  const void* currentPatch() override;
  bool currentPatchLocked() override;
  bool currentPatchNotes(std::string& notes) override;

  CAUGuiGraphic* image(const char* name) const;
  void addFixedControls();
  void addBoundControls();
  void addJacks();
  void loadFromPlugin();

  Quorvane_VSTEdit& plugin_;
  EditorInterface editor_;
  EditorPanelKeys panelKeys_{editor_};
  EditorPatchChooser patchChooser_{editor_};
  platform::Window* window_;
  bool showTips_ = false;
  std::unique_ptr<CAUGuiCanvas> canvas_;
  std::unique_ptr<CanvasWindowLink> link_;
  std::unique_ptr<LogoMenu> logoMenu_;
  std::unique_ptr<KVXAboutBox> aboutBox_;
  CAUGuiPane* pane_ = nullptr;
  CAUGuiButton* bypassSwitch_ = nullptr;
  CAUGuiButton* powerLight_ = nullptr;
  CAUGuiButton* logoButton_ = nullptr;
  Quorvane_Keyboard* keyboard_ = nullptr;
  PatchMenu* patchMenus_[3] = {};  // by level
  VoicesMenu* voicesMenu_ = nullptr;
  CAUGuiGraphic* images_[29] = {};  // the shared images, in creation order
};
