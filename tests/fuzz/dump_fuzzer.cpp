// The archive readers: PatchLibrary::importDump, pasteDump (each clipboard type) and
// importGroupDump, PatchGroup::pasteCategoryDumps and PatchCategory::pastePatchDumps. Any
// text is read without fault, and what it adds, exported and imported again, exports as
// the same text: nothing read from an archive is lost or changed by the next export.
#include <memory>
#include <string>
#include <vector>

#include "library/dump_format.h"
#include "library/name_list.h"
#include "library/patch_library.h"
#include "platform/headless.h"
#include "platform/textfile.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

std::string gFolder;

std::string path(const char* name) { return gFolder + name; }

std::string readFile(const std::string& file) {
  std::string bytes;
  qvfuzz::require(platform::readBinaryFile(file, bytes), "an exported archive is read");
  return bytes;
}

// A library of one group, "Fuzz", with one empty category: quick to build for each input.
std::unique_ptr<PatchLibrary> smallLibrary() {
  return std::make_unique<PatchLibrary>(gFolder, '/');
}

// Exports the groups after the first as an archive file and returns its text; empty when
// there are none.
std::string exportAddedGroups(PatchLibrary& lib, const char* file) {
  std::vector<int> added;
  for (int g = 1; g < static_cast<int>(lib.groups.size()); ++g) added.push_back(g);
  if (added.empty()) return {};
  qvfuzz::require(lib.writeDump(path(file), added, {}, {}, false) == dump::kGroups,
                  "the imported groups export");
  return readFile(path(file));
}

// The patch blocks of every patch of a category.
std::string patchBlocks(const PatchCategory& category) {
  std::string out;
  for (const auto& p : category.patches) dump::appendPatchBlock(out, *p);
  return out;
}

void importThenExportAgain() {
  auto lib = smallLibrary();
  lib->importDump(path("input.dump"), true);
  const std::string exported = exportAddedGroups(*lib, "first.dump");
  if (exported.empty()) return;
  auto again = smallLibrary();
  qvfuzz::require(again->importDump(path("first.dump"), true) ==
                      static_cast<int>(lib->groups.size()) - 1,
                  "every exported group imports again");
  qvfuzz::requireSame(exported, exportAddedGroups(*again, "second.dump"),
                      "an imported archive exports as it did before");
}

void pasteEveryType() {
  auto lib = smallLibrary();
  for (int type = dump::kGroups; type <= dump::kPatches; ++type)
    lib->pasteDump(path("input.dump"), type, 0, 0);
}

void importGroupBlocks(std::string_view text) {
  auto lib = smallLibrary();
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::string_view next = lib->importGroupDump(rest);
    qvfuzz::require(next.size() <= rest.size(), "the rest after a group block is a tail");
    if (next.size() == rest.size()) break;
    rest = next;
  }
}

void pasteIntoGroupAndCategory(std::string_view text) {
  PatchGroup group;
  group.pasteCategoryDumps(text);

  PatchCategory category;
  category.pastePatchDumps(text);
  const std::string blocks = patchBlocks(category);
  PatchCategory again;
  qvfuzz::require(again.pastePatchDumps(blocks) == category.patchCount(),
                  "every written patch block pastes again");
  qvfuzz::requireSame(blocks, patchBlocks(again), "pasted patches write the same blocks again");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gFolder = qvfuzz::useOwnDataFolder("dump");
  qvfuzz::require(writeNameList(path("groupList"), {"Fuzz"}), "the group list is written");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string input(qvfuzz::asText(data, size));
  qvfuzz::require(platform::writeBinaryFile(path("input.dump"), input), "the input is written");
  importThenExportAgain();
  pasteEveryType();
  importGroupBlocks(input);
  pasteIntoGroupAndCategory(input);
  platform::headless::clearShownMessages();
  return 0;
}
