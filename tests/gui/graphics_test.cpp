// Images: frame choice, handle and cropping geometry, and what an image draws.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gui/cauguigraphic.h"
#include "platform/gui.h"
#include "platform/headless.h"
#include "tests/gui/controls_fixture.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(FrameForValue, TruncatesAndClamps) {
  struct {
    int frames;
    float value;
    int frame;
  } cases[] = {
      {3, 0.0f, 0}, {3, 0.5f, 1}, {3, 1.0f, 2}, {3, 0.99f, 1}, {3, kNaN, 0},
      {3, -0.5f, 0}, {3, 7.0f, 2}, {3, std::numeric_limits<float>::infinity(), 2}, {2, 1.0f, 1},
      {1, 0.7f, 0}, {0, 0.7f, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(frameForValue(c.frames, c.value), c.frame) << c.frames << " frames at " << c.value;
}

TEST(HandlePlacement, CentredOnTheTravelEnds) {
  // A 24 x 20 handle on a vertical travel of 65 pixels from y = 10.
  const GuiRect travel{0, 10, 24, 65};
  EXPECT_EQ(handlePlacement(travel, 1.0f, 24, 20, 0, 0, true), (GuiRect{0, 0, 24, 20}));
  EXPECT_EQ(handlePlacement(travel, 0.0f, 24, 20, 0, 0, true), (GuiRect{0, 65, 24, 20}));
  EXPECT_EQ(handlePlacement(travel, kNaN, 24, 20, 0, 0, true), (GuiRect{0, 65, 24, 20}));
  // Twice the image's width: twice its height.
  EXPECT_EQ(handlePlacement({0, 10, 48, 65}, 1.0f, 24, 20, 0, 0, true), (GuiRect{0, -10, 48, 40}));
  // Horizontal, 12 x 24 on a travel of 100 from x = 10, offsets moving it right and up.
  EXPECT_EQ(handlePlacement({10, 0, 100, 24}, 0.5f, 12, 24, 2, 3, false), (GuiRect{56, -3, 12, 24}));
  // No image: the control's own rectangle.
  EXPECT_EQ(handlePlacement(travel, 0.5f, 0, 0, 0, 0, true), travel);
}

TEST(CropPlacement, LevelBarShowsTheLeftPartUnsqueezed) {
  // The level meters: a 328-pixel image anchored at its right end, the right edge moving.
  CropBlit b;
  ASSERT_TRUE(cropPlacement({803, 6, 80, 6}, 0.5f, 328, 6, 164, 0, CAUGuiCroppingImage::kRight, 0, b));
  EXPECT_EQ(b.dest, (GuiRect{803, 6, 40, 6}));
  EXPECT_EQ(b.source, (GuiRect{0, 0, 164, 6}));
  EXPECT_TRUE(b.stretch);
  EXPECT_FALSE(cropPlacement({803, 6, 80, 6}, 0.0f, 328, 6, 164, 0, CAUGuiCroppingImage::kRight, 0, b));
  EXPECT_FALSE(cropPlacement({803, 6, 80, 6}, kNaN, 328, 6, 164, 0, CAUGuiCroppingImage::kRight, 0, b));
}

TEST(CropPlacement, EdgesAndModes) {
  const GuiRect d{0, 0, 100, 40};
  struct {
    const char* what;
    int edges, mode;
    float value;
    GuiRect dest, source;
    bool stretch;
  } cases[] = {
      {"slide in from the left", CAUGuiCroppingImage::kLeft, CAUGuiCroppingImage::kSlide, 0.25f, {-75, 0, 100, 40},
       {0, 0, 100, 40}, false},
      {"slide up from the bottom", CAUGuiCroppingImage::kTop, CAUGuiCroppingImage::kSlide, 0.5f, {0, 20, 100, 40},
       {0, 0, 100, 40}, false},
      {"crop from the top", CAUGuiCroppingImage::kTop, CAUGuiCroppingImage::kCrop, 0.5f, {0, 10, 100, 30},
       {0, 0, 100, 30}, false},
      {"bottom edge comes up as the value falls", CAUGuiCroppingImage::kBottom, 0, 0.5f, {0, 0, 100, 30},
       {0, 0, 50, 15}, true},
      {"crop from the right", CAUGuiCroppingImage::kRight, CAUGuiCroppingImage::kCrop, 0.5f, {0, 0, 75, 40},
       {0, 0, 75, 40}, false},
  };
  for (const auto& c : cases) {
    CropBlit b;
    // A 50 x 20 image drawn at twice its size; anchors at its centre.
    ASSERT_TRUE(cropPlacement(d, c.value, 50, 20, 0, 0, c.edges, c.mode, b)) << c.what;
    EXPECT_EQ(b.dest, c.dest) << c.what;
    EXPECT_EQ(b.source, c.source) << c.what;
    EXPECT_EQ(b.stretch, c.stretch) << c.what;
  }
}

// ---- drawing ----

struct Drawing : ::testing::Test {
  std::unique_ptr<platform::Bitmap> target = platform::Bitmap::create(40, 40);
  std::unique_ptr<platform::Surface> surface = platform::Surface::create(*target);
};

TEST_F(Drawing, AFrameChosenByValue) {
  addFramesImage("t-three-frames.png", 4, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF});
  CAUGuiGraphic image("t-three-frames.png", 3);
  ASSERT_NE(image.bitmap(), nullptr);
  EXPECT_EQ(image.frameHeight(), 2);
  EXPECT_TRUE(image.hasFrames());
  const uint32_t expected[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF00FF00};
  const float values[] = {0.0f, 0.5f, 1.0f, 0.99f};
  for (int i = 0; i < 4; ++i) {
    image.draw(*surface, 0, {0, 10 * i, 8, 4}, values[i]);
    EXPECT_EQ(target->pixel(0, 10 * i), expected[i]) << values[i];
    EXPECT_EQ(target->pixel(7, 10 * i + 3), expected[i]) << values[i] << ", stretched";
  }
}

