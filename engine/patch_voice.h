// A voice context: one voice's copy of the module graph, evaluated one sample at a time.
//
// Timing contract: each sample the block process calls prepareVoiceSample, then
// processVoiceSample, on the audio thread. processVoiceSample takes up the changes other
// threads posted (within the engine's block process those wait for the start of the next
// block), advances the gain ramps, then pulls the value of the OUTPUT module's first audio
// input through the graph: every module is evaluated at most once per sample,
// and a feedback loop reads last sample's value of the non-generator module that closes it.
// Nothing per sample allocates, locks or waits.
//
// Threads: build-time functions (newModule, newModuleOver, wrapSharedModule, newInput,
// newOutput, bindModule) run before audio processing starts, on the thread that builds the
// plug-in. setSampleRate runs while audio processing is off (the host changes rates while the
// plug-in is suspended). rampTo, rampWithStep and postCommand may be called from any
// thread. Everything else is audio thread only.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>

#include "engine/engine_command.h"
#include "engine/module_types.h"
#include "engine/patch_module.h"
#include "engine/sample_rate.h"
#include "engine/spsc_queue.h"
#include "engine/voice_schedule.h"

// Limits of one voice.
inline constexpr int kMaxVoiceModules = 100;
inline constexpr int kNormalledRowCount = 69;
inline constexpr std::size_t kVoiceCommandCapacity = 1024;

// Ramp rates: a ramp covers any distance in 4000 samples normally, in 40 while a patch
// change has the output faded out (step = distance x rampRate / sample rate).
inline float normalRampRate(int sampleRate) { return static_cast<float>(sampleRate) / 4000.0f; }
inline float fadedRampRate(int sampleRate) { return static_cast<float>(sampleRate) / 40.0f; }

struct PatchVoice;

// Takes up command kinds other than Ramp on the audio thread (cord changes, resets, notes).
using VoiceCommandHandlerFn = void (*)(PatchVoice& voice, const EngineCommand& command, void* context);

// The twelve modules all voices share. The first build creates them; later builds wrap
// them. Owns each record and its DSP object, and carries the rate they run at.
struct SharedModules {
  PatchModule* noise = nullptr;
  PatchModule* clock = nullptr;
  PatchModule* audioIn1 = nullptr;
  PatchModule* audioIn2 = nullptr;
  PatchModule* pan = nullptr;
  PatchModule* keyboardLfo = nullptr;
  PatchModule* reverb = nullptr;
  PatchModule* plus10Volts = nullptr;
  PatchModule* minus10Volts = nullptr;
  PatchModule* zeroVolts = nullptr;
  PatchModule* leftInput = nullptr;
  PatchModule* rightInput = nullptr;

  // rate: whole hertz; an unusable one (see isUsableSampleRate) gives kDefaultSampleRate.
  explicit SharedModules(int rate = kDefaultSampleRate);
  // Teardown, after every voice that wraps these modules is gone.
  ~SharedModules();
  SharedModules(const SharedModules&) = delete;
  SharedModules& operator=(const SharedModules&) = delete;

  // Creates a shared record and its DSP object (through the type's create, with the
  // building voice's rate and the voice itself, whose ramp list moves the object's embedded
  // gains). The record is not placed in any slot; the caller stores it. Build time only.
  static PatchModule* create(const char* name, ModuleType type, PatchVoice& buildingVoice, int argument = 0);

  // Stores a new rate and hands it to every shared object's set-sample-rate function. A
  // rate that is not usable is refused (false) and the last good rate kept. While audio
  // processing is off.
  bool setSampleRate(int rate);
  int sampleRate() const { return sampleRate_; }

 private:
  std::array<PatchModule*, 12> records() const;

  int sampleRate_;
};

// The voices an engine builds side by side: the stride of its columns (useGainColumn,
// useMemoColumns), for which the evaluation is compiled.
inline constexpr int kSideBySideVoices = 9;

