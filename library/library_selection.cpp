// The current group, category and patch, the per-group program maps and their snapshot for
// the audio thread.
#include <algorithm>

#include "library/patch_library.h"

PatchCategory* PatchLibrary::currentCategoryObject() const {
  const PatchGroup* g = group(currentGroup);
  if (!g || g->currentCategory < 0 || g->currentCategory >= g->categoryCount()) return nullptr;
  return g->categories[static_cast<std::size_t>(g->currentCategory)].get();
}

int PatchLibrary::currentCategoryIndex() const {
  const PatchGroup* g = group(currentGroup);
  return g ? g->currentCategory : -1;
}

std::vector<std::string> PatchLibrary::getCategoryNames() const {
  const PatchGroup* g = group(currentGroup);
  return g ? g->categoryNames : std::vector<std::string>{};
}

int PatchLibrary::currentPatchIndex() const {
  const PatchCategory* c = currentCategoryObject();
  if (!c || c->patches.empty()) return -1;
  return c->currentPatch;
}

Patch* PatchLibrary::currentPatch() const {
  const PatchCategory* c = currentCategoryObject();
  if (!c || c->currentPatch < 0 || c->currentPatch >= c->patchCount()) return nullptr;
  return c->patches[static_cast<std::size_t>(c->currentPatch)].get();
}

std::vector<std::string> PatchLibrary::patchNames() {
  PatchCategory* c = currentCategoryObject();
  if (!c) return {kNoPatchLabel};
  if (c->labels.empty()) c->labels.push_back(kNoPatchLabel);
  return c->labels;
}

Patch* PatchLibrary::programMapEntry(int slot) const {
  const PatchGroup* g = group(currentGroup);
  if (!g || slot < 0 || slot >= kProgramCount) return nullptr;
  return g->programMap[static_cast<std::size_t>(slot)];
}

int PatchLibrary::selectGroup(int index) {
  if (group(index)) {
    currentGroup = index;
    PatchGroup& g = *groups[static_cast<std::size_t>(index)];
    if (g.currentCategory < 0 || g.currentCategory >= g.categoryCount()) selectCategory(0);
  }
  audioGroup_.store(currentGroup);
  rebuildProgramMap();
  return currentGroup;
}

int PatchLibrary::selectCategory(int index) {
  PatchGroup* g = group(currentGroup);
  if (g && index >= 0 && index < g->categoryCount()) {
    g->currentCategory = index;
    PatchCategory& c = *g->categories[static_cast<std::size_t>(index)];
    if (!c.patches.empty() && (c.currentPatch < 0 || c.currentPatch >= c.patchCount()))
      c.currentPatch = 0;
  }
  patchNames();  // an empty category shows its placeholder
  return 1;
}

int PatchLibrary::selectPatch(int index) {
  PatchCategory* c = currentCategoryObject();
  if (c && index >= 0 && index < c->patchCount()) c->currentPatch = index;
  return 1;
}

int PatchLibrary::selectPatchObject(const Patch* patch) {
  for (std::size_t i = 0; i < groups.size(); ++i) {
    PatchGroup& g = *groups[i];
    for (std::size_t j = 0; j < g.categories.size(); ++j) {
      PatchCategory& c = *g.categories[j];
      for (std::size_t k = 0; k < c.patches.size(); ++k) {
        if (c.patches[k].get() != patch) continue;
        selectGroup(static_cast<int>(i));
        selectCategory(static_cast<int>(j));
        c.currentPatch = static_cast<int32_t>(k);
        return static_cast<int>(k);
      }
    }
  }
  selectGroup(0);
  selectCategory(0);
  if (PatchCategory* c = currentCategoryObject(); c && !c->patches.empty()) c->currentPatch = 0;
  return -1;
}

bool PatchLibrary::selectProgram(int program) {
  const Patch* p = programMapEntry(program);
  if (!p) return false;
  PatchGroup& g = *groups[static_cast<std::size_t>(currentGroup)];
  for (std::size_t i = 0; i < g.categories.size(); ++i) {
    PatchCategory& c = *g.categories[i];
    for (std::size_t j = 0; j < c.patches.size(); ++j) {
      if (c.patches[j].get() != p) continue;
      selectCategory(static_cast<int>(i));
      c.currentPatch = static_cast<int32_t>(j);
      return true;
    }
  }
  return false;
}

void PatchLibrary::rebuildProgramMap() {
  if (PatchGroup* g = group(currentGroup)) g->rebuildProgramMap();
  publishProgramMaps();
}

void PatchLibrary::publishProgramMaps() {
  auto table = std::make_unique<ProgramSnapshot>();
  table->groups.reserve(groups.size());
  for (const auto& g : groups) {
    std::array<const Patch*, kProgramCount> slots{};
    std::copy(g->programMap.begin(), g->programMap.end(), slots.begin());
    table->groups.push_back(slots);
  }
  programs_.publish(std::move(table));
  retiredSincePublish_ = false;
  if (audioGroup_.load() >= static_cast<int32_t>(groups.size())) audioGroup_.store(currentGroup);
}

void PatchLibrary::audioSelectGroup(int bank) {
  const ProgramSnapshot& t = programs_.enter();
  if (bank >= 0 && bank < static_cast<int>(t.groups.size())) {
    audioGroup_.store(bank);
    requestedGroup_.store(bank);
  }
  programs_.leave();
}

const Patch* PatchLibrary::audioSelectProgram(int program) {
  const ProgramSnapshot& t = programs_.enter();
  const int g = audioGroup_.load();
  const Patch* p = nullptr;
  if (g >= 0 && g < static_cast<int>(t.groups.size()) && program >= 0 && program < kProgramCount)
    p = t.groups[static_cast<std::size_t>(g)][static_cast<std::size_t>(program)];
  // Held and announced while the table still protects the record from reclamation.
  if (p) {
    audioHold_.store(p);
    requestedPatch_.store(p);
  }
  programs_.leave();
  return p;
}

bool PatchLibrary::applyAudioSelection() {
  bool changed = false;
  const int32_t g = requestedGroup_.exchange(-1);
  if (g >= 0 && group(g)) {
    selectGroup(g);
    changed = true;
  }
  // The record is compared by identity only; it is dereferenced only when still in the tree.
  const Patch* p = requestedPatch_.exchange(nullptr);
  if (!containsPatch(p)) return changed;
  selectPatchObject(p);
  return true;
}
