// The save-as dialog: stores the patch being edited under a name, author, date, notes, MIDI
// patch number, show-notes flag, group and category. It updates the patch in place or adds a
// new patch to the library, and can make a new category or a new group on the way (through
// the two name prompts it opens over itself). The panel view builds it once, hidden; the
// save-as button (and Save, when there is nothing to save in place) opens it as the modal
// pop-up. GUI thread only; the library is read and changed only under the plug-in's patch
// hold, never across idle calls, and no message box is shown while the hold is taken.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "editor/dialog_parts.h"
#include "editor/kvxnameprompts.h"
#include "gui/kvxinternalpopup.h"
#include "gui/kvxlists.h"
#include "gui/kvxtext.h"
#include "plugin/editor_interface.h"

class CAUGuiButton;
class Patch;
class PatchLibrary;

// The MIDI number field's text as a program slot: the decimal number n gives slot n - 1; an
// empty field, a number that does not convert and a slot outside 0..127 give none (-1).
int32_t programSlotFromText(const std::string& text);

// Who holds the program slot the user typed, in the current group.
enum class SlotOccupant { None, EditedPatch, OtherPatch };

// What the dialog knows when OK is pressed.
struct SaveAsFacts {
  // The dialog was opened on the library's current patch, the engine holds that patch (the
  // last change loaded it, not the reset or the session patch) and it is still current.
  bool editingLibraryPatch = false;
  bool sameName = false;   // the typed name equals that patch's name exactly
  bool samePlace = false;  // the group and category are those the dialog was opened on
  int32_t slot = -1;       // the slot typed, -1 for none
  int32_t oldSlot = -1;    // the edited patch's slot
  SlotOccupant occupant = SlotOccupant::None;
};

// What OK does.
struct SaveAsDecision {
  bool updateInPlace = false;  // else a new patch is added to the current category
  bool asksToReplace = false;  // another patch holds the slot: the question is asked
  int32_t slot = -1;           // the slot the saved patch ends with
  bool clearOccupant = false;  // the other patch gives the slot up
};
// `replace` is the answer to the question (used only when it is asked).
SaveAsDecision decideSaveAs(const SaveAsFacts& facts, bool replace);

