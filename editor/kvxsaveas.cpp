#include "editor/kvxsaveas.h"

#include <algorithm>
#include <charconv>

#include "gui/cauguibutton.h"
#include "gui/cauguicanvas.h"
#include "library/patch_library.h"
#include "library/text_lines.h"
#include "platform/platform.h"
#include "editor/quorvane_vstview.h"
#include "plugin/quorvane_vst.h"

namespace {

// Every child is made at its dialog coordinates and then moved by the shift.
constexpr int kShiftX = 20, kShiftY = 40;
constexpr int kLabelFontHeight = 16;
constexpr int kTitleFontHeight = 21;
constexpr unsigned kRightAligned = kTextFormat | platform::text::kRight;
// The notes field holds several lines: the layout without the single-line flag, broken
// between words.
constexpr unsigned kMultiLine = (kTextFormat & ~platform::text::kSingleLine) | platform::text::kWordBreak;
// The two prompts stand at these dialog coordinates (before the shift), kept inside the
// dialog, which is the area they may be dragged in.
constexpr int kPromptX = 300, kNewCategoryY = 54, kNewGroupY = 34;
constexpr int kPromptWidth = 340, kPromptHeight = 210;
constexpr int kLowestNumber = 1, kHighestNumber = 128;

}  // namespace

int32_t programSlotFromText(const std::string& text) {
  long n = 0;
  if (std::from_chars(text.data(), text.data() + text.size(), n).ec != std::errc()) return -1;
  const long slot = n - 1;
  return slot >= 0 && slot < kProgramCount ? static_cast<int32_t>(slot) : -1;
}

SaveAsDecision decideSaveAs(const SaveAsFacts& f, bool replace) {
  SaveAsDecision d;
  d.updateInPlace = f.editingLibraryPatch && f.sameName && f.samePlace;
  // For a new patch even the edited one is another patch.
  const bool taken = f.occupant == SlotOccupant::OtherPatch || (f.occupant == SlotOccupant::EditedPatch && !d.updateInPlace);
  d.asksToReplace = f.slot >= 0 && taken;
  if (!d.asksToReplace) {
    d.slot = f.slot;
  } else if (replace) {
    d.slot = f.slot;
    d.clearOccupant = true;
  } else {
    d.slot = d.updateInPlace ? f.oldSlot : -1;
  }
  return d;
}

std::string KVXSaveAsInternal::replaceQuestion(const std::string& occupantName, const std::string& typedNumber) {
  return "Patch '" + occupantName + "' already occupies MIDI Patch Number " + typedNumber +
         ".  Do you want to replace it with this patch?";
}

struct KVXSaveAsInternal::Typed {
  std::string name, author, date, notes, number;
  int32_t slot = -1;
  int32_t showNotes = 0;
};

// --- building -------------------------------------------------------------------------------

