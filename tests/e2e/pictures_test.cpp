// Showing a picture: a settings file that names one opens it at the saved place, the window
// exactly the picture's size with the picture drawn 1:1 at its top-left and the link label over
// the picture's corner, for every format the program reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "corvane.h"

namespace corvane::e2e {
namespace {

// Starts Corvane with a settings file that puts the window at `place` (pixels) showing `path`.
testing::AssertionResult StartShowing(App& app, Point place, const std::string& path) {
  return StartWithSettings(app, EncodeSettings({place.x * kTwipsPerPixel, place.y * kTwipsPerPixel, Cp1252(path)}));
}

bool IsLinkColour(Rgb c) { return Near(c, kWhite, 8) || Near(c, kLinkLabelBlue, 40); }

// The link label's box, relative to the window at `origin`: white from the corner to the right
// along its second row, and white or its blue text down its second column.
Rect LinkLabelBox(const Image& shot, Point origin) {
  const Rect area = shot.Area();
  int width = 0;
  while (origin.x + width < area.Right() && Near(shot.At({origin.x + width, origin.y + 1}), kWhite, 8)) ++width;
  int height = 0;
  while (origin.y + height < area.Bottom() && IsLinkColour(shot.At({origin.x + 1, origin.y + height}))) ++height;
  return {0, 0, width, height};
}

// The link label as it should be: 16 pixels high, at least as wide as its text needs, white
// with blue text that fills it from side to side and is underlined.
testing::AssertionResult LinkLabelShown(const Image& shot, Point origin) {
  const Rect box = LinkLabelBox(shot, origin);
  if (box.height != 16 || box.width < 60) {
    return testing::AssertionFailure() << "the link label's box is " << box << ", expected 16 pixels high";
  }
  int textLeft = box.width;
  int textRight = -1;
  int longestRun = 0;
  for (int y = 0; y < box.height; ++y) {
    int run = 0;
    for (int x = 0; x < box.width; ++x) {
      const bool blue = Near(shot.At({origin.x + x, origin.y + y}), kLinkLabelBlue, 40);
      if (blue) textLeft = std::min(textLeft, x), textRight = std::max(textRight, x);
      run = blue ? run + 1 : 0;
      longestRun = std::max(longestRun, run);
    }
  }
  if (textRight < 0) return testing::AssertionFailure() << "no blue text in the link label's box " << box;
  if (textLeft > 3 || textRight < box.width - 4) {
    return testing::AssertionFailure() << "the text spans x " << textLeft << ".." << textRight
                                       << " of the link label's " << box.width << " pixels";
  }
  if (longestRun < (textRight - textLeft) * 9 / 10) {
    return testing::AssertionFailure() << "no underline: the longest blue run is " << longestRun << " pixels";
  }
  return testing::AssertionSuccess();
}

// The colour of photo640x480.jpg's row y: a gradient from #204080 at the top to #80C0FF.
Rgb PhotoRow(int y) {
  const auto mix = [&](int top, int bottom) { return static_cast<std::uint8_t>(top + (bottom - top) * y / 479); };
  return {mix(0x20, 0x80), mix(0x40, 0xC0), mix(0x80, 0xFF)};
}

TEST(Pictures, ASavedPictureOpensAtTheSavedPlaceAtItsOwnSizeUnderTheLinkLabel) {
  App app;
  const std::string photo = AddFixture(app, "photo640x480.jpg");
  const Point place{100, 200};
  ASSERT_TRUE(StartShowing(app, place, photo));
  const Rect window{place.x, place.y, 640, 480};
  ASSERT_TRUE(WaitForPictureWindowAt(app, window));

  const auto facts = ProbeWindow(kHelpTitle);
  ASSERT_TRUE(facts.has_value());
  EXPECT_EQ(facts->rect, window) << "as Windows sees it";
  EXPECT_TRUE(facts->topmost);

  const auto at = [&](int x, int y) { return Point{place.x + x, place.y + y}; };
  EXPECT_TRUE(WaitForScreen(window, "the photo drawn 1:1 with the link label at its corner", [&](const Image& shot) {
    const testing::AssertionResult label = LinkLabelShown(shot, at(0, 0));
    if (!label) return label;
    return SpotsHold(shot, {
                               {"under the label", at(1, 16), PhotoRow(16), 10},
                               {"right of the label", at(320, 5), PhotoRow(5), 10},
                               {"top-right corner", at(639, 0), PhotoRow(0), 10},
                               {"middle", at(320, 240), PhotoRow(240), 10},
                               {"bottom-left corner", at(0, 479), PhotoRow(479), 10},
                               {"bottom-right corner", at(639, 479), PhotoRow(479), 10},
                           });
  }));
}

// Each format the program reads, at its natural size: a point where the picture draws its own
// colour and, for formats with transparent parts, a point where the window's green shows through.
// The top-left corner shows the link label, except on the pictures 32 pixels high (twice the
// label), where the picture's own transparent corner shows the green.
struct FormatCase {
  const char* file;
  std::string (*make)();  // the file's bytes; a fixture of that name when null
  int width;
  int height;
  Point drawn;
  Rgb colour;
  std::optional<Point> clear;
  Rgb corner = kWhite;
};

void PrintTo(const FormatCase& c, std::ostream* out) { *out << c.file; }

constexpr Rgb kBlack = Rgb::FromHex(0x000000);

std::string Wmf() { return MakePlaceableWmf(1000, 1000, 500); }  // 1 by 0.5 inch: 96 by 48 pixels
std::string Emf() { return MakeEmf(2540, 1270); }                // the same

const FormatCase kFormats[] = {
    {"bmp40x30.bmp", nullptr, 40, 30, {35, 25}, kRed, {}},
    {"dib41x31.dib", nullptr, 41, 31, {36, 26}, kRed, {}},
    {"jpg43x33.jpg", nullptr, 43, 33, {38, 28}, kRed, {}},
    {"gif42x32.gif", nullptr, 42, 32, {20, 20}, kOrange, Point{38, 28}, kGroundGreen},
    {"ico32x32.ico", nullptr, 32, 32, {16, 20}, kOrange, Point{28, 28}, kGroundGreen},
    {"pointer.cur", MakeCursor, 32, 32, {16, 20}, kBlack, Point{28, 28}, kGroundGreen},
    {"frame.wmf", Wmf, 96, 48, {48, 28}, kOrange, Point{90, 44}},
    {"frame.emf", Emf, 96, 48, {48, 28}, kOrange, Point{90, 44}},
};

class PictureFormats : public testing::TestWithParam<FormatCase> {};

TEST_P(PictureFormats, ShowAtTheirNaturalSizeOnTheGreenGround) {
  const FormatCase& c = GetParam();
  App app;
  const Point place{300, 300};
  ASSERT_TRUE(StartShowing(app, place, c.make ? AddFile(app, c.file, c.make()) : AddFixture(app, c.file)));
  const Rect window{place.x, place.y, c.width, c.height};
  ASSERT_TRUE(WaitForPictureWindowAt(app, window));

  std::vector<PixelSpot> spots{
      {"the top-left corner", {place.x + 1, place.y + 1}, c.corner},
      {"the picture", {place.x + c.drawn.x, place.y + c.drawn.y}, c.colour, 24},
  };
  if (c.clear) spots.push_back({"a transparent part", {place.x + c.clear->x, place.y + c.clear->y}, kGroundGreen});
  EXPECT_TRUE(WaitForScreen(window, std::string("the picture ") + c.file,
                            [&](const Image& shot) { return SpotsHold(shot, spots); }));
}

INSTANTIATE_TEST_SUITE_P(Pictures, PictureFormats, testing::ValuesIn(kFormats),
                         [](const testing::TestParamInfo<FormatCase>& test) {
                           const std::string file = test.param.file;
                           return file.substr(file.find('.') + 1);
                         });

// The link label is 16 pixels high; a window exactly twice that loses it, one pixel more or
// less keeps it.
struct StripCase {
  int height;
  bool labelShown;
};

void PrintTo(const StripCase& c, std::ostream* out) { *out << c.height << " pixels high"; }

class LinkLabelRule : public testing::TestWithParam<StripCase> {};

TEST_P(LinkLabelRule, GoesOnlyWhenTheWindowIsTwiceItsHeight) {
  const StripCase c = GetParam();
  App app;
  const Point place{200, 150};
  ASSERT_TRUE(StartShowing(app, place, AddFixture(app, "strip120x" + std::to_string(c.height) + ".bmp")));
  const Rect window{place.x, place.y, 120, c.height};
  ASSERT_TRUE(WaitForPictureWindowAt(app, window));

  const Rgb grey = Rgb::FromHex(0xC0C0C0);
  EXPECT_TRUE(WaitForScreen(window, c.labelShown ? "the link label" : "the bare grey strip", [&](const Image& shot) {
    // Whatever the label does, the picture shows below it.
    const testing::AssertionResult below =
        SpotsHold(shot, {{"below the label", {place.x + 1, place.y + 17}, grey},
                         {"bottom-right", {window.Right() - 1, window.Bottom() - 1}, grey}});
    if (!below) return below;
    if (c.labelShown) return LinkLabelShown(shot, {place.x, place.y});
    return shot.AllNear(window, grey, 4) ? testing::AssertionSuccess()
                                         : testing::AssertionFailure() << "the strip is not all grey";
  }));
}

INSTANTIATE_TEST_SUITE_P(Pictures, LinkLabelRule,
                         testing::Values(StripCase{31, true}, StripCase{32, false}, StripCase{33, true}),
                         [](const testing::TestParamInfo<StripCase>& test) {
                           return std::to_string(test.param.height) + "PixelsHigh";
                         });

TEST(Pictures, TheTooltipGivesTheSizeThePathAndTheMouseUsage) {
  App app;
  // A name with a space and a letter of the ANSI code page beyond ASCII, stored as cp1252.
  const std::string photo = AddFixture(app, "photo640x480.jpg", "Café photo.jpg");
  const Point place{100, 100};
  ASSERT_TRUE(StartShowing(app, place, photo));
  ASSERT_TRUE(WaitForPictureWindowAt(app, {place.x, place.y, 640, 480}));

  MoveTo({place.x + 300, place.y + 200});
  MoveTo({place.x + 320, place.y + 240});
  std::string seen;
  ASSERT_TRUE(WaitForTooltip(&seen));
  EXPECT_EQ(seen, "640X480," + photo + ",Right-click to open menu, Double-click to exit, Ctrl+wheel to scale (Ctrl+0: 100%), Shift+wheel for opacity, "
                     "Ctrl+T to click through (Ctrl+Alt+T: back), drop a file or Ctrl+V to show another");
}

TEST(Pictures, APictureLargerThanTheScreenMakesAWindowLargerThanTheScreen) {
  App app;
  // Blue, with a red 10-pixel square inside the screen's bottom-right corner.
  const std::string big = AddConvertedPicture(
      app, {"-size", "1600x1200", "xc:#3060A0", "-fill", "#FF0000", "-draw", "rectangle 1260,1004 1269,1013"},
      "bmp3:big1600x1200.bmp");
  // The pointer, over the window wherever it is, stays far from the corner.
  ASSERT_TRUE(StartShowing(app, {0, 0}, big));
  MoveTo({0, 600});
  const Rect window{0, 0, 1600, 1200};
  ASSERT_TRUE(WaitForPictureWindowAt(app, window));
  const auto facts = ProbeWindow(kHelpTitle);
  ASSERT_TRUE(facts.has_value());
  EXPECT_EQ(facts->rect, window) << "as Windows sees it";

  const Rgb blue = Rgb::FromHex(0x3060A0);
  EXPECT_TRUE(WaitForScreen(ScreenRect(), "the picture over the whole screen, 1:1", [&](const Image& shot) {
    return SpotsHold(shot, {
                               {"middle", {640, 512}, blue},
                               {"the screen's bottom-right corner", {1279, 1023}, blue},
                               {"in the red square", {1265, 1009}, kRed},
                               {"left of the red square", {1258, 1009}, blue},
                               {"under the red square", {1265, 1015}, blue},
                           });
  }));
}

}  // namespace
}  // namespace corvane::e2e
