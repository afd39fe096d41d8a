// Numbers in the library's text formats, written and read the same way whatever the C
// locale: a point for the decimals, no digit grouping. The readers follow the conventions of
// the formats' scanf-style patterns (leading white space skipped, an optional sign) but never
// read past the end they are given. Any thread.
#pragma once

#include <cstdint>
#include <string>

namespace textio {

// Appends value in decimal ("%d").
void appendInt(std::string& out, int64_t value);

// Appends value with a fixed number of decimals ("%.<decimals>f"), exactly rounded.
void appendFixed(std::string& out, double value, int decimals);

// True for the white space of the C locale: blank, tab, LF, VT, FF, CR.
constexpr bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A read position in [pos, end). Every read skips leading white space first; a failed read
// leaves the position where it was.
struct Cursor {
  const char* pos;
  const char* end;

  void skipSpace();
  bool atEnd() const { return pos >= end; }
  // The next character after white space is c; consumes it.
  bool take(char c);
  // Decimal integer with an optional sign. Values beyond 32 bits saturate.
  bool readInt(int32_t& value);
  // Decimal real number with an optional sign and exponent ("inf" and "nan" included).
  bool readDouble(double& value);
  bool readFloat(float& value);
  // Up to maxLength characters that are not white space; at least one.
  bool readWord(std::string& word, std::size_t maxLength);
};

}  // namespace textio
