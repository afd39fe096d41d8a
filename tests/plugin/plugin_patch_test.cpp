// The patch bridge: chunk round trips, hostile chunks, what applying and collecting a record
// do with unusual entries, the lock and save buttons, and the patch change while audio runs.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>

#include "params/param_convert.h"
#include "platform/files.h"
#include "platform/headless.h"
#include "platform/textfile.h"
#include "plugin_patch_test_util.h"

namespace plugintest {
namespace {

constexpr int kVcfCoarse = 23;
constexpr int kMasterVolume = 75;

// A chunk with fan-out from the Multiple, a velocity source and notes of several lines.
std::string richChunk(Quorvane_VST& plugin) {
  plugin.changePatch(kChangeResetPatch, false);
  Patch p;
  p.readText(chunkText(plugin));
  p.setParam(kPatchParamReal, static_cast<uint32_t>(fourCharKey("vffc")), 0, 0.4, 0);
  p.setParam(kPatchParamCord, static_cast<uint32_t>(fourCharKey("mlt1")), 0, 0.0,
             static_cast<uint32_t>(fourCharKey("pl58")));
  p.setParam(kPatchParamCord, static_cast<uint32_t>(fourCharKey("mlt2")), 0, 0.0,
             static_cast<uint32_t>(fourCharKey("kbcv")));
  p.setParam(kPatchParamCord, static_cast<uint32_t>(fourCharKey("mlt4")), 0, 0.0,
             static_cast<uint32_t>(fourCharKey("pl58")));
  MidiMapEntry velocity = blankMidiMapEntry(kVcfCoarse);
  velocity.sourceBits = kMidiBitVelocity;
  velocity.range[kMidiSourceVelocity] = {20.0f, 100.0f};
  velocity.curve[kMidiSourceVelocity] = kMidiCurveExponential;
  p.clearMidiMapEntries();
  p.addMidiMapEntry(velocity);
  p.name = "Rich";
  p.notes = "first line\nsecond line\n\nfourth line";
  return p.writeText();
}

TEST(PluginChunk, RoundTripThroughAFreshInstance) {
  Instance a;
  loadChunk(a.plugin(), richChunk(a.plugin()));
  const std::string first = chunkText(a.plugin());
  EXPECT_NE(first.find("mlt1 = pl58"), std::string::npos);
  EXPECT_NE(first.find("mlt4 = pl58"), std::string::npos);
  EXPECT_NE(first.find("mlt2 = kbcv"), std::string::npos);
  EXPECT_NE(first.find("first line\nsecond line\n\nfourth line"), std::string::npos);
  EXPECT_FLOAT_EQ(a.plugin().paramValue(kVcfCoarse), 0.4f);
  MidiMapEntry e;
  ASSERT_TRUE(a.plugin().midiMap().findByParameter(kVcfCoarse, e));
  EXPECT_EQ(e.sourceBits & kMidiBitVelocity, kMidiBitVelocity);
  EXPECT_EQ(e.range[kMidiSourceVelocity].low, 20.0f);

  Instance b;
  loadChunk(b.plugin(), first);
  EXPECT_EQ(chunkText(b.plugin()), first);
}

// A chord rendered from the instance's present state: 40 blocks of the left output.
std::vector<float> chordOutput(Instance& in) {
  std::vector<float> out, left(256), right(256);
  float* outputs[] = {left.data(), right.data()};
  sendMidi(in.effect(), {{0x90, 48, 100}, {0x90, 60, 90}, {0x90, 67, 80}});
  for (int b = 0; b < 40; ++b) {
    in.effect()->processReplacing(in.effect(), nullptr, outputs, 256);
    out.insert(out.end(), left.begin(), left.end());
  }
  return out;
}

// A patch loaded from a chunk sounds the same whatever the instance played before: an
// instance whose VCO keyboard switch was turned off ahead of the load (its VCO left at the
// free-running base with its phase set) renders exactly as a fresh instance given the chunk.
TEST(PluginChunk, LoadSoundsTheSameWhateverCameBefore) {
  const struct {
    int index;  // keyboard control of VCO 1 or 2
    float value;
  } kCases[] = {{58, 0.471f}, {59, 0.0f}};
  for (const auto& c : kCases) {
    Instance used, fresh;
    for (Instance* in : {&used, &fresh}) in->dispatch(effMainsChanged, 0, 1);
    used.effect()->setParameter(used.effect(), c.index, c.value);
    const std::string saved = chunkText(used.plugin());
    loadChunk(fresh.plugin(), saved);
    loadChunk(used.plugin(), saved);
    ASSERT_EQ(chunkText(fresh.plugin()), saved);
    const std::vector<float> a = chordOutput(used), b = chordOutput(fresh);
    std::size_t same = 0;
    while (same < a.size() && a[same] == b[same]) ++same;
    EXPECT_EQ(same, a.size()) << "parameter " << c.index << " = " << c.value << ": the outputs part at sample "
                              << same;
  }
}

TEST(PluginChunk, HostileBytesLeaveThePreviousState) {
  Instance in;
  loadChunk(in.plugin(), richChunk(in.plugin()));
  const std::string before = chunkText(in.plugin());
  const std::string hostile[] = {
      std::string("\x01\xff garbage \x7f\x80", 14),
      before.substr(0, before.size() / 2),  // cut off: no notes record
      std::string(4 << 20, 'x'),
      std::string(1000, '\0'),
  };
  for (const std::string& bytes : hostile) {
    loadChunk(in.plugin(), bytes);
    EXPECT_EQ(chunkText(in.plugin()), before);
    EXPECT_FLOAT_EQ(in.plugin().paramValue(kVcfCoarse), 0.4f);
  }
  in.plugin().setChunk(nullptr, 100, false);
  EXPECT_EQ(chunkText(in.plugin()), before);
}

// Applies a session record built by hand, at once.
void applySession(Quorvane_VST& plugin, const Patch& record) {
  plugin.library()->sessionPatch = record;
  plugin.changePatch(kChangeSessionPatch, false);
}

TEST(PluginApply, UnusualEntries) {
  Instance in;
  Patch r;
  PatchParam bypassByKeyZero;  // key 0 must not find Master Bypass
  bypassByKeyZero.kind = kPatchParamInteger;
  bypassByKeyZero.intValue = 0;
  r.params.push_back(bypassByKeyZero);
  r.setParam(kPatchParamInteger, static_cast<uint32_t>(fourCharKey("mvol")), 1, 0.0, 0);
  r.setParam(kPatchParamCord, static_cast<uint32_t>(fourCharKey("mlt1")), 0, 0.0,
             static_cast<uint32_t>(fourCharKey("zzzz")));
  r.beatSettings[1] = 0;
  r.beatSettings[3] = -5;
  applySession(in.plugin(), r);
  EXPECT_EQ(in.plugin().paramValue(kParamMasterBypass), 1.0f) << "not bypassed";
  EXPECT_EQ(in.plugin().paramValue(kMasterVolume), 1.0f) << "an integer mvol";
  EXPECT_EQ(in.plugin().paramValue(kParamCordMultiple4), 0.0f) << "a cord to no jack is refused";
  EXPECT_EQ(in.plugin().paramValue(kParamClockPulses), 1.0f);
  EXPECT_EQ(in.plugin().paramValue(kParamLfoPulses), 1.0f);

  r.params.clear();
  r.setParam(kPatchParamReal, static_cast<uint32_t>(fourCharKey("mvol")), 0, 0.5, 0);
  applySession(in.plugin(), r);
  EXPECT_FLOAT_EQ(in.plugin().paramValue(kMasterVolume), 0.5f);
  for (int k = 0; k < kVoiceContextCount; ++k) {
    EXPECT_FLOAT_EQ(in.plugin().engine().voice(k).normalRows[19]->target, 0.5f);
    EXPECT_FLOAT_EQ(in.plugin().engine().voice(k).normalRows[18]->target, 0.5f);
  }
}

TEST(PluginApply, CollectRebuildsTheListSoTheEditWins) {
  Instance in;
  Patch r;
  const uint32_t key = static_cast<uint32_t>(fourCharKey("vffc"));
  PatchParam twice;
  twice.key = key;
  twice.kind = kPatchParamReal;
  twice.realValue = 0.1;
  r.params.push_back(twice);
  twice.realValue = 0.9;
  r.params.push_back(twice);
  applySession(in.plugin(), r);
  in.plugin().setParameterReal(kVcfCoarse, 0.3f);
  Patch out = r;
  in.plugin().collectPatch(out);
  int found = 0;
  for (const PatchParam& p : out.params) {
    if (p.key != key) continue;
    ++found;
    EXPECT_NEAR(p.realValue, 0.3, 1e-6);
  }
  EXPECT_EQ(found, 1);
}

TEST(PluginPatchButtons, LockIsStoredAndSaveRefusesForeignStates) {
  Instance in;
  Quorvane_VST& plugin = in.plugin();
  Patch* current = plugin.library()->currentPatch();
  ASSERT_NE(current, nullptr);
  const std::string path = current->filePath();
  ASSERT_TRUE(plugin.lockPatch());
  Patch onDisk(current->fileName, "", current->folder, current->separator);
  EXPECT_EQ(onDisk.locked, 1);
  ASSERT_TRUE(plugin.unlockPatch());
  EXPECT_EQ(Patch(current->fileName, "", current->folder, current->separator).locked, 0);

  std::string bytes;
  ASSERT_TRUE(platform::readBinaryFile(path, bytes));
  plugin.changePatch(kChangeResetPatch, false);
  EXPECT_FALSE(plugin.savePatch());
  loadChunk(plugin, richChunk(plugin));
  EXPECT_FALSE(plugin.savePatch());
  std::string after;
  ASSERT_TRUE(platform::readBinaryFile(path, after));
  EXPECT_EQ(after, bytes) << "the library patch was not overwritten";
  plugin.changePatch(kChangeLibraryPatch, false);
  plugin.setParameterReal(kVcfCoarse, 0.25f);
  EXPECT_TRUE(plugin.savePatch());
  for (const PatchParam& p : Patch(current->fileName, "", current->folder, current->separator).params)
    if (p.key == static_cast<uint32_t>(fourCharKey("vffc"))) {
      EXPECT_NEAR(p.realValue, 0.25, 1e-6);
    }
}

// Records what the applying thread sees at each parameter the change sets.
struct Witness : ParameterEditor {
  explicit Witness(Quorvane_VSTEdit* plugin) : ParameterEditor(plugin), plugin_(plugin) {}
  void setParameter(int32_t, float) override {
    if (!watching.load()) return;
    ++calls;
    if (plugin_->engine().fadeGain() != 0.0f || !plugin_->engine().fadedOut()) ++heard;
  }
  Quorvane_VSTEdit* plugin_;
  std::atomic<bool> watching{false};
  std::atomic<int> calls{0};
  std::atomic<int> heard{0};
};
Witness* gWitness = nullptr;
ParameterEditor* makeWitness(Quorvane_VSTEdit& plugin) { return gWitness = new Witness(&plugin); }

TEST(PluginPatchChange, WaitingChangeWithAudioRunning) {
  Instance in(kInstrumentIdentity, makeWitness);
  in.dispatch(effMainsChanged, 0, 1);
  in.plugin().setParameterReal(kParamVoices, 2.0f);
  AudioThread audio(in.effect());
  sendMidi(in.effect(), {{0x90, 60, 90}, {0x90, 64, 33}});
  while (audio.blocks() < 20) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  gWitness->watching.store(true);
  in.plugin().changePatch(kChangeLibraryPatch, true);
  gWitness->watching.store(false);
  EXPECT_GT(gWitness->calls.load(), 100);
  EXPECT_EQ(gWitness->heard.load(), 0) << "every engine write happened while silent";
  const long after = audio.blocks();
  while (audio.blocks() < after + 40) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  audio.stop();
  EXPECT_EQ(in.plugin().noteVelocity(60), 90);
  EXPECT_EQ(in.plugin().noteVelocity(64), 33);
  EXPECT_EQ(in.plugin().noteVelocity(62), 0);
  EXPECT_EQ(in.plugin().engine().fadeGain(), 1.0f);
}

TEST(PluginPatchChange, WaitingChangeWithoutAudioIsPrompt) {
  Instance in;
  const auto start = std::chrono::steady_clock::now();
  in.plugin().changePatch(kChangeResetPatch, true);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_FALSE(in.plugin().engine().patchChangePending());
}

// A GUI change, a chunk load and chunk reads at once while the audio thread processes: the
// engine ends holding one whole record, and the output fades back in.
TEST(PluginPatchChange, ConcurrentChangesEndWhole) {
  Instance in;
  in.dispatch(effMainsChanged, 0, 1);
  const std::string chunk = richChunk(in.plugin());
  in.plugin().changePatch(kChangeLibraryPatch, false);
  Patch library = *in.plugin().library()->currentPatch();
  AudioThread audio(in.effect());
  std::thread gui([&] {
    for (int i = 0; i < 3; ++i) in.plugin().changePatch(kChangeLibraryPatch, true);
  });
  std::thread host([&] {
    for (int i = 0; i < 3; ++i) loadChunk(in.plugin(), chunk);
  });
  std::thread reader([&] {
    for (int i = 0; i < 50; ++i)
      EXPECT_NE(chunkText(in.plugin()).find("7 : PatchNotes = "), std::string::npos);
  });
  gui.join();
  host.join();
  reader.join();
  const long after = audio.blocks();
  while (audio.blocks() < after + 60) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  audio.stop();
  EXPECT_EQ(in.plugin().engine().fadeGain(), 1.0f);
  EXPECT_FALSE(in.plugin().engine().patchChangePending());
  const float vcf = in.plugin().paramValue(kVcfCoarse);
  Patch fromChunk;
  fromChunk.readText(chunk);
  const Patch& expected = std::fabs(vcf - 0.4f) < 1e-6f ? fromChunk : library;
  for (const PatchParam& p : expected.params) {
    const int index = findParameterKey(static_cast<int32_t>(p.key));
    if (index <= 0 || index == kMasterVolume) continue;
    if (p.kind == kPatchParamReal) {
      EXPECT_NEAR(in.plugin().paramValue(index), p.realValue, 1e-5) << index;
    }
    if (p.kind == kPatchParamCordUnplugged) {
      EXPECT_EQ(in.plugin().paramValue(index), 0.0f) << index;
    }
  }
}

// Without a data folder the library cannot be had: the plug-in says so and stays silent,
// and nothing is written anywhere else.
TEST(PluginStartUp, NoLibraryMeansASilentPlugin) {
  const std::string saved = std::getenv("QUORVANE_DATA_DIR");
  const std::string file = saved + "/not-a-folder";
  ASSERT_TRUE(platform::replaceFile(file, "x"));
  const std::string cases[] = {saved + "/" + std::string(300, 'd'), file + "/inside"};
  for (const std::string& folder : cases) {
    setenv("QUORVANE_DATA_DIR", folder.c_str(), 1);
    platform::headless::clearShownMessages();
    {
      Instance in;
      in.dispatch(effMainsChanged, 0, 1);
      const auto shown = platform::headless::shownMessages();
      ASSERT_FALSE(shown.empty());  // a folder that cannot be made also has the library report why
      EXPECT_EQ(shown.back().text, "library NOT loaded");
      EXPECT_EQ(shown.back().caption, "");
      EXPECT_FALSE(in.plugin().isReady());
      EXPECT_EQ(in.plugin().library(), nullptr);
      sendMidi(in.effect(), {{0x90, 60, 100}, {0xC0, 1, 0}});
      std::vector<float> left(64, 1.0f), right(64, 1.0f);
      float* outputs[] = {left.data(), right.data()};
      in.effect()->processReplacing(in.effect(), nullptr, outputs, 64);
      for (float v : left) EXPECT_EQ(v, 0.0f);
      EXPECT_EQ(chunkText(in.plugin()), "");
      in.dispatch(effEditIdle);
    }
  }
  setenv("QUORVANE_DATA_DIR", saved.c_str(), 1);
  platform::headless::clearShownMessages();
}

}  // namespace
}  // namespace plugintest
