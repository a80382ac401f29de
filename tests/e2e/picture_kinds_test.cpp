// The kinds of picture adverts come in, as a person sees them: PNG with transparency blended
// over the window's green ground, JPEG under every name, TIFF, a PNG under a JPEG's name, a
// photo turned by its Exif orientation, an animation that plays and loops while the mouse keeps
// working, and files no picture comes from, refused with the reason while the picture shown
// before stays.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "corvane.h"

namespace corvane::e2e {
namespace {

testing::AssertionResult StartShowing(App& app, Point place, const std::string& path) {
  return StartWithSettings(app, EncodeSettings({place.x * kTwipsPerPixel, place.y * kTwipsPerPixel, Cp1252(path)}));
}

constexpr Rgb kLime = Rgb::FromHex(0x00FF00);

struct KindCase {
  const char* name;  // for the test's name
  const char* file;  // a fixture, or the name of the file `make` writes
  int width;
  int height;
  std::vector<PixelSpot> spots;                                        // relative to the window's top-left corner
  std::string (*make)(const App&, const std::string& file) = nullptr;  // made by the test, not a fixture
};

void PrintTo(const KindCase& c, std::ostream* out) { *out << c.file; }

const KindCase kKinds[] = {
    // Opaque blue, half-transparent red over the green ground, and the clear ground itself.
    {"PngWithAlpha",
     "png48x36.png",
     48,
     36,
     {{"opaque blue", {10, 20}, Rgb::FromHex(0x0000FF), 4},
      {"half red over the ground", {30, 20}, Rgb::FromHex(0x806000), 6},
      {"the clear ground", {46, 34}, kGroundGreen, 4}}},
    // The same PNG followed by 5000 bytes more, as viewers show it.
    {"PngWithBytesAfterItsEnd",
     "trailing48x36.png",
     48,
     36,
     {{"opaque blue", {10, 20}, Rgb::FromHex(0x0000FF), 4}, {"the clear ground", {46, 34}, kGroundGreen, 4}}},
    // An orange block in a clear frame, the file missing only its last byte, the trailer.
    {"GifWithoutItsTrailer",
     "no-trailer42x32.gif",
     42,
     32,
     {{"orange", {20, 16}, Rgb::FromHex(0xFF8000), 4}, {"the clear ground", {38, 29}, kGroundGreen, 4}}},
    {"Tiff", "tif44x34.tif", 44, 34, {{"red", {38, 28}, kRed, 4}}},
    {"JpegNamedJpeg", "jpeg43x33.jpeg", 43, 33, {{"red", {38, 28}, kRed, 24}}},
    {"JpegNamedJfif", "jfif43x33.jfif", 43, 33, {{"red", {38, 28}, kRed, 24}}},
    {"PngNamedJpg", "png45x35-named.jpg", 45, 35, {{"red", {40, 30}, kRed, 4}}},
    // Stored 40 by 20, blue and green above red; turned a quarter clockwise it stands 20 by 40,
    // red on the left, green at the bottom right.
    {"TurnedJpeg",
     "orient6.jpg",
     20,
     40,
     {{"red, once the bottom", {5, 20}, kRed, 40}, {"green, once the top right", {15, 35}, kLime, 40}}},
};

class PictureKinds : public testing::TestWithParam<KindCase> {};

TEST_P(PictureKinds, ShowAtTheirSizeWithTheirColours) {
  const KindCase& c = GetParam();
  App app;
  const Point place{300, 300};
  ASSERT_TRUE(StartShowing(app, place, c.make ? c.make(app, c.file) : AddFixture(app, c.file)));
  const Rect window{place.x, place.y, c.width, c.height};
  ASSERT_TRUE(WaitForPictureWindowAt(app, window));
  std::vector<PixelSpot> spots = c.spots;
  for (PixelSpot& s : spots) s.at = {place.x + s.at.x, place.y + s.at.y};
  EXPECT_TRUE(WaitForScreen(
      window, std::string("the picture ") + c.file, [&](const Image& shot) { return SpotsHold(shot, spots); }, c.name));
}

INSTANTIATE_TEST_SUITE_P(Pictures, PictureKinds, testing::ValuesIn(kKinds),
                         [](const testing::TestParamInfo<KindCase>& test) { return test.param.name; });

// A JPEG far larger than the screen, with a blue block beyond the screen's bottom-right corner:
// once a drag brings that part into view, it shows the picture's own pixels there.
TEST(Pictures, PartsBeyondTheScreenShowWhenDraggedIntoView) {
  App app;
  const std::string big = AddConvertedPicture(
      app, {"-size", "1800x1400", "xc:#FF0000", "-fill", "#0000FF", "-draw", "rectangle 1500,1150 1700,1350"},
      "big1800x1400.jpg");
  const Point place{100, 100};
  ASSERT_TRUE(StartShowing(app, place, big));
  MoveTo({0, 600});
  ASSERT_TRUE(WaitForPictureWindowAt(app, {place.x, place.y, 1800, 1400}));
  ASSERT_TRUE(WaitForScreen(ScreenRect(), "the picture's red over the screen", [](const Image& shot) {
    return SpotsHold(shot, {{"red", {700, 600}, kRed, 24}});
  }));

  // 600 pixels left and 500 up: the block's middle (1600,1250) comes to (1100,850).
  Drag({700, 700}, {100, 200}, 20);
  ASSERT_TRUE(WaitForPictureWindowAt(app, {place.x - 600, place.y - 500, 1800, 1400}));
  EXPECT_TRUE(WaitForScreen(ScreenRect(), "the part once beyond the screen, in view", [](const Image& shot) {
    return SpotsHold(shot, {{"the blue block", {1100, 850}, kBlue, 24}, {"red left of it", {980, 850}, kRed, 24}});
  }));
}

// A 200 by 100 animation looping for ever, each frame half a second: red all over; then a
// green block at (100,50), cleared to the ground when it goes; then a blue block at (20,50),
// after which the canvas is as it was before it.
std::string AddAnimation(const App& app) {
  return AddConvertedPicture(app, {"-loop",   "0",
                                   "(",       "-size",
                                   "200x100", "xc:red",
                                   "-set",    "delay",
                                   "50",      "-set",
                                   "dispose", "none",
                                   ")",       "(",
                                   "-size",   "80x40",
                                   "xc:lime", "-set",
                                   "page",    "200x100+100+50",
                                   "-set",    "delay",
                                   "50",      "-set",
                                   "dispose", "background",
                                   ")",       "(",
                                   "-size",   "80x40",
                                   "xc:blue", "-set",
                                   "page",    "200x100+20+50",
                                   "-set",    "delay",
                                   "50",      "-set",
                                   "dispose", "previous",
                                   ")"},
                             "spin200x100.gif");
}

struct Frame {
  const char* what;
  Rgb right;  // at (140, 70)
  Rgb left;   // at (60, 70)
};

TEST(Animation, PlaysEachFrameInTurnLoopsAndNeverHoldsUpTheMouse) {
  App app;
  const Point place{200, 200};
  ASSERT_TRUE(StartShowing(app, place, AddAnimation(app)));
  const Rect window{place.x, place.y, 200, 100};
  ASSERT_TRUE(WaitForPictureWindowAt(app, window));
  const Point right{place.x + 140, place.y + 70};
  const Point left{place.x + 60, place.y + 70};
  const Frame frames[] = {
      {"the green block", kLime, kRed},
      {"the blue block, the green cleared to the ground", kGroundGreen, kBlue},
      {"red all over again", kRed, kRed},
  };
  // Two rounds, each frame seen on the screen in its turn.
  for (int round = 0; round < 2; ++round) {
    for (const Frame& f : frames) {
      ASSERT_TRUE(WaitForScreen(
          window, std::string("round ") + std::to_string(round + 1) + ": " + f.what,
          [&](const Image& shot) {
            return SpotsHold(shot, {{"the right block", right, f.right, 8}, {"the left block", left, f.left, 8}});
          },
          "animation", 5s));
    }
  }
  // The menu opens and closes, and a double click ends the program, while frames keep coming.
  WindowFacts menu;
  ASSERT_TRUE(OpenMenu({place.x + 150, place.y + 30}, &menu));
  PressKey("Alt+c");  // the menu's Close item
  ASSERT_TRUE(WaitForNoMenu());
  DoubleClick({place.x + 150, place.y + 30});
  ASSERT_TRUE(app.WaitForExit());
  const auto saved = ReadSettingsRecord(app);
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->left, place.x * kTwipsPerPixel);
}

// An animated WebP, as adverts often come: red, green, then blue, half a second each, for ever.
// The Linux program only (label e2e-linux): Wine has no WebP codec; there the decoder's frame
// durations are read as Windows documents them, tested on fake metadata in the unit tests.
TEST(AnimatedWebp, PlaysEachFrameInTurnAndLoops) {
  App app;
  const Point place{210, 210};
  const std::string path = AddConvertedPicture(app,
                                               {"-loop", "0", "-delay", "50", "-size", "200x100", "xc:red", "xc:lime",
                                                "xc:blue", "-define", "webp:lossless=true"},
                                               "spin200x100.webp");
  ASSERT_TRUE(StartShowing(app, place, path));
  const Rect window{place.x, place.y, 200, 100};
  ASSERT_TRUE(WaitForPictureWindowAt(app, window));
  const Point middle{place.x + 100, place.y + 50};
  const std::pair<const char*, Rgb> frames[] = {{"green", kLime}, {"blue", kBlue}, {"red", kRed}};
  for (int round = 0; round < 2; ++round) {
    for (const auto& [what, colour] : frames) {
      ASSERT_TRUE(WaitForScreen(
          window, std::string("round ") + std::to_string(round + 1) + ": the " + what + " frame",
          [&](const Image& shot) {
            return SpotsHold(shot, {{what, middle, colour, 8}});
          },
          "animated-webp", 5s));
    }
  }
}

// The kinds the Linux program reads through the pixbuf loaders its setup installs, each made
// here: HEIC (libheif's loader, C++ beside the program's own C++ runtime), AVIF, and SVG with a
// clear half, drawn at its own size. The Linux program only (label e2e-linux): Windows reads
// these only with codecs a user adds.
std::string MakeRed(const App& app, const std::string& file) {
  return AddConvertedPicture(app, {"-size", "46x36", "xc:red"}, file);
}
// ImageMagick writes AVIF without an alpha channel: the clear parts are SVG's to show.
std::string MakeHalves(const App& app, const std::string& file) {
  return AddConvertedPicture(app, {"-size", "48x36", "xc:red", "-fill", "blue", "-draw", "rectangle 0,0 23,35"}, file);
}
std::string MakeSvg(const App& app, const std::string& file) {
  return AddFile(app, file,
                 "<svg xmlns='http://www.w3.org/2000/svg' width='60' height='40'>"
                 "<rect x='0' y='20' width='30' height='20' fill='#ff0000'/></svg>");
}

const KindCase kLoaderKinds[] = {
    {"Heic", "red46x36.heic", 46, 36, {{"red", {30, 26}, kRed, 24}}, MakeRed},
    {"Avif", "halves48x36.avif", 48, 36, {{"blue", {12, 28}, kBlue, 24}, {"red", {40, 28}, kRed, 24}}, MakeHalves},
    {"Svg",
     "half60x40.svg",
     60,
     40,
     {{"red", {12, 32}, kRed, 4}, {"the clear ground", {50, 32}, kGroundGreen, 4}},
     MakeSvg},
};

INSTANTIATE_TEST_SUITE_P(LoaderPictures, PictureKinds, testing::ValuesIn(kLoaderKinds),
                         [](const testing::TestParamInfo<KindCase>& test) { return test.param.name; });

// --- files no picture comes from ------------------------------------------------------------

constexpr int kFileNameId = 1148;  // the open-file dialog's file-name box

struct BadFile {
  const char* name;
  const char* fixture;
  std::vector<const char*> reasons;  // each must be in the message
};

void PrintTo(const BadFile& b, std::ostream* out) { *out << b.fixture; }

class BadFiles : public testing::TestWithParam<BadFile> {};

TEST_P(BadFiles, AreRefusedWithTheReasonWhileThePictureShownStays) {
  const BadFile& b = GetParam();
  App app;
  const Point place{250, 250};
  const std::string shown = AddFixture(app, "photo640x480.jpg");
  const std::string bad = AddFixture(app, b.fixture);
  ASSERT_TRUE(StartShowing(app, place, shown));
  const Rect window{place.x, place.y, 640, 480};
  ASSERT_TRUE(WaitForPictureWindowAt(app, window));
  const std::vector<std::uint8_t> settings = *app.ReadSettings();

  WindowFacts menu;
  ASSERT_TRUE(OpenMenu({place.x + 300, place.y + 200}, &menu));
  Click(MenuItemPoint(menu.rect, MenuItem::Select));
  ASSERT_TRUE(WaitForDialog(kOpenDialogTitle));
  TypeText(bad);
  ASSERT_TRUE(Eventually("the file name typed", [&] {
    const auto dialog = ShownDialog(kOpenDialogTitle);
    if (!dialog) return false;
    for (const ControlFacts& c : dialog->controls) {
      if (c.className == "Edit" && c.id == kFileNameId) return c.text == bad;
    }
    return false;
  }));
  PressKey("Return");
  ASSERT_TRUE(WaitForNoDialog(kOpenDialogTitle));

  DialogFacts box;
  std::string text;
  ASSERT_TRUE(WaitForOneLineMessage(&box, &text));
  EXPECT_NE(text.find(bad), std::string::npos) << text;
  for (const char* r : b.reasons) EXPECT_NE(text.find(r), std::string::npos) << r << " not in: " << text;
  ASSERT_TRUE(DismissMessage(box));

  EXPECT_TRUE(WaitForPictureWindowAt(app, window)) << "the picture shown before stays, at its size";
  EXPECT_TRUE(WaitForScreen(
      window, "the photo as before",
      [&](const Image& shot) {
        return SpotsHold(shot, {{"the photo's middle", {place.x + 320, place.y + 240}, Rgb::FromHex(0x5080C0), 12}});
      },
      std::string("after-") + b.name));
  EXPECT_TRUE(app.Running());
  EXPECT_EQ(*app.ReadSettings(), settings);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, BadFiles,
    testing::Values(BadFile{"CutShortPng", "cut-short.png", {"cut short"}},
                    BadFile{"PngChunkClaimingAGigabyte", "itxt-claims-1g.png", {"damaged", "claims 1073741828 bytes"}},
                    BadFile{"HugeJpeg", "huge20000.jpg", {"20000 x 20000 pixels", "32767 pixels a side", "64 million"}},
                    BadFile{"HugeBmp", "huge60000.bmp", {"60000 x 60000 pixels"}},
                    BadFile{"HugeGif", "huge65535.gif", {"65535 x 65535 pixels"}},
                    BadFile{"WebpWithoutCodec", "webp46x36.webp", {"WebP", "no decoder"}},
                    BadFile{"EmptyFrameMetafile", "empty-frame.emf", {"nothing to show"}}),
    [](const testing::TestParamInfo<BadFile>& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace corvane::e2e
