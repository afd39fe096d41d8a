// The plug-in object: the frame's AudioEffectX plus everything one instance owns. It holds
// the engine (nine voice contexts, the shared modules and the block process), the parameter
// values (plain values, one per parameter index), the plug-in's own settings that
// parameters write, the note table, the MIDI controller map with its list of map files, and
// the identity of the build it presents to the host.
//
// Threads: construction and destruction run on the host's thread that calls the entry
// point and closes the effect, while no audio is processed. processReplacing runs on the
// audio thread. setParameter and the other parameter calls may come from any thread (host
// automation, chunk restore, the editor's GUI thread); they write single atomic words.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "engine/voice_engine.h"
#include "plugin/audioeffectx.h"
#include "plugin/build_identity.h"
#include "plugin/midi_map.h"
#include "plugin/midi_map_files.h"
#include "plugin/note_table.h"
#include "plugin/param_table.h"

// The plug-in's own fields that parameters write and the engine does not hold (bypass,
// voice count, beat sync, scales and offsets live in the VoiceEngine). Single words, written
// by any thread that sets parameters and read once per use by the note handling on the
// audio thread; relaxed order suffices.
struct PluginSettings {
  std::atomic<int32_t> keyboardRepeatMode{1};   // 0 LFO re-triggers held keys, 1 off, 2 always
  std::atomic<uint8_t> multipleTrigger{0};      // 1: a further held key re-fires the trigger
  std::atomic<uint8_t> keyboardGatesEnvelopes{1};  // the envelope gate follows the keyboard
  std::atomic<float> masterVolume{1.0f};
  std::atomic<int32_t> clockPulses{24};         // clock pulses per beat, at least 1
  std::atomic<int32_t> lfoPulses{24};           // LFO pulses per beat, at least 1
  std::atomic<uint8_t> intervalLatch{0};        // the interval between held keys is latched
};

class Quorvane_VST : public AudioEffectX {
 public:
  ~Quorvane_VST() override;
  Quorvane_VST(const Quorvane_VST&) = delete;
  Quorvane_VST& operator=(const Quorvane_VST&) = delete;

  // Audio thread: one block of the engine, with the host's musical position when the host
  // gives one. Absent input buffers read as silence; both outputs are needed for sound (a
  // single output present gets silence).
  void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;

  // Host thread, while processing is stopped. A rate the engine refuses (not finite, below
  // kMinHostSampleRate or above the engine's limit) changes nothing.
  void setSampleRate(float sampleRate) override;
  // Host thread: processing stops (every key is released) or starts.
  void suspend() override;
  void resume() override;

  // The Envelope Trigger and Portamento Trigger buttons. GUI thread.
  void triggerEnvelopes(bool pressed) { engine_.triggerEnvelopes(pressed); }
  void setPortamento(bool pressed) { engine_.setPortamento(pressed); }

  // Normalised 0..1 (clamped; not a number is ignored) -> plain value, stored and routed.
  // Indexes outside 1..178 are ignored. Any thread.
  void setParameter(int32_t index, float value) override;
  // The stored value normalised to 0..1; 0 outside 1..178. Any thread.
  float getParameter(int32_t index) override;
  // Texts for the host. Names are at most 51 characters, labels and displays at most
  // kVstMaxParamStrLen (8); each is followed by a terminating zero. Empty outside 1..178.
  void getParameterName(int32_t index, char* text) override;
  void getParameterLabel(int32_t index, char* text) override;
  void getParameterDisplay(int32_t index, char* text) override;
  // The current patch's name, at most 23 characters and the terminating zero.
  void getProgramName(char* name) override;

  bool getEffectName(char* name) override;
  bool getVendorString(char* text) override;
  bool getProductString(char* text) override;
  int32_t getVendorVersion() override;
  // 1 for "receiveVstEvents" and "receiveVstMidiEvent", -1 for anything else.
  int32_t canDo(char* text) override;

