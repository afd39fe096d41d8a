// The MIDI map editor over a panel control, and the load map, save map, MIDI beat and tuning
// dialogs behind the logo menu, driven as a user drives them: Shift-clicks, clicks, keys and
// menu answers on the headless editor of a real plug-in, each test in its own data folder.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "editor/kvx_dialogs.h"
#include "editor/kvx_midimap_internals.h"
#include "gui/cauguibutton.h"
#include "gui/cauguislider.h"
#include "gui/kvxnotes.h"
#include "platform/headless.h"
#include "plugin/midi_map.h"
#include "tests/editor/editor_fixture.h"
#include "tests/plugin/data_folder_fixture.h"
#include "tests/plugin/send_midi.h"

namespace {

using editortest::Editor;

namespace hl = platform::headless;

constexpr int kResonance = 25;         // VCF Resonance: a default entry on controller 71
constexpr int kEnvelopeFollower = 2;   // no default entry
constexpr int kClockOffset = 73;

GuiPoint centre(const CAUGuiCtrl* c) {
  const GuiRect b = c->bounds();
  return {static_cast<int16_t>(b.x + b.w / 2), static_cast<int16_t>(b.y + b.h / 2)};
}

void click(CAUGuiCanvas& canvas, const CAUGuiCtrl* c, bool shift = false) {
  canvas.mouseDown(centre(c), false, shift);
  canvas.mouseUp(centre(c), false);
}

class MapDialogs : public DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    hl::clearBeeps();
  }
  // Opens the editor (after any files the test wrote) and the dialog of a logo-menu item.
  Editor& open() {
    e_ = std::make_unique<Editor>();
    EXPECT_TRUE(e_->open());
    e_->idle();
    return *e_;
  }
  void chooseFromLogoMenu(int id) {
    hl::queueMenuAnswer(id);
    e_->view().logoButton();
  }
  KVXMidiMapInternals& shiftClick(int param) {
    click(e_->canvas(), e_->control(param), true);
    return *e_->view().midiMapEditor();
  }
  MidiMapEntry entryOf(int param) {
    MidiMapEntry out{};
    EXPECT_TRUE(e_->plugin().midiMap().findByParameter(param, out)) << param;
    return out;
  }

  std::unique_ptr<Editor> e_;
};

// --- the MIDI map editor ------------------------------------------------------------------

TEST_F(MapDialogs, OpeningWithAnEntryAndOkStoresTheSameEntry) {
  Editor& e = open();
  MidiMapEntry given = blankMidiMapEntry(kResonance);
  given.channel = 4;
  given.controller = 20;
  given.sourceBits = kMidiBitController | kMidiBitVelocity | kMidiBitAftertouch | kMidiBitModWheel;
  given.range[kMidiSourceController] = {10.0f, 100.0f};
  given.range[kMidiSourceVelocity] = {0.0f, 64.0f};
  given.range[kMidiSourceModWheel] = {32.0f, 127.0f};
  given.range[kMidiSourceAftertouch] = {5.0f, 6.0f};
  given.curve[kMidiSourceController] = kMidiCurveLogarithmic;
  given.curve[kMidiSourceVelocity] = kMidiCurveExponential;
  given.curve[kMidiSourceAftertouch] = kMidiCurveLogarithmic;
  given.invert[kMidiSourceVelocity] = 1;
  given.invert[kMidiSourceModWheel] = 1;
  ASSERT_TRUE(e.plugin().midiMap().setEntry(0, given));

  KVXMidiMapInternals& d = shiftClick(kResonance);
  ASSERT_EQ(e.canvas().modal(), &d);
  EXPECT_EQ(d.title(), "Item: VCF Resonance");
  EXPECT_EQ(d.controllerEditor()->text(), "20");
  EXPECT_EQ(d.channelEditor()->text(), "5");
  // The buttons read linear, log, exp: the one whose curve the row holds shows pressed.
  const auto row = KVXMidiMapInternals::kControllerRow;
  EXPECT_EQ(d.curveButton(row, 0)->fixedValue(), kMidiCurveLinear);
  EXPECT_EQ(d.curveButton(row, 1)->fixedValue(), kMidiCurveLogarithmic);
  EXPECT_EQ(d.curveButton(row, 2)->fixedValue(), kMidiCurveExponential);
  EXPECT_EQ(d.curveButton(row, 1)->position(), kMidiCurveLogarithmic);
  EXPECT_EQ(e.canvas().keyDown(13, 0), kHandled);
  EXPECT_EQ(e.canvas().modal(), nullptr);

  const MidiMapEntry stored = entryOf(kResonance);
  EXPECT_EQ(stored.channel, given.channel);
  EXPECT_EQ(stored.controller, given.controller);
  EXPECT_EQ(stored.sourceBits, given.sourceBits);
  for (int s = 0; s < kMidiSourceCount; ++s) {
    SCOPED_TRACE(s);
    EXPECT_NEAR(stored.range[s].low, given.range[s].low, 1e-3);
    EXPECT_NEAR(stored.range[s].high, given.range[s].high, 1e-3);
    EXPECT_EQ(stored.curve[s], given.curve[s]);
    EXPECT_EQ(stored.invert[s], given.invert[s]);
  }
}

