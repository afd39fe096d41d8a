// The engine's block process: nine voice contexts and the shared modules turned into the
// stereo output, one host block at a time, with the output stage, the level meters, the
// fade around patch changes, the MIDI light and the hand-over of cord changes.
//
// Threads: processBlock runs on the host's audio thread. Settings (voice count, bypass,
// beat sync, ...) are single words any thread may write; the editor reads the display
// values from any thread. Cord requests and patch-change posts may come from any thread.
// Build-time functions run before processing starts (ready clear).
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "engine/kernels/engine_random.h"
#include "engine/kernels/shared_sources.h"
#include "engine/output_stage.h"
#include "engine/patch_fade.h"
#include "engine/patch_voice.h"
#include "engine/spsc_queue.h"
#include "engine/voice_lanes.h"
#include "params/display_values.h"

namespace qv {
struct AudioInput;
struct InternalClock;
struct KeyboardLfo;
struct PanControl;
}  // namespace qv
struct FloatHolder;

inline constexpr int kVoiceContextCount = 9;  // context 0 and eight extra voices
inline constexpr int kMaxExtraVoices = kVoiceContextCount - 1;

// How long the MIDI light and the learn word stay up after the last event.
inline constexpr double kMidiLightHoldSeconds = 0.2;
// Host rates below this, or above kMaxSampleRate, are refused (the last good rate stays).
inline constexpr float kMinHostSampleRate = 1000.0f;

// Dispatches every queued MIDI event due at frame sampleIndex of the current block and
// returns the frame of the block at which it is next needed (the next event's). The plug-in
// installs it; called on the audio thread at frame 0 of every block, at the frames it asks
// for and at every frame at which the voice count differs from the one at its last call,
// also while bypassed or not ready so the plug-in's event ring keeps draining. Frames
// between, where nothing is due, cost no call.
using MidiDispatchFn = int (*)(void* context, int sampleIndex);

// Takes up the changes the plug-in kept for the audio thread (its parameters set from other
// threads). The plug-in installs it; called on the audio thread at the start of every block
// that holds the voices, after the cords and commands that waited then are taken up.
using BlockStartFn = void (*)(void* context);

class VoiceEngine {
 public:
  // Rate 44100 (DC blocker included), fade at rest, display values cleared (block frames
  // 512). Not ready, not processing, no voices built.
  VoiceEngine();
  ~VoiceEngine() = default;
  VoiceEngine(const VoiceEngine&) = delete;
  VoiceEngine& operator=(const VoiceEngine&) = delete;

  // --- Build time (before ready) ---

  // Builds the nine voice contexts at the host rate (a refused rate leaves the engine's
  // current one), context 0 first, which creates the shared modules, and draws the noise and
  // every filter's dither from the engine's one random generator. Once, on the initialising
  // thread, before ready. False when a context could not be built.
  bool build(float hostRate);

  // Voice context index 0..8 (the build fills them) and the modules they share.
  PatchVoice& voice(int index) { return voices_[index]; }
  SharedModules& shared() { return shared_; }
  // Installs the MIDI dispatch.
  void setMidiDispatch(MidiDispatchFn dispatch, void* context);
  // Installs the block-start work.
  void setBlockStart(BlockStartFn start, void* context);

  // --- Any thread ---

  // Set as the last step of initialisation, on the initialising thread (the shared modules
  // are looked up then); the block process renders nothing before. Cleared before teardown.
  void setReady(bool ready);
  bool ready() const { return ready_.load(std::memory_order_acquire); }
  // The host's resume (true) and suspend (false). While processing is off, cord requests
  // and patch changes take effect at once.
  void setProcessing(bool on);
  bool processing() const { return processing_.load(std::memory_order_acquire); }
  // "Master Bypass": true while bypassed.
  void setBypassed(bool bypassed) { bypassed_.store(bypassed, std::memory_order_release); }
  bool bypassed() const { return bypassed_.load(std::memory_order_acquire); }
  // Extra voices 0..8 (clamped).
  void setVoiceCount(int count);
  int voiceCount() const { return voiceCount_.load(std::memory_order_relaxed); }

