// Windows implementation of the GUI services: DIB sections and memory device contexts,
// GDI pens, brushes, fonts, regions and DrawText, AlphaBlend from msimg32 bound by name at
// run time, the editor's child window, pop-up menus, the EDIT control and the common file
// dialogs.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <tuple>
#include <vector>

#include "platform/gui.h"
#include "platform/textfile.h"

namespace platform {
namespace {

// The one place where a toolkit colour 0xRRGGBB becomes a COLORREF (0x00BBGGRR).
COLORREF toColorRef(Colour c) { return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

RECT toRECT(const Rect& r) { return {r.x, r.y, r.x + r.w, r.y + r.h}; }

// This library's module (the plug-in DLL, or the program itself in the tools).
HINSTANCE thisModule() {
  static HINSTANCE module = [] {
    HMODULE m = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&thisModule), &m);
    return m;
  }();
  return module;
}

// The GDI and USER objects this code holds, counted by the code itself: Wine answers
// GetGuiResources with 0, so leak checks under Wine read these.
long gOwnGdi = 0;
long gOwnUser = 0;
template <class H>
H madeGdi(H h) {
  if (h) ++gOwnGdi;
  return h;
}
void deleteGdi(HGDIOBJ h) {
  if (h && DeleteObject(h)) --gOwnGdi;
}
void deleteDC(HDC dc) {
  if (dc && DeleteDC(dc)) --gOwnGdi;
}
template <class H>
H madeUser(H h) {
  if (h) ++gOwnUser;
  return h;
}
void destroyWindow(HWND hwnd) {
  if (hwnd && DestroyWindow(hwnd)) --gOwnUser;
}

// Window properties through which a host in the same process reads what this library's
// windows know: the function giving this library's own object counts, and the calls a
// window received from a thread other than its own.
constexpr const char* kObjectCountsProp = "QuorvaneObjectCounts";
constexpr const char* kForeignCallsProp = "QuorvaneForeignCalls";
void ownCounts(long& gdi, long& user) {
  gdi = gOwnGdi;
  user = gOwnUser;
}
using OwnCountsFn = void (*)(long&, long&);
void countForeignCall(HWND hwnd) {
  if (GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId()) return;
  const auto n = reinterpret_cast<uintptr_t>(GetPropA(hwnd, kForeignCallsProp));
  SetPropA(hwnd, kForeignCallsProp, reinterpret_cast<HANDLE>(n + 1));
}

// AlphaBlend, bound once by name: a system without msimg32 draws no images.
using AlphaBlendFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
AlphaBlendFn alphaBlend() {
  static AlphaBlendFn fn = [] {
    HMODULE lib = LoadLibraryA("msimg32.dll");
    return lib ? reinterpret_cast<AlphaBlendFn>(reinterpret_cast<void*>(GetProcAddress(lib, "AlphaBlend")))
               : nullptr;
  }();
  return fn;
}

// Sets an existing region to the union of a Region's rectangles.
void fillRegion(HRGN target, HRGN scratch, const Region& region) {
  SetRectRgn(target, 0, 0, 0, 0);
  for (const Rect& r : region.rects()) {
    SetRectRgn(scratch, r.x, r.y, r.x + r.w, r.y + r.h);
    CombineRgn(target, target, scratch, RGN_OR);
  }
}

HFONT makeFont(const Font& font) {
  return madeGdi(CreateFontA(font.height, 0, 0, 0, font.weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_STRING_PRECIS,
                     CLIP_STROKE_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, font.face.c_str()));
}

// --- bitmap and surface ----------------------------------------------------------------

class DibBitmap final : public Bitmap {
 public:
  DibBitmap(HBITMAP handle, std::uint8_t* bits, int width, int height)
      : handle_(handle), bits_(bits), width_(width), height_(height) {}
  ~DibBitmap() override { deleteGdi(handle_); }
  int width() const override { return width_; }
  int height() const override { return height_; }
  std::uint8_t* row(int y) override {
    GdiFlush();  // drawing still queued by GDI lands first
    return bits_ + static_cast<std::size_t>(y) * width_ * 4;
  }
  HBITMAP handle() const { return handle_; }
  // The memory context that holds the bitmap while a surface draws on it (a bitmap can be
  // selected into one context only).
  HDC selectedIn = nullptr;

