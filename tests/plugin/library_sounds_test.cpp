// Every sound of the shipped library, played as a musician first plays it: a fresh library
// made from the shipped archive, the sound chosen by bank select and program change, the
// chords and keys its notes name ("Voicing:") and single keys 36, 60 and 96, all at
// velocity 127 with the sound's own voice count. Sounds whose notes say what to feed them
// ("Feed:") run in the effect build with a test signal at the audio inputs. Each take must be
// finite and peak at or below -1 dBFS; the voicing must sound; the single-key loudness of
// all sounds lies within 6 dB; and every sound differs from every other one by a spectral
// and envelope distance of a short phrase.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "library/dump_format.h"
#include "library/patch.h"
#include "platform/textfile.h"
#include "plugin/entry_point.h"
#include "params/param_table.h"
#include "plugin_patch_test_util.h"
#include "tools/mbgen/minblep_gen.h"

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 512;
constexpr double kPeakLimit = 0.891;     // -1 dBFS
constexpr double kLoudnessSpan = 1.995;  // 6 dB
constexpr double kSoundingRms = 0.01;    // -40 dBFS
constexpr double kNoteStart = 0.4;       // after the patch change's fade out and in
constexpr double kHold = 2.5;
constexpr double kTail = 1.5;
constexpr int kSingleKeys[] = {36, 60, 96};

// --- The shipped sounds -------------------------------------------------------------------

struct Sound {
  int group = 0;
  std::string groupName, name;
  int program = -1;
  int voices = 0;
  bool fed = false;  // processes the audio inputs: played in the effect build with a signal
  std::vector<std::vector<int>> voicings;
  std::string voicingError;
};

// "C4" is key 60; sharps with '#', flats with 'b'.
int keyOfName(const std::string& name) {
  static const std::map<char, int> kPitch = {{'C', 0}, {'D', 2}, {'E', 4}, {'F', 5},
                                             {'G', 7}, {'A', 9}, {'B', 11}};
  if (name.size() < 2 || kPitch.count(name[0]) == 0) return -1;
  int pitch = kPitch.at(name[0]);
  std::size_t at = 1;
  if (name[at] == '#') ++pitch, ++at;
  else if (name[at] == 'b') --pitch, ++at;
  try {
    std::size_t used = 0;
    const int octave = std::stoi(name.substr(at), &used);
    if (at + used != name.size()) return -1;
    const int key = 12 * (octave + 1) + pitch;
    return key >= 0 && key <= 127 ? key : -1;
  } catch (...) {
    return -1;
  }
}

// The line of the notes that starts with the label, without it; empty when there is none.
std::string notesLine(const std::string& notes, const std::string& label) {
  std::istringstream lines(notes);
  std::string line;
  while (std::getline(lines, line))
    if (line.rfind(label, 0) == 0) return line.substr(label.size());
  return {};
}

// "Voicing: A2+E3+A3, C4" plays A2, E3 and A3 together, then C4 alone.
void readVoicings(Sound& s, const std::string& notes) {
  std::stringstream list(notesLine(notes, "Voicing:"));
  std::string chord;
  while (std::getline(list, chord, ',')) {
    std::vector<int> keys;
    std::stringstream names(chord);
    std::string name;
    while (std::getline(names, name, '+')) {
      name.erase(0, name.find_first_not_of(' '));
      name.erase(name.find_last_not_of(" .") + 1);
      const int key = keyOfName(name);
      if (key < 0) s.voicingError = "bad key name \"" + name + "\"";
      keys.push_back(key);
    }
    if (!keys.empty()) s.voicings.push_back(keys);
  }
  if (s.voicings.empty() && s.voicingError.empty()) s.voicingError = "the notes name no voicing";
}

