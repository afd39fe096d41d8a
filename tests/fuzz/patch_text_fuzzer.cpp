// The patch text reader (Patch::readText): any bytes read without fault, and the text it
// writes back reads as the same patch, so that a chunk or file saved again stays as it was.
#include <cmath>
#include <vector>

#include "library/patch.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  Patch patch;
  patch.readText(reinterpret_cast<const char*>(data), size);
  for (const PatchParam& p : patch.params)
    qvfuzz::require(p.kind != kPatchParamReal || std::isfinite(p.realValue),
                    "a real parameter read from text is finite");

  const std::string once = patch.writeText();
  Patch again;
  again.readText(once);
  qvfuzz::requireSame(once, again.writeText(), "the written text reads back as itself");

  // The buffer form writes the same text, or nothing when the text does not fit.
  std::vector<char> buffer(kPatchTextCapacity);
  const int length = patch.writeText(buffer.data(), kPatchTextCapacity);
  if (length >= 0)
    qvfuzz::requireSame(once, std::string_view(buffer.data(), static_cast<std::size_t>(length)),
                        "the buffer form writes the same text");
  else
    qvfuzz::require(buffer[0] == '\0' && once.size() + 1 > kPatchTextCapacity,
                    "the buffer form refuses only a text that does not fit, leaving it empty");
  return 0;
}
