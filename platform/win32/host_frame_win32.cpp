// Windows host frame for the tools: a top-level window, the message pump, a capture of the
// screen over it and the process's GDI and USER object counts.
#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <cstring>

#include "platform/host_frame.h"

namespace platform {
namespace {

constexpr const char* kFrameClass = "QuorvaneHostFrame";

// Answers the next pop-up menu the way a user does at the keyboard, from another thread
// while the GUI thread is inside the menu's loop: once the menu is shown, Down as often as
// the answer counts (the answer is the item's place among the menu's items; the editor's
// patch and voices menus number their items so) and Enter, or Escape for 0.
DWORD WINAPI answerMenu(LPVOID parameter) {
  const int answer = static_cast<int>(reinterpret_cast<INT_PTR>(parameter));
  HWND menu = nullptr;
  for (int i = 0; i < 300; ++i, Sleep(10)) {
    menu = FindWindowA("#32768", nullptr);
    if (menu && IsWindowVisible(menu)) break;
    menu = nullptr;
  }
  if (!menu) return 0;
  Sleep(50);
  if (answer <= 0) {
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    return 0;
  }
  for (int k = 0; k < answer; ++k) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
  return 0;
}

LRESULT CALLBACK frameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) return 0;  // the tool closes it
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// What the windows of the editor's library tell through their properties (gui_win32.cpp).
constexpr const char* kObjectCountsProp = "QuorvaneObjectCounts";
constexpr const char* kForeignCallsProp = "QuorvaneForeignCalls";
using OwnCountsFn = void (*)(long&, long&);

struct ChildWindows {
  int count = 0;
  long foreignCalls = 0;
};

BOOL CALLBACK countChild(HWND hwnd, LPARAM sums) {
  auto* c = reinterpret_cast<ChildWindows*>(sums);
  ++c->count;
  c->foreignCalls += static_cast<long>(reinterpret_cast<uintptr_t>(GetPropA(hwnd, kForeignCallsProp)));
  return TRUE;
}

class WinHostFrame final : public HostFrame {
 public:
  explicit WinHostFrame(HWND hwnd) : hwnd_(hwnd) {}
  ~WinHostFrame() override {
    DestroyWindow(hwnd_);
    pump();
  }
  void* parentHandle() override { return hwnd_; }
  void pump() override {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  bool sendInput(const FrameInput& in) override {
    HWND child = GetWindow(hwnd_, GW_CHILD);
    if (!child) return false;
    const LPARAM point = MAKELPARAM(static_cast<WORD>(in.point.x), static_cast<WORD>(in.point.y));
    WPARAM keys = (in.modifiers.shift ? MK_SHIFT : 0) | (in.modifiers.control ? MK_CONTROL : 0);
    switch (in.kind) {
      case FrameInput::Kind::MouseDown: {
        buttonHeld_ = true;
        HANDLE answering = menuAnswer_ < 0 ? nullptr
            : CreateThread(nullptr, 0, answerMenu, reinterpret_cast<LPVOID>(static_cast<INT_PTR>(menuAnswer_)), 0, nullptr);
        menuAnswer_ = -1;
        SendMessageA(child, WM_LBUTTONDOWN, keys | MK_LBUTTON, point);
        if (answering) {
          WaitForSingleObject(answering, 5000);
          CloseHandle(answering);
        }
        break;
      }
      case FrameInput::Kind::MouseMove:
        SendMessageA(child, WM_MOUSEMOVE, keys | (buttonHeld_ ? MK_LBUTTON : 0), point);
        break;
      case FrameInput::Kind::MouseUp:
        buttonHeld_ = false;
        SendMessageA(child, WM_LBUTTONUP, keys, point);
        break;
      case FrameInput::Kind::Key: {
        HWND focus = GetFocus();
        SendMessageA(focus ? focus : child, WM_KEYDOWN, static_cast<WPARAM>(in.code), 1);
        break;
      }
      case FrameInput::Kind::Text: {
        HWND focus = GetFocus();
        if (!focus || focus == child) return false;
        for (unsigned char c : in.text) SendMessageA(focus, WM_CHAR, c, 1);
        break;
      }
      case FrameInput::Kind::MenuAnswer:
        // Taken by the menu the next press opens.
        menuAnswer_ = in.code;
        return true;
    }
    pump();
    return !in.modifiers.alt;
  }
  int childWindowCount() override { return children().count; }
  long foreignThreadCalls() override { return children().foreignCalls; }
  bool editorObjectCounts(GuiHandleCounts& counts) override {
    HWND child = GetWindow(hwnd_, GW_CHILD);
    HANDLE prop = child ? GetPropA(child, kObjectCountsProp) : nullptr;
    if (!prop) return false;
    OwnCountsFn fn = nullptr;
    std::memcpy(&fn, &prop, sizeof fn);
    counts = {};
    fn(counts.ownGdi, counts.ownUser);
    return true;
  }
  std::unique_ptr<Bitmap> captureClient() override {
    RECT client;
    GetClientRect(hwnd_, &client);
    POINT origin{0, 0};
    ClientToScreen(hwnd_, &origin);
    const int w = client.right, h = client.bottom;
    auto bitmap = Bitmap::create(w, h);
    if (!bitmap) return nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP copy = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, copy);
    BitBlt(memory, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // rows from the top, as the bitmap keeps them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const int rows = GetDIBits(memory, copy, 0, static_cast<UINT>(h), bitmap->row(0), &info, DIB_RGB_COLORS);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DeleteObject(copy);
    if (rows != h) return nullptr;
    for (int y = 0; y < h; ++y) {
      std::uint8_t* row = bitmap->row(y);
      for (int x = 0; x < w; ++x) row[x * 4 + 3] = 0xFF;
    }
    return bitmap;
  }

 private:
  ChildWindows children() const {
    ChildWindows c;
    EnumChildWindows(hwnd_, countChild, reinterpret_cast<LPARAM>(&c));
    return c;
  }

  HWND hwnd_;
  bool buttonHeld_ = false;
  int menuAnswer_ = -1;  // none
};

}  // namespace

std::unique_ptr<HostFrame> HostFrame::create(const std::string& title, int width, int height, Point origin) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  static const bool registered = [module] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = frameProc;
    wc.hInstance = module;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kFrameClass;
    return RegisterClassA(&wc) != 0;
  }();
  if (!registered) return nullptr;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | WS_CLIPCHILDREN;
  RECT outer{origin.x, origin.y, origin.x + width, origin.y + height};
  AdjustWindowRect(&outer, style, FALSE);
  HWND hwnd = CreateWindowExA(0, kFrameClass, title.c_str(), style, outer.left, outer.top, outer.right - outer.left,
                              outer.bottom - outer.top, nullptr, nullptr, module, nullptr);
  if (!hwnd) return nullptr;
  auto frame = std::make_unique<WinHostFrame>(hwnd);
  frame->pump();
  return frame;
}

namespace detail {
void ownGuiObjects(long& gdi, long& user);  // gui_win32.cpp
}

GuiHandleCounts guiHandleCounts() {
  GuiHandleCounts counts;
  counts.systemGdi = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
  counts.systemUser = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
  detail::ownGuiObjects(counts.ownGdi, counts.ownUser);
  return counts;
}

long long processMemoryInUse() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
    return 0;
  return static_cast<long long>(counters.PrivateUsage);
}

}  // namespace platform