  // Beat sync: on/off, scales (24 / pulses per beat) and offsets in periods.
  void setClockSync(bool on) { clockSync_.store(on, std::memory_order_relaxed); }
  void setLfoSync(bool on) { lfoSync_.store(on, std::memory_order_relaxed); }
  void setClockScale(float scale) { clockScale_.store(scale, std::memory_order_relaxed); }
  void setLfoScale(float scale) { lfoScale_.store(scale, std::memory_order_relaxed); }
  void setClockOffset(float offset) { clockOffset_.store(offset, std::memory_order_relaxed); }
  void setLfoOffset(float offset) { lfoOffset_.store(offset, std::memory_order_relaxed); }
  bool clockSync() const { return clockSync_.load(std::memory_order_relaxed); }
  bool lfoSync() const { return lfoSync_.load(std::memory_order_relaxed); }
  float clockScale() const { return clockScale_.load(std::memory_order_relaxed); }
  float lfoScale() const { return lfoScale_.load(std::memory_order_relaxed); }
  float clockOffset() const { return clockOffset_.load(std::memory_order_relaxed); }
  float lfoOffset() const { return lfoOffset_.load(std::memory_order_relaxed); }

  // The host's rate. Refused (false, nothing changed) unless finite and within
  // kMinHostSampleRate..kMaxSampleRate; an accepted rate reaches every voice (whole hertz), the
  // DC blocker and the fade. Host thread, while no block runs.
  bool setSampleRate(float hostRate);
  float sampleRate() const { return sampleRate_.load(std::memory_order_relaxed); }

  // Display value 0..5 (kDisplay...); 0 for other indexes.
  float displayValue(int index) const;

  // The MIDI dispatch heard an event: the light stays up for kMidiLightHoldSeconds.
  void lightMidi();
  // The MIDI dispatch stores the learn word; it clears with the light.
  void setLearnWord(std::int32_t word) { learnWord_.store(word, std::memory_order_relaxed); }

  // Patch-change fade. post: pending with gain 1 (faded-out cleared; raised at once while
  // bypassed, not ready or not processing, since no block would fade). fadedOut: the
  // output has reached silence and the patch may be applied. finish: pending and faded-out
  // cleared, the output fades back in.
  void postPatchChange();
  bool fadedOut() const;
  void finishPatchChange();
  bool patchChangePending() const;
  float fadeGain() const;

  // Re-points the cord at jack own to jack peer (0: removes it) in all nine voice contexts
  // at one frame boundary: at once on the audio thread or while processing is off, else
  // queued and taken up at the start of the next block, in the order posted. False when the
  // queue is full (nothing changed; counted by handOverOverflows).
  bool requestCord(std::uint32_t own, std::uint32_t peer);

  // Requests refused because a hand-over queue was full: cords here and commands of every
  // voice context. Any thread.
  std::uint64_t handOverOverflows() const;

  // While processing is off and no block runs: takes up every change handed to the voices
  // (cords and commands) at once, so settings made while the host has the plug-in suspended
  // never fill a queue. Does nothing while processing is on. Any thread but the audio thread.
  void settleWhileIdle();

  // The Envelope Trigger button, voice context 0: pressed starts the attack of the AR, then
  // of the ADSR, then re-triggers each (AR first); released starts both releases. GUI thread
  // (the changes reach the audio thread through the voice's hand-over).
  void triggerEnvelopes(bool pressed);
  // The Portamento Trigger button: portamento of both keyboard CVs of all nine contexts is
  // on while the button is held. Context 0's lower CV tells the current state. GUI thread.
  void setPortamento(bool pressed);

  // --- Audio thread ---

  // One host block. in1/in2 may be null (skipped) or the same buffers as out1/out2; both
  // outputs are required. ppq: the host's musical position in quarter notes, null when the
  // host gave none.
  void processBlock(const float* in1, const float* in2, float* out1, float* out2, int frames,
                    const double* ppq);

 private:
  struct CordRequest {
    std::uint32_t own = 0;
    std::uint32_t peer = 0;
  };
  static constexpr std::size_t kCordQueueCapacity = 2048;

