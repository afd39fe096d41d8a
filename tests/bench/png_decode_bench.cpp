// Decoding every image the editor loads, at about the sizes the panel and dialogs show
// them: synthetic pictures written once and decoded per iteration.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "gui/png_decode.h"
#include "tests/bench/editor_images.h"

namespace {

void BM_DecodeEditorImages(benchmark::State& state) {
  std::vector<std::vector<uint8_t>> files;
  std::size_t bytes = 0;
  for (const auto& s : editorimages::kImages) {
    files.push_back(editorimages::drawnLikePicture(s.width, s.height));
    bytes += files.back().size();
  }
  DecodedImage image;
  for (auto _ : state) {
    for (const auto& f : files) {
      decodePng(f.data(), f.size(), image);
      benchmark::DoNotOptimize(image.pixels.data());
    }
  }
  state.counters["png_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_DecodeEditorImages)->Unit(benchmark::kMillisecond);

}  // namespace