 private:
  HBITMAP handle_;
  std::uint8_t* bits_;
  int width_, height_;
};

// A context from which a bitmap can be read: the surface's own, or a temporary one.
class SourceContext {
 public:
  SourceContext(const Bitmap& b, HDC compatible) : bitmap_(const_cast<DibBitmap&>(static_cast<const DibBitmap&>(b))) {
    if (bitmap_.selectedIn) {
      dc_ = bitmap_.selectedIn;
      return;
    }
    dc_ = madeGdi(CreateCompatibleDC(compatible));
    if (dc_) old_ = SelectObject(dc_, bitmap_.handle());
    owned_ = true;
  }
  ~SourceContext() {
    if (!owned_ || !dc_) return;
    SelectObject(dc_, old_);
    deleteDC(dc_);
  }
  HDC dc() const { return dc_; }

 private:
  DibBitmap& bitmap_;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
  bool owned_ = false;
};

class GdiSurface final : public Surface {
 public:
  GdiSurface(DibBitmap& target, HDC dc) : target_(target), dc_(dc) {
    old_ = SelectObject(dc_, target_.handle());
    target_.selectedIn = dc_;
    SetBkMode(dc_, TRANSPARENT);
    clip_ = madeGdi(CreateRectRgn(0, 0, 0, 0));
    scratch_ = madeGdi(CreateRectRgn(0, 0, 0, 0));
  }
  ~GdiSurface() override {
    SelectClipRgn(dc_, nullptr);
    SelectObject(dc_, old_);
    target_.selectedIn = nullptr;
    deleteDC(dc_);
    deleteGdi(clip_);
    deleteGdi(scratch_);
    for (auto& [key, font] : fonts_) deleteGdi(font);
  }
  Bitmap& target() override { return target_; }

  void fillRect(const Rect& r, Colour colour) override {
    if (r.isEmpty()) return;
    HBRUSH brush = madeGdi(CreateSolidBrush(toColorRef(colour)));
    const RECT rc = toRECT(r);
    FillRect(dc_, &rc, brush);
    deleteGdi(brush);
  }

  void drawPolyline(const Point* points, std::size_t count, int width, Colour colour) override {
    if (count < 2) return;
    // A solid pen wider than one pixel has round ends and joins.
    HPEN pen = madeGdi(CreatePen(PS_SOLID, width, toColorRef(colour)));
    HGDIOBJ old = SelectObject(dc_, pen);
    MoveToEx(dc_, points[0].x, points[0].y, nullptr);
    for (std::size_t i = 1; i < count; ++i) LineTo(dc_, points[i].x, points[i].y);
    SelectObject(dc_, old);
    deleteGdi(pen);
  }

  void drawText(const std::string& s, const Rect& r, const Font& font, Colour colour,
                unsigned format) override {
    if (s.empty() || r.isEmpty()) return;
    HFONT hfont = fontFor(font);
    if (!hfont) return;
    HGDIOBJ old = SelectObject(dc_, hfont);
    SetTextColor(dc_, toColorRef(colour));
    RECT rc = toRECT(r);
    const unsigned known = text::kCenter | text::kRight | text::kVCenter | text::kWordBreak |
                           text::kSingleLine | text::kNoPrefix;
    DrawTextA(dc_, s.data(), static_cast<int>(s.size()), &rc, format & known);
    SelectObject(dc_, old);
  }

