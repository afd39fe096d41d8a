// The list files of the library ("groupList", "catagoryList", "patchList"): one display name
// per line, stored in Windows text mode (CR LF on disk). GUI thread.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// The names of a list text in file order: each line trimmed, blank lines skipped. Lines may
// end in CR, LF or CR LF.
std::vector<std::string> parseNameList(std::string_view text);

// Reads a list file. False when it cannot be opened; names is then empty.
bool readNameList(const std::string& path, std::vector<std::string>& names);

// Replaces a list file with the names, one per line, CR LF on disk. The old file stays whole
// until the new one is written. False on any failure.
bool writeNameList(const std::string& path, const std::vector<std::string>& names);

// Moves entry from to position to, keeping the order of the others. The caller checks both
// indexes.
template <class T>
void moveEntry(std::vector<T>& list, int from, int to) {
  T entry = std::move(list[static_cast<std::size_t>(from)]);
  list.erase(list.begin() + from);
  list.insert(list.begin() + to, std::move(entry));
}

// The names in use in one list (the library's groups, a group's categories, a category's
// patches) while entries are added to it, and the free names those entries get. An answer
// costs about the same however many entries share one name, so that pasting thousands of
// copies of a name stays quick.
class NameSet {
 public:
  explicit NameSet(const std::vector<std::string>& names);
  // name when it is free, else the first free "name 1", "name 2", ...; taken only by add().
  std::string freeName(const std::string& name);
  void add(const std::string& name) { names_.insert(name); }

 private:
  std::unordered_set<std::string> names_;
  // Per name, how many of its numbered forms were found taken: names are only added, so
  // they stay taken and the next search starts after them.
  std::unordered_map<std::string, long> takenNumbers_;
};

// Shows "<level> Sync error. Please report to <address>." (level: "Library", "Group",
// "Category").
void reportSyncError(const char* level);
