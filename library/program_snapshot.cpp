#include "library/program_snapshot.h"

#include <algorithm>

ProgramSnapshotPublisher::ProgramSnapshotPublisher() : current_(new ProgramSnapshot) {}

ProgramSnapshotPublisher::~ProgramSnapshotPublisher() {
  // The owner outlives every reader.
  for (const ProgramSnapshot* t : retired_) delete t;
  delete current_.load();
}

void ProgramSnapshotPublisher::publish(std::unique_ptr<ProgramSnapshot> table) {
  const ProgramSnapshot* old = current_.exchange(table.release());
  retired_.push_back(old);
  reclaim();
}

bool ProgramSnapshotPublisher::reclaim() {
  const ProgramSnapshot* inUse = hazard_.load();
  retired_.erase(std::remove_if(retired_.begin(), retired_.end(),
                                [inUse](const ProgramSnapshot* t) {
                                  if (t == inUse) return false;
                                  delete t;
                                  return true;
                                }),
                 retired_.end());
  return retired_.empty();
}

const ProgramSnapshot& ProgramSnapshotPublisher::enter() const {
  const ProgramSnapshot* t;
  do {
    t = current_.load();
    hazard_.store(t);
  } while (t != current_.load());
  return *t;
}

void ProgramSnapshotPublisher::leave() const { hazard_.store(nullptr); }
