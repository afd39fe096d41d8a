// Renders a plug-in scenario and writes the output samples, so two builds of the engine can
// be compared bit for bit (an optimisation must not change one sample). Usage:
//   plugin_render_dump one|nine|workout|keys <blocks> [--rate R] [file]
//   plugin_render_dump --fingerprints
// "one" and "nine" are the real-time benchmark's scenarios; "workout" plays nine voices
// while knobs move, cords come and go, gates open and close, and MIDI controllers and
// program changes arrive at pseudo-random blocks (a fixed seed); "keys" plays nine voices
// from MIDI sent at pseudo-random frames of the blocks (see playKeys). Prints the FNV-1a
// hash of the rendered bits; with a file, writes the raw left/right blocks there too.
// --fingerprints prints the hash of each scenario, 3 s at 44100 and at 96000 Hz, one line
// each: the sound of the engine, which scripts/test compares with the recorded one.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "params/param_ids.h"
#include "params/param_table.h"
#include "plugin/midi_map.h"
#include "tests/bench/sounding_instance.h"
#include "tests/engine/test_draw.h"
#include "tests/plugin/send_midi.h"

namespace {

using qvbench::SoundingInstance;

// One pseudo-random change between blocks: a knob (2..76), a cord, a gate, a MIDI
// controller or a program change.
void stir(SoundingInstance& instance, Draw& random) {
  const int what = random.below(12);
  if (what == 10) {
    const auto controller = static_cast<unsigned char>(random.below(120));
    const auto value = static_cast<unsigned char>(random.below(128));
    plugintest::sendMidi(&instance.effect(), {{0xb0, controller, value}});
  } else if (what == 11) {
    plugintest::sendMidi(&instance.effect(), {{0xc0, static_cast<unsigned char>(random.below(4)), 0}});
  } else if (what < 5) {
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

// The controller the "keys" scenario maps to the voice count.
constexpr unsigned char kVoicesController = 20;

// A few MIDI events at pseudo-random frames of the next block, some before or past it and
// not in frame order: notes on and off, the filter's controller, pitch bend, and the
// controller that lowers and raises the voice count within the block.
void playKeys(SoundingInstance& instance, Draw& random) {
  std::vector<plugintest::Midi> events;
  const int count = random.below(5);
  for (int k = 0; k < count; ++k) {
    const auto frame = static_cast<std::int32_t>(random.below(qvbench::kBlock + 96)) - 16;
    const auto key = static_cast<unsigned char>(36 + random.below(48));
    const auto value = static_cast<unsigned char>(random.below(128));
    switch (random.below(6)) {
      case 0:
      case 1: events.push_back({0x90, key, static_cast<unsigned char>(1 + random.below(127)), frame}); break;
      case 2: events.push_back({0x80, key, 0, frame}); break;
      case 3: events.push_back({0xb0, 74, value, frame}); break;
      case 4: events.push_back({0xe0, static_cast<unsigned char>(random.below(128)), value, frame}); break;
      default: events.push_back({0xb0, kVoicesController, value, frame}); break;
    }
  }
  if (!events.empty()) plugintest::sendMidi(&instance.effect(), events);
}

std::uint64_t fnv1a(std::uint64_t hash, const float* data, int count) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < static_cast<std::size_t>(count) * sizeof(float); ++i) {
    hash = (hash ^ bytes[i]) * 1099511628211ull;
  }
  return hash;
}

struct Scenario {
  enum Play { Held, Workout, Keys } play;
  int extraVoices;
};

bool scenarioNamed(const char* name, Scenario& scenario) {
  if (std::strcmp(name, "one") == 0) scenario = {Scenario::Held, 0};
  else if (std::strcmp(name, "nine") == 0) scenario = {Scenario::Held, 8};
  else if (std::strcmp(name, "workout") == 0) scenario = {Scenario::Workout, 8};
  else if (std::strcmp(name, "keys") == 0) scenario = {Scenario::Keys, 8};
  else return false;
  return true;
}

// Renders `blocks` blocks of the scenario; returns the hash of every sample, and writes the
// samples to `file` when there is one.
std::uint64_t render(Scenario scenario, int rate, int blocks, std::FILE* file) {
  SoundingInstance instance(scenario.extraVoices, rate);
  if (scenario.play == Scenario::Keys) {
    MidiMapEntry voices = blankMidiMapEntry(kParamVoices);
    voices.controller = kVoicesController;
    voices.sourceBits = kMidiBitController;
    instance.plugin().midiMap().appendEntry(voices);
  }
  Draw random{12345u};
  std::uint64_t hash = 14695981039346656037ull;
  for (int b = 0; b < blocks; ++b) {
    if (scenario.play == Scenario::Workout && random.below(3) == 0) stir(instance, random);
    if (scenario.play == Scenario::Keys) playKeys(instance, random);
    instance.renderBlock();
    hash = fnv1a(hash, instance.left().data(), qvbench::kBlock);
    hash = fnv1a(hash, instance.right().data(), qvbench::kBlock);
    if (file != nullptr) {
      std::fwrite(instance.left().data(), sizeof(float), qvbench::kBlock, file);
      std::fwrite(instance.right().data(), sizeof(float), qvbench::kBlock, file);
    }
  }
  return hash;
}

int usage() {
  std::fprintf(stderr,
               "usage: plugin_render_dump one|nine|workout|keys <blocks> [--rate R] [file]\n"
               "       plugin_render_dump --fingerprints\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--fingerprints") == 0) {
    for (const int rate : {44100, 96000}) {
      const int blocks = (3 * rate + qvbench::kBlock - 1) / qvbench::kBlock;
      for (const char* name : {"one", "nine", "workout", "keys"}) {
        Scenario scenario{};
        scenarioNamed(name, scenario);
        std::printf("%s %d: %016llx\n", name, rate,
                    static_cast<unsigned long long>(render(scenario, rate, blocks, nullptr)));
      }
    }
    return 0;
  }
  Scenario scenario{};
  if (argc < 3 || !scenarioNamed(argv[1], scenario)) return usage();
  const int blocks = std::atoi(argv[2]);
  int rate = qvbench::kRate;
  const char* path = nullptr;
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "--rate") == 0 && i + 1 < argc) rate = std::atoi(argv[++i]);
    else if (path == nullptr) path = argv[i];
    else return usage();
  }
  if (blocks <= 0 || rate < 8000 || rate > 384000) return usage();
  std::FILE* file = path != nullptr ? std::fopen(path, "wb") : nullptr;
  if (path != nullptr && file == nullptr) {
    std::fprintf(stderr, "cannot write %s\n", path);
    return 1;
  }
  const std::uint64_t hash = render(scenario, rate, blocks, file);
  if (file != nullptr) std::fclose(file);
  std::printf("%s %d blocks: %016llx\n", argv[1], blocks, static_cast<unsigned long long>(hash));
  return 0;
}
