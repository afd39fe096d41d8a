// Four-character codes: a 32-bit value that reads as four ASCII characters, the first in the
// most significant byte ("pl18" is 0x706C3138). Parameter keys and jack codes are written
// this way in files (in reading order) and compared as integers in memory. Any thread.
#pragma once

#include <cstdint>

constexpr std::uint32_t fourCharCode(const char (&text)[5]) {
  return (static_cast<std::uint32_t>(static_cast<unsigned char>(text[0])) << 24) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 8) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(text[3]));
}
