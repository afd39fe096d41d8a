// The step table resource, its parser, the shared table's use count, and the band-limited
// sawtooth and pulse.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "engine/minblep_osc.h"
#include "engine/minblep_table.h"
#include "platform/platform.h"
#include "tests/engine/osc_signal.h"

namespace {

std::unique_ptr<MinBlepTable> parseText(const std::string& s) {
  return std::unique_ptr<MinBlepTable>(MinBlepTable::parse(s.data(), s.size()));
}

std::string header(const std::string& size, const std::string& oversampling = "64.0") {
  return "0.9 % corner\n" + oversampling + " % oversampling\n22.0 % nzc\n" + size + " % size\n";
}

// n value lines: value i is i / 1000, written " 0.001" and so on, with the given line end.
std::string valueLines(int n, const std::string& eol = "\n") {
  std::string s;
  for (int i = 0; i < n; ++i) s += " " + std::to_string(i / 1000.0) + eol;
  return s;
}

// A well-formed text of the smallest size the oscillators accept, with replace's value
// line (counted from 0) replaced.
std::string smallestText(int replace = -1, const std::string& line = "") {
  std::string s = header("1410.0");
  for (int i = 0; i < 1410; ++i) s += i == replace ? line + "\n" : " " + std::to_string(i / 1000.0) + "\n";
  return s;
}

// The table the VCOs share, held for one test.
struct SharedTable {
  MinBlepTable* table = acquireMinBlepTable();
  ~SharedTable() { releaseMinBlepTable(); }
};

TEST(MinBlepTable, ResourceParsesWithTheStepsShape) {
  platform::Resource r;
  ASSERT_TRUE(platform::findResource("MB", "#2110", r));
  auto t = std::unique_ptr<MinBlepTable>(MinBlepTable::parse(reinterpret_cast<const char*>(r.data), r.size));
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(t->bandLimited);
  EXPECT_EQ(t->size, 3091);
  EXPECT_FLOAT_EQ(t->corner, 0.9f);
  EXPECT_FLOAT_EQ(t->oversampling, 64.0f);
  EXPECT_FLOAT_EQ(t->zeroCrossings, 22.0f);
  EXPECT_FLOAT_EQ(t->span, 44.0f);
  // Checkpoints, counted from 1: the start, the overshoot peak, one value after the sinc's
  // half-length, and the settled end.
  const float* v = t->values;
  EXPECT_NEAR(v[0], 0.0011088, 0.0011088 * 0.05);
  const int peak = static_cast<int>(std::max_element(v, v + t->size) - v) + 1;
  EXPECT_NEAR(peak, 190, 3);
  EXPECT_NEAR(v[peak - 1], 1.19760, 0.002);
  EXPECT_NEAR(v[1408], 1.00158, 0.002);
  EXPECT_NEAR(v[3090], 1.0000006, 1e-4);
  // Rises monotonically to the peak, then rings ever closer to 1.
  for (int i = 1; i < peak; ++i) ASSERT_GT(v[i], v[i - 1]) << i;
  for (int i = 1408; i < t->size; ++i) ASSERT_NEAR(v[i], 1.0, 0.003) << i;
}

TEST(MinBlepTable, ParsesExactlyTheGivenShape) {
  auto t = parseText(smallestText());
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->size, 1410);
  EXPECT_FLOAT_EQ(t->values[1], 0.001f);
  EXPECT_FLOAT_EQ(t->values[1409], 1.409f);
  // CR LF line ends and trailing blank lines are accepted.
  auto crlf = parseText("0.9 % corner\r\n64.0 % oversampling\r\n22.0 % nzc\r\n1410.0 % size\r\n" +
                        valueLines(1410, "\r\n") + "\n");
  ASSERT_NE(crlf, nullptr);
  EXPECT_FLOAT_EQ(crlf->values[500], 0.5f);
}

TEST(MinBlepTable, RejectsMalformedText) {
  const std::string cases[] = {
      "",
      "0.9 % corner\n64.0 % oversampling\n",
      header("1410.0") + valueLines(1409),         // fewer values than the size
      header("1410.0") + valueLines(1411),         // more
      smallestText(7, " x"),
      smallestText(7, " 0,5"),                     // decimal comma
      smallestText(7, " nan"),
      smallestText(7, " 1e999"),
      smallestText(7, " 0.5 0.5"),
      header("1410.5") + valueLines(1410),         // size not whole
      header("1409.0") + valueLines(1409),         // too few for a step read out to 1408
      header("0.0"),
      header("-3.0"),
      header("1e12") + " 1\n",
      header("1410.0", "32.0") + valueLines(1410),  // the oscillators read 64 points per sample
      "0.9 % corner\n64.0 % oversampling\n0.0 % nzc\n1410.0 % size\n" + valueLines(1410),
      "0.9 % corner\n64.0 % oversampling\n1410.0 % size\n22.0 % nzc\n" + valueLines(1410),  // swapped
      "corner 0.9\n64.0 % oversampling\n22.0 % nzc\n1410.0 % size\n" + valueLines(1410),
  };
  for (const std::string& s : cases) EXPECT_EQ(parseText(s), nullptr) << s.substr(0, 120);
  EXPECT_EQ(MinBlepTable::parse(nullptr, 10), nullptr);
}

