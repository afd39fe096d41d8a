// Patches and the engine: applying a record, collecting the engine into one, and the patch
// change with its output fade.
//
// The handshake. Off the audio thread every entry point (changePatch, getChunk, setChunk,
// savePatch, lockPatch, idleWork) works inside a PatchWork: it holds patchMutex_, which the
// audio thread never takes, and the kBusy bit of changeState_. A change copies its record
// into the mailbox (a Patch owned by the plug-in, never a pointer into the library), posts
// the engine's fade, waits until the output is silent when asked to, applies the copy and
// lets the output fade back in. A second change waits on the mutex for the first to finish.
//
// A MIDI program change arrives on the audio thread, which must not wait, allocate or take
// a lock. It selects the program through the library's audio-side snapshot, which holds the
// record until it is released, sets kRequested and starts the fade. At the end of a block
// whose output is silent, and only while no entry point holds kBusy, the audio thread applies
// the held record's parameters and cords itself (kApplying, then kApplied) and lets the
// output fade back in; the record's own MIDI-map sources are merged into the map in the
// same step (MidiMap::tryReplacePatchSources), so the first note after the change already
// plays through them. What needs a lock or memory — the patch texts, the library's
// selection and the release of the record — is finished by the next entry point off the
// audio thread (the editor's idle, a chunk call, a change). A
// program slot without a patch reloads the current library patch; that needs the library
// tree, so it waits for the next idle.
#include <algorithm>
#include <cmath>
#include <thread>

#include "engine/audio_thread.h"
#include "engine/kernels/kernel_object.h"
#include "engine/kernels/reverb_module.h"
#include "engine/kernels/vcf_module.h"
#include "engine/kernels/vco.h"
#include "engine/voice_tables.h"
#include "library/patch_library.h"
#include "params/param_convert.h"
#include "platform/platform.h"
#include "plugin/param_routing.h"
#include "plugin/patch_work.h"

namespace {

using namespace patchstate;

// How long a waiting change waits for the fade: 502 polls of 10 ms.
constexpr int kFadePolls = 502;
constexpr int kFadePollMs = 10;
// How long an entry point waits at most for a running block to end (in 1 ms polls): longer
// than a block of any size a host uses.
constexpr int kHoldPolls = 250;

}  // namespace

bool Quorvane_VST::takeRecord(ChangeSource source) {
  if (!library_) return false;
  const Patch* record = nullptr;
  switch (source) {
    case kChangeLibraryPatch: record = library_->currentPatch(); break;
    case kChangeResetPatch: record = &library_->resetPatch; break;
    case kChangeSessionPatch: record = &library_->sessionPatch; break;
  }
  if (record == nullptr) return false;
  mailbox_ = *record;
  return true;
}

int& Quorvane_VST::PatchWork::depthOnThisThread() {
  thread_local int depth = 0;
  return depth;
}

Quorvane_VST::PatchHold::PatchHold(Quorvane_VST& plugin)
    : plugin_(plugin), work_(std::make_unique<PatchWork>(plugin, false)) {}

Quorvane_VST::PatchHold::~PatchHold() = default;

void Quorvane_VST::PatchHold::markEngineOutsideLibrary() {
  if (plugin_.lastChangeSource_ != kChangeLibraryPatch) return;  // already no library patch
  plugin_.lastChangeSource_ = kChangeResetPatch;
  if (plugin_.library_) plugin_.library_->lastChangeSource = kChangeResetPatch;
}

bool Quorvane_VST::patchWorkOnThisThread() { return PatchWork::depthOnThisThread() > 0; }

void Quorvane_VST::beginChange() {
  if (!engine_.patchChangePending()) {
    runOnAudioThread(releaseKeysForChange);
    engine_.postPatchChange();
  }
  for (int k = 0; k < kVoiceContextCount; ++k) {
    PatchVoice& voice = engine_.voice(k);
    voice.rampTo(voice.normalRows[row::kMixerToOutput], 0.0f);
    voice.rampTo(voice.normalRows[row::kMixerToReverb], 0.0f);
  }
}

void Quorvane_VST::waitFadedOut() {
  for (int i = 0; i < kFadePolls && !engine_.fadedOut(); ++i) platform::sleepMilliseconds(kFadePollMs);
}

void Quorvane_VST::holdEngine() {
  // Sequentially consistent with the block's start: either the block sees kHold, or this
  // sees the block running and waits for its end.
  changeState_.fetch_or(kHold, std::memory_order_seq_cst);
  for (int i = 0; i < kHoldPolls && inBlock_.load(std::memory_order_seq_cst); ++i) platform::sleepMilliseconds(1);
}

void Quorvane_VST::releaseEngine() { changeState_.fetch_and(~kHold, std::memory_order_seq_cst); }

