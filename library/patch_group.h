// One group of the library: a folder named by its position, holding the list file
// "catagoryList" and one folder per category. Each group keeps the table of MIDI program
// numbers of its patches. Under the plug-in's patch lock (see patch_library.h); the audio
// thread sees the program tables through the library's published snapshot.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "library/patch_category.h"

inline constexpr int kProgramCount = 128;

class PatchGroup {
 public:
  // An empty group in memory only.
  PatchGroup() = default;
  // A group read from disk: reads its catagoryList and every category under it.
  PatchGroup(std::string folderName, std::string displayName, std::string libraryFolder,
             char separator);
  // A new group in memory with one new category of the given name (folder made when the
  // group's folder exists). The caller syncs it.
  PatchGroup(std::string folderName, std::string displayName, std::string libraryFolder,
             char separator, const std::string& firstCategoryName);

  std::string folderPath() const;
  std::string listPath() const;

  // Reads catagoryList and the categories; false when the list is missing.
  bool readCategoryList();
  // 0 refused (empty name or the list could not be written), 1 added, 2 the name exists.
  int addCategory(const std::string& name);
  void setFolderName(std::string name);
  // Writes the categories, then catagoryList; false (marks kept) on a failed write.
  bool sync();
  bool hasCategoryName(const std::string& name) const;
  void setDirty(int32_t mark);
  bool isDirty() const;

  // Rebuilds programMap and the labels of the mapped patches: the first patch (category
  // order, then patch order) that claims a program keeps it; later claimants lose their
  // slot in memory. Slots outside 0..127 are ignored.
  void rebuildProgramMap();
  // Gives a patch of this group a program slot (-1: none) and marks it dirty; a patch that
  // gives a slot up shows its name alone again. The caller rebuilds the program map. False
  // when the patch is not in the group.
  bool setProgramSlot(Patch& patch, int32_t slot);

  // The archive block of the group: "Group Dump: ", its category blocks, the end line.
  void appendDump(std::string& out) const;
  // Appends a category per block, marked dirty with its patches; uniqueNames renames a
  // category whose name the group already holds. A block whose patch blocks are all broken
  // adds nothing. Returns the number added.
  int addCategoryBlocks(const std::vector<dump::CategoryBlock>& blocks, bool uniqueNames);
  // Adds a category for every whole category block, names made unique, marked dirty, then
  // rebuilds the program map. Returns the number added.
  int pasteCategoryDumps(std::string_view text);
  // Appends a category (not written to disk).
  void appendCategory(std::unique_ptr<PatchCategory> category);

  std::unique_ptr<PatchCategory> takeCategory(int index);
  void moveCategory(int from, int to);
  int categoryCount() const { return static_cast<int>(categories.size()); }

  std::string folderName;
  std::string displayName;
  std::string libraryFolder;
  char separator = '\\';
  int32_t dirty = 0;
  std::array<Patch*, kProgramCount> programMap{};
  int32_t currentCategory = 0;
  std::vector<std::string> categoryNames;
  std::vector<std::unique_ptr<PatchCategory>> categories;
};
