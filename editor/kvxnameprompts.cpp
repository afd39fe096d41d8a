#include "editor/kvxnameprompts.h"

#include "gui/cauguibutton.h"
#include "gui/cauguicanvas.h"

namespace {

// Where the prompts' children stand before the shift moves them.
constexpr int kShiftX = 44, kShiftY = 37;
constexpr GuiRect kCancelRect{47, 125, 80, 24};
constexpr GuiRect kOkRect{193, 125, 80, 24};
constexpr int kFieldWidth = 250, kFieldHeight = 20;
constexpr int kPromptFontHeight = 14;

}  // namespace

// --- what both prompts share ----------------------------------------------------------------

KVXNamePrompt::KVXNamePrompt(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background,
                             KVXInternalPopup* owner)
    : KVXInternalPopup(canvas, rect, background, owner), owner_(owner) {
  cancel_ = makeDialogButton(canvas, kCancelRect, images_.get("cancel.png", 2), onButton, this);
  ok_ = makeDialogButton(canvas, kOkRect, images_.get("ok.png", 2), onButton, this);
}

KVXNamePrompt::~KVXNamePrompt() {
  // A prompt destroyed while open leaves its owner without a dangling child pop-up.
  if (owner_ && owner_->getChildPopup() == this) owner_->setChildPopup(nullptr);
  // The controls go before the images they show.
  delete firstChild_;
  firstChild_ = nullptr;
}

KVXTextCtrl* KVXNamePrompt::addLabel(int x, int y, const std::string& text) {
  KVXTextCtrl* label = makeDialogLabel(canvas_, {x, y, kFieldWidth, kFieldHeight}, kPromptFontHeight, text, kTextFormat);
  addChild(label);
  return label;
}

KVXTextEditor* KVXNamePrompt::addField(int x, int y) {
  auto* field = new KVXTextEditor(canvas_, {x, y, kFieldWidth, kFieldHeight}, 0, this);
  addChild(field);
  return field;
}

void KVXNamePrompt::placeChildren() {
  addChild(cancel_);
  addChild(ok_);
  for (CAUGuiCtrl* c = firstChild(); c; c = c->nextCtrl()) c->moveBy(kShiftX, kShiftY);
}

void KVXNamePrompt::showButtonsUp() {
  ok_->setPosition(0);
  cancel_->setPosition(0);
  redraw();
}

std::string KVXNamePrompt::nameOf(const KVXTextEditor* field) {
  return field->text().substr(0, kMaxNameLength);
}

bool KVXNamePrompt::isOpen() const { return owner_ && owner_->getChildPopup() == this; }

void KVXNamePrompt::close() {
  // The focus leaves the fields first, so a native box gives its text back before it closes.
  if (owner_) {
    owner_->setChildPopup(nullptr);
    owner_->invalidate(bounds_);
  } else if (canvas_) {
    canvas_->setFocus(nullptr);
  }
}

void KVXNamePrompt::ok() {
  if (!isOpen()) return;
  close();
  tellDone();
}

void KVXNamePrompt::cancel() {
  if (!isOpen()) return;
  close();
}

int KVXNamePrompt::keyDown(uint8_t key, int) {
  switch (dialogKey(key)) {
    case DialogKey::Ok: ok(); return kHandled;
    case DialogKey::Cancel: cancel(); return kHandled;
    case DialogKey::Other: break;
  }
  return kNotHandled;
}

void KVXNamePrompt::onEnter(KVXTextEditor*) { ok(); }
void KVXNamePrompt::onEscape(KVXTextEditor*) { cancel(); }

void KVXNamePrompt::onButton(int, CAUGuiButton* button, void* context) {
  auto* prompt = static_cast<KVXNamePrompt*>(context);
  if (button == prompt->ok_)
    prompt->ok();
  else
    prompt->cancel();
}

// --- rename -------------------------------------------------------------------------------

KVXRenameInternal::KVXRenameInternal(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background,
                                     KVXInternalPopup* owner, KVXRenameHandler* handler)
    : KVXNamePrompt(canvas, rect, background, owner), handler_(handler) {
  prompt_ = addLabel(20, 19, kInitialPrompt);
  editor_ = addField(20, 60);
  placeChildren();
}

const char* KVXRenameInternal::promptFor(int type) {
  switch (type) {
    case kGroup: return "Please Enter The New Group Name:";
    case kCategory: return "Please Enter The New Category Name:";
    default: return "Please Enter The New Patch Name:";
  }
}

int KVXRenameInternal::open(const std::string& name, int type) {
  // A name the field cannot hold (longer than a field takes) is shown cut.
  if (!editor_->setText(name)) editor_->setText(name.substr(0, KVXTextEditor::kMaxTyped));
  renameType_ = type;
  prompt_->setText(promptFor(type));
  showButtonsUp();
  return 1;
}

void KVXRenameInternal::onTab(KVXTextEditor*, bool) {}

void KVXRenameInternal::tellDone() {
  if (handler_) handler_->onRenameDone(this);
}

// --- new group ----------------------------------------------------------------------------

KVXNewGroupInternal::KVXNewGroupInternal(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background,
                                         KVXInternalPopup* owner, KVXNewGroupHandler* handler)
    : KVXNamePrompt(canvas, rect, background, owner), handler_(handler) {
  addLabel(20, 10, kGroupPrompt);
  groupEditor_ = addField(20, 30);
  addLabel(20, 65, kCategoryPrompt);
  categoryEditor_ = addField(20, 85);
  placeChildren();
}

int KVXNewGroupInternal::open(const std::string& groupName) {
  if (!groupEditor_->setText(groupName)) groupEditor_->setText(groupName.substr(0, KVXTextEditor::kMaxTyped));
  categoryEditor_->setText("");
  showButtonsUp();
  return 1;
}

void KVXNewGroupInternal::onTab(KVXTextEditor* editor, bool) {
  if (!canvas_) return;
  canvas_->setFocus(editor == groupEditor_ ? categoryEditor_ : groupEditor_);
}

void KVXNewGroupInternal::tellDone() {
  if (handler_) handler_->onNewGroupDone(this);
}
