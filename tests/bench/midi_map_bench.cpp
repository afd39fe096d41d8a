// What the audio thread spends when a program change merges the new sound's MIDI map
// sources into the map: a shipped-size case (the default map, a sound of a few entries)
// and the largest (a full map, a sound with an entry for every parameter it may carry).
#include <benchmark/benchmark.h>

#include <vector>

#include "plugin/midi_map.h"

namespace {

std::vector<MidiMapEntry> sound(int entries) {
  std::vector<MidiMapEntry> out;
  for (int i = 0; i < entries; ++i) {
    MidiMapEntry e = blankMidiMapEntry(2 + i);
    e.sourceBits = kMidiBitVelocity | (i % 3 == 0 ? kMidiBitModWheel : 0u);
    e.range[kMidiSourceVelocity] = {10.0f, 100.0f};
    out.push_back(e);
  }
  return out;
}

void BM_MergeSoundIntoMap(benchmark::State& state) {
  MidiMap map;
  for (int i = map.count(); i < state.range(0); ++i) map.appendEntry(blankMidiMapEntry(81 + i % 97));
  const std::vector<MidiMapEntry> entries = sound(static_cast<int>(state.range(1)));
  for (auto _ : state) benchmark::DoNotOptimize(map.tryReplacePatchSources(entries));
}
// {map entries, sound entries}
BENCHMARK(BM_MergeSoundIntoMap)->Args({12, 8})->Args({64, 32})->Args({MidiMap::kCapacity, 79})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
