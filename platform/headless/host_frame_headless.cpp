// Headless host frame for the tools: a headless::HostWindow whose editor window is painted
// by the pump and read back as the screen.
#include <malloc.h>

#include <algorithm>
#include <cstddef>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define QV_SANITIZER_ALLOCATOR 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define QV_SANITIZER_ALLOCATOR 1
#endif
#if defined(QV_SANITIZER_ALLOCATOR)
// The sanitizer runtimes' own count (gcc ships no header that declares it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

#include "platform/headless_gui.h"
#include "platform/host_frame.h"

namespace platform {
namespace {

class HeadlessHostFrame final : public HostFrame {
 public:
  explicit HeadlessHostFrame(Point origin) { host_.screenOrigin = origin; }
  void* parentHandle() override { return &host_; }
  void pump() override {
    if (host_.child) host_.child->paint();
  }
  bool sendInput(const FrameInput& in) override {
    headless::WindowDriver* w = host_.child;
    if (!w) return false;
    switch (in.kind) {
      case FrameInput::Kind::MouseDown: w->mouseDown(in.point, in.modifiers); return true;
      case FrameInput::Kind::MouseMove: w->mouseMove(in.point, in.modifiers); return true;
      case FrameInput::Kind::MouseUp: w->mouseUp(in.point, in.modifiers); return true;
      case FrameInput::Kind::Key: w->key(in.code, in.modifiers); return true;
      case FrameInput::Kind::Text: return w->typeText(in.text);
      case FrameInput::Kind::MenuAnswer: w->queueMenuAnswer(in.code); return true;
    }
    return false;
  }
  int childWindowCount() override { return host_.child ? 1 + host_.child->editBoxCount() : 0; }
  long foreignThreadCalls() override { return host_.child ? host_.child->foreignThreadCalls() : 0; }
  bool editorObjectCounts(GuiHandleCounts& counts) override {
    if (!host_.child) return false;
    counts = {};
    counts.ownUser = host_.child->libraryObjectCount();
    return true;
  }
  std::unique_ptr<Bitmap> captureClient() override {
    if (!host_.child) return nullptr;
    const Bitmap& screen = host_.child->screen();
    auto copy = Bitmap::create(screen.width(), screen.height());
    if (!copy) return nullptr;
    for (int y = 0; y < screen.height(); ++y)
      std::copy(screen.row(y), screen.row(y) + screen.width() * 4, copy->row(y));
    return copy;
  }

 private:
  headless::HostWindow host_;
};

}  // namespace

std::unique_ptr<HostFrame> HostFrame::create(const std::string&, int, int, Point origin) {
  return std::make_unique<HeadlessHostFrame>(origin);
}

GuiHandleCounts guiHandleCounts() {
  GuiHandleCounts counts;
  counts.ownUser = headless::openWindowCount() + headless::openEditBoxCount() + headless::openMenuCount();
  return counts;
}

long long processMemoryInUse() {
#if defined(QV_SANITIZER_ALLOCATOR)
  // The sanitizer's allocator serves every malloc; the blocks freed that it keeps back for a
  // while do not count here.
  return static_cast<long long>(__sanitizer_get_current_allocated_bytes());
#else
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long long>(info.uordblks + info.hblkhd);
#endif
}

}  // namespace platform
