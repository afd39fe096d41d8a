// pngtime: how long decoding every image the editor loads takes, as a plain program so it
// runs natively and under Wine alike. Prints the median and the fastest of the rounds.
//   pngtime [ROUNDS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gui/png_decode.h"
#include "platform/platform.h"
#include "tests/bench/editor_images.h"

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
  std::vector<std::vector<uint8_t>> files;
  std::size_t bytes = 0, pixels = 0;
  for (const auto& s : editorimages::kImages) {
    files.push_back(editorimages::drawnLikePicture(s.width, s.height));
    bytes += files.back().size();
    pixels += std::size_t(s.width) * s.height;
  }
  std::vector<double> ms;
  DecodedImage image;
  for (int r = 0; r < rounds; ++r) {
    const double t0 = platform::monotonicSeconds();
    for (const auto& f : files) {
      if (!decodePng(f.data(), f.size(), image)) {
        std::fprintf(stderr, "pngtime: an image did not decode\n");
        return 1;
      }
    }
    ms.push_back((platform::monotonicSeconds() - t0) * 1000.0);
  }
  std::sort(ms.begin(), ms.end());
  std::printf("images: %zu, png bytes: %zu, pixels: %zu, libpng %s\n", files.size(), bytes, pixels, pngLibraryVersion());
  std::printf("decode all: median %.2f ms, fastest %.2f ms over %d rounds\n", ms[ms.size() / 2], ms.front(), rounds);
  return 0;
}