  void blend(const Bitmap& source, const Rect& from, const Rect& to, std::uint8_t alpha) override {
    AlphaBlendFn fn = alphaBlend();
    if (!fn || from.isEmpty() || to.isEmpty() || &source == &target_) return;
    SourceContext src(source, dc_);
    if (!src.dc()) return;
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    fn(dc_, to.x, to.y, to.w, to.h, src.dc(), from.x, from.y, from.w, from.h, blend);
  }

  void setClip(const Region& region) override {
    fillRegion(clip_, scratch_, region);
    SelectClipRgn(dc_, clip_);
  }

  void clearClip() override { SelectClipRgn(dc_, nullptr); }

 private:
  HFONT fontFor(const Font& font) {
    const auto key = std::make_tuple(font.face, font.height, font.weight);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    HFONT made = makeFont(font);
    if (made) fonts_.emplace(key, made);
    return made;
  }

  DibBitmap& target_;
  HDC dc_;
  HGDIOBJ old_ = nullptr;
  HRGN clip_ = nullptr;
  HRGN scratch_ = nullptr;
  std::map<std::tuple<std::string, int, int>, HFONT> fonts_;
};

// --- window ------------------------------------------------------------------------------

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

std::map<std::string, int>& classCounts() {
  static std::map<std::string, int> counts;
  return counts;
}

Point pointOf(LPARAM lParam) {
  return {static_cast<std::int16_t>(LOWORD(lParam)), static_cast<std::int16_t>(HIWORD(lParam))};
}

MouseEvent mouseEvent(WPARAM wParam, LPARAM lParam) {
  MouseEvent e;
  e.point = pointOf(lParam);
  e.buttonHeld = (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;
  e.shift = (wParam & MK_SHIFT) != 0;
  e.control = (wParam & MK_CONTROL) != 0;
  return e;
}

bool registerClass(const std::string& name) {
  int& count = classCounts()[name];
  if (count == 0) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = thisModule();
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = name.c_str();
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      classCounts().erase(name);
      return false;
    }
  }
  ++count;
  return true;
}

void unregisterIfUnused(const std::string& name) {
  if (--classCounts()[name] == 0) {
    classCounts().erase(name);
    UnregisterClassA(name.c_str(), thisModule());
  }
}

