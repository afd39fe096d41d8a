// `qhost render`: drives the plug-in as a DAW does and reports the output levels.
// Order of calls: effOpen, suspend, sample rate and block size, chunk, resume, start,
// parameters, then per block the block's MIDI through effProcessEvents and one
// processReplacing call, as an offline render does: no idle call in between, so what the
// render plays needs none; at the end stop, suspend, chunk out and effClose.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "buffers.h"
#include "commands.h"
#include "events.h"
#include "host.h"
#include "plugin.h"
#include "stats.h"
#include "wavfile.h"

namespace qhost {
namespace {

constexpr int32_t kMaxChannels = 64;

bool readFile(const std::string& path, std::vector<char>& out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out.clear();
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.insert(out.end(), buffer, buffer + n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool writeFile(const std::string& path, const void* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data, 1, size, f) == size;
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

int fail(const std::string& message) {
  std::fprintf(stderr, "error: %s\n", message.c_str());
  return 1;
}

// Copies the input file's frames [start, start + frames) into the input channels; a file
// with fewer channels repeats its channels, frames past its end are silence.
void fillInputs(Buffers& b, const AudioData* input, int64_t start, int32_t frames) {
  for (size_t c = 0; c < b.in.size(); ++c) {
    float* dst = b.in[c].data();
    for (int32_t i = 0; i < frames; ++i) {
      const int64_t frame = start + i;
      dst[i] = input && frame < input->frames
                   ? input->samples[static_cast<size_t>(frame) * static_cast<size_t>(input->channels) +
                                    c % static_cast<size_t>(input->channels)]
                   : 0.0f;
    }
  }
}

void printStats(const OutputStats& stats, const HostState& host, size_t eventCount) {
  std::printf("frames: %lld\n", static_cast<long long>(stats.frames));
  std::printf("seconds: %.6f\n", static_cast<double>(stats.frames) / host.sampleRate);
  std::printf("sampleRate: %.0f\n", host.sampleRate);
  std::printf("blockSize: %d\n", host.blockSize);
  std::printf("channels: %zu\n", stats.channels.size());
  for (size_t c = 0; c < stats.channels.size(); ++c) {
    std::printf("peak.%zu: %.6f\n", c + 1, stats.channels[c].peak);
    std::printf("rms.%zu: %.6f\n", c + 1, stats.rms(static_cast<int>(c)));
  }
  std::printf("eventsSent: %zu\n", eventCount);
  std::printf("automateCalls: %ld\n", host.automateCalls.load());
  std::printf("wantMidiCalls: %ld\n", host.wantMidiCalls.load());
  std::printf("timeInfoCalls: %ld\n", host.timeInfoCalls.load());
  std::printf("nonFiniteSamples: %lld\n", static_cast<long long>(stats.nonFinite));
}

}  // namespace

bool startPlugin(Plugin& plugin, const RenderOptions& options, double rate, std::string& error) {
  if (!plugin.load(options.plugin, error)) return false;
  AEffect* e = plugin.effect();
  if (e->magic != kEffectMagic) {
    error = "the effect record's magic is not VstP";
    return false;
  }
  if (e->numOutputs <= 0 || e->numOutputs > kMaxChannels || e->numInputs < 0 || e->numInputs > kMaxChannels) {
    error = "the effect declares " + std::to_string(e->numInputs) + " inputs and " +
            std::to_string(e->numOutputs) + " outputs";
    return false;
  }
  for (const ParamSpec& p : options.params)
    if (p.index >= e->numParams) {
      error = "--param index " + std::to_string(p.index) + " is beyond the effect's " +
              std::to_string(e->numParams) + " parameters";
      return false;
    }
  const bool replacing = (e->flags & effFlagsCanReplacing) && e->processReplacing;
  if (!replacing && !e->process) {
    error = "the effect has no process function";
    return false;
  }

  plugin.open();
  plugin.dispatch(effMainsChanged, 0, 0);
  plugin.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
  plugin.dispatch(effSetBlockSize, 0, options.block);
  if (!options.chunkIn.empty()) {
    std::vector<char> chunk;
    if (!readFile(options.chunkIn, chunk)) {
      error = "cannot read " + options.chunkIn;
      return false;
    }
    if (chunk.empty()) {
      error = options.chunkIn + " is empty";
      return false;
    }
    plugin.dispatch(effSetChunk, 0, static_cast<intptr_t>(chunk.size()), chunk.data());
    std::printf("chunkInBytes: %zu\n", chunk.size());
  }
  plugin.dispatch(effMainsChanged, 0, 1);
  plugin.dispatch(effStartProcess);
  for (const ParamSpec& p : options.params) e->setParameter(e, p.index, p.value);
  return true;
}

int runRender(const RenderOptions& options) {
  if (!options.out.empty() && !wavSupported())
    return fail("--out needs WAV support, which this build lacks; leave --out away to print the statistics only");
  if (!options.input.empty() && !wavSupported())
    return fail("--input needs WAV support, which this build lacks");

  std::string error;
  AudioData inputData;
  const AudioData* input = nullptr;
  if (!options.input.empty()) {
    if (!readWav(options.input, inputData, error)) return fail(error);
    if (options.rateGiven && std::fabs(options.rate - inputData.rate) > 0.5)
      return fail("the input's sample rate differs from --rate");
    input = &inputData;
  }
  const double rate = input ? input->rate : options.rate;
  const double seconds =
      input && !options.secondsGiven ? static_cast<double>(input->frames) / rate : options.seconds;
  const int64_t totalFrames = std::max<int64_t>(1, std::llround(seconds * rate));

  HostState& host = hostState();
  host.sampleRate = rate;
  host.blockSize = options.block;

  Plugin plugin;
  if (!startPlugin(plugin, options, rate, error)) return fail(error);
  AEffect* e = plugin.effect();
  const bool replacing = (e->flags & effFlagsCanReplacing) && e->processReplacing;

  WavWriter writer;
  if (!options.out.empty() && !writer.open(options.out, e->numOutputs, rate, error)) return fail(error);

  const std::vector<ScheduledEvent> schedule = buildSchedule(options, rate, totalFrames);
  EventBlock events(schedule.size());
  Buffers buffers(e->numInputs, e->numOutputs, options.block);
  OutputStats stats(e->numOutputs);
  size_t nextEvent = 0;
  host.playing = true;
  host.transportChanged = true;
  for (int64_t pos = 0; pos < totalFrames; pos += options.block) {
    const auto frames = static_cast<int32_t>(std::min<int64_t>(options.block, totalFrames - pos));
    host.samplePos = static_cast<double>(pos);
    if (VstEvents* block = events.fill(schedule, nextEvent, pos, frames))
      plugin.dispatch(effProcessEvents, 0, 0, block);
    fillInputs(buffers, input, pos, frames);
    for (auto& c : buffers.out) std::fill(c.begin(), c.begin() + frames, 0.0f);
    host.inProcess = true;
    if (replacing)
      e->processReplacing(e, buffers.inPointers.data(), buffers.outPointers.data(), frames);
    else
      e->process(e, buffers.inPointers.data(), buffers.outPointers.data(), frames);
    host.inProcess = false;
    host.transportChanged = false;
    const size_t channels = buffers.out.size();
    for (size_t c = 0; c < channels; ++c) {
      stats.add(static_cast<int>(c), buffers.out[c].data(), frames, pos);
      for (int32_t i = 0; i < frames; ++i)
        buffers.interleaved[static_cast<size_t>(i) * channels + c] = buffers.out[c][static_cast<size_t>(i)];
    }
    stats.frames += frames;
    if (!options.out.empty() && !writer.write(buffers.interleaved.data(), frames, error)) {
      writer.discard();
      return fail(error);
    }
  }
  host.playing = false;
  plugin.dispatch(effStopProcess);
  plugin.dispatch(effMainsChanged, 0, 0);

  int status = 0;
  if (!options.chunkOut.empty()) {
    void* data = nullptr;
    const intptr_t size = plugin.dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || !data) {
      status = fail("the effect gave no chunk");
    } else if (!writeFile(options.chunkOut, data, static_cast<size_t>(size))) {
      status = fail("cannot write " + options.chunkOut);
    } else {
      std::printf("chunkOutBytes: %lld\n", static_cast<long long>(size));
    }
  }
  plugin.close();

  printStats(stats, host, schedule.size());
  if (stats.nonFinite > 0) {
    writer.discard();
    std::fprintf(stderr, "error: %lld non-finite samples in the output (first: channel %d, frame %lld)\n",
                 static_cast<long long>(stats.nonFinite), stats.firstBadChannel + 1,
                 static_cast<long long>(stats.firstBadFrame));
    return 1;
  }
  if (!options.out.empty()) {
    if (!writer.close(error)) return fail(error);
    std::printf("out: %s\n", options.out.c_str());
  }
  return status;
}

}  // namespace qhost