std::vector<Sound> shippedSounds() {
  std::string text;
  platform::readBinaryFile(std::string(QV_SOURCE_DIR) + "/resources/library/defaultLibrary", text);
  std::string_view body;
  std::vector<Sound> sounds;
  if (!dump::readHeader(text, body)) return sounds;
  const dump::Content content = dump::parse(body);
  int group = 0;
  for (const dump::Section& section : content.sections) {
    for (const dump::GroupBlock& g : section.groups) {
      for (const dump::CategoryBlock& c : g.categories) {
        for (const dump::PatchBlock& b : c.patches) {
          const Patch p("0", b.name, "", '/', b.text.data(), b.text.size());
          Sound s;
          s.group = group;
          s.groupName = g.name;
          s.name = b.name;
          s.program = p.programSlot;
          for (const PatchParam& q : p.params)
            if (q.key == static_cast<uint32_t>(fourCharKey("vcss"))) s.voices = q.intValue;
          s.fed = !notesLine(p.notes, "Feed:").empty();
          readVoicings(s, p.notes);
          sounds.push_back(s);
        }
      }
      ++group;
    }
  }
  return sounds;
}

const std::vector<Sound>& sounds() {
  static const std::vector<Sound> all = shippedSounds();
  return all;
}

// --- Playing a sound ----------------------------------------------------------------------

// The host: version 2400 and a running transport at 120 beats per minute in 4/4.
double gSamplePos = 0.0;
VstTimeInfo gTime{};

intptr_t VSTCALLBACK soundHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  if (opcode == audioMasterVersion) return 2400;
  if (opcode != audioMasterGetTime) return 0;
  gTime = VstTimeInfo{};
  gTime.samplePos = gSamplePos;
  gTime.sampleRate = kRate;
  gTime.ppqPos = gSamplePos / kRate * 2.0;
  gTime.tempo = 120.0;
  gTime.barStartPos = std::floor(gTime.ppqPos / 4.0) * 4.0;
  gTime.timeSigNumerator = 4;
  gTime.timeSigDenominator = 4;
  gTime.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
  return reinterpret_cast<intptr_t>(&gTime);
}

// The signal fed to a sound that processes its inputs: a bass line of sawtooth notes at
// 110 and 165 Hz, one every quarter second, each falling away, peaking at 0.5 (-6 dBFS).
float feedSample(int64_t frame) {
  const double t = static_cast<double>(frame) / kRate;
  const double step = std::fmod(t, 0.25);
  const double f = static_cast<int>(t / 0.25) % 2 == 0 ? 110.0 : 165.0;
  const double phase = std::fmod(t * f, 1.0);
  return static_cast<float>(0.5 * std::exp(-step / 0.12) * (2.0 * phase - 1.0));
}

struct Take {
  std::vector<float> left, right;
  bool finite = true;
  double peak = 0.0;
  double rms = 0.0;  // both channels, over the first second from the note on
};

