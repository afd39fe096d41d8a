// MIDI messages sent to a plug-in the way a host sends them: VstMidiEvents through
// effProcessEvents.
#pragma once

#include <cstdint>
#include <vector>

#include "vst/aeffect.h"

namespace plugintest {

// Sends MIDI messages (status, data1, data2, frame offset) through effProcessEvents.
struct Midi {
  unsigned char status, data1, data2;
  int32_t frame = 0;
};
inline void sendMidi(AEffect* effect, const std::vector<Midi>& messages) {
  std::vector<VstMidiEvent> events(messages.size());
  std::vector<char> list(sizeof(VstEvents) + messages.size() * sizeof(VstEvent*));
  auto* header = reinterpret_cast<VstEvents*>(list.data());
  header->numEvents = static_cast<int32_t>(messages.size());
  for (std::size_t i = 0; i < messages.size(); ++i) {
    VstMidiEvent& e = events[i];
    e = VstMidiEvent{};
    e.type = kVstMidiType;
    e.byteSize = sizeof(VstMidiEvent);
    e.deltaFrames = messages[i].frame;
    e.midiData[0] = static_cast<char>(messages[i].status);
    e.midiData[1] = static_cast<char>(messages[i].data1);
    e.midiData[2] = static_cast<char>(messages[i].data2);
    header->events[i] = reinterpret_cast<VstEvent*>(&e);
  }
  effect->dispatcher(effect, effProcessEvents, 0, 0, header, 0.0f);
}

}  // namespace plugintest
