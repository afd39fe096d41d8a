// Keyboard modules, gate edges, electronic switch, inverter and constants: glide duration
// against sampleRate x time + 1, edges at exactly 5 V against the 32-sum history, the
// one-sample trigger, the switch's routes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "engine/kernels/electronic_switch.h"
#include "engine/kernels/envelope.h"
#include "engine/kernels/gate_edge.h"
#include "engine/kernels/keyboard_modules.h"
#include "engine/kernels/utility_modules.h"
#include "tests/engine/graph_fixture.h"

namespace {

using qv::ElectronicSwitch;
using qv::GateEdgeRing;
using qv::KeyboardCv;
using qv::KeyboardGate;
using qv::KeyboardTrigger;

// --- Gate edges ---

struct EdgeCase {
    const char* name;
    std::vector<float> sums;  // control sums given in order
    int lastEdge;             // edge reported for the last sum
};

class GateEdge : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(GateEdge, EdgeIsAChangeOfMoreThanFiveVoltsAgainstTheOldestSum) {
    const EdgeCase& c = GetParam();
    GateEdgeRing ring;
    int edge = 0;
    for (float v : c.sums) edge = ring.feed(v);
    EXPECT_EQ(edge, c.lastEdge) << c.name;
}

std::vector<float> ramp(float from, float step, int count) {
    std::vector<float> v;
    for (int i = 1; i <= count; ++i) v.push_back(from + step * static_cast<float>(i));
    return v;
}

INSTANTIATE_TEST_SUITE_P(
    KernelGate, GateEdge,
    ::testing::Values(EdgeCase{"exactly +5 V", {5.0f}, 0}, EdgeCase{"just above +5 V", {5.0001f}, 1},
                      EdgeCase{"exactly -5 V", {-5.0f}, 0}, EdgeCase{"just below -5 V", {-5.0001f}, -1},
                      // Slow rises: the edge comes when the rise since the oldest of the last
                      // 32 sums (zeros at the start) passes 5 V, not at exactly 5 V.
                      EdgeCase{"0.25 V steps to 5 V", ramp(0.0f, 0.25f, 20), 0},
                      EdgeCase{"0.25 V steps to 5.25 V", ramp(0.0f, 0.25f, 21), 1},
                      EdgeCase{"0.15 V steps never rise 5 V within 32 sums", ramp(0.0f, 0.15f, 60), 0},
                      EdgeCase{"falling 10 V after a rise", {10.0f, 10.0f, 0.0f}, -1}));

TEST(KernelGate, EnvelopeAndKeyboardGateShareTheRule) {
    qv::Envelope env(qv::Envelope::kTypeAdsr, 0.01f, 0.5f, 7.0f, 0.2f, 44100);
    env.gate(5.0f);
    EXPECT_EQ(env.stage, qv::Envelope::kStageIdle);
    env.gate(10.0001f);
    EXPECT_EQ(env.stage, qv::Envelope::kStageAttack);
    env.gate(5.0001f);
    EXPECT_EQ(env.stage, qv::Envelope::kStageAttack);  // a fall of exactly 5 V
    env.gate(5.0f);
    EXPECT_EQ(env.stage, qv::Envelope::kStageRelease);
}

// --- Keyboard modules through a voice (their gains are the voice's ramped connections) ---

class KeyboardTest : public GraphTest {
 protected:
    void step() { voice.advanceRamps(); }
};

struct GlideCase {
    int fs;
    float seconds;
    float fromVolts;
    float toVolts;
};

class KeyboardGlide : public KeyboardTest, public ::testing::WithParamInterface<GlideCase> {};

TEST_P(KeyboardGlide, GlideTakesRateTimesTimePlusOneSamples) {
    const GlideCase c = GetParam();
    KeyboardCv cv(voice, c.fs);
    cv.setPortamento(false);
    ASSERT_TRUE(cv.setNote(c.fromVolts));
    step();
    ASSERT_FLOAT_EQ(cv.output(), c.fromVolts - 1.0f);  // without portamento the note jumps
    cv.setPortamento(true);
    cv.setPortamentoTime(c.seconds);
    cv.setNote(c.toVolts);
    // The times are chosen so that fs x time is a whole number of samples.
    const int n = static_cast<int>(double(c.fs) * c.seconds) + 1;
    const double target = c.toVolts - 1.0;
    const double stepVolts = (c.toVolts - c.fromVolts) / n;
    int arrival = -1;
    for (int i = 1; i <= 2 * n + 10 && arrival < 0; ++i) {
        step();
        const double expected = std::min(i, n) * stepVolts + (c.fromVolts - 1.0);
        // Single-precision accumulation drifts by at most half an ulp of the gain per sample.
        ASSERT_NEAR(cv.output(), expected, 1e-6 + 3e-7 * i) << "sample " << i;
        if (cv.output() == static_cast<float>(target)) arrival = i;
    }
    // The glide lands on the note after n samples; long glides of small steps may take a
    // few more, as the single-precision gain drifts by rounding.
    EXPECT_NEAR(arrival, n, 1 + n / 200) << "n " << n;
}

INSTANTIATE_TEST_SUITE_P(KernelKeyboard, KeyboardGlide,
                         ::testing::Values(GlideCase{44100, 0.0f, 2.0f, 4.0f}, GlideCase{48000, 0.015625f, 2.0f, 4.0f},
                                           GlideCase{44100, 0.5f, 6.0f, 1.5f}, GlideCase{96000, 0.25f, 3.0f, 3.5f}));

TEST_F(KeyboardTest, OutputIsNotePlusOctavePlusBendPlusControl) {
    KeyboardCv cv(voice, 44100);
    voice.rampRate.store(1e9f);  // gains arrive at the next step
    cv.setNote(5.0f);
    cv.setOctave(2.0f);
    cv.setPitchBend(-0.25f);
    cv.controlSum = 0.125f;
    step();
    step();
    EXPECT_FLOAT_EQ(cv.output(), 4.0f + 2.0f - 0.25f + 0.125f);
}

TEST_F(KeyboardTest, GateIsTenVoltsWhileSetElseTheControlEdgeLevel) {
    KeyboardGate gate(voice);
    EXPECT_EQ(gate.output(), 0.0f);
    gate.setGate(true);
    EXPECT_EQ(gate.output(), 10.0f);
    gate.setGate(false);
    EXPECT_EQ(gate.output(), 0.0f);
    gate.setControl(5.0f);  // exactly 5 V: no edge
    EXPECT_EQ(gate.output(), 0.0f);
    gate.setControl(8.0f);
    EXPECT_EQ(gate.output(), 10.0f);
    gate.setControl(2.0f);
    EXPECT_EQ(gate.output(), 0.0f);
}

TEST_F(KeyboardTest, TwoFiresBeforeATickGiveOneFifteenVoltSample) {
    KeyboardTrigger trigger(voice);
    trigger.fire();
    trigger.fire();
    std::vector<float> out;
    for (int i = 0; i < 3; ++i) {
        trigger.tick();
        out.push_back(trigger.output);
    }
    EXPECT_EQ(out, (std::vector<float>{15.0f, 0.0f, 0.0f}));
}

TEST(KernelKeyboard, NotesFromAnotherThreadArriveAtTheNextSample) {
    PatchVoice voice(44100);
    voice.rampRate.store(normalRampRate(44100));
    KeyboardCv cv(voice, 44100);
    KeyboardGate gate(voice);
    // This thread is not the audio thread: the changes wait in the voice's queue.
    cv.setNote(3.0f);
    gate.setGate(true);
    EXPECT_EQ(gate.output(), 0.0f);
    AudioThreadScope audio;
    voice.advanceRamps();
    voice.advanceRamps();
    EXPECT_EQ(gate.output(), 10.0f);
    EXPECT_FLOAT_EQ(cv.output(), 2.0f);
}

// --- Electronic switch, inverter ---

TEST(KernelSwitch, TwoInputsToOneOutput) {
    ElectronicSwitch s;
    s.setRoute(ElectronicSwitch::kRouteTwoToOne);
    EXPECT_EQ(s.processA(2.0f), 0.0f);
    EXPECT_EQ(s.processB(3.0f), 0.0f);
    s.control = 0.6f;
    EXPECT_EQ(s.processC(7.0f), 2.0f);
    s.control = 0.5f;
    EXPECT_EQ(s.processC(7.0f), 3.0f);
}

TEST(KernelSwitch, OneInputToTwoOutputs) {
    ElectronicSwitch s;
    s.setRoute(ElectronicSwitch::kRouteOneToTwo);
    EXPECT_EQ(s.processC(4.0f), 0.0f);
    s.control = 1.0f;
    EXPECT_EQ(s.processA(0.0f), 4.0f);
    EXPECT_EQ(s.processB(0.0f), 0.0f);
    s.control = 0.0f;
    EXPECT_EQ(s.processA(0.0f), 0.0f);
    EXPECT_EQ(s.processB(0.0f), 4.0f);
    s.control = 0.5f;  // neither side
    EXPECT_EQ(s.processA(0.0f), 0.0f);
    EXPECT_EQ(s.processB(0.0f), 0.0f);
}

TEST(KernelSwitch, NoRouteReadsZeroEverywhere) {
    ElectronicSwitch s;
    s.control = 1.0f;
    EXPECT_EQ(s.processA(1.0f), 0.0f);
    EXPECT_EQ(s.processB(2.0f), 0.0f);
    EXPECT_EQ(s.processC(3.0f), 0.0f);
}

TEST(KernelInverter, NegatesAndFlushesNonFinite) {
    EXPECT_EQ(qv::invert(nullptr, 3.5f), -3.5f);
    EXPECT_EQ(qv::invert(nullptr, -10.0f), 10.0f);
    EXPECT_EQ(qv::invert(nullptr, std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(qv::invert(nullptr, std::numeric_limits<float>::infinity()), 0.0f);
    EXPECT_EQ(qv::invert(nullptr, std::numeric_limits<float>::denorm_min()), 0.0f);
}

TEST(KernelConstant, HoldsItsValue) {
    for (float v : {10.0f, -10.0f, 0.0f}) {
        void* constant = newConstant(v);
        EXPECT_EQ(readFloat(constant, 0), v);
        destroyFloatHolder(constant);
    }
}

} // namespace
