// The band-limited step table: the integrated minimum-phase band-limited step, sampled 64
// times per sample, parsed from the "MB" text resource. One table per process, shared by
// every VCO and counted by use.
#pragma once

#include <cstddef>
#include <cstdint>

class MinBlepTable {
 public:
  // Parses the resource text: four header lines (corner, oversampling, zero crossings,
  // size), each a number followed by words that end with its label ("corner",
  // "oversampling", "nzc", "size"), then exactly size values, one per line. Numbers are
  // read independently of the C locale. Returns nullptr when the text does not have that
  // shape, a number does not parse or is not finite, the oversampling is not 64, the zero
  // crossings are not positive, or size is below kMinSize or above kMaxSize. Any thread
  // but the audio thread (it allocates).
  static MinBlepTable* parse(const char* text, std::size_t length);

  // A table of an ideal step (every value 1.0): the oscillators then produce the naive
  // waveforms. Stands in when the resource is missing or malformed.
  static MinBlepTable* idealStep();

  virtual ~MinBlepTable();
  MinBlepTable(const MinBlepTable&) = delete;
  MinBlepTable& operator=(const MinBlepTable&) = delete;

  // A step is read at positions below 1408 (22 zero crossings x 64), interpolating up to
  // the value after: 1409 values at the least, one more to spare.
  static constexpr int32_t kMinSize = 1410;
  static constexpr int32_t kMaxSize = 1 << 20;

  int32_t size = 0;            // number of values
  float zeroCrossings = 0.0f;  // 22.0
  float span = 0.0f;           // 2 x zeroCrossings: the largest offset, in samples, still queued
  float corner = 0.0f;         // 0.9; kept, not used by the oscillators
  float oversampling = 0.0f;   // 64.0; kept, the oscillators use 64
  float* values = nullptr;     // size entries, owned
  bool bandLimited = false;    // false for the ideal step that stands in for a bad resource

 private:
  MinBlepTable() = default;
};

// The process-wide table. The first call parses the "MB" resource of type "#2110" (or, if
// that is missing or malformed, makes the ideal step); every call raises the use count and
// returns the same table, never nullptr. Called by each VCO's constructor; any thread but
// the audio thread; safe to call from several threads at once.
MinBlepTable* acquireMinBlepTable();

// Lowers the use count (never below 0). The table stays until the library is unloaded.
// Called by each VCO's destructor; any thread.
void releaseMinBlepTable();

// The table if one was made, else nullptr; and the number of VCOs using it. Any thread.
MinBlepTable* sharedMinBlepTable();
int minBlepTableUseCount();
