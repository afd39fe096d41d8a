#include "editor/kvx_patch_manager.h"

#include <algorithm>
#include <cstdio>

#include "gui/cauguibutton.h"
#include "gui/cauguicanvas.h"
#include "gui/kvxtext.h"
#include "library/patch_library.h"
#include "platform/gui.h"
#include "platform/platform.h"
#include "plugin/editor_interface.h"
#include "plugin/quorvane_vstedit.h"

namespace {

// Every child is placed at its table position, then the whole set is moved by this much.
constexpr int kShiftX = 28;
constexpr int kShiftY = 35;

struct ButtonSpec {
  int which;
  GuiRect rect;
  const char* image;
};
constexpr ButtonSpec kButtons[] = {
    {KVXPatchManagerInternal::kCancel, {60, 360, 80, 24}, "cancel.png"},
    {KVXPatchManagerInternal::kOk, {500, 360, 80, 24}, "ok.png"},
    {KVXPatchManagerInternal::kSelect, {412, 360, 80, 24}, "select.png"},
    {KVXPatchManagerInternal::kImport, {15, 54, 80, 24}, "import.png"},
    {KVXPatchManagerInternal::kExport, {15, 83, 80, 24}, "export.png"},
    {KVXPatchManagerInternal::kCut, {15, 117, 80, 24}, "cut.png"},
    {KVXPatchManagerInternal::kCopy, {15, 144, 80, 24}, "copy.png"},
    {KVXPatchManagerInternal::kPaste, {15, 170, 80, 24}, "paste.png"},
    {KVXPatchManagerInternal::kUp, {15, 204, 80, 24}, "up.png"},
    {KVXPatchManagerInternal::kDown, {15, 228, 80, 24}, "down.png"},
    {KVXPatchManagerInternal::kRename, {15, 262, 80, 24}, "rename.png"},
    {KVXPatchManagerInternal::kDelete, {15, 296, 80, 24}, "delete.png"},
};

struct ListSpec {
  const char* label;
  int x;
};
constexpr ListSpec kLists[] = {{"Groups:", 105}, {"Categories:", 279}, {"Patches:", 453}};
constexpr int kListTop = 54, kListWidth = 160, kListHeight = 267, kSliderWidth = 14;
constexpr int kRenameX = 300, kRenameY = 54, kRenameWidth = 340, kRenameHeight = 210;

// The action of a released button.
void act(KVXPatchManagerInternal& m, int which) {
  using PM = KVXPatchManagerInternal;
  switch (which) {
    case PM::kOk: m.ok(); break;
    case PM::kCancel: m.cancel(); break;
    case PM::kImport: m.importArchive(); break;
    case PM::kExport: m.exportArchive(); break;
    case PM::kUp: m.moveUp(); break;
    case PM::kDown: m.moveDown(); break;
    case PM::kCut: m.cut(); break;
    case PM::kCopy: m.copy(); break;
    case PM::kPaste: m.paste(); break;
    case PM::kRename: m.rename(); break;
    case PM::kDelete: m.deleteSelection(); break;
    case PM::kSelect: m.select(); break;
    default: break;
  }
}

void onButton(int, CAUGuiButton* button, void* context) {
  auto* m = static_cast<KVXPatchManagerInternal*>(context);
  for (int i = 0; i < KVXPatchManagerInternal::kButtonCount; ++i)
    if (m->button(i) == button) return act(*m, i);
}

// The number of patches of the library's current category (0 when it has none).
int currentPatchCount(const PatchLibrary& library) {
  const int g = library.currentGroupIndex(), c = library.currentCategoryIndex();
  if (g < 0 || g >= static_cast<int>(library.groups.size())) return 0;
  const PatchGroup& group = *library.groups[static_cast<std::size_t>(g)];
  if (c < 0 || c >= group.categoryCount()) return 0;
  return group.categories[static_cast<std::size_t>(c)]->patchCount();
}

void show(const std::string& text) { platform::messageBox(nullptr, text); }
bool ask(const std::string& text) {
  return platform::messageBox(nullptr, text, "", platform::MessageButtons::OkCancel) == platform::MessageAnswer::Ok;
}

std::string format(const char* pattern, int n, const std::string& a, const std::string& b = {},
                   const std::string& c = {}) {
  // The patterns hold "%d" and up to three "%s", in that order.
  std::string out;
  const std::string* args[] = {&a, &b, &c};
  int nextArg = 0;
  for (const char* p = pattern; *p; ++p) {
    if (p[0] == '%' && p[1] == 'd') {
      out += std::to_string(n);
      ++p;
    } else if (p[0] == '%' && p[1] == 's') {
      out += nextArg < 3 ? *args[nextArg++] : std::string();
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

}  // namespace

// --- pure helpers -------------------------------------------------------------------------

ListMove planMoveDown(int count, const std::vector<int>& rows) {
  ListMove m;
  if (rows.empty()) return m;
  const int n = static_cast<int>(rows.size());
  const int e = std::min(rows.back() + 1, count - 1);
  for (int i = 0; i < n; ++i) m.steps.emplace_back(rows[static_cast<std::size_t>(i)] - i, e);
  for (int r = e - n + 1; r <= e; ++r) m.selection.push_back(r);
  return m;
}

ListMove planMoveUp(int count, const std::vector<int>& rows) {
  ListMove m;
  if (rows.empty() || count <= 0) return m;
  const int n = static_cast<int>(rows.size());
  const int first = rows.front();
  const int b = std::max(first - 1, 0);
  for (int i = 0; i < n; ++i) {
    const int row = rows[static_cast<std::size_t>(i)];
    if (row > 0) m.steps.emplace_back(row, b + i);
  }
  const int from = first >= 1 ? first - 1 : 0;
  for (int r = from; r < from + n; ++r) m.selection.push_back(r);
  return m;
}

std::string exportPathFor(const std::string& chosen) {
  const std::size_t slash = chosen.find_last_of("/\\");
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  if (chosen.find('.', nameStart) != std::string::npos) return chosen;
  return chosen + ".kvx";
}

// --- the dialog ---------------------------------------------------------------------------

KVXPatchManagerInternal::KVXPatchManagerInternal(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* background,
                                                 CAUGuiCtrl* covered, Quorvane_VSTEdit& plugin, EditorInterface& editor,
                                                 platform::Window* window)
    : KVXInternalPopup(canvas, rect, background, covered), plugin_(plugin), editor_(editor), window_(window) {
  for (const ButtonSpec& s : kButtons) {
    buttons_[s.which] = makeDialogButton(canvas, s.rect, images_.get(s.image, 2), onButton, this);
    addChild(buttons_[s.which]);
  }
  for (int level = 0; level < 3; ++level) {
    const ListSpec& s = kLists[level];
    addChild(makeDialogLabel(canvas, GuiRect{s.x, 30, 100, 20}, 16, s.label, kTextFormat));
    lists_[level] = new KVXTextList(canvas, GuiRect{s.x, kListTop, kListWidth, kListHeight});
    lists_[level]->setHandler(this);
    addChild(lists_[level]);
    sliders_[level] = new KVXListSlider(canvas, GuiRect{s.x + kListWidth, kListTop, kSliderWidth, kListHeight}, 0,
                                        lists_[level]);
    addChild(sliders_[level]);
  }
  for (CAUGuiCtrl* c = firstChild(); c; c = c->nextCtrl()) c->moveBy(kShiftX, kShiftY);
  renamePopup_ = std::make_unique<KVXRenameInternal>(
      canvas, GuiRect{bounds_.x + kRenameX + kShiftX, bounds_.y + kRenameY + kShiftY, kRenameWidth, kRenameHeight},
      images_.get("microselect.png"), this, this);
  setShown(false);
}

KVXPatchManagerInternal::~KVXPatchManagerInternal() {
  // The editor closed over the open dialog: as Cancel, nothing unconfirmed stays behind.
  if (open_) cancel();
  // The prompt clears this dialog's child pop-up as it leaves; the controls go before the
  // images they show.
  renamePopup_.reset();
  delete firstChild_;
  firstChild_ = nullptr;
}

void KVXPatchManagerInternal::enableButton(int which, bool on) {
  CAUGuiButton* b = buttons_[which];
  if (b->isEnabled() == on) return;
  b->setEnabled(on);
  b->redraw();
}

int KVXPatchManagerInternal::open() {
  EditorInterface::PatchHold hold(editor_);
  PatchLibrary* library = hold.library();
  if (!library) return 0;
  editor_.holdProgramChanges(true);
  for (CAUGuiButton* b : buttons_) b->setPosition(0);
  // The type file holds 0..2; a missing or broken one keeps what the dialog knew.
  const int type = library->readClipboardType();
  if (type >= 0) clipboardType_ = type;
  saved_ = {library->currentGroupIndex(), library->currentCategoryIndex(), library->currentPatchIndex(),
            library->currentPatch()};
  fillAll(*library);
  for (int i = 0; i < kButtonCount; ++i) enableButton(i, true);
  enableButton(kPaste, pasteAllowed(0, 2));
  enableButton(kSelect, false);
  enableButton(kRename, false);
  open_ = true;
  if (CAUGuiCtrl* pane = canvas_->topPane()) pane->setActiveChild(this);
  canvas_->setModal(this);
  setShown(true);
  invalidate(bounds_);
  return 1;
}

void KVXPatchManagerInternal::finish() {
  if (!open_) return;
  open_ = false;
  saved_.patch = nullptr;
  if (CAUGuiCtrl* pane = canvas_->topPane()) pane->setActiveChild(nullptr);
  if (canvas_->modal() == this) canvas_->closeModal();
  setShown(false);
  if (CAUGuiCtrl* covered = coveredControl()) covered->invalidate(bounds_);
  editor_.holdProgramChanges(false);
}

int KVXPatchManagerInternal::keyDown(uint8_t key, int) {
  switch (dialogKey(key)) {
    case DialogKey::Ok: ok(); return kHandled;
    case DialogKey::Cancel: cancel(); return kHandled;
    default: return kNotHandled;
  }
}

// --- lists --------------------------------------------------------------------------------

void KVXPatchManagerInternal::fill(PatchLibrary& library, int level) {
  KVXTextList* l = lists_[level];
  switch (level) {
    case kGroups:
      l->setItems(library.getGroupNames());
      l->selectOnly(library.currentGroupIndex());
      break;
    case kCategories:
      l->setItems(library.getCategoryNames());
      l->selectOnly(library.currentCategoryIndex());
      break;
    default:
      l->setItems(library.patchNames());
      l->selectOnly(library.currentPatchIndex());
      break;
  }
  l->redraw();
  sliders_[level]->redraw();
}

void KVXPatchManagerInternal::fillAll(PatchLibrary& library) {
  for (int level = 0; level < 3; ++level) fill(library, level);
}

void KVXPatchManagerInternal::onSelectionChanged(KVXTextList* changed, const std::vector<int>& selection) {
  EditorInterface::PatchHold hold(editor_);
  PatchLibrary* library = hold.library();
  if (!library) return;
  const bool one = selection.size() == 1;
  const bool some = !selection.empty();
  auto empty = [this](int level) {
    // An emptied list shows and keeps no selection.
    lists_[level]->setItems({});
    lists_[level]->selectOnly(-1);
    lists_[level]->redraw();
    sliders_[level]->redraw();
  };
  if (changed == lists_[kGroups]) {
    enableButton(kRename, one);
    enableButton(kPaste, pasteAllowed(0, 0));
    enableButton(kSelect, false);
    for (int b : {kExport, kCut, kCopy, kUp, kDown, kDelete}) enableButton(b, some);
    if (one) {
      library->selectGroup(selection[0]);
      lists_[kCategories]->setItems(library->getCategoryNames());
      lists_[kCategories]->selectOnly(-1);
      lists_[kCategories]->redraw();
      empty(kPatches);
      enableButton(kPaste, pasteAllowed(0, 1));
    } else {
      empty(kCategories);
      empty(kPatches);
    }
  } else if (changed == lists_[kCategories]) {
    enableButton(kRename, one);
    enableButton(kPaste, pasteAllowed(0, 1));
    enableButton(kSelect, false);
    if (one) {
      enableButton(kPaste, pasteAllowed(0, 2));
      library->selectCategory(selection[0]);
      lists_[kPatches]->setItems(library->patchNames());
      lists_[kPatches]->selectOnly(-1);
      lists_[kPatches]->redraw();
    } else {
      empty(kPatches);
    }
    sliders_[kPatches]->redraw();
  } else if (changed == lists_[kPatches]) {
    // The placeholder row of an empty category is no patch: nothing to select or rename.
    const bool realRow = one && selection[0] >= 0 && selection[0] < currentPatchCount(*library);
    enableButton(kRename, realRow);
    enableButton(kSelect, realRow);
    if (realRow) library->selectPatch(selection[0]);
  }
  invalidate(bounds_);
}

KVXPatchManagerInternal::Rows KVXPatchManagerInternal::takeRows() {
  Rows rows;
  std::vector<int>* out[] = {&rows.groups, &rows.categories, &rows.patches};
  for (int level = 0; level < 3; ++level) {
    std::vector<int> s = lists_[level]->selection();
    std::sort(s.begin(), s.end());
    s.erase(std::unique(s.begin(), s.end()), s.end());
    const int count = static_cast<int>(lists_[level]->items().size());
    s.erase(std::remove_if(s.begin(), s.end(), [count](int r) { return r < 0 || r >= count; }), s.end());
    lists_[level]->setSelection(s);
    *out[level] = std::move(s);
  }
  return rows;
}

template <class Fn>
void KVXPatchManagerInternal::withSelection(Fn&& fn) {
  EditorInterface::PatchHold hold(editor_);
  PatchLibrary* library = hold.library();
  if (!library) return;
  const Rows rows = takeRows();
  if (!rows.groups.empty()) fn(*library, rows);
}

std::vector<int> KVXPatchManagerInternal::realPatchRows(PatchLibrary& library, const Rows& rows) const {
  if (rows.groups.empty() || rows.categories.empty()) return {};
  const int g = rows.groups[0], c = rows.categories[0];
  if (g < 0 || g >= static_cast<int>(library.groups.size())) return {};
  const PatchGroup& group = *library.groups[static_cast<std::size_t>(g)];
  if (c < 0 || c >= group.categoryCount()) return {};
  const int count = group.categories[static_cast<std::size_t>(c)]->patchCount();
  std::vector<int> real;
  for (int r : rows.patches)
    if (r < count) real.push_back(r);
  return real;
}

// --- up and down --------------------------------------------------------------------------

void KVXPatchManagerInternal::move(bool up) {
  withSelection([&](PatchLibrary& lib, const Rows& rows) { move(lib, rows, up); });
}

void KVXPatchManagerInternal::move(PatchLibrary& library, const Rows& rows, bool up) {
  const int level = rows.level();
  const int g = rows.groups[0];
  const int c = rows.categories.empty() ? 0 : rows.categories[0];
  int count = 0;
  std::vector<int> selected;
  switch (level) {
    case kGroups:
      count = static_cast<int>(library.groups.size());
      selected = rows.groups;
      break;
    case kCategories:
      count = library.groups[static_cast<std::size_t>(g)]->categoryCount();
      selected = rows.categories;
      break;
    default:
      selected = realPatchRows(library, rows);
      if (selected.empty()) return;  // the placeholder row moves nothing
      count = library.groups[static_cast<std::size_t>(g)]->categories[static_cast<std::size_t>(c)]->patchCount();
      break;
  }
  const ListMove plan = up ? planMoveUp(count, selected) : planMoveDown(count, selected);
  for (const auto& [from, to] : plan.steps) {
    if (level == kGroups)
      library.moveGroup(from, to);
    else if (level == kCategories)
      library.moveCategory(g, from, to);
    else
      library.movePatch(g, c, from, to);
  }
  // Every entry of the container is written under its new number at the next sync.
  if (level == kGroups) {
    library.setDirty(1);
    lists_[kGroups]->setItems(library.getGroupNames());
  } else if (level == kCategories) {
    library.groups[static_cast<std::size_t>(g)]->setDirty(1);
    lists_[kCategories]->setItems(library.groups[static_cast<std::size_t>(g)]->categoryNames);
  } else {
    PatchCategory& cat = *library.groups[static_cast<std::size_t>(g)]->categories[static_cast<std::size_t>(c)];
    cat.setDirty(1);
    lists_[kPatches]->setItems(cat.labels);
  }
  lists_[level]->setSelection(plan.selection);
  if (plan.selection.size() == 1) {
    if (level == kGroups)
      library.selectGroup(plan.selection[0]);
    else if (level == kCategories)
      library.selectCategory(plan.selection[0]);
    else
      library.selectPatch(plan.selection[0]);
  }
  lists_[level]->redraw();
  invalidate(bounds_);
}

// --- clipboard ----------------------------------------------------------------------------

int KVXPatchManagerInternal::writeClipboard(PatchLibrary& library, const Rows& rows) {
  std::vector<int> patches = rows.level() == kPatches ? realPatchRows(library, rows) : std::vector<int>{};
  if (rows.level() == kPatches && patches.empty()) return -1;  // the placeholder row copies nothing
  const int kind = library.writeDump(library.clipboardPath(), rows.groups, rows.categories, patches, true);
  if (kind < 0) return -1;
  if (!library.writeClipboardType(kind)) return -1;
  clipboardType_ = kind;
  enableButton(kPaste, true);
  return kind;
}

void KVXPatchManagerInternal::copyOrCut(bool cut) {
  EditorInterface::PatchHold hold(editor_);
  PatchLibrary* library = hold.library();
  if (!library) return;
  const Rows rows = takeRows();
  // Entries leave the library only when both clipboard files hold them.
  if (writeClipboard(*library, rows) < 0 || !cut) return;
  removeSelection(*library, rows, kCannotCutGroups, kCannotCutCategories);
}

bool KVXPatchManagerInternal::removeSelection(PatchLibrary& library, const Rows& rows, const char* refusalGroups,
                                              const char* refusalCategories) {
  const int level = rows.level();
  if (rows.groups.empty()) return false;
  const int g = rows.groups[0];
  PatchGroup& group = *library.groups[static_cast<std::size_t>(g)];
  if (level == kPatches) {
    const std::vector<int> patches = realPatchRows(library, rows);
    if (patches.empty()) return false;
    const int c = rows.categories[0];
    PatchCategory& cat = *group.categories[static_cast<std::size_t>(c)];
    cat.setDirty(1);
    for (std::size_t i = 0; i < patches.size(); ++i) library.removePatch(g, c, patches[i] - static_cast<int>(i));
    library.patchNames();  // an emptied category shows its placeholder
    library.selectPatch(0);
    forgetRemovedSavedPatch(library);
    fill(library, kPatches);
  } else if (level == kCategories) {
    if (rows.categories.size() >= static_cast<std::size_t>(group.categoryCount())) {
      show(refusalCategories);
      return false;
    }
    group.setDirty(1);
    for (std::size_t i = 0; i < rows.categories.size(); ++i)
      library.removeCategory(g, rows.categories[i] - static_cast<int>(i));
    library.selectCategory(0);
    library.selectPatch(0);
    forgetRemovedSavedPatch(library);
    fill(library, kCategories);
    fill(library, kPatches);
  } else {
    if (rows.groups.size() >= library.groups.size()) {
      show(refusalGroups);
      return false;
    }
    library.setDirty(1);
    for (std::size_t i = 0; i < rows.groups.size(); ++i) library.removeGroup(rows.groups[i] - static_cast<int>(i));
    library.selectGroup(0);
    library.selectCategory(0);
    library.selectPatch(0);
    forgetRemovedSavedPatch(library);
    fillAll(library);
  }
  invalidate(bounds_);
  return true;
}

void KVXPatchManagerInternal::forgetRemovedSavedPatch(PatchLibrary& library) {
  // A removed record is freed once nothing reads it; OK must then not look for it.
  if (!library.containsPatch(saved_.patch)) saved_.patch = nullptr;
}

void KVXPatchManagerInternal::paste() {
  EditorInterface::PatchHold hold(editor_);
  PatchLibrary* library = hold.library();
  if (!library || !pasteAllowed(0, 2)) return;
  const Rows rows = takeRows();
  const int g = rows.groups.size() == 1 ? rows.groups[0] : 0;
  const int c = rows.categories.size() == 1 ? rows.categories[0] : 0;
  library->pasteDump(library->clipboardPath(), clipboardType_, g, c);
  fillAll(*library);
  invalidate(bounds_);
}

// --- delete -------------------------------------------------------------------------------

void KVXPatchManagerInternal::deleteSelection() {
  withSelection([&](PatchLibrary& lib, const Rows& rows) { deleteSelection(lib, rows); });
}

void KVXPatchManagerInternal::deleteSelection(PatchLibrary& library, const Rows& rows) {
  const PatchGroup& group = *library.groups[static_cast<std::size_t>(rows.groups[0])];
  std::string question;
  switch (rows.level()) {
    case kPatches: {
      const std::vector<int> patches = realPatchRows(library, rows);
      if (patches.empty()) return;  // the placeholder row deletes nothing
      const int n = static_cast<int>(patches.size());
      question = format("Are you sure you want to delete %d Patch%s from Category %s of Group %s?", n, n == 1 ? "" : "es",
                        group.categoryNames[static_cast<std::size_t>(rows.categories[0])], group.displayName);
      break;
    }
    case kCategories: {
      const int n = static_cast<int>(rows.categories.size());
      if (n >= group.categoryCount()) {
        show(kCannotDeleteCategories);
        return;
      }
      question = format("Are you sure you want to delete %d Categor%s of Group %s?", n, n == 1 ? "y" : "ies", group.displayName);
      break;
    }
    default: {
      const int n = static_cast<int>(rows.groups.size());
      if (rows.groups.size() >= library.groups.size()) {
        show(kCannotDeleteGroups);
        return;
      }
      question = n == 1 ? format("Are you sure you want to delete Group %s?", 0, group.displayName)
                        : format("Are you sure you want to delete %d Groups?", n, {});
      break;
    }
  }
  if (ask(question))
    removeSelection(library, rows, kCannotDeleteGroups, kCannotDeleteCategories);
  else
    show(kDeletionCanceled);
  fill(library, kPatches);
  invalidate(bounds_);
}

// --- rename -------------------------------------------------------------------------------

void KVXPatchManagerInternal::rename() {
  withSelection([&](PatchLibrary& lib, const Rows& rows) { rename(lib, rows); });
}

void KVXPatchManagerInternal::rename(PatchLibrary& library, const Rows& rows) {
  const int level = rows.level();
  const int g = rows.groups[0];
  const PatchGroup& group = *library.groups[static_cast<std::size_t>(g)];
  std::string name;
  if (level == kPatches) {
    const std::vector<int> patches = realPatchRows(library, rows);
    if (patches.empty()) return;  // the placeholder row names no patch
    name = group.categories[static_cast<std::size_t>(rows.categories[0])]->patches[static_cast<std::size_t>(patches[0])]->name;
  } else if (level == kCategories) {
    name = group.categoryNames[static_cast<std::size_t>(rows.categories[0])];
  } else {
    name = group.displayName;
  }
  setChildPopup(renamePopup_.get());
  renamePopup_->open(name, level);
}

void KVXPatchManagerInternal::onRenameDone(KVXRenameInternal* prompt) {
  // The whole text: the library trims it and keeps what its files hold.
  renameDone(prompt->renameType(), prompt->editor()->text());
}

void KVXPatchManagerInternal::renameDone(int type, const std::string& text) {
  withSelection([&](PatchLibrary& lib, const Rows& rows) { renameDone(lib, rows, type, text); });
}

void KVXPatchManagerInternal::renameDone(PatchLibrary& library, const Rows& rows, int type, const std::string& text) {
  const int g = rows.groups[0];
  bool done = false;
  if (type == kGroups) {
    done = library.renameGroup(g, text);
    if (done) fill(library, kGroups);
  } else if (type == kCategories && !rows.categories.empty()) {
    done = library.renameCategory(g, rows.categories[0], text);
    if (done) {
      lists_[kCategories]->setItems(library.groups[static_cast<std::size_t>(g)]->categoryNames);
      lists_[kCategories]->redraw();
    }
  } else if (type == kPatches) {
    const std::vector<int> patches = realPatchRows(library, rows);
    if (patches.empty()) return;
    done = library.renamePatch(g, rows.categories[0], patches[0], text);
    if (done) {
      lists_[kPatches]->setItems(library.groups[static_cast<std::size_t>(g)]->categories[static_cast<std::size_t>(rows.categories[0])]->labels);
      lists_[kPatches]->redraw();
    }
  }
  if (!done) show(kBlankName);
  invalidate(bounds_);
}

// --- archives -----------------------------------------------------------------------------

void KVXPatchManagerInternal::importArchive() {
  platform::FileDialogOptions options;
  options.filterName = "Quorvane Files";
  options.filterPattern = "*.kvx";
  std::string path;
  if (!platform::chooseFileToOpen(window_ ? window_->nativeHandle() : nullptr, options, path)) return;
  importPath_ = path;
  EditorInterface::PatchHold hold(editor_);
  PatchLibrary* library = hold.library();
  if (!library) return;
  library->importDump(importPath_, false);
  fillAll(*library);
  invalidate(bounds_);
}

void KVXPatchManagerInternal::exportArchive() {
  platform::FileDialogOptions options;
  options.title = "Save Export As";
  options.filterName = "Quorvane Files";
  options.filterPattern = "*.kvx";
  options.initialName = "Untitled";
  options.initialFolder = "C:\\";
  std::string path;
  if (!platform::chooseFileToSave(window_ ? window_->nativeHandle() : nullptr, options, path)) return;
  exportPath_ = exportPathFor(path);
  EditorInterface::PatchHold hold(editor_);
  PatchLibrary* library = hold.library();
  if (!library) return;
  const Rows rows = takeRows();
  std::vector<int> patches = rows.level() == kPatches ? realPatchRows(*library, rows) : std::vector<int>{};
  if (rows.level() == kPatches && patches.empty()) return;
  library->writeDump(exportPath_, rows.groups, rows.categories, patches, false);
}

// --- ending -------------------------------------------------------------------------------

void KVXPatchManagerInternal::writeLibrary(PatchLibrary& library) {
  const std::string rescue = library.folder + kRescueFile;
  switch (library.syncWithRescue(rescue)) {
    case PatchLibrary::SafeSyncResult::Synced: break;
    case PatchLibrary::SafeSyncResult::NothingWritten:
      show("The patch library could not be written. The library on disk is unchanged; your changes are kept until the editor "
           "closes.");
      break;
    case PatchLibrary::SafeSyncResult::RescueKept:
      show("The patch library could not be written completely. Every patch is kept in the archive " + rescue +
           "; import it to get them back.");
      break;
  }
}

void KVXPatchManagerInternal::ok() {
  {
    EditorInterface::PatchHold hold(editor_);
    PatchLibrary* library = hold.library();
    if (!library) return;
    // A removed patch leaves the sound on the panel without a place in the library.
    if (library->selectPatchObject(saved_.patch) < 0) hold.markEngineOutsideLibrary();
    finish();
    writeLibrary(*library);
  }
  for (int level : {0, 1, 2}) canvas_->refreshPatchMenu(level);
}

void KVXPatchManagerInternal::select() {
  for (int level : {0, 1, 2}) canvas_->refreshPatchMenu(level);
  plugin_.changePatch(kChangeLibraryPatch, true);
  finish();
  EditorInterface::PatchHold hold(editor_);
  if (PatchLibrary* library = hold.library()) writeLibrary(*library);
}

void KVXPatchManagerInternal::cancel() {
  {
    EditorInterface::PatchHold hold(editor_);
    if (PatchLibrary* library = hold.library()) {
      library->revert();
      library->selectGroup(saved_.group);
      library->selectCategory(saved_.category);
      library->selectPatch(saved_.patchIndex);
    }
  }
  finish();
}
