// The patch manager: the in-editor dialog in which the user reorganises the patch library in
// three multi-select lists (groups, categories, patches) with import and export of archives,
// cut, copy and paste through the clipboard files, up, down, rename and delete. Edits change
// the library in memory; OK and Select write it to disk, Cancel reads it back. Every action
// takes the plug-in's patch lock for its own duration only. While the dialog is open MIDI
// bank selects and program changes wait. GUI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/dialog_parts.h"
#include "editor/kvxnameprompts.h"
#include "gui/kvxinternalpopup.h"
#include "gui/kvxlists.h"

class CAUGuiButton;
class CAUGuiGraphic;
class EditorInterface;
class Patch;
class PatchLibrary;
class Quorvane_VSTEdit;
namespace platform {
class Window;
}

// Up and Down of the selected rows of a list of count entries: each step takes the entry at
// from out and inserts it at to (in the list without it); selection is the rows afterwards.
struct ListMove {
  std::vector<std::pair<int, int>> steps;
  std::vector<int> selection;
};
// rows ascending, each in 0..count-1.
ListMove planMoveUp(int count, const std::vector<int>& rows);
ListMove planMoveDown(int count, const std::vector<int>& rows);

// The path an export writes: the chosen one when its file name has a dot, else with ".kvx".
std::string exportPathFor(const std::string& chosen);

class KVXPatchManagerInternal : public KVXInternalPopup, public KVXListHandler, public KVXRenameHandler {
 public:
  enum Level : int { kGroups = 0, kCategories = 1, kPatches = 2 };
  enum Button : int { kOk, kCancel, kImport, kExport, kUp, kDown, kCut, kCopy, kPaste, kRename, kDelete, kSelect, kButtonCount };

  // Builds the dialog's controls at its rectangle's origin, with images of its own, and its
  // rename prompt. Hidden until open.
  KVXPatchManagerInternal(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background, CAUGuiCtrl* covered,
                          Quorvane_VSTEdit& plugin, EditorInterface& editor, platform::Window* window);
  ~KVXPatchManagerInternal() override;

  // Prepares the dialog from the library and shows it as the canvas's modal pop-up. 0 when
  // the plug-in has no library (nothing is shown), else 1.
  int open();
  bool isOpen() const { return open_; }
  int keyDown(uint8_t key, int modifiers) override;
  void onSelectionChanged(KVXTextList* list, const std::vector<int>& selection) override;
  // The rename prompt's OK: the typed name goes to renameDone.
  void onRenameDone(KVXRenameInternal* prompt) override;

  // The buttons' actions.
  void ok();
  void cancel();
  void select();
  void importArchive();
  void exportArchive();
  void moveUp() { move(true); }
  void moveDown() { move(false); }
  void cut() { copyOrCut(true); }
  void copy() { copyOrCut(false); }
  void paste();
  void rename();
  void deleteSelection();
  // The new name of the first selected entry of the level (type 0 group, 1 category, 2
  // patch): a blank name is refused with a message; a long one is cut to the library's limit.
  void renameDone(int type, const std::string& text);

  KVXTextList* list(int level) const { return lists_[level]; }
  CAUGuiButton* button(int which) const { return buttons_[which]; }
  KVXRenameInternal* renamePrompt() const { return renamePopup_.get(); }
  int clipboardType() const { return clipboardType_; }
  const Patch* savedPatch() const { return saved_.patch; }

  // Refusals and questions, as shown.
  static constexpr const char* kCannotCutCategories =
      "This Category selection cannot be CUT because a Group MUST Have at least one Category. You can however delete the Group.";
  static constexpr const char* kCannotCutGroups = "This Group selection cannot be CUT because you MUST Have at least one Group.";
  static constexpr const char* kCannotDeleteCategories =
      "This Category selection cannot be deleted because a Group MUST Have at least one Category. You can however delete the Group.";
  static constexpr const char* kCannotDeleteGroups =
      "This Group selection cannot be deleted because you MUST Have at least one Group.";
  static constexpr const char* kDeletionCanceled = "Deletion Canceled";
  static constexpr const char* kBlankName = "The name must not be blank.";
  static constexpr const char* kRescueFile = "libraryrescue.kvx";

 private:
  // The selections of the three lists when an action starts, each sorted ascending.
  struct Rows {
    std::vector<int> groups, categories, patches;
    int level() const { return categories.empty() ? kGroups : patches.empty() ? kCategories : kPatches; }
  };
  Rows takeRows();
  // fn(library, rows) under the patch lock, with the lists' selections; nothing without a
  // library or a selected group.
  template <class Fn>
  void withSelection(Fn&& fn);
  void move(PatchLibrary& library, const Rows& rows, bool up);
  void deleteSelection(PatchLibrary& library, const Rows& rows);
  void rename(PatchLibrary& library, const Rows& rows);
  void renameDone(PatchLibrary& library, const Rows& rows, int type, const std::string& text);
  // The patch rows that name patches (the placeholder row of an empty category names none).
  std::vector<int> realPatchRows(PatchLibrary& library, const Rows& rows) const;
  void fill(PatchLibrary& library, int level);
  void fillAll(PatchLibrary& library);
  void move(bool up);
  void copyOrCut(bool cut);
  // Writes the clipboard dump and type file; the type, or -1 when either write failed.
  int writeClipboard(PatchLibrary& library, const Rows& rows);
  // Takes the selected entries of the level out; false (with the refusal shown) when the
  // selection is a whole level the library must keep.
  bool removeSelection(PatchLibrary& library, const Rows& rows, const char* refusalGroups, const char* refusalCategories);
  void forgetRemovedSavedPatch(PatchLibrary& library);
  // Writes the library with a rescue archive and tells the user what a failure left.
  void writeLibrary(PatchLibrary& library);
  // Ends the dialog: the modal pop-up closes and program changes flow again.
  void finish();
  void enableButton(int which, bool on);
  bool pasteAllowed(int lowest, int highest) const { return clipboardType_ >= lowest && clipboardType_ <= highest; }

  OwnedImages images_;  // declared first: freed after the controls that show them
  Quorvane_VSTEdit& plugin_;
  EditorInterface& editor_;
  platform::Window* window_;
  KVXTextList* lists_[3] = {};
  KVXListSlider* sliders_[3] = {};
  CAUGuiButton* buttons_[kButtonCount] = {};
  std::string exportPath_;
  std::string importPath_;
  int clipboardType_ = -1;
  struct Saved {
    int group = 0, category = 0, patchIndex = 0;
    const Patch* patch = nullptr;
  };
  Saved saved_;
  bool open_ = false;
  std::unique_ptr<KVXRenameInternal> renamePopup_;
};
