// The MIDI map file reader (MidiMap::read): any text merges into a map that stays within
// its capacity and its value ranges, and the map file it writes reads back as itself.
#include <cmath>
#include <memory>
#include <string>

#include "params/param_table.h"
#include "plugin/midi_map.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// The map after reading text into a fresh one, as the map file it writes.
std::string readAndWrite(std::string_view text, std::unique_ptr<MidiMap>& map) {
  map = std::make_unique<MidiMap>();
  map->read(text);
  std::string out;
  map->write(out);
  return out;
}

void requireInRange(const MidiMapEntry& e) {
  qvfuzz::require(e.parameter >= 1 && e.parameter <= kLastCordParam,
                  "the parameter is one a map drives");
  qvfuzz::require(e.channel >= 0 && e.channel <= kMidiLastChannel, "the channel is 0..15");
  qvfuzz::require(e.controller >= 0 && e.controller <= kMidiControllerPitchBend,
                  "the controller is 0..128");
  qvfuzz::require((e.sourceBits & ~0xFu) == 0, "only the four source bits are set");
  for (int s = 0; s < kMidiSourceCount; ++s) {
    qvfuzz::require(e.range[s].low >= 0.0f && e.range[s].low <= 127.0f &&
                        e.range[s].high >= 0.0f && e.range[s].high <= 127.0f,
                    "the ranges are within 0..127");
    qvfuzz::require(e.curve[s] >= kMidiCurveLinear && e.curve[s] <= kMidiCurveLogarithmic,
                    "the curve is one of the three");
    qvfuzz::require(e.invert[s] == 0 || e.invert[s] == 1, "invert is 0 or 1");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::unique_ptr<MidiMap> map;
  const std::string once = readAndWrite(qvfuzz::asText(data, size), map);
  qvfuzz::require(map->count() <= MidiMap::kCapacity, "the map stays within its capacity");
  for (const MidiMapEntry& e : map->entries()) requireInRange(e);

  // What the audio thread's scan finds for each source is an entry of the map.
  for (uint32_t bit = kMidiBitController; bit <= kMidiBitAftertouch; bit <<= 1) {
    int position = 0;
    MidiSourceSetting setting;
    int steps = 0;
    while (map->lookup(position, bit, 1, 0, setting) != 0)
      qvfuzz::require(++steps <= map->count(), "the scan ends");
  }

  std::unique_ptr<MidiMap> again;
  qvfuzz::requireSame(once, readAndWrite(once, again), "the written map reads back as itself");
  return 0;
}
