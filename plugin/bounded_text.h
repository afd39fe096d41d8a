// Copies a text into a buffer the caller sized, never more than the bound. Any thread.
#pragma once

#include <cstddef>
#include <cstring>

// Writes at most maxChars characters of `text` and a terminating zero into `out`
// (maxChars + 1 bytes at most). A missing text writes an empty one; a missing buffer
// writes nothing.
inline void copyBounded(char* out, const char* text, std::size_t maxChars) {
  if (!out) return;
  std::size_t n = 0;
  if (text)
    while (n < maxChars && text[n]) ++n;
  std::memcpy(out, text ? text : "", n);
  out[n] = 0;
}