class WinWindow final : public Window, private PaintTarget {
 public:
  WinWindow(HWND hwnd, std::string className) : hwnd_(hwnd), className_(std::move(className)) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    OwnCountsFn counts = ownCounts;
    HANDLE prop = nullptr;
    static_assert(sizeof prop == sizeof counts);
    std::memcpy(&prop, &counts, sizeof prop);
    SetPropA(hwnd_, kObjectCountsProp, prop);
  }
  ~WinWindow() override {
    if (IsWindow(hwnd_)) {
      RemovePropA(hwnd_, kObjectCountsProp);
      RemovePropA(hwnd_, kForeignCallsProp);
      SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
      destroyWindow(hwnd_);
    }
    unregisterIfUnused(className_);
  }

  void setListener(WindowListener* listener) override { listener_ = listener; }
  void* nativeHandle() const override { return hwnd_; }
  void invalidate(const Rect& r) override {
    countForeignCall(hwnd_);
    const RECT rc = toRECT(r);
    InvalidateRect(hwnd_, &rc, FALSE);
  }
  void invalidate(const Region& region) override {
    countForeignCall(hwnd_);
    if (region.isEmpty()) return;
    HRGN rgn = madeGdi(CreateRectRgn(0, 0, 0, 0));
    HRGN scratch = madeGdi(CreateRectRgn(0, 0, 0, 0));
    fillRegion(rgn, scratch, region);
    InvalidateRgn(hwnd_, rgn, FALSE);
    deleteGdi(scratch);
    deleteGdi(rgn);
  }
  void captureMouse() override { SetCapture(hwnd_); }
  void releaseMouse() override {
    releasing_ = true;
    ReleaseCapture();
    releasing_ = false;
  }
  void takeFocus() override { SetFocus(hwnd_); }
  Point clientToScreen(Point p) const override {
    POINT pt{p.x, p.y};
    ClientToScreen(hwnd_, &pt);
    return {static_cast<std::int16_t>(pt.x), static_cast<std::int16_t>(pt.y)};
  }

  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!listener_) return DefWindowProcA(hwnd_, message, wParam, lParam);
    switch (message) {
      case WM_MOVE:
      case WM_SIZE:
        return 0;
      case WM_SETFOCUS:
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
        break;
      case WM_SETCURSOR:
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
        return 1;
      case WM_ERASEBKGND:
        return 0;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        paintDC_ = BeginPaint(hwnd_, &ps);
        if (paintDC_) {
          const RECT& p = ps.rcPaint;
          listener_->onPaint(*this, {p.left, p.top, p.right - p.left, p.bottom - p.top});
        }
        EndPaint(hwnd_, &ps);
        paintDC_ = nullptr;
        return 0;
      }
      case WM_KEYDOWN:
        listener_->onKeyDown(static_cast<int>(wParam), keyboardModifiers());
        break;
      case WM_MOUSEMOVE:
        listener_->onMouseMove(mouseEvent(wParam, lParam));
        return 0;
      case WM_LBUTTONDOWN:
        listener_->onMouseDown(mouseEvent(wParam, lParam));
        return 0;
      case WM_LBUTTONUP:
        listener_->onMouseUp(mouseEvent(wParam, lParam));
        return 0;
      case WM_CAPTURECHANGED:
        if (!releasing_ && reinterpret_cast<HWND>(lParam) != hwnd_) listener_->onCaptureLost();
        return 0;
      default:
        break;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
  }

 private:
  void copy(const Bitmap& from, const Rect& r) override {
    if (!paintDC_) return;
    SourceContext src(from, paintDC_);
    if (src.dc()) BitBlt(paintDC_, r.x, r.y, r.w, r.h, src.dc(), r.x, r.y, SRCCOPY);
  }

  HWND hwnd_;
  std::string className_;
  WindowListener* listener_ = nullptr;
  HDC paintDC_ = nullptr;
  bool releasing_ = false;
};

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* window = reinterpret_cast<WinWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!window) return DefWindowProcA(hwnd, message, wParam, lParam);
  return window->handle(message, wParam, lParam);
}

// --- pop-up menu -------------------------------------------------------------------------

class WinMenu final : public PopupMenu {
 public:
  explicit WinMenu(HMENU menu) : menu_(menu) {}
  ~WinMenu() override {
    if (DestroyMenu(menu_)) --gOwnUser;
  }
  void appendItem(int id, const std::string& text) override {
    AppendMenuA(menu_, MF_STRING, static_cast<UINT_PTR>(id), text.c_str());
  }
  void appendSeparator() override { AppendMenuA(menu_, MF_SEPARATOR, 0, nullptr); }
  void clear() override {
    for (int n = GetMenuItemCount(menu_); n > 0; --n) DeleteMenu(menu_, n - 1, MF_BYPOSITION);
  }
  int itemCount() const override { return std::max(GetMenuItemCount(menu_), 0); }
  void setDefaultItem(int id) override {
    const bool exists = GetMenuState(menu_, static_cast<UINT>(id), MF_BYCOMMAND) != static_cast<UINT>(-1);
    SetMenuDefaultItem(menu_, exists ? static_cast<UINT>(id) : static_cast<UINT>(-1), FALSE);
  }
  void setChecked(int id, bool checked) override {
    CheckMenuItem(menu_, static_cast<UINT>(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  }
  bool isChecked(int id) const override {
    const UINT state = GetMenuState(menu_, static_cast<UINT>(id), MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & MF_CHECKED);
  }
  int track(Window& owner, Point screen) override {
    return static_cast<int>(TrackPopupMenu(menu_, TPM_RETURNCMD | TPM_NONOTIFY, screen.x, screen.y, 0,
                                           static_cast<HWND>(owner.nativeHandle()), nullptr));
  }

 private:
  HMENU menu_;
};

// --- edit box ----------------------------------------------------------------------------

LRESULT CALLBACK editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

std::string windowText(HWND hwnd) {
  std::string s(static_cast<std::size_t>(std::max(GetWindowTextLengthA(hwnd), 0)) + 1, '\0');
  s.resize(static_cast<std::size_t>(std::max(GetWindowTextA(hwnd, s.data(), static_cast<int>(s.size())), 0)));
  return s;
}

class WinEditBox final : public EditBox {
 public:
  WinEditBox(HWND parent, HWND edit, HFONT font, EditBoxListener* listener)
      : parent_(parent), edit_(edit), font_(font), listener_(listener) {
    SetWindowLongPtrA(edit_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    saved_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc)));
  }
  ~WinEditBox() override {
    if (IsWindow(edit_)) {
      const bool focused = GetFocus() == edit_;
      SetWindowLongPtrA(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(saved_));
      SetWindowLongPtrA(edit_, GWLP_USERDATA, 0);
      destroyWindow(edit_);
      if (focused && IsWindow(parent_)) SetFocus(parent_);
    }
    deleteGdi(font_);
  }

