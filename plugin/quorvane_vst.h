// The plug-in object: the frame's AudioEffectX plus everything one instance owns. It holds
// the engine (nine voice contexts, the shared modules and the block process), the parameter
// values (plain values, one per parameter index), the plug-in's own settings that
// parameters write, the note table, the MIDI controller map with its list of map files, and
// the identity of the build it presents to the host.
//
// Threads: construction and destruction run on the host's thread that calls the entry
// point and closes the effect, while no audio is processed. processReplacing runs on the
// audio thread. setParameter and the other parameter calls may come from any thread (host
// automation, chunk restore, the editor's GUI thread); they write single atomic words. The
// patch calls (changePatch, getChunk, setChunk, the lock and save buttons) come from any
// thread but the audio thread and serialise among themselves; MIDI and notes belong to the
// audio thread, and other threads hand their notes to it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/voice_engine.h"
#include "library/patch.h"
#include "params/param_flags.h"
#include "params/param_table.h"
#include "plugin/audioeffectx.h"
#include "plugin/build_identity.h"
#include "plugin/midi_event_ring.h"
#include "plugin/midi_map.h"
#include "plugin/midi_map_files.h"
#include "plugin/note_table.h"
#include "plugin/program_change_hold.h"
#include "plugin/published_keys.h"

class PatchLibrary;

// Which record a patch change loads.
enum ChangeSource : int32_t {
  kChangeLibraryPatch = 0,  // the library's current patch
  kChangeResetPatch = 1,    // the library's reset patch
  kChangeSessionPatch = 2,  // the library's session patch (the chunk)
};

