#include "engine/patch_fade.h"

#include <algorithm>
#include <bit>

namespace {
constexpr std::uint64_t kPendingBit = std::uint64_t{1} << 32;
constexpr std::uint64_t kFadedOutBit = std::uint64_t{1} << 33;
}  // namespace

std::uint64_t packPatchFade(const PatchFadeState& state) {
  std::uint64_t word = std::bit_cast<std::uint32_t>(state.gain);
  if (state.pending) word |= kPendingBit;
  if (state.fadedOut) word |= kFadedOutBit;
  return word;
}

PatchFadeState unpackPatchFade(std::uint64_t word) {
  PatchFadeState state;
  state.gain = std::bit_cast<float>(static_cast<std::uint32_t>(word & 0xffffffffu));
  state.pending = (word & kPendingBit) != 0;
  state.fadedOut = (word & kFadedOutBit) != 0;
  return state;
}

PatchFadeStep advancePatchFade(const PatchFadeState& state, float step) {
  PatchFadeStep result;
  result.next = state;
  if (state.pending) {
    if (state.gain <= 0.0f) {
      result.fastRamps = true;
      result.next.fadedOut = true;
      result.next.gain = 0.0f;
    } else {
      result.next.gain = std::max(state.gain - step, 0.0f);
    }
    result.scaleOutput = true;
  } else if (state.gain < 1.0f) {
    result.next.gain = state.gain + step;
    if (result.next.gain >= 1.0f) {
      result.normalRamps = true;
      result.next.gain = 1.0f;
    }
    result.scaleOutput = true;
  }
  return result;
}
