// The flattened evaluation order against the recursive pull on random graphs: two voices
// built alike from one seed, one run by processVoiceSample, the other by
// processVoiceSampleByPull, must give the same output bits, the same accumulated sends and
// the same sequence of calls into their modules (function, argument bits, order), sample
// after sample, while gains ramp through 0 and connections are re-pointed.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/audio_thread.h"
#include "engine/patch_voice.h"
#include "tests/engine/test_draw.h"

namespace {

// What a module's functions did, in order: which function, which module, argument bits.
struct Call {
  char what;
  int module;
  std::uint32_t argument;
  bool operator==(const Call&) const = default;
};

// A stub module: its state moves on every call, so calling out of order or with another
// argument changes every later value. Now and then it answers with a value the sanitiser
// must clear (NaN, infinity, a denormal, a runaway beyond 1000).
struct Stub {
  int id = 0;
  std::uint32_t state = 0;
  std::vector<Call>* log = nullptr;

  float value(std::uint32_t salt) {
    state = state * 747796405u + 2891336453u + salt;
    switch ((state >> 27) & 15u) {
      case 0: return std::bit_cast<float>(0x7fc00000u);  // NaN
      case 1: return 1.0e-40f;                           // denormal
      case 2: return 1000.5f;                             // runaway
      case 3: return -0.0f;
      default: return static_cast<float>(static_cast<std::int32_t>(state >> 8) % 20001) * 0.001f;
    }
  }
};

float stubOutput(void* dsp, int index) {
  auto* s = static_cast<Stub*>(dsp);
  s->log->push_back({'o', s->id, static_cast<std::uint32_t>(index)});
  return s->value(static_cast<std::uint32_t>(index));
}
void stubControl(void* dsp, float v) {
  auto* s = static_cast<Stub*>(dsp);
  s->log->push_back({'c', s->id, std::bit_cast<std::uint32_t>(v)});
  s->state ^= std::bit_cast<std::uint32_t>(v);
}
float stubProcess(void* dsp, float x) {
  auto* s = static_cast<Stub*>(dsp);
  s->log->push_back({'p', s->id, std::bit_cast<std::uint32_t>(x)});
  return x * 0.75f + s->value(std::bit_cast<std::uint32_t>(x)) * 0.01f;
}
void stubTick(void* dsp) {
  auto* s = static_cast<Stub*>(dsp);
  s->log->push_back({'t', s->id, 0});
  s->state += 0x9e3779b9u;
}
void stubAccumulate(void* dsp, float v) {
  auto* s = static_cast<Stub*>(dsp);
  s->log->push_back({'a', s->id, std::bit_cast<std::uint32_t>(v)});
}

// One random graph in one voice. Two instances made from the same seed are identical.
struct RandomGraph {
  AudioThreadScope audioThread;
  PatchVoice voice;
  PatchVoice stranger;  // its module is no module of `voice`: reading it gives 0
  std::vector<std::unique_ptr<Stub>> stubs;
  std::vector<PatchModule*> modules;
  std::vector<PatchInput*> inputs;
  std::vector<Call> log;

  explicit RandomGraph(std::uint32_t seed) {
    Draw d{seed};
    voice.rampRate.store(normalRampRate(44100));
    stranger.newModule("stranger", ModuleType::Mixer);

    voice.output = addModule(d, 0);
    const int count = 6 + d.below(30);
    for (int k = 0; k < count; ++k) addModule(d, 1 + d.below(5));
    voice.reverb1 = addModule(d, 5);
    voice.leftInput = addModule(d, 5);
    voice.rightInput = addModule(d, 5);
    voice.zeroVolts = modules[1 + d.below(count)];
    // The modules the voice ticks each sample.
    PatchModule** ticked[] = {&voice.vco1, &voice.vco2, &voice.vco3, &voice.vcf1,
                              &voice.ar1, &voice.adsr1, &voice.keyboardTrigger};
    for (PatchModule** role : ticked) *role = modules[1 + d.below(count)];

    const int connections = count + d.below(4 * count);
    for (int k = 0; k < connections; ++k) {
      PatchModule* to = modules[1 + d.below(count)];
      connect(d, to, d.chance(35));
    }
    for (PatchModule* top : {voice.output, voice.reverb1, voice.leftInput, voice.rightInput}) {
      if (d.chance(90)) connect(d, top, false);
    }
    // The send often reads what the output reads.
    if (voice.output->audioCount > 0 && voice.reverb1->audioCount > 0 && d.chance(50)) {
      const PatchInput* out = voice.output->audioInputs[0];
      setNormalSource(*voice.reverb1->audioInputs[0], out->source, out->outputIndex);
    }
  }

