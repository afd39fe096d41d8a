// controlprobe: the toolkit's controls as a program, natively and as a Windows executable
// under Wine.
//   controlprobe scene OUT.bmp          the standard controls drawn into the canvas bitmap
//   controlprobe window OUT.bmp [S]     the same in an editor window; what the screen shows is
//                                       captured, then the window stays S seconds
//   controlprobe edit S                 a numeric text field (1..16) with its native edit box
//                                       open for S seconds while keys come from outside (the
//                                       X server); then what it took, and what is left after
//                                       the canvas is torn down while the field has the focus
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gui/canvas_window.h"
#include "gui/cauguibutton.h"
#include "gui/cauguicanvas.h"
#include "gui/cauguiknob.h"
#include "gui/cauguipane.h"
#include "gui/cauguislider.h"
#include "gui/kvxtext.h"
#include "platform/gui.h"
#include "platform/host_frame.h"
#include "platform/platform.h"
#include "tools/controlprobe/controls_scene.h"

namespace {

using namespace platform;

// The plug-in side: values go nowhere; the meter block shows a level of half the bar.
struct ProbePlugin final : CanvasPlugin {
  void setParameterAutomated(int32_t, float) override {}
  float getParameter(int32_t) override { return 0.0f; }
  void beginEdit(int32_t) override {}
  void endEdit(int32_t) override {}
  float meterValue(int index) override { return index == 0 ? 512.0f * 0.04f : index == 3 ? 512.0f : 0.0f; }
};

constexpr int kSceneX = 10, kSceneY = 10;

// The scene with fixed values: knob at three quarters, slider at a quarter, toggle on.
void buildScene(CAUGuiCanvas& canvas, ProbePlugin& plugin) {
  const ControlsScene s = buildControlsScene(canvas, nullptr, kSceneX, kSceneY, plainBinding(1, "Knob", 0.5f, &plugin),
                                             plainBinding(2, "Slider", 0.5f, &plugin));
  s.knob->setValue(0.75f);
  s.slider->setValue(0.25f);
  s.toggle->setValue(1.0f);
}

WindowOptions editorOptions() {
  WindowOptions o;
  o.className = "QuorvaneControlProbe";
  o.width = CAUGuiCanvas::kWidth;
  o.height = CAUGuiCanvas::kHeight;
  return o;
}

void pumpFor(HostFrame& frame, CAUGuiCanvas& canvas, double seconds) {
  for (const double end = monotonicSeconds() + seconds; monotonicSeconds() < end;) {
    frame.pump();
    canvas.idle();
    sleepMilliseconds(10);
  }
}

int scene(const char* out) {
  ProbePlugin plugin;
  CAUGuiCanvas canvas(&plugin, nullptr, 0, 0);
  buildScene(canvas, plugin);
  canvas.idle();
  if (!canvas.bitmap() || !writeBmp(*canvas.bitmap(), out)) return 2;
  std::printf("scene: %dx%d\n", canvas.bitmap()->width(), canvas.bitmap()->height());
  return 0;
}

int window(const char* out, double holdSeconds) {
  auto frame = HostFrame::create("controlprobe", CAUGuiCanvas::kWidth, CAUGuiCanvas::kHeight, {60, 60});
  if (!frame) return 3;
  auto editor = Window::create(frame->parentHandle(), editorOptions());
  if (!editor) return 3;
  ProbePlugin plugin;
  auto canvas = std::make_unique<CAUGuiCanvas>(&plugin, editor.get(), 0, 0);
  buildScene(*canvas, plugin);
  auto link = std::make_unique<CanvasWindowLink>(*canvas, *editor);
  editor->invalidate(Rect{0, 0, CAUGuiCanvas::kWidth, CAUGuiCanvas::kHeight});
  pumpFor(*frame, *canvas, 0.5);  // painted, and the display server caught up
  auto shown = frame->captureClient();
  if (!shown || !writeBmp(*shown, out)) return 2;
  const Point origin = editor->clientToScreen({0, 0});
  std::printf("window: %dx%d at %d,%d\nshown\n", shown->width(), shown->height(), origin.x, origin.y);
  std::fflush(stdout);
  pumpFor(*frame, *canvas, holdSeconds);
  link.reset();
  canvas.reset();
  return 0;
}

struct ProbeHandler final : KVXTextEditHandler {
  std::string heard;
  void onEnter(KVXTextEditor*) override { heard += " enter"; }
  void onTab(KVXTextEditor*, bool shift) override { heard += shift ? " shift-tab" : " tab"; }
  void onEscape(KVXTextEditor*) override { heard += " escape"; }
};

int edit(double seconds) {
  auto frame = HostFrame::create("controlprobe", CAUGuiCanvas::kWidth, CAUGuiCanvas::kHeight, {60, 60});
  if (!frame) return 3;
  auto editor = Window::create(frame->parentHandle(), editorOptions());
  if (!editor) return 3;
  frame->pump();
  const GuiHandleCounts before = guiHandleCounts();
  ProbePlugin plugin;
  ProbeHandler handler;
  auto canvas = std::make_unique<CAUGuiCanvas>(&plugin, editor.get(), 0, 0);
  auto* pane = new CAUGuiPane(canvas.get(), {0, 0, CAUGuiCanvas::kWidth, CAUGuiCanvas::kHeight}, nullptr);
  canvas->addControl(pane);
  auto* field = new KVXTextEditor(canvas.get(), {40, 40, 120, 20}, 1, &handler);
  pane->addChild(field);
  field->rules = TextRules::digits(1, 16);
  auto link = std::make_unique<CanvasWindowLink>(*canvas, *editor);
  canvas->idle();
  canvas->setFocus(field);
  if (!field->hasNativeBox()) return 4;
  const Point at = editor->clientToScreen({100, 50});
  std::printf("field: %d %d\nready\n", at.x, at.y);
  std::fflush(stdout);
  pumpFor(*frame, *canvas, seconds);

  std::printf("typed: %s\nheard:%s\n", field->text().c_str(), handler.heard.c_str());
  canvas->setFocus(pane);
  std::printf("closed: %s native %d\n", field->text().c_str(), field->hasNativeBox() ? 1 : 0);
  canvas->setFocus(field);
  std::printf("reopened: native %d\n", field->hasNativeBox() ? 1 : 0);
  // The editor closes while the field has the focus: its native box goes with it.
  link.reset();
  canvas.reset();
  frame->pump();
  const GuiHandleCounts after = guiHandleCounts();
  std::printf("userObjectsLeft: %ld\n", after.ownUser - before.ownUser);
  return after.ownUser == before.ownUser ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "scene") == 0) return scene(argv[2]);
  if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "window") == 0)
    return window(argv[2], argc == 4 ? std::atof(argv[3]) : 0.0);
  if (argc == 3 && std::strcmp(argv[1], "edit") == 0) return edit(std::atof(argv[2]));
  std::fprintf(stderr, "usage: controlprobe scene OUT.bmp | window OUT.bmp [S] | edit S\n");
  return 64;
}
