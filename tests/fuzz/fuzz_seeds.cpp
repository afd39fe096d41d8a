// Writes the fuzzers' seed corpora from the project's own writers, one folder per target
// below the folder given: the reset patch and the default library's patches as patch text
// and as chunks, archives at the three levels, MIDI map files and lists, a tuning dump, and
// a few hostile inputs each. Run by scripts/fuzz before the fuzzers; nothing here is kept in
// the source tree.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "library/dump_format.h"
#include "library/patch_library.h"
#include "platform/textfile.h"
#include "plugin/midi_map.h"
#include "plugin/note_table.h"
#include "tests/fuzz/editor_input.h"
#include "tests/fuzz/fuzz_support.h"
#include "tools/qhost/edit_script.h"

namespace fs = std::filesystem;

namespace {

fs::path gOut;
int gWritten = 0;

void seed(const char* target, const std::string& name, const std::string& bytes) {
  const fs::path folder = gOut / target;
  fs::create_directories(folder);
  qvfuzz::require(platform::writeBinaryFile((folder / name).string(), bytes), "a seed is written");
  ++gWritten;
}

// Patch texts: the reset patch, every patch of the default library, hostile texts. The
// plug-in's chunk carries a patch text, so the chunk corpus starts from the same.
void patchSeeds(const PatchLibrary& lib) {
  std::vector<std::string> texts{lib.resetPatch.writeText()};
  for (const auto& g : lib.groups)
    for (const auto& c : g->categories)
      for (const auto& p : c->patches) texts.push_back(p->writeText());
  texts.push_back(std::string("1 : mvol = nan\n0 : vo1c = 99999999999999\n2 : pl11 = \n"
                              "14 : 16, 129, 0, 99, inf, -1, 1e39, 2, 3, 4, 5, 6, 7, 8\n"
                              "10 : 1, 0, 1, 2147483647\n15 : 128\n16 : nan, 1e40\n"
                              "7 : PatchNotes = a\rb\0c\n4 : PatchName = late\n", 189));
  texts.push_back("\r\n\r7\r : =\r\n4\n5 : = \n3 : \n-2147483649 : x\n8 : 0,1,2,3,4,5,6,7,8,9\n");
  for (std::size_t i = 0; i < texts.size(); ++i) {
    seed("patch_text", "patch" + std::to_string(i), texts[i]);
    seed("chunk", "patch" + std::to_string(i), texts[i]);
  }
}

void dumpSeeds(PatchLibrary& lib) {
  const std::string file = lib.folder + "seed.dump";
  std::string text;
  const PatchGroup& g = *lib.groups[0];
  std::vector<int> categories, patches;
  for (int c = 0; c < g.categoryCount(); ++c) categories.push_back(c);
  for (int p = 0; p < g.categories[0]->patchCount(); ++p) patches.push_back(p);
  const std::vector<std::vector<int>> selections[] = {
      {{0}, {}, {}}, {{0}, categories, {}}, {{0}, {0}, {}}, {{0}, {0}, patches}, {{0}, {0}, {0}}};
  int n = 0;
  for (const auto& s : selections) {
    if (lib.writeDump(file, s[0], s[1], s[2], false) < 0) continue;
    qvfuzz::require(platform::readBinaryFile(file, text), "an archive seed is read");
    seed("dump", "archive" + std::to_string(n++), text);
  }
  const std::string header(dump::kHeader);
  seed("dump", "broken-blocks",
       header + "Multi Group: 99999999999\nGroup Dump: A\nCategory Dump: B\nStart Patch: C\n"
                "7 : PatchNotes = x\nEnd Patch: D\nEnd Category Dump: B\nEnd Group Dump: A\n");
  seed("dump", "nested-framing",
       header + "Multi Patch: 2\nG\nC\nStart Patch: \n End Patch: \nEnd Patch: \nStart Patch: \n"
                "Start Patch: x\r\nEnd Patch: x\rEnd Multi Patch:\nMulti Category: 1\n"
                "Multi Category: 1\nEnd Multi Category:");
  std::string copies = header + "Multi Patch: 1\nG\nC\n";
  for (int i = 0; i < 500; ++i) copies += "Start Patch: a\nEnd Patch: a\n";
  seed("dump", "many-copies", copies + "End Multi Patch:\n");
  seed("dump", "stray-end", "End Group Dump: A\nGroup Dump: A\nCategory Dump: c\n"
                            "End Category Dump: c\nEnd Group Dump: A\nafter\n");
  seed("dump", "junk-first",
       "Quorvane 3970 Version nan Dump\n\nMulti Group: 1\nEnd Multi Group:\n");
}

void mapSeeds() {
  MidiMap map;
  std::string text;
  map.write(text);
  seed("midi_map", "default", text);
  seed("map_list", "default-map", text);
  MidiMapEntry e = blankMidiMapEntry(45);
  e.channel = 3;
  e.controller = 7;
  e.sourceBits = kMidiBitController | kMidiBitVelocity;
  e.range[0] = {12.5f, 100.25f};
  e.curve[0] = kMidiCurveExponential;
  e.invert[0] = 1;
  map.appendEntry(e);
  map.appendEntry(e);
  text.clear();
  map.write(text);
  seed("midi_map", "repeated", text);
  seed("midi_map", "kinds",
       "1: 0, 82, 33, 1\r\n2: 1, 83, 34, 3, 5.5, 60\n3: 15, 128, 71, 1, 53, 74, 2, 1\n"
       "4: 16, 1, 1, 1, 0, 1, 0, 0\n4: 0, 1, 179, 1, 0, 1, 0, 0\n4: 0, 1, 1, -1, nan, inf, 7, 9\n"
       "5: 0, 0, 1, 1\n4: 0,0,1,1,0,1,0,0 trailing\n");
  seed("map_list", "names", "Default Map\r\nLive  \n\n\tStrings\n\n\n");
  seed("map_list", "blank", std::string("\n\r\r\n \0name\n", 12));
}

void tuningSeeds() {
  std::string dumpBytes(NoteTable::kDumpSize, '\0');
  const unsigned char head[] = {0xF0, 0x7E, 0x00, 0x08, 0x01, 0x00};
  for (std::size_t i = 0; i < sizeof head; ++i) dumpBytes[i] = static_cast<char>(head[i]);
  const std::string name = "Seed Tuning     ";
  dumpBytes.replace(6, 16, name);
  for (int k = 0; k < NoteTable::kKeyCount; ++k) {
    const std::size_t t = 22 + 3 * static_cast<std::size_t>(k);
    const bool unchanged = k % 3 == 0;
    dumpBytes[t] = static_cast<char>(unchanged ? 0x7F : k);
    dumpBytes[t + 1] = static_cast<char>(unchanged ? 0x7F : 0x20 + k % 32);
    dumpBytes[t + 2] = static_cast<char>(unchanged ? 0x7F : k);
  }
  unsigned char sum = 0;
  for (std::size_t i = 1; i < 406; ++i) sum ^= static_cast<unsigned char>(dumpBytes[i]);
  dumpBytes[406] = static_cast<char>(sum & 0x7F);
  dumpBytes[407] = static_cast<char>(0xF7);
  seed("tuning", "valid", dumpBytes);
  std::string badKey = dumpBytes;
  badKey[22 + 3 * 127] = static_cast<char>(0x80);
  seed("tuning", "bad-key", badKey);
  seed("tuning", "short", dumpBytes.substr(0, 407));
  seed("tuning", "long", dumpBytes + '\xF7');
}

}  // namespace

