// The block process and the engine-level hand-overs around it.
#include "engine/voice_engine.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "engine/audio_thread.h"
#include "engine/kernels/audio_input.h"
#include "engine/kernels/envelope_module.h"
#include "engine/kernels/kernel_object.h"
#include "engine/kernels/keyboard_modules.h"
#include "engine/kernels/pan_control.h"
#include "engine/kernels/vcf_module.h"
#include "engine/sample_rate.h"
#include "platform/platform.h"

static_assert(std::atomic<std::uint64_t>::is_always_lock_free, "the fade word must be lock-free");

namespace {

constexpr float kDryScale = 0.1f;

// Hands an accepted rate (whole hertz) to one voice context and its modules.
void applyRateToVoice(PatchVoice& voice, int rate) { voice.setSampleRate(rate); }

// Re-points one cord in one voice context. Runs where the voice may be changed: on the
// audio thread between frames, or on a thread that holds the voices while processing is off.
void applyCordToVoice(PatchVoice& voice, std::uint32_t own, std::uint32_t peer) {
  voice.connectJacks(own, peer);
}

// The internal clock's level while synced: the position counts clock periods; like the
// free-running clock, the first half of each period is low and the second half 10 V.
float syncedClockLevel(float periods) {
  const float fraction = periods - std::floor(periods);
  return fraction >= 0.5f ? 10.0f : 0.0f;
}

template <typename T>
T* objectOf(const PatchModule* record, ModuleType type) {
  return (record != nullptr && record->type == type) ? static_cast<T*>(record->dsp) : nullptr;
}

}  // namespace

VoiceEngine::VoiceEngine() {
  dcCoefficient_.store(dcBlockerCoefficient(sampleRate_.load()));
  for (std::atomic<float>& value : display_) value.store(0.0f, std::memory_order_relaxed);
  display_[kDisplayBlockFrames].store(512.0f, std::memory_order_relaxed);
  fade_.store(packPatchFade(PatchFadeState{}), std::memory_order_relaxed);
}

bool VoiceEngine::build(float hostRate) {
  setSampleRate(hostRate);  // a refused rate keeps the engine's current one
  const float rate = sampleRate();
  for (int v = 0; v < kVoiceContextCount; ++v) {
    voices_[v].useGainColumn(gainColumns_ + v, kVoiceContextCount, kGainRows);
    voices_[v].useMemoColumns(memoColumns_ + v, lastControlColumns_ + v, kVoiceContextCount);
    if (!voices_[v].build(rate, shared_)) return false;
  }
  if (auto* noise = qv::kernelObject<qv::NoiseModule>(shared_.noise)) noise->useRandom(random_);
  for (PatchVoice& voice : voices_) {
    if (auto* filter = qv::kernelObject<qv::VcfModule>(voice.vcf1)) filter->useRandom(random_);
  }
  return true;
}

void VoiceEngine::setMidiDispatch(MidiDispatchFn dispatch, void* context) {
  midiDispatch_ = dispatch;
  midiContext_ = context;
}

void VoiceEngine::setBlockStart(BlockStartFn start, void* context) {
  blockStart_ = start;
  blockStartContext_ = context;
}

void VoiceEngine::lookUpSharedModules() {
  pan_ = objectOf<qv::PanControl>(shared_.pan, ModuleType::Pan);
  audioIn1_ = objectOf<qv::AudioInput>(shared_.audioIn1, ModuleType::AudioIn);
  audioIn2_ = objectOf<qv::AudioInput>(shared_.audioIn2, ModuleType::AudioIn);
  leftBus_ = objectOf<FloatHolder>(shared_.leftInput, ModuleType::InputBus);
  rightBus_ = objectOf<FloatHolder>(shared_.rightInput, ModuleType::InputBus);
  clock_ = qv::kernelObject<qv::ClockModule>(shared_.clock);
  keyboardLfo_ = qv::kernelObject<qv::LfoModule>(shared_.keyboardLfo);
  reverb_ = qv::kernelObject<qv::ReverbModule>(shared_.reverb);
  auto tickOf = [](const PatchModule* record) {
    SharedTick t;
    if (record != nullptr && record->dsp != nullptr) {
      t.tick = moduleKernel(record->type).tick;
      t.dsp = record->dsp;
    }
    return t;
  };
  noiseTick_ = tickOf(shared_.noise);
}

void VoiceEngine::setReady(bool ready) {
  // The look-up happens only while the block process ignores the pointers (not ready yet).
  if (ready && !this->ready()) lookUpSharedModules();
  ready_.store(ready, std::memory_order_release);
}

void VoiceEngine::setProcessing(bool on) {
  processing_.store(on, std::memory_order_release);
  if (!on) raiseFadedOutIfPending();  // no block will fade for a waiting patch change
}

