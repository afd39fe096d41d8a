// Line splitting and trimming shared by every reader of the data folder's text files (patch
// text, list files, archives, MIDI map lists, text controls). Any thread.
#pragma once

#include <string>
#include <string_view>

#include "library/text_numbers.h"

// Takes the first line off rest and returns it without its line break. Each line ends at
// its own CR, LF or CR LF pair, so files with mixed endings split like uniform ones; a text
// whose last line has no break yields that line, and rest is then empty.
std::string_view nextLine(std::string_view& rest);

// A copy of text without leading and trailing white space (blank, tab, LF, VT, FF, CR).
std::string trim(std::string_view text);
