// The artwork: regenerating it gives the committed pixels; every image the editor loads is a
// resource of the build, decodes and has its control's size and frames; the board agrees
// with the panel geometry (sockets, labels, slider slots).
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tools/artgen/art.h"

namespace {

using panel::Rect;

const std::string kCommitted = std::string(QV_SOURCE_DIR) + "/resources/png/";

// Decodes a PNG with libpng into straight RGBA; false when it does not decode.
bool decode(const void* data, size_t size, art::Image& out) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&img, data, size)) return false;
  img.format = PNG_FORMAT_RGBA;
  out.width = static_cast<int>(img.width);
  out.height = static_cast<int>(img.height);
  out.rgba.assign(PNG_IMAGE_SIZE(img), 0);
  bool ok = png_image_finish_read(&img, nullptr, out.rgba.data(), 0, nullptr) != 0;
  png_image_free(&img);
  return ok;
}

std::vector<char> readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

bool decodeFile(const std::string& path, art::Image& out) {
  std::vector<char> bytes = readFile(path);
  return !bytes.empty() && decode(bytes.data(), bytes.size(), out);
}

class Artwork : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    ASSERT_TRUE(art::loadFonts(QV_FONT_DIR, error)) << error;
  }
  static const art::Image& board() {
    static art::Image b = [] {
      art::Image i;
      EXPECT_TRUE(decodeFile(kCommitted + "Stereo-Stereo-Board1.2.0.png", i));
      return i;
    }();
    return b;
  }
  // Luminance 0..255 of a board pixel.
  static int lum(int x, int y) {
    const uint8_t* p = &board().rgba[(static_cast<size_t>(y) * board().width + x) * 4];
    return (p[0] * 30 + p[1] * 59 + p[2] * 11) / 100;
  }
};

TEST_F(Artwork, RegeneratingWritesTheCommittedPixels) {
  const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "artgen_regen";
  std::filesystem::create_directories(dir);
  for (size_t i = 0; i < panel::kImageCount; ++i) {
    const panel::ImageSpec& spec = panel::kImages[i];
    SCOPED_TRACE(spec.name);
    std::string error;
    const std::string path = (dir / spec.name).string();
    ASSERT_TRUE(art::writePng(art::render(spec), path, error)) << error;
    art::Image fresh, committed;
    ASSERT_TRUE(decodeFile(path, fresh));
    ASSERT_TRUE(decodeFile(kCommitted + spec.name, committed)) << "not committed";
    ASSERT_EQ(fresh.width, committed.width);
    ASSERT_EQ(fresh.height, committed.height);
    size_t differing = 0;
    for (size_t k = 0; k < fresh.rgba.size(); ++k) differing += fresh.rgba[k] != committed.rgba[k];
    EXPECT_EQ(differing, 0u) << "run build/out/artgen resources/png after changing the art";
  }
}

TEST_F(Artwork, EveryImageIsAPngResourceOfTheBuildWithItsSizeAndFrames) {
  for (size_t i = 0; i < panel::kImageCount; ++i) {
    const panel::ImageSpec& spec = panel::kImages[i];
    SCOPED_TRACE(spec.name);
    std::string lower = spec.name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    // Callers pass lower-case names; the panel's own spelling is found as well.
    for (const std::string& name : {lower, std::string(spec.name)}) {
      platform::Resource r;
      ASSERT_TRUE(platform::findResource(name.c_str(), "PNG", r)) << name;
      art::Image img;
      ASSERT_TRUE(decode(r.data, r.size, img));
      EXPECT_EQ(img.width, spec.width);
      EXPECT_EQ(img.height, spec.height);
      EXPECT_EQ(img.height % spec.frames, 0);
      const std::vector<char> file = readFile(kCommitted + spec.name);
      EXPECT_TRUE(file.size() == r.size && std::equal(file.begin(), file.end(), reinterpret_cast<const char*>(r.data)));
    }
  }
  // The committed folder holds exactly these images.
  size_t pngs = 0;
  for (const auto& e : std::filesystem::directory_iterator(kCommitted))
    if (e.path().extension() == ".png") {
      ++pngs;
      EXPECT_NE(panel::findImage(e.path().filename().string().c_str()), nullptr) << e.path();
    }
  EXPECT_EQ(pngs, panel::kImageCount);
}

