// Held keys and the two note handlers: the duophonic keyboard of voice context 0 and the
// round-robin allocator over the contexts in use. Everything here runs on the audio thread;
// other threads hand their notes over (runOnAudioThread), so the note state has one owner.
#include <algorithm>
#include <cmath>

#include "engine/audio_thread.h"
#include "engine/kernels/envelope_module.h"
#include "engine/kernels/kernel_object.h"
#include "engine/kernels/keyboard_modules.h"
#include "engine/kernels/shared_sources.h"
#include "engine/voice_tables.h"
#include "plugin/quorvane_vst.h"

namespace {

// The keyboard LFO's square into the envelope gate: on or cut at once, without a ramp.

void setLfoGateRow(PatchVoice& voice, bool on) {
  PatchInput* row = voice.normalRows[row::kEnvelopeGateFromLfo];
  if (row == nullptr) return;
  row->gain = on ? 1.0f : 0.0f;
  row->target = row->gain;
  row->step = 0.0f;
  row->off = !on;
}

qv::LfoModule* keyboardLfo(PatchVoice& voice) { return qv::kernelObject<qv::LfoModule>(voice.keyboardLfo); }

void setVoiceGate(PatchVoice& voice, bool on) {
  if (auto* gate = qv::kernelObject<qv::KeyboardGate>(voice.keyboardGate)) gate->setGate(on);
  if (auto* lfo = keyboardLfo(voice)) lfo->setGate(on);
}

void fireTrigger(PatchVoice& voice) {
  if (auto* trigger = qv::kernelObject<qv::KeyboardTrigger>(voice.keyboardTrigger)) trigger->fire();
}

void triggerVoiceEnvelopes(PatchVoice& voice) {
  if (auto* adsr = qv::kernelObject<qv::EnvelopeModule>(voice.adsr1)) adsr->trigger();
  if (auto* ar = qv::kernelObject<qv::EnvelopeModule>(voice.ar1)) ar->trigger();
}

void restartLfo(PatchVoice& voice) {
  if (auto* lfo = keyboardLfo(voice)) lfo->core.phase = 0.0f;
}

void setKeyboardCv(PatchModule* record, float volts) {
  if (auto* cv = qv::kernelObject<qv::KeyboardCv>(record)) cv->setNote(volts);
}

Quorvane_VST& pluginOf(const EngineCommand& command) { return qv::commandObject<Quorvane_VST>(command); }

}  // namespace

void Quorvane_VST::runOnAudioThread(EngineApplyFn fn, int32_t a) {
  if (!isReady()) return;
  if (onAudioThread()) {
    EngineCommand command;
    command.kind = EngineCommandKind::Apply;
    command.object = this;
    command.a = a;
    fn(engine_.voice(0), command);
    return;
  }
  qv::postToAudioThread(engine_.voice(0), this, fn, 0.0f, a);
  engine_.settleWhileIdle();
  if (!engine_.processing()) publishKeys();  // no block follows to publish what changed
}

void Quorvane_VST::followVoiceCount() {
  const int voices = engine_.voiceCount();
  if (voices < voicesInUse_) releaseVoicesAbove(voices);
  voicesInUse_ = voices;
}

void Quorvane_VST::noteToHandler(int key, int velocity) {
  if (!validKey(key)) return;
  followVoiceCount();
  velocity = std::clamp(velocity, 0, 127);
  if (engine_.voiceCount() > 0)
    polyVoiceNote(key, velocity);
  else
    duoKeyboardNote(key, velocity);
}

void Quorvane_VST::duoKeyboardNote(int key, int velocity) {
  if (!validKey(key)) return;
  noteHeld_[key] = velocity != 0 ? 1 : 0;
  noteVelocity_[key] = retriggerVelocity_[key] = velocity;
  int lowest = -1, highest = -1;
  for (int k = 0; k < 128 && lowest < 0; ++k)
    if (noteHeld_[k]) lowest = k;
  for (int k = 127; k >= 0 && highest < 0; --k)
    if (noteHeld_[k]) highest = k;
  PatchVoice& voice = engine_.voice(0);
  const int repeat = settings.keyboardRepeatMode.load(std::memory_order_relaxed);
  const bool gatesEnvelopes = settings.keyboardGatesEnvelopes.load(std::memory_order_relaxed) != 0;
  if (lowest >= 0) {
    if (settings.intervalLatch.load(std::memory_order_relaxed) == 0) {
      if (highest != lastUpperKey_) {
        lastUpperKey_ = highest;
        setKeyboardCv(voice.keyboardUpperCv, noteTable_.keyCv(highest));
      }
      if (lowest != lastLowerKey_) {
        lastLowerKey_ = lowest;
        setKeyboardCv(voice.keyboardLowerCv, noteTable_.keyCv(lowest));
      }
    } else if (lowest != lastLowerKey_) {
      lastLowerKey_ = lowest;
      setKeyboardCv(voice.keyboardLowerCv, noteTable_.keyCv(lowest));
      // The latched key is kept on the keyboard: beyond key 127 the upper CV plays 127.
      lastUpperKey_ = std::clamp(lowest + latchInterval_.load(std::memory_order_relaxed), 0, 127);
      setKeyboardCv(voice.keyboardUpperCv, noteTable_.keyCv(lastUpperKey_));
    }
  }
  if (velocity != 0) {
    const bool only = lowest == highest;
    if (only) {
      setVoiceGate(voice, true);
      fireTrigger(voice);
      if (gatesEnvelopes) {
        triggerVoiceEnvelopes(voice);
        applyVelocityMaps(key, velocity);
        if (repeat == 0) setLfoGateRow(voice, true);
      }
      if (repeat == 0) restartLfo(voice);
    } else if (settings.multipleTrigger.load(std::memory_order_relaxed) != 0) {
      fireTrigger(voice);
      if (gatesEnvelopes) {
        triggerVoiceEnvelopes(voice);
        applyVelocityMaps(key, velocity);
      }
      if (repeat == 0) restartLfo(voice);
    }
  } else if (lowest < 0) {
    if (repeat == 0) setLfoGateRow(voice, false);
    setVoiceGate(voice, false);
  }
}