  void lookUpSharedModules();
  void applyCord(std::uint32_t own, std::uint32_t peer);
  // Takes up at most `limit` queued cords, oldest first.
  void drainCords(std::size_t limit);
  // The cords and commands waiting now, and no more: a thread that keeps posting while the
  // block runs cannot keep the audio thread in it.
  void takeUpWaitingChanges();
  void renderFrames(const float* in1, const float* in2, float* out1, float* out2, int frames);
  void renderSilence(float* out1, float* out2, int frames, bool ownsVoices);
  void stepSharedModules();
  void applyBeatSync(double ppq);
  void advanceFade(float* out1, float* out2, int frames);
  void updateFade(PatchFadeState (*change)(PatchFadeState));
  void raiseFadedOutIfPending();
  void setRampRates(float rate);
  void advanceMidiLight(int frames);
  // When the MIDI dispatch is next called in the current block.
  struct MidiDue {
    int frame = 0;        // the frame it asked for
    int voiceCount = -1;  // the voice count it last saw
  };
  void dispatchMidi(int sampleIndex, MidiDue& due);

  qv::EngineRandom random_;  // the noise's and the filters' generator; audio thread once built
  SharedModules shared_;  // destroyed after the voices that wrap it
  // The voices' own connection gains, one column per voice (see PatchVoice::useGainColumn),
  // plus room for a load of four past the last row.
  static constexpr int kGainRows = 128;
  float gainColumns_[kGainRows * kVoiceContextCount + 4] = {};
  // Their memos and last control sums, one column per voice alike.
  float memoColumns_[kMaxVoiceModules * kVoiceContextCount + 4] = {};
  float lastControlColumns_[kMaxVoiceModules * kVoiceContextCount + 4] = {};
  PatchVoice voices_[kVoiceContextCount];
  VoiceLanes lanes_;  // evaluates the sounding contexts; audio thread
  static_assert(kVoiceContextCount <= kMaxLaneVoices);
  static_assert(kVoiceContextCount == kSideBySideVoices, "the voices' columns have the stride the evaluation is compiled for");

  // Looked up from shared_ when the engine becomes ready; null when absent.
  qv::PanControl* pan_ = nullptr;
  qv::AudioInput* audioIn1_ = nullptr;
  qv::AudioInput* audioIn2_ = nullptr;
  FloatHolder* leftBus_ = nullptr;
  FloatHolder* rightBus_ = nullptr;
  qv::ClockModule* clock_ = nullptr;
  qv::LfoModule* keyboardLfo_ = nullptr;
  struct SharedTick {
    ModuleTickFn tick = nullptr;
    void* dsp = nullptr;
  };
  SharedTick noiseTick_;
  qv::ReverbModule* reverb_ = nullptr;

  MidiDispatchFn midiDispatch_ = nullptr;
  void* midiContext_ = nullptr;
  BlockStartFn blockStart_ = nullptr;
  void* blockStartContext_ = nullptr;

  std::atomic<int> voiceCount_{0};
  std::atomic<bool> bypassed_{false};
  std::atomic<bool> ready_{false};
  std::atomic<bool> processing_{false};
  std::atomic<bool> clockSync_{false};
  std::atomic<bool> lfoSync_{false};
  std::atomic<float> clockScale_{1.0f};
  std::atomic<float> lfoScale_{1.0f};
  std::atomic<float> clockOffset_{0.0f};
  std::atomic<float> lfoOffset_{0.0f};
  std::atomic<float> sampleRate_{44100.0f};

  DcBlocker dcBlocker_;  // audio thread; takes its coefficient from dcCoefficient_ per block
  std::atomic<float> dcCoefficient_{0.0f};  // R for the current rate
  float meters_[2] = {};  // audio thread's copies of the meters

  std::atomic<float> display_[kDisplayValueCount];
  std::atomic<std::int32_t> learnWord_{0};
  std::atomic<std::int32_t> midiLightHold_{0};  // frames the light stays up

  std::atomic<std::uint64_t> fade_;

  // Who may touch the voices now: nobody, the audio thread inside a block, or a thread
  // applying a cord directly while processing is off. Never waited for.
  enum Owner : int { kOwnerNone = 0, kOwnerAudio = 1, kOwnerDirect = 2 };
  std::atomic<int> owner_{kOwnerNone};

  SpscQueue<CordRequest, kCordQueueCapacity> cords_;
  std::mutex cordProducerMutex_;  // serialises non-audio producers only
  std::atomic<std::uint64_t> cordOverflows_{0};
};
