#include "plugin/note_table.h"

#include <cmath>
#include <string>

#include "library/text_numbers.h"
#include "platform/platform.h"
#include "platform/textfile.h"

namespace {

// Layout of a bulk tuning dump.
constexpr std::size_t kNameOffset = 6;
// The 16-byte name field is shown cut to 15 characters.
constexpr std::size_t kShownNameLength = 15;
constexpr std::size_t kTriplesOffset = 22;
constexpr std::size_t kEndOffset = NoteTable::kDumpSize - 1;
constexpr unsigned char kSysExStart = 0xF0;
constexpr unsigned char kNonRealTime = 0x7E;
constexpr unsigned char kTuningStandard = 0x08;
constexpr unsigned char kBulkDump = 0x01;
constexpr unsigned char kSysExEnd = 0xF7;
// A triple of three of these leaves its key as it is.
constexpr unsigned char kNoChange = 0x7F;

// Single precision throughout, as the keyboard CV modules expect.
float equalTempered(int key) {
  return 13.75f * std::pow(2.0f, static_cast<float>(key - 9) / 12.0f);
}

float cvOfFrequency(float frequency) {
  return std::log(frequency / 10.0f) / std::log(2.0f);
}

bool framed(const unsigned char* b) {
  return b[0] == kSysExStart && b[1] == kNonRealTime && b[3] == kTuningStandard &&
         b[4] == kBulkDump && b[kEndOffset] == kSysExEnd;
}

}  // namespace

NoteTable::NoteTable() {
  for (int k = 0; k < kKeyCount; ++k) referenceFrequency_[k] = equalTempered(k);
  build();
}

void NoteTable::setKey(int key, float frequency) {
  currentFrequency_[key].store(frequency, std::memory_order_relaxed);
  keyCv_[key].store(cvOfFrequency(frequency), std::memory_order_relaxed);
}

void NoteTable::build() {
  for (int k = 0; k < kKeyCount; ++k) setKey(k, referenceFrequency_[k]);
}

bool NoteTable::applyTuningDump(const unsigned char* bytes, std::size_t length) {
  if (bytes == nullptr || length != kDumpSize || !framed(bytes)) return false;
  // Everything is computed and checked before the first key changes, so a bad triple
  // anywhere leaves the whole tuning as it was.
  float tuned[kKeyCount];
  bool changes[kKeyCount];
  for (int k = 0; k < kKeyCount; ++k) {
    const unsigned char* t = bytes + kTriplesOffset + 3 * k;
    const unsigned char xx = t[0];
    const unsigned char yy = t[1] & 0x7F;
    const unsigned char zz = t[2] & 0x7F;
    changes[k] = !(xx == kNoChange && yy == kNoChange && zz == kNoChange);
    if (!changes[k]) continue;
    if (xx >= kKeyCount) return false;
    const int a = yy * 128 + zz;
    const float ratio =
        a == 0 ? 1.0f
               : std::pow(2.0f, static_cast<float>(a) * 100.0f / 16384.0f / 1200.0f);
    tuned[k] = ratio * referenceFrequency_[xx];
  }
  for (int k = 0; k < kKeyCount; ++k)
    if (changes[k]) setKey(k, tuned[k]);
  return true;
}

bool NoteTable::loadTuning(long number) {
  std::string bytes;
  if (!platform::readBinaryFile(tuningFilePath(number), bytes)) return false;
  return applyTuningDump(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

std::string tuningFilePath(long number) {
  std::string path = platform::dataFolder() + "Tunings";
  path += platform::pathSeparator();
  textio::appendInt(path, number);
  return path + ".tun";
}

std::vector<std::string> tuningNames() {
  std::vector<std::string> names;
  std::string bytes;
  for (long n = 0; platform::readBinaryFile(tuningFilePath(n), bytes); ++n) {
    // The name field is read only as far as the file holds it, up to its first zero byte.
    std::string name;
    for (std::size_t i = kNameOffset; i < kNameOffset + kShownNameLength && i < bytes.size() && bytes[i] != '\0'; ++i)
      name += bytes[i];
    if (name.empty()) {
      textio::appendInt(name, n);
      name += ".tun";
    }
    names.push_back(std::move(name));
  }
  return names;
}
