// Archives of the library: export of a selection, import as new groups, the clipboard.
#include <algorithm>

#include "library/dump_format.h"
#include "library/name_list.h"
#include "library/patch_library.h"
#include "library/text_numbers.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/textfile.h"

namespace {

constexpr const char* kNotAnArchive =
    "The selected file does not appear to be a vaild patch archive.";
constexpr const char* kImportErrors = "The imported file contained errors.";
constexpr const char* kClipboardErrors = "The clipboard contained errors.";
constexpr const char* kSelectionError = "Selection Error!";

std::string counted(int n, const char* word, const char* one, const char* many) {
  return std::to_string(n) + ' ' + word + (n > 1 ? many : one);
}

bool inRange(int index, std::size_t count) {
  return index >= 0 && static_cast<std::size_t>(index) < count;
}

bool allInRange(const std::vector<int>& indexes, std::size_t count) {
  return std::all_of(indexes.begin(), indexes.end(),
                     [count](int i) { return inRange(i, count); });
}

}  // namespace

void PatchLibrary::report(const std::string& text) const { platform::messageBox(nullptr, text); }

int PatchLibrary::writeDump(const std::string& path, std::vector<int> groupIndexes,
                            std::vector<int> categoryIndexes, std::vector<int> patchIndexes,
                            bool clipboard) {
  const std::size_t ng = groupIndexes.size(), nc = categoryIndexes.size(),
                    np = patchIndexes.size();
  const char* where = clipboard ? "in clipboard" : "exported";
  std::string out(dump::kHeader);
  std::string message;
  int kind = -1;
  // The group of a category or patch dump is the first selected one, the category of a
  // patch dump the first selected category; every index must name something.
  const PatchGroup* g = (ng > 0 && allInRange(groupIndexes, groups.size()))
                            ? groups[static_cast<std::size_t>(groupIndexes[0])].get()
                            : nullptr;
  if (nc == 0 && g) {
    kind = dump::kGroups;
    out = groupsDump(groupIndexes);
    message = counted(static_cast<int>(ng), "Group", "", "s") + ' ' + where + '.';
  } else if (g && nc > 0 && allInRange(categoryIndexes, g->categories.size()) &&
             (nc >= 2 || np == 0)) {
    kind = dump::kCategories;
    dump::appendLine(out, dump::kMultiCategory, std::to_string(nc));
    dump::appendLine(out, g->displayName);
    for (int i : categoryIndexes) g->categories[static_cast<std::size_t>(i)]->appendDump(out);
    dump::appendLine(out, dump::kEndMultiCategory, " ", g->displayName);
    message = counted(static_cast<int>(nc), "Categor", "y", "ies") + " from " +
              g->displayName + ' ' + where + '.';
  } else if (g && nc == 1 && np > 0 && allInRange(categoryIndexes, g->categories.size()) &&
             allInRange(patchIndexes,
                        g->categories[static_cast<std::size_t>(categoryIndexes[0])]->patches.size())) {
    kind = dump::kPatches;
    const PatchCategory& c = *g->categories[static_cast<std::size_t>(categoryIndexes[0])];
    dump::appendLine(out, dump::kMultiPatch, std::to_string(np));
    dump::appendLine(out, g->displayName);
    dump::appendLine(out, c.displayName);
    for (int i : patchIndexes) dump::appendPatchBlock(out, *c.patches[static_cast<std::size_t>(i)]);
    dump::appendLine(out, dump::kEndMultiPatch, " ", g->displayName + " - " + c.displayName);
    message = counted(static_cast<int>(np), "Patch", "", "es") + " from Category " +
              c.displayName + " of Group " + g->displayName + ' ' + where + '.';
  }
  if (kind < 0) {
    report(kSelectionError);  // nothing is written for an empty or stale selection
    return -1;
  }
  if (!platform::replaceFile(path, out)) {
    report("Unable to write " + path + ".");
    return -1;
  }
  report(message);
  return kind;
}

std::string PatchLibrary::groupsDump(const std::vector<int>& groupIndexes) const {
  std::string out(dump::kHeader);
  dump::appendLine(out, dump::kMultiGroup, std::to_string(groupIndexes.size()));
  for (int i : groupIndexes) groups[static_cast<std::size_t>(i)]->appendDump(out);
  dump::appendLine(out, dump::kEndMultiGroup);
  return out;
}

bool PatchLibrary::readArchive(const std::string& path, std::string& text,
                               std::string_view& body) const {
  if (platform::readTextFile(path, text) && dump::readHeader(text, body)) return true;
  report(kNotAnArchive);  // also for a quiet import
  return false;
}

std::unique_ptr<PatchGroup> PatchLibrary::newGroup(const std::string& name,
                                                   NameSet& names) const {
  auto g = std::make_unique<PatchGroup>();
  g->folderName = std::to_string(groups.size());
  g->displayName = names.freeName(name);
  g->libraryFolder = folder;
  g->separator = separator;
  return g;
}

