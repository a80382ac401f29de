// The application icon: res/corvane.ico is what tools/make_icon draws, and it is the classic
// 32 by 32, 16-colour, fully opaque picture of two crossed rulers.
#include "icon/corvane_icon.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace corvane::icon {
namespace {

const std::string kIconPath = std::string(CORVANE_RES_DIR) + "/corvane.ico";

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint32_t>(b.at(at + static_cast<std::size_t>(i))) << (8 * i);
  return v;
}

// Reads the one image of a 4-bit icon file the way Windows lays it out.
class IconFile : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes = ReadFile(kIconPath);
    ASSERT_GE(bytes.size(), 22u) << kIconPath;
    image = Le(bytes, 18, 4);
    ASSERT_LT(image + 40 + 64, bytes.size());
  }

  std::uint32_t Header(int at, int n) const { return Le(bytes, image + static_cast<std::size_t>(at), n); }

  // Colour rows come after the header and palette, bottom row first, two pixels a byte.
  int IndexAt(int x, int y) const {
    const std::size_t row = image + 40 + 64 + static_cast<std::size_t>(31 - y) * 16;
    const std::uint8_t pair = bytes.at(row + static_cast<std::size_t>(x / 2));
    return x % 2 == 0 ? pair >> 4 : pair & 0x0F;
  }

  // 0xRRGGBB of the palette entry the pixel uses (entries are stored blue, green, red, 0).
  std::uint32_t ColorAt(int x, int y) const {
    return Le(bytes, image + 40 + static_cast<std::size_t>(IndexAt(x, y)) * 4, 3);
  }

  std::vector<std::uint8_t> bytes;
  std::uint32_t image = 0;
};

TEST_F(IconFile, IsWhatTheGeneratorDraws) {
  const std::vector<std::uint8_t> drawn = EncodeIco(DrawCorvaneIcon());
  ASSERT_EQ(bytes.size(), drawn.size()) << kIconPath
                                        << " is stale: cmake --build build/native --target corvane_icon_file";
  for (std::size_t i = 0; i < drawn.size(); ++i) {
    ASSERT_EQ(bytes[i], drawn[i]) << "first difference at byte " << i << " of " << kIconPath
                                  << "; redraw it with cmake --build build/native --target corvane_icon_file";
  }
}

TEST_F(IconFile, HoldsOne32By32ImageAtFourBitsPerPixel) {
  EXPECT_EQ(Le(bytes, 0, 2), 0u);  // reserved
  EXPECT_EQ(Le(bytes, 2, 2), 1u);  // an icon, not a cursor
  EXPECT_EQ(Le(bytes, 4, 2), 1u);  // one image
  // The directory entry.
  EXPECT_EQ(bytes[6], 32);
  EXPECT_EQ(bytes[7], 32);
  EXPECT_EQ(bytes[8], 16);  // colours
  EXPECT_EQ(Le(bytes, 10, 2), 1u);
  EXPECT_EQ(Le(bytes, 12, 2), 4u);
  EXPECT_EQ(Le(bytes, 14, 4) + image, bytes.size());
  // The image's own header: the height counts the colour bitmap and the mask.
  EXPECT_EQ(Header(0, 4), 40u);
  EXPECT_EQ(Header(4, 4), 32u);
  EXPECT_EQ(Header(8, 4), 64u);
  EXPECT_EQ(Header(12, 2), 1u);
  EXPECT_EQ(Header(14, 2), 4u);
  EXPECT_EQ(Header(16, 4), 0u);  // uncompressed
  EXPECT_EQ(bytes.size() - image, 40u + 16 * 4 + 32 * 16 + 32 * 4);
}

TEST_F(IconFile, UsesTheSixteenVgaColours) {
  const std::uint32_t vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                                 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  for (int i = 0; i < 16; ++i) {
    const std::size_t entry = image + 40 + static_cast<std::size_t>(i) * 4;
    // Blue, green, red read as a little-endian number is 0xRRGGBB.
    EXPECT_EQ(Le(bytes, entry, 3), vga[i]) << "palette entry " << i;
    EXPECT_EQ(bytes.at(entry + 3), 0) << "palette entry " << i;
  }
}

TEST_F(IconFile, HasNoTransparentPixel) {
  const std::size_t mask = image + 40 + 64 + 32 * 16;
  ASSERT_EQ(bytes.size() - mask, 32u * 4);
  for (std::size_t i = mask; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], 0) << "AND mask byte " << i - mask;
}

