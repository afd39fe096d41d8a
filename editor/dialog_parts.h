// The pieces the editor's in-panel dialogs are made of: their images, their two-frame push
// buttons, their labels, and the window their message boxes belong to. GUI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gui/cauguibutton.h"
#include "gui/geometry.h"

class CAUGuiCanvas;
class CAUGuiGraphic;
class KVXTextCtrl;

// A dialog's own images by name, loaded once each and freed with the dialog (after its
// controls, which only point to them).
class DialogImages {
 public:
  DialogImages();
  ~DialogImages();
  DialogImages(const DialogImages&) = delete;
  DialogImages& operator=(const DialogImages&) = delete;
  CAUGuiGraphic* get(const char* name, int frames = 1);

 private:
  std::vector<std::unique_ptr<CAUGuiGraphic>> own_;
};

// A push button (positions 0..1) on a two-frame image: pressed while held, its callback
// told on a release over it.
CAUGuiButton* makeDialogButton(CAUGuiCanvas* canvas, const GuiRect& rect, CAUGuiGraphic* image,
                               ButtonCallback callback, void* context);
// A label of the given font height and layout (kTextFormat and its alignments).
KVXTextCtrl* makeDialogLabel(CAUGuiCanvas* canvas, const GuiRect& rect, int fontHeight, const std::string& text,
                             unsigned format);
// What a key does in a dialog: Enter (10 or 13) is OK, Escape (27) Cancel.
enum class DialogKey { Ok, Cancel, Other };
DialogKey dialogKey(uint8_t key);
// The editor window as the owner of a dialog's message boxes; null without one.
void* dialogMessageOwner(const CAUGuiCanvas* canvas);
