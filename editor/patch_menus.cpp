#include "editor/patch_menus.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "gui/cauguicanvas.h"
#include "gui/platform_rect.h"
#include "library/patch_library.h"
#include "platform/gui.h"
#include "plugin/editor_interface.h"

// --- the library behind the menus ----------------------------------------------------------

std::vector<std::string> EditorPatchChooser::items(int level, int& current) {
  EditorInterface::PatchHold hold(editor_);
  PatchLibrary* library = hold.library();
  current = -1;
  if (!library) return {};
  switch (level) {
    case PatchMenu::kGroups: current = library->currentGroupIndex(); return library->getGroupNames();
    case PatchMenu::kCategories: current = library->currentCategoryIndex(); return library->getCategoryNames();
    default: current = library->currentPatchIndex(); return library->patchNames();
  }
}

void EditorPatchChooser::select(int level, int index) {
  EditorInterface::PatchHold hold(editor_);
  PatchLibrary* library = hold.library();
  if (!library) return;
  switch (level) {
    case PatchMenu::kGroups: library->selectGroup(index); break;
    case PatchMenu::kCategories: library->selectCategory(index); break;
    default: library->selectPatch(index); break;
  }
}

void EditorPatchChooser::loadCurrentPatch() { editor_.loadLibraryPatch(); }

// --- shared drawing --------------------------------------------------------------------

void drawMenuText(DrawContext& context, const GuiRect& bounds, const std::string& text) {
  const GuiRect r{bounds.x, bounds.y, bounds.w - 20, bounds.h};
  context.drawText(text, toPlatform(r), {"Helvetica", bounds.h, 400}, kMenuTextColour,
                   platform::text::kCenter | platform::text::kVCenter | platform::text::kSingleLine |
                       platform::text::kNoPrefix);
}

namespace {

// Shows the menu at the control's top-left corner; the chosen id, 0 when dismissed or when
// there is no window to show it on.
int trackAt(CAUGuiCanvas* canvas, platform::PopupMenu& menu, const GuiRect& bounds) {
  GuiWindow* window = canvas ? canvas->window() : nullptr;
  if (!window) return 0;
  const GuiPoint at = canvas->toScreen({static_cast<int16_t>(bounds.x), static_cast<int16_t>(bounds.y)});
  return menu.track(*window, toPlatform(at));
}

}  // namespace

// --- patch menus -----------------------------------------------------------------------

PatchMenu::PatchMenu(CAUGuiCanvas* canvas, const GuiRect& rect, int, PatchChooser* library, int level,
                     std::unique_ptr<platform::PopupMenu> menu)
    : CAUGuiCtrl(canvas, rect), menu_(menu ? std::move(menu) : platform::PopupMenu::create()), library_(library),
      level_(level) {
  rebuild();
  if (canvas) canvas->setPatchMenu(std::clamp(level, 0, 2), this);
}

PatchMenu::~PatchMenu() = default;

void PatchMenu::rebuild() {
  int current = -1;
  items_ = library_ ? library_->items(level_, current) : std::vector<std::string>{};
  currentIndex_ = current;
  if (tracking_ || !menu_) return;
  menu_->clear();
  for (std::size_t i = 0; i < items_.size(); ++i)
    menu_->appendItem(static_cast<int>(i) + 1, items_[i].substr(0, kItemTextLength));
  itemCount_ = static_cast<int>(items_.size());
}

void PatchMenu::redraw() {
  rebuild();
  invalidate(bounds_);
}

std::string PatchMenu::shownText() const {
  if (currentIndex_ >= 0 && static_cast<std::size_t>(currentIndex_) < items_.size())
    return items_[static_cast<std::size_t>(currentIndex_)].substr(0, kShownTextLength);
  return "No Patch";
}

void PatchMenu::draw(DrawContext& context, int) { drawMenuText(context, bounds_, shownText()); }

int PatchMenu::mouseDown(GuiPoint, bool, bool) {
  if (!menu_) return kHandled;
  menu_->setDefaultItem(currentIndex_ + 1);
  // What the user sees while the menu is open.
  const std::vector<std::string> shown = items_;
  tracking_ = 1;
  const int id = trackAt(canvas_, *menu_, bounds_);
  tracking_ = 0;
  if (id < 1 || id > static_cast<int>(shown.size())) {
    redraw();  // the native items follow what a refresh inside the menu's loop found
    return kHandled;
  }
  // The choice is the item the user saw, wherever a refresh has moved it since.
  const std::string& picked = shown[static_cast<std::size_t>(id - 1)];
  std::size_t chosen = static_cast<std::size_t>(id - 1);
  if (chosen >= items_.size() || items_[chosen] != picked) {
    chosen = static_cast<std::size_t>(std::find(items_.begin(), items_.end(), picked) - items_.begin());
    if (chosen >= items_.size()) {
      redraw();
      return kHandled;
    }
  }
  currentIndex_ = static_cast<int>(chosen);
  if (library_) library_->select(level_, currentIndex_);
  redraw();
  if (canvas_) {
    // The levels below follow the choice; after a patch choice this refreshes the patch
    // menu itself with the lock button and the notes.
    if (level_ == kGroups) canvas_->refreshPatchMenu(kCategories);
    canvas_->refreshPatchMenu(kPatches);
  }
  if (library_) library_->loadCurrentPatch();
  return kHandled;
}

// --- voices menu -----------------------------------------------------------------------

VoicesMenu::VoicesMenu(CAUGuiCanvas* canvas, const ParamBinding& binding, const GuiRect& rect,
                       std::unique_ptr<platform::PopupMenu> menu)
    : CAUGuiCtrl(canvas, binding, rect, 10), menu_(menu ? std::move(menu) : platform::PopupMenu::create()) {
  minValue_ = static_cast<int>(binding.desc.minimum);
  maxValue_ = static_cast<int>(binding.desc.maximum);
  if (!menu_) return;
  menu_->clear();
  char label[16];
  for (int v = minValue_; v < maxValue_; ++v) {
    std::snprintf(label, sizeof label, "%d", v + 1);
    menu_->appendItem(v - minValue_ + 1, label);
  }
  itemCount_ = std::max(0, maxValue_ - minValue_);
}

VoicesMenu::~VoicesMenu() = default;

std::string VoicesMenu::shownText() const { return std::to_string(currentValue_ + 1); }

void VoicesMenu::draw(DrawContext& context, int) { drawMenuText(context, bounds_, shownText()); }

void VoicesMenu::setValue(float value) {
  value_ = value;
  currentValue_ = std::isfinite(value) ? static_cast<int>(std::lround(value)) : minValue_;
  position_ = currentValue_;
  redraw();
}

void VoicesMenu::setPosition(int position) {
  position_ = currentValue_ = position;
  value_ = static_cast<float>(position);
  if (canvas_) canvas_->reportValue(this, value_);
}

int VoicesMenu::mouseDown(GuiPoint, bool, bool) {
  if (!menu_) return kHandled;
  menu_->setDefaultItem(currentValue_ - minValue_ + 1);
  const int id = trackAt(canvas_, *menu_, bounds_);
  if (id < 1 || id > itemCount_) return kHandled;  // dismissed
  setPosition(minValue_ + id - 1);
  redraw();
  return kHandled;
}