void Quorvane_VST::changePatch(ChangeSource source, bool wait) {
  PatchWork work(*this, false);
  if (!takeRecord(source)) return;
  beginChange();
  if (wait) waitFadedOut();
  // The record goes into the engine's modules, which a block running now would use as well.
  holdEngine();
  applyRecordToEngine(mailbox_);
  engine_.finishPatchChange();
  releaseEngine();
  applyRecordTexts(mailbox_);
  applyRecordMidiMap(mailbox_);
  runOnAudioThread(retriggerKeys);  // the held keys play through the new sound's map
  lastChangeSource_ = source;
  library_->lastChangeSource = source;
  keepCompleteChunk();
}

void Quorvane_VST::applyRecordToEngine(const Patch& r) {
  for (int k = 0; k < kVoiceContextCount; ++k) {
    PatchVoice& voice = engine_.voice(k);
    if (k == 0)
      if (auto* reverb = qv::kernelObject<qv::ReverbModule>(voice.reverb1)) reverb->mute();
    for (PatchModule* vco : {voice.vco1, voice.vco2, voice.vco3})
      if (qv::Vco* object = vcoObject(vco)) object->reset();
    if (auto* filter = qv::kernelObject<qv::VcfModule>(voice.vcf1)) filter->reset();
  }
  for (int p = kFirstCordParam; p <= kLastCordParam; ++p) setParameterRealAutomated(p, 0.0f);
  // Beat settings; a pulse count below 1 would divide by 0.
  setParameterRealAutomated(kParamClockSync, static_cast<float>(r.beatSettings[0]));
  setParameterRealAutomated(kParamClockPulses, static_cast<float>(std::max(1, r.beatSettings[1])));
  setParameterRealAutomated(kParamLfoSync, static_cast<float>(r.beatSettings[2]));
  setParameterRealAutomated(kParamLfoPulses, static_cast<float>(std::max(1, r.beatSettings[3])));
  setParameterRealAutomated(kParamClockOffset, r.beatOffsets[0]);
  setParameterRealAutomated(kParamLfoOffset, r.beatOffsets[1]);
  // Defaults a record may override.
  setParameterRealAutomated(kParamVcfKeyboard, 1.0f);
  setParameterRealAutomated(kParamCordVco1SineOut, 0.0f);
  setParameterRealAutomated(kParamCordVco3SineOut, 0.0f);

  float masterVolume = 1.0f;
  for (const PatchParam& p : r.params) {
    if (p.key == 0) continue;  // no key
    const int index = findParameterKey(static_cast<int32_t>(p.key));
    if (index <= 0) continue;
    float value = 0.0f;
    switch (p.kind) {
      case kPatchParamInteger: value = static_cast<float>(p.intValue); break;
      case kPatchParamReal: value = static_cast<float>(p.realValue); break;
      case kPatchParamCord: {
        const int peer = jackIndexOfCode(static_cast<int32_t>(p.peerCode));
        if (!isCordParam(index) || peer <= 0) continue;  // a cord to no jack is refused
        value = static_cast<float>(peer);
        break;
      }
      case kPatchParamCordUnplugged: value = 0.0f; break;
      default: continue;
    }
    if (!std::isfinite(value)) continue;
    if (index == kParamClockPulses || index == kParamLfoPulses) value = std::max(1.0f, value);
    if (index == kParamMasterVolume) {
      masterVolume = value;
      continue;  // applied below, after the output was ramped down
    }
    setParameterRealAutomated(index, value);
  }
  // Every context's output and reverb send come back at the record's volume.
  setParameterRealAutomated(kParamMasterVolume, masterVolume);
}

void Quorvane_VST::applyRecordTexts(const Patch& r) {
  std::lock_guard<std::mutex> lock(textMutex_);
  patchAuthor_ = r.author;
  patchDate_ = r.date;
  patchNotes_ = r.notes;
  patchName_ = r.name;
}

void Quorvane_VST::applyRecordMidiMap(const Patch& r) { midiMap_.replacePatchSources(r.midiMapEntries); }

void Quorvane_VST::collectPatch(Patch& out) {
  out.beatSettings[0] = engine_.clockSync() ? 1 : 0;
  out.beatSettings[1] = settings.clockPulses.load(std::memory_order_relaxed);
  out.beatSettings[2] = engine_.lfoSync() ? 1 : 0;
  out.beatSettings[3] = settings.lfoPulses.load(std::memory_order_relaxed);
  // From scratch: an entry the record held twice can never shadow the engine's value.
  out.params.clear();
  for (int i = 2; i <= kLastCordParam; ++i) {
    const uint32_t key = static_cast<uint32_t>(ParamKeyTable[i]);
    const float v = paramValue(i);
    if (i < kParamClockSync) {
      if (ParamTypeTable[i] == kStoreInteger)
        out.setParam(kPatchParamInteger, key, static_cast<int32_t>(std::lround(v)), 0.0, 0);
      else if (ParamTypeTable[i] == kStoreReal)
        out.setParam(kPatchParamReal, key, 0, v, 0);
    } else if (i >= kFirstCordParam) {
      const int peer = static_cast<int>(std::lround(v));
      if (peer > 0 && peer <= kJackCount)
        out.setParam(kPatchParamCord, key, 0, 0.0, static_cast<uint32_t>(JackCodeTable[peer]));
      else
        out.setParam(kPatchParamCordUnplugged, key, 0, 0.0, 0);
    }
  }
  out.clearMidiMapEntries();
  for (int p = 2; p <= 80; ++p) {
    MidiMapEntry e;
    if (!midiMap_.findByParameter(p, e)) continue;
    e.sourceBits &= ~kMidiBitController;
    out.addMidiMapEntry(e);
  }
}

