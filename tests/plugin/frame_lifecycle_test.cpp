// The effect record a new object presents, the flag setters, the close path, exceptions at
// the C boundary and the text helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "frame_spy.h"

namespace frametest {
namespace {

TEST(FrameRecord, ConstructorSetsTheDefaults) {
  auto spy = std::make_unique<SpyEffect>(fakeHost);
  const AEffect* e = spy->getAeffect();
  EXPECT_EQ(e->magic, fourCharCode('V', 's', 't', 'P'));
  EXPECT_EQ(e->numPrograms, SpyEffect::kPrograms);
  EXPECT_EQ(e->numParams, SpyEffect::kParams);
  EXPECT_EQ(e->numInputs, 1);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(e->flags, effFlagsCanReplacing);
  EXPECT_EQ(e->ioRatio, 1.0f);
  EXPECT_EQ(e->object, spy.get());
  EXPECT_EQ(e->user, nullptr);
  EXPECT_EQ(e->uniqueID, fourCharCode('N', 'o', 'E', 'f'));
  EXPECT_EQ(e->version, 1);
  EXPECT_EQ(e->initialDelay, 0);
  EXPECT_EQ(e->resvd1, 0);
  EXPECT_EQ(e->resvd2, 0);
  for (char c : e->future) EXPECT_EQ(c, 0);
  EXPECT_NE(e->dispatcher, nullptr);
  EXPECT_NE(e->process, nullptr);
  EXPECT_NE(e->setParameter, nullptr);
  EXPECT_NE(e->getParameter, nullptr);
  EXPECT_NE(e->processReplacing, nullptr);
  EXPECT_NE(e->processDoubleReplacing, nullptr);
  EXPECT_EQ(spy->getSampleRate(), 44100.0f);
  EXPECT_EQ(spy->getBlockSize(), 1024);
  EXPECT_EQ(spy->getEditor(), nullptr);
}

TEST(FrameRecord, FlagSettersSetAndClearOnlyTheirBit) {
  struct Setter {
    int32_t flag;
    std::function<void(SpyEffect&, bool)> set;
  };
  const Setter setters[] = {
      {effFlagsHasClip, [](SpyEffect& s, bool on) { s.hasClip(on); }},
      {effFlagsHasVu, [](SpyEffect& s, bool on) { s.hasVu(on); }},
      {effFlagsCanMono, [](SpyEffect& s, bool on) { s.canMono(on); }},
      {effFlagsCanReplacing, [](SpyEffect& s, bool on) { s.canProcessReplacing(on); }},
      {effFlagsProgramChunks, [](SpyEffect& s, bool on) { s.programsAreChunks(on); }},
      {effFlagsIsSynth, [](SpyEffect& s, bool on) { s.isSynth(on); }},
      {effFlagsNoSoundInStop, [](SpyEffect& s, bool on) { s.noTail(on); }},
      {effFlagsExtIsAsync, [](SpyEffect& s, bool on) { s.wantAsyncOperation(on); }},
      {effFlagsExtHasBuffer, [](SpyEffect& s, bool on) { s.hasExternalBuffer(on); }},
      {effFlagsCanDoubleReplacing, [](SpyEffect& s, bool on) { s.canDoubleReplacing(on); }},
  };
  for (const Setter& s : setters) {
    SCOPED_TRACE(testing::Message() << "flag 0x" << std::hex << s.flag);
    auto spy = std::make_unique<SpyEffect>(nullptr);
    AEffect* e = spy->getAeffect();
    for (const int32_t base : {0, ~0}) {
      e->flags = base;
      s.set(*spy, true);
      EXPECT_EQ(e->flags, base | s.flag);
      s.set(*spy, false);
      EXPECT_EQ(e->flags, base & ~s.flag);
    }
  }
}

TEST(FrameRecord, SetEditorSetsTheEditorFlag) {
  auto spy = std::make_unique<SpyEffect>(nullptr);
  auto* editor = new SpyEditor(spy.get());
  spy->setEditor(editor);
  EXPECT_EQ(spy->getEditor(), editor);
  EXPECT_EQ(spy->getAeffect()->flags, effFlagsHasEditor | effFlagsCanReplacing);
  spy->setEditor(nullptr);
  delete editor;
  EXPECT_EQ(spy->getAeffect()->flags, effFlagsCanReplacing);
}

TEST(FrameRecord, PlainSettersStoreIntoTheRecord) {
  auto spy = std::make_unique<SpyEffect>(nullptr);
  const AEffect* e = spy->getAeffect();
  spy->setUniqueID(fourCharCode('Q', 'V', 'u', 'I'));
  spy->setNumInputs(2);
  spy->setNumOutputs(6);
  spy->setInitialDelay(64);
  spy->setRealtimeQualities(3);
  spy->setOfflineQualities(4);
  EXPECT_EQ(e->uniqueID, 0x51567549);
  EXPECT_EQ(e->numInputs, 2);
  EXPECT_EQ(e->numOutputs, 6);
  EXPECT_EQ(e->initialDelay, 64);
  EXPECT_EQ(e->realQualities, 3);
  EXPECT_EQ(e->offQualities, 4);
}

// Destruction is seen through a flag; the sanitizer build also catches a second delete or
// any use of the object after close.
struct Tracked : SpyEffect {
  static inline int destroyed = 0;
  bool throwOnClose = false;
  explicit Tracked(audioMasterCallback host) : SpyEffect(host) {}
  ~Tracked() override { ++destroyed; }
  void close() override {
    SpyEffect::close();
    if (throwOnClose) throw std::runtime_error("close failed");
  }
};

TEST(FrameLifecycle, CloseCallsCloseThenDeletesTheObjectAndReturnsOne) {
  Tracked::destroyed = 0;
  auto* t = new Tracked(fakeHost);
  t->setEditor(new SpyEditor(t));
  AEffect* e = t->getAeffect();
  resetRecords();
  EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0), 1);
  EXPECT_EQ(Tracked::destroyed, 1);
  ASSERT_EQ(calls().size(), 1u);
  EXPECT_EQ(calls()[0].name, "close");
}

