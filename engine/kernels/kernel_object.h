#pragma once
// Helpers shared by the module objects: finding a record's object with its type checked, and
// handing a multi-field change to the audio thread through the voice's command queue.

#include "engine/engine_command.h"
#include "engine/patch_module.h"
#include "engine/patch_voice.h"

namespace qv {

// The object of a module record when the record's type is one that T serves (T::serves),
// else null. Any thread; the object lives as long as the voice that made it.
template <typename T>
T* kernelObject(const PatchModule* module) {
    if (module == nullptr || module->dsp == nullptr || !T::serves(module->type)) return nullptr;
    return static_cast<T*>(module->dsp);
}

// Runs fn(voice, command) on the voice's audio thread with command.object = object and the
// given arguments: at once when called there, else at the voice's next sample. False when
// the queue is full (the change is dropped). Any thread.
inline bool postToAudioThread(PatchVoice& voice, void* object, EngineApplyFn fn, float value = 0.0f,
                              std::int32_t a = 0) {
    EngineCommand command;
    command.kind = EngineCommandKind::Apply;
    command.object = object;
    command.apply = fn;
    command.value = value;
    command.a = a;
    return voice.postCommand(command);
}

// The object a command carries, as its module type.
template <typename T>
T& commandObject(const EngineCommand& command) {
    return *static_cast<T*>(command.object);
}

} // namespace qv