// The editor fuzzer's seeds: the event scripts of the editor tests, each event followed by
// the idles its wait stands for (one per 15 ms), and a few gestures of the panel's own.
void editorSeeds() {
  namespace ed = qvfuzz::editor;
  for (const auto& file : fs::directory_iterator(fs::path(QV_SOURCE_DIR) / "tests" / "qhost")) {
    if (file.path().extension() != ".events") continue;
    std::string script, error;
    std::vector<qhost::ScriptEvent> events;
    if (!platform::readTextFile(file.path().string(), script) || !qhost::parseScript(script, events, error)) continue;
    std::string out;
    double time = 0;
    for (const qhost::ScriptEvent& e : events) {
      if (e.time > time) ed::idle(out, std::clamp(static_cast<int>((e.time - time) / 0.015), 1, ed::kMostIdles) - 1);
      time = e.time;
      const uint8_t modifiers = (e.shift ? ed::kShift : 0) | (e.control ? ed::kControl : 0) | (e.alt ? ed::kAlt : 0);
      using Kind = qhost::ScriptEvent::Kind;
      switch (e.kind) {
        case Kind::Down: ed::mouse(out, ed::kMouseDown, e.x, e.y, modifiers); break;
        case Kind::Move: ed::mouse(out, ed::kMouseMove, e.x, e.y, modifiers); break;
        case Kind::Up: ed::mouse(out, ed::kMouseUp, e.x, e.y, modifiers); break;
        case Kind::Key: ed::key(out, e.code, modifiers); break;
        case Kind::Text: ed::text(out, ed::kText, e.text); break;
        case Kind::Menu: ed::menu(out, e.code); break;
      }
    }
    ed::idle(out, 2);
    seed("editor", file.path().stem().string(), out);
  }
  // The logo menu's every item; a key of the panel keyboard held and let go; host values.
  for (int item = 0; item <= 10; ++item) {
    std::string out;
    ed::menu(out, item);
    ed::mouse(out, ed::kMouseDown, 838, 396);
    ed::mouse(out, ed::kMouseUp, 838, 396);
    ed::idle(out, 2);
    ed::key(out, 0x1B);
    ed::idle(out, 1);
    seed("editor", "logo" + std::to_string(item), out);
  }
  std::string keys;
  ed::mouse(keys, ed::kMouseDown, 300, 600);
  ed::idle(keys, 3);
  ed::mouse(keys, ed::kMouseMove, 420, 540);
  ed::mouse(keys, ed::kMouseUp, 420, 540);
  seed("editor", "keyboard", keys);
  std::string values;
  for (int index : {1, 25, 90, 120, 177}) ed::param(values, index, 0.7);
  ed::idle(values, 2);
  seed("editor", "values", values);
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds <folder>\n");
    return 2;
  }
  gOut = argv[1];
  fs::remove_all(gOut);
  // A fresh library, made from the shipped default library.
  const std::string folder = (gOut / "library").string() + '/';
  {
    PatchLibrary lib(folder, '/');
    patchSeeds(lib);
    dumpSeeds(lib);
  }
  fs::remove_all(folder);
  mapSeeds();
  tuningSeeds();
  editorSeeds();
  std::printf("%d seeds in %s\n", gWritten, argv[1]);
  return 0;
}