KVXSaveAsInternal::KVXSaveAsInternal(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background,
                                     CAUGuiCtrl* covered, EditorInterface& editor)
    : KVXInternalPopup(canvas, rect, background, covered), editor_(editor) {
  addLabel({122, 10, 250, 20}, "Save your patch as:", kTitleFontHeight, kTextFormat);

  addLabel({24, 40, 66, 20}, "Group:", kLabelFontHeight, kRightAligned);
  groupMenu_ = new KVXStringMenu(canvas, {100, 40, 200, 20}, 0, {}, -1, this);
  addChild(groupMenu_);
  newGroup_ = makeDialogButton(canvas, {320, 40, 80, 24}, images_.get("newgroup.png", 2), onButton, this);
  addChild(newGroup_);
  addLabel({24, 70, 66, 20}, "Category:", kLabelFontHeight, kRightAligned);
  categoryMenu_ = new KVXStringMenu(canvas, {100, 70, 200, 20}, 1, {}, -1, this);
  addChild(categoryMenu_);
  newCategory_ = makeDialogButton(canvas, {320, 70, 80, 24}, images_.get("newcat.png", 2), onButton, this);
  addChild(newCategory_);

  addLabel({24, 115, 66, 20}, "Name:", kLabelFontHeight, kRightAligned);
  name_ = addField({100, 115, 300, 20});
  addLabel({24, 145, 66, 20}, "Author:", kLabelFontHeight, kRightAligned);
  author_ = addField({100, 145, 300, 20});
  addLabel({24, 175, 66, 20}, "Date:", kLabelFontHeight, kRightAligned);
  date_ = addField({100, 175, 300, 20});
  addLabel({24, 205, 130, 20}, "MIDI Patch Number:", kLabelFontHeight, kRightAligned);
  number_ = addField({170, 205, 80, 20});
  number_->rules = TextRules::digits(kLowestNumber, kHighestNumber);
  addLabel({24, 230, 66, 20}, "Notes:", kLabelFontHeight, kRightAligned);
  showNotes_ = new CAUGuiButton(canvas, 1, {180, 230, 20, 22}, images_.get("checkbox.png", 2), nullptr,
                                CAUGuiButton::kToggle);
  addChild(showNotes_);
  addLabel({210, 230, 180, 20}, "Display Notes on front panel", kLabelFontHeight, kTextFormat);
  notes_ = addField({34, 260, 366, 140});
  notes_->setFormat(kMultiLine);

  cancel_ = makeDialogButton(canvas, {51, 410, 80, 24}, images_.get("cancel.png", 2), onButton, this);
  addChild(cancel_);
  ok_ = makeDialogButton(canvas, {295, 410, 80, 24}, images_.get("ok.png", 2), onButton, this);
  addChild(ok_);
  for (CAUGuiCtrl* c = firstChild(); c; c = c->nextCtrl()) c->moveBy(kShiftX, kShiftY);

  CAUGuiGraphic* promptBack = images_.get("microselect.png");
  const int promptX = bounds_.x + std::min(kPromptX + kShiftX, bounds_.w - kPromptWidth);
  newCategoryPopup_ = std::make_unique<KVXRenameInternal>(
      canvas, GuiRect{promptX, bounds_.y + kNewCategoryY + kShiftY, kPromptWidth, kPromptHeight}, promptBack, this,
      this);
  newGroupPopup_ = std::make_unique<KVXNewGroupInternal>(
      canvas, GuiRect{promptX, bounds_.y + kNewGroupY + kShiftY, kPromptWidth, kPromptHeight}, promptBack, this, this);
}

KVXSaveAsInternal::~KVXSaveAsInternal() {
  if (canvas_ && canvas_->modal() == this) close();
  // The prompts go first: they clear this dialog's child pop-up as they leave.
  newCategoryPopup_.reset();
  newGroupPopup_.reset();
  // The controls go before the images they show.
  delete firstChild_;
  firstChild_ = nullptr;
}

KVXTextEditor* KVXSaveAsInternal::addField(const GuiRect& r) {
  auto* field = new KVXTextEditor(canvas_, r, 0, this);
  addChild(field);
  return field;
}

void KVXSaveAsInternal::addLabel(const GuiRect& r, const char* text, int fontHeight, unsigned format) {
  addChild(makeDialogLabel(canvas_, r, fontHeight, text, format));
}

// --- opening --------------------------------------------------------------------------------

int KVXSaveAsInternal::open() {
  invalidate(bounds_);
  const Patch* record = nullptr;
  {
    EditorInterface::PatchHold hold(editor_);
    PatchLibrary* library = hold.library();
    edited_ = Edited::None;
    editedPatch_ = nullptr;
    if (library) {
      savedGroup_ = library->currentGroupIndex();
      savedCategory_ = library->currentCategoryIndex();
      savedPatch_ = library->currentPatchIndex();
      // The patch being edited is the one the engine holds: after a chunk load the session
      // patch, after a reset the reset patch; neither is a patch of the library.
      switch (library->lastChangeSource) {
        case kChangeSessionPatch: record = &library->sessionPatch, edited_ = Edited::SessionPatch; break;
        case kChangeResetPatch: record = &library->resetPatch, edited_ = Edited::ResetPatch; break;
        default:
          record = library->currentPatch();
          if (record) edited_ = Edited::LibraryPatch, editedPatch_ = record;
          break;
      }
    }
    // Texts a field refuses (a number field cannot show 0) are left out.
    name_->setText(record ? record->name : "");
    author_->setText(record ? record->author : "");
    date_->setText(record ? record->date : "");
    notes_->setText(record ? record->notes : "");
    const int32_t slot = record ? record->programSlot : -1;
    number_->setText(slot >= 0 && slot < kProgramCount ? std::to_string(slot + 1) : "");
    showNotes_->setPosition(record && record->showNotes ? 1 : 0);
    if (library) fillMenus(*library);
  }
  for (CAUGuiButton* b : {ok_, cancel_, newGroup_, newCategory_}) b->setPosition(0);
  redraw();
  return 1;
}

bool KVXSaveAsInternal::isOpen() const { return canvas_ && canvas_->modal() == this; }

void KVXSaveAsInternal::fillMenus(PatchLibrary& library) {
  groupMenu_->setItems(library.getGroupNames(), library.currentGroupIndex());
  fillCategoryMenu(library);
}