// Per-module floats of a voice (its memo and last control sums): the voice's own array, or
// a column of a block that voices built alike share side by side (useMemoColumns). With
// kStride > 0 the stride is known when compiled (the evaluation is compiled for each).
template <int kStride>
struct StridedFloats {
  float* base = nullptr;
  std::int32_t stride = 1;
  float& operator[](int module) const {
    return base[static_cast<std::ptrdiff_t>(module) * (kStride > 0 ? kStride : stride)];
  }
};
using VoiceFloats = StridedFloats<0>;

struct PatchVoice {
  // 0 until built; normalRampRate(rate) after the build; fadedRampRate(rate) while a patch
  // change has the output faded out. Written and read on the audio thread (and by the build
  // and setSampleRate).
  std::atomic<float> rampRate{0.0f};

  // The module records by role (module indexes 0..43 in this order after the build).
  PatchModule* output = nullptr;
  PatchModule* vco1 = nullptr;
  PatchModule* vco2 = nullptr;
  PatchModule* vco2Pw = nullptr;
  PatchModule* vco3 = nullptr;
  PatchModule* adsr1 = nullptr;
  PatchModule* ar1 = nullptr;
  PatchModule* adsrTrigger1 = nullptr;
  PatchModule* arTrigger1 = nullptr;
  PatchModule* vcf1 = nullptr;
  PatchModule* vca1 = nullptr;
  PatchModule* vca1Expl = nullptr;
  PatchModule* ringModulator = nullptr;
  PatchModule* ringModulatorInA = nullptr;
  PatchModule* ringModulatorInB = nullptr;
  PatchModule* mixer1 = nullptr;
  PatchModule* insert1 = nullptr;
  PatchModule* insert2 = nullptr;
  PatchModule* multiple1 = nullptr;
  PatchModule* switchA = nullptr;
  PatchModule* switchB = nullptr;
  PatchModule* switchC = nullptr;
  PatchModule* envelopeFollower1 = nullptr;
  PatchModule* keyboardLowerCv = nullptr;
  PatchModule* keyboardUpperCv = nullptr;
  PatchModule* keyboardGate = nullptr;
  PatchModule* envelopeGate = nullptr;
  PatchModule* keyboardTrigger = nullptr;
  PatchModule* inverter1 = nullptr;
  PatchModule* inverter2 = nullptr;
  PatchModule* lagProcessor = nullptr;
  PatchModule* sampleAndHold = nullptr;
  PatchModule* keyboardLfo = nullptr;
  PatchModule* plus10Volts = nullptr;
  PatchModule* minus10Volts = nullptr;
  PatchModule* zeroVolts = nullptr;
  PatchModule* audioIn1 = nullptr;
  PatchModule* audioIn2 = nullptr;
  PatchModule* panControl1 = nullptr;
  PatchModule* noiseGenerator = nullptr;
  PatchModule* internalClock1 = nullptr;
  PatchModule* reverb1 = nullptr;
  PatchModule* leftInput = nullptr;
  PatchModule* rightInput = nullptr;

  // The normalled connections by row number 1..69 (entry 0 unused), filled by the build.
  PatchInput* normalRows[kNormalledRowCount + 1] = {};

  std::int32_t insert1Patched = 0;
  std::int32_t insert2Patched = 0;

  // Per-module tables, indexed by module index.
  ModuleType types[kMaxVoiceModules] = {};
  std::uint8_t isGenerator[kMaxVoiceModules] = {};
  std::uint8_t computed[kMaxVoiceModules] = {};
  std::uint8_t visiting[kMaxVoiceModules] = {};
  VoiceFloats cache{ownCache_, 1};
  VoiceFloats lastControl{ownLastControl_, 1};
  PatchModule* modules[kMaxVoiceModules] = {};
  void* dsps[kMaxVoiceModules] = {};
  ModuleSetControlFn setControlFns[kMaxVoiceModules] = {};
  ModuleProcessFn processFns[kMaxVoiceModules] = {};
  ModuleOutputFn outputFns[kMaxVoiceModules] = {};
  ModuleTickFn tickFns[kMaxVoiceModules] = {};
  ModuleAccumulateFn accumulateFns[kMaxVoiceModules] = {};
  // Only for records whose object this voice made (not records over another record's
  // object, not shared wrappers), so each object hears of a rate change once.
  ModuleSetSampleRateFn setSampleRateFns[kMaxVoiceModules] = {};

