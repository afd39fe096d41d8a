// Pull evaluation: memoisation, feedback delay, generator reads, control-change threshold,
// sanitising of evaluated values, the per-sample step.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "engine/kernels/reverb_module.h"
#include "tests/engine/graph_fixture.h"

TEST_F(GraphTest, NonGeneratorWithFanOutIsProcessedOncePerSample) {
  ProbeObject source;
  source.fn = [](float x) { return x + 1.0f; };
  PatchModule* s = probe(source, processorKernel());
  PatchModule* a = mixer("A");
  PatchModule* b = mixer("B");
  PatchModule* sum = mixer("Sum");
  wire(s, a);
  wire(s, b);
  wire(s, sum);  // read three times per sample, directly and through two paths
  wire(a, sum);
  wire(b, sum);
  wire(sum, voice.output);
  for (int n = 1; n <= 10; ++n) {
    EXPECT_FLOAT_EQ(runSample(), 3.0f);
    EXPECT_EQ(source.processCalls, n);
  }
}

TEST_F(GraphTest, SelfFeedbackReadsPreviousSample) {
  ProbeObject f;
  f.fn = [](float x) { return 0.5f * x + 1.0f; };
  PatchModule* m = probe(f, processorKernel());
  wire(m, m);  // the module's output patched into its own input
  wire(m, voice.output);
  float expected = 0.0f;
  for (int n = 0; n < 20; ++n) {
    expected = 0.5f * expected + 1.0f;  // y[n] = 0.5 y[n-1] + 1
    EXPECT_FLOAT_EQ(runSample(), expected) << "sample " << n;
  }
  EXPECT_EQ(f.processCalls, 20);
}

TEST_F(GraphTest, LoopThroughTwoModulesDelaysTheClosingEdgeByOneSample) {
  ProbeObject a, b;
  a.fn = [](float x) { return x + 1.0f; };
  b.fn = [](float x) { return 2.0f * x; };
  PatchModule* ma = probe(a, processorKernel(), "A");
  PatchModule* mb = probe(b, processorKernel(), "B");
  wire(mb, ma);
  wire(ma, mb);
  wire(ma, voice.output);
  // A is entered first, so B reads A's previous value: A[n] = 2 A[n-1] + 1.
  float expected = 0.0f;
  for (int n = 0; n < 8; ++n) {
    expected = 2.0f * expected + 1.0f;
    EXPECT_FLOAT_EQ(runSample(), expected);
  }
}

TEST_F(GraphTest, GeneratorGivesItsLiveOutputToEveryReader) {
  ProbeObject g;
  PatchModule* gen = probe(g, generatorKernel(), "gen");
  PatchModule* sum = mixer();
  wire(gen, sum);
  wire(gen, sum, false, 2.0f);
  wire(sum, voice.output);
  for (int n = 1; n <= 5; ++n) {
    g.value = static_cast<float>(n);
    EXPECT_FLOAT_EQ(runSample(), 3.0f * n);
  }
  EXPECT_EQ(g.outputCalls, 10);  // two readers, no memo on a generator without controls
}

TEST_F(GraphTest, ControlledGeneratorGivesFirstReaderLastSamplesSetting) {
  // The envelope gate stores its control sum and outputs the stored value. Its output is
  // read before its controls are set, so within a sample the first reader sees the old
  // setting and a later reader the new one.
  ProbeObject level;
  PatchModule* cv = probe(level, generatorKernel(), "cv");
  PatchModule* gate = voice.newModule("Envelope Gate", ModuleType::EnvelopeGate);
  wire(cv, gate, true);
  PatchModule* sum = mixer();
  wire(gate, sum);
  wire(gate, sum, false, 10.0f);
  wire(sum, voice.output);
  float previous = 0.0f;
  for (float v : {1.0f, 2.0f, 2.0f, -4.0f, 0.0f}) {
    level.value = v;
    EXPECT_FLOAT_EQ(runSample(), previous + 10.0f * v) << "control " << v;
    previous = v;
  }
}

TEST_F(GraphTest, GeneratorInsideItsOwnLoopReadsLiveOutput) {
  ProbeObject g;
  g.value = 3.0f;
  ModuleKernel k = generatorKernel();
  PatchModule* gen = probe(g, k);
  wire(gen, gen, true);  // its own output feeds its control input
  wire(gen, voice.output);
  runSample();
  EXPECT_FLOAT_EQ(g.lastControl, 3.0f);
}

