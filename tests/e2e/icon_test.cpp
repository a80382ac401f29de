// The program's icon: the picture window carries res/corvane.ico, which Wine hands to X as the
// window's _NET_WM_ICON (Wine's own logo stands there when a window class has no icon).
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>

#include "e2e.h"

namespace corvane::e2e {
namespace {

// The pixels of the first image of a .ico file with 4-bit colours and a mask, as 0xAARRGGBB:
// opaque palette colours, and 0 where the mask makes the icon transparent.
XIcon ReadIconFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto get = [&](size_t at, int count) {
    if (at + static_cast<size_t>(count) > data.size()) throw std::runtime_error(file + " ends too soon");
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
      value |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + i])) << (8 * i);
    return value;
  };
  if (get(0, 2) != 0 || get(2, 2) != 1 || get(4, 2) < 1) throw std::runtime_error(file + " is no icon file");
  const size_t header = get(18, 4);
  XIcon icon;
  icon.width = static_cast<int>(get(header + 4, 4));
  icon.height = static_cast<int>(get(header + 8, 4)) / 2;  // colours and mask
  if (get(header + 14, 2) != 4) throw std::runtime_error(file + ": only 4-bit icons are read here");
  const size_t palette = header + get(header, 4);
  const size_t colours = palette + 16 * 4;
  const size_t colourStride = static_cast<size_t>((icon.width * 4 + 31) / 32 * 4);
  const size_t mask = colours + colourStride * static_cast<size_t>(icon.height);
  const size_t maskStride = static_cast<size_t>((icon.width + 31) / 32 * 4);
  for (int y = 0; y < icon.height; ++y) {
    const size_t row = static_cast<size_t>(icon.height - 1 - y);  // stored bottom row first
    for (int x = 0; x < icon.width; ++x) {
      const std::uint32_t twoPixels = get(colours + row * colourStride + static_cast<size_t>(x / 2), 1);
      const std::uint32_t index = x % 2 == 0 ? twoPixels >> 4 : twoPixels & 0x0F;
      const bool clear = (get(mask + row * maskStride + static_cast<size_t>(x / 8), 1) >> (7 - x % 8)) & 1;
      icon.argb.push_back(clear ? 0 : 0xFF000000u | (get(palette + index * 4, 4) & 0xFFFFFF));
    }
  }
  return icon;
}

TEST(Icon, ThePictureWindowCarriesTheProgramsIcon) {
  const XIcon expected = ReadIconFile(CORVANE_ICON_FILE);
  ASSERT_EQ(expected.width, 32);

  App app;
  app.Start();
  XTopLevel window;
  ASSERT_TRUE(app.WaitForWindow(kHelpTitle, &window));
  XIcon seen;
  ASSERT_TRUE(Eventually("a 32 by 32 _NET_WM_ICON on Corvane's window", [&] {
    for (const XIcon& icon : WindowIcons(window.id)) {
      if (icon.width == expected.width && icon.height == expected.height) {
        seen = icon;
        return true;
      }
    }
    return false;
  }));

  int wrong = 0;
  std::ostringstream firstWrong;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      const size_t i = static_cast<size_t>(y * expected.width + x);
      // A transparent pixel is one whose alpha is 0, whatever colour it keeps.
      const bool same = expected.argb[i] == 0 ? (seen.argb[i] >> 24) == 0 : seen.argb[i] == expected.argb[i];
      if (!same && wrong++ == 0) {
        firstWrong << " first at (" << x << "," << y << "): " << std::hex << seen.argb[i] << ", expected "
                   << expected.argb[i];
      }
    }
  }
  EXPECT_EQ(wrong, 0) << "pixels unlike res/corvane.ico;" << firstWrong.str();
}

}  // namespace
}  // namespace corvane::e2e
