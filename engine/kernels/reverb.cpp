#include "engine/kernels/reverb.h"

#include <emmintrin.h>

#include <algorithm>

#include "engine/sanitize_lanes.h"

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
    for (float& feedback : allPasses.feedback) feedback = 0.5f;
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
        const int pair[2] = {leftAllPass(i), rightAllPass(i)};
        for (int side = 0; side < 2; ++side) {
            const int lane = pair[side];
            allPasses.buffer[lane] = next;
            next += allPassCapacity;
            allPasses.size[lane] = std::min(scaledSize(kAllPassTuning[i] + side * kStereoSpread, rate), allPassCapacity);
            allPasses.index[lane] = 0;
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
    for (std::int32_t& index : allPasses.index) index = 0;
}

void ReverbModel::setSampleRate(int rate) {
    mute();
    layOut(rate);
    mute();
    update();
}

namespace {

// The next read position of four lines: one past the last, back to 0 at the line's size.
void advanceIndexes(std::int32_t* index, const std::int32_t* size) {
    const __m128i next = _mm_add_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(index)), _mm_set1_epi32(1));
    const __m128i inside = _mm_cmpgt_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(size)), next);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(index), _mm_and_si128(next, inside));
}

// One all-pass stage of both channels on the sums in lanes 0 (left) and 1 (right).
__m128 processAllPassStage(AllPassBank& a, int stage, __m128 x) {
    const int left = ReverbModel::leftAllPass(stage);
    const int right = ReverbModel::rightAllPass(stage);
    float* const lineLeft = a.buffer[left] + a.index[left];
    float* const lineRight = a.buffer[right] + a.index[right];
    const __m128 b = flushNonNormalLanes(_mm_unpacklo_ps(_mm_load_ss(lineLeft), _mm_load_ss(lineRight)));
    // The two lanes' feedback (left, right) in one load.
    const __m128 feedback = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a.feedback + left)));
    const __m128 written = _mm_add_ps(x, _mm_mul_ps(b, feedback));
    _mm_store_ss(lineLeft, written);
    _mm_store_ss(lineRight, _mm_shuffle_ps(written, written, _MM_SHUFFLE(1, 1, 1, 1)));
    return _mm_sub_ps(b, x);
}

} // namespace

void processReverb(ReverbModel& model, float& left, float& right) {
    CombBank& c = model.combs;
    const __m128 in = _mm_set1_ps(left * kSendScale);
    const __m128 feedback = _mm_set1_ps(model.roomSize1);
    const __m128 damp1 = _mm_set1_ps(model.damp1);
    const __m128 damp2 = _mm_set1_ps(model.damp2);

    // The combs four lanes at a time: read the lines, the lanes' arithmetic, write the lines,
    // advance the indexes. out[0], out[1] hold left combs 0..7, out[2], out[3] right combs 0..7.
    __m128 out[CombBank::kLanes / 4];
    for (int q = 0; q < CombBank::kLanes / 4; ++q) {
        const int l = 4 * q;
        float* const line[4] = {c.buffer[l] + c.index[l], c.buffer[l + 1] + c.index[l + 1],
                                c.buffer[l + 2] + c.index[l + 2], c.buffer[l + 3] + c.index[l + 3]};
        out[q] = flushNonNormalLanes(_mm_setr_ps(*line[0], *line[1], *line[2], *line[3]));
        // The voices' work between two samples pushes the lines out of the nearest cache:
        // asking for each line's next cache line now hides the wait when it is reached.
        for (int k = 0; k < 4; ++k) _mm_prefetch(reinterpret_cast<const char*>(line[k] + 16), _MM_HINT_T0);
        const __m128 store = flushNonNormalLanes(
            _mm_add_ps(_mm_mul_ps(out[q], damp2), _mm_mul_ps(_mm_loadu_ps(c.filterStore + l), damp1)));
        _mm_storeu_ps(c.filterStore + l, store);
        alignas(16) float written[4];
        _mm_store_ps(written, _mm_add_ps(in, _mm_mul_ps(store, feedback)));
        for (int k = 0; k < 4; ++k) *line[k] = written[k];
        advanceIndexes(c.index + l, c.size + l);
    }

    // Each channel's eight outputs summed in comb order, left in lane 0 and right in lane 1.
    // The flushed outputs are never -0, so the sums start at the first comb's output.
    const __m128 pairs[4] = {_mm_unpacklo_ps(out[0], out[2]), _mm_unpackhi_ps(out[0], out[2]),
                             _mm_unpacklo_ps(out[1], out[3]), _mm_unpackhi_ps(out[1], out[3])};
    __m128 sum = pairs[0];
    sum = _mm_add_ps(sum, _mm_movehl_ps(pairs[0], pairs[0]));
    for (int p = 1; p < 4; ++p) {
        sum = _mm_add_ps(sum, pairs[p]);
        sum = _mm_add_ps(sum, _mm_movehl_ps(pairs[p], pairs[p]));
    }
    AllPassBank& a = model.allPasses;
    for (int i = 0; i < ReverbModel::kAllPassCount; ++i) sum = processAllPassStage(a, i, sum);
    for (int l = 0; l < AllPassBank::kLanes; l += 4) advanceIndexes(a.index + l, a.size + l);
    const __m128 scaled = _mm_mul_ps(sum, _mm_set1_ps(kOutputScale));
    left = _mm_cvtss_f32(scaled);
    right = _mm_cvtss_f32(_mm_shuffle_ps(scaled, scaled, _MM_SHUFFLE(1, 1, 1, 1)));
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
