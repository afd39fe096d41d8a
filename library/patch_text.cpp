// The patch text: one record per line, each line ending in LF alone. Lines start with a
// record number: 0..3 parameters by kind, 14 (older forms 8 and 9) MIDI-map entries, 10 beat
// settings, 11 lock, 12 show notes, 15 program slot, 16 beat offsets, 4..6 name, author and
// date, and 7 the notes, always last so that line breaks inside them end the text.
#include <cmath>
#include <cstring>

#include "library/patch.h"
#include "library/text_lines.h"
#include "library/text_numbers.h"
#include "params/param_table.h"

namespace {

using textio::Cursor;

// A code as "%4s" prints it: its characters in reading order up to a zero byte, padded on
// the left to four.
void appendCode(std::string& out, uint32_t code) {
  char chars[4];
  int n = 0;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((code >> shift) & 0xFF);
    if (c == '\0') break;
    chars[n++] = c;
  }
  out.append(4 - n, ' ');
  out.append(chars, n);
}

// The first four characters of word as a code, the first in the most significant byte.
uint32_t codeOf(const std::string& word) {
  uint32_t code = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const unsigned char c = i < word.size() ? static_cast<unsigned char>(word[i]) : 0;
    code = (code << 8) | c;
  }
  return code;
}

// A one-line field: stops at a zero byte, line breaks become blanks so that the text keeps
// one record per line.
void appendLineField(std::string& out, const std::string& value) {
  for (char c : value) {
    if (c == '\0') break;
    out += (c == '\n' || c == '\r') ? ' ' : c;
  }
}

void appendListInt(std::string& out, int64_t v, bool last = false) {
  textio::appendInt(out, v);
  out += last ? "\n" : ", ";
}

void appendListFloat(std::string& out, float v) {
  textio::appendFixed(out, v, 6);
  out += ", ";
}

void writeMapEntry(std::string& out, const MidiMapEntry& e) {
  out += "14 : ";
  appendListInt(out, e.channel);
  appendListInt(out, e.controller);
  appendListInt(out, e.parameter);
  appendListInt(out, e.sourceBits & kMidiPatchSourceBits);
  for (int s = kMidiSourceVelocity; s < kMidiSourceCount; ++s) {
    appendListFloat(out, e.range[s].low);
    appendListFloat(out, e.range[s].high);
  }
  for (int s = kMidiSourceVelocity; s < kMidiSourceCount; ++s) {
    appendListInt(out, e.curve[s]);
    appendListInt(out, e.invert[s], s == kMidiSourceCount - 1);
  }
}

// "[number] :" has been read; the rest holds comma-separated fields. Each reader fails
// unless every field is there.
bool readInts(Cursor& c, int32_t* values, int count) {
  for (int i = 0; i < count; ++i)
    if ((i > 0 && !c.take(',')) || !c.readInt(values[i])) return false;
  return true;
}

bool readFloats(Cursor& c, float* values, int count) {
  for (int i = 0; i < count; ++i) {
    if (!c.take(',') || !c.readFloat(values[i]) || !std::isfinite(values[i])) return false;
  }
  return true;
}

// Records 8, 9 and 14: channel, controller, parameter, source bits, the three patch sources'
// ranges and, except in the oldest form 8, their curves and inverts.
bool readMapEntry(Cursor& c, int record, MidiMapEntry& e) {
  e = MidiMapEntry{};
  int32_t head[4];
  float ranges[6];
  if (!readInts(c, head, 4) || !readFloats(c, ranges, 6)) return false;
  int32_t tail[6] = {0, 0, 0, 0, 0, 0};
  if (record != 8) {
    for (int i = 0; i < 6; ++i)
      if (!c.take(',') || !c.readInt(tail[i])) return false;
  }
  // An entry that names no parameter would later index past the parameter table; channels,
  // controllers, source bits, curves and inverts outside their sets are refused likewise.
  if (head[0] < 0 || head[0] > 15 || head[1] < 0 || head[1] > kMidiControllerPitchBend ||
      head[2] < 1 || head[2] > kLastCordParam || head[3] < 0 || head[3] > 15)
    return false;
  for (int i = 0; i < 6; i += 2)
    if (tail[i] < kMidiCurveLinear || tail[i] > kMidiCurveLogarithmic || tail[i + 1] < 0 ||
        tail[i + 1] > 1)
      return false;
  e.channel = head[0];
  e.controller = head[1];
  e.parameter = head[2];
  e.sourceBits = static_cast<uint32_t>(head[3]);
  e.range[kMidiSourceController] = {0.0f, 127.0f};
  for (int s = kMidiSourceVelocity; s < kMidiSourceCount; ++s) {
    e.range[s] = {ranges[2 * (s - 1)], ranges[2 * (s - 1) + 1]};
    e.curve[s] = tail[2 * (s - 1)];
    e.invert[s] = tail[2 * (s - 1) + 1];
  }
  return true;
}

// Records 0..3: "<key> = <value>" after the number. False when the line does not match.
bool readParam(Cursor& c, int record, PatchParam& p) {
  std::string key;
  if (!c.readWord(key, 4) || !c.take('=')) return false;
  p = PatchParam{};
  p.key = codeOf(key);
  p.kind = record;
  switch (record) {
    case kPatchParamInteger:
      return c.readInt(p.intValue);
    case kPatchParamReal:
      return c.readDouble(p.realValue) && std::isfinite(p.realValue);
    case kPatchParamCord: {
      std::string word;
      if (!c.readWord(word, 4)) return false;
      p.peerCode = codeOf(word);
      return true;
    }
    default:  // the value of an unplugged cord is not read
      return true;
  }
}

