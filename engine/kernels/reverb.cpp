#include "engine/kernels/reverb.h"

#include <algorithm>

#include "engine/kernels/kernel_constants.h"

namespace qv {
namespace {

constexpr float kScaleRoom = 0.28f;
constexpr float kOffsetRoom = 0.7f;
constexpr float kScaleDamp = 0.4f;
constexpr float kScaleWet = 3.0f;
constexpr float kScaleDry = 2.0f;
constexpr float kFrozen = 0.5f;
constexpr float kSendScale = 0.0001f;
constexpr float kOutputScale = 300.0f;

std::int32_t scaledSize(std::int32_t tuning, int rate) {
    const std::int64_t size = static_cast<std::int64_t>(tuning) * rate / ReverbModel::kTuningRate;
    return static_cast<std::int32_t>(std::max<std::int64_t>(size, 1));
}

} // namespace

const std::int32_t ReverbModel::kCombTuning[kCombCount] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
const std::int32_t ReverbModel::kAllPassTuning[kAllPassCount] = {556, 441, 341, 225};

ReverbModel::ReverbModel() {
    layOut(kTuningRate);
    for (int i = 0; i < kAllPassCount; ++i) {
        allPassLeft[i].feedback = 0.5f;
        allPassRight[i].feedback = 0.5f;
    }
    setWet(1.0f / kScaleWet);
    setRoomSize(0.5f);
    setDamp(0.5f);
    setDry(0.0f);
    setWidth(1.0f);
    setMode(0.0f);
    mute();
}

void ReverbModel::layOut(int rate) {
    std::int32_t longestComb = 1;
    std::int32_t longestAllPass = 1;
    for (int i = 0; i < kCombCount; ++i)
        longestComb = std::max(longestComb, scaledSize(kCombTuning[i] + kStereoSpread, rate));
    for (int i = 0; i < kAllPassCount; ++i)
        longestAllPass = std::max(longestAllPass, scaledSize(kAllPassTuning[i] + kStereoSpread, rate));

    // Rates high enough to need longer lines than the block holds grow the block here.
    if (longestComb > combCapacity || longestAllPass > allPassCapacity || block.empty()) {
        combCapacity = std::max(combCapacity, longestComb);
        allPassCapacity = std::max(allPassCapacity, longestAllPass);
        block.assign(static_cast<std::size_t>(2 * kCombCount) * combCapacity +
                         static_cast<std::size_t>(2 * kAllPassCount) * allPassCapacity,
                     0.0f);
    }

    float* next = block.data();
    for (int i = 0; i < kCombCount; ++i) {
        const int pair[2] = {leftComb(i), rightComb(i)};
        for (int side = 0; side < 2; ++side) {
            const int lane = pair[side];
            combs.buffer[lane] = next;
            next += combCapacity;
            combs.size[lane] = std::min(scaledSize(kCombTuning[i] + side * kStereoSpread, rate), combCapacity);
            combs.index[lane] = 0;
        }
    }
    for (int i = 0; i < kAllPassCount; ++i) {
        AllPassFilter* pair[2] = {&allPassLeft[i], &allPassRight[i]};
        for (int side = 0; side < 2; ++side) {
            pair[side]->buffer = next;
            next += allPassCapacity;
            pair[side]->size = std::min(scaledSize(kAllPassTuning[i] + side * kStereoSpread, rate), allPassCapacity);
            pair[side]->index = 0;
        }
    }
}

void ReverbModel::setRoomSize(float value) {
    roomSize = value * kScaleRoom + kOffsetRoom;
    update();
}

void ReverbModel::setDamp(float value) {
    damp = value * kScaleDamp;
    update();
}

void ReverbModel::setWet(float value) {
    wet = value * kScaleWet;
    update();
}

void ReverbModel::setDry(float value) {
    dry = value * kScaleDry;
    update();
}

void ReverbModel::setWidth(float value) {
    width = value;
    update();
}

void ReverbModel::setMode(float value) {
    mode = value;
    update();
}

void ReverbModel::update() {
    wet1 = wet * (width * 0.5f + 0.5f);
    wet2 = wet * (1.0f - width) * 0.5f;
    if (mode >= kFrozen) {
        roomSize1 = 1.0f;
        damp1 = 0.0f;
        gain = 0.0f;
    } else {
        roomSize1 = roomSize;
        damp1 = damp;
        gain = 0.015f;
    }
    damp2 = 1.0f - damp1;
}

void ReverbModel::mute() {
    if (mode >= kFrozen) return;
    std::fill(block.begin(), block.end(), 0.0f);
    for (int lane = 0; lane < CombBank::kLanes; ++lane) {
        combs.index[lane] = 0;
        combs.filterStore[lane] = 0.0f;
    }
    for (int i = 0; i < kAllPassCount; ++i) allPassLeft[i].index = allPassRight[i].index = 0;
}

void ReverbModel::setSampleRate(int rate) {
    mute();
    layOut(rate);
    mute();
    update();
}

void processReverb(ReverbModel& model, float& left, float& right) {
    const float in = left * kSendScale;

    // The combs in four passes: read every line, the arithmetic of all sixteen lanes (one
    // vector loop), write every line, advance every index.
    CombBank& c = model.combs;
    const float feedback = model.roomSize1;
    const float damp1 = model.damp1;
    const float damp2 = model.damp2;
    float out[CombBank::kLanes];
    float written[CombBank::kLanes];
    for (int lane = 0; lane < CombBank::kLanes; ++lane) out[lane] = c.buffer[lane][c.index[lane]];
    for (int lane = 0; lane < CombBank::kLanes; ++lane) {
        out[lane] = flushNonNormal(out[lane]);
        const float store = flushNonNormal(out[lane] * damp2 + c.filterStore[lane] * damp1);
        c.filterStore[lane] = store;
        written[lane] = in + store * feedback;
    }
    for (int lane = 0; lane < CombBank::kLanes; ++lane) c.buffer[lane][c.index[lane]] = written[lane];
    for (int lane = 0; lane < CombBank::kLanes; ++lane) {
        const std::int32_t next = c.index[lane] + 1;
        c.index[lane] = next >= c.size[lane] ? 0 : next;
    }

    float sumLeft = 0.0f;
    float sumRight = 0.0f;
    for (int i = 0; i < ReverbModel::kCombCount; ++i) {
        sumLeft += out[ReverbModel::leftComb(i)];
        sumRight += out[ReverbModel::rightComb(i)];
    }
    for (int i = 0; i < ReverbModel::kAllPassCount; ++i) {
        sumLeft = model.allPassLeft[i].process(sumLeft);
        sumRight = model.allPassRight[i].process(sumRight);
    }
    left = sumLeft * kOutputScale;
    right = sumRight * kOutputScale;
}

Reverb::Reverb(float room, float dampValue, float wetValue, float dryValue, float widthValue, int sampleRate) {
    model.setRoomSize(room);
    model.setDamp(dampValue);
    model.setWet(wetValue);
    model.setDry(dryValue);
    model.setWidth(widthValue);
    model.setMode(0.0f);
    if (sampleRate != ReverbModel::kTuningRate) model.setSampleRate(sampleRate);
}

float reverbLevelTarget(float knob) {
    const float level = knob - 0.001f;
    return level > 0.0f ? level : 0.0f;
}

} // namespace qv
