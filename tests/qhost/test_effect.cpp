// A small effect built on the frame, with which qhost's own checks measure the host: it
// passes the inputs through at a gain and, in the instrument variant, adds a sine for the
// last MIDI note held.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "plugin/audioeffectx.h"

#ifndef QV_EFFECT_BUILD
#define QV_EFFECT_BUILD 0
#endif

namespace {

class TestEffect : public AudioEffectX {
 public:
  explicit TestEffect(audioMasterCallback master) : AudioEffectX(master, 1, 2) {
    if (!QV_EFFECT_BUILD) isSynth(true);
    setNumInputs(2);
    setNumOutputs(2);
    canProcessReplacing(true);
    programsAreChunks(true);
    setUniqueID(QV_EFFECT_BUILD ? fourCharCode('Q', 'E', 'u', 'I') : fourCharCode('Q', 'V', 'u', 'I'));
  }

  void processReplacing(float** in, float** out, int32_t frames) override {
    const double step = 2.0 * 3.14159265358979 * frequency_ / getSampleRate();
    for (int32_t i = 0; i < frames; ++i) {
      const float tone = key_ >= 0 ? static_cast<float>(0.25 * std::sin(phase_)) : 0.0f;
      phase_ = std::fmod(phase_ + step, 2.0 * 3.14159265358979);
      for (int c = 0; c < 2; ++c) {
        const float x = in && in[c] ? in[c][i] : 0.0f;
        out[c][i] = gain_ * (x + tone);
      }
    }
  }
  int32_t processEvents(VstEvents* events) override {
    for (int32_t i = 0; i < events->numEvents; ++i) {
      const VstEvent* e = events->events[i];
      if (!e || e->type != kVstMidiType) continue;
      const auto* m = reinterpret_cast<const VstMidiEvent*>(e);
      const int status = m->midiData[0] & 0xf0, key = m->midiData[1] & 0x7f, vel = m->midiData[2];
      if (status == 0x90 && vel > 0) {
        key_ = key;
        frequency_ = 440.0 * std::pow(2.0, (key - 69) / 12.0);
      } else if ((status == 0x80 || status == 0x90) && key == key_) {
        key_ = -1;
      }
    }
    return 1;
  }
  void setParameter(int32_t index, float value) override {
    if (index == 0 && std::isfinite(value)) gain_ = std::clamp(value, 0.0f, 1.0f);
  }
  float getParameter(int32_t index) override { return index == 0 ? gain_ : 0.0f; }
  void getParameterName(int32_t index, char* text) override {
    std::snprintf(text, kVstMaxParamStrLen, "%s", index == 0 ? "Gain" : "Spare");
  }
  void getParameterLabel(int32_t, char* text) override { text[0] = 0; }
  void getParameterDisplay(int32_t index, char* text) override {
    float2string(getParameter(index), text, kVstMaxParamStrLen - 1);
  }
  bool getEffectName(char* name) override {
    std::snprintf(name, kVstMaxEffectNameLen, "%s", QV_EFFECT_BUILD ? "Quorvane 3970 Efx" : "Quorvane 3970");
    return true;
  }
  bool getVendorString(char* text) override {
    std::snprintf(text, kVstMaxVendorStrLen, "Halvorsk, Inc.");
    return true;
  }
  bool getProductString(char* text) override {
    std::snprintf(text, kVstMaxProductStrLen, "%s", QV_EFFECT_BUILD ? "Quorvane 3970 Efx test" : "Quorvane 3970 test");
    return true;
  }
  int32_t getVendorVersion() override { return 1400; }
  int32_t canDo(char* text) override {
    return std::strcmp(text, "receiveVstEvents") == 0 || std::strcmp(text, "receiveVstMidiEvent") == 0 ? 1 : -1;
  }
  int32_t getChunk(void** data, bool) override {
    std::snprintf(chunk_, sizeof chunk_, "gain %.6f\n", static_cast<double>(gain_));
    *data = chunk_;
    return static_cast<int32_t>(std::strlen(chunk_));
  }
  int32_t setChunk(void* data, int32_t size, bool) override {
    char text[64] = {};
    std::memcpy(text, data, std::min<size_t>(static_cast<size_t>(size), sizeof text - 1));
    float g;
    if (std::sscanf(text, "gain %f", &g) == 1) setParameter(0, g);
    return 1;
  }

 private:
  float gain_ = 1.0f;
  int key_ = -1;
  double frequency_ = 440.0;
  double phase_ = 0.0;
  char chunk_[64] = {};
};

}  // namespace

extern "C" {
#if defined(_WIN32)
__declspec(dllexport)
#else
__attribute__((visibility("default")))
#endif
AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback master) {
  if (!master) return nullptr;
  try {
    if (master(nullptr, audioMasterVersion, 0, 0, nullptr, 0) == 0) return nullptr;
    auto* effect = new TestEffect(master);
    return effect->getAeffect();
  } catch (...) {
    return nullptr;
  }
}
}
