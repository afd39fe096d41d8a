// The panel geometry tables: counts, parameters, keys and jack codes, and every image's
// size against the control that draws it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>

#include "editor/panel_geometry.h"
#include "params/param_table.h"

using namespace panel;

namespace {

const ImageSpec& image(const char* name) {
  const ImageSpec* i = findImage(name);
  EXPECT_NE(i, nullptr) << name;
  static const ImageSpec none{"", 1, 1, 1};
  return i ? *i : none;
}

// A four-character code from a table's text.
uint32_t code(const char* text) {
  EXPECT_EQ(std::char_traits<char>::length(text), 4u) << text;
  char c[5] = {text[0], text[1], text[2], text[3], 0};
  return fourCharCode(c);
}

bool inside(const Rect& r) { return r.x >= 0 && r.y >= 0 && r.right() <= kPanelWidth && r.bottom() <= kPanelHeight; }

}  // namespace

TEST(PanelGeometry, BoundControlsAreTheSixtyOneSlidersTenButtonsAndFourKnobs) {
  std::map<BoundKind, int> kinds;
  std::map<int, int> sliderSteps;
  for (size_t i = 0; i < kBoundControlCount; ++i) {
    const BoundControl& c = kBoundControls[i];
    ++kinds[c.kind];
    if (c.kind == BoundKind::VerticalSlider || c.kind == BoundKind::HorizontalSlider) ++sliderSteps[c.steps];
  }
  EXPECT_EQ(kBoundControlCount, 75u);
  EXPECT_EQ(kinds[BoundKind::VerticalSlider] + kinds[BoundKind::HorizontalSlider], 61);
  EXPECT_EQ(kinds[BoundKind::Switch] + kinds[BoundKind::LightButton], 10);
  EXPECT_EQ(kinds[BoundKind::Knob], 4);
  EXPECT_EQ(sliderSteps[1000], 37);
  EXPECT_EQ(sliderSteps[10000], 23);
  EXPECT_EQ(sliderSteps[100000], 1);
  EXPECT_EQ(findBoundControl(25)->steps, 100000);
  EXPECT_EQ(kFixedControlCount, 19u);
  EXPECT_EQ(kPopupCount, 8u);
}

TEST(PanelGeometry, TheBindingsCoverTheListed164Parameters) {
  std::multiset<int> bound;
  for (size_t i = 0; i < kBoundControlCount; ++i) bound.insert(kBoundControls[i].param);
  bound.insert(findFixed("voices menu")->id);
  for (const Jack& j : kJacks) bound.insert(j.param);
  EXPECT_EQ(bound.size(), 165u);
  EXPECT_EQ(bound.count(1), 2u);
  std::set<int> expected;
  for (int p = 1; p <= 72; ++p) expected.insert(p);
  for (int p : {75, 76, 81}) expected.insert(p);
  for (int p = 90; p <= 178; ++p) expected.insert(p);
  EXPECT_EQ(std::set<int>(bound.begin(), bound.end()), expected);
}

TEST(PanelGeometry, KeysAndJackCodesAreThoseOfTheParameterTable) {
  for (size_t i = 0; i < kBoundControlCount; ++i) {
    const BoundControl& c = kBoundControls[i];
    SCOPED_TRACE(c.param);
    if (c.param == 1) EXPECT_STREQ(c.key, "");
    else EXPECT_EQ(code(c.key), static_cast<uint32_t>(ParamKeyTable[c.param]));
  }
  for (size_t i = 0; i < panel::kJackCount; ++i) {
    const Jack& j = kJacks[i];
    SCOPED_TRACE(j.code);
    EXPECT_EQ(j.param, static_cast<int>(i) + kFirstCordParam);  // created in parameter order
    EXPECT_EQ(code(j.code), static_cast<uint32_t>(ParamKeyTable[j.param]));
    EXPECT_EQ(code(j.code), static_cast<uint32_t>(JackCodeTable[j.param - kJackParamOffset]));
  }
}

