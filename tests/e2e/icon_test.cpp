// The program's icon: the picture window carries res/corvane.ico, which Wine hands to X as the
// window's _NET_WM_ICON (Wine's own logo stands there when a window class has no icon).
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>

#include "corvane.h"

namespace corvane::e2e {
namespace {

TEST(Icon, ThePictureWindowCarriesTheProgramsIcon) {
  const XIcon expected = ReadIconFile(kIconFile);
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
      const bool same = (expected.argb[i] >> 24) == 0 ? (seen.argb[i] >> 24) == 0 : seen.argb[i] == expected.argb[i];
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