void VoiceEngine::setVoiceCount(int count) {
  voiceCount_.store(std::clamp(count, 0, kMaxExtraVoices), std::memory_order_relaxed);
}

bool VoiceEngine::setSampleRate(float hostRate) {
  if (!(hostRate >= kMinHostSampleRate && hostRate <= static_cast<float>(kMaxSampleRate))) return false;
  sampleRate_.store(hostRate, std::memory_order_relaxed);
  dcCoefficient_.store(dcBlockerCoefficient(hostRate), std::memory_order_relaxed);
  const int whole = static_cast<int>(hostRate);
  shared_.setSampleRate(whole);
  for (PatchVoice& voice : voices_) applyRateToVoice(voice, whole);
  return true;
}

float VoiceEngine::displayValue(int index) const {
  if (index == kDisplayLearnWord) return static_cast<float>(learnWord_.load(std::memory_order_relaxed));
  if (index < 0 || index >= kDisplayValueCount) return 0.0f;
  return display_[index].load(std::memory_order_relaxed);
}

void VoiceEngine::lightMidi() {
  const double frames = std::round(kMidiLightHoldSeconds * sampleRate());
  midiLightHold_.store(static_cast<std::int32_t>(frames), std::memory_order_relaxed);
}

// --- Panel buttons ---

void VoiceEngine::triggerEnvelopes(bool pressed) {
  PatchVoice& voice = voices_[0];
  auto* ar = qv::kernelObject<qv::EnvelopeModule>(voice.ar1);
  auto* adsr = qv::kernelObject<qv::EnvelopeModule>(voice.adsr1);
  if (ar == nullptr || adsr == nullptr) return;
  if (pressed) {
    ar->startAttack();
    adsr->startAttack();
    ar->trigger();
    adsr->trigger();
  } else {
    ar->startRelease();
    adsr->startRelease();
  }
}

void VoiceEngine::setPortamento(bool pressed) {
  const auto* lower = qv::kernelObject<qv::KeyboardCv>(voices_[0].keyboardLowerCv);
  if (lower == nullptr) return;
  const bool on = lower->portamento.load(std::memory_order_relaxed);
  if (on == pressed) return;  // already in the state the button asks for
  for (PatchVoice& voice : voices_) {
    for (PatchModule* record : {voice.keyboardLowerCv, voice.keyboardUpperCv}) {
      if (auto* cv = qv::kernelObject<qv::KeyboardCv>(record)) cv->setPortamento(pressed);
    }
  }
}

// --- Patch-change fade ---

void VoiceEngine::updateFade(PatchFadeState (*change)(PatchFadeState)) {
  std::uint64_t word = fade_.load(std::memory_order_acquire);
  while (!fade_.compare_exchange_weak(word, packPatchFade(change(unpackPatchFade(word))),
                                      std::memory_order_acq_rel, std::memory_order_acquire)) {
  }
}

void VoiceEngine::raiseFadedOutIfPending() {
  updateFade([](PatchFadeState s) {
    if (s.pending) s.fadedOut = true;
    return s;
  });
}

void VoiceEngine::postPatchChange() {
  PatchFadeState posted;
  posted.pending = true;
  posted.gain = 1.0f;
  fade_.store(packPatchFade(posted), std::memory_order_release);
  // Bypassed, not ready or suspended: no block advances the fade, so the change may go on.
  if (bypassed() || !ready() || !processing_.load(std::memory_order_acquire)) raiseFadedOutIfPending();
}

bool VoiceEngine::fadedOut() const { return unpackPatchFade(fade_.load(std::memory_order_acquire)).fadedOut; }

bool VoiceEngine::patchChangePending() const {
  return unpackPatchFade(fade_.load(std::memory_order_acquire)).pending;
}

float VoiceEngine::fadeGain() const { return unpackPatchFade(fade_.load(std::memory_order_acquire)).gain; }

void VoiceEngine::finishPatchChange() {
  updateFade([](PatchFadeState s) {
    s.pending = false;
    s.fadedOut = false;
    return s;
  });
}

void VoiceEngine::setRampRates(float rate) {
  for (PatchVoice& voice : voices_) voice.rampRate.store(rate, std::memory_order_relaxed);
}

void VoiceEngine::advanceFade(float* out1, float* out2, int frames) {
  const float rate = sampleRate();
  const float step = 10.0f * static_cast<float>(frames) / rate;
  std::uint64_t word = fade_.load(std::memory_order_acquire);
  PatchFadeStep fade;
  for (;;) {
    fade = advancePatchFade(unpackPatchFade(word), step);
    const std::uint64_t next = packPatchFade(fade.next);
    if (next == word) break;
    if (fade_.compare_exchange_weak(word, next, std::memory_order_acq_rel, std::memory_order_acquire)) break;
  }
  const int wholeRate = static_cast<int>(rate);
  if (fade.fastRamps) setRampRates(fadedRampRate(wholeRate));
  if (fade.normalRamps) setRampRates(normalRampRate(wholeRate));
  if (!fade.scaleOutput) return;
  const float gain = fade.next.gain;
  for (int i = 0; i < frames; ++i) {
    out1[i] *= gain;
    out2[i] *= gain;
  }
}