  std::string text() const override { return fromTextMode(windowText(edit_)); }
  void setText(const std::string& s) override { SetWindowTextA(edit_, toTextMode(s).c_str()); }
  void selectAll() override { SendMessageA(edit_, EM_SETSEL, 0, -1); }
  void takeFocus() override { SetFocus(edit_); }

  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_KEYDOWN:
      case WM_KEYUP:
        if (wParam == VK_TAB || wParam == VK_RETURN || wParam == VK_ESCAPE) return 0;
        break;
      case WM_CHAR: {
        // The listener may destroy this box: return at once after telling it.
        const unsigned c = static_cast<unsigned char>(wParam);
        if (c == 27) return listener_->onEditEscape(), 0;
        if (c == 9) return listener_->onEditTab((GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0), 0;
        if (c == 13) return listener_->onEditEnter(), 0;
        if (c == 26 || c >= 32) return checked(message, wParam, lParam);
        break;
      }
      case WM_PASTE:
        return checked(message, wParam, lParam);
      default:
        break;
    }
    return CallWindowProcA(saved_, edit_, message, wParam, lParam);
  }

 private:
  // Lets the control change its text, then asks the listener; a refused change puts the
  // whole previous text and selection back.
  LRESULT checked(UINT message, WPARAM wParam, LPARAM lParam) {
    const std::string before = windowText(edit_);
    DWORD start = 0, end = 0;
    SendMessageA(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const LRESULT result = CallWindowProcA(saved_, edit_, message, wParam, lParam);
    const std::string after = windowText(edit_);
    if (after != before && !listener_->acceptEditText(fromTextMode(after))) {
      SetWindowTextA(edit_, before.c_str());
      SendMessageA(edit_, EM_SETSEL, start, end);
    }
    return result;
  }

  HWND parent_;
  HWND edit_;
  HFONT font_;
  EditBoxListener* listener_;
  WNDPROC saved_ = nullptr;
};

LRESULT CALLBACK editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* box = reinterpret_cast<WinEditBox*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!box) return DefWindowProcA(hwnd, message, wParam, lParam);
  return box->handle(message, wParam, lParam);
}

// --- file dialogs --------------------------------------------------------------------------