  // kind 0: no functions (OUTPUT, mixers); 1: generator with output, control and tick;
  // 2: generator with output only; 3: processor with process and control; 4: processor
  // with an output too (read before its sums); 5: an accumulating bus.
  PatchModule* addModule(Draw& d, int kind) {
    PatchModule* m = voice.newModule("m", ModuleType::Mixer);
    auto stub = std::make_unique<Stub>();
    stub->id = m->index;
    stub->state = d.next();
    stub->log = &log;
    ModuleKernel k;
    k.generator = kind == 1 || kind == 2;
    if (kind == 1 || kind == 2 || kind == 4) k.output = &stubOutput;
    if (kind == 1 || kind == 3 || kind == 4) k.setControl = &stubControl;
    if (kind == 1 || kind == 3) k.tick = &stubTick;
    if (kind == 3 || kind == 4) k.process = &stubProcess;
    if (kind == 5) k.accumulate = &stubAccumulate;
    voice.bindModule(*m, stub.get(), k);
    stubs.push_back(std::move(stub));
    modules.push_back(m);
    return m;
  }

  float drawGain(Draw& d) {
    switch (d.below(6)) {
      case 0: return 0.0f;
      case 1: return 5.0e-7f;  // below the off threshold
      case 2: return -0.5f;
      default: return d.unit() * 2.0f - 0.5f;
    }
  }

  PatchModule* drawSource(Draw& d) {
    const int pick = d.below(40);
    if (pick == 0) return nullptr;
    if (pick == 1) return stranger.modules[0];
    return modules[static_cast<std::size_t>(d.below(static_cast<int>(modules.size())))];
  }

  void connect(Draw& d, PatchModule* to, bool control) {
    // Modules with control inputs need a set-control function; the others take audio only.
    if (control && voice.setControlFns[to->index] == nullptr) control = false;
    PatchInput* in = voice.newInput(drawGain(d), d.below(4));
    setNormalSource(*in, drawSource(d), in->outputIndex);
    if (control ? appendControlInput(*to, in) : appendAudioInput(*to, in)) inputs.push_back(in);
  }