void PatchLibrary::appendNewGroup(std::unique_ptr<PatchGroup> g, NameSet& names) {
  g->setDirty(1);
  g->rebuildProgramMap();
  names.add(g->displayName);
  appendGroup(std::move(g));
}

bool PatchLibrary::addGroupBlock(const dump::GroupBlock& block, bool uniqueCategoryNames,
                                 NameSet& names) {
  std::unique_ptr<PatchGroup> g = newGroup(block.name, names);
  if (g->addCategoryBlocks(block.categories, uniqueCategoryNames) == 0) return false;
  appendNewGroup(std::move(g), names);
  return true;
}

int PatchLibrary::importDump(const std::string& path, bool quiet) {
  std::string text;
  std::string_view body;
  if (!readArchive(path, text, body)) return 0;
  const dump::Content content = dump::parse(body);
  int addedGroups = 0;
  std::string message = kImportErrors;
  NameSet names(groupNames);
  if (!content.junkFirst) {
    for (const dump::Section& s : content.sections) {
      if (s.kind == dump::kGroups) {
        int n = 0;
        for (const dump::GroupBlock& b : s.groups) n += addGroupBlock(b, false, names) ? 1 : 0;
        addedGroups += n;
        message = s.complete ? counted(n, "Group", "", "s") + " imported" : kImportErrors;
        continue;
      }
      if (!s.complete) {
        message = kImportErrors;
        continue;
      }
      std::unique_ptr<PatchGroup> g = newGroup(s.groupName, names);
      int n = 0;
      if (s.kind == dump::kCategories) {
        n = g->addCategoryBlocks(s.categories, false);
        message = counted(n, "Categor", "y", "ies") + " imported";
      } else {
        auto c = std::make_unique<PatchCategory>("0", s.categoryName, g->folderPath(),
                                                 separator, false);
        n = c->addPatchBlocks(s.patches, false);
        if (n > 0) g->appendCategory(std::move(c));
        message = counted(n, "Patch", "", "es") + " imported";
      }
      if (n == 0 || g->displayName.empty() || g->categories.empty()) continue;
      appendNewGroup(std::move(g), names);
      ++addedGroups;
    }
  }
  if (addedGroups > 0) dirty = 1;
  rebuildProgramMap();
  if (!quiet) report(message);
  return addedGroups;
}

std::string_view PatchLibrary::importGroupDump(std::string_view text) {
  // One group block; the rest starts after the line that ended it, not at an earlier stray
  // copy of that line.
  dump::GroupBlock b;
  std::string_view rest;
  if (!dump::parseFirstGroupBlock(text, b, rest)) return text;
  NameSet names(groupNames);
  if (addGroupBlock(b, false, names)) publishProgramMaps();
  return rest;
}

int PatchLibrary::pasteDump(const std::string& path, int clipboardType, int groupIndex,
                            int categoryIndex) {
  PatchGroup* target = group(groupIndex);
  if ((clipboardType == dump::kCategories || clipboardType == dump::kPatches) && !target)
    return -1;
  if (clipboardType == dump::kPatches && !inRange(categoryIndex, target->categories.size()))
    return -1;
  if (clipboardType < dump::kGroups || clipboardType > dump::kPatches) return -1;

  std::string text;
  std::string_view body;
  if (!readArchive(path, text, body)) return 0;
  const dump::Content content = dump::parse(body);
  std::string message = kClipboardErrors;
  int added = 0;
  NameSet names(groupNames);
  for (const dump::Section& s : content.sections) {
    if (s.kind != clipboardType) {
      message = kClipboardErrors;
      continue;
    }
    if (s.kind == dump::kGroups) {
      int n = 0;
      for (const dump::GroupBlock& b : s.groups) n += addGroupBlock(b, true, names) ? 1 : 0;
      added += n;
      message = s.complete ? counted(n, "Group", "", "s") + " pasted" : kClipboardErrors;
    } else if (!s.complete) {
      message = kClipboardErrors;
    } else if (s.kind == dump::kCategories) {
      const int n = target->addCategoryBlocks(s.categories, true);
      target->rebuildProgramMap();
      added += n;
      message = counted(n, "Categor", "y", "ies") + " pasted";
    } else {
      PatchCategory& c = *target->categories[static_cast<std::size_t>(categoryIndex)];
      const int n = c.addPatchBlocks(s.patches, true);
      target->rebuildProgramMap();
      added += n;
      message = counted(n, "Patch", "", "es") + " pasted";
    }
  }
  if (added > 0) dirty = 1;
  rebuildProgramMap();
  report(message);
  return added;
}

bool PatchLibrary::writeClipboardType(int type) const {
  return platform::replaceFile(clipboardTypePath(), std::to_string(type));
}

int PatchLibrary::readClipboardType() const {
  std::string text;
  if (!platform::readBinaryFile(clipboardTypePath(), text)) return -1;
  textio::Cursor c{text.data(), text.data() + text.size()};
  int32_t type;
  if (!c.readInt(type) || type < dump::kGroups || type > dump::kPatches) return -1;
  return type;
}