TEST(PanelGeometry, JackKindsAndPlacesFollowTheBoard) {
  std::map<JackKind, int> kinds;
  for (const Jack& j : kJacks) ++kinds[j.kind];
  EXPECT_EQ(kinds[kJackInput], 47);
  EXPECT_EQ(kinds[kJackOutput], 34);
  EXPECT_EQ(kinds[kJackBoth], 8);
  struct Case { int param; const char* code; int x, y, index; };
  for (const Case& c : {Case{119, "pl30", 871, 297, 30}, Case{120, "pl31", 845, 297, 31},
                        Case{90, "plg1", 25, 297, 1}, Case{178, "mlt4", 26, 451, 89}}) {
    const Jack* j = findJack(c.param);
    ASSERT_NE(j, nullptr);
    EXPECT_STREQ(j->code, c.code);
    EXPECT_EQ(j->x, c.x);
    EXPECT_EQ(j->y, c.y);
    EXPECT_EQ(j - kJacks + 1, c.index);
  }
}

TEST(PanelGeometry, EveryRectangleLiesInsideThePanelButTheTwoHiddenJacks) {
  for (size_t i = 0; i < kBoundControlCount; ++i) EXPECT_TRUE(inside(kBoundControls[i].rect)) << kBoundControls[i].param;
  for (size_t i = 0; i < kFixedControlCount; ++i) EXPECT_TRUE(inside(kFixedControls[i].rect)) << kFixedControls[i].what;
  for (size_t i = 0; i < kPopupCount; ++i) EXPECT_TRUE(inside(kPopups[i].rect)) << kPopups[i].className;
  for (const Jack& j : kJacks) {
    bool hidden = j.param == 162 || j.param == 163;
    EXPECT_EQ(inside(j.rect()), !hidden) << j.code;
    EXPECT_EQ(j.onPanel(), !hidden) << j.code;
  }
  EXPECT_TRUE(inside(kKeyboardRect));
}

TEST(PanelGeometry, EveryImageHasTheSizeItsControlDrawsItAt) {
  // Buttons, lights and selector knobs draw a whole frame over their rectangle.
  for (size_t i = 0; i < kFixedControlCount; ++i) {
    const FixedControl& f = kFixedControls[i];
    if (f.kind != FixedKind::Button && f.kind != FixedKind::MidiLight && f.kind != FixedKind::NotesArea) continue;
    SCOPED_TRACE(f.what);
    const ImageSpec& im = image(f.image);
    EXPECT_EQ(im.width, f.rect.w);
    EXPECT_EQ(im.frameHeight(), f.rect.h);
    EXPECT_EQ(im.frames, f.kind == FixedKind::NotesArea || (f.mode == 3 && f.kind == FixedKind::Button) ? 1 : 2);
  }
  for (size_t i = 0; i < kBoundControlCount; ++i) {
    const BoundControl& c = kBoundControls[i];
    SCOPED_TRACE(c.param);
    const ImageSpec& im = image(c.image);
    const Rect r = c.insets.apply(c.rect);
    switch (c.kind) {
      case BoundKind::VerticalSlider:
        // The handle is placed at the control's width: a cap as wide as the slot column,
        // whose height fits the travel's inset at either end.
        EXPECT_EQ(im.width, c.rect.w);
        EXPECT_LE(im.frameHeight(), 2 * c.insets.top);
        break;
      case BoundKind::HorizontalSlider:
        EXPECT_EQ(im.frameHeight(), c.rect.h);
        EXPECT_LE(im.width, 2 * c.insets.left + 1);
        break;
      case BoundKind::Switch:
        if (c.rect.h > c.rect.w) {
          EXPECT_EQ(im.width, r.w);
          EXPECT_LE(im.frameHeight(), c.rect.h / 2);
        } else {
          EXPECT_EQ(im.frameHeight(), r.h);
          EXPECT_LE(im.width, c.rect.w / 2);
        }
        break;
      case BoundKind::LightButton:
        EXPECT_EQ(im.width, r.w);
        EXPECT_EQ(im.frameHeight(), r.h);
        EXPECT_EQ(im.frames, 2);
        break;
      case BoundKind::Knob:
        EXPECT_EQ(im.width, c.rect.w);
        EXPECT_EQ(im.frameHeight(), c.rect.h);
        EXPECT_EQ(im.frames, c.imageIsBackground ? 1 : c.steps);
        break;
    }
  }
  for (const char* jackImage : {"cableend.png", "goldplug.png"}) {
    EXPECT_EQ(image(jackImage).width, kJackSize);
    EXPECT_EQ(image(jackImage).frameHeight(), kJackSize);
  }
  for (size_t i = 0; i < kPopupCount; ++i) {
    SCOPED_TRACE(kPopups[i].className);
    EXPECT_EQ(image(kPopups[i].background).width, kPopups[i].rect.w);
    EXPECT_EQ(image(kPopups[i].background).height, kPopups[i].rect.h);
  }
  EXPECT_EQ(image("Stereo-Stereo-Board1.2.0.png").width, kPanelWidth);
  EXPECT_EQ(image("Stereo-Stereo-Board1.2.0.png").height, kPanelHeight);
  EXPECT_EQ(image("led_front.png").width, 328);
  EXPECT_EQ(image("led_back_qv.png").frameHeight(), image("led_front.png").frameHeight());
}