TEST(MinBlepTable, ParsesIndependentlyOfTheCLocale) {
  const std::string text = smallestText(1, " 1.25");  // written before the locale changes
  const char* old = std::setlocale(LC_ALL, nullptr);
  const std::string saved = old ? old : "C";
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "fr_FR.UTF-8"))
    GTEST_SKIP() << "no decimal-comma locale installed";
  auto t = parseText(text);
  std::setlocale(LC_ALL, saved.c_str());
  ASSERT_NE(t, nullptr);
  EXPECT_FLOAT_EQ(t->values[1], 1.25f);
}

TEST(MinBlepTable, SharedTableIsCountedByUse) {
  const int before = minBlepTableUseCount();
  MinBlepTable* a = acquireMinBlepTable();
  MinBlepTable* b = acquireMinBlepTable();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a, sharedMinBlepTable());
  EXPECT_TRUE(a->bandLimited);
  EXPECT_EQ(minBlepTableUseCount(), before + 2);
  releaseMinBlepTable();
  releaseMinBlepTable();
  EXPECT_EQ(minBlepTableUseCount(), before);
  // The table outlives its last user.
  EXPECT_EQ(sharedMinBlepTable(), a);
}

TEST(MinBlepTable, ConcurrentUsersShareOneTable) {
  const int before = minBlepTableUseCount();
  constexpr int kThreads = 8, kEach = 200;
  std::vector<MinBlepTable*> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&seen, t] {
      for (int i = 0; i < kEach; ++i) seen[t] = acquireMinBlepTable();
      for (int i = 0; i < kEach / 2; ++i) releaseMinBlepTable();
    });
  for (auto& th : threads) th.join();
  for (MinBlepTable* s : seen) EXPECT_EQ(s, sharedMinBlepTable());
  EXPECT_EQ(minBlepTableUseCount(), before + kThreads * kEach / 2);
  for (int i = 0; i < kThreads * kEach / 2; ++i) releaseMinBlepTable();
  EXPECT_EQ(minBlepTableUseCount(), before);
}

TEST(MinBlepTable, ReleaseWithoutUsersStaysAtZero) {
  const int before = minBlepTableUseCount();
  for (int i = 0; i < before; ++i) releaseMinBlepTable();
  releaseMinBlepTable();
  EXPECT_EQ(minBlepTableUseCount(), 0);
  for (int i = 0; i < before; ++i) acquireMinBlepTable();
}

TEST(MinBlepSaw, WrapQueuesTheStepAtItsSubSampleOffset) {
  SharedTable shared;
  Phasor p;
  p.init(44100.0f);
  MinBlepSaw saw(&p, shared.table);
  saw.clearSteps();
  p.setFrequency(441.0f);
  p.phase = 0.3f * p.increment;
  p.wrapped = 1;
  const float out = saw.tick();
  ASSERT_EQ(saw.count, 1);
  EXPECT_NEAR(saw.positions[saw.head], 19.2f + 64.0f, 1e-3f);
  const float* v = shared.table->values;
  const float step = v[19] + 0.2f * (v[20] - v[19]);
  EXPECT_NEAR(out, (1.0f - step) + p.phase - p.increment * 1.46f, 1e-5f);
}

TEST(MinBlepSaw, StepIsRetiredOnceReadPastTheSincLength) {
  SharedTable shared;
  Phasor p;
  p.init(44100.0f);
  MinBlepSaw saw(&p, shared.table);
  saw.clearSteps();
  p.setFrequency(441.0f);
  p.phase = 0.5f;
  saw.positions[0] = 1400.0f;
  saw.count = 1;
  saw.tail = 1;
  saw.tick();
  EXPECT_EQ(saw.count, 1);
  EXPECT_FLOAT_EQ(saw.positions[0], 1464.0f);
  saw.tick();
  EXPECT_EQ(saw.count, 0);
}