TEST_F(Drawing, FadedAtConstantAlpha70) {
  addFramesImage("t-white.png", 2, 2, {0xFFFFFFFF});
  CAUGuiGraphic image("t-white.png");
  image.setConstantAlpha(70);
  image.draw(*surface, 0, {0, 0, 2, 2}, 0.0f);
  EXPECT_EQ(target->pixel(1, 1), 0x46464646u);
}

TEST_F(Drawing, AMissingImageIsReportedOnceAndDrawsNothing) {
  platform::headless::clearShownMessages();
  CAUGuiGraphic image("t-not-there.png", 2);
  CAUGuiHandleImage handle("t-not-there-either.png", 0, 0, 1);
  EXPECT_EQ(image.bitmap(), nullptr);
  EXPECT_EQ(image.width(), 0);
  EXPECT_EQ(image.frameHeight(), 1);
  image.draw(*surface, 0, {0, 0, 40, 40}, 1.0f);
  handle.draw(*surface, 0, {0, 0, 40, 40}, 0.5f);
  EXPECT_EQ(target->pixel(20, 20), 0u);
  const auto shown = platform::headless::shownMessages();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, "fail to load image=t-not-there.png\n");
  EXPECT_EQ(shown[0].caption, "Loading");
}

TEST_F(Drawing, PlaceBlitLeavesOutWhatLiesBeyondTheImage) {
  addFramesImage("t-small.png", 4, 4, {0xFF00FF00});
  CAUGuiGraphic image("t-small.png");
  image.placeBlit(*surface, {10, 10, 20, 20}, -2, 2);
  EXPECT_EQ(target->pixel(11, 10), 0u);  // left of the image
  EXPECT_EQ(target->pixel(12, 10), 0xFF00FF00u);
  EXPECT_EQ(target->pixel(15, 11), 0xFF00FF00u);
  EXPECT_EQ(target->pixel(16, 10), 0u);  // right of it
  EXPECT_EQ(target->pixel(12, 12), 0u);  // below it
}

TEST_F(Drawing, AnImageFromPngBytesInMemory) {
  const testpng::Encoding e{PNG_COLOR_TYPE_RGB_ALPHA, 8, false};
  const std::vector<uint8_t> png =
      testpng::encode(e, testpng::makePicture(e, 3, 4, {{0, 0, 255, 255}, {255, 0, 0, 255}}, [](int, int y) { return y / 2; }));
  CAUGuiGraphic image(ImageSource("made.png", png.data(), png.size()), 2);
  ASSERT_NE(image.bitmap(), nullptr);
  image.draw(*surface, 0, {0, 0, 3, 2}, 1.0f);
  EXPECT_EQ(target->pixel(2, 1), 0xFFFF0000u);

  platform::headless::clearShownMessages();
  CAUGuiGraphic broken(ImageSource("broken.png", png.data(), png.size() / 2));
  EXPECT_EQ(broken.bitmap(), nullptr);
  ASSERT_EQ(platform::headless::shownMessages().size(), 1u);
  EXPECT_EQ(platform::headless::shownMessages()[0].text, "fail to load image=broken.png\n");
}

TEST(SpinImage, AnglesAndPivot) {
  addFramesImage("t-spin.png", 20, 10, {0xFF808080});
  CAUGuiSpinImage spin("t-spin.png", -0.375f, 0.75f, 5.0f, -2.5f, 0);
  EXPECT_EQ(spin.typeTag(), kTagSpinImage);
  EXPECT_FLOAT_EQ(spin.startAngle(), 0.75f * 3.14159265f);
  EXPECT_FLOAT_EQ(spin.endAngle(), 2.25f * 3.14159265f);
  EXPECT_FLOAT_EQ(spin.pivotX(), 0.75f);
  EXPECT_FLOAT_EQ(spin.pivotY(), 0.25f);
}

}  // namespace
