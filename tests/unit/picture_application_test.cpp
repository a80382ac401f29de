// Showing a picture: the window fits it, the link label's rule, and the tooltip.
#include <gtest/gtest.h>

#include "program_fixture.h"
#include "windows/picture/display_modes.h"
#include "windows/picture/picture_window.h"

namespace corvane::testing {
namespace {

const std::string kUsage =
    "Right-click to open menu, Double-click to exit, Ctrl+wheel to scale (Ctrl+0: 100%), Shift+wheel for opacity, "
    "Ctrl+T to click through (Ctrl+Alt+T: back), drop a file or Ctrl+V to show another, Ctrl+N or Ctrl+drop or "
    "Ctrl+Shift+V for one more picture, Ctrl+W to close it, arrows to nudge";

class PictureApplicationTest : public ProgramTest {
 protected:
  PictureWindow& Form() { return PictureForm(); }
};

TEST_F(PictureApplicationTest, TheWindowTakesThePicturesSizeAndTheTooltipSaysSoWithThePath) {
  ASSERT_TRUE(Start());
  struct Case {
    std::string path;
    PixelSize size;
  };
  const Case cases[] = {
      {"C:\\pics\\cat.jpg", {640, 480}},
      {"C:\\my pics, old\\a, b.gif", {33, 7}},     // commas and blanks stay as they are
      {"\\\\server\\share\\x.bmp", {2000, 3000}},  // larger than the screen: no limit
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    ShowPicture(c.path, c.size);
    EXPECT_EQ(Form().Width(), static_cast<float>(c.size.width * 15));
    EXPECT_EQ(Form().Height(), static_cast<float>(c.size.height * 15));
    EXPECT_EQ(Form().PictureBox.ToolTipText,
              std::to_string(c.size.width) + "X" + std::to_string(c.size.height) + "," + c.path + "," + kUsage);
  }
  EXPECT_EQ(Form().PictureBox.GetPicture()->Size(), (PixelSize{2000, 3000})) << "the last picture replaced the others";
}

TEST_F(PictureApplicationTest, TheTooltipShowsWholePixelsAtOddScreenScales) {
  sys.twipsPerPixel = 1440.0f / 168;  // 8.571428 twips per pixel: 31 pixels read back as 30.99999...
  ASSERT_TRUE(Start());
  ShowPicture("C:\\odd.bmp", {31, 63});
  EXPECT_EQ(Form().PictureBox.ToolTipText, "31X63,C:\\odd.bmp," + kUsage);
}

TEST_F(PictureApplicationTest, TheLinkLabelGoesOnlyWhenTheWindowIsExactlyTwiceItsHeight) {
  ASSERT_TRUE(Start());
  ASSERT_EQ(Form().SiteLink.Height(), 240.0f);  // 16 pixels in the headless metric
  struct Case {
    int height;
    bool linkVisible;
  };
  const Case cases[] = {{32, false}, {31, true}, {33, true}, {10, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.height);
    ShowPicture("C:\\h" + std::to_string(c.height) + ".bmp", {100, c.height});
    EXPECT_EQ(Form().SiteLink.Visible(), c.linkVisible);
  }
}

TEST_F(PictureApplicationTest, AFailedLoadStopsBeforeTheWindowChanges) {
  ASSERT_TRUE(Start());
  ShowPicture("C:\\first.bmp", {50, 40});
  const std::string tip = Form().PictureBox.ToolTipText;
  FirstPin().SetPicturePath("C:\\missing.bmp");
  EXPECT_THROW(ApplyPicture(FirstPin()), Error);
  EXPECT_EQ(Form().PictureBox.GetPicture()->Size(), (PixelSize{50, 40}));
  EXPECT_EQ(Form().Width(), 750.0f);
  EXPECT_EQ(Form().PictureBox.ToolTipText, tip);
}

}  // namespace
}  // namespace corvane::testing
