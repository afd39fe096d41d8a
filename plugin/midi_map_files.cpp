// Map file text, the list file and the numbered map files.
#include "plugin/midi_map_files.h"

#include <cmath>

#include "library/text_lines.h"
#include "library/text_numbers.h"
#include "params/param_table.h"
#include "platform/platform.h"
#include "platform/textfile.h"

namespace {

using textio::Cursor;

// The line kind every map line is written with.
constexpr int32_t kWrittenKind = 4;

std::string trimTrailing(std::string_view text) {
  std::size_t n = text.size();
  while (n > 0 && textio::isSpace(text[n - 1])) --n;
  return std::string(text.substr(0, n));
}

bool takeInt(Cursor& c, int32_t& v) { return c.take(',') && c.readInt(v); }
bool takeFloat(Cursor& c, float& v) { return c.take(',') && c.readFloat(v) && std::isfinite(v); }

// One map line: "<kind>: channel, controller, parameter, bits" then, by kind, nothing (1),
// "low, high" (2) or "low, high, curve, invert" (3 and 4), and nothing after. Channels
// beyond 0..15, controllers beyond 0..128 and parameters beyond 1..178 refuse the line.
bool parseMapLine(std::string_view text, MidiMapEntry& out) {
  Cursor c{text.data(), text.data() + text.size()};
  int32_t kind, channel, controller, parameter, bits;
  if (!c.readInt(kind) || !c.take(':') || !c.readInt(channel) || !takeInt(c, controller) ||
      !takeInt(c, parameter) || !takeInt(c, bits))
    return false;
  float low = 0.0f, high = 127.0f;
  int32_t curve = kMidiCurveLinear, invert = 0;
  switch (kind) {
    case 1:
      bits = kMidiBitController;
      break;
    case 2:
      if (!takeFloat(c, low) || !takeFloat(c, high)) return false;
      break;
    case 3:
    case 4:
      if (!takeFloat(c, low) || !takeFloat(c, high) || !takeInt(c, curve) ||
          !takeInt(c, invert))
        return false;
      break;
    default:
      return false;
  }
  c.skipSpace();
  if (!c.atEnd()) return false;
  if (channel < 0 || channel > kMidiLastChannel || controller < 0 ||
      controller > kMidiControllerPitchBend || parameter < 1 || parameter > kLastCordParam)
    return false;
  out = blankMidiMapEntry(parameter);
  out.channel = channel;
  out.controller = controller;
  out.sourceBits = static_cast<uint32_t>(bits);
  out.range[kMidiSourceController] = {low, high};
  out.curve[kMidiSourceController] = curve;
  out.invert[kMidiSourceController] = invert;
  return sanitizeMidiMapEntry(out);  // clamps the range, curve, invert and bits
}

void appendField(std::string& out, int64_t v) {
  out += ", ";
  textio::appendInt(out, v);
}

void appendField(std::string& out, float v) {
  out += ", ";
  textio::appendFixed(out, v, 6);
}

}  // namespace

// --- Map file text ----------------------------------------------------------------------

int MidiMap::read(std::string_view text) {
  std::vector<MidiMapEntry> lines;
  while (!text.empty()) {
    const std::string_view line = nextLine(text);
    MidiMapEntry e;
    if (parseMapLine(line, e)) lines.push_back(e);
  }
  mergeFileEntries(lines);
  return static_cast<int>(lines.size());
}

int MidiMap::write(std::string& out) const {
  const std::vector<MidiMapEntry> all = entries();
  for (const MidiMapEntry& e : all) {
    textio::appendInt(out, kWrittenKind);
    out += ": ";
    textio::appendInt(out, e.channel);
    appendField(out, int64_t{e.controller});
    appendField(out, int64_t{e.parameter});
    appendField(out, int64_t{e.sourceBits});
    appendField(out, e.range[kMidiSourceController].low);
    appendField(out, e.range[kMidiSourceController].high);
    appendField(out, int64_t{e.curve[kMidiSourceController]});
    appendField(out, int64_t{e.invert[kMidiSourceController]});
    out += '\n';
  }
  return static_cast<int>(all.size());
}

// --- Files in the data folder -------------------------------------------------------------

std::string midiMapListPath() { return platform::dataFolder() + "midiMapList"; }

std::string midiMapFilePath(int n) {
  std::string path = platform::dataFolder();
  textio::appendInt(path, n);
  return path + ".mmap";
}

bool MidiMapHolder::readMidiMapList() {
  std::string text;
  if (!platform::readTextFile(midiMapListPath(), text)) return false;
  mapNames.clear();
  std::string_view rest = text;
  while (!rest.empty()) mapNames.push_back(trimTrailing(nextLine(rest)));
  // Blank lines at the end name no later file; dropping them keeps new maps numbered on.
  while (!mapNames.empty() && mapNames.back().empty()) mapNames.pop_back();
  return true;
}

bool MidiMapHolder::writeMidiMapList() const {
  std::string text;
  for (const std::string& name : mapNames) text += name + "\n";
  return platform::writeTextFile(midiMapListPath(), text);
}

bool MidiMapHolder::loadMidiMap(int n) {
  std::string text;
  if (n < 0 || !platform::readTextFile(midiMapFilePath(n), text)) return false;
  map->read(text);
  if (static_cast<std::size_t>(n) < mapNames.size() && !mapNames[n].empty())
    currentMapName = mapNames[n];
  return true;
}

bool MidiMapHolder::saveMidiMap(const std::string& name) {
  const std::string trimmed = trimTrailing(name);
  if (trimmed.empty() || trimmed.find_first_of("\r\n") != std::string::npos) return false;
  std::size_t index = 0;
  while (index < mapNames.size() && mapNames[index] != trimmed) ++index;
  const bool isNew = index == mapNames.size();
  std::string text;
  map->write(text);
  if (!platform::writeTextFile(midiMapFilePath(static_cast<int>(index)), text)) return false;
  currentMapIndex = static_cast<int>(index);
  currentMapName = trimmed;
  if (!isNew) return true;
  mapNames.push_back(trimmed);
  return writeMidiMapList();
}