TEST(PanelGeometry, TheNotesScrollBarSitsInTheNotesAreasRightInset) {
  const FixedControl* notes = findFixed("notes area");
  const FixedControl* bar = findFixed("notes scroll bar");
  ASSERT_TRUE(notes && bar);
  const Rect text = notes->insets.apply(notes->rect);
  EXPECT_GE(bar->rect.x, text.right());
  EXPECT_LE(bar->rect.right(), notes->rect.right());
  EXPECT_GE(bar->rect.y, notes->rect.y);
  EXPECT_LE(bar->rect.bottom(), notes->rect.bottom());
}

TEST(PanelGeometry, ImageNamesAreDistinctWithoutRegardToCase) {
  std::set<std::string> names;
  for (size_t i = 0; i < kImageCount; ++i) {
    std::string n = kImages[i].name;
    std::transform(n.begin(), n.end(), n.begin(), [](unsigned char ch) { return std::tolower(ch); });
    EXPECT_TRUE(names.insert(n).second) << n;
    EXPECT_EQ(kImages[i].height % kImages[i].frames, 0) << n;
  }
  EXPECT_EQ(names.size(), 55u);
}

TEST(PanelGeometry, SharedImagesAreMadeInOrderWithTheirImagesFrames) {
  EXPECT_STREQ(kSharedImages[0].name, "Stereo-Stereo-Board1.2.0.png");
  EXPECT_STREQ(kSharedImages[kSharedImageCount - 1].name, "aboutBack.png");
  std::set<std::string> names;
  for (const SharedImage& s : kSharedImages) {
    SCOPED_TRACE(s.name);
    EXPECT_TRUE(names.insert(s.name).second);
    EXPECT_EQ(s.frames, image(s.name).frames);
  }
  // Every image a panel control names is among them.
  for (size_t i = 0; i < kBoundControlCount; ++i) EXPECT_TRUE(names.count(kBoundControls[i].image)) << kBoundControls[i].image;
  for (size_t i = 0; i < kFixedControlCount; ++i) {
    for (const char* im : {kFixedControls[i].image, kFixedControls[i].image2}) {
      if (im) {
        EXPECT_TRUE(names.count(im)) << im;
      }
    }
  }
  for (size_t i = 0; i < kPopupCount; ++i) EXPECT_TRUE(names.count(kPopups[i].background)) << kPopups[i].background;
  // Handles are placed along their controls: vertical ones on vertical controls.
  for (size_t i = 0; i < kBoundControlCount; ++i) {
    const BoundControl& c = kBoundControls[i];
    for (const SharedImage& s : kSharedImages) {
      if (s.kind == SharedImageKind::Handle && std::string(s.name) == c.image) {
        EXPECT_EQ(s.orientation == 1, c.rect.h > c.rect.w) << c.param;
      }
    }
  }
}
