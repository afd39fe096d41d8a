// The list files of the library ("groupList", "catagoryList", "patchList"): one display name
// per line, stored in Windows text mode (CR LF on disk). GUI thread.
#pragma once

#include <string>
#include <string_view>
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

// "name" when taken(name) is false, else the first free "name 1", "name 2", ...
template <class Taken>
std::string uniqueName(const std::string& name, Taken taken) {
  if (!taken(name)) return name;
  for (long n = 1;; ++n) {
    std::string candidate = name + ' ' + std::to_string(n);
    if (!taken(candidate)) return candidate;
  }
}

// Shows "<level> Sync error. Please report to <address>." (level: "Library", "Group",
// "Category").
void reportSyncError(const char* level);
