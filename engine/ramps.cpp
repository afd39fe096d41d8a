// Gain ramps of a voice's connections and the hand-over of requests from other threads.
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/audio_thread.h"
#include "engine/patch_voice.h"
#include "engine/sanitize.h"

static_assert(std::atomic<std::uint64_t>::is_always_lock_free, "ramp request slot must be lock-free");

namespace {

constexpr float kOffThreshold = 1e-6f;

// A request's target and step in one word, so the audio thread never sees half of one.
std::uint64_t packRequest(float target, float step) {
  return (static_cast<std::uint64_t>(std::bit_cast<std::uint32_t>(target)) << 32) |
         std::bit_cast<std::uint32_t>(step);
}

void unpackRequest(std::uint64_t word, float& target, float& step) {
  target = std::bit_cast<float>(static_cast<std::uint32_t>(word >> 32));
  step = std::bit_cast<float>(static_cast<std::uint32_t>(word & 0xffffffffu));
}

}  // namespace

// The step that covers the distance at the voice's ramp rate (the rate is always >= 1 Hz).
float PatchVoice::derivedStep(const PatchInput& input, float target) const {
  return (target - input.gain) * rampRate.load(std::memory_order_relaxed) / static_cast<float>(sampleRate());
}

// Audio thread (or the build before audio starts).
void PatchVoice::startRamp(PatchInput& input, float target, float step) {
  input.target = flushNonNormal(target);
  input.step = flushNonNormal(step);
  if (input.arrived != 0) {
    input.arrived = 0;
    input.nextRamp = rampList;
    rampList = &input;
  }
}

// Any thread but the audio thread.
void PatchVoice::requestRamp(PatchInput& input, float target, float step) {
  input.request.store(packRequest(target, step));
  if (input.requestQueued.exchange(true)) return;  // already waiting; it will read the new value
  EngineCommand command;
  command.kind = EngineCommandKind::Ramp;
  command.input = &input;
  std::lock_guard<std::mutex> lock(producerMutex_);
  if (commands_.push(command)) return;
  commandOverflows_.fetch_add(1, std::memory_order_relaxed);
  rampOverflow_.store(true);  // picked up by a scan of inputList: the request is not lost
}

// Audio thread. The flag is cleared before the value is read, so a request stored after
// the read queues itself again and is not lost.
void PatchVoice::takeRampRequest(PatchInput& input) {
  input.requestQueued.store(false);
  float target;
  float step;
  unpackRequest(input.request.load(), target, step);
  if (std::isnan(step)) step = derivedStep(input, target);
  startRamp(input, target, step);
}

void PatchVoice::rampTo(PatchInput* input, float target) {
  if (input == nullptr) return;
  if (onAudioThread()) {
    startRamp(*input, target, derivedStep(*input, target));
  } else {
    requestRamp(*input, target, std::numeric_limits<float>::quiet_NaN());
  }
}

void PatchVoice::rampWithStep(PatchInput* input, float target, float step) {
  if (input == nullptr) return;
  if (onAudioThread()) {
    startRamp(*input, target, step);
  } else {
    // A NaN step would read as "derive it"; an unusable step makes the ramp arrive at once.
    requestRamp(*input, target, std::isnan(step) ? 0.0f : step);
  }
}

bool PatchVoice::postCommand(const EngineCommand& command) {
  if (onAudioThread()) {
    handleCommand(command);
    return true;
  }
  std::lock_guard<std::mutex> lock(producerMutex_);
  if (commands_.push(command)) return true;
  commandOverflows_.fetch_add(1, std::memory_order_relaxed);
  return false;
}

void PatchVoice::setCommandHandler(VoiceCommandHandlerFn handler, void* context) {
  commandHandler_ = handler;
  commandContext_ = context;
}

void PatchVoice::handleCommand(const EngineCommand& command) {
  if (command.kind == EngineCommandKind::Ramp) {
    if (command.input != nullptr) takeRampRequest(*command.input);
  } else if (command.kind == EngineCommandKind::Apply) {
    if (command.apply != nullptr) command.apply(*this, command);
  } else if (command.kind != EngineCommandKind::None && commandHandler_ != nullptr) {
    commandHandler_(*this, command, commandContext_);
  }
  // Cords, resets and applied changes may re-point connections or switch them on or off.
  if (command.kind != EngineCommandKind::Ramp) invalidateSchedule();
}

void PatchVoice::applyCommands() {
  // Most samples find nothing posted: leave before setting up a command record.
  if (commandsHeld_ || (commands_.empty() && !rampOverflow_.load(std::memory_order_relaxed))) return;
  EngineCommand command;
  // Only what waits now: a thread that keeps posting cannot keep this call going.
  for (std::size_t waiting = commands_.size(); waiting > 0 && commands_.pop(command); --waiting)
    handleCommand(command);
  if (rampOverflow_.load(std::memory_order_relaxed) && rampOverflow_.exchange(false)) {
    for (PatchInput* in = inputList; in != nullptr; in = in->nextInput) {
      if (in->requestQueued.load()) takeRampRequest(*in);
    }
  }
}

void PatchVoice::advanceRamps() {
  applyCommands();
  PatchInput** link = &rampList;
  while (PatchInput* in = *link) {
    const bool wasOff = in->off;
    in->gain = flushNonNormal(in->gain + in->step);
    in->off = std::fabs(in->gain) < kOffThreshold;
    const float step = in->step;
    if (std::fabs(step) < kOffThreshold || (step > 0.0f && in->gain > in->target) ||
        (step < 0.0f && in->gain < in->target)) {
      in->gain = flushNonNormal(in->target);
      in->arrived = 1;
      in->off = std::fabs(in->gain) < kOffThreshold;
      *link = in->nextRamp;
      in->nextRamp = nullptr;
    } else {
      link = &in->nextRamp;
    }
    if (in->off != wasOff) invalidateSchedule();  // the evaluation now skips or reads it
  }
}