// A fresh instance on the shipped library, switched to the sound, plays the keys together
// at velocity 127 from kNoteStart for kHold seconds, then lets them ring out.
Take play(const Sound& s, const std::vector<int>& keys) {
  gSamplePos = 0.0;
  AEffect* effect = createQuorvaneEffect(soundHost, s.fed ? kEffectIdentity : kInstrumentIdentity);
  effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
  effect->dispatcher(effect, effSetBlockSize, 0, kBlock, nullptr, 0.0f);
  effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
  effect->dispatcher(effect, effStartProcess, 0, 0, nullptr, 0.0f);
  plugintest::sendMidi(effect, {{0xB0, 0, static_cast<unsigned char>(s.group)},
                                {0xC0, static_cast<unsigned char>(s.program), 0}});
  const int frames = static_cast<int>((kNoteStart + kHold + kTail) * kRate);
  const int on = static_cast<int>(kNoteStart * kRate);
  const int off = static_cast<int>((kNoteStart + kHold) * kRate);
  Take take;
  take.left.resize(static_cast<std::size_t>(frames));
  take.right.resize(static_cast<std::size_t>(frames));
  std::vector<float> inLeft(kBlock), inRight(kBlock);
  for (int at = 0; at < frames; at += kBlock) {
    const int n = std::min(kBlock, frames - at);
    std::vector<plugintest::Midi> events;
    for (int edge : {on, off}) {
      if (edge < at || edge >= at + n) continue;
      for (int key : keys)
        events.push_back({static_cast<unsigned char>(edge == on ? 0x90 : 0x80), static_cast<unsigned char>(key),
                          static_cast<unsigned char>(edge == on ? 127 : 0), edge - at});
    }
    if (!events.empty()) plugintest::sendMidi(effect, events);
    for (int i = 0; i < n; ++i) inLeft[i] = inRight[i] = s.fed ? feedSample(at + i) : 0.0f;
    float* inputs[] = {inLeft.data(), inRight.data()};
    float* outputs[] = {take.left.data() + at, take.right.data() + at};
    effect->processReplacing(effect, inputs, outputs, n);
    gSamplePos += n;
    // The host's idle call between blocks, as a DAW's GUI thread makes it: the plug-in
    // finishes a program change there (the sound's own MIDI-map sources and texts).
    effect->dispatcher(effect, effIdle, 0, 0, nullptr, 0.0f);
  }
  effect->dispatcher(effect, effStopProcess, 0, 0, nullptr, 0.0f);
  effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);

  double energy = 0.0;
  for (int i = 0; i < frames; ++i) {
    for (float x : {take.left[i], take.right[i]}) {
      if (!std::isfinite(x)) take.finite = false;
      else take.peak = std::max(take.peak, static_cast<double>(std::fabs(x)));
      if (i >= on && i < on + kRate && std::isfinite(x)) energy += static_cast<double>(x) * x;
    }
  }
  take.rms = std::sqrt(energy / (2.0 * kRate));
  return take;
}

// --- Telling sounds apart -------------------------------------------------------------------

// A phrase's fingerprint in dB: third-octave band levels from 40 Hz to 16 kHz relative to
// the strongest band, then the loudness of tenth-second frames relative to the loudest
// frame; everything held above -60 dB.
std::vector<double> fingerprint(const Take& take) {
  constexpr std::size_t kFrame = 2048;
  const int first = static_cast<int>(kNoteStart * kRate);
  const int last = std::min<int>(static_cast<int>(take.left.size()), first + 2 * kRate);
  std::vector<double> power(kFrame / 2, 0.0);
  for (int at = first; at + static_cast<int>(kFrame) <= last; at += static_cast<int>(kFrame)) {
    std::vector<std::complex<double>> a(kFrame);
    for (std::size_t i = 0; i < kFrame; ++i) {
      const double hann = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / kFrame);
      a[i] = hann * (take.left[at + i] + take.right[at + i]);
    }
    mbgen::fft(a, false);
    for (std::size_t k = 0; k < kFrame / 2; ++k) power[k] += std::norm(a[k]);
  }
  std::vector<double> bands;
  for (double centre = 40.0; centre < 16000.0; centre *= std::pow(2.0, 1.0 / 3.0)) {
    double sum = 1e-12;
    for (std::size_t k = 1; k < kFrame / 2; ++k) {
      const double f = static_cast<double>(k) * kRate / kFrame;
      if (f >= centre * std::pow(2.0, -1.0 / 6.0) && f < centre * std::pow(2.0, 1.0 / 6.0)) sum += power[k];
    }
    bands.push_back(10.0 * std::log10(sum));
  }
  const double loudest = *std::max_element(bands.begin(), bands.end());
  std::vector<double> print;
  for (double b : bands) print.push_back(std::max(b - loudest, -60.0));
  std::vector<double> frames;
  for (int at = first; at + kRate / 10 <= last; at += kRate / 10) {
    double e = 1e-12;
    for (int i = at; i < at + kRate / 10; ++i) e += take.left[i] * take.left[i] + take.right[i] * take.right[i];
    frames.push_back(10.0 * std::log10(e));
  }
  const double top = *std::max_element(frames.begin(), frames.end());
  for (double f : frames) print.push_back(std::max(f - top, -60.0));
  return print;
}