  // Between samples: ramps (some through 0, some landing on 0), re-pointed connections,
  // a faded ramp rate. Both graphs draw the same events.
  void stir(Draw& d) {
    if (inputs.empty()) return;
    PatchInput* in = inputs[static_cast<std::size_t>(d.below(static_cast<int>(inputs.size())))];
    switch (d.below(8)) {
      case 0:
      case 1:
      case 2: voice.rampTo(in, drawGain(d)); break;
      case 3: voice.rampTo(in, in->gain > 0.0f ? -in->gain : 0.3f); break;  // through 0
      case 4:
        in->source = drawSource(d);
        in->outputIndex = d.below(4);
        voice.invalidateSchedule();
        break;
      case 5: voice.rampWithStep(in, drawGain(d), 1.0e-3f); break;
      case 6: voice.rampRate.store(d.chance(50) ? fadedRampRate(44100) : normalRampRate(44100)); break;
      default: break;
    }
  }
};

TEST(GraphSchedule, RandomGraphsGiveTheSameBitsAndCallsAsThePull) {
  for (std::uint32_t seed = 1; seed <= 60; ++seed) {
    auto flatGraph = std::make_unique<RandomGraph>(seed);  // voices are large: on the heap
    auto pulledGraph = std::make_unique<RandomGraph>(seed);
    RandomGraph& flat = *flatGraph;
    RandomGraph& pulled = *pulledGraph;
    Draw events{seed * 7919u};
    Draw mirror{seed * 7919u};
    for (int n = 0; n < 2000; ++n) {
      flat.stir(events);
      pulled.stir(mirror);
      // Now and then a sample without cleared memo flags, which the flat order must hand
      // to the pull.
      const bool prepare = n % 211 != 5;
      if (prepare) prepareVoiceSample(flat.voice);
      if (prepare) prepareVoiceSample(pulled.voice);
      const float a = processVoiceSample(flat.voice);
      const float b = processVoiceSampleByPull(pulled.voice);
      ASSERT_EQ(std::bit_cast<std::uint32_t>(a), std::bit_cast<std::uint32_t>(b)) << "seed " << seed << " sample " << n;
      ASSERT_EQ(flat.log.size(), pulled.log.size()) << "seed " << seed << " sample " << n;
      ASSERT_TRUE(flat.log == pulled.log) << "seed " << seed << " sample " << n;
      flat.log.clear();
      pulled.log.clear();
    }
    for (int i = 0; i < flat.voice.moduleCount; ++i) {
      ASSERT_EQ(std::bit_cast<std::uint32_t>(flat.voice.cache[i]), std::bit_cast<std::uint32_t>(pulled.voice.cache[i]));
    }
  }
}

// Added to random graphs: a feedback loop through three modules, a self-loop, a generator
// read by two connections, and a processor whose output is read before its own control sum
// is set; the OUTPUT reads the loop.
TEST(GraphSchedule, LoopsAndSharedReadersMatchThePull) {
  for (std::uint32_t seed : {101u, 202u, 303u}) {
    auto flatGraph = std::make_unique<RandomGraph>(seed);
    auto pulledGraph = std::make_unique<RandomGraph>(seed);
    RandomGraph& flat = *flatGraph;
    RandomGraph& pulled = *pulledGraph;
    for (RandomGraph* g : {&flat, &pulled}) {
      Draw d{seed};
      PatchModule* a = g->addModule(d, 3);
      PatchModule* b = g->addModule(d, 4);
      PatchModule* c = g->addModule(d, 3);
      PatchModule* gen = g->addModule(d, 1);
      auto wire = [&](PatchModule* from, PatchModule* to, bool control) {
        PatchInput* in = g->voice.newInput(0.5f, 1);
        setNormalSource(*in, from, 1);
        control ? appendControlInput(*to, in) : appendAudioInput(*to, in);
        g->inputs.push_back(in);
      };
      wire(a, b, false);
      wire(b, c, true);
      wire(c, a, false);  // a -> b -> c -> a
      wire(a, a, false);  // a reads itself
      wire(gen, a, true);
      wire(gen, c, false);  // the generator read twice
      wire(b, b, true);     // b's output is read before its own control sum is set
      PatchInput* top = g->voice.output->audioCount > 0 ? g->voice.output->audioInputs[0] : nullptr;
      if (top != nullptr) setNormalSource(*top, a, 1);
      g->voice.invalidateSchedule();
    }
    for (int n = 0; n < 3000; ++n) {
      prepareVoiceSample(flat.voice);
      prepareVoiceSample(pulled.voice);
      const float x = processVoiceSample(flat.voice);
      const float y = processVoiceSampleByPull(pulled.voice);
      ASSERT_EQ(std::bit_cast<std::uint32_t>(x), std::bit_cast<std::uint32_t>(y)) << "sample " << n;
      ASSERT_TRUE(flat.log == pulled.log) << "sample " << n;
      flat.log.clear();
      pulled.log.clear();
    }
  }
}

}  // namespace
