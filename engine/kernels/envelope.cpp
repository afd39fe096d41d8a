#include "engine/kernels/envelope.h"

#include "engine/kernels/kernel_constants.h"

namespace qv {
namespace {

// Per-sample coefficient x^2 with x = 1 - 2 / (sampleRate x t). A time shorter than a few
// samples (including 0, negative and NaN) is lengthened to that minimum, so the coefficient
// stays in [0, 1) and the level converges.
void segment(float time, float target, int sampleRate, float& coef, float& step) {
    const float rate = static_cast<float>(sampleRate);
    float samples = rate * time;
    if (!(samples >= Envelope::kMinimumSamples)) samples = Envelope::kMinimumSamples;
    const float x = 1.0f - 2.0f / samples;
    coef = x * x;
    step = (1.0f - x * x) * target;
}

} // namespace

Envelope::Envelope(std::int32_t envelopeType, float attack, float decay, float sustainVolts,
                   float release, int rate)
    : attackTime(attack), sustain(sustainVolts), decayTime(decay), releaseTime(release),
      type(envelopeType), sampleRate(rate) {
    stage = kStageIdle;
    level = 0.0f;
    attacking = 0;
    setSampleRate(rate);
}

void Envelope::setAttack(float seconds) {
    attackTime = seconds;
    segment(attackTime, 10.0f, sampleRate, attackCoef, attackStep);
}

void Envelope::setDecay(float seconds) {
    decayTime = seconds;
    segment(decayTime, sustain, sampleRate, decayCoef, decayStep);
}

void Envelope::setSustain(float volts) {
    sustain = volts;
    segment(decayTime, sustain, sampleRate, decayCoef, decayStep);
}

void Envelope::setRelease(float seconds) {
    releaseTime = seconds;
    segment(releaseTime, 1e-5f, sampleRate, releaseCoef, releaseStep);
}

void Envelope::setSampleRate(int rate) {
    sampleRate = rate;
    setAttack(attackTime);
    setDecay(decayTime);
    setRelease(releaseTime);
}

void Envelope::gate(float volts) {
    const int edge = gateRing.feed(volts);
    if (edge < 0) {
        startRelease();
    } else if (edge > 0) {
        startAttack();
    }
}

void Envelope::startAttack() {
    stage = kStageAttack;
    attacking = 1;
}

void Envelope::startRelease() {
    stage = kStageRelease;
    attacking = 0;
}

void Envelope::trigger() {
    attacking = 1;
}

void Envelope::tick() {
    switch (stage) {
    case kStageAttack:
        if (type == kTypeAr) {
            if (level < 9.0f) level = level * attackCoef + attackStep;
        } else {
            if (level > 9.0f) attacking = 0;
            level = attacking ? level * attackCoef + attackStep : level * decayCoef + decayStep;
        }
        break;
    case kStageRelease:
        level = level * releaseCoef + releaseStep;
        if (level < 0.001f) {
            stage = kStageIdle;
            level = 0.0f;
        }
        break;
    default:
        break;
    }
    // A level that is not finite (or denormal) restarts from 0 instead of sticking.
    level = flushNonNormal(level);
}

} // namespace qv
