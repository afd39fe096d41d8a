#pragma once
// Shared stereo reverb: eight parallel low-pass-feedback combs into four series all-passes
// per channel (right lengths 23 samples longer), fed by one mono send.

#include <cstdint>
#include <vector>

#include "engine/kernels/kernel_constants.h"

namespace qv {

// The sixteen low-pass-feedback combs, eight per channel, stored lane by lane so that one
// sample's arithmetic and index updates run four combs per SIMD operation. Lanes 0..7 are
// the left channel's combs, 8..15 the right's. They share the model's feedback and damping.
// The lane arrays are read with unaligned loads: the model lives on the heap, whose blocks
// 32-bit Windows aligns to 8 bytes only.
struct CombBank {
    static constexpr int kLanes = 16;
    float filterStore[kLanes] = {};
    std::int32_t size[kLanes] = {};   // samples
    std::int32_t index[kLanes] = {};
    float* buffer[kLanes] = {};       // inside the model's block
};

// The eight series all-passes, four stages per channel, stored lane by lane: stage i's
// left all-pass is lane 2i and its right one lane 2i + 1, so that one stage of both
// channels runs as one SIMD operation. Each lane: b = line[index] (flushed);
// out = b - x; line[index] = x + b x feedback.
struct AllPassBank {
    static constexpr int kLanes = 8;
    float feedback[kLanes] = {};
    std::int32_t size[kLanes] = {};   // samples
    std::int32_t index[kLanes] = {};
    float* buffer[kLanes] = {};       // inside the model's block
};

struct ReverbModel {
    static constexpr int kCombCount = 8;
    static constexpr int kAllPassCount = 4;
    static constexpr std::int32_t kCombCapacity = 10000;   // samples per comb at least
    static constexpr std::int32_t kAllPassCapacity = 5000; // samples per all-pass at least
    static constexpr int kTuningRate = 44100;
    static constexpr std::int32_t kStereoSpread = 23;
    static const std::int32_t kCombTuning[kCombCount];
    static const std::int32_t kAllPassTuning[kAllPassCount];
    // The comb lanes of the i-th comb of each channel.
    static constexpr int leftComb(int i) { return i; }
    static constexpr int rightComb(int i) { return kCombCount + i; }
    // The all-pass lanes of the i-th stage of each channel.
    static constexpr int leftAllPass(int i) { return 2 * i; }
    static constexpr int rightAllPass(int i) { return 2 * i + 1; }

    float gain = 0.0f;
    float roomSize = 0.0f, roomSize1 = 0.0f;
    float damp = 0.0f, damp1 = 0.0f;
    float wet = 0.0f, wet1 = 0.0f, wet2 = 0.0f;
    float dry = 0.0f;
    float width = 0.0f;
    float mode = 0.0f;
    float damp2 = 1.0f;  // 1 - damp1
    CombBank combs;      // feedback roomSize1, damping damp1 and damp2
    AllPassBank allPasses;

    // One block holds every buffer; it is allocated at construction and grown only by a
    // sample-rate change that needs longer lines, never on the audio thread.
    std::vector<float> block;
    std::int32_t combCapacity = kCombCapacity;
    std::int32_t allPassCapacity = kAllPassCapacity;

    ReverbModel();
    ReverbModel(const ReverbModel&) = delete;
    ReverbModel& operator=(const ReverbModel&) = delete;

    void setRoomSize(float value);  // feedback = value x 0.28 + 0.7
    void setDamp(float value);      // damping = value x 0.4
    void setWet(float value);       // x 3
    void setDry(float value);       // x 2
    void setWidth(float value);
    void setMode(float value);      // >= 0.5 freezes
    // Recomputes the derived gains and the combs' feedback and damping.
    void update();
    // Clears every buffer and index (unless frozen). Audio thread or patch application.
    void mute();
    // Scales every filter to the rate (sizes truncated, at least 1). Not on the audio thread.
    void setSampleRate(int rate);

private:
    void layOut(int rate);
};

// One sample: the send is read from left; left and right receive the two outputs.
// Audio thread; no allocation.
void processReverb(ReverbModel& model, float& left, float& right);

// The module object; its two ramped output levels are owned by the graph.
struct Reverb {
    ReverbModel model;

    // The graph builds it with room 0.5, damp 0.5, dry 0 and width 1.0. Allocates.
    Reverb(float room, float damp, float wet, float dry, float width, int sampleRate = 44100);

    void mute() { model.mute(); }
    void setSampleRate(int rate) { model.setSampleRate(rate); }
};

// Target of an output-level ramp for a knob value: knob - 0.001, never below 0, so the knob's
// lowest position switches the reverb off.
float reverbLevelTarget(float knob);

} // namespace qv
