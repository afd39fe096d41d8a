// MIDI input: the host's events queued per block and played at their frames, controllers,
// pitch bend and pressure through the MIDI map, bank select and program change through the
// patch library's audio-side snapshot. Audio thread throughout.
//
// Choices: controller 1 drives the modulation-wheel sources and also the controller-source
// entries of controller 1 (the default map's Vibrato Depth), so the wheel does what the map
// shows. Controller 0 selects the library group and also drives controller-source entries of
// controller 0 that a map file holds.
#include <algorithm>
#include <cstring>

#include "library/patch_library.h"
#include "plugin/midi_curve.h"
#include "plugin/patch_work.h"

namespace {

constexpr int kControllerBankSelect = 0;
constexpr int kControllerModWheel = 1;
constexpr int kControllerAllSoundOff = 120;
constexpr int kControllerAllNotesOff = 123;
constexpr int32_t kLearnPitchBend = 0xE000;
// The learn word carries the event's channel in bits 8..11 beside its data byte, so MIDI
// learn captures the channel the controller was moved on.
constexpr int32_t learnWord(int channel, int data1) { return (channel << 8) | data1; }

}  // namespace

int32_t Quorvane_VST::processEvents(VstEvents* events) {
  if (events == nullptr) return 1;
  for (int32_t i = 0; i < events->numEvents; ++i) {
    const VstEvent* e = events->events[i];
    if (e == nullptr || e->type != kVstMidiType) continue;
    VstMidiEvent midi;
    std::memcpy(&midi, e, sizeof midi);
    midiRing_.push(midi);
  }
  return 1;
}

int Quorvane_VST::dispatchHook(void* self, int sampleIndex) {
  return static_cast<Quorvane_VST*>(self)->dispatchMidiEvents(sampleIndex);
}

int Quorvane_VST::dispatchMidiEvents(int sampleIndex) {
  followVoiceCount();
  // An offset beyond the block plays at its last frame, so no event holds up those behind it.
  const int last = blockFrames_.load(std::memory_order_relaxed) - 1;
  while (const VstMidiEvent* e = midiRing_.front()) {
    if (e->deltaFrames > sampleIndex && sampleIndex < last) break;
    const VstMidiEvent event = *e;
    midiRing_.pop();
    handleMidiEvent(event);
  }
  // With nothing queued the block's last frame is still visited: an event a host queues
  // from another thread meanwhile plays in this block.
  const VstMidiEvent* next = midiRing_.front();
  return std::max(sampleIndex + 1, std::min(next != nullptr ? next->deltaFrames : last, last));
}

void Quorvane_VST::handleMidiEvent(const VstMidiEvent& event) {
  const int status = static_cast<unsigned char>(event.midiData[0]);
  const int data1 = event.midiData[1] & 0x7F;
  const int data2 = event.midiData[2] & 0x7F;
  const int channel = status & 0x0F;
  switch (status & 0xF0) {
    case 0x80:
      noteToHandler(data1, 0);
      break;
    case 0x90:
      noteToHandler(data1, data2);
      break;
    case 0xB0:
      engine_.setLearnWord(learnWord(channel, data1));
      if (data1 == kControllerBankSelect && library_ && !programHold_.holdBank(data2)) library_->audioSelectGroup(data2);
      if (data1 == kControllerAllNotesOff || data1 == kControllerAllSoundOff) releaseEveryKey();
      receiveController(channel, data1, data2, event.deltaFrames);
      break;
    case 0xE0:
      engine_.setLearnWord(kLearnPitchBend + learnWord(channel, data1));
      receivePitchBend(channel, data1, data2, event.deltaFrames);
      break;
    case 0xC0:
      receiveProgramChange(channel, data1);
      break;
    case 0xD0:
      receiveChannelPressure(channel, data1, event.deltaFrames);
      break;
    case 0xA0:
      receivePolyPressure(channel, data1, data2, event.deltaFrames);
      break;
    default:
      return;
  }
  engine_.lightMidi();
}

void Quorvane_VST::receiveController(int channel, int controller, int value, int) {
  if (controller == kControllerModWheel) applyModWheelMaps(value);
  MidiSourceSetting setting;
  int position = 0;
  while (const int parameter = midiMap_.lookup(position, kMidiBitController, controller, channel, setting))
    setParameterReal(parameter, mapCurve(value, setting, parameter));
}

void Quorvane_VST::receivePitchBend(int channel, int lsb, int msb, int) {
  MidiSourceSetting setting;
  int position = 0;
  while (const int parameter =
             midiMap_.lookup(position, kMidiBitController, kMidiControllerPitchBend, channel, setting))
    setParameterReal(parameter, mapCurve14(msb * 128 + lsb, setting, parameter));
}

void Quorvane_VST::receiveChannelPressure(int, int value, int) { applyAftertouchMaps(value); }

void Quorvane_VST::receivePolyPressure(int, int key, int value, int) { applyPolyPressureMaps(key, value); }

void Quorvane_VST::receiveProgramChange(int, int program) {
  if (!library_ || programHold_.holdProgram(program)) return;
  audioRecord_.store(library_->audioSelectProgram(program), std::memory_order_release);
  changeState_.fetch_or(patchstate::kRequested, std::memory_order_acq_rel);  // the block end goes on
}

void Quorvane_VST::applySourceMaps(uint32_t sourceBit, int value, int voice, bool fastRamp) {
  MidiSourceSetting setting;
  int position = 0;
  const int rate = static_cast<int>(engine_.sampleRate());
  while (const int parameter = midiMap_.lookup(position, sourceBit, 0, 0, setting)) {
    const float plain = mapCurve(value, setting, parameter);
    PatchVoice& ramped = engine_.voice(voice < 0 ? 0 : voice);
    // The rate goes back to what it was: during a patch change's fade it is the fade's.
    const float rampRate = ramped.rampRate.load(std::memory_order_relaxed);
    if (fastRamp) ramped.rampRate.store(fadedRampRate(rate), std::memory_order_relaxed);
    if (voice < 0)
      setParameterReal(parameter, plain);
    else
      routeToEngine(parameter, plain, voice, voice);
    if (fastRamp) ramped.rampRate.store(rampRate, std::memory_order_relaxed);
  }
}

void Quorvane_VST::applyModWheelMaps(int value) { applySourceMaps(kMidiBitModWheel, value, -1, false); }

void Quorvane_VST::applyAftertouchMaps(int value) { applySourceMaps(kMidiBitAftertouch, value, -1, false); }

void Quorvane_VST::applyPolyPressureMaps(int key, int value) {
  if (!validKey(key) || !noteHeld_[key]) return;
  const int n = std::clamp(engine_.voiceCount(), 0, kMaxExtraVoices);
  for (int v = 0; v <= n; ++v)
    if (voiceKey_[v] == key) applySourceMaps(kMidiBitAftertouch, value, v, false);
}

void Quorvane_VST::applyVelocityMaps(int, int velocity) {
  applySourceMaps(kMidiBitVelocity, velocity, -1, true);
}

void Quorvane_VST::applyVoiceVelocityMaps(int, int velocity, int voice) {
  applySourceMaps(kMidiBitVelocity, velocity, voice, true);
}
