// The PNG decoder: every encoding of one picture decodes to the same premultiplied pixels,
// and damaged data fails without decoding anything.
#include <gtest/gtest.h>

#include <cstring>

#include "gui/png_decode.h"
#include "gui/png_resource.h"
#include "platform/headless.h"
#include "tests/gui/png_writer.h"

namespace {

using testpng::Encoding;
using testpng::Rgba;

// Four inks with alpha and the words they decode to (0xAARRGGBB, premultiplied).
const std::vector<Rgba> kTranslucentInks = {
    {255, 255, 255, 128},  // half-transparent white
    {128, 128, 128, 255},  // opaque grey
    {77, 77, 77, 0},       // fully transparent
    {51, 51, 51, 51},      // dark grey at alpha 51
};
const std::vector<uint32_t> kTranslucentWords = {0x80808080u, 0xFF808080u, 0x00000000u, 0x330A0A0Au};

// Three opaque inks for the encodings without alpha.
const std::vector<Rgba> kOpaqueInks = {{128, 128, 128, 255}, {255, 255, 255, 255}, {0, 0, 0, 255}};
const std::vector<uint32_t> kOpaqueWords = {0xFF808080u, 0xFFFFFFFFu, 0xFF000000u};

// 9 x 9 pixels: an odd size leaves partial blocks in every interlace pass.
constexpr int kSide = 9;
int translucentInk(int x, int y) { return (x + 2 * y) % 4; }
int opaqueInk(int x, int y) { return (x * y) % 3; }

struct Case {
  const char* name;
  Encoding encoding;
  bool translucent;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class PngEncodings : public ::testing::TestWithParam<Case> {};

TEST_P(PngEncodings, DecodeToTheSamePremultipliedPixels) {
  const Case& c = GetParam();
  const auto& inks = c.translucent ? kTranslucentInks : kOpaqueInks;
  const auto& words = c.translucent ? kTranslucentWords : kOpaqueWords;
  auto inkOf = c.translucent ? translucentInk : opaqueInk;
  const std::vector<uint8_t> file = testpng::encode(c.encoding, testpng::makePicture(c.encoding, kSide, kSide, inks, inkOf));

  DecodedImage image;
  ASSERT_TRUE(decodePng(file.data(), file.size(), image));
  ASSERT_EQ(image.width, kSide);
  ASSERT_EQ(image.height, kSide);
  ASSERT_EQ(image.pixels.size(), std::size_t{kSide * kSide});
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      ASSERT_EQ(image.pixels[y * kSide + x], words[inkOf(x, y)]) << "pixel " << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Decoder, PngEncodings,
    ::testing::Values(Case{"rgba8", {PNG_COLOR_TYPE_RGB_ALPHA, 8, false}, true},
                      Case{"rgba16", {PNG_COLOR_TYPE_RGB_ALPHA, 16, false}, true},
                      Case{"greyAlpha8", {PNG_COLOR_TYPE_GRAY_ALPHA, 8, false}, true},
                      Case{"greyAlpha16", {PNG_COLOR_TYPE_GRAY_ALPHA, 16, false}, true},
                      Case{"paletteTrns8", {PNG_COLOR_TYPE_PALETTE, 8, false}, true},
                      Case{"paletteTrns2", {PNG_COLOR_TYPE_PALETTE, 2, false}, true},
                      Case{"rgba8Interlaced", {PNG_COLOR_TYPE_RGB_ALPHA, 8, true}, true},
                      Case{"paletteTrnsInterlaced", {PNG_COLOR_TYPE_PALETTE, 4, true}, true},
                      Case{"rgb8", {PNG_COLOR_TYPE_RGB, 8, false}, false},
                      Case{"rgb16Interlaced", {PNG_COLOR_TYPE_RGB, 16, true}, false},
                      Case{"grey8", {PNG_COLOR_TYPE_GRAY, 8, false}, false},
                      Case{"grey16", {PNG_COLOR_TYPE_GRAY, 16, false}, false},
                      Case{"palette8", {PNG_COLOR_TYPE_PALETTE, 8, false}, false}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

std::vector<uint8_t> validFile() {
  const Encoding e{PNG_COLOR_TYPE_RGB_ALPHA, 8, false};
  return testpng::encode(e, testpng::makePicture(e, kSide, kSide, kTranslucentInks, translucentInk));
}

TEST(PngDecoder, ImageCutShortAnywhereFailsAndLeavesNothing) {
  const std::vector<uint8_t> file = validFile();
  // Cut inside the header, inside the pixel data and just before the end chunk.
  for (std::size_t keep : {std::size_t{20}, file.size() / 2, file.size() - 12, file.size() - 1}) {
    DecodedImage image;
    image.width = 7;
    EXPECT_FALSE(decodePng(file.data(), keep, image)) << "kept " << keep << " of " << file.size();
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.height, 0);
    EXPECT_TRUE(image.pixels.empty());
  }
}

TEST(PngDecoder, DamagedOrForeignDataFails) {
  std::vector<uint8_t> damaged = validFile();
  damaged[damaged.size() / 2] ^= 0x5A;  // inside the compressed pixels: a checksum error
  const char text[] = "this is not an image at all";
  DecodedImage image;
  EXPECT_FALSE(decodePng(damaged.data(), damaged.size(), image));
  EXPECT_FALSE(decodePng(reinterpret_cast<const unsigned char*>(text), sizeof text, image));
  EXPECT_FALSE(decodePng(nullptr, 0, image));
  EXPECT_TRUE(image.pixels.empty());
}

TEST(PngDecoder, ReportsTheLibraryItWasBuiltWith) {
  EXPECT_STREQ(pngLibraryVersion(), PNG_LIBPNG_VER_STRING);
  EXPECT_STREQ(png_get_libpng_ver(nullptr), PNG_LIBPNG_VER_STRING);
}

TEST(PngResource, MissingImageIsReportedInALoadingBox) {
  platform::headless::clearShownMessages();
  DecodedImage image;
  EXPECT_FALSE(loadPngResource("No-Such-Image.png", image));
  EXPECT_TRUE(image.pixels.empty());
  const auto shown = platform::headless::shownMessages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Loading");
  EXPECT_EQ(shown[0].text, "fail to load image=No-Such-Image.png\n");
  EXPECT_EQ(shown[0].buttons, platform::MessageButtons::Ok);
}

TEST(PngResource, FoundByNameWithoutRegardToCase) {
  platform::headless::addResource("test-found.png", "PNG", validFile());
  platform::headless::clearShownMessages();
  DecodedImage image;
  ASSERT_TRUE(loadPngResource("TEST-Found.PNG", image));
  EXPECT_EQ(image.width, kSide);
  EXPECT_EQ(image.pixels[1], kTranslucentWords[1]);
  EXPECT_TRUE(platform::headless::shownMessages().empty());
}

TEST(PngResource, AResourceThatIsNoImageIsReportedAsNotLoaded) {
  const std::string text = "GIF89a, not a PNG";
  platform::headless::addResource("test-foreign.png", "PNG", std::vector<unsigned char>(text.begin(), text.end()));
  platform::headless::clearShownMessages();
  DecodedImage image;
  EXPECT_FALSE(loadPngResource("test-foreign.png", image));
  const auto shown = platform::headless::shownMessages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "fail to load image=test-foreign.png\n");
}

}  // namespace
