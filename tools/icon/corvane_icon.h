// Corvane's application icon: drawn pixel by pixel into the 16-colour VGA palette and written
// as a classic .ico file (one 32 by 32 image, 4 bits per pixel, an all-zero AND mask).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace corvane::icon {

constexpr int kIconSize = 32;

// The standard 16-colour VGA palette, in its usual order.
enum VgaColor : std::uint8_t {
  kBlack,
  kDarkRed,
  kDarkGreen,
  kDarkYellow,
  kDarkBlue,
  kDarkMagenta,
  kDarkCyan,
  kLightGrey,
  kDarkGrey,
  kRed,
  kGreen,
  kYellow,
  kBlue,
  kMagenta,
  kCyan,
  kWhite,
};

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
};

extern const std::array<Rgb, 16> kVgaPalette;

// Palette indices, row 0 at the top.
using IconPixels = std::array<std::array<std::uint8_t, kIconSize>, kIconSize>;

// Where the pieces of the picture sit, as inclusive pixel rectangles (outline included).
struct PixelBox {
  int left, top, right, bottom;
};
inline constexpr PixelBox kVerticalRuler{6, 1, 14, 30};
inline constexpr PixelBox kHorizontalRuler{1, 11, 30, 19};
// The horizontal ruler's shadow falls this far to the right and down.
inline constexpr int kShadowOffset = 2;

IconPixels DrawCorvaneIcon();
std::vector<std::uint8_t> EncodeIco(const IconPixels& pixels);

}  // namespace corvane::icon
