// The record that carries a change from another thread to the audio thread through a
// voice's command queue. Small and trivially copyable; each kind says which fields it uses.
#pragma once

#include <cstdint>

struct PatchInput;
struct PatchVoice;
struct EngineCommand;

// A change that a kernel or the voice's owner hands to the audio thread as a function to run
// there (a phase set, a reset, a mode change). Runs on the audio thread, between samples.
using EngineApplyFn = void (*)(PatchVoice& voice, const EngineCommand& command);

enum class EngineCommandKind : std::uint8_t {
  None = 0,
  // input's gain ramps to target; when the request is taken up, the voice reads it from the
  // input's request slot (the newest request for an input wins).
  Ramp = 1,
  // Kinds taken up by the voice's command handler (cord changes: a = own jack code,
  // b = peer jack code; resets; notes: a = key, b = velocity, value = voltage).
  Cord = 2,
  Reset = 3,
  Note = 4,
  // apply(voice, command) runs on the audio thread; the other fields are its arguments.
  Apply = 5,
  User = 32,  // first free kind for later subsystems
};

struct EngineCommand {
  EngineCommandKind kind = EngineCommandKind::None;
  PatchInput* input = nullptr;  // Ramp: the connection whose gain moves
  std::int32_t a = 0;
  std::int32_t b = 0;
  float value = 0.0f;
  float step = 0.0f;
  void* object = nullptr;  // any further target the kind needs
  EngineApplyFn apply = nullptr;  // Apply: the function to run
};
