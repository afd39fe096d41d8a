// The committed step table text is exactly what the generator writes today.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/platform.h"
#include "tools/mbgen/minblep_gen.h"

namespace {

TEST(MinBlepGenerator, RegeneratesTheCommittedResourceByteForByte) {
  const std::string generated = mbgen::formatStepText(mbgen::generateStep());
  std::ifstream in(QV_SOURCE_DIR "/resources/MB.txt", std::ios::binary);
  ASSERT_TRUE(in) << "resources/MB.txt missing";
  const std::string committed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(generated.size(), committed.size());
  EXPECT_TRUE(generated == committed) << "regenerate with: mbgen resources/MB.txt";
  platform::Resource r;
  ASSERT_TRUE(platform::findResource("MB", "#2110", r));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.data), r.size), committed);
}

TEST(MinBlepGenerator, WritesTheHeaderAndOneValuePerLine) {
  const std::string text = mbgen::formatStepText(mbgen::generateStep());
  EXPECT_EQ(text.rfind("0.9 % corner\n64.0 % oversampling\n22.0 % nzc\n3091.0 % size\n 0.00", 0), 0u);
  std::size_t lines = 0, pos = 0, longest = 0;
  for (std::size_t next; (next = text.find('\n', pos)) != std::string::npos; pos = next + 1) {
    ++lines;
    if (lines > 4) {
      EXPECT_EQ(text[pos], ' ');
      longest = std::max(longest, next - pos);
    }
  }
  EXPECT_EQ(pos, text.size());  // ends with LF
  EXPECT_EQ(lines, 3095u);
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_LE(longest, 1u + 21u);  // blank, up to 15 significant digits, point and leading zeros
}

}  // namespace