// Root-mean-square difference of two fingerprints, in dB.
double distance(const std::vector<double>& a, const std::vector<double>& b) {
  double sum = 0.0;
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
  return n ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
}

// Two phrases apart by less than this many dB count as the same sound.
constexpr double kDistinct = 2.0;

// --- Measurements, made once for every sound -----------------------------------------------

struct Measured {
  std::vector<Take> voicings;
  std::vector<Take> singles;
  double loudness = 0.0;  // quadratic mean of the single keys' first-second RMS
  std::vector<double> print;
};

class ShippedSounds : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // A fresh library of this process's own: the first instance makes it from the shipped
    // archive.
    const char* env = std::getenv("QUORVANE_DATA_DIR");
    folder_ = std::filesystem::path(env && *env ? env : std::filesystem::temp_directory_path().string()) /
              ("shipped-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    setenv("QUORVANE_DATA_DIR", folder_.string().c_str(), 1);
    measured_ = new std::vector<Measured>();
    for (const Sound& s : sounds()) {
      Measured m;
      for (const auto& keys : s.voicings) m.voicings.push_back(play(s, keys));
      double power = 0.0;
      for (int key : kSingleKeys) {
        m.singles.push_back(play(s, {key}));
        power += m.singles.back().rms * m.singles.back().rms;
      }
      m.loudness = std::sqrt(power / std::size(kSingleKeys));
      m.print = fingerprint(m.singles[1]);  // key 60
      if (!m.voicings.empty()) {
        const std::vector<double> chord = fingerprint(m.voicings[0]);
        m.print.insert(m.print.end(), chord.begin(), chord.end());
      }
      measured_->push_back(std::move(m));
    }
  }
  static void TearDownTestSuite() {
    delete measured_;
    measured_ = nullptr;
    std::filesystem::remove_all(folder_);
  }
  static std::vector<Measured>* measured_;
  static std::filesystem::path folder_;
};
std::vector<Measured>* ShippedSounds::measured_ = nullptr;
std::filesystem::path ShippedSounds::folder_;

double dbfs(double x) { return 20.0 * std::log10(std::max(x, 1e-9)); }

std::string keyList(const std::vector<int>& keys) {
  std::string out;
  for (int k : keys) out += (out.empty() ? "" : "+") + std::to_string(k);
  return out;
}

TEST(ShippedLibrary, EverySoundNamesItsVoicingAndProgram) {
  ASSERT_GE(sounds().size(), 3u);
  std::map<std::pair<int, int>, std::string> programs;
  for (const Sound& s : sounds()) {
    EXPECT_TRUE(s.voicingError.empty()) << s.name << ": " << s.voicingError;
    EXPECT_GE(s.program, 0) << s.name;
    EXPECT_TRUE(programs.emplace(std::make_pair(s.group, s.program), s.name).second)
        << s.name << " shares program " << s.program << " in " << s.groupName;
    for (const auto& chord : s.voicings) {
      const int allowed = s.voices == 0 ? 2 : s.voices + 1;
      EXPECT_LE(static_cast<int>(chord.size()), allowed) << s.name << " names a chord its voices cannot play";
    }
  }
}