  std::int32_t moduleCount = 0;     // all records
  std::int32_t ownModuleCount = 0;  // records created before the shared wrappers (set by the build)

  // Intrusive singly linked lists, newest first.
  PatchInput* rampList = nullptr;
  PatchInput* inputList = nullptr;
  PatchOutput* outputJacks = nullptr;

  // rate: whole hertz; an unusable one (see isUsableSampleRate) gives kDefaultSampleRate.
  explicit PatchVoice(int rate = kDefaultSampleRate);
  // Frees the voice's connections, output jacks, every record it created and the DSP
  // objects it created; never a shared DSP object. Teardown, after audio has stopped.
  ~PatchVoice();
  PatchVoice(const PatchVoice&) = delete;
  PatchVoice& operator=(const PatchVoice&) = delete;

  // --- Build time ---

  // A new module record with its own DSP object, made by the type's create with the voice's
  // sample rate; functions and generator flag from the module table. argument: the VCO's
  // number 1..3, else 0. Null when the voice already holds kMaxVoiceModules records.
  PatchModule* newModule(const char* name, ModuleType type, int argument = 0);

  // A new record of this voice over the DSP object of another record (VCO2 PW over VCO 2,
  // the trigger records over the envelopes, ...); functions by its own type. The object
  // stays owned by objectOwner's record. Null when the voice is full.
  PatchModule* newModuleOver(const char* name, ModuleType type, const PatchModule& objectOwner);

  // A new record of this voice over a shared module's object: output function and
  // generator flag by type, no set-control, process or tick (the block process ticks shared
  // modules). Null when the voice is full.
  PatchModule* wrapSharedModule(const PatchModule& shared, const char* name, ModuleType type);

  // A new connection: gain sanitised, target = gain, off when |gain| < 1e-6, step 0; put on
  // rampList (it arrives at the first ramp step) and inputList. The caller sets code and
  // source (setNormalSource) and appends it to a module. Kernels make the connections they
  // embed (knob gains) here too, so the voice ramps and frees them.
  PatchInput* newInput(float gain, std::int32_t outputIndex);

  // Where build() keeps the gains of the voice's own connections (not those of the shared
  // modules a first build creates): first[n x stride] for the n-th, up to `capacity`, then
  // in the voice's own store. Voices built alike into columns of one block side by side
  // (first = block + voice, stride = the voice count) hold the gains of one connection next
  // to each other, so voices evaluated together read them four at a time. The block must
  // outlive the voice. Before build().
  void useGainColumn(float* first, int stride, int capacity);
  // The same for the memo and the last control sums of the voice's modules: the i-th
  // module's at cacheFirst[i x stride] and lastControlFirst[i x stride], kMaxVoiceModules
  // of each. Before build().
  void useMemoColumns(float* cacheFirst, float* lastControlFirst, int stride);

  // A new output jack, pushed on outputJacks.
  PatchOutput* newOutput(std::uint32_t code, std::int32_t outputIndex, PatchModule* module);

  // Replaces a record's DSP object and per-sample functions (generator flag and
  // set-sample-rate included). An object the record made itself is freed first; the new
  // one stays its caller's. For kernels wiring objects by hand, and for tests.
  void bindModule(PatchModule& module, void* dsp, const ModuleKernel& functions);

  // --- Graph build and jack patching (voice_build.cpp, jacks.cpp) ---

  // Builds the voice's 44 module records, 69 normalled connections and 42 output jacks. The
  // first build creates the twelve shared modules into `shared`; later builds wrap them.
  // Stores the host rate (whole hertz) and sets rampRate from it. Once per voice, on the
  // thread that builds the plug-in, before audio processing starts. False when the voice
  // already holds records (a voice is built once).
  bool build(float sampleRate, SharedModules& shared);