TEST_F(MapDialogs, APanelControlWithoutAnEntryOpensBlankAndGainsOneOnOk) {
  Editor& e = open();
  MidiMapEntry none{};
  ASSERT_FALSE(e.plugin().midiMap().findByParameter(kEnvelopeFollower, none));
  KVXMidiMapInternals& d = shiftClick(kEnvelopeFollower);
  EXPECT_EQ(d.controllerEditor()->text(), "0");
  EXPECT_EQ(d.channelEditor()->text(), "1");
  EXPECT_EQ(d.sourceBits(), 0u);
  for (int row = 0; row < KVXMidiMapInternals::kRowCount; ++row) {
    EXPECT_EQ(d.rangeControl(row)->low(), 0.0f);
    EXPECT_EQ(d.rangeControl(row)->high(), 1.0f);
    EXPECT_EQ(d.curveButton(row, 0)->position(), kMidiCurveLinear);
  }
  // Velocity on, the exp button of its row, then OK.
  click(e.canvas(), d.enableBox(KVXMidiMapInternals::kVelocityRow));
  click(e.canvas(), d.curveButton(KVXMidiMapInternals::kVelocityRow, 2));
  click(e.canvas(), d.okButton());
  EXPECT_EQ(e.canvas().modal(), nullptr);
  const MidiMapEntry stored = entryOf(kEnvelopeFollower);
  EXPECT_EQ(stored.sourceBits, kMidiBitVelocity);
  EXPECT_EQ(stored.curve[kMidiSourceVelocity], kMidiCurveExponential);
}

TEST_F(MapDialogs, ShiftClickBeyondTheMappableParametersActsNormally) {
  Editor& e = open();
  click(e.canvas(), e.control(119), true);  // a jack: parameters from 79 on map nothing
  EXPECT_EQ(e.canvas().modal(), nullptr);
  EXPECT_EQ(e.canvas().midiLearnTarget(), nullptr);
}

TEST_F(MapDialogs, CancelDiscardsEveryChange) {
  Editor& e = open();
  const MidiMapEntry before = entryOf(kResonance);
  KVXMidiMapInternals& d = shiftClick(kResonance);
  click(e.canvas(), d.invertBox(KVXMidiMapInternals::kControllerRow));
  d.controllerEditor()->setText("99");
  EXPECT_EQ(e.canvas().keyDown(27, 0), kHandled);
  EXPECT_EQ(e.canvas().modal(), nullptr);
  const MidiMapEntry after = entryOf(kResonance);
  EXPECT_EQ(after.controller, before.controller);
  EXPECT_EQ(after.invert[kMidiSourceController], before.invert[kMidiSourceController]);
}

