// Renders a plug-in scenario and writes the output samples, so two builds of the engine can
// be compared bit for bit (an optimisation must not change one sample). Usage:
//   plugin_render_dump one|nine|workout <blocks> [file]
// "one" and "nine" are the real-time benchmark's scenarios; "workout" plays nine voices
// while knobs move, cords come and go and gates open and close at pseudo-random blocks.
// Prints the FNV-1a hash of the rendered bits; with a file, writes the raw left/right
// blocks there too.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "params/param_table.h"
#include "tests/bench/sounding_instance.h"
#include "tests/engine/test_draw.h"

namespace {

using qvbench::SoundingInstance;

// One pseudo-random change between blocks: a knob (2..76), a cord or a gate.
void stir(SoundingInstance& instance, Draw& random) {
  const int what = random.below(10);
  if (what < 5) {
    const int index = 2 + random.below(75);
    instance.effect().setParameter(&instance.effect(), index, random.unit());
  } else if (what < 8) {
    const int jack = 1 + random.below(kJackCount);
    const int peer = random.below(4) == 0 ? 0 : 1 + random.below(kJackCount);
    instance.plugin().setParameterReal(kJackParamOffset + jack, static_cast<float>(peer));
  } else {
    PatchVoice& voice = instance.plugin().engine().voice(random.below(9));
    auto* gate = qv::kernelObject<qv::KeyboardGate>(voice.keyboardGate);
    auto* cv = qv::kernelObject<qv::KeyboardCv>(voice.keyboardLowerCv);
    if (gate != nullptr && cv != nullptr) {
      cv->setNote(instance.plugin().noteTable().keyCv(36 + random.below(48)));
      gate->setGate(random.below(2) == 0);
    }
  }
}

std::uint64_t fnv1a(std::uint64_t hash, const float* data, int count) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < static_cast<std::size_t>(count) * sizeof(float); ++i) {
    hash = (hash ^ bytes[i]) * 1099511628211ull;
  }
  return hash;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: plugin_render_dump one|nine|workout <blocks> [file]\n");
    return 2;
  }
  const bool workout = std::strcmp(argv[1], "workout") == 0;
  const int extraVoices = std::strcmp(argv[1], "one") == 0 ? 0 : 8;
  const int blocks = std::atoi(argv[2]);
  std::FILE* file = argc > 3 ? std::fopen(argv[3], "wb") : nullptr;
  if (argc > 3 && file == nullptr) {
    std::fprintf(stderr, "cannot write %s\n", argv[3]);
    return 1;
  }

  SoundingInstance instance(extraVoices);
  Draw random{12345u};
  std::uint64_t hash = 14695981039346656037ull;
  for (int b = 0; b < blocks; ++b) {
    if (workout && random.below(3) == 0) stir(instance, random);
    instance.renderBlock();
    hash = fnv1a(hash, instance.left().data(), qvbench::kBlock);
    hash = fnv1a(hash, instance.right().data(), qvbench::kBlock);
    if (file != nullptr) {
      std::fwrite(instance.left().data(), sizeof(float), qvbench::kBlock, file);
      std::fwrite(instance.right().data(), sizeof(float), qvbench::kBlock, file);
    }
  }
  if (file != nullptr) std::fclose(file);
  std::printf("%s %d blocks: %016llx\n", argv[1], blocks, static_cast<unsigned long long>(hash));
  return 0;
}
