// The archive dump text: its framing lines and a parser that turns a dump into sections of
// blocks. Used by export, import, the clipboard and the shipped "defaultLibrary". Any thread.
//
// A dump is a header line, then sections: "Multi Group: n" with group blocks, "Multi
// Category: n" with the source group's name and category blocks, "Multi Patch: n" with the
// source group's and category's names and patch blocks; each section ends in its
// "End Multi ..." line. A block starts with "<Kind>: <name>" and ends at a line that is
// exactly "End <Kind>: <name>", so a name that starts another name, or text inside a patch,
// never ends a block early. A line of a patch's text that looks like a framing line after
// its leading blanks is written with one more leading blank, which the reader takes off
// again; the counts in the "Multi" lines are not trusted.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class Patch;

namespace dump {

inline constexpr std::string_view kHeader = "Quorvane 3970 Version 1.0 Dump\n";
inline constexpr std::string_view kMultiGroup = "Multi Group: ";
inline constexpr std::string_view kMultiCategory = "Multi Category: ";
inline constexpr std::string_view kMultiPatch = "Multi Patch: ";
inline constexpr std::string_view kEndMultiGroup = "End Multi Group:";
inline constexpr std::string_view kEndMultiCategory = "End Multi Category:";
inline constexpr std::string_view kEndMultiPatch = "End Multi Patch:";
inline constexpr std::string_view kGroupStart = "Group Dump: ";
inline constexpr std::string_view kGroupEnd = "End Group Dump: ";
inline constexpr std::string_view kCategoryStart = "Category Dump: ";
inline constexpr std::string_view kCategoryEnd = "End Category Dump: ";
inline constexpr std::string_view kPatchStart = "Start Patch: ";
inline constexpr std::string_view kPatchEnd = "End Patch: ";

// Clipboard types: what a dump holds.
enum Kind : int { kGroups = 0, kCategories = 1, kPatches = 2 };

// Appends a line made of the parts and an LF.
void appendLine(std::string& out, std::string_view a, std::string_view b = {},
                std::string_view c = {}, std::string_view d = {});
// Appends "Start Patch: ", the patch text (framing-like lines indented), "End Patch: ".
void appendPatchBlock(std::string& out, const Patch& patch);

struct PatchBlock {
  std::string name;
  std::string text;  // the patch text between the block's framing lines
};

struct CategoryBlock {
  std::string name;
  std::vector<PatchBlock> patches;
  int brokenPatches = 0;  // patch blocks without their end line
};

struct GroupBlock {
  std::string name;
  std::vector<CategoryBlock> categories;
};

struct Section {
  Kind kind = kGroups;
  bool complete = false;   // its "End Multi" line was found
  std::string groupName;     // categories and patches: the source group
  std::string categoryName;  // patches: the source category
  std::vector<GroupBlock> groups;
  std::vector<CategoryBlock> categories;
  std::vector<PatchBlock> patches;
};

struct Content {
  bool junkFirst = false;  // a line other than a "Multi" line came before the first section
  std::vector<Section> sections;
};

// True when text starts with the header line "Quorvane 3970 Version <number> Dump"; the
// number is not compared. On success rest is the text after the header line.
bool readHeader(std::string_view text, std::string_view& rest);

// Parses the text after the header. The views in the result point into text.
Content parse(std::string_view text);

// The whole patch blocks of a text, and the whole category blocks of a text.
std::vector<PatchBlock> parsePatchBlocks(std::string_view text);
std::vector<CategoryBlock> parseCategoryBlocks(std::string_view text);

}  // namespace dump
