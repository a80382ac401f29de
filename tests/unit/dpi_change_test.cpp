// Monitors of different scales: each window lays itself out and draws its text at the
// resolution of the monitor it is on, and takes the place the system suggests when it moves.
#include <gtest/gtest.h>

#include "program_fixture.h"

namespace corvane::testing {
namespace {

class DpiChangeTest : public ProgramTest {
 protected:
  DpiChangeTest() {
    // 100 % on the left (the screen's own resolution), 150 % on the right.
    sys.monitors = {{0, 0, 1280, 1024}, {1280, 0, 3200, 1080}};
    sys.monitorDpis = {96, 144};
    NewRun();
  }

  // The font every text of `form` was drawn with, when one face size is asked for.
  static std::vector<FontSpec> TextFonts(HeadlessWindow& window) {
    std::vector<FontSpec> fonts;
    for (const DrawOp& op : window.Render())
      if (op.kind == DrawOp::Text) fonts.push_back(op.font);
    return fonts;
  }
};

TEST_F(DpiChangeTest, AWindowMovedAcrossTakesEachMonitorsScaleAndComesBackExactly) {
  ASSERT_TRUE(Start());
  HeadlessWindow& window = WindowOf(PictureForm());
  const PixelRect atHundred = window.Frame();
  const PixelRect followAtHundred = PictureForm().FollowMe.PixelBounds();
  EXPECT_EQ(atHundred.Width(), 464);  // 6960 twips at 15 to the pixel
  EXPECT_EQ(PictureForm().Dpi(), 0) << "the screen's own";

  window.MoveTo({1500, 100});
  EXPECT_EQ(PictureForm().Dpi(), 144);
  EXPECT_EQ(window.Frame(), (PixelRect{1500, 100, 1500 + 696, 100 + 514})) << "6960 by 5145 twips at 10 to the pixel";
  // The label that fits its text is measured again at the new scale: 22 characters 15 pixels
  // wide (12 points at 150 %), at 2280, 2760 twips.
  EXPECT_EQ(PictureForm().FollowMe.PixelBounds(), (PixelRect{228, 276, 228 + 22 * 15, 276 + 30}));
  for (const FontSpec& font : TextFonts(window)) EXPECT_EQ(font.dpi, 144) << "text drawn as it was measured";
  EXPECT_EQ(PictureForm().Left(), 1500 * 15.0f) << "the place stays in the screen's twips, as the record keeps it";

  window.MoveTo({200, 100});
  EXPECT_EQ(PictureForm().Dpi(), 0);
  EXPECT_EQ(window.Frame(), (PixelRect{200, 100, 200 + atHundred.Width(), 100 + atHundred.Height()}));
  EXPECT_EQ(PictureForm().FollowMe.PixelBounds(), followAtHundred);
  for (const FontSpec& font : TextFonts(window)) EXPECT_EQ(font.dpi, 0);
}

TEST_F(DpiChangeTest, APictureKeepsItsPixelsAndTheSuggestedTopLeftCorner) {
  ASSERT_TRUE(Start());
  ShowPicture("C:\\ads\\box.png", {300, 250});
  HeadlessWindow& window = WindowOf(PictureForm());
  // The system's own suggestion (a drag keeps the pointer's place, not the corner).
  window.ChangeDpi({144, {1400, 300, 1400 + 450, 300 + 375}});
  EXPECT_EQ(window.Frame(), (PixelRect{1400, 300, 1700, 550}));
  EXPECT_EQ(PictureForm().PictureBox.PixelBounds(), (PixelRect{0, 0, 300, 250}));
}

TEST_F(DpiChangeTest, TheMenuAndAboutOpenAtTheScaleOfTheMonitorTheyOpenOn) {
  ASSERT_TRUE(Start());
  WindowOf(PictureForm()).MoveTo({1500, 100});
  MenuWindow& menu = OpenMenu(1700, 300);
  ASSERT_TRUE(menu.Visible());
  EXPECT_EQ(menu.Dpi(), 144);
  EXPECT_EQ(WindowOf(menu).Frame().Width(), 207) << "2070 twips at 10 to the pixel";
  EXPECT_EQ(WindowOf(menu).Frame().Height(), 255);
  for (const FontSpec& font : TextFonts(WindowOf(menu))) EXPECT_EQ(font.dpi, 144);

  // About opens where the system puts new windows: on the primary monitor, whose scale the
  // user has changed since the screen's resolution was read.
  sys.monitorDpis = {120, 144};
  int aboutDpi = -1;
  std::vector<FontSpec> aboutFonts;
  PixelRect productLine;
  sys.modalActions.push_back([&] {
    aboutDpi = AboutForm().Dpi();
    aboutFonts = TextFonts(WindowOf(AboutForm()));
    productLine = AboutForm().ProductLine.PixelBounds();
  });
  ClickOn(menu, menu.AboutItem.label);
  EXPECT_EQ(aboutDpi, 120);
  ASSERT_FALSE(aboutFonts.empty());
  for (const FontSpec& font : aboutFonts) EXPECT_EQ(font.dpi, 120);
  EXPECT_EQ(productLine.left, 60) << "720 twips at 12 to the pixel";
  EXPECT_EQ(productLine.top, 10);
}

}  // namespace
}  // namespace corvane::testing
