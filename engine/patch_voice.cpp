// Creation and teardown of a voice context's records.
#include "engine/patch_voice.h"

#include <array>
#include <cmath>
#include <cstring>
#include <memory>

#include "engine/sanitize.h"

namespace {

void copyName(PatchModule& module, const char* name) {
  if (name == nullptr) name = "";
  std::strncpy(module.name, name, sizeof module.name - 1);
  module.name[sizeof module.name - 1] = '\0';
}

void destroyObject(PatchModule& module) {
  if (!module.ownsDsp || module.dsp == nullptr) return;
  if (ModuleDestroyFn destroy = moduleKernel(module.type).destroy) destroy(module.dsp);
  module.dsp = nullptr;
  module.ownsDsp = false;
}

int usableOrDefault(int rate) { return isUsableSampleRate(rate) ? rate : kDefaultSampleRate; }

}  // namespace

bool appendControlInput(PatchModule& module, PatchInput* input) {
  if (input == nullptr || module.controlCount >= kMaxModuleInputs) return false;
  module.controlInputs[module.controlCount++] = input;
  return true;
}

bool appendAudioInput(PatchModule& module, PatchInput* input) {
  if (input == nullptr || module.audioCount >= kMaxModuleInputs) return false;
  module.audioInputs[module.audioCount++] = input;
  return true;
}

void setNormalSource(PatchInput& input, PatchModule* source, std::int32_t outputIndex) {
  input.source = source;
  input.normalSource = source;
  input.outputIndex = outputIndex;
  input.normalOutputIndex = outputIndex;
}

SharedModules::SharedModules(int rate) : sampleRate_(usableOrDefault(rate)) {}

std::array<PatchModule*, 12> SharedModules::records() const {
  return {noise, clock, audioIn1, audioIn2, pan, keyboardLfo, reverb, plus10Volts, minus10Volts, zeroVolts,
          leftInput, rightInput};
}

SharedModules::~SharedModules() {
  for (PatchModule* m : records()) {
    if (m == nullptr) continue;
    destroyObject(*m);
    delete m;
  }
}

bool SharedModules::setSampleRate(int rate) {
  if (!isUsableSampleRate(rate)) return false;
  sampleRate_ = rate;
  for (PatchModule* m : records()) {
    if (m == nullptr || !m->ownsDsp || m->dsp == nullptr) continue;
    if (ModuleSetSampleRateFn set = moduleKernel(m->type).setSampleRate) set(m->dsp, rate);
  }
  return true;
}

PatchModule* SharedModules::create(const char* name, ModuleType type, PatchVoice& buildingVoice, int argument) {
  auto m = std::make_unique<PatchModule>();  // freed again when the object's create throws
  copyName(*m, name);
  m->type = type;
  if (ModuleCreateFn create = moduleKernel(type).create) {
    m->dsp = create(buildingVoice, buildingVoice.sampleRate(), argument);
    m->ownsDsp = m->dsp != nullptr;
  }
  return m.release();
}

PatchVoice::PatchVoice(int rate) : sampleRate_(usableOrDefault(rate)) {}

bool PatchVoice::setSampleRate(int rate) {
  if (!isUsableSampleRate(rate)) return false;
  const int old = sampleRate();
  const bool faded = rampRate.load(std::memory_order_relaxed) == fadedRampRate(old);
  sampleRate_.store(rate, std::memory_order_relaxed);
  rampRate.store(faded ? fadedRampRate(rate) : normalRampRate(rate), std::memory_order_relaxed);
  for (int i = 0; i < moduleCount; ++i) {
    if (setSampleRateFns[i] != nullptr && dsps[i] != nullptr) setSampleRateFns[i](dsps[i], rate);
  }
  return true;
}

PatchVoice::~PatchVoice() {
  for (PatchInput* in = inputList; in != nullptr;) {
    PatchInput* next = in->nextInput;
    delete in;
    in = next;
  }
  for (PatchOutput* out = outputJacks; out != nullptr;) {
    PatchOutput* next = out->next;
    delete out;
    out = next;
  }
  for (int i = 0; i < moduleCount; ++i) {
    if (modules[i] == nullptr) continue;
    destroyObject(*modules[i]);
    delete modules[i];
  }
}