TEST_F(GraphTest, SetControlOnlyWhenSumMovesMoreThanThreshold) {
  ProbeObject cvSource, target;
  PatchModule* cv = probe(cvSource, generatorKernel(), "cv");
  PatchModule* m = probe(target, processorKernel(), "target");
  wire(cv, m, true);
  wire(m, voice.output);
  struct Step {
    float control;
    bool called;
  };
  const Step steps[] = {{0.0f, false},   {1e-6f, false}, {0.5e-6f, false}, {3e-6f, true},
                        {3.5e-6f, false}, {1.0f, true},   {1.0f, false},    {-1.0f, true}};
  int calls = 0;
  for (const Step& s : steps) {
    cvSource.value = s.control;
    runSample();
    if (s.called) ++calls;
    EXPECT_EQ(target.controlCalls, calls) << "control " << s.control;
  }
  EXPECT_FLOAT_EQ(target.lastControl, -1.0f);
}

TEST_F(GraphTest, InputsThatAreOffAreNotEvaluated) {
  ProbeObject quiet, loud;
  quiet.fn = [](float) { return 7.0f; };
  loud.fn = [](float) { return 5.0f; };
  PatchModule* q = probe(quiet, processorKernel(), "quiet");
  PatchModule* l = probe(loud, processorKernel(), "loud");
  PatchModule* sum = mixer();
  wire(q, sum, false, 0.0f);
  PatchInput* negative = wire(l, sum, false, -2e-6f);  // negative, above the threshold: read
  wire(sum, voice.output);
  EXPECT_NEAR(runSample(), 5.0f * -2e-6f, 1e-9f);
  EXPECT_FALSE(negative->off);
  EXPECT_EQ(quiet.processCalls, 0);
  EXPECT_EQ(loud.processCalls, 1);
}

TEST_F(GraphTest, EvaluatedValuesAreSanitised) {
  struct Case {
    float produced;
    float stored;
  };
  const float inf = std::numeric_limits<float>::infinity();
  const Case cases[] = {{1000.5f, 0.0f}, {-1001.0f, 0.0f}, {1000.0f, 1000.0f}, {999.0f, 999.0f},
                        {inf, 0.0f},     {-inf, 0.0f},     {std::nanf(""), 0.0f}, {1e-40f, 0.0f}};
  for (const Case& c : cases) {
    PatchVoice v;
    v.output = v.newModule("OUTPUT", ModuleType::Output);
    ProbeObject p;
    p.fn = [&c](float) { return c.produced; };
    PatchModule* m = v.newModule("runaway", ModuleType::Mixer);
    v.bindModule(*m, &p, processorKernel());
    PatchInput* in = v.newInput(1.0f, 0);
    setNormalSource(*in, m, 0);
    appendAudioInput(*v.output, in);
    prepareVoiceSample(v);
    EXPECT_EQ(processVoiceSample(v), c.stored) << c.produced;
    EXPECT_EQ(v.cache[m->index], c.stored) << c.produced;
  }
}

TEST_F(GraphTest, GeneratorReadsAreSanitised) {
  ProbeObject g;
  g.value = std::numeric_limits<float>::quiet_NaN();
  PatchModule* gen = probe(g, generatorKernel());
  wire(gen, voice.output);
  EXPECT_EQ(runSample(), 0.0f);
}

TEST_F(GraphTest, PrepareTicksVoiceModulesInOrder) {
  std::vector<std::string> order;
  struct Named {
    std::vector<std::string>* log;
    std::string name;
  };
  ModuleKernel k;
  k.tick = [](void* dsp) {
    auto* n = static_cast<Named*>(dsp);
    n->log->push_back(n->name);
  };
  std::vector<Named> objects;
  objects.reserve(7);
  PatchModule** roles[] = {&voice.keyboardTrigger, &voice.adsr1, &voice.ar1, &voice.vcf1,
                           &voice.vco3, &voice.vco2, &voice.vco1};  // created in reverse order
  const char* names[] = {"trigger", "adsr", "ar", "vcf", "vco3", "vco2", "vco1"};
  for (int i = 0; i < 7; ++i) {
    objects.push_back({&order, names[i]});
    *roles[i] = voice.newModule(names[i], ModuleType::Mixer);
    voice.bindModule(**roles[i], &objects.back(), k);
  }
  // A pull leaves the module it evaluated marked for the rest of the sample.
  wire(voice.vco1, voice.output);
  voice.evaluateInput(firstAudioInput(voice.output));
  ASSERT_EQ(voice.computed[voice.vco1->index], 1);
  prepareVoiceSample(voice);
  EXPECT_EQ(order, (std::vector<std::string>{"vco1", "vco2", "vco3", "vcf", "ar", "adsr", "trigger"}));
  EXPECT_EQ(voice.computed[voice.vco1->index], 0);
}

