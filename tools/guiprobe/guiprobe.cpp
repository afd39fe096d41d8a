// guiprobe: checks of the platform GUI layer that must run as a program, natively and as a
// Windows executable under Wine.
//   guiprobe scene OUT.bmp           draws the primitive scene into a bitmap
//   guiprobe window OUT.bmp [S]      shows the scene in an editor window and captures the
//                                    screen; then prints "shown" and keeps the window up for
//                                    S seconds, so that the display can be captured from outside
//   guiprobe cycle N                 opens and closes an editor window N times; prints the
//                                    GUI object counts before and after
//   guiprobe edit S [TYPED]          opens a numeric edit box (1..16) in an editor window for
//                                    S seconds, prints "ready", then what the box reports;
//                                    headless, TYPED is typed into it (Windows: the keys come
//                                    from the display, e.g. xdotool); then closes it
//   guiprobe repaint N               times N full repaints of a 1010 x 623 editor (a blend of
//                                    a full-size image, then the copy to the window)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gui.h"
#ifndef _WIN32
#include "platform/headless_gui.h"
#endif
#include "platform/host_frame.h"
#include "platform/platform.h"
#include "tools/guiprobe/scene.h"

namespace {

using namespace platform;

// The editor side: an off-screen bitmap copied to the window on paint.
class Painter final : public WindowListener {
 public:
  explicit Painter(const Bitmap& picture) : picture_(picture) {}
  void onPaint(PaintTarget& target, const Rect& dirty) override {
    target.copy(picture_, dirty);
    ++paints;
  }
  void onMouseMove(const MouseEvent&) override {}
  void onMouseDown(const MouseEvent&) override {}
  void onMouseUp(const MouseEvent&) override {}
  void onKeyDown(int, const KeyModifiers&) override {}
  int paints = 0;

