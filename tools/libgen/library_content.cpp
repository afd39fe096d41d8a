#include "tools/libgen/library_content.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "library/dump_format.h"
#include "library/patch_group.h"
#include "params/param_table.h"
#include "platform/textfile.h"

namespace libgen {
namespace {

constexpr const char* kAuthor = "Halvorsk, Inc.";
constexpr const char* kDate = "2026-12-10";

namespace fs = std::filesystem;

// The folders below a folder whose names start with a number and a blank, in the order of
// that number, with the name after it.
struct Ordered {
  fs::path path;
  std::string name;
};

bool orderedFolders(const fs::path& folder, std::vector<Ordered>& out, std::string& error) {
  std::vector<std::pair<long, Ordered>> found;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) {
    if (!e.is_directory()) continue;
    const std::string name = e.path().filename().string();
    const std::size_t blank = name.find(' ');
    char* end = nullptr;
    const long n = std::strtol(name.c_str(), &end, 10);
    if (blank == std::string::npos || end != name.c_str() + blank || blank + 1 >= name.size()) {
      error = "folder \"" + e.path().string() + "\" is not named \"<number> <name>\"";
      return false;
    }
    found.push_back({n, {e.path(), name.substr(blank + 1)}});
  }
  if (ec) {
    error = "cannot read folder \"" + folder.string() + "\"";
    return false;
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& f : found) out.push_back(std::move(f.second));
  return true;
}

// The sound files of a category folder, in the order of their program numbers.
bool categorySounds(const fs::path& folder, std::vector<std::unique_ptr<Patch>>& out, std::string& error) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(folder, ec))
    if (e.is_regular_file() && e.path().extension() == ".kvx") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    std::string text;
    if (!platform::readTextFile(file.string(), text)) {
      error = "cannot read \"" + file.string() + "\"";
      return false;
    }
    auto sound = std::make_unique<Patch>(soundPatch(text));
    for (const PatchParam& q : sound->params) {
      if (findParameterKey(static_cast<int32_t>(q.key)) <= 1) {
        error = "\"" + file.string() + "\" sets a parameter the table lacks";
        return false;
      }
    }
    out.push_back(std::move(sound));
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const auto& a, const auto& b) { return a->programSlot < b->programSlot; });
  return true;
}

}  // namespace

Patch defaultsPatch(const std::string& name) {
  Patch p("0", name, "", '\\', kAuthor, kDate, "");
  for (int i = 1; i < kParamRecordCount; ++i) {
    const uint32_t key = static_cast<uint32_t>(ParamKeyTable[i]);
    if (key == 0) continue;  // never stored
    const double value = ParamDescTable[i].defaultValue;
    switch (ParamTypeTable[i]) {
      case kStoreInteger:
        p.setParam(kPatchParamInteger, key, static_cast<int32_t>(value), 0.0, 0);
        break;
      case kStoreReal:
        p.setParam(kPatchParamReal, key, 0, value, 0);
        break;
      default:
        p.setParam(kPatchParamCordUnplugged, key, 0, 0.0, 0);
        break;
    }
  }
  p.dirty = 0;
  return p;
}

Patch soundPatch(const std::string& soundText) {
  Patch sound;
  sound.readText(soundText);
  Patch p = defaultsPatch(sound.name);
  for (const PatchParam& q : sound.params) p.setParam(q.kind, q.key, q.intValue, q.realValue, q.peerCode);
  p.midiMapEntries = sound.midiMapEntries;
  std::copy(std::begin(sound.beatSettings), std::end(sound.beatSettings), std::begin(p.beatSettings));
  std::copy(std::begin(sound.beatOffsets), std::end(sound.beatOffsets), std::begin(p.beatOffsets));
  p.programSlot = sound.programSlot;
  p.showNotes = sound.showNotes;
  p.author = sound.author;
  p.date = sound.date;
  p.notes = sound.notes;
  p.dirty = 0;
  return p;
}

std::string resetPatchText() {
  Patch p = defaultsPatch("Reset");
  p.notes = "Every control at its default, no cords.";
  return p.writeText();
}

bool defaultLibraryText(const std::string& soundsFolder, std::string& text, std::string& error) {
  std::vector<Ordered> groupFolders;
  if (!orderedFolders(soundsFolder, groupFolders, error)) return false;
  std::string groups;
  for (const Ordered& g : groupFolders) {
    PatchGroup group;
    group.displayName = g.name;
    std::vector<Ordered> categoryFolders;
    if (!orderedFolders(g.path, categoryFolders, error)) return false;
    for (const Ordered& c : categoryFolders) {
      auto category = std::make_unique<PatchCategory>();
      category->displayName = c.name;
      if (!categorySounds(c.path, category->patches, error)) return false;
      for (const auto& p : category->patches) category->labels.push_back(p->name);
      group.appendCategory(std::move(category));
    }
    group.appendDump(groups);
  }
  text = std::string(dump::kHeader);
  dump::appendLine(text, dump::kMultiGroup, std::to_string(groupFolders.size()));
  text += groups;
  dump::appendLine(text, dump::kEndMultiGroup);
  return true;
}

}  // namespace libgen
