// `qhost validate`: host-conformance checks of one VST 2.4 plug-in binary, through the
// effect record and the dispatcher only. Each check prints one line, "PASS name",
// "FAIL name: reason" or "SKIP name: reason"; the command fails when any check fails.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "plugin.h"

namespace qhost {

// The outcome of one check: empty `failure` and `skip` is a pass.
struct CheckResult {
  std::string failure;
  std::string skip;
  static CheckResult pass() { return {}; }
  static CheckResult fail(std::string why) { return {std::move(why), {}}; }
  static CheckResult skipped(std::string why) { return {{}, std::move(why)}; }
};

// What the checks know about the run: the plug-in's path, the level (1..3) that scales the
// amounts, and what the plug-in declared when it was first loaded.
struct ValidateContext {
  std::string path;
  int level = 2;
  bool takesMidi = false;  // a synth, or canDo receiveVstEvents / receiveVstMidiEvent
  bool chunks = false;     // programs are chunks
  bool editor = false;     // the plug-in has an editor

  // 1 at level 1, `atTwo` at level 2, `atThree` at level 3.
  int scaled(int atOne, int atTwo, int atThree) const {
    return level <= 1 ? atOne : level == 2 ? atTwo : atThree;
  }
};

// One MIDI message at a frame of the block it is sent with.
struct MidiMessage {
  int32_t frame = 0;
  unsigned char bytes[3] = {0, 0, 0};
};

// One plug-in instance as a DAW runs it: loaded, opened, set to a rate and block size and
// resumed, with its own audio buffers. The inputs carry a quiet deterministic noise while
// `inputLevel` is non-zero, so that effects have something to process.
class Instance {
 public:
  Instance() = default;
  ~Instance();
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  // Loads and opens the plug-in and resumes it at `rate` with `maxBlock` frames at most.
  bool start(const std::string& path, double rate, int32_t maxBlock, std::string& error);
  // Suspends, tells the plug-in the new largest block and resumes.
  void setBlockSize(int32_t maxBlock);
  void suspend();
  void resume();
  void stop();  // suspends and closes

  AEffect* effect() const { return plugin_.effect(); }
  intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0) const {
    return plugin_.dispatch(opcode, index, value, ptr, opt);
  }
  double rate() const { return rate_; }
  int32_t maxBlock() const { return maxBlock_; }
  int32_t outputs() const { return static_cast<int32_t>(out_.size()); }

  // Sends `events` (frames inside the block) and processes one block of `frames` frames.
  // The output of the block is in output(c) afterwards.
  void process(int32_t frames, const std::vector<MidiMessage>& events = {});
  const float* output(int32_t channel) const { return out_[static_cast<size_t>(channel)].data(); }
  float inputLevel = 0;
  // Counts the watched calls (alloc_hooks.h) made inside effProcessEvents and processReplacing.
  bool watchRealtime = false;

  // Processes `frames` frames in blocks of maxBlock() and appends channel 0..n-1 of the
  // output, interleaved, to `out` (when given). Returns the number of non-finite samples.
  int64_t render(int64_t frames, std::vector<float>* out = nullptr);
  // The peak of the output over `frames` frames (non-finite samples count as infinite).
  double peak(int64_t frames);

 private:
  void allocateBuffers();

  Plugin plugin_;
  bool running_ = false;
  double rate_ = 44100;
  int32_t maxBlock_ = 512;
  uint32_t noiseSeed_ = 1;
  std::vector<std::vector<float>> in_, out_;
  std::vector<float*> inPointers_, outPointers_;
  std::vector<VstMidiEvent> midi_;
  std::vector<unsigned char> record_;
};

// Builders of MIDI messages.
MidiMessage noteOn(int channel, int key, int velocity, int32_t frame = 0);
MidiMessage noteOff(int channel, int key, int32_t frame = 0);
MidiMessage controller(int channel, int number, int value, int32_t frame = 0);
MidiMessage programChange(int channel, int program, int32_t frame = 0);
MidiMessage pitchBend(int channel, int value14, int32_t frame = 0);
// Note offs for every key and all-notes-off and all-sound-off on every channel.
std::vector<MidiMessage> releaseEverything();

// The peak an untouched instance gives over `seconds` after start: what "silence" is for a
// plug-in that makes some sound of its own.
double restingPeak(const std::string& path, double rate, int32_t block, double seconds);

// Renders until the output's peak over a quarter second is at most `limit` (a tenth of a
// second longer than `seconds` at most). Returns the last quarter second's peak.
double decayPeak(Instance& instance, double seconds, double limit);

// Starts `instance` on the context's plug-in; on failure fills `result` and returns false.
bool startOrFail(Instance& instance, const ValidateContext& ctx, double rate, int32_t block,
                 CheckResult& result);
// A short sound to process: a chord for a plug-in that takes MIDI, nothing for an effect
// (which gets its quiet input noise).
std::vector<MidiMessage> chord(const ValidateContext& ctx);

// The instance's chunk (effGetChunk), empty when it gives none.
std::vector<unsigned char> getChunk(const Instance& instance);

// Counts the non-finite samples of the last block in `instance`'s outputs.
int64_t nonFinite(const Instance& instance, int32_t frames);

// Runs `work` on a thread of its own and waits for it. The checks that compare two renders
// give each render a fresh thread, so that state a plug-in keeps per thread (a random
// generator, say) starts alike.
void onFreshThread(const std::function<void()>& work);

// The checks, in the order they run.
struct Check {
  const char* name;
  CheckResult (*run)(const ValidateContext&);
};
std::vector<Check> lifecycleChecks();
std::vector<Check> infoChecks();
std::vector<Check> processChecks();
std::vector<Check> midiChecks();
std::vector<Check> parameterChecks();
std::vector<Check> stateChecks();
std::vector<Check> burstChecks();
std::vector<Check> realtimeChecks();
std::vector<Check> editorChecks();

}  // namespace qhost