TEST_F(ShippedSounds, EveryTakeIsFiniteAndKeepsHeadroom) {
  // One line per sound: its single-key loudness (and each key's RMS), then the peak of each
  // take (keys 36, 60 and 96, then each voicing), all in dBFS.
  std::printf("%-22s %6s (%s) | %s\n", "sound", "rms", "36 60 96", "peaks: 36 60 96 | voicings");
  for (std::size_t i = 0; i < sounds().size(); ++i) {
    const Sound& s = sounds()[i];
    const Measured& m = (*measured_)[i];
    std::string peaks;
    for (std::size_t v = 0; v < m.voicings.size(); ++v) {
      const Take& t = m.voicings[v];
      EXPECT_TRUE(t.finite) << s.name << " voicing " << keyList(s.voicings[v]);
      EXPECT_LE(t.peak, kPeakLimit) << s.name << " voicing " << keyList(s.voicings[v]);
      EXPECT_GE(t.rms, kSoundingRms) << s.name << " is silent on " << keyList(s.voicings[v]);
    }
    for (std::size_t k = 0; k < m.singles.size(); ++k) {
      EXPECT_TRUE(m.singles[k].finite) << s.name << " key " << kSingleKeys[k];
      EXPECT_LE(m.singles[k].peak, kPeakLimit) << s.name << " key " << kSingleKeys[k];
    }
    char figure[16];
    for (std::size_t k = 0; k < m.singles.size() + m.voicings.size(); ++k) {
      const Take& t = k < m.singles.size() ? m.singles[k] : m.voicings[k - m.singles.size()];
      std::snprintf(figure, sizeof figure, "%s%.1f", k == m.singles.size() ? " | " : " ", dbfs(t.peak));
      peaks += figure;
    }
    std::printf("%-22s %6.1f (%.1f %.1f %.1f) |%s\n", s.name.c_str(), dbfs(m.loudness), dbfs(m.singles[0].rms),
                dbfs(m.singles[1].rms), dbfs(m.singles[2].rms), peaks.c_str());
  }
}

TEST_F(ShippedSounds, SingleKeyLoudnessLiesWithinSixDecibels) {
  ASSERT_FALSE(measured_->empty());
  std::size_t quiet = 0, loud = 0;
  for (std::size_t i = 0; i < measured_->size(); ++i) {
    if ((*measured_)[i].loudness < (*measured_)[quiet].loudness) quiet = i;
    if ((*measured_)[i].loudness > (*measured_)[loud].loudness) loud = i;
  }
  EXPECT_LE((*measured_)[loud].loudness, kLoudnessSpan * (*measured_)[quiet].loudness)
      << sounds()[loud].name << " at " << dbfs((*measured_)[loud].loudness) << " dBFS against "
      << sounds()[quiet].name << " at " << dbfs((*measured_)[quiet].loudness) << " dBFS";
}

TEST_F(ShippedSounds, EverySoundDiffersFromEveryOther) {
  double nearest = 1e9;
  std::string pair;
  for (std::size_t i = 0; i < measured_->size(); ++i) {
    for (std::size_t j = i + 1; j < measured_->size(); ++j) {
      const double d = distance((*measured_)[i].print, (*measured_)[j].print);
      if (d < nearest) nearest = d, pair = sounds()[i].name + " and " + sounds()[j].name;
      EXPECT_GE(d, kDistinct) << sounds()[i].name << " and " << sounds()[j].name << " sound alike";
    }
  }
  std::printf("nearest two sounds: %s, %.2f dB apart\n", pair.c_str(), nearest);
}

// The fingerprint tells a sound from itself played an octave higher, and not from itself
// played louder.
TEST(SoundFingerprint, SeesPitchAndShapeButNotLevel) {
  Take a, b, c;
  const int frames = static_cast<int>((kNoteStart + 2.0) * kRate);
  for (Take* t : {&a, &b, &c}) t->left.assign(frames, 0.0f), t->right.assign(frames, 0.0f);
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const float saw = static_cast<float>(std::fmod(t * 220.0, 1.0) - 0.5);
    const float high = static_cast<float>(std::fmod(t * 440.0, 1.0) - 0.5);
    a.left[i] = a.right[i] = saw * 0.2f;
    b.left[i] = b.right[i] = saw * 0.6f;
    c.left[i] = c.right[i] = high * 0.2f;
  }
  EXPECT_LT(distance(fingerprint(a), fingerprint(b)), 0.1);
  EXPECT_GT(distance(fingerprint(a), fingerprint(c)), kDistinct);
}

}  // namespace