TEST(FrameLifecycle, AThrowingCloseStillDeletesTheObject) {
  Tracked::destroyed = 0;
  auto* t = new Tracked(fakeHost);
  t->throwOnClose = true;
  AEffect* e = t->getAeffect();
  EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0), 1);
  EXPECT_EQ(Tracked::destroyed, 1);
}

struct Thrower : SpyEffect {
  explicit Thrower(audioMasterCallback host) : SpyEffect(host) {}
  void open() override { throw std::runtime_error("open"); }
  int32_t getVendorVersion() override { throw 42; }
  void processReplacing(float**, float**, int32_t) override { throw std::bad_alloc(); }
  void processDoubleReplacing(double**, double**, int32_t) override { throw std::bad_alloc(); }
  void process(float**, float**, int32_t) override { throw std::logic_error("process"); }
  void setParameter(int32_t, float) override { throw std::runtime_error("set"); }
  float getParameter(int32_t) override { throw std::runtime_error("get"); }
};

TEST(FrameLifecycle, ExceptionsFromOverridesStopAtTheTrampolines) {
  auto t = std::make_unique<Thrower>(fakeHost);
  AEffect* e = t->getAeffect();
  float buffer[4] = {};
  float* channels[2] = {buffer, buffer};
  double dbuffer[4] = {};
  double* dchannels[2] = {dbuffer, dbuffer};
  EXPECT_NO_THROW(EXPECT_EQ(e->dispatcher(e, effOpen, 0, 0, nullptr, 0), 0));
  EXPECT_NO_THROW(EXPECT_EQ(e->dispatcher(e, effGetVendorVersion, 0, 0, nullptr, 0), 0));
  EXPECT_NO_THROW(e->processReplacing(e, channels, channels, 4));
  EXPECT_NO_THROW(e->processDoubleReplacing(e, dchannels, dchannels, 4));
  EXPECT_NO_THROW(e->process(e, channels, channels, 4));
  EXPECT_NO_THROW(e->setParameter(e, 0, 0.5f));
  EXPECT_NO_THROW(EXPECT_EQ(e->getParameter(e, 0), 0.0f));
  // The object is still whole and answers afterwards.
  EXPECT_EQ(e->dispatcher(e, effGetVstVersion, 0, 0, nullptr, 0), 2400);
}

std::string text(const std::function<void(char*)>& write) {
  char buffer[64];
  std::memset(buffer, '#', sizeof buffer);
  write(buffer);
  EXPECT_NE(std::memchr(buffer, 0, sizeof buffer), nullptr) << "not terminated";
  return buffer;
}

TEST(FrameText, Int2stringWritesDigitsOrHuge) {
  auto spy = std::make_unique<SpyEffect>(nullptr);
  struct Case {
    int32_t value;
    const char* expected;
  };
  for (const Case& c : {Case{0, "0"}, Case{42, "42"}, Case{-7, "-7"}, Case{99999999, "99999999"},
                        Case{100000000, "Huge!"}, Case{2147483647, "Huge!"}}) {
    EXPECT_EQ(text([&](char* b) { spy->int2string(c.value, b, 20); }), c.expected) << c.value;
  }
  EXPECT_EQ(text([&](char* b) { spy->int2string(123456, b, 3); }), "123");
  EXPECT_EQ(text([&](char* b) { spy->int2string(100000000, b, 2); }), "Hu");
}