  // Connects a cord between the jacks `own` and `peer` of this voice, or removes the cord at
  // `own` when peer is 0, the no-connection code or own itself; true when a connection was
  // made. A cord between two jacks of the Multiple or of the electronic switch connects
  // nothing; a code naming no jack connects nothing and the other end returns to its normal.
  // Re-points connections the evaluation reads, so audio thread only, between samples;
  // never allocates.
  bool connectJacks(std::uint32_t own, std::uint32_t peer);

  // Keeps a VCO's keyboard-CV gain consistent with the cord at its keyboard-CV jack and its
  // keyboard switch: full gain while a cord is connected there, 0 when the cord goes and the
  // VCO's keyboard control is off. Audio thread only.
  void updateKeyboardCvNormals(std::uint32_t own, std::uint32_t peer, bool connected);

  // --- While audio processing is off ---

  // Stores a new rate, moves rampRate to normalRampRate(rate) (or fadedRampRate(rate) while
  // the output is faded out) and hands the rate to the set-sample-rate function of every
  // object this voice made. A rate that is not usable is refused (false) and the last good
  // rate kept. Ramps already moving keep their step.
  bool setSampleRate(int rate);

  // The voice's rate in whole hertz. Any thread.
  int sampleRate() const { return sampleRate_.load(std::memory_order_relaxed); }

  // --- Any thread ---

  // Starts moving input's gain to target: step = (target - gain) x rampRate / sampleRate.
  // On the audio thread this applies at once; elsewhere it is handed over through the
  // command queue and applied at the voice's next sample (the newest request per
  // connection wins, so a burst of knob moves never overflows the queue).
  void rampTo(PatchInput* input, float target);

  // As rampTo, with the per-sample step given (the keyboard CV's portamento glide).
  void rampWithStep(PatchInput* input, float target, float step);

  // Hands a command to the audio thread: taken up at once when called on the audio thread,
  // else queued for the voice's next sample (the next block's start while the block process
  // holds commands). False when the queue is full (nothing queued; counted). Non-audio
  // callers are serialised among themselves; the audio thread never waits.
  bool postCommand(const EngineCommand& command);

  // Commands refused because the queue was full. Any thread.
  std::uint64_t commandOverflows() const { return commandOverflows_.load(std::memory_order_relaxed); }

  // Installs the taker of non-ramp commands. Before audio processing starts.
  void setCommandHandler(VoiceCommandHandlerFn handler, void* context);

  // --- Audio thread only ---

  // Takes up the commands posted from other threads that wait now, oldest first; nothing
  // while commands are held. Commands posted meanwhile wait for the next call.
  void applyCommands();

  // While held (the block process holds them after taking up what waited at the start of a
  // block), applyCommands leaves posted commands waiting.
  void holdCommands(bool held) { commandsHeld_ = held; }

  // Takes up posted commands, then one ramp step for every connection on rampList.
  void advanceRamps();

  // The value of one input connection for this sample (source value x gain), by the
  // recursive pull through the graph.
  float evaluateInput(PatchInput* input);

  // Marks the flattened evaluation order stale, so it is derived again before the next
  // sample. Called by whatever changes the graph's shape: a connection's source or output
  // index, its off flag, a module's inputs or functions, the ticked roles (vco1 .. vcf1,
  // ar1, adsr1, keyboardTrigger). The voice calls it itself for cords, ramps, commands and
  // bindModule; code that changes those fields by hand calls it too.
  void invalidateSchedule() { schedule_.valid = false; }

  // Queue fill level, for tests and diagnostics. Any thread (an estimate off the audio thread).
  std::size_t pendingCommandCount() const { return commands_.size(); }

 private:
  PatchModule* addRecord(const char* name, ModuleType type);
  void startRamp(PatchInput& input, float target, float step);
  float derivedStep(const PatchInput& input, float target) const;
  void requestRamp(PatchInput& input, float target, float step);
  void takeRampRequest(PatchInput& input);
  void handleCommand(const EngineCommand& command);

