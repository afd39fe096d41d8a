// The library's tree on disk: first start, reading, adding, synchronising, reverting,
// removing and reordering, and the retirement of records taken out of the tree.
#include <algorithm>
#include <utility>

#include "library/name_list.h"
#include "library/patch_library.h"
#include "library/text_lines.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/textfile.h"

namespace {

// Names given to the group and category a library is never without.
constexpr const char* kFallbackGroupName = "User";
constexpr const char* kFallbackCategoryName = "New";

// Resources carrying the first-start files, and the files they become.
struct InstalledFile {
  const char* resource;
  const char* fileName;
};
constexpr InstalledFile kInstalledFiles[] = {{"defaultLibrary", "defaultLibrary"},
                                             {"kreset", "kreset.kvx"}};
constexpr const char* kTextResourceType = "#2112";

// Creates every folder of path that is missing.
void makePath(const std::string& path) {
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/' || path[i] == '\\') {
      const std::string prefix = path.substr(0, i);
      if (!prefix.empty() && prefix.back() != ':') platform::makeDirectory(prefix);
    }
  }
}

bool fileExists(const std::string& path) {
  std::string bytes;
  return platform::readBinaryFile(path, bytes);
}

}  // namespace

PatchLibrary::PatchLibrary(std::string dataFolder, char separator_)
    : folder(std::move(dataFolder)), separator(separator_) {
  installFirstStartFiles();
  resetPatch = Patch("reset", "", folder, 'k');
  sessionPatch = Patch("session", "", folder, 'k');
  readGroupList();
}

PatchLibrary::~PatchLibrary() = default;

void PatchLibrary::installFirstStartFiles() {
  makePath(folder);
  for (const InstalledFile& f : kInstalledFiles) {
    const std::string path = folder + f.fileName;
    if (fileExists(path)) continue;
    platform::Resource r;
    if (!platform::findResource(f.resource, kTextResourceType, r)) continue;
    platform::replaceFile(path, std::string(reinterpret_cast<const char*>(r.data), r.size));
  }
}

void PatchLibrary::appendGroup(std::unique_ptr<PatchGroup> group) {
  groupNames.push_back(group->displayName);
  groups.push_back(std::move(group));
}

void PatchLibrary::ensureGroupWithCategory() {
  if (groups.empty()) {
    auto g = std::make_unique<PatchGroup>("0", kFallbackGroupName, folder, separator,
                                          kFallbackCategoryName);
    g->setDirty(1);
    appendGroup(std::move(g));
  }
  for (const auto& g : groups) {
    if (g->categories.empty()) {
      g->appendCategory(std::make_unique<PatchCategory>("0", kFallbackCategoryName,
                                                        g->folderPath(), separator, false));
      g->setDirty(1);
    }
  }
  if (currentGroup < 0 || currentGroup >= static_cast<int32_t>(groups.size())) currentGroup = 0;
}

void PatchLibrary::readGroupList() {
  for (auto& g : groups) retire(std::move(g));
  groups.clear();
  groupNames.clear();
  std::vector<std::string> names;
  if (!readNameList(folder + "groupList", names)) {
    // First start: the shipped archive becomes the library.
    importDump(folder + "defaultLibrary", true);
    ensureGroupWithCategory();
    setDirty(1);
    sync();
    publishProgramMaps();
    return;
  }
  for (std::string& name : names) {
    appendGroup(std::make_unique<PatchGroup>(std::to_string(groups.size()), std::move(name),
                                             folder, separator));
  }
  setDirty(0);
  ensureGroupWithCategory();  // what it adds stays marked for the next sync
  publishProgramMaps();
}

int PatchLibrary::addGroup(const std::string& groupName_, const std::string& categoryName_) {
  const std::string groupName = trim(groupName_);
  const std::string categoryName = trim(categoryName_);
  if (groupName.empty() || categoryName.empty()) return 0;
  const auto found = std::find(groupNames.begin(), groupNames.end(), groupName);
  if (found != groupNames.end()) {
    currentGroup = static_cast<int32_t>(found - groupNames.begin());
    rebuildProgramMap();
    return 2;
  }
  auto g = std::make_unique<PatchGroup>(std::to_string(groups.size()), groupName, folder,
                                        separator, categoryName);
  g->setDirty(1);
  // The group's folders and lists first, then groupList that names it.
  if (!g->sync()) return 0;
  std::vector<std::string> names = groupNames;
  names.push_back(groupName);
  if (!writeNameList(folder + "groupList", names)) {
    reportSyncError("Library");
    return 0;
  }
  appendGroup(std::move(g));
  publishProgramMaps();
  return 1;
}

Patch* PatchLibrary::addPatch(const std::string& name, const std::string& author,
                              const std::string& date, const std::string& notes,
                              int32_t showNotes, int32_t programSlot) {
  PatchCategory* c = currentCategoryObject();
  if (!c) return nullptr;
  Patch* p = c->addPatch(name, author, date, notes, showNotes, programSlot);
  if (p) rebuildProgramMap();
  return p;
}

