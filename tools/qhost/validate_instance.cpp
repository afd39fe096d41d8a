// The plug-in instance the validate checks drive, and the MIDI they send.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <thread>

#include "alloc_hooks.h"
#include "host.h"
#include "validate.h"

namespace qhost {
namespace {

constexpr int32_t kMaxChannels = 64;
constexpr size_t kEventCapacity = 4096;

MidiMessage message(int status, int data1, int data2, int32_t frame) {
  MidiMessage m;
  m.frame = frame;
  m.bytes[0] = static_cast<unsigned char>(status);
  m.bytes[1] = static_cast<unsigned char>(data1 & 0x7f);
  m.bytes[2] = static_cast<unsigned char>(data2 & 0x7f);
  return m;
}

}  // namespace

MidiMessage noteOn(int channel, int key, int velocity, int32_t frame) {
  return message(0x90 | (channel & 15), key, velocity, frame);
}
MidiMessage noteOff(int channel, int key, int32_t frame) { return message(0x80 | (channel & 15), key, 0, frame); }
MidiMessage controller(int channel, int number, int value, int32_t frame) {
  return message(0xB0 | (channel & 15), number, value, frame);
}
MidiMessage programChange(int channel, int program, int32_t frame) {
  return message(0xC0 | (channel & 15), program, 0, frame);
}
MidiMessage pitchBend(int channel, int value14, int32_t frame) {
  return message(0xE0 | (channel & 15), value14 & 0x7f, value14 >> 7, frame);
}

std::vector<MidiMessage> releaseEverything() {
  std::vector<MidiMessage> all;
  for (int channel = 0; channel < 16; ++channel) {
    for (int key = 0; key < 128; ++key) all.push_back(noteOff(channel, key));
    all.push_back(controller(channel, 64, 0));   // sustain pedal up
    all.push_back(controller(channel, 123, 0));  // all notes off
    all.push_back(controller(channel, 120, 0));  // all sound off
  }
  return all;
}

int64_t nonFinite(const Instance& instance, int32_t frames) {
  int64_t bad = 0;
  for (int32_t c = 0; c < instance.outputs(); ++c)
    for (int32_t i = 0; i < frames; ++i) bad += std::isfinite(instance.output(c)[i]) ? 0 : 1;
  return bad;
}

void onFreshThread(const std::function<void()>& work) {
  std::thread thread(work);
  thread.join();
}

Instance::~Instance() { stop(); }

bool Instance::start(const std::string& path, double rate, int32_t maxBlock, std::string& error) {
  stop();
  // The one host state answers the rate and block size of the instance started last.
  hostState().sampleRate = rate;
  hostState().blockSize = std::max<int32_t>(maxBlock, 1);
  if (!plugin_.load(path, error)) return false;
  AEffect* e = plugin_.effect();
  if (e->magic != kEffectMagic) {
    error = "the effect record's magic is not VstP";
    plugin_.close();
    return false;
  }
  if (e->numOutputs <= 0 || e->numOutputs > kMaxChannels || e->numInputs < 0 || e->numInputs > kMaxChannels ||
      !e->processReplacing) {
    error = "the effect declares " + std::to_string(e->numInputs) + " inputs, " +
            std::to_string(e->numOutputs) + " outputs" + (e->processReplacing ? "" : " and no processReplacing");
    plugin_.close();
    return false;
  }
  rate_ = rate;
  maxBlock_ = std::max<int32_t>(maxBlock, 1);
  allocateBuffers();
  midi_.assign(kEventCapacity, VstMidiEvent{});
  record_.assign(offsetof(VstEvents, events) + kEventCapacity * sizeof(VstEvent*), 0);

  plugin_.open();
  dispatch(effMainsChanged, 0, 0);
  dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
  dispatch(effSetBlockSize, 0, maxBlock_);
  resume();
  return true;
}

void Instance::allocateBuffers() {
  const AEffect* e = effect();
  in_.assign(static_cast<size_t>(e->numInputs), std::vector<float>(static_cast<size_t>(maxBlock_)));
  out_.assign(static_cast<size_t>(e->numOutputs), std::vector<float>(static_cast<size_t>(maxBlock_)));
  inPointers_.clear();
  outPointers_.clear();
  for (auto& c : in_) inPointers_.push_back(c.data());
  for (auto& c : out_) outPointers_.push_back(c.data());
  if (inPointers_.empty()) inPointers_.push_back(nullptr);
}

void Instance::setBlockSize(int32_t maxBlock) {
  suspend();
  maxBlock_ = std::max<int32_t>(maxBlock, 1);
  allocateBuffers();
  dispatch(effSetBlockSize, 0, maxBlock_);
  resume();
}

void Instance::suspend() {
  if (!running_) return;
  dispatch(effStopProcess);
  dispatch(effMainsChanged, 0, 0);
  running_ = false;
}

void Instance::resume() {
  if (running_ || !effect()) return;
  dispatch(effMainsChanged, 0, 1);
  dispatch(effStartProcess);
  running_ = true;
}

void Instance::stop() {
  suspend();
  plugin_.close();
}

void Instance::process(int32_t frames, const std::vector<MidiMessage>& events) {
  AEffect* e = effect();
  frames = std::clamp<int32_t>(frames, 0, maxBlock_);
  // Events go in batches of the record's capacity: a host sends what it has.
  for (size_t first = 0; first < events.size(); first += kEventCapacity) {
    const size_t count = std::min(kEventCapacity, events.size() - first);
    auto* record = reinterpret_cast<VstEvents*>(record_.data());
    for (size_t i = 0; i < count; ++i) {
      const MidiMessage& m = events[first + i];
      VstMidiEvent& v = midi_[i];
      v = VstMidiEvent{};
      v.type = kVstMidiType;
      v.byteSize = sizeof(VstMidiEvent);
      v.deltaFrames = std::clamp<int32_t>(m.frame, 0, std::max<int32_t>(frames - 1, 0));
      std::memcpy(v.midiData, m.bytes, 3);
      record->events[i] = reinterpret_cast<VstEvent*>(&v);
    }
    record->numEvents = static_cast<int32_t>(count);
    record->reserved = 0;
    armRealtimeWatch(watchRealtime);
    dispatch(effProcessEvents, 0, 0, record);
    armRealtimeWatch(false);
  }
  for (auto& c : in_) {
    for (int32_t i = 0; i < frames; ++i) {
      noiseSeed_ = noiseSeed_ * 1664525u + 1013904223u;
      c[static_cast<size_t>(i)] = inputLevel * (static_cast<float>(noiseSeed_ >> 8) / 8388608.0f - 1.0f);
    }
  }
  for (auto& c : out_) std::fill(c.begin(), c.begin() + frames, 0.0f);
  armRealtimeWatch(watchRealtime);
  e->processReplacing(e, inPointers_.data(), outPointers_.data(), frames);
  armRealtimeWatch(false);
}

int64_t Instance::render(int64_t frames, std::vector<float>* out) {
  int64_t bad = 0;
  for (int64_t done = 0; done < frames;) {
    const auto n = static_cast<int32_t>(std::min<int64_t>(maxBlock_, frames - done));
    process(n);
    bad += nonFinite(*this, n);
    if (out)
      for (int32_t i = 0; i < n; ++i)
        for (const auto& c : out_) out->push_back(c[static_cast<size_t>(i)]);
    done += n;
  }
  return bad;
}

double Instance::peak(int64_t frames) {
  double peak = 0;
  for (int64_t done = 0; done < frames;) {
    const auto n = static_cast<int32_t>(std::min<int64_t>(maxBlock_, frames - done));
    process(n);
    for (const auto& c : out_)
      for (int32_t i = 0; i < n; ++i) {
        const double x = c[static_cast<size_t>(i)];
        peak = std::isfinite(x) ? std::max(peak, std::fabs(x)) : INFINITY;
      }
    done += n;
  }
  return peak;
}

bool startOrFail(Instance& instance, const ValidateContext& ctx, double rate, int32_t block,
                 CheckResult& result) {
  std::string error;
  if (instance.start(ctx.path, rate, block, error)) return true;
  result = CheckResult::fail("cannot start an instance: " + error);
  return false;
}

std::vector<MidiMessage> chord(const ValidateContext& ctx) {
  if (!ctx.takesMidi) return {};
  return {noteOn(0, 48, 100), noteOn(0, 60, 90), noteOn(0, 67, 80)};
}

std::vector<unsigned char> getChunk(const Instance& instance) {
  void* data = nullptr;
  const intptr_t size = instance.dispatch(effGetChunk, 0, 0, &data);
  if (size <= 0 || !data) return {};
  const auto* bytes = static_cast<const unsigned char*>(data);
  return {bytes, bytes + size};
}

double restingPeak(const std::string& path, double rate, int32_t block, double seconds) {
  Instance quiet;
  std::string error;
  if (!quiet.start(path, rate, block, error)) return 0;
  return quiet.peak(static_cast<int64_t>(seconds * rate));
}

double decayPeak(Instance& instance, double seconds, double limit) {
  const auto window = static_cast<int64_t>(0.25 * instance.rate());
  double last = instance.peak(window);
  for (double t = 0.25; last > limit && t < seconds; t += 0.25) last = instance.peak(window);
  return last;
}

}  // namespace qhost
