// What the plug-in declares: the effect record, its names, category and canDo answers, and
// every host parameter's values and texts, read through host buffers guarded by canaries.
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "validate.h"

namespace qhost {
namespace {

// kPlugCategUnknown .. kPlugCategShell: the categories a VST 2.4 plug-in can declare.
constexpr intptr_t kLastCategory = 11;
constexpr intptr_t kSynthCategory = 2;
// Hosts give parameter names more room than the 8 characters the interface first promised.
constexpr size_t kParamNameBuffer = 64;
constexpr size_t kCanaryBytes = 32;
constexpr unsigned char kCanary = 0xA5;

// A host text buffer of `capacity` bytes (terminating zero included) with canary bytes
// after it; `why` says what went wrong when the plug-in wrote past the buffer or left it
// unterminated.
struct GuardedText {
  std::string text;
  std::string why;
};

GuardedText guardedText(const Instance& instance, int32_t opcode, int32_t index, size_t capacity) {
  std::vector<unsigned char> buffer(capacity + kCanaryBytes, kCanary);
  std::fill(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(capacity), 0);
  instance.dispatch(opcode, index, 0, buffer.data());
  GuardedText out;
  for (size_t i = capacity; i < buffer.size(); ++i)
    if (buffer[i] != kCanary) {
      out.why = "wrote past the host's " + std::to_string(capacity) + "-byte buffer";
      return out;
    }
  const auto* end = static_cast<const unsigned char*>(std::memchr(buffer.data(), 0, capacity));
  if (!end) {
    out.why = "left the " + std::to_string(capacity) + "-byte buffer unterminated";
    return out;
  }
  out.text.assign(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(end - buffer.data()));
  return out;
}

CheckResult infoRecord(const ValidateContext& ctx) {
  Instance instance;
  CheckResult result;
  if (!startOrFail(instance, ctx, 44100, 512, result)) return result;
  const AEffect* e = instance.effect();
  if (!(e->flags & effFlagsCanReplacing)) return CheckResult::fail("the flags lack canReplacing");
  if (!e->setParameter || !e->getParameter || !e->dispatcher) return CheckResult::fail("a function of the record is missing");
  if (e->numParams < 0 || e->numPrograms < 0) return CheckResult::fail("negative parameter or program count");
  if (e->uniqueID == 0) return CheckResult::fail("the unique ID is 0");
  const intptr_t version = instance.dispatch(effGetVstVersion);
  if (version != 2400) return CheckResult::fail("effGetVstVersion answers " + std::to_string(version) + ", not 2400");
  if ((e->flags & effFlagsIsSynth) && e->numOutputs == 0) return CheckResult::fail("a synth without outputs");
  return CheckResult::pass();
}

CheckResult infoNames(const ValidateContext& ctx) {
  Instance instance;
  CheckResult result;
  if (!startOrFail(instance, ctx, 44100, 512, result)) return result;
  const struct {
    const char* what;
    int32_t opcode;
    size_t capacity;
  } kTexts[] = {{"effect name", effGetEffectName, kVstMaxEffectNameLen},
                {"vendor", effGetVendorString, kVstMaxVendorStrLen},
                {"product", effGetProductString, kVstMaxProductStrLen},
                {"program name", effGetProgramName, kVstMaxProgNameLen}};
  for (const auto& t : kTexts) {
    const GuardedText text = guardedText(instance, t.opcode, 0, t.capacity);
    if (!text.why.empty()) return CheckResult::fail(std::string("the ") + t.what + " " + text.why);
  }
  if (guardedText(instance, effGetEffectName, 0, kVstMaxEffectNameLen).text.empty())
    return CheckResult::fail("the effect name is empty");
  for (int32_t p = 0; p < instance.effect()->numPrograms; ++p) {
    const GuardedText text = guardedText(instance, effGetProgramNameIndexed, p, kVstMaxProgNameLen);
    if (!text.why.empty()) return CheckResult::fail("program " + std::to_string(p) + "'s name " + text.why);
  }
  return CheckResult::pass();
}

CheckResult infoCategory(const ValidateContext& ctx) {
  Instance instance;
  CheckResult result;
  if (!startOrFail(instance, ctx, 44100, 512, result)) return result;
  const intptr_t category = instance.dispatch(effGetPlugCategory);
  if (category < 0 || category > kLastCategory)
    return CheckResult::fail("category " + std::to_string(category) + " is not a VST 2.4 category");
  const bool synth = instance.effect()->flags & effFlagsIsSynth;
  if (category == kSynthCategory && !synth) return CheckResult::fail("category synth without the isSynth flag");
  if (synth && category != kSynthCategory && category != 0)
    return CheckResult::fail("the isSynth flag with category " + std::to_string(category));
  return CheckResult::pass();
}

CheckResult infoCanDo(const ValidateContext& ctx) {
  Instance instance;
  CheckResult result;
  if (!startOrFail(instance, ctx, 44100, 512, result)) return result;
  char unknown[] = "qhostNoSuchFeature";
  const intptr_t answer = instance.dispatch(effCanDo, 0, 0, unknown);
  if (answer > 0) return CheckResult::fail("canDo says yes to a feature that does not exist");
  for (const char* feature : {"receiveVstEvents", "receiveVstMidiEvent", "sendVstEvents", "sendVstMidiEvent",
                              "receiveVstTimeInfo", "offline", "bypass", "midiProgramNames"}) {
    std::string text = feature;
    const intptr_t a = instance.dispatch(effCanDo, 0, 0, text.data());
    if (a < -1 || a > 1) return CheckResult::fail("canDo " + text + " answers " + std::to_string(a));
  }
  if ((instance.effect()->flags & effFlagsIsSynth) && !ctx.takesMidi)
    return CheckResult::fail("a synth that answers no to canDo receiveVstEvents and receiveVstMidiEvent");
  return CheckResult::pass();
}

// Reads parameter `index` back: finite and in 0..1, or the reason it is not.
std::string readBack(const Instance& instance, int32_t index, const char* after) {
  AEffect* e = instance.effect();
  const float v = e->getParameter(e, index);
  if (std::isfinite(v) && v >= 0.0f && v <= 1.0f) return {};
  return "parameter " + std::to_string(index) + " reads back " + std::to_string(v) + " after " + after;
}

CheckResult paramValues(const ValidateContext& ctx) {
  Instance instance;
  CheckResult result;
  if (!startOrFail(instance, ctx, 44100, 512, result)) return result;
  AEffect* e = instance.effect();
  std::mt19937 random(7);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  const int randomRounds = ctx.scaled(2, 4, 10);
  for (int32_t i = 0; i < e->numParams; ++i) {
    const struct {
      float value;
      const char* name;
    } kValues[] = {{0.0f, "0"}, {1.0f, "1"}, {0.5f, "0.5"}, {std::numeric_limits<float>::quiet_NaN(), "NaN"}};
    for (const auto& v : kValues) {
      e->setParameter(e, i, v.value);
      if (std::string why = readBack(instance, i, v.name); !why.empty()) return CheckResult::fail(why);
    }
    for (int r = 0; r < randomRounds; ++r) {
      e->setParameter(e, i, unit(random));
      if (std::string why = readBack(instance, i, "a random value"); !why.empty()) return CheckResult::fail(why);
    }
  }
  instance.inputLevel = 0.25f;
  instance.process(512, chord(ctx));
  const int64_t bad = nonFinite(instance, 512) + instance.render(static_cast<int64_t>(instance.rate()) / 2);
  if (bad > 0) return CheckResult::fail(std::to_string(bad) + " non-finite samples after the parameter changes");
  return CheckResult::pass();
}

CheckResult paramStrings(const ValidateContext& ctx) {
  Instance instance;
  CheckResult result;
  if (!startOrFail(instance, ctx, 44100, 512, result)) return result;
  AEffect* e = instance.effect();
  const size_t shortText = static_cast<size_t>(kVstMaxParamStrLen) + 1;
  for (float value : {0.0f, 0.5f, 1.0f, 0.123f}) {
    for (int32_t i = 0; i < e->numParams; ++i) {
      e->setParameter(e, i, value);
      const struct {
        const char* what;
        int32_t opcode;
        size_t capacity;
      } kTexts[] = {{"name", effGetParamName, kParamNameBuffer},
                    {"label", effGetParamLabel, shortText},
                    {"display", effGetParamDisplay, shortText}};
      for (const auto& t : kTexts) {
        const GuardedText text = guardedText(instance, t.opcode, i, t.capacity);
        if (!text.why.empty())
          return CheckResult::fail("parameter " + std::to_string(i) + "'s " + t.what + " at " +
                                   std::to_string(value) + " " + text.why);
      }
    }
  }
  return CheckResult::pass();
}

}  // namespace

std::vector<Check> infoChecks() {
  return {{"info.record", infoRecord}, {"info.names", infoNames}, {"info.category", infoCategory},
          {"info.canDo", infoCanDo}};
}

std::vector<Check> parameterChecks() { return {{"params.values", paramValues}, {"params.strings", paramStrings}}; }

}  // namespace qhost