TEST(MinBlepSaw, ResetQueuesNothingAtZeroIncrementAndTheLastWrapOtherwise) {
  SharedTable shared;
  Phasor p;
  p.init(44100.0f);
  p.phase = 0.4f;
  MinBlepSaw saw(&p, shared.table);  // construction sets 220 Hz
  saw.clearSteps();
  p.increment = 0.0f;
  saw.reset(0.0f);
  EXPECT_EQ(saw.count, 0);
  p.setFrequency(10000.0f);  // the last wrap was 0.4 / 0.2268 samples ago
  saw.reset(0.0f);
  ASSERT_EQ(saw.count, 1);
  EXPECT_NEAR(saw.positions[saw.head], 0.4f * p.inverseIncrement * 64.0f, 1e-2f);
  p.setFrequency(100.0f);  // 176 samples ago: the step has settled, nothing queued
  saw.reset(0.0f);
  EXPECT_EQ(saw.count, 1);
}

// A late step queued behind an early one is read out to the retire position while the head
// still waits: from there it has settled and adds nothing, and it never reads beyond the
// table however long it waits.
TEST(MinBlepSaw, StepBehindTheHeadAddsNothingOnceReadOut) {
  SharedTable shared;
  Phasor p;
  p.init(44100.0f);
  MinBlepSaw saw(&p, shared.table);
  saw.clearSteps();
  p.setFrequency(1000.0f);
  p.phase = 0.0f;
  saw.reset(0.0f);   // early step at 0
  p.phase = 0.6f;    // a late step 26.46 samples back: position 1693
  saw.reset(0.0f);
  ASSERT_EQ(saw.count, 2);
  const float late = saw.positions[(saw.head + 1) & (MinBlepSaw::kRingSize - 1)];
  ASSERT_GT(late, MinBlepOsc::kRetirePosition);
  p.phase = 0.5f;
  p.increment = 0.0f;  // hold the phase: no wraps, only the two queued steps
  const float* values = shared.table->values;
  for (int i = 0; i < 22; ++i) {
    // The early step is still at the head; the late one, between 1408 and the table's end
    // at first and past it later, contributes nothing.
    const float v = saw.tick();
    ASSERT_EQ(saw.count, 2);
    ASSERT_NEAR(v, 0.5f + (1.0f - values[i * 64]), 1e-6f) << i;
  }
  saw.tick();
  EXPECT_EQ(saw.count, 0);  // the head retires, and the late step behind it at once
}

// Without a usable resource the oscillators get the ideal step: the naive waveforms.
TEST(MinBlepSaw, IdealStepTableGivesTheNaiveRamp) {
  std::unique_ptr<MinBlepTable> ideal(MinBlepTable::idealStep());
  EXPECT_FALSE(ideal->bandLimited);
  Phasor p;
  p.init(48000.0f);
  MinBlepSaw saw(&p, ideal.get());
  const auto x = osctest::render(p, saw, 48000.0f, 3000.0f, 200);
  p.phase = 0.0f;
  Phasor q;
  q.init(48000.0f);
  q.setFrequency(220.0f);  // as the saw's construction left it
  for (int i = 0; i < 200; ++i) {
    q.setFrequency(3000.0f);
    q.advance();
    ASSERT_NEAR(x[i], q.phase - q.increment * 1.46f, 1e-6f) << i;
  }
}

// Power in the bins that are not harmonics of the pitch, relative to the harmonics' power.
double aliasRatio(const std::vector<float>& x, int cyclesInWindow) {
  const auto power = osctest::powerSpectrum(x);
  double harmonic = 0.0, alias = 0.0;
  for (std::size_t k = 1; k < power.size(); ++k)
    (k % static_cast<std::size_t>(cyclesInWindow) == 0 ? harmonic : alias) += power[k];
  return alias / harmonic;
}

// The naive ramp folds its harmonics above Nyquist back into the band; the band-limited saw
// leaves them out. The pitch puts a whole number of cycles in the window, so the harmonics
// sit on exact bins and every other bin holds only folded energy.
TEST(MinBlepSaw, AliasingIsFarBelowTheNaiveSawAtHighPitch) {
  SharedTable shared;
  constexpr float sr = 44100.0f;
  constexpr int n = 2205, cycles = 157;  // 3140 Hz: harmonics on multiples of bin 157
  const float hz = sr * cycles / n;
  Phasor p;
  p.init(sr);
  MinBlepSaw saw(&p, shared.table);
  const auto blep = osctest::render(p, saw, sr, hz, n, 500);
  struct Naive : PhasorOsc {
    using PhasorOsc::PhasorOsc;
    float tick() override { return phasor->phase; }
  } naive(&p);
  const auto plain = osctest::render(p, naive, sr, hz, n, 500);
  const double blepRatio = aliasRatio(blep, cycles), naiveRatio = aliasRatio(plain, cycles);
  EXPECT_LT(naiveRatio, 0.1);  // the naive saw does alias: the measure sees it
  EXPECT_GT(naiveRatio, 0.005);
  EXPECT_LT(blepRatio, 1e-4);
  EXPECT_LT(blepRatio, naiveRatio / 1000.0) << "band-limited " << blepRatio << " naive " << naiveRatio;
}

