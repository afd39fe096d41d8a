#include "platform/files.h"

#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>

#include "platform/textfile.h"

namespace platform {

namespace {

// A name beside path that no other write uses: this process's random tag and the count of
// its writes. Two instances (or processes) replacing one file at once then each write
// their own temporary, and the file ends as one writer's whole content, never a mix of the
// two, nor a rename of a temporary the other writer removed.
std::string temporaryPath(const std::string& path) {
  static const std::uint64_t tag = [] {
    std::uint64_t t = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    try {
      std::random_device device;
      t ^= (static_cast<std::uint64_t>(device()) << 32) ^ device();
    } catch (...) {
      // No random source: the clock alone tells processes apart.
    }
    return t;
  }();
  static std::atomic<std::uint32_t> writes{0};
  char suffix[40] = ".new";
  char* end = std::to_chars(suffix + 4, suffix + 24, tag, 16).ptr;
  *end++ = '-';
  end = std::to_chars(end, suffix + sizeof suffix, writes.fetch_add(1, std::memory_order_relaxed)).ptr;
  return path + std::string(suffix, end);
}

}  // namespace

bool replaceFile(const std::string& path, const std::string& bytes) {
  const std::string temp = temporaryPath(path);
  if (!writeBinaryFile(temp, bytes)) {
    removeFile(temp);
    return false;
  }
  if (!renameReplacing(temp, path)) {
    removeFile(temp);
    return false;
  }
  return true;
}

bool replaceTextFile(const std::string& path, const std::string& text) {
  return replaceFile(path, toTextMode(text));
}

}  // namespace platform
