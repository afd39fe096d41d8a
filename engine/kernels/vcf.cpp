#include "engine/kernels/vcf.h"

#include <algorithm>
#include <cmath>

#include "engine/kernels/kernel_constants.h"

namespace qv {
namespace {

constexpr float kThird = 1.0f / 3.0f;
constexpr float kSixth = 1.0f / 6.0f;
constexpr int kCosineSize = 8192;
constexpr int kCurveSize = 16384;
// Resonance curve scale, computed once when the library loads.
const float kCurveScale = 1.04f / std::pow(2.0f, 0.1f);

// Entries of the cosine and resonance-curve tables: fn(i x step), i x step in single precision.
float cosineEntry(int i) {
    const float step = 2.0f * kPiF / static_cast<float>(kCosineSize);
    return std::cos(static_cast<float>(i) * step);
}

float curveEntry(int i) {
    const float x = static_cast<float>(i) * (1.0f / static_cast<float>(kCurveSize));
    return (1.0f - std::pow(2.0f * x, 0.1f) * kCurveScale) * 2.0f;
}

// The engine's table read: nearest index (ties to even), forward difference times the signed
// remainder. Runs only when the resonance changes, so the entries are evaluated on demand.
template <typename Entry>
float tableRead(Entry entry, int size, float position) {
    const float nearest = std::nearbyint(position);
    const float fraction = position - nearest;
    const int j = static_cast<int>(nearest) & (size - 1);
    const float a = entry(j);
    return a + (entry(j + 1) - a) * fraction;
}

} // namespace

void VcfLevelFollower::setAttack(float ms) {
    const float t = std::clamp(ms, 0.0f, 1000.0f);
    attackCoef = t > 0.0f ? std::exp(-1.0f / (t * sampleRate / 1000.0f)) : 0.0f;
}

void VcfLevelFollower::setRelease(float ms) {
    const float t = std::clamp(ms, 0.0f, 1000.0f);
    releaseCoef = t > 0.0f ? std::exp(-1.0f / (t * sampleRate / 1000.0f)) : 0.0f;
}

void VcfLevelFollower::process(float x) {
    const float magnitude = std::fabs(x);
    const float w = magnitude > level ? attackCoef : releaseCoef;
    level = (1.0f - w) * magnitude + w * level;
}

Vcf::Vcf(int rate) {
    oversampling = 2;
    sampleRate = static_cast<float>(rate);
    omega = kPiF / (sampleRate * static_cast<float>(oversampling));
    follower.sampleRate = 44100.0f;
    follower.level = 0.0f;
    follower.setAttack(50.0f);
    follower.setRelease(200.0f);
    coarse = fine = appliedCoarseFine = cutoffCv = 0.0f;
    clear();
}

float Vcf::cutoffCoefficient(float a) const {
    const float x = 10.0f * std::exp2(a) * omega;
    return 2.0f * (x - x * x * x * kSixth);
}

void Vcf::setCutoffCv(float volts) {
    cutoffCv = volts;
    float a = volts + appliedCoarseFine;
    if (a > 10.0f) a = 10.0f;
    if (settingsStale || std::fabs(lastCutoff - a) > 1e-5f) {
        lastCutoff = a;
        compensation = a < 6.0f
            ? -0.11f
            : (std::cos((a - 6.0f) * 0.1125f * kPiF) - 1.0f) * 1.2f - 0.11f;
        g = cutoffCoefficient(a);
    }
}

void Vcf::applyResonance(float r) {
    if (!(r > 0.0f)) r = 0.0f;  // negative or NaN knob value reads as 0
    if (r >= 1.0f) {
        baseDamping = damping = -0.08f;
    } else {
        const float position = r * static_cast<float>(kCurveSize);
        // Positions that round to the table end read its last entry instead of wrapping to 0.
        baseDamping = damping = std::nearbyint(position) >= static_cast<float>(kCurveSize)
            ? curveEntry(kCurveSize)
            : tableRead(curveEntry, kCurveSize, position);
    }
    inputGain = 0.025f * tableRead(cosineEntry, kCosineSize, r * 0.225f * static_cast<float>(kCosineSize));
}

float Vcf::setCoarse(float volts) {
    coarse = volts;
    return coarse + fine;
}

float Vcf::setFine(float volts) {
    fine = volts;
    return coarse + fine;
}

void Vcf::tick(float coarseFineGain, float resonanceGain) {
    computed = 0;
    if (settingsStale || resonanceGain != appliedResonance) {
        appliedResonance = resonanceGain;
        applyResonance(resonanceGain);
    }
    if (settingsStale || coarseFineGain != appliedCoarseFine) {
        appliedCoarseFine = coarseFineGain;
        setCutoffCv(cutoffCv);
    }
    settingsStale = false;
}

float Vcf::process(float x, EngineRandom& random) {
    if (computed) return cachedOutput;

    const float input = flushNonNormal(x);
    float l1 = flushNonNormal(low1);
    float b1 = flushNonNormal(band1);
    float l2 = flushNonNormal(low2);
    float b2 = flushNonNormal(band2);
    const float k = flushNonNormal(g);

    const float dither = (static_cast<float>(nextEngineRandom(random)) / 32768.0f + 0.5f) * 1e-6f;
    const float in = input * inputGain + dither;

    damping = flushNonNormal(std::max(baseDamping, baseDamping - follower.level * compensation));
    const float d = damping;

    for (int step = 0; step < 2; ++step) {
        l1 += k * b1;
        const float l = l1;
        l2 += k * b2;
        stage2Out[step] = l2;
        b1 += k * (in - d * b1 - l1);
        l1 -= l1 * l1 * l1 * kThird;
        b2 += k * (l - 2.0f * b2 - l2);
        l2 -= l2 * l2 * l2 * kThird;
    }
    low1 = l1;
    band1 = b1;
    low2 = l2;
    band2 = b2;

    float y = flushNonNormal((stage2Out[0] + stage2Out[1]) * 0.5f);
    if (std::fabs(y) > 1000.0f) {
        clear();
        y = 0.0f;
    }
    computed = 1;
    cachedOutput = y * 40.0f;
    return cachedOutput;
}

void Vcf::setSampleRate(int rate) {
    sampleRate = static_cast<float>(rate);
    omega = kPiF / (sampleRate * static_cast<float>(oversampling));
    g = cutoffCoefficient(lastCutoff);
}

void Vcf::clearState() {
    applyResonance(0.0f);
    appliedCoarseFine = 0.0f;
    low1 = band1 = low2 = band2 = 0.0f;
    stage2Out[0] = stage2Out[1] = 0.0f;
    followerInput = 0.0f;
    cachedOutput = 0.0f;
    follower.setAttack(0.1f);
    follower.setRelease(4.0f);
    follower.level = 0.0f;
    compensation = -0.11f;
    settingsStale = true;
}

void Vcf::clear() {
    g = cutoffCoefficient(0.0f);
    clearState();
}

void Vcf::reset() {
    const float controlSum = cutoffCv;
    setCutoffCv(0.0f);
    cutoffCv = controlSum;
    clearState();
}

} // namespace qv
