// Lists of the in-editor dialogs: a scrollable multi-select list of text rows with its
// scroll bar, and a drop-down selector over the platform's native pop-up menu. Each tells a
// one-operation handler of the user's changes. GUI thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gui/cauguictrl.h"
#include "gui/cauguigraphic.h"
#include "gui/kvxscroll.h"

class KVXTextList;

class KVXListHandler {
 public:
  // After every click on the list, with a copy of the selection (in the order clicked).
  virtual void onSelectionChanged(KVXTextList* list, const std::vector<int>& selection) = 0;

 protected:
  ~KVXListHandler() = default;
};

class KVXTextList : public CAUGuiCtrl, public KVXScrollable {
 public:
  static constexpr int kInset = 3;  // the bevel around the rows

  KVXTextList(CAUGuiCanvas* canvas, const GuiRect& rect);

  // Replaces the items (the selection stays, the list is not redrawn).
  virtual void setItems(std::vector<std::string> items);
  void setScroll(float position) override;
  float scroll() const override;
  // The share of the rows in view, at most 1 (1 for an empty list).
  float visibleFraction() override;
  CAUGuiCtrl* scrolledControl() override { return this; }

  void setHandler(KVXListHandler* handler) { handler_ = handler; }
  // The selection becomes that row alone (empty for -1), which is also the anchor.
  void selectOnly(int row);
  void setSelection(std::vector<int> rows);
  const std::vector<int>& selection() const { return selection_; }
  const std::vector<std::string>& items() const { return items_; }
  int anchor() const { return anchor_; }
  int rowHeight() const { return rowHeight_; }

  // Rows that fit in the list, the first one shown, and the row under a point (-1: none).
  int visibleRows() const;
  int firstShown() const;
  int rowAt(GuiPoint p) const;

  void draw(DrawContext& context, int flags) override;
  // A click selects the row alone; with Alt it toggles the row; with Ctrl it selects the
  // range from the anchor. The handler is told after every click, even below the rows.
  int mouseDown(GuiPoint p, bool altDown, bool ctrlDown) override;

 private:
  GuiRect textArea() const;

  KVXListHandler* handler_ = nullptr;
  std::vector<std::string> items_;
  float scroll_ = 0.0f;
  int rowHeight_ = 20;
  int anchor_ = -1;
  std::vector<int> selection_;
};

// The scroll bar of a text list: a bevel and a grey thumb.
class KVXListSlider : public KVXScrollSlider {
 public:
  KVXListSlider(CAUGuiCanvas* canvas, const GuiRect& rect, int unused, KVXTextList* list);
  void draw(DrawContext& context, int flags) override;
};

class KVXStringMenu;

class KVXStringMenuHandler {
 public:
  // After the user chose an item (a dismissed menu tells nothing).
  virtual void onItemChosen(KVXStringMenu* menu) = 0;

 protected:
  ~KVXStringMenuHandler() = default;
};

class KVXStringMenu : public CAUGuiCtrl {
 public:
  // Creates its cap and centre images and gives them to the canvas.
  KVXStringMenu(CAUGuiCanvas* canvas, const GuiRect& rect, int tag, std::vector<std::string> strings, int selected,
                KVXStringMenuHandler* handler);

  // Replaces the strings and the selection (-1, or one that names no string: none) and redraws.
  void setItems(std::vector<std::string> strings, int selected);
  int selected() const { return selected_; }
  const std::vector<std::string>& strings() const { return strings_; }
  int tag() const { return tag_; }

  // The caps and centre, and the chosen string in green, centred.
  void draw(DrawContext& context, int flags) override;
  // Shows the native menu of every string (the chosen one as its default) at the control's
  // top-left corner and waits for the user; a choice becomes the selection and is told to
  // the handler. The menu lives only while it is shown.
  int mouseDown(GuiPoint p, bool altDown, bool ctrlDown) override;

  // Menu item texts are cut to this many characters.
  static constexpr std::size_t kItemTextLength = 50;

 private:
  int tag_;
  KVXStringMenuHandler* handler_;
  std::vector<std::string> strings_;
  int selected_;
  CAUGuiGraphic* leftCap_;
  CAUGuiGraphic* rightCap_;
  CAUGuiGraphic* centre_;
  std::vector<std::unique_ptr<CAUGuiGraphic>> ownImages_;
};

// The fill of selected rows and of scroll thumbs.
inline constexpr GuiColour kListSelection = 0x969696;
