// Construction failing at every allocation it makes in turn: the host gets no effect and
// nothing is left behind. The global allocation functions of this program count what is
// allocated and freed, and fail on request.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "plugin_object_test_util.h"

namespace {

// Armed (0 or more): the allocation that finds gFailAt at 0 throws. Only the main thread
// arms it. Live allocations are counted always, on every thread.
std::atomic<long> gFailAt{-1};
std::atomic<long> gLive{0};

void* allocate(std::size_t size) {
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
  return e != nullptr;
}

TEST(PluginEntry, AFailedConstructionLeavesNothingBehind) {
  for (auto factory : {static_cast<Quorvane_VSTEdit::EditorFactory>(nullptr), makeEditor}) {
    frametest::resetRecords(2400);
    createAndClose(-1, factory);  // process-wide first-use allocations happen here
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

}  // namespace
}  // namespace plugintest
