// The headless GUI services: bitmaps, the fake window's events and recordings, menus, edit
// boxes and file dialogs answered from scripts.
#include <gtest/gtest.h>

#include "platform/gui.h"
#include "platform/headless_gui.h"

namespace {

using namespace platform;

TEST(HeadlessBitmap, StartsTransparentAndTakesRows) {
  auto bitmap = Bitmap::create(3, 2);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->pixel(2, 1), 0u);
  bitmap->row(1)[8] = 0x10;  // blue of (2, 1)
  bitmap->row(1)[11] = 0x80; // alpha
  EXPECT_EQ(bitmap->pixel(2, 1), 0x80000010u);
  EXPECT_FALSE(Bitmap::create(0, 5));
}

TEST(HeadlessSurface, FillsExactRectangles) {
  auto bitmap = Bitmap::create(10, 10);
  auto surface = Surface::create(*bitmap);
  surface->fillRect({2, 3, 4, 5}, 0x123456);
  EXPECT_EQ(bitmap->pixel(2, 3), 0xFF123456u);
  EXPECT_EQ(bitmap->pixel(5, 7), 0xFF123456u);
  EXPECT_EQ(bitmap->pixel(6, 7), 0u);
  EXPECT_EQ(bitmap->pixel(5, 8), 0u);
  EXPECT_EQ(bitmap->pixel(1, 3), 0u);
}

}  // namespace