TEST_F(Artwork, TheBoardShowsASocketAtEveryJackCentre) {
  for (const panel::Jack& j : panel::kJacks) {
    if (!j.onPanel()) continue;
    SCOPED_TRACE(j.code);
    const int cx = j.x + 7, cy = j.y + 7;
    // A dark bore in the middle inside a metal nut brighter than any plate.
    EXPECT_LT(lum(cx, cy), 40);
    for (auto [dx, dy] : {std::pair{-5, 0}, {5, 0}, {0, -5}, {0, 5}}) EXPECT_GT(lum(cx + dx, cy + dy), 80) << dx << "," << dy;
  }
  // Elsewhere on a plate there is no such pattern: the middle of the notes window is dark,
  // with nothing bright around it.
  EXPECT_LT(lum(190, 400) + lum(195, 400), 80);
}

TEST_F(Artwork, EverySliderSlotCoversItsTravel) {
  for (size_t i = 0; i < panel::kBoundControlCount; ++i) {
    const panel::BoundControl& c = panel::kBoundControls[i];
    bool vertical = c.kind == panel::BoundKind::VerticalSlider;
    if (!vertical && c.kind != panel::BoundKind::HorizontalSlider) continue;
    SCOPED_TRACE(c.param);
    const Rect travel = c.insets.apply(c.rect);
    // The handle's centre runs from one end of the inset rectangle to the other.
    const int from = vertical ? travel.y : travel.x, to = vertical ? travel.bottom() : travel.right();
    const int across = vertical ? c.rect.x + c.rect.w / 2 : c.rect.y + c.rect.h / 2;
    int lit = 0;
    for (int t = from; t <= to; ++t) lit += (vertical ? lum(across, t) : lum(t, across)) > 20;
    EXPECT_EQ(lit, 0);
  }
}

TEST_F(Artwork, LabelsLieInsideTheirSectionsClearOfControlsAndOfEachOther) {
  std::vector<Rect> controls;
  for (size_t i = 0; i < panel::kBoundControlCount; ++i) controls.push_back(panel::kBoundControls[i].rect);
  for (size_t i = 0; i < panel::kFixedControlCount; ++i) controls.push_back(panel::kFixedControls[i].rect);
  // A jack that can be a source stands on a printed square a pixel wider than the jack.
  for (const panel::Jack& j : panel::kJacks) {
    const Rect r = j.rect();
    controls.push_back(j.kind == panel::kJackInput ? r : Rect{r.x - 1, r.y - 1, r.w + 2, r.h + 2});
  }
  const auto& labels = art::labels();
  std::vector<Rect> boxes;
  for (const art::Label& l : labels) boxes.push_back(art::labelBox(l));
  for (size_t i = 0; i < labels.size(); ++i) {
    const Rect& b = boxes[i];
    SCOPED_TRACE(labels[i].text + " at " + std::to_string(b.x) + "," + std::to_string(b.y));
    EXPECT_GE(b.h, 9);
    // Text set narrower to fit its column stays legible: condensed by 28 % at the most.
    EXPECT_GE(art::labelCondensing(labels[i]), 0.72);
    EXPECT_TRUE(art::sections()[labels[i].section].contains(b)) << art::sections()[labels[i].section].title;
    for (const Rect& c : controls)
      EXPECT_FALSE(b.overlaps(c)) << "control at " << c.x << "," << c.y;
    // At least a pixel between two labels.
    const Rect grown{b.x - 1, b.y, b.w + 2, b.h};
    for (size_t k = i + 1; k < labels.size(); ++k)
      EXPECT_FALSE(grown.overlaps(boxes[k])) << "label " << labels[k].text;
  }
}

TEST_F(Artwork, EveryControlAndJackOnTheBoardIsNamedByALabel) {
  std::set<int> named;
  for (const art::Label& l : art::labels()) named.insert(l.names.begin(), l.names.end());
  for (size_t i = 0; i < panel::kBoundControlCount; ++i) EXPECT_TRUE(named.count(panel::kBoundControls[i].param)) << panel::kBoundControls[i].param;
  for (const panel::Jack& j : panel::kJacks) {
    if (j.onPanel()) {
      EXPECT_TRUE(named.count(j.param)) << j.code;
    }
  }
  // Every section's controls carry its title.
  for (const art::Section& s : art::sections()) {
    if (s.title[0] == 0) continue;
    bool titled = std::any_of(art::labels().begin(), art::labels().end(),
                              [&](const art::Label& l) { return l.title && l.text == s.title; });
    EXPECT_TRUE(titled) << s.title;
  }
}

}  // namespace