  // The straightforward recursive pull behind evaluateInput.
  float pull(PatchInput* input);

  friend void prepareVoiceSample(PatchVoice& voice);
  friend void clearVoiceMemo(PatchVoice& voice);
  friend float processVoiceSample(PatchVoice& voice);
  friend float evaluateVoiceSample(PatchVoice& voice);
  friend class VoiceLanes;

  // The gains of the voice's connections, in the order they were made (newInput). A deque
  // keeps each where it is as more are added, in blocks of consecutive gains.
  float ownCache_[kMaxVoiceModules] = {};
  float ownLastControl_[kMaxVoiceModules] = {};
  std::deque<float> gainStore_;
  float* gainColumn_ = nullptr;
  std::int32_t gainStride_ = 0;
  std::int32_t gainCapacity_ = 0;
  std::int32_t gainsInColumn_ = 0;
  bool buildingOwnInputs_ = false;  // build() is making the voice's own connections
  VoiceSchedule schedule_;
  bool memoCleared_ = false;  // no evaluation since prepareVoiceSample cleared the memo flags
  // An evaluation from the voice's list (alone or together with other voices) leaves the
  // memo flags unset: the list it ran is kept here, and the flags of the modules its steps
  // ended are set only if a pull of this sample needs them (the next sample clears them).
  const VoiceSchedule* endedPending_ = nullptr;
  bool memoDirty_ = true;  // a memo flag may be set (clearVoiceMemo has work to do)
  void settleEndedModules();
  std::atomic<int> sampleRate_;
  SpscQueue<EngineCommand, kVoiceCommandCapacity> commands_;
  std::mutex producerMutex_;               // serialises non-audio producers only
  std::atomic<bool> rampOverflow_{false};  // a ramp request found the queue full
  std::atomic<std::uint64_t> commandOverflows_{0};
  bool commandsHeld_ = false;  // audio thread
  VoiceCommandHandlerFn commandHandler_ = nullptr;
  void* commandContext_ = nullptr;
};

// A module's first audio input (what OUTPUT, the reverb send and the input buses read), or
// null. Any thread.
inline PatchInput* firstAudioInput(const PatchModule* m) {
  return (m != nullptr && m->audioCount > 0) ? m->audioInputs[0] : nullptr;
}

// The records prepareVoiceSample ticks, in this order.
inline constexpr PatchModule* PatchVoice::*kTickedRoles[] = {
    &PatchVoice::vco1, &PatchVoice::vco2, &PatchVoice::vco3, &PatchVoice::vcf1,
    &PatchVoice::ar1,  &PatchVoice::adsr1, &PatchVoice::keyboardTrigger};

// Starts a sample: clears the memo flags and ticks VCO 1, VCO 2, VCO 3, VCF 1, AR 1,
// ADSR 1 and Keyboard Trigger in that order. Audio thread, once per sample, before
// processVoiceSample.
void prepareVoiceSample(PatchVoice& voice);
// The first half of prepareVoiceSample: the memo flags cleared, no tick.
void clearVoiceMemo(PatchVoice& voice);

// Evaluates the voice for this sample and returns its output; adds its reverb send and its
// Left Input / Right Input contributions (each x 0.1) to the shared accumulators. Runs the
// flattened evaluation order (voice_schedule.h), derived again first when the graph's shape
// changed; falls back to processVoiceSampleByPull when the order does not fit or the memo
// flags were not cleared since the last evaluation. Audio thread, once per sample, after
// prepareVoiceSample.
float processVoiceSample(PatchVoice& voice);

// processVoiceSample after its ramp step: the evaluation alone (the flattened order, derived
// again first when stale, or the pull). Audio thread.
float evaluateVoiceSample(PatchVoice& voice);

// The same sample by the recursive pull alone: the reference the flattened order must equal
// bit for bit. Audio thread.
float processVoiceSampleByPull(PatchVoice& voice);
