// The editor fuzzer's input: a sequence of host events for an open editor, one operation
// byte and its operands each. Nothing in it knows the panel: mouse points lie anywhere on
// the 1010 x 623 window, so new controls and dialogs are reached without a change here.
// The seed writer encodes the editor tests' event scripts with the same functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qvfuzz::editor {

enum Op : uint8_t {
  kMouseDown,  // x16 y16 modifiers8
  kMouseMove,  // x16 y16 modifiers8
  kMouseUp,    // x16 y16 modifiers8
  kKey,        // code8 modifiers8
  kText,       // length8 characters
  kMenu,       // item8: the answer of the next pop-up menu
  kFile,       // length8 characters: the answer of the next file dialog ("" cancels)
  kIdle,       // count8: 1 + count % kMostIdles idles, each with the paint it causes
  kParam,      // index16 value16: a parameter the host sets (value / 65535)
  kChunk,      // length16 bytes: a program chunk the host loads
  kAudio,      // key8: one audio block, with a note on (key < 128) or off (key >= 128)
  kReopen,     // the host closes and reopens the editor
  kOpCount
};

constexpr int kWidth = 1010, kHeight = 623;
constexpr int kMostIdles = 3;

// Modifier bits.
constexpr uint8_t kShift = 1, kControl = 2, kAlt = 4;

inline void put16(std::string& out, unsigned v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

inline void mouse(std::string& out, Op op, int x, int y, uint8_t modifiers = 0) {
  out += static_cast<char>(op);
  put16(out, static_cast<unsigned>(x));
  put16(out, static_cast<unsigned>(y));
  out += static_cast<char>(modifiers);
}
inline void key(std::string& out, int code, uint8_t modifiers = 0) {
  out += static_cast<char>(kKey);
  out += static_cast<char>(code);
  out += static_cast<char>(modifiers);
}
// Texts of up to 255 characters (longer ones are cut).
inline void text(std::string& out, Op op, const std::string& s) {
  const std::size_t n = s.size() < 255 ? s.size() : 255;
  out += static_cast<char>(op);
  out += static_cast<char>(n);
  out.append(s, 0, n);
}
inline void menu(std::string& out, int item) {
  out += static_cast<char>(kMenu);
  out += static_cast<char>(item);
}
inline void idle(std::string& out, int count) {
  out += static_cast<char>(kIdle);
  out += static_cast<char>(count);
}
inline void param(std::string& out, int index, double value) {
  out += static_cast<char>(kParam);
  put16(out, static_cast<unsigned>(index));
  put16(out, static_cast<unsigned>(value * 65535 + 0.5));
}

}  // namespace qvfuzz::editor
