// Text in "MS Sans Serif": the bitmap face where it has the size, a scalable face of the same
// kind where it does not, so that text grows with the screen.
#include <gtest/gtest.h>

#include "win32_test_support.h"

namespace corvane::win32::testing {
namespace {

TEST(Fonts, EveryLayoutSizeGetsCharactersOfItsHeightAtEveryScale) {
  struct Case {
    int dpi;
    FontSpec font;
    int emHeight;
  };
  const Case cases[] = {
      {96, {12, false, false}, 16},    {96, {12, true, false}, 16},   {96, {9.75f, true, true}, 13},
      {96, {13.5f, false, false}, 18}, {144, {12, false, false}, 24}, {144, {9.75f, true, true}, 20},
      {120, {12, false, false}, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.dpi) + " dpi, " + std::to_string(c.font.points) + " points");
    FontCache fonts(c.dpi);
    EXPECT_NEAR(InspectFont(fonts.Get(c.font)).emHeight, c.emHeight, 1);
  }
}

TEST(Fonts, TheBitmapFaceIsKeptWhereItHasTheSize) {
  FontCache fonts(96);
  EXPECT_EQ(InspectFont(fonts.Get({12, false, false})).face, L"MS Sans Serif");
  EXPECT_EQ(InspectFont(fonts.Get({9.75f, true, true})).face, L"MS Sans Serif");
}

}  // namespace
}  // namespace corvane::win32::testing