  // Sets a parameter from its plain value through the virtual setParameter (the editor is
  // told, the host is not). Used by MIDI control and the panel. Any thread.
  void setParameterReal(int32_t index, float plain);
  // The same, and the host is told of the change, except while the object is being
  // constructed (the host does not hold it yet) and for indexes the host does not address
  // (178 and above). Used when a patch is applied.
  void setParameterRealAutomated(int32_t index, float plain);

  // The stored plain value of parameter 0..178; 0 for any other index. Any thread.
  float paramValue(int index) const;
  const BuildIdentity& identity() const { return identity_; }
  // True from the end of start-up to the start of teardown.
  bool isReady() const { return engine_.ready(); }
  // The name the host sees as the program name. Called where a patch is applied, not
  // while the host may read the program name.
  void setCurrentPatchName(const char* name);
  const std::string& dataFolder() const { return dataFolder_; }

  VoiceEngine& engine() { return engine_; }
  NoteTable& noteTable() { return noteTable_; }
  MidiMap& midiMap() { return midiMap_; }
  // The map-file list, the current map's name and index (GUI thread and start-up).
  MidiMapHolder& midiMaps() { return midiMaps_; }

  PluginSettings settings;

  // Applies a parameter's plain value to the voice contexts firstVoice..lastVoice (per-voice
  // modules and connections) and to the shared modules through context 0; cords go to all
  // nine contexts at one sample boundary whatever the range. The plug-in's and the engine's
  // single-word settings (bypass, voice count, beat sync, ...) are setParameter's to write.
  // Called by setParameter for all nine contexts; the MIDI velocity and pressure maps call
  // it for the one context a note plays. Any thread (param_routing.cpp).
  void routeToEngine(int index, float plain, int firstVoice = 0, int lastVoice = kMaxExtraVoices);

 protected:
  // Only the editor subclass is ever created (entry point); it calls finishConstruction.
  Quorvane_VST(audioMasterCallback audioMaster, const BuildIdentity& identity);
  // From now on automated parameter changes are reported to the host.
  void finishConstruction() { hostHoldsEffect_.store(true, std::memory_order_release); }

 private:
  void initEngine();
  // The patch the plug-in starts with. Until the patch library is joined to the plug-in this
  // is every parameter at its default, taken through the road a patch takes.
  void loadStartupPatch();
  // The host's musical position in quarter notes, or null when the host gives none. Audio
  // thread.
  const double* hostMusicalPosition(double& storage);
  // Writes the plug-in's own fields a parameter controls.
  void routeOwnField(int index, float plain);

  // Routing rules that act on several connections at once (param_routing_rules.cpp).
  void routeEnvelopeGateRows(bool withGateSource, int firstVoice, int lastVoice);
  void routeKeyboardRepeat(int firstVoice, int lastVoice);
  void routeVcoKeyboard(int vco, float plain, int firstVoice, int lastVoice);
  void routeMixerRow(int index, float plain, int firstVoice, int lastVoice);
  // Audio thread: rows 64, 66 and 67 of one context from the keyboard settings now.
  static void applyEnvelopeGateRows(PatchVoice& voice, const EngineCommand& command);

  // --- Held keys (quorvane_vst_keys.cpp; the MIDI note handling fills these in) ---
  // Releases every key as the host's suspend requires. Host thread, processing stopped.
  void releaseAllKeys();
  // Forgets which key each voice context plays (a new rate). Host thread, processing stopped.
  void clearVoiceKeys();
  // True while any key is held. Audio thread.
  bool anyKeyHeld() const;
  // Takes the latched interval from the keys now held. Any thread.
  void captureLatchInterval();

  const BuildIdentity& identity_;
  // Members are built in this order: the engine's contexts and shared modules empty first.
  VoiceEngine engine_;
  NoteTable noteTable_;
  MidiMap midiMap_;
  MidiMapHolder midiMaps_{midiMap_};
  std::array<std::atomic<float>, kParamRecordCount> paramValues_{};
  std::atomic<bool> hostHoldsEffect_{false};
  std::string dataFolder_;
  std::string patchName_;
};
