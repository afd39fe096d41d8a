#include "platform/files.h"

#include <cstdio>

#include "platform/textfile.h"

namespace platform {

bool replaceFile(const std::string& path, const std::string& bytes) {
  const std::string temp = path + ".new";
  if (!writeBinaryFile(temp, bytes)) {
    removeFile(temp);
    return false;
  }
  if (!renameReplacing(temp, path)) {
    removeFile(temp);
    return false;
  }
  return true;
}

bool replaceTextFile(const std::string& path, const std::string& text) {
  return replaceFile(path, toTextMode(text));
}

}  // namespace platform