constexpr std::uint32_t kYellowRgb = 0xFFFF00;
constexpr std::uint32_t kBlackRgb = 0x000000;
constexpr std::uint32_t kGroundRgb = 0xC0C0C0;
constexpr std::uint32_t kShadowRgb = 0x808080;
constexpr std::uint32_t kShadedYellowRgb = 0x808000;

TEST_F(IconFile, ShowsTwoCrossedYellowRulersOnGrey) {
  const PixelBox& v = kVerticalRuler;
  const PixelBox& h = kHorizontalRuler;
  const int vMid = (v.left + v.right) / 2;
  const int hMid = v.right + (h.right - v.right) / 2;  // right of the crossing
  const int aboveCrossing = (v.top + h.top) / 2;
  const int shadowX = h.right - 3;
  struct Case {
    const char* what;
    int x, y;
    std::uint32_t rgb;
  };
  const Case cases[] = {
      {"ground, top left corner", 0, 0, kGroundRgb},
      {"ground, bottom right corner", 31, 31, kGroundRgb},
      {"ground, bottom left corner", 0, 31, kGroundRgb},
      {"ground, left of the vertical ruler", v.left - 1, aboveCrossing, kGroundRgb},
      {"vertical ruler, inside its left edge", v.left + 1, aboveCrossing, kYellowRgb},
      {"vertical ruler, left outline", v.left, aboveCrossing, kBlackRgb},
      {"vertical ruler, right outline", v.right, aboveCrossing, kBlackRgb},
      {"vertical ruler, top outline", vMid, v.top, kBlackRgb},
      {"vertical ruler, bottom outline", vMid, v.bottom, kBlackRgb},
      {"horizontal ruler, inside its bottom edge", hMid, h.bottom - 1, kYellowRgb},
      {"horizontal ruler, left outline", h.left, (h.top + h.bottom) / 2, kBlackRgb},
      {"horizontal ruler, right outline", h.right, (h.top + h.bottom) / 2, kBlackRgb},
      {"horizontal ruler, top outline", hMid, h.top, kBlackRgb},
      {"horizontal ruler, bottom outline", hMid, h.bottom, kBlackRgb},
      // The horizontal ruler lies on top: the vertical one's outline does not show through.
      {"crossing, horizontal ruler over the vertical outline", v.left, h.bottom - 1, kYellowRgb},
      {"shadow below the horizontal ruler", shadowX, h.bottom + 1, kShadowRgb},
      {"shadow, its lowest row", shadowX, h.bottom + kShadowOffset, kShadowRgb},
      {"ground below the shadow", shadowX, h.bottom + kShadowOffset + 1, kGroundRgb},
      {"shadow right of the horizontal ruler", h.right + 1, (h.top + h.bottom) / 2, kShadowRgb},
      {"no shadow at the ruler's left end", h.left, h.bottom + 1, kGroundRgb},
      {"shadow falling on the vertical ruler", v.left + 1 + kShadowOffset, h.bottom + 1, kShadedYellowRgb},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ColorAt(c.x, c.y), c.rgb) << c.what << " at (" << c.x << ", " << c.y << ")";
  }
}

// Ticks are black marks reaching in from one edge only: the upper edge of the horizontal
// ruler, the right side of the vertical one.
TEST_F(IconFile, MarksTicksAlongTheUpperAndRightEdges) {
  const PixelBox& v = kVerticalRuler;
  const PixelBox& h = kHorizontalRuler;
  int horizontalTicks = 0;
  for (int x = h.left + 1; x < h.right; ++x) {
    if (ColorAt(x, h.top + 1) == kBlackRgb) {
      ++horizontalTicks;
      EXPECT_EQ(ColorAt(x, h.bottom - 1), kYellowRgb) << "a tick at x = " << x << " reaches the lower edge";
    }
    EXPECT_NE(ColorAt(x, h.bottom - 1), kBlackRgb) << "a mark on the lower edge at x = " << x;
  }
  EXPECT_GE(horizontalTicks, 8);

  int verticalTicks = 0;
  for (int y = v.top + 1; y < h.top; ++y) {
    if (ColorAt(v.right - 1, y) == kBlackRgb) {
      ++verticalTicks;
      EXPECT_EQ(ColorAt(v.left + 1, y), kYellowRgb) << "a tick at y = " << y << " reaches the left side";
    }
    EXPECT_NE(ColorAt(v.left + 1, y), kBlackRgb) << "a mark on the left side at y = " << y;
  }
  EXPECT_GE(verticalTicks, 3);
}

}  // namespace
}  // namespace corvane::icon
