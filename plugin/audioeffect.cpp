#include "plugin/audioeffect.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

AudioEffect::AudioEffect(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams)
    : audioMaster_(audioMaster), numPrograms_(numPrograms), numParams_(numParams) {
  std::memset(&cEffect_, 0, sizeof(cEffect_));
  cEffect_.magic = kEffectMagic;
  cEffect_.dispatcher = dispatchEffectClass;
  cEffect_.process = processClass;
  cEffect_.setParameter = setParameterClass;
  cEffect_.getParameter = getParameterClass;
  cEffect_.processReplacing = processClassReplacing;
  cEffect_.processDoubleReplacing = processClassDoubleReplacing;
  cEffect_.numPrograms = numPrograms;
  cEffect_.numParams = numParams;
  cEffect_.numInputs = 1;
  cEffect_.numOutputs = 2;
  cEffect_.flags = effFlagsCanReplacing;
  cEffect_.ioRatio = 1.0f;
  cEffect_.object = this;
  cEffect_.uniqueID = fourCharCode('N', 'o', 'E', 'f');
  cEffect_.version = 1;
}

AudioEffect::~AudioEffect() { delete editor_; }

void AudioEffect::setEditor(AEffEditor* editor) {
  editor_ = editor;
  setFlag(effFlagsHasEditor, editor != nullptr);
}

namespace {

AudioEffect* objectOf(AEffect* e) {
  return e ? static_cast<AudioEffect*>(e->object) : nullptr;
}

}  // namespace

intptr_t AudioEffect::dispatchEffectClass(AEffect* e, int32_t opcode, int32_t index,
                                          intptr_t value, void* ptr, float opt) {
  AudioEffect* self = objectOf(e);
  if (!self) return 0;
  if (opcode == effClose) {
    // The host forgets the effect after this call: the object goes even when close throws.
    try {
      self->dispatcher(opcode, index, value, ptr, opt);
    } catch (...) {
    }
    delete self;
    return 1;
  }
  try {
    return self->dispatcher(opcode, index, value, ptr, opt);
  } catch (...) {
    return 0;
  }
}

void AudioEffect::processClass(AEffect* e, float** inputs, float** outputs, int32_t frames) {
  AudioEffect* self = objectOf(e);
  if (!self || frames <= 0 || !outputs) return;
  try {
    self->process(inputs, outputs, frames);
  } catch (...) {
  }
}

void AudioEffect::processClassReplacing(AEffect* e, float** inputs, float** outputs,
                                        int32_t frames) {
  AudioEffect* self = objectOf(e);
  if (!self || frames <= 0 || !outputs) return;
  try {
    self->processReplacing(inputs, outputs, frames);
  } catch (...) {
  }
}

void AudioEffect::processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs,
                                              int32_t frames) {
  AudioEffect* self = objectOf(e);
  if (!self || frames <= 0 || !outputs) return;
  try {
    self->processDoubleReplacing(inputs, outputs, frames);
  } catch (...) {
  }
}

void AudioEffect::setParameterClass(AEffect* e, int32_t index, float value) {
  AudioEffect* self = objectOf(e);
  if (!self || !self->validParameterIndex(index)) return;
  try {
    self->setParameter(index, value);
  } catch (...) {
  }
}

float AudioEffect::getParameterClass(AEffect* e, int32_t index) {
  AudioEffect* self = objectOf(e);
  if (!self || !self->validParameterIndex(index)) return 0;
  try {
    return self->getParameter(index);
  } catch (...) {
    return 0;
  }
}