class KVXSaveAsInternal : public KVXInternalPopup,
                          public KVXTextEditHandler,
                          public KVXStringMenuHandler,
                          public KVXRenameHandler,
                          public KVXNewGroupHandler {
 public:
  // Texts are cut to this many characters when OK reads them.
  static constexpr std::size_t kMaxTextLength = 1000;

  // `covered` is the control under the dialog (the panel's top pane). The dialog talks to the
  // plug-in through `editor` only.
  KVXSaveAsInternal(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background, CAUGuiCtrl* covered,
                    EditorInterface& editor);
  ~KVXSaveAsInternal() override;

  // Fills the dialog from the patch being edited: the session patch after a chunk load, the
  // reset patch after a reset, else the library's current patch (empty fields when the
  // current category holds none); the menus show the current group and category; shown.
  // The caller has made it the top pane's active child and the canvas's modal pop-up.
  // Returns 1.
  int open();
  // OK: saves (see decideSaveAs), then closes the dialog and the modal state. A refusal (a
  // blank name, a locked patch, a patch the library could not add) says so in a message box
  // and leaves the dialog open with nothing saved.
  void commit();
  // Cancel: the selection the dialog was opened on comes back; the dialog closes.
  void cancel();
  // The new-category and new-group buttons: their prompt opens over the dialog.
  void newCategory();
  void newGroup();
  bool isOpen() const;

  // Enter (10 or 13) is OK, Escape (27) Cancel; other keys are not handled.
  int keyDown(uint8_t key, int modifiers) override;

  KVXTextEditor* nameEditor() const { return name_; }
  KVXTextEditor* authorEditor() const { return author_; }
  KVXTextEditor* dateEditor() const { return date_; }
  KVXTextEditor* numberEditor() const { return number_; }
  KVXTextEditor* notesEditor() const { return notes_; }
  KVXStringMenu* groupMenu() const { return groupMenu_; }
  KVXStringMenu* categoryMenu() const { return categoryMenu_; }
  CAUGuiButton* showNotesBox() const { return showNotes_; }
  CAUGuiButton* okButton() const { return ok_; }
  CAUGuiButton* cancelButton() const { return cancel_; }
  CAUGuiButton* newGroupButton() const { return newGroup_; }
  CAUGuiButton* newCategoryButton() const { return newCategory_; }
  KVXRenameInternal* newCategoryPopup() const { return newCategoryPopup_.get(); }
  KVXNewGroupInternal* newGroupPopup() const { return newGroupPopup_.get(); }

  // The dialog's messages.
  static constexpr const char* kBlankCategoryMessage = "The Category name must not be blank.";
  static constexpr const char* kCategoryExistsMessage = "The Category you have specified already exists.";
  static constexpr const char* kBlankGroupMessage = "The Group name AND Category name must not be blank.";
  static constexpr const char* kGroupExistsMessage = "The Group you have specified already exists.";
  static constexpr const char* kBlankPatchMessage = "The Patch name must not be blank.";
  static constexpr const char* kPatchNotAddedMessage =
      "The patch could not be added to the library: its category could not be written.";
  static constexpr const char* kPatchNotWrittenMessage = "The patch file could not be written.";
  static constexpr const char* kListNotWrittenMessage = "The library's list could not be written.";
  // The replace question: the occupant's name and the number as typed.
  static std::string replaceQuestion(const std::string& occupantName, const std::string& typedNumber);

  // KVXTextEditHandler
  void onEnter(KVXTextEditor* editor) override;
  void onTab(KVXTextEditor* editor, bool shiftDown) override;
  void onEscape(KVXTextEditor* editor) override;
  // KVXStringMenuHandler
  void onItemChosen(KVXStringMenu* menu) override;
  // KVXRenameHandler, KVXNewGroupHandler
  void onRenameDone(KVXRenameInternal* prompt) override;
  void onNewGroupDone(KVXNewGroupInternal* prompt) override;

 private:
  enum class Edited { None, LibraryPatch, ResetPatch, SessionPatch };
  enum class Outcome { Saved, NotWritten, Locked, NotAdded };
  struct Typed;  // what OK reads from the fields

  static void onButton(int value, CAUGuiButton* button, void* context);
  KVXTextEditor* addField(const GuiRect& r);
  void addLabel(const GuiRect& r, const char* text, int fontHeight, unsigned format);
  // Refills both menus (and the category menu alone) from the library's selection.
  void fillMenus(PatchLibrary& library);
  void fillCategoryMenu(PatchLibrary& library);
  SaveAsFacts factsFor(PatchLibrary& library, const Typed& typed, Patch** occupant) const;
  Typed typed() const;
  // Saves under the hold.
  Outcome save(PatchLibrary& library, EditorInterface::PatchHold& hold, const Typed& typed, bool replace);
  void close();
  void message(const char* text) const;

  EditorInterface& editor_;
  DialogImages images_;
  Edited edited_ = Edited::None;
  const Patch* editedPatch_ = nullptr;  // compared only, under the hold; never read across idles
  KVXTextEditor* name_ = nullptr;
  KVXTextEditor* author_ = nullptr;
  KVXTextEditor* date_ = nullptr;
  KVXTextEditor* number_ = nullptr;
  KVXTextEditor* notes_ = nullptr;
  KVXStringMenu* groupMenu_ = nullptr;
  KVXStringMenu* categoryMenu_ = nullptr;
  std::unique_ptr<KVXRenameInternal> newCategoryPopup_;
  std::unique_ptr<KVXNewGroupInternal> newGroupPopup_;
  CAUGuiButton* showNotes_ = nullptr;
  CAUGuiButton* cancel_ = nullptr;
  CAUGuiButton* ok_ = nullptr;
  CAUGuiButton* newGroup_ = nullptr;
  CAUGuiButton* newCategory_ = nullptr;
  int savedGroup_ = 0;
  int savedCategory_ = 0;
  int savedPatch_ = -1;
};