// A ramp from 0 to 1 keeps the power of its harmonics below the table's corner (each 1/(pi m)
// in amplitude; all of them make RMS 1/sqrt(12)); the fixed offset of increment x 1.46
// cancels the step's delay, so the mean stays at 0.5 at every pitch.
TEST(MinBlepSaw, LevelAndMeanMatchTheIdealRampAtEveryPitch) {
  SharedTable shared;
  for (float sr : {44100.0f, 48000.0f}) {
    for (float hz : {110.0f, 880.0f, 5000.0f}) {
      Phasor p;
      p.init(sr);
      MinBlepSaw saw(&p, shared.table);
      const auto x = osctest::render(p, saw, sr, hz, static_cast<int>(sr / 2), 200);
      const double m = osctest::mean(x);
      double ss = 0.0;
      for (float v : x) ss += (v - m) * (v - m);
      EXPECT_NEAR(m, 0.5, 0.005) << sr << " " << hz;
      double power = 0.0;
      for (int m = 1; m * hz < 0.9 * sr / 2; ++m)
        power += 1.0 / (2.0 * std::numbers::pi * std::numbers::pi * m * m);
      EXPECT_NEAR(std::sqrt(ss / x.size()), std::sqrt(power), 0.004) << sr << " " << hz;
    }
  }
}

TEST(MinBlepPulse, MeanLevelFollowsTheWidth) {
  SharedTable shared;
  for (float sr : {44100.0f, 48000.0f}) {
    for (float w : {0.11f, 0.25f, 0.5f, 0.8f, 0.99f}) {
      Phasor p;
      p.init(sr);
      MinBlepPulse pulse(&p, shared.table);
      p.setFrequency(sr / 100.0f);
      pulse.setWidth(w);
      const auto x = osctest::render(p, pulse, sr, sr / 100.0f, 100 * 40, 200);
      EXPECT_NEAR(osctest::mean(x), w, 0.011) << sr << " width " << w;
      EXPECT_NEAR(osctest::crossings(x, 0.5, true), 40, 1) << sr << " width " << w;
    }
  }
}

TEST(MinBlepPulse, WidthIsHeldOneIncrementInsideTheCycle) {
  Phasor p;
  p.init(44100.0f);
  MinBlepPulse pulse(&p, nullptr);
  p.increment = 0.01f;
  p.oneMinusIncrement = 0.99f;
  struct Case {
    float w, effective;
  };
  for (const Case c : {Case{0.995f, 0.99f}, Case{0.005f, 0.01f}, Case{0.3f, 0.3f}, Case{0.01f, 0.01f}}) {
    pulse.setWidth(c.w);
    EXPECT_FLOAT_EQ(pulse.width, c.w);
    EXPECT_FLOAT_EQ(pulse.effectiveWidth, c.effective) << c.w;
  }
}

TEST(MinBlepPulse, WidthMovedAcrossThePhaseMakesAnEdgeAtOnce) {
  SharedTable shared;
  Phasor p;
  p.init(44100.0f);
  MinBlepPulse pulse(&p, shared.table);
  p.setFrequency(441.0f);
  pulse.setWidth(0.5f);
  osctest::render(p, pulse, 44100.0f, 441.0f, 130);  // one cycle and 0.3 of the next
  EXPECT_EQ(pulse.level, 1.0f);
  pulse.setWidth(0.2f);  // now below the phase
  p.advance();
  pulse.tick();
  EXPECT_EQ(pulse.level, 0.0f);
  pulse.setWidth(0.8f);  // above it again
  p.advance();
  p.advance();
  pulse.tick();
  EXPECT_EQ(pulse.level, 1.0f);
}

TEST(MinBlepPulse, ResetRebuildsTheLevelFromThePhase) {
  SharedTable shared;
  Phasor p;
  p.init(44100.0f);
  MinBlepPulse pulse(&p, shared.table);
  p.setFrequency(441.0f);
  pulse.setWidth(0.5f);
  pulse.clearSteps();
  p.phase = 0.6f;  // past the width: the fall happened 10 samples ago
  pulse.reset(0.0f);
  EXPECT_EQ(pulse.level, 0.0f);
  EXPECT_EQ(pulse.count, 1);  // the rise, 60 samples back, has settled
  pulse.clearSteps();
  p.phase = 0.2f;
  pulse.reset(0.0f);
  EXPECT_EQ(pulse.level, 1.0f);
  EXPECT_EQ(pulse.count, 1);
  pulse.clearSteps();
  p.increment = 0.0f;
  pulse.reset(0.0f);
  EXPECT_EQ(pulse.level, 1.0f);
  EXPECT_EQ(pulse.count, 0);
}

}  // namespace
