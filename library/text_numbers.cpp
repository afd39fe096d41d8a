#include "library/text_numbers.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace textio {

void appendInt(std::string& out, int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void appendFixed(std::string& out, double value, int decimals) {
  // Large enough for any finite double (309 integer digits) with up to 60 decimals.
  char buffer[400];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec == std::errc()) out.append(buffer, result.ptr);
}

void Cursor::skipSpace() {
  while (pos < end && isSpace(*pos)) ++pos;
}

bool Cursor::take(char c) {
  const char* p = pos;
  skipSpace();
  if (pos < end && *pos == c) {
    ++pos;
    return true;
  }
  pos = p;
  return false;
}

bool Cursor::readInt(int32_t& value) {
  const char* start = pos;
  skipSpace();
  const char* p = pos;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  const char* digits = p;
  int64_t v = 0;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  while (p < end && *p >= '0' && *p <= '9') {
    if (v <= kLimit) v = v * 10 + (*p - '0');
    ++p;
  }
  if (p == digits) {
    pos = start;
    return false;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int32_t>::max()) v = std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) v = std::numeric_limits<int32_t>::min();
  value = static_cast<int32_t>(v);
  pos = p;
  return true;
}

bool Cursor::readDouble(double& value) {
  const char* start = pos;
  skipSpace();
  const char* p = pos;
  if (p < end && *p == '+' && p + 1 < end && p[1] != '-') ++p;
  double v = 0.0;
  const auto result = std::from_chars(p, end, v, std::chars_format::general);
  if (result.ec == std::errc::invalid_argument || result.ptr == p) {
    pos = start;
    return false;
  }
  // Out of range: saturate to infinity or zero, as the C library's readers do.
  if (result.ec == std::errc::result_out_of_range) {
    const bool negative = *p == '-';
    const char* e = p;
    bool tiny = false;
    while (e < result.ptr && *e != 'e' && *e != 'E') ++e;
    if (e + 1 < result.ptr && e[1] == '-') tiny = true;
    v = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    if (negative) v = -v;
  }
  value = v;
  pos = result.ptr;
  return true;
}

bool Cursor::readFloat(float& value) {
  double v;
  if (!readDouble(v)) return false;
  constexpr double kMax = std::numeric_limits<float>::max();
  if (v > kMax) v = std::numeric_limits<double>::infinity();
  if (v < -kMax) v = -std::numeric_limits<double>::infinity();
  value = static_cast<float>(v);
  return true;
}

bool Cursor::readWord(std::string& word, std::size_t maxLength) {
  const char* start = pos;
  skipSpace();
  const char* p = pos;
  while (p < end && !isSpace(*p) && static_cast<std::size_t>(p - pos) < maxLength) ++p;
  if (p == pos) {
    pos = start;
    return false;
  }
  word.assign(pos, p);
  pos = p;
  return true;
}

}  // namespace textio