void KVXSaveAsInternal::fillCategoryMenu(PatchLibrary& library) {
  categoryMenu_->setItems(library.getCategoryNames(), library.currentCategoryIndex());
}

// --- the fields and menus -------------------------------------------------------------------

void KVXSaveAsInternal::onItemChosen(KVXStringMenu* menu) {
  EditorInterface::PatchHold hold(editor_);
  PatchLibrary* library = hold.library();
  if (!library) return;
  if (menu == groupMenu_) {
    library->selectGroup(menu->selected());
    fillCategoryMenu(*library);
  } else if (menu == categoryMenu_) {
    library->selectCategory(menu->selected());
  }
}

void KVXSaveAsInternal::onTab(KVXTextEditor* editor, bool) {
  KVXTextEditor* next = editor == name_     ? author_
                        : editor == author_ ? date_
                        : editor == date_   ? number_
                        : editor == number_ ? notes_
                                            : name_;
  if (canvas_) canvas_->setFocus(next);
}

void KVXSaveAsInternal::onEnter(KVXTextEditor* editor) {
  if (editor != notes_) commit();
}

void KVXSaveAsInternal::onEscape(KVXTextEditor*) { cancel(); }

int KVXSaveAsInternal::keyDown(uint8_t key, int) {
  switch (dialogKey(key)) {
    case DialogKey::Ok: commit(); return kHandled;
    case DialogKey::Cancel: cancel(); return kHandled;
    case DialogKey::Other: break;
  }
  return kNotHandled;
}

void KVXSaveAsInternal::onButton(int, CAUGuiButton* button, void* context) {
  auto* d = static_cast<KVXSaveAsInternal*>(context);
  if (button == d->ok_)
    d->commit();
  else if (button == d->cancel_)
    d->cancel();
  else if (button == d->newGroup_)
    d->newGroup();
  else if (button == d->newCategory_)
    d->newCategory();
}

// --- new category and new group -------------------------------------------------------------

void KVXSaveAsInternal::newCategory() {
  setChildPopup(newCategoryPopup_.get());
  newCategoryPopup_->open("", KVXRenameInternal::kCategory);
}

void KVXSaveAsInternal::newGroup() {
  setChildPopup(newGroupPopup_.get());
  newGroupPopup_->open("");
}

void KVXSaveAsInternal::message(const char* text) const { platform::messageBox(dialogMessageOwner(canvas_), text); }

void KVXSaveAsInternal::onRenameDone(KVXRenameInternal* prompt) {
  const std::string name = prompt->name();
  int result = 0;
  {
    EditorInterface::PatchHold hold(editor_);
    PatchLibrary* library = hold.library();
    const int g = library ? library->currentGroupIndex() : -1;
    if (g < 0 || g >= static_cast<int>(library->groups.size())) return;
    PatchGroup& group = *library->groups[static_cast<std::size_t>(g)];
    result = group.addCategory(name);
    if (result == 1) library->selectCategory(group.categoryCount() - 1);
    fillCategoryMenu(*library);
  }
  if (result == 2) message(kCategoryExistsMessage);
  if (result == 0) message(trim(name).empty() ? kBlankCategoryMessage : kListNotWrittenMessage);
}

void KVXSaveAsInternal::onNewGroupDone(KVXNewGroupInternal* prompt) {
  const std::string groupName = prompt->groupName(), categoryName = prompt->categoryName();
  int result = 0;
  {
    EditorInterface::PatchHold hold(editor_);
    PatchLibrary* library = hold.library();
    if (!library) return;
    result = library->addGroup(groupName, categoryName);
    if (result == 1) {
      library->selectGroup(static_cast<int>(library->groups.size()) - 1);
      library->selectCategory(0);
    }
    // An existing name has made that group current.
    fillMenus(*library);
  }
  if (result == 2) message(kGroupExistsMessage);
  if (result == 0)
    message(trim(groupName).empty() || trim(categoryName).empty() ? kBlankGroupMessage : kListNotWrittenMessage);
}

// --- OK and Cancel --------------------------------------------------------------------------

KVXSaveAsInternal::Typed KVXSaveAsInternal::typed() const {
  Typed t;
  t.name = name_->text().substr(0, kMaxTextLength);
  t.author = author_->text().substr(0, kMaxTextLength);
  t.date = date_->text().substr(0, kMaxTextLength);
  t.notes = notes_->text().substr(0, kMaxTextLength);
  t.number = number_->text();
  t.slot = programSlotFromText(t.number);
  t.showNotes = showNotes_->position() != 0 ? 1 : 0;
  return t;
}

