#pragma once
// Shared noise generator: white noise blended with a 50 Hz one-pole low-passed (red) copy.
// Level and colour are ramped knob gains owned by the graph and passed to output().

#include "engine/kernels/engine_random.h"

namespace qv {

struct NoiseGenerator {
    float sampleRate = 44100.0f;
    float oneMinusPole = 0.0f;
    float pole = 0.0f;
    float red = 0.0f;               // red-noise state
    float cachedOutput = -10000.0f; // below -100: not computed in this sample

    explicit NoiseGenerator(int sampleRate);

    // Recomputes the 50 Hz pole for the rate.
    void setSampleRate(int rate);
    // Once per sample on the audio thread, before the voices run.
    void newSample() { cachedOutput = -10000.0f; }
    // Output function: the first read in a sample draws one random value, later reads return
    // the same output. Colour 0 is white, colour 1 ten times the red noise.
    float output(float level, float colour, EngineRandom& random);
};

} // namespace qv
