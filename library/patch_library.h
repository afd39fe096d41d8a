// The patch library: groups of categories of patches kept in the data folder, the reset and
// session patches, archives (export, import, clipboard), the selection and the per-group
// tables of MIDI program numbers.
//
// Threads. The library has no lock of its own. Every function not marked "audio thread" is
// called under the plug-in's patch lock (Quorvane_VST::PatchHold), on whichever thread holds
// it: the host's threads for getChunk, setChunk and patch changes, the GUI thread for the
// editor's tree edits, selections and the idle work, the constructing thread at start-up.
// Holding the lock, one thread at a time reads and changes the tree, the selection and the
// records. The three functions marked "audio thread" take no lock: they read only the
// published program snapshot and a few atomic words and never block, allocate or free.
//
// Record lifetime. A Patch taken out of the tree (removal, revert) is not freed at once: it
// is retired, and reclaim() frees retired records only when
//   - the caller says no patch change it started is pending (GUI, chunk, reset changes),
//   - the audio thread has released the record of its last program change
//     (audioReleaseProgram) and the GUI thread has applied its selection request,
//   - and the audio thread no longer reads a program table published before the retirement.
// The plug-in calls reclaim() from its idle work.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "library/patch.h"
#include "library/patch_group.h"
#include "library/program_snapshot.h"

class NameSet;

class PatchLibrary {
 public:
  // Creates the data folder tree when missing, installs "defaultLibrary" and "kreset.kvx"
  // from the plug-in's resources when missing, reads the reset and session patches and the
  // tree. The library always ends with at least one group holding one category.
  PatchLibrary(std::string dataFolder, char separator);
  ~PatchLibrary();
  PatchLibrary(const PatchLibrary&) = delete;
  PatchLibrary& operator=(const PatchLibrary&) = delete;

  // ---- Tree (library_tree.cpp) ----
  // Builds the tree from groupList; with no groupList, imports "defaultLibrary" quietly and
  // syncs. The library then holds at least one group with one category.
  void readGroupList();
  // 0 refused (empty name, or a write failed), 1 added (not made current), 2 the name
  // exists: that group is made current.
  int addGroup(const std::string& groupName, const std::string& firstCategoryName);
  // A new patch in the current category, made current; null when refused or not written.
  Patch* addPatch(const std::string& name, const std::string& author, const std::string& date,
                  const std::string& notes, int32_t showNotes, int32_t programSlot);
  // Writes every dirty patch and every list, children before parents. On a failed write
  // shows the sync error message, keeps the marks of what is not on disk and returns false.
  bool sync();
  // Drops the tree and reads it again when anything is dirty.
  void revert();
  bool hasGroupName(const std::string& name) const;
  void setDirty(int32_t mark);
  bool isDirty() const;

  // Removal and reordering for the patch manager. Indexes are checked; the affected
  // containers are marked dirty so the next sync writes everything under its new number.
  bool removeGroup(int group);
  bool removeCategory(int group, int category);
  bool removePatch(int group, int category, int patch);
  bool moveGroup(int from, int to);
  bool moveCategory(int group, int from, int to);
  bool movePatch(int group, int category, int from, int to);

  // ---- Patch manager edits (library_manager.cpp) ----
  // Renames a group, category or patch of the tree. The name is trimmed and cut to
  // kMaxEntryNameLength characters; a blank name or an index that names nothing is refused
  // (false). What holds the name is marked dirty (the list of the container, and for a
  // patch its file) so that the next sync writes it.
  bool renameGroup(int group, const std::string& name);
  bool renameCategory(int group, int category, const std::string& name);
  bool renamePatch(int group, int category, int patch, const std::string& name);
  // Whether the record is one of the tree's patches now (compared by identity only).
  bool containsPatch(const Patch* patch) const;
  // sync() with a rescue archive of the whole library written first to rescuePath. When the
  // archive cannot be written nothing is synced (the disk is untouched); when the sync then
  // fails the archive stays and holds every patch of the library; else it is removed.
  enum class SafeSyncResult { Synced, NothingWritten, RescueKept };
  SafeSyncResult syncWithRescue(const std::string& rescuePath);
  static constexpr std::size_t kMaxEntryNameLength = 254;

