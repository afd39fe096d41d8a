#include "engine/kernels/audio_input.h"

namespace qv {

void* createAudioInput(PatchVoice&, int, int) { return new AudioInput; }

void destroyAudioInput(void* dsp) { delete static_cast<AudioInput*>(dsp); }

QV_KERNEL_CALL KernelFloat audioInputOutput(void* dsp, int) { return static_cast<AudioInput*>(dsp)->output(); }

} // namespace qv