// --- Cords ---

void VoiceEngine::applyCord(std::uint32_t own, std::uint32_t peer) {
  for (PatchVoice& voice : voices_) applyCordToVoice(voice, own, peer);
}

void VoiceEngine::drainCords(std::size_t limit) {
  CordRequest request;
  for (std::size_t n = 0; n < limit && cords_.pop(request); ++n) applyCord(request.own, request.peer);
}

void VoiceEngine::takeUpWaitingChanges() {
  drainCords(cords_.size());
  for (PatchVoice& voice : voices_) voice.applyCommands();
}

std::uint64_t VoiceEngine::handOverOverflows() const {
  std::uint64_t n = cordOverflows_.load(std::memory_order_relaxed);
  for (const PatchVoice& voice : voices_) n += voice.commandOverflows();
  return n;
}

bool VoiceEngine::requestCord(std::uint32_t own, std::uint32_t peer) {
  if (onAudioThread()) {
    applyCord(own, peer);
    return true;
  }
  std::lock_guard<std::mutex> lock(cordProducerMutex_);
  if (!processing_.load(std::memory_order_acquire) || !ready()) {
    int expected = kOwnerNone;
    if (owner_.compare_exchange_strong(expected, kOwnerDirect, std::memory_order_acquire)) {
      {
        AudioThreadScope holdsVoices;  // nothing else touches the voices meanwhile
        drainCords(cords_.size());     // earlier requests first
        applyCord(own, peer);
      }
      owner_.store(kOwnerNone, std::memory_order_release);
      return true;
    }
  }
  if (cords_.push(CordRequest{own, peer})) return true;
  cordOverflows_.fetch_add(1, std::memory_order_relaxed);
  return false;
}

void VoiceEngine::settleWhileIdle() {
  if (onAudioThread() || processing_.load(std::memory_order_acquire)) return;
  int expected = kOwnerNone;
  if (!owner_.compare_exchange_strong(expected, kOwnerDirect, std::memory_order_acquire)) return;
  {
    std::lock_guard<std::mutex> lock(cordProducerMutex_);
    AudioThreadScope holdsVoices;  // nothing else touches the voices meanwhile
    takeUpWaitingChanges();
  }
  owner_.store(kOwnerNone, std::memory_order_release);
}

// --- Block process ---

void VoiceEngine::dispatchMidi(int sampleIndex, MidiDue& due) {
  const int count = voiceCount_.load(std::memory_order_relaxed);
  if (sampleIndex < due.frame && count == due.voiceCount) return;
  due.voiceCount = count;
  due.frame = midiDispatch_ != nullptr ? midiDispatch_(midiContext_, sampleIndex) : INT_MAX;
}

void VoiceEngine::applyBeatSync(double ppq) {
  const float position = static_cast<float>(ppq);
  if (clock_ != nullptr && clockSync_.load(std::memory_order_relaxed)) {
    const float periods = position * clockScale_.load(std::memory_order_relaxed) +
                          clockOffset_.load(std::memory_order_relaxed);
    clock_->setSyncLevel(syncedClockLevel(periods));
  }
  if (keyboardLfo_ != nullptr && lfoSync_.load(std::memory_order_relaxed)) {
    keyboardLfo_->setSyncedPhase(static_cast<double>(position) * lfoScale_.load(std::memory_order_relaxed) +
                                 lfoOffset_.load(std::memory_order_relaxed));
  }
}

void VoiceEngine::stepSharedModules() {
  // The clock and the keyboard LFO are known types: their steps are called directly.
  if (clock_ != nullptr) clock_->core.tick();
  if (keyboardLfo_ != nullptr) keyboardLfo_->core.tick();
  if (leftBus_ != nullptr) leftBus_->value = 0.0f;
  if (rightBus_ != nullptr) rightBus_->value = 0.0f;
  if (noiseTick_.tick != nullptr) noiseTick_.tick(noiseTick_.dsp);
  if (reverb_ != nullptr) {
    reverb_->send = 0.0f;
    reverb_->read = false;
  }
}