  // ---- Archives (library_dump.cpp) ----
  // Writes the selection as a dump and reports it. Returns the dump's kind (0 groups,
  // 1 categories, 2 patches), or -1 when nothing was written (selection error, write error).
  int writeDump(const std::string& path, std::vector<int> groupIndexes,
                std::vector<int> categoryIndexes, std::vector<int> patchIndexes,
                bool clipboard);
  // The archive text of the groups (indexes checked by the caller).
  std::string groupsDump(const std::vector<int>& groupIndexes) const;
  // Adds a dump's content as new groups. Returns the number of groups added.
  int importDump(const std::string& path, bool quiet);
  // Adds one group from a group block's text; returns the rest of the text after it.
  std::string_view importGroupDump(std::string_view text);
  // Pastes the clipboard dump into the library (type 0), into the group (type 1) or into
  // the category of that group (type 2). Returns the number of items added, -1 when the
  // indexes name nothing.
  int pasteDump(const std::string& path, int clipboardType, int groupIndex, int categoryIndex);
  std::string clipboardPath() const { return folder + "clipboard"; }
  std::string clipboardTypePath() const { return folder + "clipboardtype"; }
  // The "clipboardtype" file: one decimal integer, no line break. -1 when unreadable.
  bool writeClipboardType(int type) const;
  int readClipboardType() const;

  // ---- Selection (library_selection.cpp) ----
  int currentGroupIndex() const { return currentGroup; }
  std::vector<std::string> getGroupNames() const { return groupNames; }
  int currentCategoryIndex() const;
  std::vector<std::string> getCategoryNames() const;
  // -1 when the current category has no patches.
  int currentPatchIndex() const;
  // The current patch, or null.
  Patch* currentPatch() const;
  // The current category's labels; an empty category shows "No Patch".
  std::vector<std::string> patchNames();
  // The patch of program slot 0..127 of the current group, or null.
  Patch* programMapEntry(int slot) const;

  int selectGroup(int index);
  int selectCategory(int index);
  int selectPatch(int index);
  // Makes the patch's group, category and position current; its position, or -1 when the
  // patch is not in the library (then the first patch of the first group is selected).
  int selectPatchObject(const Patch* patch);
  // Selects the patch in the current group's program slot; false when empty or out of range.
  bool selectProgram(int program);
  // Rebuilds the current group's program map and publishes the program snapshot.
  void rebuildProgramMap();
  // Gives a patch of the current group a program slot (-1: none), marked dirty, and
  // rebuilds that group's program map. False when the patch is not in the current group.
  bool setProgramSlot(Patch& patch, int32_t slot);
  // Publishes every group's program map to the audio thread.
  void publishProgramMaps();

  // Audio thread: bank select. Changes the group program changes use when bank names a
  // group; the GUI-side selection follows in applyAudioSelection().
  void audioSelectGroup(int bank);
  // Audio thread: program change. The patch of the program in the audio-side group, or null.
  // The GUI-side selection follows in applyAudioSelection().
  const Patch* audioSelectProgram(int program);
  // Audio thread: the patch change started from the last program change is applied or
  // dropped; its record may be reclaimed.
  void audioReleaseProgram() { audioHold_.store(nullptr); }
  // Patch lock (the plug-in's idle work): applies the selection the audio thread asked for.
  // True when changed.
  bool applyAudioSelection();
  // Patch lock (the plug-in's idle work): frees retired records (see the lifetime rule at
  // the top).
  void reclaim(bool patchChangePending);
  std::size_t retiredCount() const { return retired_.size(); }

  Patch resetPatch;
  Patch sessionPatch;
  int32_t lastChangeSource = 0;  // 0 library patch, 1 reset, 2 session; kept for the shell
  int32_t dirty = 0;
  std::string folder;
  char separator = '\\';
  int32_t currentGroup = 0;
  std::vector<std::string> groupNames;
  std::vector<std::unique_ptr<PatchGroup>> groups;

 private:
  void installFirstStartFiles();
  void ensureGroupWithCategory();
  void appendGroup(std::unique_ptr<PatchGroup> group);
  void retire(std::unique_ptr<PatchGroup> group);
  void retire(std::unique_ptr<PatchCategory> category);
  void retire(std::unique_ptr<Patch> patch);
  PatchGroup* group(int index) const;
  PatchCategory* currentCategoryObject() const;
  void report(const std::string& text) const;
  void syncError(const char* level) const;
  // Reads an archive file and checks its header; reports a file that is none.
  bool readArchive(const std::string& path, std::string& text, std::string_view& body) const;
  // A new empty group at the end's position, its name made unique among names, the
  // library's group names and those added since.
  std::unique_ptr<PatchGroup> newGroup(const std::string& name, NameSet& names) const;
  // Appends the group; its name is taken in names from then on.
  void appendNewGroup(std::unique_ptr<PatchGroup> group, NameSet& names);
  bool addGroupBlock(const dump::GroupBlock& block, bool uniqueCategoryNames, NameSet& names);

  ProgramSnapshotPublisher programs_;
  std::atomic<int32_t> audioGroup_{0};
  std::atomic<int32_t> requestedGroup_{-1};
  std::atomic<const Patch*> requestedPatch_{nullptr};
  std::atomic<const Patch*> audioHold_{nullptr};
  std::vector<std::unique_ptr<Patch>> retired_;
  bool retiredSincePublish_ = false;
};
