// The values the engine shows on the panel (meters, block time, MIDI light, the learn word),
// by index. The engine writes them once per block; any thread reads them.
#pragma once

// Indexes of the display values.
enum DisplayValue : int {
  kDisplayLeftMeter = 0,
  kDisplayRightMeter = 1,
  kDisplayBlockTime = 2,    // performance-counter ticks of the last block
  kDisplayBlockFrames = 3,  // frames of the last block
  kDisplayMidiLight = 4,    // 0 or 1
  kDisplayLearnWord = 5,    // last controller heard (0xE000 + data for pitch bend), 0 when none
  kDisplayValueCount = 6,
};

// Ticks per second of the block-time display (a 10 MHz performance counter).
inline constexpr double kBlockTimeTicksPerSecond = 1.0e7;
