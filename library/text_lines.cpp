#include "library/text_lines.h"

std::string_view nextLine(std::string_view& rest) {
  std::size_t end = 0;
  while (end < rest.size() && rest[end] != '\r' && rest[end] != '\n') ++end;
  const std::string_view line = rest.substr(0, end);
  std::size_t next = end;
  if (next < rest.size()) {
    next += (rest[next] == '\r' && next + 1 < rest.size() && rest[next + 1] == '\n') ? 2 : 1;
  }
  rest.remove_prefix(next);
  return line;
}

std::string trim(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && textio::isSpace(text[first])) ++first;
  while (last > first && textio::isSpace(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}
