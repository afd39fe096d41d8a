#include "library/name_list.h"

#include "library/text_lines.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/textfile.h"

std::vector<std::string> parseNameList(std::string_view text) {
  std::vector<std::string> names;
  while (!text.empty()) {
    std::string name = trim(nextLine(text));
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

bool readNameList(const std::string& path, std::vector<std::string>& names) {
  names.clear();
  std::string text;
  if (!platform::readTextFile(path, text)) return false;
  names = parseNameList(text);
  return true;
}

bool writeNameList(const std::string& path, const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    text += name;
    text += '\n';
  }
  return platform::replaceTextFile(path, text);
}

void reportSyncError(const char* level) {
  // The vendor's own report address.
  platform::messageBox(nullptr, std::string(level) +
                                    " Sync error. Please report to bugs@halvorsk.example.");
}