TEST_F(GraphTest, BusesAndReverbSendCollectATenthOfTheirInputs) {
  SharedModules shared;
  shared.zeroVolts = SharedModules::create("Zero 0 Volts", ModuleType::Constant, voice);
  shared.leftInput = SharedModules::create("Left Input", ModuleType::InputBus, voice);
  shared.rightInput = SharedModules::create("Right Input", ModuleType::InputBus, voice);
  voice.zeroVolts = voice.wrapSharedModule(*shared.zeroVolts, "Zero 0 Volts", ModuleType::Constant);
  voice.leftInput = voice.wrapSharedModule(*shared.leftInput, "Left Input", ModuleType::InputBus);
  voice.rightInput = voice.wrapSharedModule(*shared.rightInput, "Right Input", ModuleType::InputBus);

  ProbeObject src;
  src.fn = [](float) { return 4.0f; };
  PatchModule* s = probe(src, processorKernel(), "source");
  voice.reverb1 = voice.newModule("Reverb 1", ModuleType::Reverb);
  auto* reverb = static_cast<qv::ReverbModule*>(voice.reverb1->dsp);

  wire(s, voice.output, false, 2.0f);
  wire(s, voice.reverb1);  // same source as the output: the output value is reused
  wire(s, voice.leftInput);
  wire(voice.zeroVolts, voice.rightInput);

  auto* left = static_cast<FloatHolder*>(shared.leftInput->dsp);
  auto* right = static_cast<FloatHolder*>(shared.rightInput->dsp);
  EXPECT_FLOAT_EQ(runSample(), 8.0f);
  EXPECT_FLOAT_EQ(reverb->send, 0.8f);  // out x 0.1, with the output's gain
  EXPECT_FLOAT_EQ(left->value, 0.4f);  // 4 x 0.1
  EXPECT_FLOAT_EQ(right->value, 0.0f);
  EXPECT_EQ(src.processCalls, 1);
}

TEST_F(GraphTest, ReverbSendFromAnotherSourceIsEvaluated) {
  ProbeObject a, b;
  a.fn = [](float) { return 1.0f; };
  b.fn = [](float) { return 3.0f; };
  PatchModule* ma = probe(a, processorKernel(), "A");
  PatchModule* mb = probe(b, processorKernel(), "B");
  voice.reverb1 = voice.newModule("Reverb 1", ModuleType::Reverb);
  auto* reverb = static_cast<qv::ReverbModule*>(voice.reverb1->dsp);
  wire(ma, voice.output);
  wire(mb, voice.reverb1, false, 0.5f);
  EXPECT_FLOAT_EQ(runSample(), 1.0f);
  EXPECT_FLOAT_EQ(reverb->send, 0.15f);
}

TEST_F(GraphTest, ReverbSendFromAnotherOutputOfTheSameModuleIsEvaluated) {
  // One module with two outputs (index n gives 10 n): the output reads 1, the send reads 2.
  ModuleKernel twoOutputs;
  twoOutputs.generator = true;
  twoOutputs.output = [](void*, int index) { return 10.0f * static_cast<float>(index); };
  PatchModule* source = voice.newModule("two outputs", ModuleType::Mixer);
  voice.bindModule(*source, nullptr, twoOutputs);
  ProbeObject send;
  ModuleKernel reverbKernel;
  reverbKernel.accumulate = [](void* dsp, float v) { static_cast<ProbeObject*>(dsp)->value += v; };
  voice.reverb1 = voice.newModule("Reverb 1", ModuleType::Reverb);
  voice.bindModule(*voice.reverb1, &send, reverbKernel);
  PatchInput* out = voice.newInput(1.0f, 1);
  setNormalSource(*out, source, 1);
  appendAudioInput(*voice.output, out);
  PatchInput* in = voice.newInput(1.0f, 2);
  setNormalSource(*in, source, 2);
  appendAudioInput(*voice.reverb1, in);
  EXPECT_FLOAT_EQ(runSample(), 10.0f);
  EXPECT_FLOAT_EQ(send.value, 2.0f);  // 20 x 0.1, not the output's 10 x 0.1
}

