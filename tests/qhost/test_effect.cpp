// A small effect built on the frame, with which qhost's own checks measure the host: it
// passes the inputs through at a gain and, in the instrument variant, adds a sine for the
// last MIDI note held. It behaves as `qhost validate` asks; QV_BROKEN builds a variant with
// one fault, which exactly one check of validate must find:
//   1  NaN output at 192 kHz            (process.192000)
//   2  a parameter label of 12 letters  (params.strings)
//   3  a heap allocation in process     (realtime)
//   4  setChunk ignores the chunk       (state.chunk)
//   5  a mutex locked in processEvents  (realtime)
//   6  a file opened in process         (realtime)
//   7  each block works through every parameter change made since the last one, so its
//      cost grows with how fast another thread sets parameters (params.burst)
//   8  the editor keeps memory from every close            (editor.open-close)
//   9  the editor repaints on the thread that set a value   (editor.host-changes)
//  10  closing the editor leaves its held key sounding     (editor.close-while-busy)
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>
#include <vector>

#include "plugin/audioeffectx.h"
#include "test_editor.h"

#ifndef QV_EFFECT_BUILD
#define QV_EFFECT_BUILD 0
#endif
#ifndef QV_BROKEN
#define QV_BROKEN 0
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
    testEditor_ = new TestEditor(this);
    setEditor(testEditor_);
  }

  void processReplacing(float** in, float** out, int32_t frames) override {
    // A key held on the editor's strip sounds when no MIDI key does.
    const int panelKey = testEditor_->heldKey();
    const double frequency = key_ < 0 && panelKey >= 0 ? 440.0 * std::pow(2.0, (panelKey - 69) / 12.0) : frequency_;
    const double step = 2.0 * 3.14159265358979 * frequency / getSampleRate();
    float sumSquares = 0.0f;
    for (int32_t i = 0; i < frames; ++i) {
      const float tone = key_ >= 0 || panelKey >= 0 ? static_cast<float>(0.25 * std::sin(phase_)) : 0.0f;
      phase_ = std::fmod(phase_ + step, 2.0 * 3.14159265358979);
      for (int c = 0; c < 2; ++c) {
        const float x = in && in[c] ? in[c][i] : 0.0f;
        out[c][i] = gain_.load(std::memory_order_relaxed) * (x + tone);
      }
      sumSquares += out[0][i] * out[0][i];
    }
    testEditor_->blockMeasured(sumSquares, static_cast<float>(frames));
    if (QV_BROKEN == 1 && getSampleRate() >= 192000 && frames > 0)
      out[0][0] = std::numeric_limits<float>::quiet_NaN();
    if (QV_BROKEN == 3) {
      scratch_ = std::vector<float>(static_cast<size_t>(frames) + 1);
      if (frames > 0) out[1][0] += scratch_[0];
    }
    if (QV_BROKEN == 6) {
      if (std::FILE* f = std::fopen("/dev/null", "rb")) std::fclose(f);
    }
    if (QV_BROKEN == 7) {
      // A microsecond per change, at most 20 ms a block.
      const auto changes = std::min<uint64_t>(changes_.exchange(0), 20000);
      const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(changes);
      while (std::chrono::steady_clock::now() < until) {
      }
    }
  }
  int32_t processEvents(VstEvents* events) override {
    if (QV_BROKEN == 5) std::lock_guard<std::mutex> lock(mutex_);
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
      } else if (status == 0xB0 && (key == 120 || key == 123)) {  // all sound / all notes off
        key_ = -1;
      }
    }
    return 1;
  }
  void setParameter(int32_t index, float value) override {
    if (QV_BROKEN == 7) changes_.fetch_add(1, std::memory_order_relaxed);
    if (index != 0 || !std::isfinite(value)) return;
    gain_.store(std::clamp(value, 0.0f, 1.0f), std::memory_order_relaxed);
    testEditor_->parameterChanged(index, getParameter(index));
  }
  float getParameter(int32_t index) override { return index == 0 ? gain_.load(std::memory_order_relaxed) : 0.0f; }
  void getParameterName(int32_t index, char* text) override {
    std::snprintf(text, kVstMaxParamStrLen, "%s", index == 0 ? "Gain" : "Spare");
  }
  void getParameterLabel(int32_t, char* text) override {
    if (QV_BROKEN == 2)
      std::memcpy(text, "Decibels All", 13);
    else
      text[0] = 0;
  }
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
    if (QV_EFFECT_BUILD) return -1;  // the effect takes no MIDI
    return std::strcmp(text, "receiveVstEvents") == 0 || std::strcmp(text, "receiveVstMidiEvent") == 0 ? 1 : -1;
  }
  int32_t getChunk(void** data, bool) override {
    std::snprintf(chunk_, sizeof chunk_, "gain %.6f\n", static_cast<double>(gain_.load()));
    *data = chunk_;
    return static_cast<int32_t>(std::strlen(chunk_));
  }
  int32_t setChunk(void* data, int32_t size, bool) override {
    char text[64] = {};
    std::memcpy(text, data, std::min<size_t>(static_cast<size_t>(size), sizeof text - 1));
    float g;
    if (QV_BROKEN != 4 && std::sscanf(text, "gain %f", &g) == 1) setParameter(0, g);
    return 1;
  }

 private:
  TestEditor* testEditor_ = nullptr;  // owned by the frame
  std::atomic<float> gain_{1.0f};  // set by the host on any thread
  int key_ = -1;
  double frequency_ = 440.0;
  double phase_ = 0.0;
  char chunk_[64] = {};
  std::vector<float> scratch_;
  std::mutex mutex_;
  std::atomic<uint64_t> changes_{0};
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
