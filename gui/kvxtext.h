// Text controls of the in-editor dialogs: a static label, and a text field that draws its
// own text while idle and, while it has the keyboard focus, is backed by the platform's
// native edit box over it. The field validates what is typed or pasted (length, character
// range, numeric range), beeps at a refused change, and reports Enter, Tab and Escape to
// its handler. GUI thread only.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "gui/cauguictrl.h"
#include "platform/gui.h"

// DrawText layout of the text controls: a vertically centred single line without prefix
// processing; 0x826 aligns it right.
inline constexpr unsigned kTextFormat = 0x824;

class KVXTextCtrl : public CAUGuiCtrl {
 public:
  KVXTextCtrl(CAUGuiCanvas* canvas, const GuiRect& rect);

  // The label keeps its own copy of the text.
  void setText(const std::string& text);
  const std::string& text() const { return text_; }
  void setFontHeight(int height) { fontHeight_ = height; }
  void setFormat(unsigned format) { format_ = format; }

  // White text, "Helvetica" of the font height, in the bounds with the format.
  void draw(DrawContext& context, int flags) override;
  // A click on a label acts as a click released on its owner.
  int mouseDown(GuiPoint p, bool altDown, bool ctrlDown) override;
  int mouseUp(GuiPoint p, bool altDown, bool ctrlDown) override;

 private:
  std::string text_;
  bool hasText_ = false;
  int fontHeight_ = 10;
  unsigned format_ = kTextFormat;
};

class KVXTextEditor;

class KVXTextEditHandler {
 public:
  virtual void onEnter(KVXTextEditor* editor) = 0;
  virtual void onTab(KVXTextEditor* editor, bool shiftDown) = 0;
  virtual void onEscape(KVXTextEditor* editor) = 0;

 protected:
  ~KVXTextEditHandler() = default;
};

// What a text field accepts, and the check itself (apart from any field, for tests).
struct TextRules {
  char lowestChar = 0;
  char highestChar = 127;
  int charCheck = 0;     // when on, every character lies in the range
  int numericCheck = 0;  // when on, the leading number lies in the numeric range (digits only)
  int lowestNumber = 0;
  int highestNumber = 0;
  int maxLength = -1;    // -1: no limit

  // Digits only, for a number from lowest to highest.
  static TextRules digits(int lowest, int highest) {
    TextRules r;
    r.lowestChar = '0';
    r.highestChar = '9';
    r.charCheck = 1;
    r.numericCheck = 1;
    r.lowestNumber = lowest;
    r.highestNumber = highest;
    return r;
  }
};
// The empty text is always valid; then the length; with the character check off nothing
// more; else every character (as a signed char) in the range and, with the numeric check
// on, the leading base-10 number in the numeric range.
bool validateText(const TextRules& rules, const std::string& text);

class KVXTextEditor : public CAUGuiCtrl, private platform::EditBoxListener {
 public:
  // At most this many characters are typed into the native box.
  static constexpr std::size_t kMaxTyped = 1000;
  static constexpr int kBeepHz = 750;
  static constexpr int kBeepMs = 300;

  KVXTextEditor(CAUGuiCanvas* canvas, const GuiRect& rect, int tag, KVXTextEditHandler* handler);
  // Closes the native box if it is open.
  ~KVXTextEditor() override;

  // The owner sets what the field accepts right after construction.
  TextRules rules;

  bool validate(const std::string& text) const { return validateText(rules, text); }
  // Stores a valid text (and redraws); false, with nothing changed, for an invalid one.
  bool setText(const std::string& text);
  // The current text, also while the native box is open (what it shows).
  const std::string& text() const { return text_; }
  // Copies the text into a buffer of `size` characters, always terminated (cut to size - 1).
  void getText(char* buffer, std::size_t size) const;
  void setFormat(unsigned format) { format_ = format; }
  unsigned format() const { return format_; }
  int changed() const { return changed_; }
  int tag() const { return tag_; }
  bool hasNativeBox() const { return box_ != nullptr; }

  // Keys that reach the field while it has no native box: 9 Tab (modifier bit 8: Shift),
  // 10 and 13 Enter, 27 Escape, each told to the handler; others do nothing.
  int keyDown(uint8_t key, int modifiers) override;
  // Gaining the focus opens the native box over the field with its text selected; losing
  // it takes the box's text and closes it.
  void setFocus(bool focused) override;
  // Light grey field, black "Arial" 14 text.
  void draw(DrawContext& context, int flags) override;

 private:
  void openBox();
  void closeBox();
  // platform::EditBoxListener
  void onEditEnter() override;
  void onEditEscape() override;
  void onEditTab(bool shift) override;
  bool acceptEditText(const std::string& text) override;

  int tag_;
  KVXTextEditHandler* handler_;
  unsigned format_ = kTextFormat;
  int changed_ = 0;
  std::string text_;
  std::unique_ptr<platform::EditBox> box_;
};