std::string Quorvane_VST::currentPatchNotes() const {
  std::lock_guard<std::mutex> lock(textMutex_);
  return patchNotes_;
}

bool Quorvane_VST::setCurrentPatchLock(int32_t locked) {
  PatchWork work(*this, false);
  Patch* p = library_ ? library_->currentPatch() : nullptr;
  if (p == nullptr) return false;
  if (p->locked == locked) return true;
  p->locked = locked;
  p->dirty = 1;  // the file is written only for a dirty record
  if (!p->save()) return false;
  p->dirty = 0;
  return true;
}

bool Quorvane_VST::lockPatch() { return setCurrentPatchLock(1); }

bool Quorvane_VST::unlockPatch() { return setCurrentPatchLock(0); }

bool Quorvane_VST::savePatch() {
  PatchWork work(*this, false);
  Patch* p = library_ ? library_->currentPatch() : nullptr;
  // The engine holds the reset or the session patch: storing it would overwrite a library
  // patch with a state that never came from it.
  if (p == nullptr || p->locked != 0 || lastChangeSource_ != kChangeLibraryPatch) return false;
  collectPatch(*p);
  if (!p->save()) return false;
  p->dirty = 0;
  return true;
}

void Quorvane_VST::applyAudioProgramChange() {
  uint32_t s = changeState_.load(std::memory_order_acquire);
  if (!(s & kRequested) || (s & kBusy)) return;
  const Patch* record = audioRecord_.load(std::memory_order_acquire);
  if (record == nullptr) return;  // an empty slot: the next idle reloads the current patch
  AudioThreadScope audio;
  if (!engine_.patchChangePending()) {
    beginChange();
    return;
  }
  if (!engine_.fadedOut()) return;
  if (!changeState_.compare_exchange_strong(s, (s & ~kRequested) | kApplying, std::memory_order_acq_rel))
    return;  // an entry point took the state meanwhile; the next block tries again
  // The sound's own map sources take effect with it, before the first note it plays. While
  // an edit holds the map the whole change waits for the next block, so neither half lands
  // alone. Nobody else changes the state word while kApplying is set.
  if (!midiMap_.tryReplacePatchSources(record->midiMapEntries)) {
    changeState_.fetch_xor(kApplying | kRequested, std::memory_order_acq_rel);
    return;
  }
  applyRecordToEngine(*record);
  runOnAudioThread(retriggerKeys);
  // kApplied may still be set from a change no entry point has finished yet: it stays set.
  changeState_.fetch_or(kApplied, std::memory_order_acq_rel);
  changeState_.fetch_and(~kApplying, std::memory_order_acq_rel);
  engine_.finishPatchChange();
}

void Quorvane_VST::finishAudioProgramChange(PatchWork&) {
  if (!library_) return;
  const uint32_t s = changeState_.load(std::memory_order_acquire);
  if (s & kApplied) {
    const Patch* record = audioRecord_.load(std::memory_order_acquire);
    if (record != nullptr) applyRecordTexts(*record);  // its map sources came with it
    lastChangeSource_ = kChangeLibraryPatch;
    library_->lastChangeSource = kChangeLibraryPatch;
    library_->applyAudioSelection();
    changeState_.fetch_and(~kApplied, std::memory_order_acq_rel);
    if (!(changeState_.load(std::memory_order_acquire) & kRequested)) library_->audioReleaseProgram();
    keepCompleteChunk();
  }
}

void Quorvane_VST::idleWork() {
  {
    PatchWork work(*this, true);
    if (!work.held() || !library_) return;
    const uint32_t s = changeState_.load(std::memory_order_acquire);
    // A request the audio thread cannot carry out itself: an empty program slot (reload
    // the current patch) or no audio running.
    const bool audioCannot = audioRecord_.load(std::memory_order_acquire) == nullptr ||
                             !audioRunning_.load(std::memory_order_acquire);
    if ((s & kRequested) && audioCannot) {
      library_->applyAudioSelection();
      changeState_.fetch_and(~kRequested, std::memory_order_acq_rel);
      library_->audioReleaseProgram();
    } else {
      library_->applyAudioSelection();
      library_->reclaim(engine_.patchChangePending() || (s & kRequested));
      return;
    }
  }
  changePatch(kChangeLibraryPatch, true);
}

intptr_t Quorvane_VST::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  if (opcode == effEditIdle || opcode == effIdle) idleWork();
  return AudioEffectX::dispatcher(opcode, index, value, ptr, opt);
}