 private:
  const Bitmap& picture_;
};

class QuietEdit final : public EditBoxListener {
 public:
  void onEditEnter() override {}
  void onEditEscape() override {}
  void onEditTab(bool) override {}
  bool acceptEditText(const std::string&) override { return true; }
};

WindowOptions editorOptions(int w, int h) {
  WindowOptions o;
  o.className = "QuorvaneProbeWindow";
  o.width = w;
  o.height = h;
  return o;
}

// Pumps until the window painted or about a second went by.
void pumpUntilPainted(HostFrame& frame, const Painter& painter, int paintsBefore) {
  for (int i = 0; i < 1000; ++i) {
    frame.pump();
    if (painter.paints != paintsBefore) return;
    sleepMilliseconds(1);
  }
}

int scene(const char* out) {
  auto image = guiprobe::makeSceneImage();
  auto bitmap = Bitmap::create(guiprobe::kSceneWidth, guiprobe::kSceneHeight);
  if (!image || !bitmap) return 2;
  {
    auto surface = Surface::create(*bitmap);
    if (!surface) return 2;
    guiprobe::drawScene(*surface, *image);
  }
  if (!writeBmp(*bitmap, out)) return 2;
  std::printf("scene: %dx%d\n", bitmap->width(), bitmap->height());
  return 0;
}

int window(const char* out, double holdSeconds) {
  auto image = guiprobe::makeSceneImage();
  auto bitmap = Bitmap::create(guiprobe::kSceneWidth, guiprobe::kSceneHeight);
  if (!image || !bitmap) return 2;
  {
    auto surface = Surface::create(*bitmap);
    guiprobe::drawScene(*surface, *image);
  }
  auto frame = HostFrame::create("guiprobe", guiprobe::kSceneWidth, guiprobe::kSceneHeight, {60, 60});
  if (!frame) return 3;
  Painter painter(*bitmap);
  auto editor = Window::create(frame->parentHandle(), editorOptions(guiprobe::kSceneWidth, guiprobe::kSceneHeight));
  if (!editor) return 3;
  editor->setListener(&painter);
  editor->invalidate(Rect{0, 0, guiprobe::kSceneWidth, guiprobe::kSceneHeight});
  pumpUntilPainted(*frame, painter, 0);
  for (int i = 0; i < 20; ++i) {  // let the display server catch up
    frame->pump();
    sleepMilliseconds(10);
  }
  auto shown = frame->captureClient();
  if (!shown || !writeBmp(*shown, out)) return 2;
  const Point origin = editor->clientToScreen({0, 0});
  std::printf("window: %dx%d at %d,%d paints %d\nshown\n", shown->width(), shown->height(), origin.x, origin.y,
              painter.paints);
  std::fflush(stdout);
  for (const double end = monotonicSeconds() + holdSeconds; monotonicSeconds() < end;) {
    frame->pump();
    sleepMilliseconds(10);
  }
  return 0;
}

int cycle(int n) {
  auto frame = HostFrame::create("guiprobe", 1010, 623, {40, 40});
  if (!frame) return 3;
  frame->pump();
  GuiHandleCounts during;
  // One round first, so that what the system keeps for the process after the first use
  // (cached fonts, cursors, classes) is counted in the baseline.
  const auto round = [&] {
    auto picture = Bitmap::create(1010, 623);
    if (!picture) return false;
    auto surface = Surface::create(*picture);
    if (!surface) return false;
    surface->fillRect({0, 0, 1010, 623}, 0x303030);
    surface->drawText("Quorvane", {10, 10, 200, 20}, Font{"Helvetica", 14, 400}, 0xFFFFFF,
                      text::kSingleLine | text::kVCenter);
    Painter painter(*picture);
    auto editor = Window::create(frame->parentHandle(), editorOptions(1010, 623));
    if (!editor) return false;
    editor->setListener(&painter);
    editor->invalidate(Rect{0, 0, 1010, 623});
    QuietEdit quiet;
    auto edit = EditBox::create(*editor, {20, 40, 120, 20}, "12", EditBoxOptions{}, &quiet);
    auto menu = PopupMenu::create();
    if (!edit || !menu) return false;
    menu->appendItem(1, "One");
    menu->appendSeparator();
    menu->setChecked(1, true);
    frame->pump();
    during = guiHandleCounts();
    edit.reset();
    editor.reset();
    frame->pump();
    return true;
  };
  if (!round()) return 3;
  const GuiHandleCounts before = guiHandleCounts();
  for (int i = 0; i < n; ++i)
    if (!round()) return 3;
  const GuiHandleCounts after = guiHandleCounts();
  std::printf("rounds: %d\n", n);
  std::printf("system.gdi: %ld -> %ld\nsystem.user: %ld -> %ld\n", before.systemGdi, after.systemGdi,
              before.systemUser, after.systemUser);
  std::printf("own.gdi: %ld -> %ld\nown.user: %ld -> %ld\n", before.ownGdi, after.ownGdi, before.ownUser,
              after.ownUser);
  const bool grew = after.systemGdi > before.systemGdi || after.systemUser > before.systemUser ||
                    after.ownGdi > before.ownGdi || after.ownUser > before.ownUser;
  std::printf("own.open: %ld gdi, %ld user\n", during.ownGdi, during.ownUser);
  std::printf("handles: %s\n", grew ? "grew" : "steady");
  return grew ? 1 : 0;
}

// A numeric field of 1..16 that prints what its box tells it and beeps at a refusal.
class NumberField final : public EditBoxListener {
 public:
  void onEditEnter() override { std::printf("enter\n"); }
  void onEditEscape() override { std::printf("escape\n"); }
  void onEditTab(bool shift) override { std::printf("%s\n", shift ? "shift-tab" : "tab"); }
  bool acceptEditText(const std::string& text) override {
    const int n = std::atoi(text.c_str());
    const bool ok = text.empty() || (n >= 1 && n <= 16);
    std::printf("%s: %s\n", ok ? "accepted" : "refused", text.c_str());
    if (!ok) beep(750, 300);
    return ok;
  }
};

int edit(double seconds, const char* typed) {
  auto frame = HostFrame::create("guiprobe", 200, 80, {60, 60});
  if (!frame) return 3;
  auto picture = Bitmap::create(200, 80);
  if (!picture) return 3;
  Surface::create(*picture)->fillRect({0, 0, 200, 80}, 0x606060);
  Painter painter(*picture);
  auto editor = Window::create(frame->parentHandle(), editorOptions(200, 80));
  if (!editor) return 3;
  editor->setListener(&painter);
  frame->pump();
  const GuiHandleCounts before = guiHandleCounts();
  NumberField field;
  EditBoxOptions digits;
  digits.digitsOnly = true;
  auto box = EditBox::create(*editor, {20, 20, 80, 20}, "9", digits, &field);
  if (!box) return 3;
  std::printf("ready\n");
  std::fflush(stdout);
#ifndef _WIN32
  if (typed) headless::driver(*editor).typeText(typed);
#else
  (void)typed;
#endif
  for (const double end = monotonicSeconds() + seconds; monotonicSeconds() < end;) {
    frame->pump();
    std::fflush(stdout);
    sleepMilliseconds(5);
  }
  std::printf("text: %s\n", box->text().c_str());
  box.reset();  // closed while it has the focus
  frame->pump();
  const GuiHandleCounts after = guiHandleCounts();
  std::printf("left behind: %ld\n", after.ownUser - before.ownUser);
  return after.ownUser == before.ownUser ? 0 : 1;
}

int repaint(int n) {
  constexpr int kW = 1010, kH = 623;
  auto frame = HostFrame::create("guiprobe", kW, kH, {40, 40});
  auto offscreen = Bitmap::create(kW, kH);
  auto panel = Bitmap::create(kW, kH);
  if (!frame || !offscreen || !panel) return 3;
  for (int y = 0; y < kH; ++y) {  // an opaque panel image with a gradient
    std::uint8_t* row = panel->row(y);
    for (int x = 0; x < kW; ++x) {
      row[x * 4] = static_cast<std::uint8_t>(x);
      row[x * 4 + 1] = static_cast<std::uint8_t>(y);
      row[x * 4 + 2] = static_cast<std::uint8_t>(x + y);
      row[x * 4 + 3] = 0xFF;
    }
  }
  auto surface = Surface::create(*offscreen);
  Painter painter(*offscreen);
  auto editor = Window::create(frame->parentHandle(), editorOptions(kW, kH));
  if (!surface || !editor) return 3;
  editor->setListener(&painter);
  const Rect all{0, 0, kW, kH};
  std::vector<double> blendTimes, totalTimes;
  for (int i = 0; i < n; ++i) {
    const int paintsBefore = painter.paints;
    const double t0 = monotonicSeconds();
    surface->blend(*panel, all, all, 255);
    const double t1 = monotonicSeconds();
    editor->invalidate(all);
    pumpUntilPainted(*frame, painter, paintsBefore);
    const double t2 = monotonicSeconds();
    blendTimes.push_back((t1 - t0) * 1e6);
    totalTimes.push_back((t2 - t0) * 1e6);
  }
  const auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
  };
  std::printf("repaints: %d\npaints: %d\nblend.median.us: %.1f\nrepaint.median.us: %.1f\nrepaint.max.us: %.1f\n", n,
              painter.paints, median(blendTimes), median(totalTimes),
              totalTimes.empty() ? 0.0 : *std::max_element(totalTimes.begin(), totalTimes.end()));
  return painter.paints >= n ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "scene") == 0) return scene(argv[2]);
  if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "window") == 0)
    return window(argv[2], argc == 4 ? std::atof(argv[3]) : 0.0);
  if (argc == 3 && std::strcmp(argv[1], "cycle") == 0) return cycle(std::atoi(argv[2]));
  if (argc == 3 && std::strcmp(argv[1], "repaint") == 0) return repaint(std::atoi(argv[2]));
  if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "edit") == 0)
    return edit(std::atof(argv[2]), argc == 4 ? argv[3] : nullptr);
  std::fprintf(stderr, "usage: guiprobe scene OUT.bmp | window OUT.bmp [S] | cycle N | repaint N\n");
  return 64;
}
