// The ".tun" reader (NoteTable::applyTuningDump, NoteTable::loadTuning): any bytes are
// refused with the tuning untouched, or applied whole to finite, positive frequencies.
#include <cmath>
#include <string>

#include "platform/files.h"
#include "platform/textfile.h"
#include "plugin/note_table.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

std::string gFolder;

// Every key's frequency and control voltage, as bits, to compare tables exactly.
std::string snapshot(const NoteTable& table) {
  std::string out;
  for (int k = 0; k < NoteTable::kKeyCount; ++k) {
    const float values[2] = {table.currentFrequency(k), table.keyCv(k)};
    out.append(reinterpret_cast<const char*>(values), sizeof values);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gFolder = qvfuzz::useOwnDataFolder("tuning");
  platform::makeDirectory(gFolder + "Tunings");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  NoteTable table;
  const std::string before = snapshot(table);
  const bool accepted = table.applyTuningDump(data, size);
  if (!accepted) {
    qvfuzz::requireSame(before, snapshot(table), "a refused dump leaves the tuning as it was");
  } else {
    for (int k = 0; k < NoteTable::kKeyCount; ++k)
      qvfuzz::require(std::isfinite(table.keyCv(k)) && table.currentFrequency(k) > 0.0f,
                      "an applied dump gives finite, positive frequencies");
  }

  // The same bytes as a file of the data folder: taken exactly when they are in memory.
  qvfuzz::require(platform::writeBinaryFile(gFolder + "Tunings/7.tun",
                                            std::string(qvfuzz::asText(data, size))),
                  "the input file is written");
  NoteTable fromFile;
  qvfuzz::require(fromFile.loadTuning(7) == accepted, "the file is taken when the bytes are");
  qvfuzz::requireSame(snapshot(table), snapshot(fromFile), "the file tunes as the bytes do");
  return 0;
}
