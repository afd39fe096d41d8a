// The drop-down selectors on the panel, each a line of light green text that opens a
// native pop-up menu at its top-left corner: one patch menu per level of the patch library
// (2 groups, 1 categories of the current group, 0 patches of the current category) and the
// voices menu of the voice-count parameter. GUI thread only.
//
// Menu item ids start at 1, so 0 is always a dismissal and every item can be chosen; any
// id outside the items (-1 included) is taken as a dismissal too. A patch menu keeps the
// items it showed while its menu is open: a refresh made by an idle inside the menu's loop
// changes neither the menu nor what the returned id means.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gui/cauguictrl.h"

class EditorInterface;
namespace platform {
class PopupMenu;
}

// What a patch menu asks of the plug-in's patch library.
class PatchChooser {
 public:
  // The item texts of a level and the index of its current item (-1 for none).
  virtual std::vector<std::string> items(int level, int& current) = 0;
  // Makes item `index` of the level current.
  virtual void select(int level, int index) = 0;
  // Loads the library's current patch into the plug-in, waiting for the output's fade.
  virtual void loadCurrentPatch() = 0;

 protected:
  ~PatchChooser() = default;
};

// The library of the plug-in behind the editor, under the plug-in's patch lock.
class EditorPatchChooser final : public PatchChooser {
 public:
  explicit EditorPatchChooser(EditorInterface& editor) : editor_(editor) {}
  std::vector<std::string> items(int level, int& current) override;
  void select(int level, int index) override;
  void loadCurrentPatch() override;

 private:
  EditorInterface& editor_;
};

// The text both kinds of menu show and how: "Helvetica" at the bounds' height, centred on
// one line in the bounds less 20 pixels on the right.
inline constexpr uint32_t kMenuTextColour = 0x66FF66;
void drawMenuText(DrawContext& context, const GuiRect& bounds, const std::string& text);

class PatchMenu : public CAUGuiCtrl {
 public:
  enum Level : int { kPatches = 0, kCategories = 1, kGroups = 2 };
  static constexpr std::size_t kItemTextLength = 50;  // of a native menu item
  static constexpr std::size_t kShownTextLength = 255;

  // Registers itself with the canvas as the menu of its level. `menu` replaces the native
  // menu (tests); null makes the native one.
  PatchMenu(CAUGuiCanvas* canvas, const GuiRect& rect, int identifier, PatchChooser* library, int level,
            std::unique_ptr<platform::PopupMenu> menu = nullptr);
  ~PatchMenu() override;

  void draw(DrawContext& context, int flags) override;
  int mouseDown(GuiPoint p, bool altDown, bool ctrlDown) override;
  // Rebuilds from the library and redraws: how the canvas refreshes the menu.
  void redraw() override;
  // Takes the level's items and current index from the library; the native menu's items
  // follow unless it is open.
  void rebuild();

  const std::vector<std::string>& items() const { return items_; }
  int currentIndex() const { return currentIndex_; }
  int level() const { return level_; }
  // The text the control shows.
  std::string shownText() const;
  platform::PopupMenu* menu() const { return menu_.get(); }

 private:
  std::unique_ptr<platform::PopupMenu> menu_;
  PatchChooser* library_ = nullptr;
  std::vector<std::string> items_;
  int currentIndex_ = -1;
  int level_ = kPatches;
  int itemCount_ = 0;
  int tracking_ = 0;
};

class VoicesMenu : public CAUGuiCtrl {
 public:
  // Offers the values from the parameter's minimum up to one below its maximum, labelled
  // from "1"; `menu` replaces the native menu (tests).
  VoicesMenu(CAUGuiCanvas* canvas, const ParamBinding& binding, const GuiRect& rect,
             std::unique_ptr<platform::PopupMenu> menu = nullptr);
  ~VoicesMenu() override;

  void draw(DrawContext& context, int flags) override;
  int mouseDown(GuiPoint p, bool altDown, bool ctrlDown) override;
  // From the plug-in: shows the value (rounded to the nearest); reports nothing.
  void setValue(float value) override;
  // From the menu: shows the value and reports it to the host.
  void setPosition(int position) override;

  int currentValue() const { return currentValue_; }
  std::string shownText() const;
  platform::PopupMenu* menu() const { return menu_.get(); }

 private:
  std::unique_ptr<platform::PopupMenu> menu_;
  int currentValue_ = 0;
  int minValue_ = 0;
  int maxValue_ = 0;
  int itemCount_ = 0;
};
