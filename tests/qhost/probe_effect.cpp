// A plug-in that reports what its host tells it: channel 1 carries the ppq position / 100
// and channel 2 the tempo / 1000 from the host's time information (-1 when the valid flags
// are missing); channel 3 holds the frame of the last note on (block start plus the
// event's offset) / 100000. A controller change is passed back as an automated parameter, and
// parameter 0 at 0.5 or more turns the output into NaN from frame 100 on, to check that
// the host refuses non-finite output.
#include <cmath>
#include <limits>

#include "plugin/audioeffectx.h"

namespace {

class ProbeEffect : public AudioEffectX {
 public:
  explicit ProbeEffect(audioMasterCallback master) : AudioEffectX(master, 1, 2) {
    isSynth(true);
    setNumInputs(0);
    setNumOutputs(3);
    setUniqueID(fourCharCode('q', 'h', 'P', 'r'));
  }
  void processReplacing(float**, float** out, int32_t frames) override {
    const VstTimeInfo* t = getTimeInfo(kVstPpqPosValid | kVstTempoValid);
    const bool valid = t && (t->flags & kVstPpqPosValid) && (t->flags & kVstTempoValid);
    const float ppq = valid ? static_cast<float>(t->ppqPos / 100.0) : -1.0f;
    const float tempo = valid ? static_cast<float>(t->tempo / 1000.0) : -1.0f;
    for (int32_t i = 0; i < frames; ++i) {
      const bool broken = poison_ >= 0.5f && frame_ + i >= 100;
      out[0][i] = broken ? std::numeric_limits<float>::quiet_NaN() : ppq;
      out[1][i] = tempo;
      out[2][i] = static_cast<float>(static_cast<double>(noteFrame_) / 100000.0);
    }
    frame_ += frames;
  }
  int32_t processEvents(VstEvents* events) override {
    for (int32_t i = 0; i < events->numEvents; ++i) {
      const auto* m = reinterpret_cast<const VstMidiEvent*>(events->events[i]);
      if (m->type != kVstMidiType) continue;
      if ((m->midiData[0] & 0xf0) == 0xB0) setParameterAutomated(1, static_cast<float>(m->midiData[2]) / 127.0f);
      if ((m->midiData[0] & 0xf0) == 0x90 && m->midiData[2] != 0) noteFrame_ = frame_ + m->deltaFrames;
    }
    return 1;
  }
  void setParameter(int32_t index, float value) override {
    if (index == 0) poison_ = value;
  }
  float getParameter(int32_t index) override { return index == 0 ? poison_ : 0.0f; }

 private:
  float poison_ = 0;
  int64_t frame_ = 0;
  int64_t noteFrame_ = 0;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback master) {
  if (!master) return nullptr;
  return (new ProbeEffect(master))->getAeffect();
}
