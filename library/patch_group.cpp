#include "library/patch_group.h"

#include <algorithm>
#include <utility>

#include "library/name_list.h"
#include "library/text_lines.h"
#include "platform/files.h"

PatchGroup::PatchGroup(std::string folderName_, std::string displayName_,
                       std::string libraryFolder_, char separator_)
    : folderName(std::move(folderName_)),
      displayName(std::move(displayName_)),
      libraryFolder(std::move(libraryFolder_)),
      separator(separator_) {
  readCategoryList();
}

PatchGroup::PatchGroup(std::string folderName_, std::string displayName_,
                       std::string libraryFolder_, char separator_,
                       const std::string& firstCategoryName)
    : folderName(std::move(folderName_)),
      displayName(std::move(displayName_)),
      libraryFolder(std::move(libraryFolder_)),
      separator(separator_) {
  appendCategory(std::make_unique<PatchCategory>("0", firstCategoryName, folderPath(),
                                                 separator, false));
  rebuildProgramMap();
}

std::string PatchGroup::folderPath() const { return libraryFolder + folderName; }

std::string PatchGroup::listPath() const { return folderPath() + separator + "catagoryList"; }

void PatchGroup::appendCategory(std::unique_ptr<PatchCategory> category) {
  categoryNames.push_back(category->displayName);
  categories.push_back(std::move(category));
}

bool PatchGroup::readCategoryList() {
  categoryNames.clear();
  categories.clear();
  std::vector<std::string> names;
  const bool found = readNameList(listPath(), names);
  for (std::string& name : names)
    appendCategory(std::make_unique<PatchCategory>(std::to_string(categories.size()),
                                                   std::move(name), folderPath(), separator));
  rebuildProgramMap();
  return found;
}

int PatchGroup::addCategory(const std::string& name_) {
  const std::string name = trim(name_);
  if (name.empty()) return 0;
  if (hasCategoryName(name)) return 2;
  auto category = std::make_unique<PatchCategory>(std::to_string(categories.size()), name,
                                                  folderPath(), separator, true);
  category->setDirty(1);
  // The category's folder and list first, then the group's list that names it.
  if (!category->sync()) return 0;
  std::vector<std::string> names = categoryNames;
  names.push_back(name);
  if (!writeNameList(listPath(), names)) return 0;
  appendCategory(std::move(category));
  return 1;
}

void PatchGroup::setFolderName(std::string name) {
  folderName = std::move(name);
  for (const auto& c : categories) c->setGroupFolder(folderPath());
}

bool PatchGroup::sync() {
  if (!platform::makeDirectory(folderPath())) {
    reportSyncError("Group");
    return false;
  }
  bool ok = true;
  for (std::size_t j = 0; j < categories.size(); ++j) {
    PatchCategory& c = *categories[j];
    c.setGroupFolder(folderPath());
    c.setFolderName(std::to_string(j));
    if (!c.sync()) ok = false;
  }
  if (!ok) return false;  // the category has reported it
  if (!writeNameList(listPath(), categoryNames)) {
    reportSyncError("Group");
    return false;
  }
  rebuildProgramMap();
  dirty = 0;
  return true;
}

bool PatchGroup::hasCategoryName(const std::string& name) const {
  return std::find(categoryNames.begin(), categoryNames.end(), name) != categoryNames.end();
}

void PatchGroup::setDirty(int32_t mark) {
  dirty = mark;
  for (const auto& c : categories) c->setDirty(mark);
}

bool PatchGroup::isDirty() const {
  if (dirty) return true;
  return std::any_of(categories.begin(), categories.end(),
                     [](const auto& c) { return c->isDirty(); });
}

void PatchGroup::rebuildProgramMap() {
  programMap.fill(nullptr);
  for (const auto& c : categories) {
    for (std::size_t i = 0; i < c->patches.size(); ++i) {
      Patch& p = *c->patches[i];
      const int32_t s = p.programSlot;
      if (s < 0 || s >= kProgramCount) continue;
      if (programMap[static_cast<std::size_t>(s)]) {
        p.programSlot = -1;  // a later claimant loses the slot (in memory only)
        continue;
      }
      programMap[static_cast<std::size_t>(s)] = &p;
      if (i < c->labels.size()) c->labels[i] = std::to_string(s + 1) + ": " + p.name;
    }
  }
}

void PatchGroup::appendDump(std::string& out) const {
  dump::appendLine(out, dump::kGroupStart, displayName);
  for (const auto& c : categories) c->appendDump(out);
  dump::appendLine(out, dump::kGroupEnd, displayName);
}

int PatchGroup::addCategoryBlocks(const std::vector<dump::CategoryBlock>& blocks,
                                  bool uniqueNames) {
  int added = 0;
  for (const dump::CategoryBlock& b : blocks) {
    if (b.patches.empty() && b.brokenPatches > 0) continue;
    std::string name = b.name;
    if (uniqueNames)
      name = uniqueName(name, [this](const std::string& n) { return hasCategoryName(n); });
    auto category = std::make_unique<PatchCategory>(std::to_string(categories.size()), name,
                                                    folderPath(), separator, false);
    category->addPatchBlocks(b.patches, false);
    category->setDirty(1);
    appendCategory(std::move(category));
    ++added;
  }
  if (added > 0) dirty = 1;
  return added;
}

int PatchGroup::pasteCategoryDumps(std::string_view text) {
  const int added = addCategoryBlocks(dump::parseCategoryBlocks(text), true);
  rebuildProgramMap();
  return added;
}

std::unique_ptr<PatchCategory> PatchGroup::takeCategory(int index) {
  if (index < 0 || index >= categoryCount()) return nullptr;
  std::unique_ptr<PatchCategory> category = std::move(categories[static_cast<std::size_t>(index)]);
  categories.erase(categories.begin() + index);
  categoryNames.erase(categoryNames.begin() + index);
  if (currentCategory > index || currentCategory >= categoryCount())
    currentCategory = std::max(0, currentCategory - 1);
  dirty = 1;
  rebuildProgramMap();
  return category;
}

void PatchGroup::moveCategory(int from, int to) {
  if (from < 0 || from >= categoryCount() || to < 0 || to >= categoryCount() || from == to)
    return;
  moveEntry(categories, from, to);
  moveEntry(categoryNames, from, to);
  dirty = 1;
  rebuildProgramMap();
}
