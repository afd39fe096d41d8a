#include "library/patch_category.h"

#include <algorithm>
#include <utility>

#include "library/dump_format.h"
#include "library/name_list.h"
#include "library/text_lines.h"
#include "platform/files.h"
#include "platform/platform.h"

PatchCategory::PatchCategory(std::string folderName_, std::string displayName_,
                             std::string groupFolder_, char separator_)
    : folderName(std::move(folderName_)),
      displayName(std::move(displayName_)),
      groupFolder(std::move(groupFolder_)),
      separator(separator_) {
  readPatchList();
}

PatchCategory::PatchCategory(std::string folderName_, std::string displayName_,
                             std::string groupFolder_, char separator_, bool makeFolder)
    : folderName(std::move(folderName_)),
      displayName(std::move(displayName_)),
      groupFolder(std::move(groupFolder_)),
      separator(separator_) {
  if (makeFolder) platform::makeDirectory(folderPath());
}

std::string PatchCategory::folderPath() const { return groupFolder + separator + folderName; }

std::string PatchCategory::listPath() const { return folderPath() + separator + "patchList"; }

void PatchCategory::readPatchList() {
  labels.clear();
  patches.clear();
  std::vector<std::string> names;
  if (!readNameList(listPath(), names)) {
    platform::messageBox(nullptr, "Quorvane 3970: unable to open patchList");
    return;
  }
  const std::string folder = folderPath();
  for (std::string& name : names) {
    auto patch = std::make_unique<Patch>(std::to_string(patches.size()), name, folder, separator);
    appendPatch(std::move(patch), std::move(name));
  }
}

void PatchCategory::appendPatch(std::unique_ptr<Patch> patch, std::string label) {
  if (patches.empty()) labels.clear();  // drops the placeholder
  labels.push_back(std::move(label));
  patches.push_back(std::move(patch));
}

Patch* PatchCategory::addPatch(const std::string& name_, const std::string& author,
                               const std::string& date, const std::string& notes,
                               int32_t showNotes, int32_t programSlot) {
  const std::string name = trim(name_);
  if (name.empty()) return nullptr;
  const std::vector<std::string> savedLabels = labels;
  auto patch = std::make_unique<Patch>(std::to_string(patches.size()), name, folderPath(),
                                       separator, author, date, notes);
  patch->showNotes = showNotes;
  patch->programSlot = (programSlot >= -1 && programSlot <= 127) ? programSlot : -1;
  patch->dirty = 1;
  Patch* added = patch.get();
  appendPatch(std::move(patch), name);

  // The patch's file first, then the list that names it.
  std::vector<std::string> names;
  for (const auto& p : patches) names.push_back(p->name);
  if (!added->save() || !writeNameList(listPath(), names)) {
    patches.pop_back();
    labels = savedLabels;
    return nullptr;
  }
  currentPatch = static_cast<int32_t>(patches.size()) - 1;
  return added;
}

void PatchCategory::setPatchFolders() {
  const std::string folder = folderPath();
  for (const auto& p : patches) {
    if (p->folder != folder || p->separator != separator) {
      p->folder = folder;
      p->separator = separator;
      p->dirty = 1;
    }
  }
}

void PatchCategory::setFolderName(std::string name) {
  folderName = std::move(name);
  setPatchFolders();
}

void PatchCategory::setGroupFolder(std::string groupFolder_) {
  groupFolder = std::move(groupFolder_);
  setPatchFolders();
}

bool PatchCategory::sync() {
  if (!platform::makeDirectory(folderPath())) {
    reportSyncError("Category");
    return false;
  }
  setPatchFolders();
  if (labels.size() != patches.size()) {
    // Only the placeholder of an empty category can make them differ.
    labels.clear();
    for (const auto& p : patches) labels.push_back(p->name);
  }
  bool ok = true;
  std::vector<std::string> names;
  for (std::size_t i = 0; i < patches.size(); ++i) {
    Patch& p = *patches[i];
    const std::string fileName = std::to_string(i);
    if (p.fileName != fileName) {
      p.fileName = fileName;
      p.dirty = 1;
    }
    if (p.save())
      p.dirty = 0;
    else
      ok = false;
    names.push_back(p.name);
  }
  if (!ok || !writeNameList(listPath(), names)) {
    reportSyncError("Category");
    return false;
  }
  dirty = 0;
  return true;
}

bool PatchCategory::hasPatchName(const std::string& name) const {
  if (patches.empty()) return false;
  return std::find(labels.begin(), labels.end(), name) != labels.end();
}

void PatchCategory::setDirty(int32_t mark) {
  dirty = mark;
  for (const auto& p : patches) p->dirty = mark;
}

bool PatchCategory::isDirty() const {
  if (dirty) return true;
  return std::any_of(patches.begin(), patches.end(), [](const auto& p) { return p->dirty != 0; });
}

void PatchCategory::appendDump(std::string& out) const {
  dump::appendLine(out, dump::kCategoryStart, displayName);
  for (const auto& p : patches) dump::appendPatchBlock(out, *p);
  dump::appendLine(out, dump::kCategoryEnd, displayName);
}

int PatchCategory::addPatchBlocks(const std::vector<dump::PatchBlock>& blocks,
                                  bool uniqueNames) {
  for (const dump::PatchBlock& b : blocks) {
    std::string name = b.name;
    if (uniqueNames)
      name = uniqueName(name, [this](const std::string& n) { return hasPatchName(n); });
    auto patch = std::make_unique<Patch>(std::to_string(patches.size()), name, folderPath(),
                                         separator, b.text.data(), b.text.size());
    patch->dirty = 1;
    appendPatch(std::move(patch), name);
  }
  if (!blocks.empty()) dirty = 1;
  return static_cast<int>(blocks.size());
}

int PatchCategory::pastePatchDumps(std::string_view text) {
  return addPatchBlocks(dump::parsePatchBlocks(text), true);
}

std::unique_ptr<Patch> PatchCategory::takePatch(int index) {
  if (index < 0 || index >= patchCount()) return nullptr;
  std::unique_ptr<Patch> patch = std::move(patches[static_cast<std::size_t>(index)]);
  patches.erase(patches.begin() + index);
  if (static_cast<std::size_t>(index) < labels.size()) labels.erase(labels.begin() + index);
  if (currentPatch > index || currentPatch >= patchCount())
    currentPatch = std::max(0, currentPatch - 1);
  dirty = 1;
  return patch;
}

void PatchCategory::movePatch(int from, int to) {
  if (from < 0 || from >= patchCount() || to < 0 || to >= patchCount() || from == to) return;
  moveEntry(patches, from, to);
  if (labels.size() == patches.size()) moveEntry(labels, from, to);
  dirty = 1;
}
