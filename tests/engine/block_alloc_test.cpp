// The block process never allocates: every operator new of this program is counted, and a
// fully wired engine runs blocks in every state while the count must not move.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>

#include "engine/kernels/pan_control.h"
#include "tests/engine/block_fixture.h"

namespace {
std::atomic<long> gNewCalls{0};

void* countedAllocate(std::size_t size, std::size_t alignment) {
  gNewCalls.fetch_add(1, std::memory_order_relaxed);
  if (size == 0) size = 1;
  void* p = nullptr;
  if (alignment <= alignof(std::max_align_t)) {
    p = std::malloc(size);
  } else {
    p = std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
  }
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
}  // namespace

void* operator new(std::size_t size) { return countedAllocate(size, 0); }
void* operator new[](std::size_t size) { return countedAllocate(size, 0); }
void* operator new(std::size_t size, std::align_val_t a) { return countedAllocate(size, static_cast<std::size_t>(a)); }
void* operator new[](std::size_t size, std::align_val_t a) { return countedAllocate(size, static_cast<std::size_t>(a)); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

namespace {

int touchLight(void* context, int sampleIndex) {
  if (sampleIndex == 3) static_cast<VoiceEngine*>(context)->lightMidi();
  return sampleIndex + 1;
}

}  // namespace

TEST(BlockAlloc, ProcessBlockAllocatesNothing) {
  BlockRig rig;
  rig.addAudioInputs();
  PatchVoice& first = rig.engine->voice(0);
  SharedModules& shared = rig.engine->shared();
  shared.pan = SharedModules::create("Pan Control 1", ModuleType::Pan, first);
  shared.reverb = SharedModules::create("Reverb 1", ModuleType::Reverb, first);
  auto* reverb = static_cast<qv::ReverbModule*>(shared.reverb->dsp);
  reverb->setLeftLevel(0.5f);
  reverb->setRightLevel(0.5f);
  for (int v = 0; v < kVoiceContextCount; ++v) {
    PatchVoice& voice = rig.engine->voice(v);
    voice.reverb1 = voice.wrapSharedModule(*shared.reverb, "Reverb 1", ModuleType::Reverb);
    BlockRig::connect(voice, voice.modules[1], voice.reverb1);
  }
  rig.engine->setMidiDispatch(&touchLight, rig.engine.get());
  rig.engine->setVoiceCount(8);
  rig.setSourceValue(1.0f);
  rig.start();
  std::vector<float> in1(512, 0.5f), in2(512, -0.25f), out1(512), out2(512);
  const double ppq = 2.5;
  auto* pan = static_cast<qv::PanControl*>(shared.pan->dsp);

  float heard = 0.0f;
  const long before = gNewCalls.load();
  for (int block = 0; block < 40; ++block) {
    if (block == 2) rig.engine->postPatchChange();
    if (block == 5) pan->setPan(0.3f);
    if (block == 6) rig.engine->requestCord(5, 6);
    if (block == 20) rig.engine->finishPatchChange();
    if (block == 30) rig.engine->setBypassed(true);
    rig.engine->processBlock(in1.data(), in2.data(), out1.data(), out2.data(), 512, block % 2 ? &ppq : nullptr);
    heard = std::max(heard, std::fabs(out1[100]));
  }
  EXPECT_EQ(gNewCalls.load() - before, 0);
  EXPECT_GT(heard, 0.0f);  // the blocks did render
  EXPECT_NE(reverb->lastLeft, 0.0f);  // and the reverb ran
}
