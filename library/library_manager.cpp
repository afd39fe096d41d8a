// Edits of the patch manager that the tree's other operations do not cover: renaming an
// entry, asking whether a record is still in the tree, and a sync that never leaves the
// user without the patches when a write fails half-way.
#include <numeric>

#include "library/patch_library.h"
#include "library/text_lines.h"
#include "platform/files.h"

namespace {

// The name an entry takes: trimmed, at most the length the files keep; empty when blank.
std::string entryName(const std::string& text) {
  std::string name = trim(text);
  if (name.size() > PatchLibrary::kMaxEntryNameLength) name = trim(name.substr(0, PatchLibrary::kMaxEntryNameLength));
  return name;
}

}  // namespace

bool PatchLibrary::renameGroup(int index, const std::string& text) {
  PatchGroup* g = group(index);
  const std::string name = entryName(text);
  if (!g || name.empty()) return false;
  dirty = 1;  // groupList names the groups
  g->displayName = name;
  groupNames[static_cast<std::size_t>(index)] = name;
  return true;
}

bool PatchLibrary::renameCategory(int groupIndex, int index, const std::string& text) {
  PatchGroup* g = group(groupIndex);
  const std::string name = entryName(text);
  if (!g || index < 0 || index >= g->categoryCount() || name.empty()) return false;
  g->dirty = 1;  // catagoryList names the categories
  g->categories[static_cast<std::size_t>(index)]->displayName = name;
  g->categoryNames[static_cast<std::size_t>(index)] = name;
  return true;
}

bool PatchLibrary::renamePatch(int groupIndex, int categoryIndex, int index, const std::string& text) {
  PatchGroup* g = group(groupIndex);
  const std::string name = entryName(text);
  if (!g || categoryIndex < 0 || categoryIndex >= g->categoryCount() || name.empty()) return false;
  PatchCategory& c = *g->categories[static_cast<std::size_t>(categoryIndex)];
  if (index < 0 || index >= c.patchCount()) return false;
  Patch& p = *c.patches[static_cast<std::size_t>(index)];
  c.dirty = 1;  // patchList and the patch's own file both hold the name
  p.dirty = 1;
  p.name = name;
  if (static_cast<std::size_t>(index) < c.labels.size()) c.labels[static_cast<std::size_t>(index)] = name;
  g->rebuildProgramMap();  // a patch with a program number shows it before the name
  return true;
}

bool PatchLibrary::containsPatch(const Patch* patch) const {
  if (!patch) return false;
  for (const auto& g : groups)
    for (const auto& c : g->categories)
      for (const auto& p : c->patches)
        if (p.get() == patch) return true;
  return false;
}

PatchLibrary::SafeSyncResult PatchLibrary::syncWithRescue(const std::string& rescuePath) {
  std::vector<int> all(groups.size());
  std::iota(all.begin(), all.end(), 0);
  if (!platform::replaceFile(rescuePath, groupsDump(all))) return SafeSyncResult::NothingWritten;
  if (!sync()) return SafeSyncResult::RescueKept;
  platform::removeFile(rescuePath);
  return SafeSyncResult::Synced;
}
