// Loading pictures: the system's OLE picture loader, WIC for every format it decodes, the
// choice between them, the looks before decoding (claimed size, cut-short files), orientation,
// transparency and animation.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "common/picture_bytes.h"
#include "platform/win32/win32_scoped.h"
#include "win32_test_support.h"

namespace corvane::win32::testing {
namespace {

// The libraries the loaders call into, OLE among them (WIC is a COM component), started when
// a test first needs them as Corvane.exe starts them, and held until the test's pictures are
// gone.
class PictureTest : public ::testing::Test {
 protected:
  std::shared_ptr<Picture> Load(const std::string& path) { return LoadPictureFile(late, path, 96); }

  LateBound late;
};
class OlePictures : public PictureTest {};
class WicPictures : public PictureTest {};

// A placeable Windows metafile whose frame is `inchesX` by `inchesY` inches.
std::string MakePlaceableWmf(int unitsPerInch, int right, int bottom) {
  HDC dc = CreateMetaFileW(nullptr);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetWindowExtEx(dc, right, bottom, nullptr);
  HBRUSH brush = CreateSolidBrush(RGB(255, 128, 0));
  SelectObject(dc, brush);
  Rectangle(dc, right / 4, bottom / 4, right * 3 / 4, bottom * 3 / 4);
  HMETAFILE metafile = CloseMetaFile(dc);
  DeleteObject(brush);
  const UINT size = GetMetaFileBitsEx(metafile, 0, nullptr);
  std::string body(size, '\0');
  GetMetaFileBitsEx(metafile, size, body.data());
  DeleteMetaFile(metafile);

  const WORD header[10] = {
      0xCDD7, 0x9AC6, 0, 0, 0, static_cast<WORD>(right), static_cast<WORD>(bottom), static_cast<WORD>(unitsPerInch),
      0,      0};
  WORD words[11];
  std::copy(header, header + 10, words);
  WORD checksum = 0;
  for (int i = 0; i < 10; ++i) checksum ^= words[i];
  words[10] = checksum;
  return std::string(reinterpret_cast<const char*>(words), sizeof words) + body;
}

// An enhanced metafile whose frame is the given size in hundredths of a millimetre.
void MakeEmf(const std::string& path, int frameWidth, int frameHeight) {
  const RECT frame{0, 0, frameWidth, frameHeight};
  HDC dc = CreateEnhMetaFileW(nullptr, Widen(path).c_str(), &frame, L"Corvane test\0\0");
  HBRUSH brush = CreateSolidBrush(RGB(255, 128, 0));
  SelectObject(dc, brush);
  Rectangle(dc, 10, 10, 40, 30);
  DeleteEnhMetaFile(CloseEnhMetaFile(dc));
  DeleteObject(brush);
}

using test_files::MakeCursor;

struct FormatCase {
  const char* file;
  PixelSize size;
};

TEST_F(OlePictures, EveryFormatLoadsAtItsNaturalSize) {
  TempFolder temp;
  WriteBytes(temp / "frame.wmf", MakePlaceableWmf(1000, 1000, 500));  // 1 by 0.5 inch
  MakeEmf(temp / "frame.emf", 2540, 1270);                            // 1 by 0.5 inch
  WriteBytes(temp / "pointer.cur", MakeCursor());
  const FormatCase cases[] = {
      {"bmp40x30.bmp", {40, 30}}, {"dib41x31.dib", {41, 31}}, {"gif42x32.gif", {42, 32}},
      {"jpg43x33.jpg", {43, 33}}, {"ico32x32.ico", {32, 32}}, {"photo640x480.jpg", {640, 480}},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(LoadOlePicture(late, FixturePath(c.file), 96)->Size(), c.size);
  }
  EXPECT_EQ(LoadOlePicture(late, temp / "frame.wmf", 96)->Size(), (PixelSize{96, 48}));
  EXPECT_EQ(LoadOlePicture(late, temp / "frame.emf", 96)->Size(), (PixelSize{96, 48}));
  EXPECT_EQ(LoadOlePicture(late, temp / "pointer.cur", 96)->Size(), (PixelSize{32, 32}));
}

TEST_F(OlePictures, MetafilesScaleWithTheScreenWhileBitmapsKeepTheirPixels) {
  TempFolder temp;
  WriteBytes(temp / "frame.wmf", MakePlaceableWmf(1000, 1000, 500));
  EXPECT_EQ(LoadOlePicture(late, temp / "frame.wmf", 144)->Size(), (PixelSize{144, 72}));
  EXPECT_EQ(LoadOlePicture(late, FixturePath("bmp40x30.bmp"), 144)->Size(), (PixelSize{40, 30}));
}

// An off-screen drawing surface filled with one colour, read back pixel by pixel.
class Surface {
 public:
  Surface(int width, int height, COLORREF ground) {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bitmap_);
    const RECT all{0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(ground);
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
  }
  ~Surface() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  void Draw(const Picture& picture, int x, int y, const RECT& part) {
    static_cast<const GdiPicture&>(picture).Render(dc_, x, y, part);
  }
  COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

TEST_F(OlePictures, TransparentPartsShowTheGroundBeneath) {
  TempFolder temp;
  WriteBytes(temp / "pointer.cur", MakeCursor());
  WriteBytes(temp / "frame.wmf", MakePlaceableWmf(1000, 1000, 500));
  struct Case {
    std::string path;
    PixelPoint clear;   // in the picture's transparent part
    PixelPoint opaque;  // in its drawn part
    COLORREF drawn;
  };
  const Case cases[] = {
      {FixturePath("gif42x32.gif"), {2, 2}, {20, 15}, RGB(255, 128, 0)},
      {FixturePath("ico32x32.ico"), {2, 2}, {16, 16}, RGB(255, 128, 0)},
      {temp / "pointer.cur", {2, 2}, {16, 16}, RGB(0, 0, 0)},
      {temp / "frame.wmf", {2, 2}, {48, 24}, RGB(255, 128, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    Surface green(80, 60, RGB(0, 192, 0));
    green.Draw(*LoadOlePicture(late, c.path, 96), 10, 10, RECT{0, 0, 80, 60});
    EXPECT_EQ(green.Pixel(10 + c.clear.x, 10 + c.clear.y), RGB(0, 192, 0));
    EXPECT_EQ(green.Pixel(10 + c.opaque.x, 10 + c.opaque.y), c.drawn);
  }
}

TEST_F(OlePictures, AnOpaqueBitmapDrawsOnlyThePartAskedFor) {
  Surface white(60, 50, RGB(255, 255, 255));
  white.Draw(*LoadOlePicture(late, FixturePath("bmp40x30.bmp"), 96), 0, 0, RECT{30, 20, 60, 50});
  EXPECT_EQ(white.Pixel(35, 25), RGB(255, 0, 0)) << "inside the part: the picture";
  EXPECT_EQ(white.Pixel(5, 5), RGB(255, 255, 255)) << "outside the part: untouched";
}

TEST_F(OlePictures, FilesThatAreNoPictureFailWithAReason) {
  struct Case {
    std::string path;
    std::vector<const char*> reasons;  // the system's wording differs between Windows and Wine
  };
  const Case cases[] = {
      {FixturePath("no-such-file.jpg"), {"cannot find", "not found"}},
      {FixturePath("text.jpg"), {"not a picture"}},
      {FixturePath("empty.bmp"), {"empty"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    try {
      LoadOlePicture(late, c.path, 96);
      ADD_FAILURE() << "loaded";
    } catch (const Error& e) {
      const std::string text = e.what();
      EXPECT_TRUE(std::any_of(c.reasons.begin(), c.reasons.end(), [&](const char* r) {
        return text.find(r) != std::string::npos;
      })) << text;
    }
  }
}

TEST_F(OlePictures, AFileThatCannotBeOpenedIsNamedWithTheCallThatFailed) {
  const std::string path = FixturePath("no-such-file.jpg");
  struct Case {
    const char* loader;
    std::function<void()> load;
  };
  const Case cases[] = {{"OLE", [&] { LoadOlePicture(late, path, 96); }}, {"any", [&] { Load(path); }}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.loader);
    try {
      c.load();
      ADD_FAILURE() << "loaded";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find("CreateFile(" + path + ") failed: "), std::string::npos) << e.what();
    }
  }
}

// --- WIC, and the choice of loader ---

const char* LoaderOf(const Picture& p) { return static_cast<const GdiPicture&>(p).Loader(); }

// Within `tolerance` on each channel (JPEG pixels are near, not exact).
::testing::AssertionResult Near(COLORREF got, COLORREF want, int tolerance) {
  const auto off = [](int a, int b) { return a > b ? a - b : b - a; };
  if (off(GetRValue(got), GetRValue(want)) <= tolerance && off(GetGValue(got), GetGValue(want)) <= tolerance &&
      off(GetBValue(got), GetBValue(want)) <= tolerance)
    return ::testing::AssertionSuccess();
  char text[80];
  wsprintfA(text, "got %02X%02X%02X, want %02X%02X%02X", GetRValue(got), GetGValue(got), GetBValue(got),
            GetRValue(want), GetGValue(want), GetBValue(want));
  return ::testing::AssertionFailure() << text;
}

constexpr COLORREF kGround = RGB(0, 192, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kOrange = RGB(255, 128, 0);

struct Sample {
  PixelPoint at;
  COLORREF color;
};

TEST_F(WicPictures, EveryFormatWicDecodesLoadsThroughItAtItsSizeWithItsPixels) {
  struct Case {
    const char* file;
    PixelSize size;
    std::vector<Sample> samples;
    int tolerance;
  };
  const Case cases[] = {
      {"bmp40x30.bmp", {40, 30}, {{{5, 5}, kBlue}, {{30, 20}, kRed}}, 0},
      {"dib41x31.dib", {41, 31}, {{{5, 5}, kBlue}, {{30, 20}, kRed}}, 0},
      {"gif42x32.gif", {42, 32}, {{{2, 2}, kGround}, {{20, 15}, kOrange}}, 0},
      {"no-trailer42x32.gif", {42, 32}, {{{2, 2}, kGround}, {{20, 15}, kOrange}}, 0},
      {"jpg43x33.jpg", {43, 33}, {{{5, 5}, kBlue}, {{35, 25}, kRed}}, 40},
      {"jpeg43x33.jpeg", {43, 33}, {{{5, 5}, kBlue}, {{35, 25}, kRed}}, 40},
      {"jfif43x33.jfif", {43, 33}, {{{5, 5}, kBlue}, {{35, 25}, kRed}}, 40},
      {"with-video43x33.jpg", {43, 33}, {{{5, 5}, kBlue}, {{35, 25}, kRed}}, 40},
      {"png48x36.png", {48, 36}, {{{1, 1}, kGround}, {{10, 10}, kBlue}, {{30, 20}, RGB(128, 96, 0)}}, 2},
      {"trailing48x36.png", {48, 36}, {{{1, 1}, kGround}, {{10, 10}, kBlue}, {{30, 20}, RGB(128, 96, 0)}}, 2},
      {"png45x35-named.jpg", {45, 35}, {{{5, 5}, kBlue}, {{35, 25}, kRed}}, 0},
      {"tif44x34.tif", {44, 34}, {{{5, 5}, kBlue}, {{35, 25}, kRed}}, 0},
      {"tiff44x34.tiff", {44, 34}, {{{5, 5}, kBlue}, {{35, 25}, kRed}}, 0},
      {"ico32x32.ico", {32, 32}, {{{2, 2}, kGround}, {{16, 16}, kOrange}}, 0},
      {"photo640x480.jpg", {640, 480}, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::shared_ptr<Picture> picture = Load(FixturePath(c.file));
    EXPECT_STREQ(LoaderOf(*picture), "WIC") << "Windows' OLE loader reads no PNG or TIFF: WIC must take them all";
    EXPECT_EQ(picture->Size(), c.size);
    Surface green(64, 48, kGround);
    green.Draw(*picture, 0, 0, RECT{0, 0, 64, 48});
    for (const Sample& s : c.samples) {
      EXPECT_TRUE(Near(green.Pixel(s.at.x, s.at.y), s.color, c.tolerance)) << "at " << s.at.x << "," << s.at.y;
    }
  }
}

TEST_F(WicPictures, AnOpaqueUprightJpegIsHeldInItsDecodersThreeBytesAPixel) {
  // A 6000 by 4000 photo widened to 32 bits would take a third more memory, and a converter
  // would copy it once more on the way. Turned photos and transparent pictures stay 32-bit.
  struct Case {
    const char* file;
    int bitsPerPixel;
  };
  const Case cases[] = {
      {"jpg43x33.jpg", 24},  // rows of 129 bytes, padded to 132
      {"photo640x480.jpg", 24},
      {"orient6.jpg", 32},
      {"png48x36.png", 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::shared_ptr<Picture> picture = Load(FixturePath(c.file));
    EXPECT_EQ(static_cast<const GdiPicture&>(*picture).HeldBitsPerPixel(), c.bitsPerPixel);
  }
  // Its rows, padded to 4 bytes, line up: the blue corner keeps its straight edges (a row read
  // at the wrong stride would shear it by a pixel a row), the picture ends where it should.
  Surface green(64, 48, kGround);
  green.Draw(*Load(FixturePath("jpg43x33.jpg")), 0, 0, RECT{0, 0, 64, 48});
  const Sample samples[] = {{{1, 1}, kBlue},   {{18, 1}, kBlue}, {{1, 14}, kBlue},
                            {{18, 14}, kBlue}, {{24, 14}, kRed}, {{42, 32}, kRed}};
  for (const Sample& s : samples) {
    EXPECT_TRUE(Near(green.Pixel(s.at.x, s.at.y), s.color, 40)) << "at " << s.at.x << "," << s.at.y;
  }
  EXPECT_TRUE(Near(green.Pixel(43, 10), kGround, 0)) << "right of the picture: untouched";
}

TEST_F(WicPictures, ABlendedPictureDrawsOnlyThePartAskedFor) {
  Surface green(64, 48, kGround);
  green.Draw(*Load(FixturePath("png48x36.png")), 0, 0, RECT{0, 0, 15, 48});
  EXPECT_TRUE(Near(green.Pixel(10, 10), kBlue, 0));
  EXPECT_TRUE(Near(green.Pixel(16, 10), kGround, 0)) << "outside the part: untouched";
}

TEST_F(WicPictures, MetafilesAndCursorsGoOnThroughTheOleLoader) {
  TempFolder temp;
  WriteBytes(temp / "frame.wmf", MakePlaceableWmf(1000, 1000, 500));
  MakeEmf(temp / "frame.emf", 2540, 1270);
  WriteBytes(temp / "pointer.cur", MakeCursor());
  const FormatCase cases[] = {{"frame.wmf", {96, 48}}, {"frame.emf", {96, 48}}, {"pointer.cur", {32, 32}}};
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.file);
    const std::shared_ptr<Picture> picture = Load(temp / c.file);
    EXPECT_STREQ(LoaderOf(*picture), "OLE");
    EXPECT_EQ(picture->Size(), c.size);
  }
}

TEST_F(WicPictures, AJpegStandsUprightAsItsExifOrientationSays) {
  // The stored picture is 40 by 20: blue at (5,5), green at (35,5), red below. Where those
  // points belong once upright, from the Exif definitions of the eight orientations.
  struct Case {
    int orientation;
    PixelSize size;
    PixelPoint blue, green;
  };
  const Case cases[] = {
      {1, {40, 20}, {5, 5}, {35, 5}},   {2, {40, 20}, {34, 5}, {4, 5}}, {3, {40, 20}, {34, 14}, {4, 14}},
      {4, {40, 20}, {5, 14}, {35, 14}}, {5, {20, 40}, {5, 5}, {5, 35}}, {6, {20, 40}, {14, 5}, {14, 35}},
      {7, {20, 40}, {14, 34}, {14, 4}}, {8, {20, 40}, {5, 34}, {5, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.orientation);
    const std::string path = FixturePath("orient" + std::to_string(c.orientation) + ".jpg");
    const std::shared_ptr<Picture> picture = LoadWicPicture(late, path, GlanceAtFile(path));
    ASSERT_NE(picture, nullptr);
    EXPECT_STREQ(LoaderOf(*Load(path)), "WIC");
    EXPECT_EQ(picture->Size(), c.size);
    Surface white(48, 48, RGB(255, 255, 255));
    white.Draw(*picture, 0, 0, RECT{0, 0, 48, 48});
    EXPECT_TRUE(Near(white.Pixel(c.blue.x, c.blue.y), kBlue, 40));
    EXPECT_TRUE(Near(white.Pixel(c.green.x, c.green.y), RGB(0, 255, 0), 40));
  }
}

TEST_F(WicPictures, AnAnimatedGifPlaysEachFrameWithItsDisposalAndLoops) {
  const std::shared_ptr<Picture> picture = Load(FixturePath("anim30x20.gif"));
  EXPECT_STREQ(LoaderOf(*picture), "WIC");
  ASSERT_EQ(picture->Size(), (PixelSize{30, 20}));
  const auto at = [&](PixelPoint p) {
    Surface green(30, 20, kGround);
    green.Draw(*picture, 0, 0, RECT{0, 0, 30, 20});
    return green.Pixel(p.x, p.y);
  };
  const PixelPoint corner{1, 1}, left{7, 7}, right{17, 7};
  struct Step {
    PixelRect changed;  // by the step into this frame
    int delay;
    COLORREF corner, left, right;
  };
  const Step steps[] = {
      {{}, 300, kRed, kRed, kRed},
      {{5, 5, 15, 15}, 100, kRed, RGB(0, 255, 0), kRed},         // a 10 ms delay shows for 100 ms
      {{5, 5, 25, 15}, 400, kRed, kGround, kBlue},               // the green square cleared to the ground
      {{0, 0, 25, 15}, 300, RGB(255, 255, 255), kGround, kRed},  // what lay under the blue restored
      {{0, 0, 30, 20}, 300, kRed, kRed, kRed},                   // the next round starts afresh
  };
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    const Step& s = steps[i];
    if (i > 0) {
      EXPECT_EQ(picture->NextFrame(), s.changed);
    }
    EXPECT_EQ(picture->FrameDelay(), s.delay);
    EXPECT_EQ(at(corner), s.corner);
    EXPECT_EQ(at(left), s.left);
    EXPECT_EQ(at(right), s.right);
  }
}

TEST_F(WicPictures, AnAnimationOfTenThousandFramesPlaysEachInTurn) {
  const std::shared_ptr<Picture> picture = Load(FixturePath("frames10000.gif"));
  ASSERT_EQ(picture->Size(), (PixelSize{40, 30}));
  const auto middle = [&] {
    Surface green(40, 30, kGround);
    green.Draw(*picture, 0, 0, RECT{0, 0, 40, 30});
    return green.Pixel(20, 15);
  };
  for (const COLORREF colour : {kRed, kBlue, kRed, kBlue}) {
    EXPECT_EQ(middle(), colour);
    EXPECT_EQ(picture->FrameDelay(), 100) << "0 ms shows for 100 ms";
    EXPECT_EQ(picture->NextFrame(), (PixelRect{0, 0, 40, 30}));
  }
}

TEST_F(WicPictures, AnAnimationPlaysAsManyTimesAsItsLoopCountSays) {
  const std::shared_ptr<Picture> picture = Load(FixturePath("anim-twice.gif"));
  std::vector<int> delays;
  while (picture->FrameDelay() > 0 && delays.size() < 20) {
    delays.push_back(picture->FrameDelay());
    picture->NextFrame();
  }
  EXPECT_EQ(delays, std::vector<int>(5, 20)) << "three frames twice over: five steps, then the last frame stays";
  EXPECT_EQ(picture->NextFrame(), PixelRect{});
}

TEST_F(WicPictures, FramesWithoutDelaysShowTheFirstAndStayStill) {
  // A TIFF of three pages, and an icon of two sizes: frames, but nothing says how long each
  // stays, so they are no animation.
  struct Case {
    const char* file;
    PixelSize size;
    PixelPoint at;
    COLORREF color;
  };
  const Case cases[] = {{"pages36x24.tif", {36, 24}, {18, 12}, kRed},
                        {"ico32x32-16x16.ico", {32, 32}, {16, 16}, kOrange}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::shared_ptr<Picture> picture = Load(FixturePath(c.file));
    EXPECT_STREQ(LoaderOf(*picture), "WIC");
    EXPECT_EQ(picture->Size(), c.size);
    EXPECT_EQ(picture->FrameDelay(), 0) << "no timer for a still picture";
    EXPECT_EQ(picture->NextFrame(), PixelRect{});
    Surface green(64, 48, kGround);
    green.Draw(*picture, 0, 0, RECT{0, 0, 64, 48});
    EXPECT_EQ(green.Pixel(c.at.x, c.at.y), c.color);
  }
}

TEST_F(WicPictures, BadFilesAreRefusedWithTheReason) {
  const bool webp = [this] {
    const std::vector<std::string> e = WicExtensions(late);
    return std::find(e.begin(), e.end(), "webp") != e.end();
  }();
  struct Case {
    const char* file;
    std::vector<const char*> reasons;  // every one must be in the message
  };
  const std::vector<Case> cases = {
      {"cut-short.png", {"cut short"}},
      {"cut-short.jpg", {"cut short"}},
      {"cut-short.gif", {"damaged"}},
      {"itxt-claims-1g.png", {"damaged", "a PNG chunk at byte 33 claims 1073741828 bytes"}},
      {"cut-short8000.png", {"cut short"}},
      {"cut-short8000.jpg", {"cut short"}},
      {"huge60000.bmp", {"60000 x 60000 pixels", "32767 pixels a side", "64 million pixels"}},
      {"huge65535.gif", {"65535 x 65535 pixels", "32767 pixels a side"}},
      {"huge20000.jpg", {"20000 x 20000 pixels", "64 million pixels"}},
      {"text.jpg", {"not a picture Corvane can show", "png", "jpeg"}},
      {"empty.bmp", {"empty"}},
      {"empty-frame.emf", {"0 x 0 pixels", "nothing to show"}},
      {"inverted-frame.emf", {"nothing to show"}},
      {"zero-unit.wmf", {"nothing to show"}},
      {"no-such-file.png", {}},
  };
  std::vector<Case> all = cases;
  if (!webp) all.push_back({"webp46x36.webp", {"WebP picture", "no decoder for WebP", "png"}});
  for (const Case& c : all) {
    SCOPED_TRACE(c.file);
    try {
      const std::shared_ptr<Picture> p = Load(FixturePath(c.file));
      ADD_FAILURE() << "loaded, " << p->Size().width << " x " << p->Size().height;
    } catch (const Error& e) {
      const std::string text = e.what();
      EXPECT_FALSE(text.empty());
      for (const char* r : c.reasons) EXPECT_NE(text.find(r), std::string::npos) << text;
    }
  }
  if (webp) {
    EXPECT_EQ(Load(FixturePath("webp46x36.webp"))->Size(), (PixelSize{46, 36}));
  }
}

TEST_F(WicPictures, TheExtensionsComeFromWicsDecodersThenTheOleLoader) {
  const std::vector<std::string> wic = WicExtensions(late);
  for (const char* e : {"bmp", "dib", "gif", "jpg", "jpeg", "jfif", "png", "tif", "tiff", "ico"}) {
    EXPECT_NE(std::find(wic.begin(), wic.end(), e), wic.end()) << e << " missing from WIC's decoders";
  }
  const std::vector<std::string> all = PictureFileExtensions(late);
  ASSERT_GE(all.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(all.begin(), all.begin() + 5),
            (std::vector<std::string>{"bmp", "gif", "jpg", "jpeg", "png"}));
  for (const std::string& e : wic) EXPECT_NE(std::find(all.begin(), all.end(), e), all.end()) << e;
  for (const char* e : {"wmf", "emf", "cur"}) EXPECT_NE(std::find(all.begin(), all.end(), e), all.end()) << e;
  for (std::size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(std::count(all.begin(), all.end(), all[i]), 1) << all[i];
    EXPECT_EQ(all[i].find_first_of(".ABCDEFGHIJKLMNOPQRSTUVWXYZ "), std::string::npos) << all[i];
  }
}

}  // namespace
}  // namespace corvane::win32::testing
