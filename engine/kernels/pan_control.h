#pragma once
// Shared pan control: the pan knob as a ramped connection gain (0 left .. 1 right) and the
// two output gains of the pan law, recomputed only while the knob's ramp is moving.

struct PatchInput;
struct PatchVoice;

namespace qv {

// Left and right gains for a pan position p: 1.0 on the near side of the centre,
// cos((p - 0.5) pi) or cos((0.5 - p) pi) on the far side. Pure; any thread.
void panLaw(float p, float& left, float& right);

struct PanControl {
    float gainLeft = 1.0f;
    float gainRight = 1.0f;
    PatchInput* panInput = nullptr;  // ramped gain = the pan position; on voice's ramp list
    PatchVoice* voice = nullptr;     // the building voice, whose ramps move panInput
    float gainsPosition = -1.0f;     // the position the gains were computed for

    // Makes panInput (gain 0) on the building voice. Build time.
    explicit PanControl(PatchVoice& buildingVoice);

    // "Mixer Pan": starts the position's ramp. Any thread (the ramp hand-over is the voice's).
    void setPan(float position);

    // Recomputes the gains while the position's ramp has not arrived, and once more for the
    // position it arrived at; keeps them afterwards. Audio thread, once per sample, after the
    // building voice's ramps have stepped.
    void updateGains();
};

// Module-table functions of the pan record (object only; the block process reads it).
void* createPanControl(PatchVoice& voice, int sampleRate, int argument);
void destroyPanControl(void* dsp);

} // namespace qv
