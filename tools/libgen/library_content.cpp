#include "tools/libgen/library_content.h"

#include <memory>

#include "library/dump_format.h"
#include "library/patch_group.h"
#include "params/param_table.h"

namespace libgen {
namespace {

constexpr const char* kAuthor = "Halvorsk, Inc.";
constexpr const char* kDate = "2026-12-10";

// One setting of a shipped sound: a parameter key and its plain value.
struct Setting {
  const char (&key)[5];
  double value;
};

void apply(Patch& p, std::initializer_list<Setting> settings) {
  for (const Setting& s : settings) {
    const uint32_t key = static_cast<uint32_t>(fourCharKey(s.key));
    const int32_t index = findParameterKey(static_cast<int32_t>(key));
    if (ParamTypeTable[index] == kStoreInteger)
      p.setParam(kPatchParamInteger, key, static_cast<int32_t>(s.value), 0.0, 0);
    else
      p.setParam(kPatchParamReal, key, 0, s.value, 0);
  }
}

Patch sound(const char* name, int32_t program, const char* notes,
            std::initializer_list<Setting> settings) {
  Patch p = defaultsPatch(name);
  p.author = kAuthor;
  p.date = kDate;
  p.notes = notes;
  p.programSlot = program;
  apply(p, settings);
  return p;
}

}  // namespace

Patch defaultsPatch(const std::string& name) {
  Patch p("0", name, "", '\\', kAuthor, kDate, "");
  for (int i = 1; i < kParamRecordCount; ++i) {
    const uint32_t key = static_cast<uint32_t>(ParamKeyTable[i]);
    if (key == 0) continue;  // never stored
    const double value = ParamDescTable[i].defaultValue;
    switch (ParamTypeTable[i]) {
      case kStoreInteger:
        p.setParam(kPatchParamInteger, key, static_cast<int32_t>(value), 0.0, 0);
        break;
      case kStoreReal:
        p.setParam(kPatchParamReal, key, 0, value, 0);
        break;
      default:
        p.setParam(kPatchParamCordUnplugged, key, 0, 0.0, 0);
        break;
    }
  }
  p.dirty = 0;
  return p;
}

std::string resetPatchText() {
  Patch p = defaultsPatch("Reset");
  p.notes = "Every control at its default, no cords.";
  return p.writeText();
}

std::string defaultLibraryText() {
  PatchGroup group;
  group.displayName = "Factory";
  auto category = std::make_unique<PatchCategory>();
  category->displayName = "Basics";

  // Every sound plays from the keyboard: the keyboard gates the envelopes ("shgt") and the
  // interval latch is off, so in duophonic mode two keys play two pitches.
  // Two slightly detuned oscillators, a short filter sweep, one octave down, duophonic.
  category->patches.push_back(std::make_unique<Patch>(sound(
      "Round Bass", 0, "Two detuned oscillators through a plucked low-pass filter.",
      {{"shgt", 1.0}, {"klch", 0.0}, {"vcss", 0.0}, {"mvol", 0.5},
       {"vo1c", 0.2}, {"vo2c", 0.2}, {"vo2f", 0.505}, {"vfo1", 0.8}, {"vfo2", 0.6},
       {"vffc", 0.25}, {"vffr", 0.3}, {"vfad", 0.5}, {"vfkb", 0.5}, {"enva", 0.005},
       {"envd", 0.3}, {"envs", 2.0}, {"envr", 0.1}, {"vavf", 0.9}, {"vaad", 1.0},
       {"mxva", 0.8}, {"octv", -1.0}})));
  // A bright narrow pulse with resonance, vibrato and glide, duophonic, at the key's pitch.
  category->patches.push_back(std::make_unique<Patch>(sound(
      "Singing Lead", 1, "Resonant pulse lead with delayed vibrato and glide.",
      {{"shgt", 1.0}, {"klch", 0.0}, {"vcss", 0.0}, {"mvol", 0.6},
       {"vo1c", 0.1}, {"vo2c", 0.1}, {"vo2f", 0.52}, {"vo2p", 0.3}, {"vfo1", 0.7},
       {"vfo2", 0.7}, {"vffc", 0.45}, {"vffr", 0.6}, {"vfad", 0.3}, {"vfkb", 0.8},
       {"enva", 0.01}, {"envd", 0.5}, {"envs", 6.0}, {"envr", 0.3}, {"vavf", 0.9},
       {"vaad", 1.0}, {"mxva", 0.8}, {"vibp", 0.2}, {"vibd", 0.5}, {"port", 0.05},
       {"mxrl", 0.2}, {"mxrr", 0.2}})));
  // Three oscillators (the third an octave up), slow envelope, pulse width modulation and
  // reverb, five voices.
  category->patches.push_back(std::make_unique<Patch>(sound(
      "Slow Pad", 2, "Three oscillators, slow swell and long release in the reverb.",
      {{"shgt", 1.0}, {"klch", 0.0}, {"mvol", 0.5},
       {"vo1c", 0.1}, {"vo2c", 0.1}, {"vo2f", 0.51}, {"vo3c", 0.2}, {"vo3f", 0.49},
       {"vo2m", 0.3}, {"vfo1", 0.5}, {"vfo2", 0.5}, {"vfo3", 0.5}, {"vffc", 0.35},
       {"vffr", 0.2}, {"vfad", 0.4}, {"vfkb", 0.5}, {"enva", 1.5}, {"envd", 2.0},
       {"envs", 7.0}, {"envr", 3.0}, {"vavf", 0.8}, {"vaad", 1.0}, {"mxva", 0.7},
       {"mxrl", 0.6}, {"mxrr", 0.6}, {"vcss", 4.0}})));
  for (const auto& p : category->patches) category->labels.push_back(p->name);
  group.appendCategory(std::move(category));

  std::string out(dump::kHeader);
  dump::appendLine(out, dump::kMultiGroup, "1");
  group.appendDump(out);
  dump::appendLine(out, dump::kEndMultiGroup);
  return out;
}

}  // namespace libgen
