// The editor's view of the plug-in: parameters and texts, the keys as the audio thread
// publishes them, parameter changes marked for the GUI thread from any thread, and the
// patch lock the editor holds while it edits the library.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "library/patch_library.h"
#include "plugin/editor_interface.h"
#include "plugin_patch_test_util.h"

namespace plugintest {
namespace {

// An editor that keeps the default wait-free notification and shows what it marked.
class MarkingEditor : public ParameterEditor {
 public:
  using ParameterEditor::ParameterEditor;
  std::vector<int> taken() {
    std::vector<int> indexes;
    takeChangedParameters([&](int index) { indexes.push_back(index); });
    return indexes;
  }
};

MarkingEditor* gEditor = nullptr;
ParameterEditor* makeMarkingEditor(Quorvane_VSTEdit& plugin) { return gEditor = new MarkingEditor(&plugin); }

void runBlock(AEffect* e) {
  std::vector<float> left(64), right(64);
  float* outputs[] = {left.data(), right.data()};
  e->processReplacing(e, nullptr, outputs, 64);
}

}  // namespace

TEST(EditorInterface, ParametersAndTheirTexts) {
  Instance in;
  EditorInterface editor(in.plugin());
  editor.setParameter(kParamVcfResonance, 0.25f);
  EXPECT_FLOAT_EQ(editor.getParameter(kParamVcfResonance), 0.25f);
  EXPECT_EQ(countHostCalls(audioMasterAutomate), 1) << "the host is told of a panel edit";
  editor.setParameterReal(kParamVoices, 4.0f);
  EXPECT_EQ(in.plugin().paramValue(kParamVoices), 4.0f);
  EXPECT_EQ(countHostCalls(audioMasterAutomate), 1) << "a plain value from the panel is not reported";
  EXPECT_EQ(editor.parameterName(kParamVcfResonance), "VCF Resonance");
  EXPECT_EQ(editor.parameterLabel(kParamVcfResonance), "Q");
  EXPECT_EQ(editor.parameterDisplay(kParamVcfResonance), "0.250000");
  EXPECT_EQ(editor.parameterName(179), "");
  EXPECT_EQ(editor.getParameter(0), 0.0f);
}

// Keys played by MIDI appear in the published snapshot after the block that played them,
// read from another thread; released keys leave it.
TEST(EditorInterface, KeysArePublishedOncePerBlock) {
  Instance in;
  in.dispatch(effMainsChanged, 0, 1);
  EditorInterface editor(in.plugin());
  in.plugin().setParameterReal(kParamVoices, 2.0f);
  runBlock(in.effect());
  sendMidi(in.effect(), {{0x90, 60, 100, 0}, {0x90, 64, 90, 0}});
  EXPECT_FALSE(editor.keys().held[60]) << "nothing is published before the block";
  runBlock(in.effect());
  KeySnapshot seen;
  std::thread([&] { seen = editor.keys(); }).join();
  EXPECT_TRUE(seen.held[60]);
  EXPECT_TRUE(seen.held[64]);
  EXPECT_FALSE(seen.held[62]);
  int playing = 0;
  for (int v = 0; v < kPublishedVoices; ++v) playing += seen.voiceKey[v] == 60 || seen.voiceKey[v] == 64;
  EXPECT_EQ(playing, 2);
  sendMidi(in.effect(), {{0x80, 60, 0, 0}});
  runBlock(in.effect());
  EXPECT_FALSE(editor.keys().held[60]);
  EXPECT_TRUE(editor.keys().held[64]);
}

// A reader on another thread while the audio thread publishes: clean under ThreadSanitizer,
// and every snapshot shows a key that stays held.
TEST(EditorInterface, KeySnapshotsWhileTheAudioThreadRuns) {
  Instance in;
  in.dispatch(effMainsChanged, 0, 1);
  EditorInterface editor(in.plugin());
  sendMidi(in.effect(), {{0x90, 48, 100, 0}});
  runBlock(in.effect());
  std::atomic<bool> done{false};
  std::thread audio([&] {
    for (int b = 0; b < 300; ++b) {
      sendMidi(in.effect(), {{0x90, static_cast<unsigned char>(60 + b % 12), 100, 0}, {0x80, static_cast<unsigned char>(60 + (b + 6) % 12), 0, 0}});
      runBlock(in.effect());
    }
    done = true;
  });
  int missing = 0;
  while (!done.load()) missing += editor.keys().held[48] ? 0 : 1;
  audio.join();
  EXPECT_EQ(missing, 0);
}

// The audio thread tells the editor of a controller's parameter change; the editor only
// marks it, and its GUI thread takes the mark.
TEST(EditorInterface, ParameterChangesFromTheAudioThreadAreMarked) {
  Instance in(kInstrumentIdentity, makeMarkingEditor);
  in.dispatch(effMainsChanged, 0, 1);
  ASSERT_NE(gEditor, nullptr);
  gEditor->taken();  // the start-up values
  MidiMapEntry entry = blankMidiMapEntry(kParamVcfCoarse);
  entry.controller = 74;
  entry.sourceBits = kMidiBitController;
  in.plugin().midiMap().setEntry(0, entry);
  sendMidi(in.effect(), {{0xB0, 74, 90, 0}});
  runBlock(in.effect());
  EXPECT_EQ(gEditor->taken(), std::vector<int>{kParamVcfCoarse});
  EXPECT_TRUE(gEditor->taken().empty());
}

// While the editor holds the patch lock, a chunk set on a host thread waits for it.
TEST(EditorInterface, PatchHoldKeepsChunkLoadsOut) {
  Instance in;
  void* data = nullptr;
  const auto size = in.dispatch(effGetChunk, 0, 0, &data);
  ASSERT_GT(size, 0);
  const std::string chunk(static_cast<const char*>(data), static_cast<size_t>(size));
  EditorInterface editor(in.plugin());
  std::atomic<bool> loaded{false};
  std::thread host;
  {
    EditorInterface::PatchHold hold(editor);
    ASSERT_NE(hold.library(), nullptr);
    EXPECT_EQ(hold.library(), in.plugin().library());
    host = std::thread([&] {
      in.dispatch(effSetChunk, 0, static_cast<intptr_t>(chunk.size()), const_cast<char*>(chunk.data()));
      loaded = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(loaded.load());
  }
  host.join();
  EXPECT_TRUE(loaded.load());
}

}  // namespace plugintest