// The value of records 4..7: after the line's first '=', up to valueEnd, trimmed. A line
// without '=' sets nothing.
bool readNamedValue(std::string_view line, const char* valueEnd, std::string& value) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  const char* first = line.data() + eq + 1;
  value = trim(std::string_view(first, static_cast<std::size_t>(valueEnd - first)));
  return true;
}

// Pulses per beat of the clock and LFO sync, as the parameter table allows them.
constexpr int32_t kMaxBeatPulses = 100000;

bool validBeatSettings(const int32_t* v) {
  return v[0] >= 0 && v[0] <= 1 && v[2] >= 0 && v[2] <= 1 && v[1] >= 1 &&
         v[1] <= kMaxBeatPulses && v[3] >= 1 && v[3] <= kMaxBeatPulses;
}

}  // namespace

std::string Patch::writeText() const {
  std::string out;
  out.reserve(4096 + notes.size());
  for (const PatchParam& p : params) {
    if (p.kind < kPatchParamInteger || p.kind > kPatchParamCordUnplugged) continue;
    textio::appendInt(out, p.kind);
    out += " : ";
    appendCode(out, p.key);
    out += " = ";
    switch (p.kind) {
      case kPatchParamInteger:
        // Decimal, as the reader reads it.
        textio::appendInt(out, p.intValue);
        out += "  //\n";
        break;
      case kPatchParamReal:
        textio::appendFixed(out, p.realValue, 40);
        out += '\n';
        break;
      case kPatchParamCord:
        appendCode(out, p.peerCode);
        out += '\n';
        break;
      default:
        out += "0\n";
        break;
    }
  }
  for (const MidiMapEntry& e : midiMapEntries) writeMapEntry(out, e);
  out += "10 : ";
  for (int i = 0; i < 4; ++i) appendListInt(out, beatSettings[i], i == 3);
  out += "11 : ";
  appendListInt(out, locked, true);
  out += "12 : ";
  appendListInt(out, showNotes, true);
  out += "15 : ";
  appendListInt(out, programSlot, true);
  out += "16 : ";
  textio::appendFixed(out, beatOffsets[0], 6);
  out += ", ";
  textio::appendFixed(out, beatOffsets[1], 6);
  out += "\n4 : PatchName = ";
  appendLineField(out, name);
  out += "\n5 : PatchAuthor = ";
  appendLineField(out, author);
  out += "\n6 : PatchDate = ";
  appendLineField(out, date);
  out += "\n7 : PatchNotes = ";
  out.append(notes.c_str());  // up to a zero byte, as the reader stops there
  out += '\n';
  return out;
}

int Patch::writeText(char* buffer, int capacity) const {
  if (!buffer || capacity <= 0) return -1;
  const std::string text = writeText();
  if (text.size() + 1 > static_cast<std::size_t>(capacity)) {
    buffer[0] = '\0';
    return -1;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<int>(text.size());
}

void Patch::readText(const char* text, std::size_t length) {
  params.clear();
  midiMapEntries.clear();
  beatSettings[0] = 0;
  beatSettings[1] = 24;
  beatSettings[2] = 0;
  beatSettings[3] = 24;
  beatOffsets[0] = 0.0f;
  beatOffsets[1] = 0.0f;
  programSlot = -1;
  bool volumeSeen = false;

  std::string_view rest;
  if (text) {
    const void* zero = std::memchr(text, '\0', length);
    rest = std::string_view(text, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - text)
                                       : length);
  }
  const char* const end = rest.data() + rest.size();
  int32_t record = 0;
  while (!rest.empty()) {
    const std::string_view line = nextLine(rest);
    const char* const lineEnd = line.data() + line.size();
    Cursor c{line.data(), lineEnd};
    int32_t number;
    if (c.readInt(number)) record = number;  // otherwise the previous line's record holds
    c.take(':');

    switch (record) {
      case 0:
      case 1:
      case 2:
      case 3: {
        PatchParam p;
        if (readParam(c, record, p)) {
          if (p.key == kPatchVolumeKey) volumeSeen = true;
          params.push_back(p);
        }
        break;
      }
      case 4:
        readNamedValue(line, lineEnd, name);
        break;
      case 5:
        readNamedValue(line, lineEnd, author);
        break;
      case 6:
        readNamedValue(line, lineEnd, date);
        break;
      case 7:
        // The notes run to the end of the whole text; nothing after them is a record.
        if (readNamedValue(line, end, notes)) rest = {};
        break;
      case 8:
      case 9:
      case 14: {
        MidiMapEntry e;
        if (readMapEntry(c, record, e)) midiMapEntries.push_back(e);
        break;
      }
      case 10: {
        int32_t v[4];
        if (readInts(c, v, 4) && validBeatSettings(v))
          for (int i = 0; i < 4; ++i) beatSettings[i] = v[i];
        break;
      }
      case 11:
        c.readInt(locked);
        break;
      case 12:
        c.readInt(showNotes);
        break;
      case 15: {
        // Only a MIDI program number or "none" is kept.
        int32_t slot;
        if (c.readInt(slot) && slot >= -1 && slot <= 127) programSlot = slot;
        break;
      }
      case 16: {
        float v[2];
        if (c.readFloat(v[0]) && std::isfinite(v[0]) && readFloats(c, v + 1, 1)) {
          beatOffsets[0] = v[0];
          beatOffsets[1] = v[1];
        }
        break;
      }
      default:  // 13, 17 and above, negative numbers: skipped
        break;
    }
  }

  if (!volumeSeen) {
    PatchParam volume;
    volume.key = kPatchVolumeKey;
    volume.kind = kPatchParamReal;
    volume.realValue = 1.0;
    params.push_back(volume);
  }
}