TEST(FrameText, Db2stringWritesMinusInfinityAtOrBelowZeroElseTwentyLog10) {
  auto spy = std::make_unique<SpyEffect>(nullptr);
  EXPECT_EQ(text([&](char* b) { spy->dB2string(0.0f, b, 20); }), "-oo");
  EXPECT_EQ(text([&](char* b) { spy->dB2string(-0.5f, b, 20); }), "-oo");
  for (const float v : {1.0f, 0.5f, 2.0f, 10.0f, 1e-3f}) {
    const std::string s = text([&](char* b) { spy->dB2string(v, b, 20); });
    EXPECT_NEAR(std::strtod(s.c_str(), nullptr), 20.0 * std::log10(static_cast<double>(v)), 1e-4) << s;
    int digits = 0;
    for (char c : s) digits += c >= '0' && c <= '9';
    EXPECT_LE(digits, 8) << s;
  }
}

TEST(FrameText, Float2stringKeepsEightDigitsAndRespectsTheLength) {
  auto spy = std::make_unique<SpyEffect>(nullptr);
  for (const float v : {0.0f, 3.25f, -12.5f, 1234.5678f, 9999999.0f}) {
    const std::string s = text([&](char* b) { spy->float2string(v, b, 20); });
    int digits = 0;
    for (char c : s) digits += c >= '0' && c <= '9';
    EXPECT_LE(digits, 8) << s;
    EXPECT_NEAR(std::strtod(s.c_str(), nullptr), v, std::fabs(v) * 1e-6 + 1e-6) << s;
  }
  EXPECT_EQ(text([&](char* b) { spy->float2string(1e9f, b, 20); }), "Huge!");
  EXPECT_EQ(text([&](char* b) { spy->float2string(3.25f, b, 4); }), "3.25");
  EXPECT_EQ(text([&](char* b) { spy->float2string(3.25f, b, 0); }), "");
}

TEST(FrameText, HzAndMsConvertThroughTheSampleRate) {
  auto spy = std::make_unique<SpyEffect>(nullptr);
  spy->setSampleRate(48000.0f);
  EXPECT_NEAR(std::strtod(text([&](char* b) { spy->Hz2string(480.0f, b, 20); }).c_str(), nullptr), 100.0, 1e-4);
  EXPECT_NEAR(std::strtod(text([&](char* b) { spy->Hz2string(0.0f, b, 20); }).c_str(), nullptr), 0.0, 1e-9);
  EXPECT_NEAR(std::strtod(text([&](char* b) { spy->ms2string(24000.0f, b, 20); }).c_str(), nullptr), 500.0, 1e-4);
}

}  // namespace
}  // namespace frametest

namespace frametest {
namespace {

TEST(FrameSpeakers, CopySpeakerLimitsTheNameTo63Characters) {
  auto spy = std::make_unique<SpyEffect>(nullptr);
  VstSpeakerProperties from{}, to{};
  std::memset(from.name, 'n', sizeof from.name);  // not terminated
  std::memset(to.name, 'x', sizeof to.name);
  from.azimuth = 0.5f;
  from.type = 3;
  EXPECT_TRUE(spy->copySpeaker(&to, &from));
  EXPECT_EQ(std::string(to.name), std::string(63, 'n'));
  EXPECT_EQ(to.azimuth, 0.5f);
  EXPECT_EQ(to.type, 3);
  std::strcpy(from.name, "L");
  EXPECT_TRUE(spy->copySpeaker(&to, &from));
  EXPECT_STREQ(to.name, "L");
  EXPECT_FALSE(spy->copySpeaker(nullptr, &from));
  EXPECT_FALSE(spy->copySpeaker(&to, nullptr));
}

TEST(FrameSpeakers, MatchArrangementCopiesEveryChannelAndRefusesBadCounts) {
  auto spy = std::make_unique<SpyEffect>(nullptr);
  VstSpeakerArrangement* source = nullptr;
  ASSERT_TRUE(spy->allocateArrangement(&source, 12));
  source->type = 7;
  // The record declares 8 speakers and really holds numChannels.
  VstSpeakerProperties* sourceSpeakers = source->speakers;
  for (int i = 0; i < 12; ++i) std::snprintf(sourceSpeakers[i].name, 64, "ch%d", i);
  VstSpeakerArrangement* target = nullptr;
  ASSERT_TRUE(spy->matchArrangement(&target, source));
  EXPECT_EQ(target->type, 7);
  EXPECT_EQ(target->numChannels, 12);
  const VstSpeakerProperties* targetSpeakers = target->speakers;
  EXPECT_STREQ(targetSpeakers[11].name, "ch11");
  EXPECT_FALSE(spy->matchArrangement(&target, nullptr));
  EXPECT_FALSE(spy->allocateArrangement(&target, -1));
  EXPECT_TRUE(spy->deallocateArrangement(&target));
  EXPECT_EQ(target, nullptr);
  EXPECT_TRUE(spy->deallocateArrangement(&source));
}

}  // namespace
}  // namespace frametest
