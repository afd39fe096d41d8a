// The program tables as the audio thread sees them: an immutable copy of every group's
// program map, published under the plug-in's patch lock through one atomic pointer.
//
// Reclamation rule: the one reader (the audio thread) announces the table it is reading in
// a hazard word before it uses it, and clears the word afterwards. The holder of the patch
// lock frees a replaced table only when the hazard word does not name it. The Patch records a
// table points to are kept alive by the library's own retirement rule (see PatchLibrary).
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <vector>

class Patch;

struct ProgramSnapshot {
  std::vector<std::array<const Patch*, 128>> groups;  // per group, per program number
};

class ProgramSnapshotPublisher {
 public:
  ProgramSnapshotPublisher();
  ~ProgramSnapshotPublisher();
  ProgramSnapshotPublisher(const ProgramSnapshotPublisher&) = delete;
  ProgramSnapshotPublisher& operator=(const ProgramSnapshotPublisher&) = delete;

  // Patch lock: makes table current; the old one is freed once the reader has left it.
  void publish(std::unique_ptr<ProgramSnapshot> table);
  // Patch lock: frees replaced tables the reader no longer uses. True when none is left.
  bool reclaim();

  // Audio thread (the only reader): the current table, protected from reclamation until
  // leave(). Never blocks or allocates.
  const ProgramSnapshot& enter() const;
  void leave() const;

 private:
  std::atomic<const ProgramSnapshot*> current_;
  mutable std::atomic<const ProgramSnapshot*> hazard_{nullptr};
  std::vector<const ProgramSnapshot*> retired_;  // patch lock
};
