// The two small name prompts the editor's dialogs open over themselves: the rename prompt
// (one name, with a prompt that says what is named) and the new-group prompt (a group name
// and the name of its first category). Each is built once by the dialog that owns it, opened
// as that dialog's child pop-up, and tells the dialog's handler of OK; Cancel and Escape tell
// nobody. GUI thread only.
//
// Use from an owner dialog (a KVXInternalPopup):
//   rename_ = std::make_unique<KVXRenameInternal>(canvas, rect, background, this, this);
//   ...
//   setChildPopup(rename_.get());
//   rename_->open(currentName, KVXRenameInternal::kPatch);
//   ...
//   void onRenameDone(KVXRenameInternal* prompt) override { use prompt->name(); }
// The prompt clears the owner's child pop-up itself when it closes.
#pragma once

#include <cstddef>
#include <string>

#include "editor/dialog_parts.h"
#include "gui/kvxinternalpopup.h"
#include "gui/kvxtext.h"

class CAUGuiButton;
class CAUGuiGraphic;
class KVXNewGroupInternal;
class KVXRenameInternal;

class KVXRenameHandler {
 public:
  // OK was pressed (button or Enter); the prompt is closed already and still holds the text.
  virtual void onRenameDone(KVXRenameInternal* prompt) = 0;

 protected:
  ~KVXRenameHandler() = default;
};

class KVXNewGroupHandler {
 public:
  // OK was pressed; the prompt is closed already and still holds both texts.
  virtual void onNewGroupDone(KVXNewGroupInternal* prompt) = 0;

 protected:
  ~KVXNewGroupHandler() = default;
};

// What both prompts share: the owner dialog they open over, their OK and Cancel buttons,
// closing (the owner's child pop-up cleared, the focus back to the owner, the area redrawn)
// and Enter / Escape.
class KVXNamePrompt : public KVXInternalPopup, public KVXTextEditHandler {
 public:
  // Names are cut to this many characters when they are read.
  static constexpr std::size_t kMaxNameLength = 100;

  // Enter (10 or 13) is OK, Escape (27) Cancel; other keys are not handled.
  int keyDown(uint8_t key, int modifiers) override;
  // Closes the prompt; OK then tells the handler.
  void ok();
  void cancel();

  KVXInternalPopup* ownerPopup() const { return owner_; }
  CAUGuiButton* okButton() const { return ok_; }
  CAUGuiButton* cancelButton() const { return cancel_; }
  // Whether the prompt is its owner's child pop-up now (shown).
  bool isOpen() const;

  // KVXTextEditHandler: Enter in a field is OK, Escape Cancel; Tab as the prompt decides.
  void onEnter(KVXTextEditor* editor) override;
  void onEscape(KVXTextEditor* editor) override;

 protected:
  // `owner` is the dialog the prompt opens over (also the control it covers); both buttons
  // are made here, at the dialog coordinates of the two small dialogs' layout.
  KVXNamePrompt(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background, KVXInternalPopup* owner);
  ~KVXNamePrompt() override;
  // A label of font height 14 at (x, y) in prompt coordinates, 250 x 20.
  KVXTextCtrl* addLabel(int x, int y, const std::string& text);
  // A single-line field at (x, y), 250 x 20, telling this prompt of Enter, Tab and Escape.
  KVXTextEditor* addField(int x, int y);
  // Moves every child by the prompt's shift (44, 37), once all are made.
  void placeChildren();
  // Both buttons up, the area redrawn.
  void showButtonsUp();
  // What OK tells the handler.
  virtual void tellDone() = 0;
  // The field's text cut to kMaxNameLength characters.
  static std::string nameOf(const KVXTextEditor* field);

 private:
  static void onButton(int value, CAUGuiButton* button, void* context);
  void close();

  KVXInternalPopup* owner_;
  CAUGuiButton* ok_ = nullptr;
  CAUGuiButton* cancel_ = nullptr;
  DialogImages images_;
};

class KVXRenameInternal : public KVXNamePrompt {
 public:
  enum Type : int { kGroup = 0, kCategory = 1, kPatch = 2 };

  KVXRenameInternal(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background, KVXInternalPopup* owner,
                    KVXRenameHandler* handler);

  // The field shows `name`, the prompt names the type (0 group, 1 category, 2 and above
  // patch); both buttons up; shown. The caller makes it its child pop-up. Returns 1.
  int open(const std::string& name, int type);
  // The name typed, at most kMaxNameLength characters (not trimmed).
  std::string name() const { return nameOf(editor_); }
  int renameType() const { return renameType_; }
  KVXTextEditor* editor() const { return editor_; }
  KVXTextCtrl* promptLabel() const { return prompt_; }

  // Tab does nothing here.
  void onTab(KVXTextEditor* editor, bool shiftDown) override;

  // The prompt's texts.
  static constexpr const char* kInitialPrompt = "Please Enter The New Name:";
  static const char* promptFor(int type);

 private:
  void tellDone() override;

  KVXRenameHandler* handler_;
  KVXTextEditor* editor_;
  KVXTextCtrl* prompt_;
  int renameType_ = kGroup;
};

class KVXNewGroupInternal : public KVXNamePrompt {
 public:
  KVXNewGroupInternal(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background, KVXInternalPopup* owner,
                      KVXNewGroupHandler* handler);

  // The group field shows `groupName`, the category field is emptied; both buttons up;
  // shown. The caller makes it its child pop-up. Returns 1.
  int open(const std::string& groupName);
  // The names typed, at most kMaxNameLength characters each (not trimmed).
  std::string groupName() const { return nameOf(groupEditor_); }
  std::string categoryName() const { return nameOf(categoryEditor_); }
  KVXTextEditor* groupEditor() const { return groupEditor_; }
  KVXTextEditor* categoryEditor() const { return categoryEditor_; }

  // Tab moves the focus between the two fields.
  void onTab(KVXTextEditor* editor, bool shiftDown) override;

  static constexpr const char* kGroupPrompt = "Please Enter The New Group Name:";
  static constexpr const char* kCategoryPrompt = "Please Enter The New Category Name:";

 private:
  void tellDone() override;

  KVXNewGroupHandler* handler_;
  KVXTextEditor* groupEditor_;
  KVXTextEditor* categoryEditor_;
};
