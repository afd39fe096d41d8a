#include "tests/fuzz/fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>

namespace qvfuzz {
namespace {

std::filesystem::path gFolder;

void removeFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(gFolder, ignored);
}

}  // namespace

std::string useOwnDataFolder(const char* target) {
  const char* env = std::getenv("QUORVANE_DATA_DIR");
  const std::filesystem::path base = env && *env ? std::filesystem::path(env)
                                                 : std::filesystem::temp_directory_path();
  std::random_device random;
  gFolder = base / (std::string("qv_fuzz_") + target + '_' + std::to_string(random()));
  std::filesystem::remove_all(gFolder);
  std::filesystem::create_directories(gFolder);
  std::atexit(removeFolder);
  const std::string folder = gFolder.string() + '/';
  setenv("QUORVANE_DATA_DIR", folder.c_str(), 1);
  return folder;
}

void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

void requireSame(std::string_view a, std::string_view b, const char* what) {
  if (a == b) return;
  std::size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  const std::size_t from = at > 60 ? at - 60 : 0;
  std::fprintf(stderr,
               "property broken: %s\nthey part at byte %zu:\n--- first\n%.*s\n--- second\n%.*s\n",
               what, at, static_cast<int>(std::min(a.size() - from, std::size_t{160})),
               a.data() + from, static_cast<int>(std::min(b.size() - from, std::size_t{160})),
               b.data() + from);
  std::abort();
}

}  // namespace qvfuzz
