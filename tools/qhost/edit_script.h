// The event script of `qhost edit`: one event per line, "TIME ACTION ARGUMENTS", times in
// seconds from the editor's opening. Empty lines and lines starting with '#' are skipped.
//   0.20 down 120 300 shift     mouse press (modifiers: shift, ctrl, alt)
//   0.25 move 120 260           mouse move (a drag while pressed)
//   0.30 up 120 260             mouse release
//   0.40 key escape             a key: escape, enter, tab, left, up, right, down, delete,
//                               backspace, space, one letter or digit, or a decimal code
//   0.50 text 12                characters typed into the focused edit box
//   0.60 menu 3                 the item the next pop-up menu returns
#pragma once

#include <string>
#include <vector>

namespace qhost {

struct ScriptEvent {
  enum class Kind { Down, Move, Up, Key, Text, Menu };
  double time = 0;
  Kind kind = Kind::Move;
  int x = 0, y = 0;  // mouse point
  int code = 0;      // key code or menu item
  bool shift = false, control = false, alt = false;
  std::string text;
};

// Parses the script text (as read in text mode); the events sorted by time, equal times in
// file order. False with "line N: ..." in `error`.
bool parseScript(const std::string& text, std::vector<ScriptEvent>& events, std::string& error);

}  // namespace qhost
