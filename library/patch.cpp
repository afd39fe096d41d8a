#include "library/patch.h"

#include <utility>

#include "platform/files.h"
#include "platform/textfile.h"

Patch::Patch() = default;

Patch::Patch(std::string fileName_, std::string name_, std::string folder_, char separator_,
             std::string author_, std::string date_, std::string notes_)
    : fileName(std::move(fileName_)),
      folder(std::move(folder_)),
      separator(separator_),
      name(std::move(name_)),
      notes(std::move(notes_)),
      author(std::move(author_)),
      date(std::move(date_)) {}

Patch::Patch(std::string fileName_, std::string name_, std::string folder_, char separator_)
    : fileName(std::move(fileName_)),
      folder(std::move(folder_)),
      separator(separator_),
      name(std::move(name_)) {
  load();
}

Patch::Patch(std::string fileName_, std::string name_, std::string folder_, char separator_,
             const char* text, std::size_t length)
    : fileName(std::move(fileName_)), folder(std::move(folder_)), separator(separator_) {
  readText(text, length);
  name = std::move(name_);
}

std::string Patch::filePath() const {
  std::string path = folder;
  path += separator;
  path += fileName;
  path += ".kvx";
  return path;
}

bool Patch::load() {
  std::string text;
  if (!platform::readTextFile(filePath(), text)) return false;
  author.clear();
  date.clear();
  notes.clear();
  readText(text);
  return true;
}

bool Patch::save() const {
  if (!dirty) return true;
  // The old file stays whole until the new text is safely on disk.
  return platform::replaceFile(filePath(), writeText());
}

bool Patch::writeFile(std::FILE* file) const {
  if (!file) return false;
  const std::string text = writeText();
  return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

void Patch::setParam(int32_t kind, uint32_t key, int32_t intValue, double realValue,
                     uint32_t peerCode) {
  dirty = 1;
  for (PatchParam& p : params) {
    if (p.key == key) {
      p.kind = kind;
      p.intValue = intValue;
      p.realValue = realValue;
      p.peerCode = peerCode;
      return;
    }
  }
  PatchParam p;
  p.key = key;
  p.peerCode = peerCode;
  p.realValue = realValue;
  p.intValue = intValue;
  p.kind = kind;
  params.push_back(p);
}

void Patch::addMidiMapEntry(const MidiMapEntry& entry) {
  dirty = 1;
  MidiMapEntry copy = entry;
  copy.range[kMidiSourceController] = {0.0f, 127.0f};
  copy.curve[kMidiSourceController] = kMidiCurveLinear;
  copy.invert[kMidiSourceController] = 0;
  midiMapEntries.push_back(copy);
}

void Patch::clearMidiMapEntries() {
  dirty = 1;
  midiMapEntries.clear();
}
