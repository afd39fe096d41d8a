// The MIDI the render command sends: notes, controllers and program changes from the
// command line, turned into a list sorted by frame, and handed to the plug-in block by
// block through effProcessEvents with offsets inside the block.
#pragma once

#include <cstdint>
#include <vector>

#include "options.h"
#include "vst/aeffect.h"

namespace qhost {

struct ScheduledEvent {
  int64_t frame = 0;
  int order = 0;  // at the same frame: note off, controller, program, note on
  unsigned char bytes[3] = {0, 0, 0};
};

// Every event of the options at its frame (times rounded to the nearest frame), sorted.
// Events at or after `totalFrames` are dropped; a note still held then gets no note off.
std::vector<ScheduledEvent> buildSchedule(const RenderOptions& options, double rate,
                                          int64_t totalFrames);

// Holds the VstEvents record and its MIDI events for one block; allocated once.
class EventBlock {
 public:
  explicit EventBlock(size_t capacity);
  // Fills the record with the events of [start, start + frames) from `schedule`, starting at
  // `next` and advancing it. Returns the record, or none when the block has no events.
  VstEvents* fill(const std::vector<ScheduledEvent>& schedule, size_t& next, int64_t start,
                  int32_t frames);

 private:
  std::vector<VstMidiEvent> midi_;
  std::vector<unsigned char> record_;  // VstEvents with room for `capacity` pointers
};

}  // namespace qhost
