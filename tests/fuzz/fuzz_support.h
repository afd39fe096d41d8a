// What the fuzz targets share: a data folder of the fuzzing process's own and the check
// that stops a run on a broken property. Every call is made from the fuzzing thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qvfuzz {

// Makes an empty data folder for this process below $QUORVANE_DATA_DIR (or the temporary
// folder), named after the target and a random number so that parallel jobs never share
// files, points $QUORVANE_DATA_DIR at it and removes it at exit. Returns it, ending in '/'.
std::string useOwnDataFolder(const char* target);

// The fuzzer's input as text.
inline std::string_view asText(const uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Stops the run with a report when a property of the reader does not hold, so that the
// fuzzer keeps the input as a crash.
void require(bool holds, const char* what);

// Stops the run unless both texts are equal, showing where they part.
void requireSame(std::string_view a, std::string_view b, const char* what);

}  // namespace qvfuzz
