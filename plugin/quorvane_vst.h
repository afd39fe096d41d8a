// The plug-in object: the frame's AudioEffectX plus everything one instance owns. It holds
// the parameter values (plain values, one per parameter index), the plug-in's own settings
// that parameters write, and the identity of the build it presents to the host.
//
// Threads: construction and destruction run on the host's thread that calls the entry
// point and closes the effect, while no audio is processed. processReplacing runs on the
// audio thread. setParameter and the other parameter calls may come from any thread (host
// automation, chunk restore, the editor's GUI thread); they write single atomic words.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "plugin/audioeffectx.h"
#include "plugin/build_identity.h"
#include "plugin/param_table.h"

// The plug-in's own fields that parameters write (see routeOwnField) and the block
// process, the note handling and the beat sync read. Single words, written by any thread
// that sets parameters and read once per use on the audio thread; relaxed order suffices.
// A count and its scale are two words: a reader between the two stores sees the old scale
// with the new count for that one read, each a valid value.
struct PluginSettings {
  std::atomic<int32_t> bypassed{0};             // 1 while Master Bypass is off: silence
  std::atomic<int32_t> extraVoices{0};          // voice contexts beyond context 0, 0..8
  std::atomic<int32_t> keyboardRepeatMode{1};   // 0 LFO re-triggers held keys, 1 off, 2 always
  std::atomic<uint8_t> multipleTrigger{0};      // 1: a further held key re-fires the trigger
  std::atomic<uint8_t> keyboardGatesEnvelopes{1};  // the envelope gate follows the keyboard
  std::atomic<float> masterVolume{1.0f};
  std::atomic<int32_t> clockSync{0};            // internal clock follows the host's beat
  std::atomic<int32_t> clockPulses{24};         // clock pulses per beat, at least 1
  std::atomic<float> clockScale{1.0f};          // 24 / clock pulses
  std::atomic<float> clockOffset{0.0f};         // beat offset of the clock, -0.5..0.5
  std::atomic<int32_t> lfoSync{0};              // keyboard LFO follows the host's beat
  std::atomic<int32_t> lfoPulses{24};           // LFO pulses per beat, at least 1
  std::atomic<float> lfoScale{1.0f};            // 24 / LFO pulses
  std::atomic<float> lfoOffset{0.0f};           // beat offset of the LFO, -0.5..0.5
  std::atomic<uint8_t> intervalLatch{0};        // the interval between held keys is latched
};

class Quorvane_VST : public AudioEffectX {
 public:
  ~Quorvane_VST() override;
  Quorvane_VST(const Quorvane_VST&) = delete;
  Quorvane_VST& operator=(const Quorvane_VST&) = delete;

  // Audio thread. Absent input buffers read as silence; absent output channels are skipped.
  void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;

  // Normalised 0..1 (clamped; not a number is ignored) -> plain value, stored and routed.
  // Indexes outside 1..178 are ignored. Any thread.
  void setParameter(int32_t index, float value) override;
  // The stored value normalised to 0..1; 0 outside 1..178. Any thread.
  float getParameter(int32_t index) override;
  // Texts for the host. Names are at most 51 characters, labels and displays at most
  // kVstMaxParamStrLen (8); each is followed by a terminating zero. Empty outside 1..178.
  void getParameterName(int32_t index, char* text) override;
  void getParameterLabel(int32_t index, char* text) override;
  void getParameterDisplay(int32_t index, char* text) override;
  // The current patch's name, at most 23 characters and the terminating zero.
  void getProgramName(char* name) override;

  bool getEffectName(char* name) override;
  bool getVendorString(char* text) override;
  bool getProductString(char* text) override;
  int32_t getVendorVersion() override;
  // 1 for "receiveVstEvents" and "receiveVstMidiEvent", -1 for anything else.
  int32_t canDo(char* text) override;

  // Sets a parameter from its plain value through the virtual setParameter (the editor is
  // told, the host is not). Used by MIDI control and the panel. Any thread.
  void setParameterReal(int32_t index, float plain);
  // The same, and the host is told of the change, except while the object is being
  // constructed (the host does not hold it yet) and for indexes the host does not address
  // (178 and above). Used when a patch is applied.
  void setParameterRealAutomated(int32_t index, float plain);

  // The stored plain value of parameter 0..178; 0 for any other index. Any thread.
  float paramValue(int index) const;
  const BuildIdentity& identity() const { return identity_; }
  // True from the end of start-up to the start of teardown.
  bool isReady() const { return ready_.load(std::memory_order_acquire); }
  // The name the host sees as the program name. Called where a patch is applied, not
  // while the host may read the program name.
  void setCurrentPatchName(const char* name);
  const std::string& dataFolder() const { return dataFolder_; }

  PluginSettings settings;

 protected:
  // Only the editor subclass is ever created (entry point); it calls finishConstruction.
  Quorvane_VST(audioMasterCallback audioMaster, const BuildIdentity& identity);
  // From now on automated parameter changes are reported to the host.
  void finishConstruction() { hostHoldsEffect_.store(true, std::memory_order_release); }

 private:
  void initEngine();
  void applyDefaultValues();
  void renderBlock(float** inputs, float** outputs, int32_t sampleFrames);
  void writeSilence(float** outputs, int32_t sampleFrames);
  // Writes the plug-in's own fields a parameter controls.
  void routeOwnField(int index, float plain);
  // Applies a parameter to the voice contexts and the shared modules (param_routing.cpp).
  void routeToEngine(int index, float plain);

  const BuildIdentity& identity_;
  std::array<std::atomic<float>, kParamRecordCount> paramValues_{};
  std::atomic<bool> ready_{false};
  std::atomic<bool> hostHoldsEffect_{false};
  std::string dataFolder_;
  std::string patchName_;
};