TEST_F(MapDialogs, ADisabledSourceAreaTakesNoClicksAndOkLeavesItsBitOff) {
  Editor& e = open();
  KVXMidiMapInternals& d = shiftClick(kEnvelopeFollower);
  const KVXMidiMapInternals::Row rows[] = {KVXMidiMapInternals::kControllerRow, KVXMidiMapInternals::kVelocityRow,
                                           KVXMidiMapInternals::kAftertouchRow, KVXMidiMapInternals::kModWheelRow};
  for (KVXMidiMapInternals::Row row : rows) {
    SCOPED_TRACE(row);
    CAUGuiButton* invert = d.invertBox(row);
    EXPECT_EQ(d.hitTest(centre(invert)), &d) << "greyed";
    EXPECT_EQ(d.hitTest(centre(d.enableBox(row))), d.enableBox(row)) << "the enable box stays usable";
    click(e.canvas(), invert);
    EXPECT_EQ(invert->position(), 0) << "a click on a greyed control does nothing";
  }
  EXPECT_EQ(d.hitTest(centre(d.controllerEditor())), &d);
  click(e.canvas(), d.enableBox(KVXMidiMapInternals::kControllerRow));
  EXPECT_EQ(d.hitTest(centre(d.controllerEditor())), d.controllerEditor());
  click(e.canvas(), d.enableBox(KVXMidiMapInternals::kControllerRow));  // off again
  click(e.canvas(), d.okButton());
  EXPECT_EQ(entryOf(kEnvelopeFollower).sourceBits & kMidiBitController, 0u);
}

TEST_F(MapDialogs, ControllerAndChannelOutsideTheirRangesAreRefused) {
  Editor& e = open();
  KVXMidiMapInternals& d = shiftClick(kResonance);
  EXPECT_FALSE(d.controllerEditor()->setText("129"));
  EXPECT_TRUE(d.controllerEditor()->setText("128"));
  EXPECT_FALSE(d.channelEditor()->setText("0"));
  EXPECT_FALSE(d.channelEditor()->setText("17"));
  // An empty field cannot be stored: OK beeps, the field gets the focus, the dialog stays.
  ASSERT_TRUE(d.channelEditor()->setText(""));
  d.onOk();
  EXPECT_EQ(hl::beepCount(), 1);
  EXPECT_EQ(e.canvas().modal(), &d);
  EXPECT_EQ(e.canvas().focusControl(), d.channelEditor());
  EXPECT_EQ(entryOf(kResonance).channel, 0);
  ASSERT_TRUE(d.channelEditor()->setText("16"));
  d.onOk();
  EXPECT_EQ(e.canvas().modal(), nullptr);
  EXPECT_EQ(entryOf(kResonance).channel, 15);
  EXPECT_EQ(entryOf(kResonance).controller, 128);
}

