#include "events.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace qhost {
namespace {

int64_t frameAt(double seconds, double rate) {
  return static_cast<int64_t>(std::llround(seconds * rate));
}

void add(std::vector<ScheduledEvent>& out, int64_t frame, int order, int status, int data1,
         int data2) {
  ScheduledEvent e;
  e.frame = frame;
  e.order = order;
  e.bytes[0] = static_cast<unsigned char>(status);
  e.bytes[1] = static_cast<unsigned char>(data1 & 0x7f);
  e.bytes[2] = static_cast<unsigned char>(data2 & 0x7f);
  out.push_back(e);
}

}  // namespace

std::vector<ScheduledEvent> buildSchedule(const RenderOptions& options, double rate,
                                          int64_t totalFrames) {
  std::vector<ScheduledEvent> all;
  for (const NoteSpec& n : options.notes) {
    const int64_t on = frameAt(n.start, rate);
    // A note lasts at least one frame so that its off never comes before its on.
    const int64_t off = std::max(on + 1, frameAt(n.start + n.length, rate));
    add(all, on, 3, 0x90, n.key, n.velocity);
    add(all, off, 0, 0x80, n.key, 0);
  }
  for (const ControllerSpec& c : options.controllers)
    add(all, frameAt(c.time, rate), 1, 0xB0 | (c.channel - 1), c.controller, c.value);
  for (const ProgramSpec& p : options.programs) add(all, frameAt(p.time, rate), 2, 0xC0, p.program, 0);

  std::vector<ScheduledEvent> kept;
  for (const ScheduledEvent& e : all)
    if (e.frame < totalFrames) kept.push_back(e);
  std::stable_sort(kept.begin(), kept.end(), [](const ScheduledEvent& a, const ScheduledEvent& b) {
    return a.frame != b.frame ? a.frame < b.frame : a.order < b.order;
  });
  return kept;
}

EventBlock::EventBlock(size_t capacity)
    : midi_(std::max<size_t>(capacity, 1)),
      record_(offsetof(VstEvents, events) + std::max<size_t>(capacity, 2) * sizeof(VstEvent*)) {}

VstEvents* EventBlock::fill(const std::vector<ScheduledEvent>& schedule, size_t& next,
                            int64_t start, int32_t frames) {
  auto* record = reinterpret_cast<VstEvents*>(record_.data());
  VstEvent** slots = record->events;
  int32_t count = 0;
  while (next < schedule.size() && schedule[next].frame < start + frames &&
         static_cast<size_t>(count) < midi_.size()) {
    const ScheduledEvent& s = schedule[next++];
    VstMidiEvent& m = midi_[static_cast<size_t>(count)];
    m = VstMidiEvent{};
    m.type = kVstMidiType;
    m.byteSize = sizeof(VstMidiEvent);
    m.deltaFrames = static_cast<int32_t>(std::max<int64_t>(0, s.frame - start));
    std::memcpy(m.midiData, s.bytes, 3);
    slots[count++] = reinterpret_cast<VstEvent*>(&m);
  }
  if (count == 0) return nullptr;
  record->numEvents = count;
  record->reserved = 0;
  return record;
}

}  // namespace qhost
