#include "library/dump_format.h"

#include "library/patch.h"
#include "library/text_lines.h"
#include "library/text_numbers.h"

namespace dump {
namespace {

bool startsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// Lines that frame blocks and sections. A patch text never holds one unindented.
bool isFraming(std::string_view line) {
  for (std::string_view m : {kMultiGroup, kMultiCategory, kMultiPatch, kEndMultiGroup,
                             kEndMultiCategory, kEndMultiPatch, kGroupStart, kGroupEnd,
                             kCategoryStart, kCategoryEnd, kPatchStart, kPatchEnd})
    if (startsWith(line, m)) return true;
  return false;
}

// A patch text line that the writer indents by one blank.
bool needsEscape(std::string_view line) {
  const std::size_t first = line.find_first_not_of(' ');
  return first != std::string_view::npos && isFraming(line.substr(first));
}

bool isEnd(std::string_view line, std::string_view marker, std::string_view name) {
  return line.size() == marker.size() + name.size() && startsWith(line, marker) &&
         line.substr(marker.size()) == name;
}

// Reads lines of a dump; peek looks at the next one without taking it.
struct Lines {
  std::string_view rest;
  bool empty() const { return rest.empty(); }
  std::string_view peek() const {
    std::string_view copy = rest;
    return nextLine(copy);
  }
  std::string_view take() { return nextLine(rest); }
};

// After "Start Patch: name": the text up to the line "End Patch: name". Another framing
// line, or the end of the text, leaves the block broken and that line untaken.
bool readPatch(Lines& lines, std::string name, PatchBlock& block) {
  std::string text;
  while (!lines.empty()) {
    const std::string_view line = lines.peek();
    if (isFraming(line)) {
      if (!isEnd(line, kPatchEnd, name)) return false;
      lines.take();
      block.name = std::move(name);
      block.text = std::move(text);
      return true;
    }
    lines.take();
    text.append(needsEscape(line) ? line.substr(1) : line);
    text += '\n';
  }
  return false;
}

// Takes patch blocks until a framing line that is no patch block's start; counts the
// broken ones.
void readPatches(Lines& lines, std::vector<PatchBlock>& patches, int* broken) {
  while (!lines.empty()) {
    const std::string_view line = lines.peek();
    if (startsWith(line, kPatchStart)) {
      lines.take();
      PatchBlock block;
      if (readPatch(lines, std::string(line.substr(kPatchStart.size())), block))
        patches.push_back(std::move(block));
      else if (broken)
        ++*broken;
    } else if (isFraming(line) && !startsWith(line, kPatchEnd)) {
      return;
    } else {
      lines.take();  // stray lines between blocks
    }
  }
}

// After "Category Dump: name": its patch blocks and "End Category Dump: name".
bool readCategory(Lines& lines, std::string name, CategoryBlock& block) {
  block.name = std::move(name);
  readPatches(lines, block.patches, &block.brokenPatches);
  if (lines.empty() || !isEnd(lines.peek(), kCategoryEnd, block.name)) return false;
  lines.take();
  return true;
}

// Takes category blocks until a framing line that is no category block's start.
void readCategories(Lines& lines, std::vector<CategoryBlock>& categories) {
  while (!lines.empty()) {
    const std::string_view line = lines.peek();
    if (startsWith(line, kCategoryStart)) {
      lines.take();
      CategoryBlock block;
      if (readCategory(lines, std::string(line.substr(kCategoryStart.size())), block))
        categories.push_back(std::move(block));
    } else if (isFraming(line) && !startsWith(line, kCategoryEnd) &&
               !startsWith(line, kPatchStart) && !startsWith(line, kPatchEnd)) {
      return;
    } else {
      lines.take();
    }
  }
}

bool readGroup(Lines& lines, std::string name, GroupBlock& block) {
  block.name = std::move(name);
  readCategories(lines, block.categories);
  if (lines.empty() || !isEnd(lines.peek(), kGroupEnd, block.name)) return false;
  lines.take();
  return true;
}

void readGroups(Lines& lines, std::vector<GroupBlock>& groups) {
  while (!lines.empty()) {
    const std::string_view line = lines.peek();
    if (startsWith(line, kGroupStart)) {
      lines.take();
      GroupBlock block;
      if (readGroup(lines, std::string(line.substr(kGroupStart.size())), block))
        groups.push_back(std::move(block));
    } else if (startsWith(line, kMultiGroup) || startsWith(line, kMultiCategory) ||
               startsWith(line, kMultiPatch) || startsWith(line, kEndMultiGroup) ||
               startsWith(line, kEndMultiCategory) || startsWith(line, kEndMultiPatch)) {
      return;
    } else {
      lines.take();
    }
  }
}

// The section's end line, when it is next.
bool readSectionEnd(Lines& lines, std::string_view marker) {
  if (lines.empty() || !startsWith(lines.peek(), marker)) return false;
  lines.take();
  return true;
}

}  // namespace

void appendLine(std::string& out, std::string_view a, std::string_view b, std::string_view c,
                std::string_view d) {
  out.append(a).append(b).append(c).append(d);
  out += '\n';
}

void appendPatchBlock(std::string& out, const Patch& patch) {
  appendLine(out, kPatchStart, patch.name);
  std::string_view text;
  const std::string whole = patch.writeText();
  text = whole;
  while (!text.empty()) {
    const std::string_view line = nextLine(text);
    if (needsEscape(line)) out += ' ';
    appendLine(out, line);
  }
  appendLine(out, kPatchEnd, patch.name);
}

bool readHeader(std::string_view text, std::string_view& rest) {
  constexpr std::string_view kPrefix = "Quorvane 3970 Version ";
  const std::string_view line = nextLine(text);
  if (!startsWith(line, kPrefix)) return false;
  textio::Cursor c{line.data() + kPrefix.size(), line.data() + line.size()};
  float version;
  if (!c.readFloat(version)) return false;
  rest = text;
  return true;
}

Content parse(std::string_view text) {
  Content content;
  Lines lines{text};
  while (!lines.empty()) {
    const std::string_view line = lines.take();
    Section s;
    if (startsWith(line, kMultiGroup)) {
      s.kind = kGroups;
      readGroups(lines, s.groups);
      s.complete = readSectionEnd(lines, kEndMultiGroup);
    } else if (startsWith(line, kMultiCategory)) {
      s.kind = kCategories;
      if (!lines.empty() && !isFraming(lines.peek())) s.groupName = std::string(lines.take());
      readCategories(lines, s.categories);
      s.complete = readSectionEnd(lines, kEndMultiCategory);
    } else if (startsWith(line, kMultiPatch)) {
      s.kind = kPatches;
      if (!lines.empty() && !isFraming(lines.peek())) s.groupName = std::string(lines.take());
      if (!lines.empty() && !isFraming(lines.peek())) s.categoryName = std::string(lines.take());
      readPatches(lines, s.patches, nullptr);
      s.complete = readSectionEnd(lines, kEndMultiPatch);
    } else {
      if (content.sections.empty()) content.junkFirst = true;
      continue;
    }
    content.sections.push_back(std::move(s));
  }
  return content;
}

std::vector<PatchBlock> parsePatchBlocks(std::string_view text) {
  std::vector<PatchBlock> blocks;
  Lines lines{text};
  while (!lines.empty()) {
    readPatches(lines, blocks, nullptr);
    if (!lines.empty()) lines.take();  // a framing line of another level
  }
  return blocks;
}

std::vector<CategoryBlock> parseCategoryBlocks(std::string_view text) {
  std::vector<CategoryBlock> blocks;
  Lines lines{text};
  while (!lines.empty()) {
    readCategories(lines, blocks);
    if (!lines.empty()) lines.take();
  }
  return blocks;
}

}  // namespace dump
