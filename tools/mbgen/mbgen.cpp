// Writes the band-limited step table text (resources/MB.txt). The text format has no
// comment syntax, so the file cannot say it is generated: regenerate it with this tool
// (mbgen <output file>) instead of editing it; a test compares the two byte for byte.
#include <cstdio>
#include <exception>

#include "tools/mbgen/minblep_gen.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: mbgen <output file>\n");
    return 2;
  }
  try {
    const std::string text = mbgen::formatStepText(mbgen::generateStep());
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f) {
      std::fprintf(stderr, "mbgen: cannot write %s\n", argv[1]);
      return 1;
    }
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (std::fclose(f) != 0 || !ok) {
      std::fprintf(stderr, "mbgen: write failed for %s\n", argv[1]);
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mbgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