SaveAsFacts KVXSaveAsInternal::factsFor(PatchLibrary& library, const Typed& typed, Patch** occupant) const {
  SaveAsFacts f;
  Patch* current = library.currentPatch();
  f.editingLibraryPatch = edited_ == Edited::LibraryPatch && library.lastChangeSource == kChangeLibraryPatch &&
                          current != nullptr && current == editedPatch_;
  f.sameName = f.editingLibraryPatch && current->name == typed.name;
  f.samePlace = library.currentGroupIndex() == savedGroup_ && library.currentCategoryIndex() == savedCategory_;
  f.oldSlot = f.editingLibraryPatch ? current->programSlot : -1;
  f.slot = typed.slot;
  Patch* holder = f.slot >= 0 ? library.programMapEntry(f.slot) : nullptr;
  f.occupant = holder == nullptr                             ? SlotOccupant::None
               : (f.editingLibraryPatch && holder == current) ? SlotOccupant::EditedPatch
                                                              : SlotOccupant::OtherPatch;
  if (occupant) *occupant = holder;
  return f;
}

KVXSaveAsInternal::Outcome KVXSaveAsInternal::save(PatchLibrary& library, EditorInterface::PatchHold& hold,
                                                   const Typed& t, bool replace) {
  Patch* occupant = nullptr;
  const SaveAsDecision d = decideSaveAs(factsFor(library, t, &occupant), replace);
  if (!d.clearOccupant) occupant = nullptr;
  Patch* target = nullptr;
  if (d.updateInPlace) {
    target = library.currentPatch();
    if (target->locked != 0) return Outcome::Locked;
    target->author = t.author;
    target->date = t.date;
    target->notes = t.notes;
    target->showNotes = t.showNotes;
  } else {
    target = library.addPatch(t.name, t.author, t.date, t.notes, t.showNotes, -1);
    if (!target) return Outcome::NotAdded;
  }
  // The other patch gives the slot up first, so the rebuilt map gives it to this one.
  if (occupant) library.setProgramSlot(*occupant, -1);
  if (target->programSlot != d.slot) library.setProgramSlot(*target, d.slot);
  bool written = hold.storeEngine(*target);
  if (occupant) {
    if (occupant->save())
      occupant->dirty = 0;
    else
      written = false;
  }
  library.rebuildProgramMap();
  return written ? Outcome::Saved : Outcome::NotWritten;
}

void KVXSaveAsInternal::commit() {
  if (!isOpen()) return;
  const Typed t = typed();
  if (trim(t.name).empty()) {
    message(kBlankPatchMessage);
    return;
  }
  // The question is asked without the hold; the decision is made again after it.
  bool asks = false;
  std::string occupantName;
  {
    EditorInterface::PatchHold hold(editor_);
    PatchLibrary* library = hold.library();
    if (library) {
      Patch* occupant = nullptr;
      asks = decideSaveAs(factsFor(*library, t, &occupant), true).asksToReplace;
      if (asks && occupant) occupantName = occupant->name;
    }
  }
  const bool replace = !asks || platform::messageBox(nullptr, replaceQuestion(occupantName, t.number), "",
                                                     platform::MessageButtons::OkCancel) == platform::MessageAnswer::Ok;
  Outcome outcome = Outcome::NotAdded;
  {
    EditorInterface::PatchHold hold(editor_);
    if (PatchLibrary* library = hold.library()) outcome = save(*library, hold, t, replace);
  }
  switch (outcome) {
    case Outcome::Locked: message(kLockedPatchMessage); return;
    case Outcome::NotAdded: message(kPatchNotAddedMessage); return;
    case Outcome::NotWritten: message(kPatchNotWrittenMessage); break;
    case Outcome::Saved: break;
  }
  close();
}

void KVXSaveAsInternal::cancel() {
  if (!isOpen()) return;
  {
    EditorInterface::PatchHold hold(editor_);
    if (PatchLibrary* library = hold.library()) {
      library->selectGroup(savedGroup_);
      library->selectCategory(savedCategory_);
      if (savedPatch_ >= 0) library->selectPatch(savedPatch_);
    }
  }
  close();
}

void KVXSaveAsInternal::close() {
  if (getChildPopup()) setChildPopup(nullptr);
  if (!canvas_) return;
  // The panel's patch, category and group menus show what was saved, or a group or
  // category made before Cancel (it stays in the library).
  for (int level = 0; level < 3; ++level) canvas_->refreshPatchMenu(level);
  canvas_->closeModal();
  if (CAUGuiCtrl* covered = coveredControl()) covered->invalidate(bounds_);
}