void Quorvane_VST::polyVoiceNote(int key, int velocity) {
  if (!validKey(key)) return;
  const int n = std::clamp(engine_.voiceCount(), 0, kMaxExtraVoices);
  const int repeat = settings.keyboardRepeatMode.load(std::memory_order_relaxed);
  if (velocity != 0) {
    int taken = -1;
    for (int tries = 0; tries <= n && taken < 0; ++tries) {
      lastVoice_ = (lastVoice_ + 1) % (n + 1);
      const int held = voiceKey_[lastVoice_];
      if (held < 0 || noteHeld_[held] == 0) taken = lastVoice_;
    }
    if (taken < 0) {  // every context plays a held key: steal the next one
      lastVoice_ = (lastVoice_ + 1) % (n + 1);
      taken = lastVoice_;
      if (repeat == 0)
        for (int v = 0; v <= n; ++v) restartLfo(engine_.voice(v));
    }
    PatchVoice& voice = engine_.voice(taken);
    voiceKey_[taken] = key;
    setKeyboardCv(voice.keyboardLowerCv, noteTable_.keyCv(key));
    if (auto* gate = qv::kernelObject<qv::KeyboardGate>(voice.keyboardGate)) gate->setGate(true);
    fireTrigger(voice);
    if (settings.keyboardGatesEnvelopes.load(std::memory_order_relaxed) != 0) {
      triggerVoiceEnvelopes(voice);
      applyVoiceVelocityMaps(key, velocity, taken);
      if (repeat == 0) setLfoGateRow(voice, true);
    }
    if (auto* lfo = keyboardLfo(voice)) lfo->setGate(true);
  } else {
    for (int v = 0; v <= n; ++v) {
      if (voiceKey_[v] != key) continue;
      PatchVoice& voice = engine_.voice(v);
      setVoiceGate(voice, false);
      if (repeat == 0) setLfoGateRow(voice, false);
    }
  }
  noteVelocity_[key] = retriggerVelocity_[key] = velocity;
  noteHeld_[key] = velocity != 0 ? 1 : 0;
}

void Quorvane_VST::releaseVoicesAbove(int count) {
  const int repeat = settings.keyboardRepeatMode.load(std::memory_order_relaxed);
  for (int v = std::max(count + 1, 1); v < kVoiceContextCount; ++v) {
    if (voiceKey_[v] < 0) continue;
    PatchVoice& voice = engine_.voice(v);
    setVoiceGate(voice, false);
    if (repeat == 0) setLfoGateRow(voice, false);
    voiceKey_[v] = -1;
  }
}

void Quorvane_VST::applyPostedNote(PatchVoice&, const EngineCommand& command) {
  pluginOf(command).noteToHandler(command.a & 0xFF, (command.a >> 8) & 0xFF);
}

void Quorvane_VST::playNote(int key, int velocity) {
  if (!validKey(key)) return;
  runOnAudioThread(applyPostedNote, key | (std::clamp(velocity, 0, 127) << 8));
}

void Quorvane_VST::releaseKeysForChange(PatchVoice&, const EngineCommand& command) {
  Quorvane_VST& p = pluginOf(command);
  for (int k = 0; k < 128; ++k) {
    p.retriggerVelocity_[k] = 0;
    if (!p.noteHeld_[k]) continue;
    const int velocity = p.noteVelocity_[k];
    p.noteToHandler(k, 0);
    p.retriggerVelocity_[k] = velocity;
  }
}

void Quorvane_VST::retriggerKeys(PatchVoice&, const EngineCommand& command) {
  Quorvane_VST& p = pluginOf(command);
  for (int k = 0; k < 128; ++k)
    if (p.retriggerVelocity_[k] != 0) p.noteToHandler(k, p.retriggerVelocity_[k] & 0xFF);
}

void Quorvane_VST::releaseAllKeys() {
  runOnAudioThread([](PatchVoice&, const EngineCommand& command) { pluginOf(command).releaseEveryKey(); });
}

void Quorvane_VST::releaseEveryKey() {
  for (int k = 0; k < 128; ++k) {
    noteToHandler(k, 0);
    noteHeld_[k] = noteVelocity_[k] = retriggerVelocity_[k] = 0;
  }
}

void Quorvane_VST::clearVoiceKeys() { std::fill(std::begin(voiceKey_), std::end(voiceKey_), -1); }

bool Quorvane_VST::anyKeyHeld() const {
  return std::any_of(std::begin(noteHeld_), std::end(noteHeld_), [](int32_t held) { return held != 0; });
}

void Quorvane_VST::applyLatchCapture(PatchVoice&, const EngineCommand& command) {
  Quorvane_VST& p = pluginOf(command);
  int lowest = -1, highest = -1;
  for (int k = 0; k < 128; ++k) {
    if (!p.noteHeld_[k]) continue;
    if (lowest < 0) lowest = k;
    highest = k;
  }
  p.latchInterval_.store(lowest < 0 ? 0 : highest - lowest, std::memory_order_relaxed);
}

void Quorvane_VST::captureLatchInterval() { runOnAudioThread(applyLatchCapture); }