TEST(ModuleTable, RowsMatchTheTypeCodes) {
  const int unused[] = {0, 4, 7, 11, 16};
  for (int code = 0; code < kModuleTypeCount; ++code) {
    bool isUnused = false;
    for (int u : unused) isUnused = isUnused || u == code;
    EXPECT_EQ(isModuleTypeUsed(static_cast<ModuleType>(code)), !isUnused) << code;
  }
  const int generators[] = {1, 6, 8, 9, 14, 15, 19, 20, 21, 23, 25, 26, 27, 28, 29, 30};
  for (int code = 0; code < kModuleTypeCount; ++code) {
    bool expected = false;
    for (int g : generators) expected = expected || g == code;
    EXPECT_EQ(moduleKernel(static_cast<ModuleType>(code)).generator, expected) << code;
  }
  EXPECT_EQ(moduleKernel(static_cast<ModuleType>(-1)).label, nullptr);
  EXPECT_EQ(moduleKernel(static_cast<ModuleType>(kModuleTypeCount)).label, nullptr);
}

TEST(ModuleTable, VoiceRefusesModulesBeyondCapacity) {
  PatchVoice v;
  for (int i = 0; i < kMaxVoiceModules; ++i) ASSERT_NE(v.newModule("m", ModuleType::Mixer), nullptr);
  EXPECT_EQ(v.newModule("one too many", ModuleType::Mixer), nullptr);
  EXPECT_EQ(v.moduleCount, kMaxVoiceModules);
  PatchModule* m = v.modules[0];
  for (int i = 0; i < kMaxModuleInputs; ++i) EXPECT_TRUE(appendAudioInput(*m, v.newInput(1.0f, 0)));
  EXPECT_FALSE(appendAudioInput(*m, v.newInput(1.0f, 0)));
}

TEST(ModuleTable, NamesAreCopiedAndBounded) {
  PatchVoice v;
  const std::string longName(150, 'x');
  PatchModule* m = v.newModule(longName.c_str(), ModuleType::Mixer);
  EXPECT_EQ(std::string(m->name), std::string(99, 'x'));
  EXPECT_STREQ(v.newModule("Interal Clock 1", ModuleType::Mixer)->name, "Interal Clock 1");
}

TEST(ModuleRecords, WrappersAndSharedRecordsUseOneObjectOwnedOnce) {
  // Run under the address sanitizer this also shows each object is freed exactly once.
  SharedModules shared;
  {
    PatchVoice first;
    shared.leftInput = SharedModules::create("Left Input", ModuleType::InputBus, first);
    ASSERT_NE(shared.leftInput->dsp, nullptr);
    PatchVoice second;
    PatchModule* a = first.wrapSharedModule(*shared.leftInput, "Left Input", ModuleType::InputBus);
    PatchModule* b = second.wrapSharedModule(*shared.leftInput, "Left Input", ModuleType::InputBus);
    EXPECT_EQ(a->dsp, shared.leftInput->dsp);
    EXPECT_EQ(b->dsp, shared.leftInput->dsp);
    EXPECT_FALSE(a->ownsDsp);
    EXPECT_EQ(first.setControlFns[a->index], nullptr);
    EXPECT_EQ(first.processFns[a->index], nullptr);

    PatchModule* gate = first.newModule("Envelope Gate", ModuleType::EnvelopeGate);
    PatchModule* over = first.newModuleOver("Gate view", ModuleType::EnvelopeGate, *gate);
    EXPECT_TRUE(gate->ownsDsp);
    EXPECT_FALSE(over->ownsDsp);
    EXPECT_EQ(over->dsp, gate->dsp);
    EXPECT_EQ(first.isGenerator[over->index], 1);
  }
  // Both voices are gone; the shared bus object is still alive and usable.
  accumulateFloat(shared.leftInput->dsp, 1.5f);
  EXPECT_FLOAT_EQ(static_cast<FloatHolder*>(shared.leftInput->dsp)->value, 1.5f);
}

TEST(ModuleRecords, NewModuleFillsItsTableEntries) {
  PatchVoice v;
  PatchModule* out = v.newModule("OUTPUT", ModuleType::Output);
  PatchModule* gate = v.newModule("Envelope Gate", ModuleType::EnvelopeGate);
  EXPECT_EQ(out->index, 0);
  EXPECT_EQ(gate->index, 1);
  EXPECT_EQ(v.moduleCount, 2);
  EXPECT_EQ(v.modules[1], gate);
  EXPECT_EQ(v.types[1], ModuleType::EnvelopeGate);
  EXPECT_EQ(v.dsps[1], gate->dsp);
  EXPECT_EQ(v.setControlFns[1], &storeFloat);
  EXPECT_EQ(v.outputFns[1], &readFloat);
  EXPECT_EQ(v.processFns[1], nullptr);
  EXPECT_EQ(v.isGenerator[0], 0);
  EXPECT_EQ(v.dsps[0], nullptr);
  EXPECT_EQ(v.outputFns[0], nullptr);
  EXPECT_EQ(v.cache[1], 0.0f);
  EXPECT_EQ(v.lastControl[1], 0.0f);
}
