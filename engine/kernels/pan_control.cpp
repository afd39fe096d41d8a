#include "engine/kernels/pan_control.h"

#include <cmath>

#include "engine/kernels/kernel_constants.h"
#include "engine/patch_voice.h"

namespace qv {

void panLaw(float p, float& left, float& right) {
    left = p <= 0.5f ? 1.0f : std::cos((p - 0.5f) * kPiF);
    right = p >= 0.5f ? 1.0f : std::cos((0.5f - p) * kPiF);
}

PanControl::PanControl(PatchVoice& buildingVoice) : voice(&buildingVoice) {
    panInput = buildingVoice.newInput(0.0f, 0);
}

void PanControl::setPan(float position) {
    voice->rampTo(panInput, position);
}

void PanControl::updateGains() {
    const float p = panInput->gain;
    if (panInput->arrived != 0 && p == gainsPosition) return;
    panLaw(p, gainLeft, gainRight);
    gainsPosition = p;
}

void* createPanControl(PatchVoice& voice, int, int) { return new PanControl(voice); }

void destroyPanControl(void* dsp) { delete static_cast<PanControl*>(dsp); }

} // namespace qv