bool fileDialog(bool save, void* owner, const FileDialogOptions& options, std::string& path) {
  std::string filter = options.filterName;
  filter.push_back('\0');
  filter += options.filterPattern;
  filter.push_back('\0');
  char file[MAX_PATH] = {};
  char title[MAX_PATH] = {};
  lstrcpynA(file, options.initialName.c_str(), MAX_PATH);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = static_cast<HWND>(owner);
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrTitle = options.title.empty() ? nullptr : options.title.c_str();
  ofn.lpstrInitialDir = options.initialFolder.empty() ? nullptr : options.initialFolder.c_str();
  BOOL chosen;
  if (save) {
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = MAX_PATH;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_SHOWHELP;
    chosen = GetSaveFileNameA(&ofn);
  } else {
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    chosen = GetOpenFileNameA(&ofn);
  }
  if (!chosen) return false;
  path = file;
  return true;
}

}  // namespace

namespace detail {
void ownGuiObjects(long& gdi, long& user) {
  gdi = gOwnGdi;
  user = gOwnUser;
}
}  // namespace detail

// --- the interface -------------------------------------------------------------------------

std::unique_ptr<Bitmap> Bitmap::create(int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP handle = madeGdi(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!handle || !bits) {
    deleteGdi(handle);
    return nullptr;
  }
  return std::make_unique<DibBitmap>(handle, static_cast<std::uint8_t*>(bits), width, height);
}

std::unique_ptr<Surface> Surface::create(Bitmap& target) {
  auto& dib = static_cast<DibBitmap&>(target);
  if (dib.selectedIn) return nullptr;  // one surface per bitmap at a time
  HDC dc = madeGdi(CreateCompatibleDC(nullptr));
  if (!dc) return nullptr;
  return std::make_unique<GdiSurface>(dib, dc);
}

KeyModifiers keyboardModifiers() {
  KeyModifiers m;
  m.shift = (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
  m.control = (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0;
  m.alt = (GetAsyncKeyState(VK_MENU) & 0x8000) != 0;
  return m;
}

std::unique_ptr<Window> Window::create(void* parent, const WindowOptions& options) {
  if (!registerClass(options.className)) return nullptr;
  HWND hwnd = madeUser(CreateWindowExA(WS_EX_LEFT, options.className.c_str(), options.title.c_str(), WS_CHILD | WS_VISIBLE,
                              0, 0, options.width, options.height, static_cast<HWND>(parent), nullptr,
                              thisModule(), nullptr));
  if (!hwnd) {
    unregisterIfUnused(options.className);
    return nullptr;
  }
  return std::make_unique<WinWindow>(hwnd, options.className);
}

std::unique_ptr<PopupMenu> PopupMenu::create() {
  HMENU menu = madeUser(CreatePopupMenu());
  if (!menu) return nullptr;
  return std::make_unique<WinMenu>(menu);
}

std::unique_ptr<EditBox> EditBox::create(Window& parent, const Rect& r, const std::string& text,
                                         const EditBoxOptions& options, EditBoxListener* listener) {
  if (!listener) return nullptr;
  DWORD style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
  if (options.multiLine) style |= ES_MULTILINE;
  if (options.digitsOnly) style |= ES_NUMBER;
  HWND parentHwnd = static_cast<HWND>(parent.nativeHandle());
  HWND edit = madeUser(CreateWindowExA(0, "EDIT", toTextMode(text).c_str(), style, r.x, r.y, r.w + 1, r.h + 1, parentHwnd,
                              nullptr, thisModule(), nullptr));
  if (!edit) return nullptr;
  Font arial;
  HFONT font = makeFont(arial);
  SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  SendMessageA(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(3, 3));
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SendMessageA(edit, EM_LIMITTEXT, 1000, 0);
  auto box = std::make_unique<WinEditBox>(parentHwnd, edit, font, listener);
  SetFocus(edit);
  return box;
}

bool chooseFileToOpen(void* owner, const FileDialogOptions& options, std::string& path) {
  return fileDialog(false, owner, options, path);
}

bool chooseFileToSave(void* owner, const FileDialogOptions& options, std::string& path) {
  return fileDialog(true, owner, options, path);
}

}  // namespace platform