// Longest data-folder path the plug-in accepts (the Windows path limit less the file names
// the library appends inside it).
inline constexpr std::size_t kMaxDataFolderLength = 200;

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
  class PatchWork;  // an entry point's hold on the patch state, off the audio thread

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

  // --- Patches (quorvane_vst_patch.cpp, quorvane_vst_chunk.cpp) ---

  // Loads the library's current, reset or session patch. The output fades out first when
  // wait is true and audio runs; the change is applied once the output is silent (at most
  // about 5 s later). A change that finds another one being applied waits for it, so
  // neither is lost. Any thread but the audio thread.
  void changePatch(ChangeSource source, bool wait);
  // Writes the engine's state (parameters, cords, beat settings, the patch sources of the
  // MIDI map) into out, whose parameter list is rebuilt from scratch. Any thread but the
  // audio thread.
  void collectPatch(Patch& out);
  // Sets or clears the current library patch's lock and writes the patch when that changed.
  // False when there is no current patch or the file could not be written. GUI thread.
  bool lockPatch();
  bool unlockPatch();
  // Stores the engine's state in the current library patch and writes it. Refused (false)
  // when the engine does not hold that patch (the last change loaded the reset or session
  // patch), when the patch is locked, or when the file could not be written. GUI thread.
  bool savePatch();
  // The session patch as patch text; the text stays valid until the next call. During a
  // patch change the state before it is handed out. Any thread but the audio thread.
  int32_t getChunk(void** data, bool isPreset) override;
  // Loads the host's bytes as the session patch at once. Bytes that hold no patch text leave
  // the plug-in as it was. Any thread but the audio thread. Returns 0.
  int32_t setChunk(void* data, int32_t byteSize, bool isPreset) override;
  // Periodic work off the audio thread: finishes a program change the audio thread started,
  // takes up the library selection it asked for and frees retired records. The host's idle
  // calls reach it through the dispatcher; changePatch, getChunk and setChunk finish what
  // the audio thread's change left as well.
  void idleWork();
  // The patch library; null when it could not be had (the plug-in is then silent). The
  // pointer itself is fixed after start-up (any thread); what it points to is read and
  // changed only under the patch lock (PatchHold).
  PatchLibrary* library() { return library_.get(); }
  // The current patch's notes as last applied. Any thread (textMutex_).
  std::string currentPatchNotes() const;

  // The patch lock, the hold every patch change, getChunk and setChunk take: while one
  // lives, its thread alone reads and changes the patch library and the patch-change state.
  // Taking it waits for another holder and for a program change the audio thread is
  // applying in that moment (one block at most). Any thread but the audio thread.
  class PatchHold {
   public:
    explicit PatchHold(Quorvane_VST& plugin);
    ~PatchHold();
    PatchHold(const PatchHold&) = delete;
    PatchHold& operator=(const PatchHold&) = delete;
    PatchLibrary* library() const { return plugin_.library(); }
    // The patch the engine holds left the library: Save then goes through Save As instead
    // of storing the sound over the patch now current.
    void markEngineOutsideLibrary();
    // Save As: stores the engine's state in `target` (a patch of the library, which the
    // caller has just made current) and writes its file. From then on the engine holds that
    // patch: the last change counts as a library change, so Save writes it again, and the
    // chunk carries its texts. False when the file could not be written (the record keeps
    // the state and its dirty mark, for the next synchronisation).
    bool storeEngine(Patch& target);

   private:
    Quorvane_VST& plugin_;
    std::unique_ptr<PatchWork> work_;
  };

  // --- MIDI and notes (quorvane_vst_midi.cpp, quorvane_vst_keys.cpp) ---

  // Audio thread (or the host's processing thread): queues the host's MIDI events for the
  // block that follows. Returns 1.
  int32_t processEvents(VstEvents* events) override;
  // Audio thread: plays every queued event due at frame sampleIndex of the block; returns the
  // frame at which the next queued event is due (the block's last frame when none is queued).
  int dispatchMidiEvents(int sampleIndex);
  // Audio thread: the two note handlers (velocity 0 is a note-off).
  void duoKeyboardNote(int key, int velocity);
  void polyVoiceNote(int key, int velocity);
  // A note from the on-panel keyboard (velocity 64 down, 0 up). GUI thread: played by the
  // audio thread at its next sample (at once while processing is off).
  void playNote(int key, int velocity);
  // Receive handlers, audio thread; channel 0..15. deltaFrames is not used.
  virtual void receiveController(int channel, int controller, int value, int deltaFrames);
  virtual void receivePitchBend(int channel, int lsb, int msb, int deltaFrames);
  virtual void receiveChannelPressure(int channel, int value, int deltaFrames);
  virtual void receiveProgramChange(int channel, int program);
  virtual void receivePolyPressure(int channel, int key, int value, int deltaFrames);
  // Bank selects and program changes wait here while the patch manager is open. Any thread.
  ProgramChangeHold& programChangeHold() { return programHold_; }
  // Audio thread, at a block's start: plays what the hold kept once it is lifted.
  void playHeldProgramChange();
  // Source appliers (audio thread): every map entry with the source sets its parameter.
  void applyModWheelMaps(int value);
  void applyAftertouchMaps(int value);
  void applyPolyPressureMaps(int key, int value);
  void applyVelocityMaps(int key, int velocity);
  void applyVoiceVelocityMaps(int key, int velocity, int voice);
  // The dispatch stores the last controller (0xE000 + low byte for pitch bend) here. Any thread.
  float midiLearnWord() const { return engine_.displayValue(kDisplayLearnWord); }
  // Events dropped because the ring was full. Any thread.
  uint32_t droppedMidiEvents() const { return midiRing_.dropped(); }

  // The held keys and the voice keys as published at the end of the last block (or by the
  // host's thread while no audio runs). Any thread.
  KeySnapshot keySnapshot() const { return publishedKeys_.read(); }
  // The note state itself. Audio thread, or while no audio runs.
  int noteHeld(int key) const { return validKey(key) ? noteHeld_[key] : 0; }
  int noteVelocity(int key) const { return validKey(key) ? noteVelocity_[key] : 0; }
  int voiceKey(int voice) const { return voice >= 0 && voice < kVoiceContextCount ? voiceKey_[voice] : -1; }
  int lastUpperKey() const { return lastUpperKey_; }
  int lastLowerKey() const { return lastLowerKey_; }
  int latchInterval() const { return latchInterval_.load(std::memory_order_relaxed); }

  // Normalised 0..1 (clamped; not a number is ignored) -> plain value, stored and routed.
  // Indexes outside 1..178 are ignored. Any thread.
  void setParameter(int32_t index, float value) override;
  // The stored value normalised to 0..1; 0 outside 1..178. Any thread.
  float getParameter(int32_t index) override;
  // Texts for the host. Names are at most 51 characters, labels and displays at most
  // kVstMaxParamStrLen (8); each is followed by a terminating zero. Empty outside 1..178.
  // Any thread (constant texts and one atomic value).
  void getParameterName(int32_t index, char* text) override;
  void getParameterLabel(int32_t index, char* text) override;
  void getParameterDisplay(int32_t index, char* text) override;
  // The current patch's name, at most 23 characters and the terminating zero. Any thread
  // (textMutex_), not the audio thread.
  void getProgramName(char* name) override;

  // The build's identity texts. Any thread.
  bool getEffectName(char* name) override;
  bool getVendorString(char* text) override;
  bool getProductString(char* text) override;
  int32_t getVendorVersion() override;
  // 1 for "receiveVstEvents" and "receiveVstMidiEvent", -1 for anything else. Any thread.
  int32_t canDo(char* text) override;

  // Sets a parameter from its plain value through the virtual setParameter (the editor is
  // told, the host is not). Used by MIDI control and the panel. Any thread.
  void setParameterReal(int32_t index, float plain);
  // The same, and the host is told of the change, except while the object is being
  // constructed (the host does not hold it yet) and for indexes the host does not address
  // (178 and above). Used when a patch is applied. Any thread: the host hears of it on the
  // thread that applies the patch (the audio thread for a program change).
  void setParameterRealAutomated(int32_t index, float plain);

  // The stored plain value of parameter 0..178; 0 for any other index. Any thread.
  float paramValue(int index) const;
  // Any thread; fixed for the object's life.
  const BuildIdentity& identity() const { return identity_; }
  // True from the end of start-up to the start of teardown. Any thread.
  bool isReady() const { return engine_.ready(); }
  // The name the host sees as the program name. Where a patch is applied, under the patch
  // lock, never the audio thread (textMutex_ keeps the host's reads whole).
  void setCurrentPatchName(const char* name);
  // The data folder. Any thread; fixed after start-up.
  const std::string& dataFolder() const { return dataFolder_; }

  // The engine. Any thread may hold the reference; each of its calls names its own thread
  // (voice_engine.h).
  VoiceEngine& engine() { return engine_; }
  // The tuning table: keyCv on any thread, loading on the GUI thread (note_table.h).
  NoteTable& noteTable() { return noteTable_; }
  // The MIDI controller map: lookups and a program change's merge on the audio thread, edits
  // on any other (midi_map.h).
  MidiMap& midiMap() { return midiMap_; }
  // The map-file list, the current map's name and index (GUI thread and start-up).
  MidiMapHolder& midiMaps() { return midiMaps_; }

  // Single words: written by any thread that sets parameters, read by the audio thread.
  PluginSettings settings;

  // Applies a parameter's plain value to the voice contexts firstVoice..lastVoice (per-voice
  // modules and connections) and to the shared modules through context 0; cords go to all
  // nine contexts at one sample boundary whatever the range. The plug-in's and the engine's
  // single-word settings (bypass, voice count, beat sync, ...) are setParameter's to write.
  // Called by setParameter for all nine contexts; the MIDI velocity and pressure maps call
  // it for the one context a note plays. Any thread (param_routing.cpp).
  void routeToEngine(int index, float plain, int firstVoice = 0, int lastVoice = kMaxExtraVoices);

 protected:
  // The editor's idle also does the plug-in's idle work.
  intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) override;
  // Only the editor subclass is ever created (entry point); it calls finishConstruction.
  Quorvane_VST(audioMasterCallback audioMaster, const BuildIdentity& identity);
  // From now on automated parameter changes are reported to the host.
  void finishConstruction() { hostHoldsEffect_.store(true, std::memory_order_release); }

 private:
  void initEngine();
  // The patch library in the data folder; false (reported) when it cannot be had.
  bool openLibrary();
  // Every parameter's default taken through the road a parameter takes, so the engine and
  // the parameter values agree before the first patch. Start-up.
  void routeDefaults();
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

  // --- Patch change (quorvane_vst_patch.cpp) ---
  // Publishes the note state for other threads (keySnapshot). Audio thread, or while no
  // audio runs.
  void publishKeys() { publishedKeys_.publish(noteHeld_, voiceKey_); }
  // Sets the current library patch's lock and writes the patch when it changed.
  bool setCurrentPatchLock(int32_t locked);
  // Picks the record of source into the mailbox; false when there is none.
  bool takeRecord(ChangeSource source);
  // Releases held keys (unless a change is in flight), posts the fade, ramps the outputs down.
  void beginChange();
  // Waits (at most about 5 s) until the output is silent.
  void waitFadedOut();
  // Off the audio thread: keeps blocks off the engine (they output silence) and waits for a
  // block running now to end; releaseEngine lets them back.
  void holdEngine();
  void releaseEngine();
  // Applies a record: the engine part (any thread), the texts and the MIDI map (never the
  // audio thread; the audio thread merges the map through MidiMap::tryReplacePatchSources).
  // Held keys are played again after both, so they sound through the new map.
  void applyRecordToEngine(const Patch& record);
  void applyRecordTexts(const Patch& record);
  void applyRecordMidiMap(const Patch& record);
  // Finishes what the audio thread's program change left (see quorvane_vst_patch.cpp).
  void finishAudioProgramChange(PatchWork& work);
  // Audio thread, end of block: applies a program change once the output is silent.
  void applyAudioProgramChange();
  // Holds the last complete state as chunk text (called where a change completes).
  void keepCompleteChunk();

  // Routes every parameter set off the audio thread since the last call, from its stored
  // value. The audio thread at the start of a block (blockStartHook), or the host's thread
  // once processing stopped.
  void routePendingParameters();
  static void blockStartHook(void* self);
  // True while the calling thread holds a PatchWork (it applies or reads a patch).
  static bool patchWorkOnThisThread();

  // --- MIDI (quorvane_vst_midi.cpp) ---
  static int dispatchHook(void* self, int sampleIndex);
  void handleMidiEvent(const VstMidiEvent& event);
  // Applies every map entry carrying sourceBit with the seven-bit value, voice -1 for all.
  void applySourceMaps(uint32_t sourceBit, int value, int voice, bool fastRamp);
  // A note from any thread: played at once on the audio thread, else handed to it.
  void noteFromAnyThread(int key, int velocity);
  static void applyPostedNote(PatchVoice& voice, const EngineCommand& command);

  // --- Held keys (quorvane_vst_keys.cpp) ---
  static bool validKey(int key) { return key >= 0 && key < 128; }
  // The note through the handler of the mode in use. Audio thread.
  void noteToHandler(int key, int velocity);
  // Releases every voice context above the voice count (the count was lowered). Audio thread.
  void releaseVoicesAbove(int count);
  // Releases the contexts a lowered voice count took away. Audio thread.
  void followVoiceCount();
  // Releases the held keys for a patch change and keeps their velocities; plays them again
  // after it. Audio thread (posted there by the changing thread).
  static void releaseKeysForChange(PatchVoice& voice, const EngineCommand& command);
  static void retriggerKeys(PatchVoice& voice, const EngineCommand& command);
  // Runs fn on the audio thread with this plug-in (at once there or while idle).
  void runOnAudioThread(EngineApplyFn fn, int32_t a = 0);

  // Releases every key as the host's suspend requires. Host thread, processing stopped.
  void releaseAllKeys();
  // Its audio-thread body: every key off through the active note handler, the per-key
  // tables cleared. Also what the MIDI channel-mode messages All Notes Off and All Sound Off
  // do, so a host's panic or transport stop never leaves a note hanging.
  void releaseEveryKey();
  // Forgets which key each voice context plays (a new rate). Host thread, processing stopped.
  void clearVoiceKeys();
  // True while any key is held. Audio thread.
  bool anyKeyHeld() const;
  // Takes the latched interval from the keys now held. Any thread.
  void captureLatchInterval();
  static void applyLatchCapture(PatchVoice& voice, const EngineCommand& command);

  const BuildIdentity& identity_;
  // Members are built in this order: the engine's contexts and shared modules empty first.
  VoiceEngine engine_;
  NoteTable noteTable_;
  MidiMap midiMap_;
  MidiMapHolder midiMaps_{midiMap_};
  std::array<std::atomic<float>, kParamRecordCount> paramValues_{};
  ParamFlags pendingRoutes_;  // set off the audio thread while audio runs, not yet routed
  std::atomic<bool> hostHoldsEffect_{false};
  std::string dataFolder_;
  std::unique_ptr<PatchLibrary> library_;

  // Patch change. Off the audio thread every entry point serialises on patchMutex_ (the
  // audio thread never takes it); changeState_ is the word the audio thread shares.
  std::mutex patchMutex_;
  std::atomic<uint32_t> changeState_{0};
  ProgramChangeHold programHold_;
  std::atomic<bool> inBlock_{false};  // the audio thread is inside a block (see holdEngine)
  Patch mailbox_;                    // a copy of the record being applied (patchMutex_)
  std::atomic<const Patch*> audioRecord_{nullptr};  // the library's held record of a program change
  std::atomic<bool> audioRunning_{false};  // between the host's resume and suspend
  int32_t lastChangeSource_ = kChangeLibraryPatch;  // what the engine holds (patchMutex_)
  mutable std::mutex textMutex_;     // the current patch's texts and the kept chunk
  std::string patchName_, patchNotes_, patchAuthor_, patchDate_;
  std::string completeChunk_;        // text of the last complete state
  std::vector<char> chunkBuffer_;    // the text last handed to the host (textMutex_)

  // MIDI. The ring and the note state belong to the audio thread.
  MidiEventRing midiRing_;
  std::atomic<int32_t> blockFrames_{0};  // frames of the block being processed
  int32_t noteHeld_[128] = {};
  int32_t noteVelocity_[128] = {};
  int32_t retriggerVelocity_[128] = {};
  int32_t lastUpperKey_ = -1;
  int32_t lastLowerKey_ = -1;
  std::atomic<int32_t> latchInterval_{0};
  int32_t voiceKey_[kVoiceContextCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
  int32_t lastVoice_ = 0;
  int32_t voicesInUse_ = 0;  // the voice count the note state was made for
  PublishedKeys publishedKeys_;
};

static_assert(kPublishedVoices == kVoiceContextCount, "every voice context's key is published");