void VoiceEngine::renderFrames(const float* in1, const float* in2, float* out1, float* out2, int frames) {
  dcBlocker_.r = dcCoefficient_.load(std::memory_order_relaxed);
  float sumLeft = 0.0f;
  float sumRight = 0.0f;
  MidiDue midi;
  for (int i = 0; i < frames; ++i) {
    dispatchMidi(i, midi);
    // Both inputs of the frame are read before either output of it is written.
    if (in1 != nullptr && audioIn1_ != nullptr) audioIn1_->takeSample(in1[i]);
    if (in2 != nullptr && audioIn2_ != nullptr) audioIn2_->takeSample(in2[i]);
    stepSharedModules();

    const int extra = std::clamp(voiceCount_.load(std::memory_order_relaxed), 0, kMaxExtraVoices);
    float left = lanes_.process(voices_, 1 + extra);
    const float dry = left * kDryScale;

    float right = 0.0f;
    if (reverb_ != nullptr) {
      processOutputStage(*reverb_, left, right);
    } else {
      left = 0.0f;
    }
    float gainLeft = 1.0f;
    float gainRight = 1.0f;
    if (pan_ != nullptr) {
      pan_->updateGains();
      gainLeft = pan_->gainLeft;
      gainRight = pan_->gainRight;
    }
    left += gainLeft * dry;
    right += gainRight * dry;
    if (leftBus_ != nullptr) left += leftBus_->value;
    if (rightBus_ != nullptr) right += rightBus_->value;
    dcBlock(dcBlocker_, left, right);

    sumLeft += left * left;
    sumRight += right * right;
    updateMeters(meters_, sumLeft, sumRight);
    out1[i] = left;
    out2[i] = right;
  }
  display_[kDisplayLeftMeter].store(meters_[0], std::memory_order_relaxed);
  display_[kDisplayRightMeter].store(meters_[1], std::memory_order_relaxed);
}

void VoiceEngine::renderSilence(float* out1, float* out2, int frames, bool ownsVoices) {
  MidiDue midi;
  for (int i = 0; i < frames; ++i) {
    if (ownsVoices) dispatchMidi(i, midi);  // keeps the plug-in's event ring draining
    if (out1 != nullptr) out1[i] = 0.0f;
    if (out2 != nullptr) out2[i] = 0.0f;
  }
  meters_[0] = meters_[1] = 0.0f;
  display_[kDisplayLeftMeter].store(0.0f, std::memory_order_relaxed);
  display_[kDisplayRightMeter].store(0.0f, std::memory_order_relaxed);
  // No block fades while bypassed or not ready: a waiting patch change goes on at once.
  if (bypassed() || !ready()) raiseFadedOutIfPending();
}

void VoiceEngine::advanceMidiLight(int frames) {
  std::int32_t hold = midiLightHold_.load(std::memory_order_relaxed);
  if (hold > 0) {
    display_[kDisplayMidiLight].store(1.0f, std::memory_order_relaxed);
    midiLightHold_.compare_exchange_strong(hold, std::max(hold - frames, 0), std::memory_order_relaxed);
  } else {
    display_[kDisplayMidiLight].store(0.0f, std::memory_order_relaxed);
    learnWord_.store(0, std::memory_order_relaxed);
  }
}

void VoiceEngine::processBlock(const float* in1, const float* in2, float* out1, float* out2, int frames,
                               const double* ppq) {
  const double t0 = platform::monotonicSeconds();
  AudioThreadScope audioThread;
  frames = std::max(frames, 0);

  int expected = kOwnerNone;
  const bool ownsVoices = owner_.compare_exchange_strong(expected, kOwnerAudio, std::memory_order_acquire);
  if (ownsVoices && ready()) {
    // What other threads handed over before this block, oldest first, then the plug-in's
    // newest values; whatever arrives during the block waits for the next one. The work
    // of a block is bounded by what waited, however fast another thread posts.
    takeUpWaitingChanges();
    if (blockStart_ != nullptr) blockStart_(blockStartContext_);
    for (PatchVoice& voice : voices_) voice.holdCommands(true);
  }
  const bool live = ownsVoices && ready() && !bypassed() && out1 != nullptr && out2 != nullptr;
  if (live) {
    if (ppq != nullptr) applyBeatSync(*ppq);
    renderFrames(in1, in2, out1, out2, frames);
    advanceFade(out1, out2, frames);
  } else {
    renderSilence(out1, out2, frames, ownsVoices);
  }
  if (ownsVoices) {
    for (PatchVoice& voice : voices_) voice.holdCommands(false);
    owner_.store(kOwnerNone, std::memory_order_release);
  }

  advanceMidiLight(frames);
  const double t1 = platform::monotonicSeconds();
  if (t1 > t0) {
    display_[kDisplayBlockTime].store(static_cast<float>((t1 - t0) * kBlockTimeTicksPerSecond),
                                      std::memory_order_relaxed);
    display_[kDisplayBlockFrames].store(static_cast<float>(frames), std::memory_order_relaxed);
  }
}
