#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/name_list.h"
#include "library/text_lines.h"

namespace {

std::vector<std::string> split(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) lines.emplace_back(nextLine(text));
  return lines;
}

// Each line ends at its own break. A stray CR in an LF text ends one line and merges
// nothing; uniform texts split as before.
TEST(TextLines, EachLineEndsAtItsOwnBreak) {
  using L = std::vector<std::string>;
  const struct {
    std::string text;
    L lines;
  } cases[] = {
      {"", L{}},
      {"one", L{"one"}},
      {"a\nb\nc\n", L{"a", "b", "c"}},
      {"a\r\nb\r\nc\r\n", L{"a", "b", "c"}},
      {"a\rb\rc", L{"a", "b", "c"}},
      {"a\nb\n\nc", L{"a", "b", "", "c"}},
      {"a\r\n\r\nb", L{"a", "", "b"}},
      {"a\nb\nc\rd\ne\n", L{"a", "b", "c", "d", "e"}},  // one stray CR late in an LF text
      {"a\r\r\nb", L{"a", "", "b"}},
      {"\n", L{""}},
      {"\r", L{""}},
      {std::string("x\0y\n", 4), L{std::string("x\0y", 3)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(split(c.text), c.lines);
  }
}

TEST(TextLines, TrimRemovesCWhiteSpaceAtBothEnds) {
  EXPECT_EQ(trim(""), "");
  EXPECT_EQ(trim(" \t\r\n\v\f"), "");
  EXPECT_EQ(trim("  inner  blanks \r\n"), "inner  blanks");
  EXPECT_EQ(trim("x"), "x");
}

TEST(TextLines, NameListsSkipBlankLinesWhateverTheEndings) {
  const std::vector<std::string> expected = {"Basses", "Lead  Sounds", "Pads"};
  for (const char* text : {"Basses\nLead  Sounds\nPads\n", "Basses\r\nLead  Sounds\r\nPads",
                           "Basses\rLead  Sounds\rPads\r", "\n  Basses \r\n\t\nLead  Sounds\rPads\n\n"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(parseNameList(text), expected);
  }
}

}  // namespace