PatchModule* PatchVoice::addRecord(const char* name, ModuleType type) {
  if (moduleCount >= kMaxVoiceModules) return nullptr;
  auto* m = new PatchModule;
  copyName(*m, name);
  m->type = type;
  m->index = moduleCount;
  const int i = moduleCount++;
  modules[i] = m;
  types[i] = type;
  isGenerator[i] = 0;
  computed[i] = 0;
  visiting[i] = 0;
  cache[i] = 0.0f;
  lastControl[i] = 0.0f;
  dsps[i] = nullptr;
  setControlFns[i] = nullptr;
  processFns[i] = nullptr;
  outputFns[i] = nullptr;
  tickFns[i] = nullptr;
  accumulateFns[i] = nullptr;
  setSampleRateFns[i] = nullptr;
  return m;
}

void PatchVoice::bindModule(PatchModule& module, void* dsp, const ModuleKernel& functions) {
  const int i = module.index;
  if (i < 0 || i >= moduleCount || modules[i] != &module) return;
  if (module.dsp != dsp) destroyObject(module);  // an object the record made goes with it
  module.dsp = dsp;
  dsps[i] = dsp;
  isGenerator[i] = functions.generator ? 1 : 0;
  setControlFns[i] = functions.setControl;
  processFns[i] = functions.process;
  outputFns[i] = functions.output;
  tickFns[i] = functions.tick;
  accumulateFns[i] = functions.accumulate;
  setSampleRateFns[i] = functions.setSampleRate;
  invalidateSchedule();
}

PatchModule* PatchVoice::newModule(const char* name, ModuleType type, int argument) {
  PatchModule* m = addRecord(name, type);
  if (m == nullptr) return nullptr;
  const ModuleKernel& kernel = moduleKernel(type);
  void* dsp = kernel.create ? kernel.create(*this, sampleRate(), argument) : nullptr;
  m->ownsDsp = dsp != nullptr;
  bindModule(*m, dsp, kernel);
  return m;
}

PatchModule* PatchVoice::newModuleOver(const char* name, ModuleType type, const PatchModule& objectOwner) {
  PatchModule* m = addRecord(name, type);
  if (m == nullptr) return nullptr;
  ModuleKernel view = moduleKernel(type);
  view.setSampleRate = nullptr;  // the object's own record passes rate changes on
  bindModule(*m, objectOwner.dsp, view);
  return m;
}

PatchModule* PatchVoice::wrapSharedModule(const PatchModule& shared, const char* name, ModuleType type) {
  PatchModule* m = addRecord(name, type);
  if (m == nullptr) return nullptr;
  const ModuleKernel& kernel = moduleKernel(type);
  ModuleKernel wrapper;
  wrapper.generator = kernel.generator;
  wrapper.output = kernel.output;
  wrapper.accumulate = kernel.accumulate;
  bindModule(*m, shared.dsp, wrapper);
  return m;
}

PatchInput* PatchVoice::newInput(float gain, std::int32_t outputIndex) {
  const bool inColumn = buildingOwnInputs_ && gainColumn_ != nullptr && gainsInColumn_ < gainCapacity_;
  float& slot = inColumn ? gainColumn_[static_cast<std::ptrdiff_t>(gainsInColumn_++) * gainStride_]
                         : gainStore_.emplace_back(0.0f);
  auto* in = new PatchInput(slot);
  in->gain = flushNonNormal(gain);
  in->target = in->gain;
  in->off = std::fabs(in->gain) < 1e-6f;
  in->step = 0.0f;
  in->outputIndex = outputIndex;
  in->normalOutputIndex = outputIndex;
  in->arrived = 0;
  in->nextRamp = rampList;
  rampList = in;
  in->nextInput = inputList;
  inputList = in;
  invalidateSchedule();  // it will be appended to a module
  return in;
}

void PatchVoice::useMemoColumns(float* cacheFirst, float* lastControlFirst, int stride) {
  cache = VoiceFloats{cacheFirst, stride};
  lastControl = VoiceFloats{lastControlFirst, stride};
}

void PatchVoice::useGainColumn(float* first, int stride, int capacity) {
  gainColumn_ = first;
  gainStride_ = stride;
  gainCapacity_ = first != nullptr ? capacity : 0;
  gainsInColumn_ = 0;
}

PatchOutput* PatchVoice::newOutput(std::uint32_t code, std::int32_t outputIndex, PatchModule* module) {
  auto* out = new PatchOutput;
  out->code = code;
  out->outputIndex = outputIndex;
  out->module = module;
  out->next = outputJacks;
  outputJacks = out;
  return out;
}