bool PatchLibrary::sync() {
  makePath(folder);
  bool ok = true;
  for (std::size_t j = 0; j < groups.size(); ++j) {
    groups[j]->setFolderName(std::to_string(j));
    if (!groups[j]->sync()) ok = false;
  }
  publishProgramMaps();
  if (!ok) return false;  // the failing level has reported it
  if (!writeNameList(folder + "groupList", groupNames)) {
    reportSyncError("Library");
    return false;
  }
  dirty = 0;
  return true;
}

void PatchLibrary::revert() {
  if (!isDirty()) return;
  currentGroup = 0;
  audioGroup_.store(0);
  readGroupList();
}

bool PatchLibrary::hasGroupName(const std::string& name) const {
  return std::find(groupNames.begin(), groupNames.end(), name) != groupNames.end();
}

void PatchLibrary::setDirty(int32_t mark) {
  dirty = mark;
  for (const auto& g : groups) g->setDirty(mark);
}

bool PatchLibrary::isDirty() const {
  if (dirty) return true;
  return std::any_of(groups.begin(), groups.end(), [](const auto& g) { return g->isDirty(); });
}

PatchGroup* PatchLibrary::group(int index) const {
  if (index < 0 || index >= static_cast<int>(groups.size())) return nullptr;
  return groups[static_cast<std::size_t>(index)].get();
}

bool PatchLibrary::removeGroup(int index) {
  if (!group(index) || groups.size() < 2) return false;  // the library keeps one group
  retire(std::move(groups[static_cast<std::size_t>(index)]));
  groups.erase(groups.begin() + index);
  groupNames.erase(groupNames.begin() + index);
  if (currentGroup > index || currentGroup >= static_cast<int32_t>(groups.size()))
    currentGroup = std::max(0, currentGroup - 1);
  dirty = 1;
  publishProgramMaps();
  return true;
}

bool PatchLibrary::removeCategory(int g, int c) {
  PatchGroup* grp = group(g);
  if (!grp || grp->categoryCount() < 2) return false;  // a group keeps one category
  std::unique_ptr<PatchCategory> category = grp->takeCategory(c);
  if (!category) return false;
  retire(std::move(category));
  publishProgramMaps();
  return true;
}

bool PatchLibrary::removePatch(int g, int c, int p) {
  PatchGroup* grp = group(g);
  if (!grp || c < 0 || c >= grp->categoryCount()) return false;
  std::unique_ptr<Patch> patch = grp->categories[static_cast<std::size_t>(c)]->takePatch(p);
  if (!patch) return false;
  retire(std::move(patch));
  grp->rebuildProgramMap();
  publishProgramMaps();
  return true;
}

bool PatchLibrary::moveGroup(int from, int to) {
  if (!group(from) || !group(to) || from == to) return false;
  moveEntry(groups, from, to);
  moveEntry(groupNames, from, to);
  dirty = 1;
  publishProgramMaps();
  return true;
}

bool PatchLibrary::moveCategory(int g, int from, int to) {
  PatchGroup* grp = group(g);
  if (!grp || from < 0 || to < 0 || from >= grp->categoryCount() || to >= grp->categoryCount())
    return false;
  grp->moveCategory(from, to);
  publishProgramMaps();
  return true;
}

bool PatchLibrary::movePatch(int g, int c, int from, int to) {
  PatchGroup* grp = group(g);
  if (!grp || c < 0 || c >= grp->categoryCount()) return false;
  PatchCategory& cat = *grp->categories[static_cast<std::size_t>(c)];
  if (from < 0 || to < 0 || from >= cat.patchCount() || to >= cat.patchCount()) return false;
  cat.movePatch(from, to);
  grp->rebuildProgramMap();
  publishProgramMaps();
  return true;
}

void PatchLibrary::retire(std::unique_ptr<PatchGroup> g) {
  if (!g) return;
  for (auto& c : g->categories) retire(std::move(c));
}

void PatchLibrary::retire(std::unique_ptr<PatchCategory> c) {
  if (!c) return;
  for (auto& p : c->patches) retire(std::move(p));
}

void PatchLibrary::retire(std::unique_ptr<Patch> p) {
  if (!p) return;
  retired_.push_back(std::move(p));
  retiredSincePublish_ = true;
}

void PatchLibrary::reclaim(bool patchChangePending) {
  if (patchChangePending || retiredSincePublish_) return;
  // First the tables: a reader that is not inside one now can only reach records of the
  // current table, which holds no retired record. Then the records it may have taken.
  if (!programs_.reclaim()) return;
  if (requestedPatch_.load() || audioHold_.load()) return;
  retired_.clear();
}