TEST_F(MapDialogs, LearnFillsControllerAndChannelFromWhatWasHeard) {
  Editor& e = open();
  KVXMidiMapInternals& d = shiftClick(kEnvelopeFollower);
  d.midiLearned(0, 7);
  EXPECT_EQ(d.controllerEditor()->text(), "0") << "nothing while the learn box is off";
  click(e.canvas(), d.learnBox());
  EXPECT_EQ(d.learnBox()->position(), 0) << "greyed with the controller source";
  click(e.canvas(), d.enableBox(KVXMidiMapInternals::kControllerRow));
  click(e.canvas(), d.learnBox());
  ASSERT_EQ(d.sourceBits(), kMidiBitController);
  ASSERT_EQ(d.learnBox()->position(), 1) << "its label lies over it but does not take the click";
  struct Case {
    int status, number;
    const char* controller;
    const char* channel;
  } cases[] = {
      {0x00, 7, "7", "1"},
      {0xE0, 128, "128", "1"},  // pitch bend: the status's low nibble is the channel
      {0xE5, 128, "128", "6"},
      {0x03, 0x305, "128", "6"},  // not a controller number: ignored
      {0x0F, 0, "0", "16"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    d.midiLearned(c.status, c.number);
    EXPECT_EQ(d.controllerEditor()->text(), c.controller);
    EXPECT_EQ(d.channelEditor()->text(), c.channel);
  }
}

TEST_F(MapDialogs, LearnFromAControllerThePlugInHears) {
  Editor& e = open();
  e.instance.dispatch(effMainsChanged, 0, 1);
  KVXMidiMapInternals& d = shiftClick(kEnvelopeFollower);
  click(e.canvas(), d.enableBox(KVXMidiMapInternals::kControllerRow));
  click(e.canvas(), d.learnBox());
  float left[64], right[64];
  float* out[] = {left, right};
  plugintest::sendMidi(e.instance.effect(), {{0xB0, 7, 100, 0}});
  e.instance.effect()->processReplacing(e.instance.effect(), nullptr, out, 64);
  e.idle();
  EXPECT_EQ(d.controllerEditor()->text(), "7");
  EXPECT_EQ(d.channelEditor()->text(), "1");
  plugintest::sendMidi(e.instance.effect(), {{0xB4, 21, 100, 0}});
  e.instance.effect()->processReplacing(e.instance.effect(), nullptr, out, 64);
  e.idle();
  EXPECT_EQ(d.controllerEditor()->text(), "21");
  EXPECT_EQ(d.channelEditor()->text(), "5") << "the channel the controller moved on";
  plugintest::sendMidi(e.instance.effect(), {{0xE0, 0, 64, 0}});
  e.instance.effect()->processReplacing(e.instance.effect(), nullptr, out, 64);
  e.idle();
  EXPECT_EQ(d.controllerEditor()->text(), "128");
  EXPECT_EQ(d.channelEditor()->text(), "1");
  EXPECT_EQ(e.canvas().keyDown(13, 0), kHandled);
  EXPECT_EQ(entryOf(kEnvelopeFollower).controller, 128);
  EXPECT_EQ(e.canvas().midiLearnTarget(), nullptr) << "learning ends with the dialog";
}

TEST_F(MapDialogs, OpenedOverTheBeatDialogItReturnsThere) {
  Editor& e = open();
  chooseFromLogoMenu(LogoMenu::kMidiBeat);
  KVXMidiBeatInternal* beat = e.view().midiBeatDialog();
  ASSERT_EQ(e.canvas().modal(), beat);
  for (int key : {27, 13}) {
    SCOPED_TRACE(key);
    click(e.canvas(), beat->clockOffsetSlider(), true);
    KVXMidiMapInternals* d = e.view().midiMapEditor();
    EXPECT_EQ(beat->getChildPopup(), d);
    EXPECT_EQ(d->returnPopup(), beat);
    EXPECT_EQ(d->parameter(), kClockOffset);
    EXPECT_EQ(e.canvas().keyDown(static_cast<uint8_t>(key), 0), kHandled);
    EXPECT_EQ(beat->getChildPopup(), nullptr);
    EXPECT_EQ(e.canvas().modal(), beat) << "the beat dialog is up again";
    EXPECT_EQ(e.canvas().focusControl(), beat);
  }
  EXPECT_EQ(e.canvas().keyDown(27, 0), kHandled);
  EXPECT_EQ(e.canvas().modal(), nullptr);
}

// --- the beat dialog ----------------------------------------------------------------------

TEST(BeatSettings, PulseCountsAreWholeNumbersOfAtLeastOne) {
  const std::pair<const char*, int> cases[] = {{"12", 12}, {" 7", 7}, {"", 1}, {"0", 1}, {"-3", 1},
                                               {"nan", 1}, {"abc", 1}, {"100001", 100000}, {"24x", 24}};
  for (const auto& [text, pulses] : cases) EXPECT_EQ(pulsesFromText(text), pulses) << text;
}

TEST(BeatSettings, OkSetsTheFourParametersInOrder) {
  std::vector<std::pair<int, float>> set;
  applyBeatSettings({12, true, 3, false}, [&](int index, float v) { set.emplace_back(index, v); });
  const std::vector<std::pair<int, float>> expected = {{82, 1.0f}, {83, 12.0f}, {84, 0.0f}, {85, 3.0f}};
  EXPECT_EQ(set, expected);
}

TEST_F(MapDialogs, TheBeatDialogShowsAndSetsThePlugInsSettings) {
  Editor& e = open();
  e.plugin().setParameterReal(83, 48.0f);
  e.plugin().setParameterReal(84, 1.0f);
  e.plugin().setParameterReal(kClockOffset, 0.25f);
  chooseFromLogoMenu(LogoMenu::kMidiBeat);
  KVXMidiBeatInternal& b = *e.view().midiBeatDialog();
  EXPECT_EQ(b.clockPulsesEditor()->text(), "48");
  EXPECT_EQ(b.lfoPulsesEditor()->text(), "24");
  EXPECT_EQ(b.clockSyncBox()->position(), 0);
  EXPECT_EQ(b.lfoSyncBox()->position(), 1);
  EXPECT_NEAR(b.clockOffsetSlider()->value(), 0.25f, 1e-3);
  click(e.canvas(), b.clockSyncBox());
  ASSERT_TRUE(b.lfoPulsesEditor()->setText("12"));
  ASSERT_TRUE(b.clockPulsesEditor()->setText(""));
  click(e.canvas(), b.okButton());
  EXPECT_EQ(e.canvas().modal(), nullptr);
  EXPECT_EQ(e.plugin().paramValue(82), 1.0f);
  EXPECT_EQ(e.plugin().paramValue(83), 1.0f) << "an empty count is one pulse";
  EXPECT_EQ(e.plugin().paramValue(84), 1.0f);
  EXPECT_EQ(e.plugin().paramValue(85), 12.0f);
}

TEST_F(MapDialogs, CancelInTheBeatDialogKeepsAnOffsetAlreadyMoved) {
  Editor& e = open();
  chooseFromLogoMenu(LogoMenu::kMidiBeat);
  KVXMidiBeatInternal& b = *e.view().midiBeatDialog();
  const GuiPoint from = centre(b.clockOffsetSlider());
  e.canvas().mouseDown(from, false, false);
  e.canvas().mouseDrag({static_cast<int16_t>(from.x + 30), from.y}, false);
  e.canvas().mouseUp({static_cast<int16_t>(from.x + 30), from.y}, false);
  const float moved = e.plugin().paramValue(kClockOffset);
  EXPECT_GT(moved, 0.0f);
  click(e.canvas(), b.cancelButton());
  EXPECT_EQ(e.canvas().modal(), nullptr);
  EXPECT_EQ(e.plugin().paramValue(kClockOffset), moved);
  EXPECT_EQ(e.plugin().paramValue(83), 24.0f);
}

// --- the tuning dialog --------------------------------------------------------------------

std::string dumpNamed(const std::string& name) {
  std::string bytes(NoteTable::kDumpSize, '\x7F');
  bytes.replace(0, 6, std::string("\xF0\x7E\x00\x08\x01\x00", 6));
  bytes.replace(6, 16, (name + std::string(16, '\0')).substr(0, 16));
  bytes[NoteTable::kDumpSize - 1] = '\xF7';
  return bytes;
}

TEST_F(MapDialogs, TheTuningListStopsAtTheFirstMissingNumber) {
  writeBytes("Tunings/0.tun", dumpNamed("Just"));
  writeBytes("Tunings/1.tun", dumpNamed("ABCDEFGHIJKLMNOP"));  // the whole field
  writeBytes("Tunings/3.tun", dumpNamed("Far"));
  Editor& e = open();
  chooseFromLogoMenu(LogoMenu::kLoadMicrotuning);
  KVXTuningsInternal& t = *e.view().tuningsDialog();
  ASSERT_EQ(e.canvas().modal(), &t);
  EXPECT_EQ(t.menu()->strings(), (std::vector<std::string>{"Just", "ABCDEFGHIJKLMNO"}));
  EXPECT_EQ(t.menu()->selected(), 0);
  hl::queueMenuAnswer(2);
  click(e.canvas(), t.menu());
  EXPECT_EQ(t.selection(), 1);
  EXPECT_EQ(e.canvas().modal(), &t) << "choosing does not close";
  EXPECT_EQ(e.canvas().keyDown(13, 0), kHandled);
  EXPECT_EQ(e.view().currentTuningIndex(), 1);
  chooseFromLogoMenu(LogoMenu::kLoadMicrotuning);
  EXPECT_EQ(t.menu()->selected(), 1) << "the last tuning chosen";
}

TEST_F(MapDialogs, TuningNamesAreReadOnlyAsFarAsTheFileHoldsThem) {
  writeBytes("Tunings/0.tun", std::string("\xF0\x7E\x00\x08\x01\x00Sho", 9));
  writeBytes("Tunings/1.tun", std::string("\xF0\x7E", 2));
  const std::vector<std::string> names = tuningNames();
  EXPECT_EQ(names, (std::vector<std::string>{"Sho", "1.tun"}));
}

TEST_F(MapDialogs, WithoutTuningFilesTheMenuIsEmptyAndOkLoadsNothing) {
  Editor& e = open();
  chooseFromLogoMenu(LogoMenu::kLoadMicrotuning);
  KVXTuningsInternal& t = *e.view().tuningsDialog();
  EXPECT_TRUE(t.menu()->strings().empty());
  EXPECT_EQ(t.selection(), -1);
  click(e.canvas(), t.menu());  // an empty menu shows nothing
  click(e.canvas(), t.okButton());
  EXPECT_EQ(e.canvas().modal(), nullptr);
  EXPECT_EQ(e.view().currentTuningIndex(), 0);
}

// --- loading and saving maps --------------------------------------------------------------

TEST_F(MapDialogs, SavingUnderAnExistingNameOverwritesItsFileAndKeepsTheList) {
  writeBytes("midiMapList", "Default Map\r\nStudio\r\n");
  const std::string list = readBytes("midiMapList");
  Editor& e = open();
  chooseFromLogoMenu(LogoMenu::kSaveMidiMap);
  KVXSaveMidiMapInternal& s = *e.view().saveMidiMapDialog();
  ASSERT_EQ(e.canvas().modal(), &s);
  EXPECT_EQ(s.text(), "Default Map");
  ASSERT_TRUE(s.nameEditor()->setText("Studio"));
  EXPECT_EQ(e.canvas().keyDown(13, 0), kHandled);
  EXPECT_EQ(e.canvas().modal(), nullptr);
  EXPECT_TRUE(exists("1.mmap"));
  EXPECT_FALSE(exists("2.mmap"));
  EXPECT_EQ(readBytes("midiMapList"), list);
  EXPECT_EQ(e.plugin().midiMaps().currentMapIndex, 1);
}

TEST_F(MapDialogs, SavingUnderANewNameAppendsItToTheList) {
  writeBytes("midiMapList", "Default Map\r\nStudio\r\n");
  Editor& e = open();
  chooseFromLogoMenu(LogoMenu::kSaveMidiMap);
  KVXSaveMidiMapInternal& s = *e.view().saveMidiMapDialog();
  ASSERT_TRUE(s.nameEditor()->setText("Live"));
  click(e.canvas(), s.okButton());
  EXPECT_TRUE(exists("2.mmap"));
  EXPECT_EQ(readBytes("midiMapList"), "Default Map\r\nStudio\r\nLive\r\n");
  chooseFromLogoMenu(LogoMenu::kSaveMidiMap);
  EXPECT_EQ(s.text(), "Live") << "the dialog starts with the map saved last";
}

TEST_F(MapDialogs, ABlankMapNameIsRefused) {
  Editor& e = open();
  chooseFromLogoMenu(LogoMenu::kSaveMidiMap);
  KVXSaveMidiMapInternal& s = *e.view().saveMidiMapDialog();
  for (const char* blank : {"", "   "}) {
    ASSERT_TRUE(s.nameEditor()->setText(blank));
    click(e.canvas(), s.okButton());
    EXPECT_EQ(e.canvas().modal(), &s) << "the dialog waits for a name";
  }
  EXPECT_EQ(hl::beepCount(), 2);
  EXPECT_FALSE(exists("midiMapList"));
  EXPECT_FALSE(exists("0.mmap"));
  EXPECT_FALSE(exists("1.mmap"));
}

TEST_F(MapDialogs, AMapThatCannotBeWrittenOrReadIsSaidSo) {
  writeBytes("midiMapList", "Default Map\r\nGone\r\n");
  Editor& e = open();
  hl::clearShownMessages();
  chooseFromLogoMenu(LogoMenu::kLoadMidiMap);
  hl::queueMenuAnswer(2);
  click(e.canvas(), e.view().loadMidiMapDialog()->menu());
  click(e.canvas(), e.view().loadMidiMapDialog()->okButton());
  ASSERT_EQ(hl::shownMessages().size(), 1u);
  EXPECT_EQ(hl::shownMessages()[0].text, kMapNotLoadedMessage);

  setenv("QUORVANE_DATA_DIR", path("no/such/folder").c_str(), 1);
  chooseFromLogoMenu(LogoMenu::kSaveMidiMap);
  ASSERT_TRUE(e.view().saveMidiMapDialog()->nameEditor()->setText("Live"));
  click(e.canvas(), e.view().saveMidiMapDialog()->okButton());
  ASSERT_EQ(hl::shownMessages().size(), 2u);
  EXPECT_EQ(hl::shownMessages()[1].text, kMapNotSavedMessage);
  EXPECT_EQ(e.plugin().midiMaps().mapNames, (std::vector<std::string>{"Default Map", "Gone"}));
}

TEST_F(MapDialogs, LoadingAMapTakesTheChosenFile) {
  writeBytes("midiMapList", "Default Map\r\nStudio\r\n");
  writeBytes("1.mmap", "4: 2, 21, 2, 1, 0.000000, 127.000000, 0, 0\n");
  Editor& e = open();
  chooseFromLogoMenu(LogoMenu::kLoadMidiMap);
  KVXLoadMidiMapInternal& l = *e.view().loadMidiMapDialog();
  EXPECT_EQ(l.menu()->strings(), (std::vector<std::string>{"Default Map", "Studio"}));
  EXPECT_EQ(l.menu()->selected(), 0);
  hl::queueMenuAnswer(2);
  click(e.canvas(), l.menu());
  click(e.canvas(), l.okButton());
  EXPECT_EQ(e.canvas().modal(), nullptr);
  EXPECT_EQ(e.plugin().midiMaps().currentMapIndex, 1);
  EXPECT_EQ(e.plugin().midiMaps().currentMapName, "Studio");
  const MidiMapEntry loaded = entryOf(kEnvelopeFollower);
  EXPECT_EQ(loaded.controller, 21);
  EXPECT_EQ(loaded.channel, 2);
}

TEST_F(MapDialogs, AnEmptyMapListOpensAnEmptyMenu) {
  Editor& e = open();
  chooseFromLogoMenu(LogoMenu::kLoadMidiMap);
  KVXLoadMidiMapInternal& l = *e.view().loadMidiMapDialog();
  EXPECT_TRUE(l.menu()->strings().empty());
  click(e.canvas(), l.menu());
  click(e.canvas(), l.okButton());
  EXPECT_EQ(e.canvas().modal(), nullptr);
  EXPECT_EQ(e.plugin().midiMaps().currentMapIndex, 0);
}

}  // namespace
