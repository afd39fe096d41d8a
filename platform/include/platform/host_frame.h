// For the tools only (qhost edit, the GUI probe), never for the plug-in: a top-level window
// that plays the host's part around an editor, the message pump, a capture of what the
// screen shows, and the process's GUI handle counts for leak checks.
#pragma once

#include <memory>
#include <string>

#include "platform/gui.h"

namespace platform {

struct FrameInput {
  enum class Kind { MouseDown, MouseMove, MouseUp, Key, Text, MenuAnswer };
  Kind kind = Kind::MouseMove;
  Point point;              // mouse: client coordinates of the editor window
  KeyModifiers modifiers;   // mouse and key
  int code = 0;             // key: virtual-key code; menu answer: the item id
  std::string text;         // characters typed into the focused edit box
};

// GUI objects the process holds now. system: the system's own count (Windows
// GetGuiResources; 0 under Wine, which does not count); own: the objects the platform code
// made and has not yet deleted (GDI: bitmaps, contexts, fonts, regions, pens, brushes; USER:
// windows, edit boxes, menus). Headless counts its fake windows, edit boxes and menus.
struct GuiHandleCounts {
  long systemGdi = 0;
  long systemUser = 0;
  long ownGdi = 0;
  long ownUser = 0;
};

class HostFrame {
 public:
  // A visible top-level window whose client area is width x height at the screen point
  // origin. Null when it cannot be made. Headless: a headless::HostWindow.
  static std::unique_ptr<HostFrame> create(const std::string& title, int width, int height, Point origin);
  virtual ~HostFrame() = default;

  // The parent handle to give an editor (effEditOpen's pointer, Window::create's parent).
  virtual void* parentHandle() = 0;
  // Handles every message waiting for this thread's windows (Windows); headless: delivers the
  // paint event of the editor window opened in the frame, if any part of it is invalid.
  virtual void pump() = 0;
  // Input for the editor window opened in the frame, delivered as the system delivers it
  // to that window (Windows: its mouse, key and character messages, sent at once; headless:
  // the fake window's driver). False when there is no editor window or the input cannot be
  // given this way (Windows: a scripted menu answer; Alt, which the window reads from the
  // keyboard state).
  virtual bool sendInput(const FrameInput& input) = 0;
  // What the screen shows over the frame's client area (Windows: read from the screen, so
  // from the display server under Wine; headless: the editor window's pixels). Null when
  // nothing can be read.
  virtual std::unique_ptr<Bitmap> captureClient() = 0;
  // The windows inside the frame now: the editor's window and every window within it (edit
  // boxes included). Zero once the editor has closed everything it opened.
  virtual int childWindowCount() = 0;
  // The calls that the windows inside the frame received from a thread other than the one
  // that made them (each window counts its own; a window's count goes with it).
  virtual long foreignThreadCalls() = 0;
  // The objects alive now in the platform code of the library whose window is open in the
  // frame (a plug-in carries its own copy): its own GDI and USER counts (headless: windows,
  // edit boxes and menus as USER). False when no window is open in the frame.
  virtual bool editorObjectCounts(GuiHandleCounts& counts) = 0;

 protected:
  HostFrame() = default;
  HostFrame(const HostFrame&) = delete;
  HostFrame& operator=(const HostFrame&) = delete;
};

GuiHandleCounts guiHandleCounts();

// The process's memory in use now, in bytes, for leak checks: the heap's allocated bytes
// (headless; the sanitizer's count in a sanitizer build) or the private bytes (Windows).
long long processMemoryInUse();

// Writes a bitmap as an uncompressed 32-bit BMP (top-down rows), for tools that have no PNG
// writer. False on failure.
bool writeBmp(const Bitmap& bitmap, const std::string& path);

}  // namespace platform
