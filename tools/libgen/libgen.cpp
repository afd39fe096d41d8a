// Writes the library files shipped inside the plug-in: libgen <sounds folder> <output folder>
// assembles the sound files of resources/sounds into "defaultLibrary" and writes it and
// "kreset.kvx" into resources/library. Regenerate them with this tool instead of editing
// them; a test compares the two byte for byte:
//   build/out/libgen resources/sounds resources/library
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
  if (argc != 3) {
    std::fprintf(stderr, "usage: libgen <sounds folder> <output folder>\n");
    return 2;
  }
  std::string library, error;
  if (!libgen::defaultLibraryText(argv[1], library, error)) {
    std::fprintf(stderr, "libgen: %s\n", error.c_str());
    return 1;
  }
  const std::string folder = std::string(argv[2]) + "/";
  if (!writeFile(folder + "kreset.kvx", libgen::resetPatchText()) ||
      !writeFile(folder + "defaultLibrary", library)) {
    std::fprintf(stderr, "libgen: cannot write into %s\n", argv[2]);
    return 1;
  }
  return 0;
}
