// GUI services of the platform: off-screen bitmaps and drawing on them, the editor's child
// window with its events, native pop-up menus, the native edit box and the file dialogs.
// Windows implements them with gdi32, user32, msimg32 and comdlg32 (platform/win32); the
// Linux build with cairo and a fake window that tests drive (platform/headless, see
// headless_gui.h). Everything here is used on the GUI thread only. There are no timers: the
// host's idle calls drive all periodic work of the editor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Points are signed 16-bit client coordinates, rectangles {x, y, w, h} (left, top, width,
// height; right and bottom edges exclusive).
struct Point {
  std::int16_t x = 0;
  std::int16_t y = 0;
};
struct Rect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
  bool isEmpty() const { return w <= 0 || h <= 0; }
  bool contains(Point p) const { return p.x >= x && p.x < x + w && p.y >= y && p.y < y + h; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Colours are 0xRRGGBB everywhere in the toolkit; each implementation converts them to its
// system's order in one place.
using Colour = std::uint32_t;

// A union of rectangles, for clipping and for the window's update area. The rectangles are
// kept as given (overlaps allowed); empty ones are dropped. Clearing keeps the storage, so a
// region reused per frame does not allocate once it has grown.
class Region {
 public:
  void clear() { rects_.clear(); }
  void add(const Rect& r) {
    if (!r.isEmpty()) rects_.push_back(r);
  }
  void add(const Region& other) { rects_.insert(rects_.end(), other.rects_.begin(), other.rects_.end()); }
  bool isEmpty() const { return rects_.empty(); }
  bool contains(Point p) const {
    for (const Rect& r : rects_)
      if (r.contains(p)) return true;
    return false;
  }
  // The smallest rectangle holding every rectangle; {0, 0, 0, 0} when empty.
  Rect bounds() const;
  const std::vector<Rect>& rects() const { return rects_; }

 private:
  std::vector<Rect> rects_;
};

// A 32-bit premultiplied bitmap: each pixel is four bytes blue, green, red, alpha (a 32-bit
// little-endian word 0xAARRGGBB), colour bytes already multiplied by alpha. Rows are
// addressed from the top. A new bitmap is transparent black. Windows: a DIB section;
// headless: a cairo ARGB32 image surface (the same layout).
class Bitmap {
 public:
  // Null when the size is not positive or the system refuses the bitmap.
  static std::unique_ptr<Bitmap> create(int width, int height);
  virtual ~Bitmap() = default;

  virtual int width() const = 0;
  virtual int height() const = 0;
  // Row y (0 = top), width() * 4 bytes; valid while the bitmap lives. Rows follow each other
  // without gaps (row(y) == row(0) + y * width() * 4). Pending drawing into the bitmap is
  // finished before the pointer is returned, so the bytes are current.
  virtual std::uint8_t* row(int y) = 0;
  const std::uint8_t* row(int y) const { return const_cast<Bitmap*>(this)->row(y); }
  // The pixel at (x, y) as 0xAARRGGBB (premultiplied).
  std::uint32_t pixel(int x, int y) const;

 protected:
  Bitmap() = default;
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;
};

// A text face and size: "Arial" and "Helvetica" (both Liberation Sans on Linux and in the
// test prefix); height is the character cell height in pixels (ascent plus descent), as a
// positive Windows font height gives it.
struct Font {
  std::string face = "Arial";
  int height = 14;
  int weight = 400;
};

// Text layout flags, with the values of the Windows DrawText flags so that formats stored by
// the toolkit (0x824: vertically centred single line without prefix processing) read the
// same. Left and top are 0.
namespace text {
constexpr unsigned kCenter = 0x1;      // horizontally centred
constexpr unsigned kRight = 0x2;       // right-aligned
constexpr unsigned kVCenter = 0x4;     // vertically centred (single line only)
constexpr unsigned kWordBreak = 0x10;  // several lines, broken between words
constexpr unsigned kSingleLine = 0x20; // one line; line breaks do not break it
constexpr unsigned kNoPrefix = 0x800;  // '&' is drawn, not an underline marker
}  // namespace text

// Drawing on a bitmap. The bitmap must outlive the surface; a bitmap has at most one surface
// at a time (Windows selects it into the surface's memory context). Lines and fills are not
// smoothed (as GDI draws them); text is drawn on a transparent background. Fills, lines and
// text leave the alpha byte of the pixels they touch unspecified (GDI clears it): a bitmap
// drawn on this way is shown with copy, and only decoded images are blend sources.
class Surface {
 public:
  // Null when the system refuses a drawing context or the bitmap has a surface already.
  static std::unique_ptr<Surface> create(Bitmap& target);
  virtual ~Surface() = default;

  virtual Bitmap& target() = 0;

  // Solid fill of a rectangle.
  virtual void fillRect(const Rect& r, Colour colour) = 0;
  // A solid line of the given width (the toolkit uses 2, 3 and 6) with round ends, and a
  // connected line through points (round joins), as pens of that width draw them.
  void drawLine(Point from, Point to, int width, Colour colour) {
    const Point points[2] = {from, to};
    drawPolyline(points, 2, width, colour);
  }
  virtual void drawPolyline(const Point* points, std::size_t count, int width, Colour colour) = 0;
  // Text inside a rectangle, clipped to it, with the layout flags of namespace text.
  virtual void drawText(const std::string& s, const Rect& r, const Font& font, Colour colour,
                        unsigned format) = 0;
  // Blends the part from of a premultiplied bitmap onto the part to of the target, stretched
  // when the sizes differ, with per-pixel alpha times a constant alpha (255 or 70 in the
  // toolkit): source over. Draws nothing where the system's blend function is missing.
  virtual void blend(const Bitmap& source, const Rect& from, const Rect& to,
                     std::uint8_t alpha = 255) = 0;
  // Limits all drawing to the region (an empty region lets nothing through) or lifts the limit.
  virtual void setClip(const Region& region) = 0;
  virtual void clearClip() = 0;

 protected:
  Surface() = default;
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
};

// Shift, Control and Alt, as the keyboard state says at the moment of the question.
struct KeyModifiers {
  bool shift = false;
  bool control = false;
  bool alt = false;
};
KeyModifiers keyboardModifiers();

// Virtual-key codes the toolkit names (Windows values; the low 8 bits are what reaches it).
namespace key {
constexpr int kTab = 0x09;
constexpr int kEnter = 0x0D;
constexpr int kEscape = 0x1B;
}  // namespace key

// A mouse event: the point in client coordinates, whether a mouse button is held (left,
// right or middle: a move with a button held is a drag), and Shift and Control as the event
// carries them. Alt is read from keyboardModifiers().
struct MouseEvent {
  Point point;
  bool buttonHeld = false;
  bool shift = false;
  bool control = false;
};

// What a window gives the area that must be shown during a paint.
class PaintTarget {
 public:
  // Copies the rectangle r of the bitmap to the same place of the window.
  virtual void copy(const Bitmap& from, const Rect& r) = 0;

 protected:
  ~PaintTarget() = default;
};

// The events of a window, delivered on the GUI thread. Events that arrive while no listener
// is set get the system's default handling.
class WindowListener {
 public:
  // The window must show dirty (the bounding rectangle of its invalid area): copy it.
  virtual void onPaint(PaintTarget& target, const Rect& dirty) = 0;
  // Mouse moves (with or without a button held), left button presses and releases.
  virtual void onMouseMove(const MouseEvent& e) = 0;
  virtual void onMouseDown(const MouseEvent& e) = 0;
  virtual void onMouseUp(const MouseEvent& e) = 0;
  // A key pressed while the window has the keyboard focus: its virtual-key code and the
  // keyboard state's modifiers at that moment.
  virtual void onKeyDown(int virtualKey, const KeyModifiers& modifiers) = 0;
  // Another window took the mouse capture away (not sent for releaseMouse()).
  virtual void onCaptureLost() {}

 protected:
  ~WindowListener() = default;
};

struct WindowOptions {
  std::string className;  // one class per name, registered with the first window of the process
  std::string title = "Window";
  int width = 0;
  int height = 0;
};

// The editor's child window inside a host window, at (0, 0) of its parent, visible, with
// the arrow cursor. The window class is registered when the first window of its name opens
// and unregistered when the last one is destroyed.
class Window {
 public:
  // Null when the window cannot be created. parent is the host's window (Windows: an HWND;
  // headless: a headless::HostWindow or null for a window of its own).
  static std::unique_ptr<Window> create(void* parent, const WindowOptions& options);
  // Destroys the native window (its procedure lives in this library, which the host may
  // unload next), then unregisters the class if this was its last window.
  virtual ~Window() = default;

  // The owner that receives the events; null sends every event to the default handling.
  virtual void setListener(WindowListener* listener) = 0;
  virtual void* nativeHandle() const = 0;

  // Marks part of the window for painting (no background erase); the system sends the paint
  // event later (Windows) or when the test asks (headless).
  virtual void invalidate(const Rect& r) = 0;
  virtual void invalidate(const Region& region) = 0;
  virtual void captureMouse() = 0;
  virtual void releaseMouse() = 0;
  virtual void takeFocus() = 0;
  virtual Point clientToScreen(Point p) const = 0;

 protected:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
};

// A native pop-up menu of string items with command ids. Ids are the caller's; 0 means
// "no choice" and no item should use it.
class PopupMenu {
 public:
  static std::unique_ptr<PopupMenu> create();
  virtual ~PopupMenu() = default;

  virtual void appendItem(int id, const std::string& text) = 0;
  virtual void appendSeparator() = 0;
  // Removes every item (separators included).
  virtual void clear() = 0;
  virtual int itemCount() const = 0;
  // The item shown bold; an id that no item has clears the default.
  virtual void setDefaultItem(int id) = 0;
  virtual void setChecked(int id, bool checked) = 0;
  virtual bool isChecked(int id) const = 0;
  // Shows the menu at a screen point, owned by the window, and waits for the user: the id of
  // the chosen item, 0 when the menu was dismissed.
  virtual int track(Window& owner, Point screen) = 0;

 protected:
  PopupMenu() = default;
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;
};

// What a native edit box tells its owner. Enter, Escape and Tab are never inserted; each is
// reported instead.
class EditBoxListener {
 public:
  virtual void onEditEnter() = 0;
  virtual void onEditEscape() = 0;
  virtual void onEditTab(bool shift) = 0;
  // Called after the user typed or pasted into the box, with the whole new text (line feeds
  // only). False puts the whole previous text back (the owner beeps if it wants to).
  virtual bool acceptEditText(const std::string& text) = 0;

 protected:
  ~EditBoxListener() = default;
};

struct EditBoxOptions {
  bool multiLine = false;   // several lines (else one line scrolling sideways)
  bool digitsOnly = false;  // the box itself takes digits only
};

// A native text field (Windows: an "EDIT" child window) over part of a window: font Arial
// 14, margins of 3 pixels, at most 1000 characters typed, all text selected and the keyboard
// focus taken when it opens. Text is given and returned with line feeds; the box shows them
// as line breaks. Destroying the box destroys the native field and gives the focus back to
// the window if the field had it.
class EditBox {
 public:
  // Null when the field cannot be created. The listener must outlive the box.
  static std::unique_ptr<EditBox> create(Window& parent, const Rect& r, const std::string& text,
                                         const EditBoxOptions& options, EditBoxListener* listener);
  virtual ~EditBox() = default;

  virtual std::string text() const = 0;
  virtual void setText(const std::string& s) = 0;
  virtual void selectAll() = 0;
  virtual void takeFocus() = 0;

 protected:
  EditBox() = default;
  EditBox(const EditBox&) = delete;
  EditBox& operator=(const EditBox&) = delete;
};

// The standard open and save dialogs, owned by a window (its nativeHandle(), or null).
// filterName and filterPattern form the one file-type choice ("Quorvane Files", "*.kvx").
// The open dialog wants an existing file; the save dialog asks before overwriting. True and
// the chosen path when the user chose one; false when cancelled.
struct FileDialogOptions {
  std::string title;          // empty: the system's own title
  std::string filterName;
  std::string filterPattern;
  std::string initialName;    // save: the name proposed
  std::string initialFolder;  // empty: the system's choice
};
bool chooseFileToOpen(void* owner, const FileDialogOptions& options, std::string& path);
bool chooseFileToSave(void* owner, const FileDialogOptions& options, std::string& path);

}  // namespace platform
