// Construction failing at every allocation it makes in turn: the host gets no effect and
// nothing is left behind; and the block process never allocates, whatever the parameters do
// meanwhile. The global allocation functions of this program count what is allocated and
// freed, and fail on request.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

#include "platform/headless.h"
#include "library/patch_library.h"
#include "plugin_object_test_util.h"
#include "tests/plugin/send_midi.h"

namespace {

// Armed (0 or more): the allocation that finds gFailAt at 0 throws. Only the main thread
// arms it. Live allocations are counted always, on every thread.
std::atomic<long> gFailAt{-1};
std::atomic<long> gLive{0};
// Allocations made on a thread while it is inside processReplacing.
thread_local bool tInProcess = false;
std::atomic<long> gProcessAllocations{0};

void* allocate(std::size_t size) {
  if (tInProcess) ++gProcessAllocations;
  if (gFailAt.load() >= 0 && gFailAt.fetch_sub(1) == 0) throw std::bad_alloc();
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  ++gLive;
  return p;
}

void release(void* p) noexcept {
  if (!p) return;
  --gLive;
  std::free(p);
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }

namespace plugintest {
namespace {

ParameterEditor* makeEditor(Quorvane_VSTEdit& plugin) {
  struct Window : ParameterEditor {
    using ParameterEditor::ParameterEditor;
    void setParameter(int32_t, float) override {}
  };
  return new Window(&plugin);
}

// Creates and closes one instance with the n-th allocation failing; true when the
// instance came into being.
bool createAndClose(long n, Quorvane_VSTEdit::EditorFactory factory) {
  frametest::hostCalls().clear();
  frametest::hostCalls().reserve(64);
  gFailAt.store(n);
  AEffect* e = createQuorvaneEffect(plugintest::pluginHost, kInstrumentIdentity, factory);
  gFailAt.store(-1);
  if (e) e->dispatcher(e, effClose, 0, 0, nullptr, 0);
  platform::headless::clearShownMessages();  // a plug-in without its library reports it
  return e != nullptr;
}

TEST(PluginEntry, AFailedConstructionLeavesNothingBehind) {
  for (auto factory : {static_cast<Quorvane_VSTEdit::EditorFactory>(nullptr), makeEditor}) {
    frametest::resetRecords(2400);
    createAndClose(-1, factory);  // process-wide first-use allocations happen here
    platform::messageBox(nullptr, "first use");  // the record of shown messages grows once
    platform::headless::clearShownMessages();
    bool created = false;
    long n = 0;
    for (; !created && n < 20000; ++n) {
      const long live = gLive.load();
      created = createAndClose(n, factory);
      EXPECT_EQ(gLive.load(), live) << "failing allocation " << n;
    }
    EXPECT_TRUE(created);
    EXPECT_GT(n, 1);  // construction allocates, so failures were tried
  }
}

// All nine voices sounding, cords moving and every parameter automated from another thread
// while the audio thread processes: not one allocation inside processReplacing.
TEST(PluginProcess, NoAllocationWhileProcessing) {
  Instance in;
  AEffect* e = in.effect();
  in.dispatch(effMainsChanged, 0, 1);
  in.plugin().setParameterReal(kParamVoices, 8.0f);
  std::atomic<bool> done{false};
  std::thread automation([&] {
    for (int round = 0; round < 40; ++round) {
      const float v = static_cast<float>(round % 7) / 6.0f;
      for (int i = 2; i < 178; ++i) e->setParameter(e, i, i >= 90 ? static_cast<float>(round % 90) / 1000.0f : v);
      e->setParameter(e, kParamVoices, 1.0f);
      in.plugin().triggerEnvelopes(round % 2 == 0);
    }
    done.store(true);
  });
  std::vector<float> left(256), right(256);
  float* inputs[] = {left.data(), right.data()};
  float* outputs[] = {left.data(), right.data()};
  for (int block = 0; block < 50 || !done.load(); ++block) {
    tInProcess = true;
    e->processReplacing(e, inputs, outputs, 256);
    tInProcess = false;
  }
  automation.join();
  EXPECT_EQ(gProcessAllocations.load(), 0);
}

// A program change on the audio thread merges the new sound's MIDI map sources and plays
// notes through them: still not one allocation inside processReplacing.
TEST(PluginProcess, NoAllocationWhenAProgramChangeBringsItsMap) {
  Instance in;
  AEffect* e = in.effect();
  in.dispatch(effMainsChanged, 0, 1);
  PatchLibrary& library = *in.plugin().library();
  int slot = 0;
  while (slot < 127 && (library.programMapEntry(slot) == nullptr || library.programMapEntry(slot) == library.currentPatch()))
    ++slot;
  {
    Quorvane_VST::PatchHold hold(in.plugin());
    Patch* sound = library.programMapEntry(slot);
    ASSERT_NE(sound, nullptr);
    for (int p = 2; p <= 80; ++p) {  // more entries than the map holds: some are appended
      MidiMapEntry entry = blankMidiMapEntry(p);
      entry.sourceBits = kMidiPatchSourceBits;
      sound->addMidiMapEntry(entry);
    }
  }
  frametest::hostCalls().reserve(100000);  // the fake host records each automated parameter
  std::vector<float> left(256), right(256);
  float* outputs[] = {left.data(), right.data()};
  plugintest::sendMidi(e, {{0x90, 60, 90}, {0xC0, static_cast<unsigned char>(slot), 0}});
  for (int block = 0; block < 40; ++block) {
    if (block == 30) plugintest::sendMidi(e, {{0x90, 64, 70}, {0xB0, 1, 30}, {0xD0, 90, 0}});
    tInProcess = true;
    e->processReplacing(e, nullptr, outputs, 256);
    tInProcess = false;
  }
  EXPECT_FALSE(in.plugin().engine().patchChangePending());
  MidiMapEntry entry;
  ASSERT_TRUE(in.plugin().midiMap().findByParameter(80, entry));
  EXPECT_EQ(entry.sourceBits & kMidiPatchSourceBits, kMidiPatchSourceBits) << "the sound's map came along";
  EXPECT_EQ(gProcessAllocations.load(), 0);
}

}  // namespace
}  // namespace plugintest
