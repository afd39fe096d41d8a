// Writes the library files shipped inside the plug-in: libgen <resources/library folder>
// writes "kreset.kvx" and "defaultLibrary" there. Regenerate them with this tool instead of
// editing them; a test compares the two byte for byte.
#include <cstdio>
#include <string>

#include "tools/libgen/library_content.h"

namespace {

bool writeFile(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: libgen <output folder>\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  if (!writeFile(folder + "kreset.kvx", libgen::resetPatchText()) ||
      !writeFile(folder + "defaultLibrary", libgen::defaultLibraryText())) {
    std::fprintf(stderr, "libgen: cannot write into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