intptr_t AudioEffect::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                 float opt) {
  switch (opcode) {
    case effOpen:
      open();
      return 0;
    case effClose:
      close();
      return 0;
    case effSetProgram:
      if (value >= 0 && value < numPrograms_) setProgram(static_cast<int32_t>(value));
      return 0;
    case effGetProgram:
      return getProgram();
    case effSetProgramName:
      if (ptr) setProgramName(static_cast<char*>(ptr));
      return 0;
    case effGetProgramName:
      if (ptr) getProgramName(static_cast<char*>(ptr));
      return 0;
    case effGetParamLabel:
      if (ptr && validParameterIndex(index)) getParameterLabel(index, static_cast<char*>(ptr));
      return 0;
    case effGetParamDisplay:
      if (ptr && validParameterIndex(index)) getParameterDisplay(index, static_cast<char*>(ptr));
      return 0;
    case effGetParamName:
      if (ptr && validParameterIndex(index)) getParameterName(index, static_cast<char*>(ptr));
      return 0;
    case effSetSampleRate:
      if (std::isfinite(opt) && opt > 0) setSampleRate(opt);
      return 0;
    case effSetBlockSize:
      if (value > 0 && value <= kMaxBlockSize) setBlockSize(static_cast<int32_t>(value));
      return 0;
    case effMainsChanged:
      if (value == 0)
        suspend();
      else
        resume();
      return 0;
    case effEditGetRect:
      if (!editor_ || !ptr) return 0;
      return editor_->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
    case effEditOpen:
      if (!editor_ || !ptr) return 0;
      return editor_->open(ptr) ? 1 : 0;
    case effEditClose:
      if (editor_) editor_->close();
      return 0;
    case effEditIdle:
      if (editor_) editor_->idle();
      return 0;
    case effIdentify:
      return fourCharCode('N', 'v', 'E', 'f');
    case effGetChunk:
      if (!ptr) return 0;
      return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
      if (!ptr || value <= 0 || value > kMaxChunkBytes) return 0;
      return setChunk(ptr, static_cast<int32_t>(value), index != 0);
    default:
      return 0;
  }
}

void AudioEffect::setParameterAutomated(int32_t index, float value) {
  setParameter(index, value);
  callHost(audioMasterAutomate, index, 0, nullptr, value);
}

int32_t AudioEffect::getMasterVersion() {
  const intptr_t version = callHost(audioMasterVersion);
  return version ? static_cast<int32_t>(version) : 1;
}

int32_t AudioEffect::getCurrentUniqueId() {
  return static_cast<int32_t>(callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle() { callHost(audioMasterIdle); }

bool AudioEffect::isInputConnected(int32_t input) {
  return callHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(int32_t output) {
  return callHost(audioMasterPinConnected, output, 1) == 0;
}

namespace {

// Copies text into a buffer of maxLen characters plus the terminating zero.
void copyLimited(char* out, const char* text, int32_t maxLen) {
  if (!out || maxLen < 0) return;
  const size_t n = std::min(std::strlen(text), static_cast<size_t>(maxLen));
  std::memcpy(out, text, n);
  out[n] = 0;
}

}  // namespace

void AudioEffect::int2string(int32_t value, char* text, int32_t maxLen) {
  if (value >= 100000000) {
    copyLimited(text, "Huge!", maxLen);
    return;
  }
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", static_cast<int>(value));
  copyLimited(text, digits, maxLen);
}

void AudioEffect::float2string(float value, char* text, int32_t maxLen) {
  // At most 8 digits in all: as many decimals as the integer part leaves room for.
  const double magnitude = std::fabs(static_cast<double>(value));
  if (!std::isfinite(magnitude) || magnitude >= 1e8) {
    copyLimited(text, "Huge!", maxLen);
    return;
  }
  int integerDigits = 1;
  for (double m = magnitude; m >= 10.0 && integerDigits < 8; m /= 10.0) ++integerDigits;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.*f", 8 - integerDigits, static_cast<double>(value));
  copyLimited(text, buffer, maxLen);
}

void AudioEffect::dB2string(float value, char* text, int32_t maxLen) {
  if (value <= 0) {
    copyLimited(text, "-oo", maxLen);
    return;
  }
  float2string(static_cast<float>(20.0 * std::log10(value)), text, maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, int32_t maxLen) {
  const float hz = samples != 0 ? sampleRate_ / samples : 0.0f;
  float2string(hz, text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, int32_t maxLen) {
  float2string(static_cast<float>(samples * 1000.0 / sampleRate_), text, maxLen);
}
