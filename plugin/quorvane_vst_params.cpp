// The host side of the parameters: normalised <-> plain values, the texts the host shows,
// and the plug-in's own fields that parameters control.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/audio_thread.h"
#include "params/param_convert.h"
#include "plugin/bounded_text.h"
#include "plugin/param_routing.h"
#include "plugin/quorvane_vst.h"

namespace {

constexpr bool isRoutable(int32_t index) { return index >= 1 && index <= kLastCordParam; }

// Parameter names as the descriptor holds them; labels and displays as VST hosts expect.
constexpr std::size_t kNameChars = sizeof(ParamDesc::name) - 1;
constexpr std::size_t kParamTextChars = kVstMaxParamStrLen;

constexpr auto kRelaxed = std::memory_order_relaxed;

}  // namespace

void Quorvane_VST::setParameter(int32_t index, float value) {
  if (!isRoutable(index) || std::isnan(value)) return;
  float plain = plainFromNormalised(index, value);
  // A cord that names no other jack is no cord.
  if (isCordParam(index) && cordEnds(index, plain).peer == 0) plain = 0.0f;
  paramValues_[index].store(plain, std::memory_order_release);
  routeOwnField(index, plain);
  // While audio runs, a value set on another thread (host automation, the editor) is routed
  // by the audio thread at the start of its next block, from the value stored then: however
  // fast values arrive, a block routes each parameter at most once, and the last value set
  // is the one that sounds. A patch being applied routes at once, in the order it sets.
  if (!onAudioThread() && engine_.processing() && !patchWorkOnThisThread()) {
    pendingRoutes_.mark(index);
    return;
  }
  pendingRoutes_.clear(index);  // routed now: a value set earlier and not yet routed is gone
  routeToEngine(index, plain);
  engine_.settleWhileIdle();  // while suspended, the change lands now rather than queueing
}

void Quorvane_VST::routePendingParameters() {
  pendingRoutes_.take([this](int index) { routeToEngine(index, paramValues_[index].load(std::memory_order_acquire)); });
}

void Quorvane_VST::blockStartHook(void* self) { static_cast<Quorvane_VST*>(self)->routePendingParameters(); }

float Quorvane_VST::getParameter(int32_t index) {
  return isRoutable(index) ? normalisedFromPlain(index, paramValues_[index].load(kRelaxed)) : 0.0f;
}

float Quorvane_VST::paramValue(int index) const {
  return index >= 0 && index < kParamRecordCount ? paramValues_[index].load(kRelaxed) : 0.0f;
}

void Quorvane_VST::setParameterReal(int32_t index, float plain) {
  if (std::isnan(plain)) return;
  setParameter(index, normalisedFromPlain(index, plain));
}

void Quorvane_VST::setParameterRealAutomated(int32_t index, float plain) {
  if (std::isnan(plain)) return;
  const float normalised = normalisedFromPlain(index, plain);
  const bool hostAddresses = index >= 0 && index < cEffect_.numParams;
  if (hostAddresses && hostHoldsEffect_.load(std::memory_order_acquire))
    setParameterAutomated(index, normalised);
  else
    setParameter(index, normalised);
}

void Quorvane_VST::getParameterName(int32_t index, char* text) {
  copyBounded(text, isRoutable(index) ? ParamDescTable[index].name : "", kNameChars);
}

void Quorvane_VST::getParameterLabel(int32_t index, char* text) {
  copyBounded(text, isRoutable(index) ? ParamDescTable[index].unitLabel : "", kParamTextChars);
}

void Quorvane_VST::getParameterDisplay(int32_t index, char* text) {
  char printed[64] = "";
  if (isRoutable(index))
    std::snprintf(printed, sizeof printed, "%f", static_cast<double>(paramValues_[index].load(kRelaxed)));
  copyBounded(text, printed, kParamTextChars);
}

void Quorvane_VST::routeOwnField(int index, float v) {
  PluginSettings& s = settings;
  switch (index) {
    case kParamMasterBypass:  // the switch's two positions are 0 (bypassed) and 1
      engine_.setBypassed(v == 0.0f);
      break;
    case kParamEnvelopeGateSource:
      s.keyboardGatesEnvelopes.store(v > 0.5f ? 1 : 0, kRelaxed);
      break;
    case kParamKeyboardTrigger:
      s.multipleTrigger.store(v <= 0.5f ? 1 : 0, kRelaxed);
      break;
    case kParamKeyboardRepeat:
      s.keyboardRepeatMode.store(v >= 2.0f ? 0 : (v < 1.0f ? 2 : 1), kRelaxed);
      break;
    case kParamClockOffset:
      engine_.setClockOffset(v);
      break;
    case kParamLfoOffset:
      engine_.setLfoOffset(v);
      break;
    case kParamMasterVolume:
      s.masterVolume.store(v, kRelaxed);
      break;
    case kParamIntervalLatch:
      s.intervalLatch.store(v != 0.0f ? 1 : 0, kRelaxed);
      if (v != 0.0f) captureLatchInterval();
      break;
    case kParamVoices:
      engine_.setVoiceCount(static_cast<int>(v));
      break;
    case kParamClockSync:
      engine_.setClockSync(static_cast<int32_t>(v) != 0);
      break;
    case kParamLfoSync:
      engine_.setLfoSync(static_cast<int32_t>(v) != 0);
      break;
    case kParamClockPulses:
    case kParamLfoPulses: {
      // At least one pulse per beat: the scale divides by it.
      const int32_t pulses = std::max(1, static_cast<int32_t>(v));
      const float scale = 24.0f / static_cast<float>(pulses);
      if (index == kParamClockPulses) {
        s.clockPulses.store(pulses, kRelaxed);
        engine_.setClockScale(scale);
      } else {
        s.lfoPulses.store(pulses, kRelaxed);
        engine_.setLfoScale(scale);
      }
      break;
    }
    default:
      break;
  }
}
