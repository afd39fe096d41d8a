// Test controls of the headless GUI (Linux build only): a host window to open an editor in,
// a driver for each fake window that injects mouse and key events, paints, reads what the
// window recorded and saves its pixels as PNG, and scripted answers for pop-up menus, file
// dialogs and edit boxes.
//
// A plug-in library carries its own copy of the platform code, so a host (qhost) that loads
// it cannot reach the plug-in's platform state through functions. Everything a host needs is
// therefore reached through the HostWindow it passes as the parent window: the plug-in's
// child window attaches its WindowDriver there, and the driver's virtual functions run the
// plug-in's own copy. Tests linked with the platform directly may use the free functions too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gui.h"

namespace platform::headless {

enum class Cursor { None, Arrow };

// One menu shown by PopupMenu::track, as the user saw it.
struct ShownMenu {
  struct Item {
    int id = 0;               // 0 for a separator
    std::string text;
    bool separator = false;
    bool checked = false;
    bool isDefault = false;
  };
  std::vector<Item> items;
  Point screen;
  int answer = 0;  // the id track returned
};

// One file dialog shown, and what it answered.
struct ShownFileDialog {
  bool save = false;
  FileDialogOptions options;
  std::string answer;  // empty when cancelled
};

// The fake window's controls. All calls run on the caller's (GUI) thread.
class WindowDriver {
 public:
  virtual int width() const = 0;
  virtual int height() const = 0;

  // Mouse events as the system would deliver them. Alt held is the keyboard state during
  // the event (keyboardModifiers().alt); buttonHeld follows from down/up.
  virtual void mouseMove(Point p, const KeyModifiers& modifiers = {}) = 0;
  virtual void mouseDown(Point p, const KeyModifiers& modifiers = {}) = 0;
  virtual void mouseUp(Point p, const KeyModifiers& modifiers = {}) = 0;
  // A key press: goes to the focused edit box of this window when one has the focus (Enter,
  // Escape and Tab reach its listener), else to the window's listener.
  virtual void key(int virtualKey, const KeyModifiers& modifiers = {}) = 0;
  // Characters typed into the focused edit box, one keystroke each (each replaces the
  // selection, as typing does); false when no edit box has the focus.
  virtual bool typeText(const std::string& s) = 0;
  // Text pasted into the focused edit box in one step; false when none has the focus.
  virtual bool pasteText(const std::string& s) = 0;
  // The focused edit box's text, and whether one exists.
  virtual bool focusedEditText(std::string& out) const = 0;
  // Another window takes the mouse capture.
  virtual void stealCapture() = 0;

  // Delivers the paint event for the invalid area (its bounding rectangle) and validates it;
  // false when nothing was invalid. paintAll paints the whole window.
  virtual bool paint() = 0;
  virtual void paintAll() = 0;

  // What the window recorded since the last clearInvalidations: every invalidated rectangle.
  virtual std::vector<Rect> invalidations() const = 0;
  virtual void clearInvalidations() = 0;
  virtual bool hasCapture() const = 0;
  virtual bool hasFocus() const = 0;  // the window itself (not an edit box) has the focus
  virtual Cursor cursor() const = 0;
  virtual int editBoxCount() const = 0;  // native edit boxes open on this window
  // Calls that reached the window from a thread other than the one that created it (a
  // window belongs to its thread; such a call is refused and counted).
  virtual long foreignThreadCalls() const = 0;
  // The windows, edit boxes and menus alive now in the window's library (leak checks).
  virtual int libraryObjectCount() const = 0;

  // The window's pixels as last painted (opaque: paint copies what the editor drew).
  virtual const Bitmap& screen() const = 0;
  virtual bool saveScreenshot(const std::string& pngPath) const = 0;

  // Scripted answers of this library's pop-up menus and file dialogs, used in order: a menu
  // answers with the next id (0 = dismissed) and 0 when the script is empty; a file dialog
  // with the next path ("" = cancelled) and cancels when the script is empty.
  virtual void queueMenuAnswer(int id) = 0;
  virtual void queueFileAnswer(const std::string& path) = 0;
  virtual std::vector<ShownMenu> shownMenus() const = 0;
  virtual std::vector<ShownFileDialog> shownFileDialogs() const = 0;

 protected:
  ~WindowDriver() = default;
};

// The host side: a window of the host's, passed as the parent of the editor window. Defined
// wholly here so that a host and the plug-in agree on it without sharing code.
struct HostWindow {
  static constexpr std::uint32_t kMagic = 0x51486877;  // 'QHhw'
  std::uint32_t magic = kMagic;
  Point screenOrigin{100, 100};  // where the host window's client area lies on the screen
  WindowDriver* child = nullptr; // the editor window opened in it, while it is open
};

// For tests linked with the platform: the driver of a window of this library.
WindowDriver& driver(Window& window);

// Scripted menu and file-dialog answers without a window at hand (the same queues as the
// driver's).
void queueMenuAnswer(int id);
void queueFileAnswer(const std::string& path);
std::vector<ShownMenu> shownMenus();
std::vector<ShownFileDialog> shownFileDialogs();
void clearShown();

// The number of windows, edit boxes and pop-up menus of this library alive now (leak checks).
int openWindowCount();
int openEditBoxCount();
int openMenuCount();
// Whether the window class of that name is registered now.
bool isClassRegistered(const std::string& className);

// Writes a bitmap as a PNG file (unpremultiplied RGBA). False on failure.
bool savePng(const Bitmap& bitmap, const std::string& path);

}  // namespace platform::headless
