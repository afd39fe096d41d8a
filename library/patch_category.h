// One category of the library: a folder named by its position in its group, holding the
// list file "patchList" and one ".kvx" file per patch, named by the patch's position.
// Under the plug-in's patch lock (see patch_library.h); the audio thread never touches a
// category.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "library/dump_format.h"
#include "library/patch.h"

// The label an empty category shows in lists and menus.
inline constexpr const char* kNoPatchLabel = "No Patch";

class PatchCategory {
 public:
  // An empty category in memory only (tools and tests build trees this way).
  PatchCategory() = default;
  // A category read from disk: reads its patchList and patch files.
  PatchCategory(std::string folderName, std::string displayName, std::string groupFolder,
                char separator);
  // A new empty category; makeFolder creates its folder.
  PatchCategory(std::string folderName, std::string displayName, std::string groupFolder,
                char separator, bool makeFolder);

  // The category's folder: group folder, separator, folder name.
  std::string folderPath() const;
  std::string listPath() const;

  // Reads patchList and the patches it names. A missing list shows
  // "Quorvane 3970: unable to open patchList" and leaves the category empty.
  void readPatchList();

  // Appends a new patch (dirty) and makes it current. Its file and the new patchList are
  // written at once; when that fails the patch is taken out again and null is returned.
  Patch* addPatch(const std::string& name, const std::string& author, const std::string& date,
                  const std::string& notes, int32_t showNotes, int32_t programSlot);

  // Renumbering: a patch whose path changes is marked dirty so that the next sync writes
  // it under its new name.
  void setFolderName(std::string name);
  void setGroupFolder(std::string groupFolder);

  // Writes every dirty patch under its position, then patchList. False (marks kept) when a
  // write fails; the caller reports it.
  bool sync();

  bool hasPatchName(const std::string& name) const;
  void setDirty(int32_t mark);
  bool isDirty() const;

  // The archive block of the category: "Category Dump: ", its patch blocks, the end line.
  void appendDump(std::string& out) const;
  // Adds a patch for every whole patch block of text, with names made unique, marked
  // dirty. Returns the number added.
  int pastePatchDumps(std::string_view text);
  // Appends a patch per block, marked dirty; uniqueNames renames a patch whose name the
  // category already holds. Returns the number added.
  int addPatchBlocks(const std::vector<dump::PatchBlock>& blocks, bool uniqueNames);

  // Takes the patch at index out (the caller retires it); labels and selection follow.
  std::unique_ptr<Patch> takePatch(int index);
  // Moves a patch to another position; the category is marked dirty.
  void movePatch(int from, int to);
  int patchCount() const { return static_cast<int>(patches.size()); }

  std::string folderName;
  std::string displayName;
  std::string groupFolder;
  char separator = '\\';
  int32_t dirty = 0;
  int32_t currentPatch = 0;
  // Per patch what lists show: its name, or "<program + 1>: <name>" when it holds a slot.
  // An empty category may hold the single placeholder kNoPatchLabel.
  std::vector<std::string> labels;
  std::vector<std::unique_ptr<Patch>> patches;

 private:
  void setPatchFolders();
  void appendPatch(std::unique_ptr<Patch> patch, std::string label);
};
