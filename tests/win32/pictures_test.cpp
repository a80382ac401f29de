// The system's OLE picture loader behind LoadPicture: every format at its natural size,
// transparency, and clean failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "win32_test_support.h"

namespace corvane::win32::testing {
namespace {

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

  const WORD header[10] = {0xCDD7, 0x9AC6, 0, 0, 0, static_cast<WORD>(right), static_cast<WORD>(bottom),
                           static_cast<WORD>(unitsPerInch), 0, 0};
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

// A 32 by 32 cursor with its hot spot at (5, 7): a 1-bit image, the centre black, the
// outer frame transparent.
std::string MakeCursor() {
  std::string bytes;
  auto put16 = [&](int v) { bytes += static_cast<char>(v & 0xFF), bytes += static_cast<char>((v >> 8) & 0xFF); };
  auto put32 = [&](unsigned v) { put16(static_cast<int>(v & 0xFFFF)), put16(static_cast<int>(v >> 16)); };
  const unsigned imageSize = 40 + 8 + 32 * 4 + 32 * 4;
  put16(0), put16(2), put16(1);                     // cursor directory, one image
  bytes += static_cast<char>(32), bytes += static_cast<char>(32), bytes += '\0', bytes += '\0';
  put16(5), put16(7), put32(imageSize), put32(22);  // hot spot, size, offset
  put32(40), put32(32), put32(64), put16(1), put16(1), put32(0), put32(32 * 4 * 2), put32(0), put32(0), put32(2), put32(0);
  put32(0x000000), put32(0xFFFFFF);  // palette: black, white
  for (int y = 0; y < 32; ++y) put32(0);  // XOR image: all black
  for (int y = 0; y < 32; ++y) {          // AND mask, bottom row first: transparent except the centre
    const bool inside = y >= 8 && y < 24;
    const unsigned row = inside ? 0xFF0000FFu : 0xFFFFFFFFu;  // bytes FF 00 00 FF: columns 8..23 opaque
    put32(row);
  }
  return bytes;
}

struct FormatCase {
  const char* file;
  PixelSize size;
};

TEST(OlePictures, EveryFormatLoadsAtItsNaturalSize) {
  TempFolder temp;
  WriteBytes(temp / "frame.wmf", MakePlaceableWmf(1000, 1000, 500));  // 1 by 0.5 inch
  MakeEmf(temp / "frame.emf", 2540, 1270);                               // 1 by 0.5 inch
  WriteBytes(temp / "pointer.cur", MakeCursor());
  const FormatCase cases[] = {
      {"bmp40x30.bmp", {40, 30}}, {"dib41x31.dib", {41, 31}}, {"gif42x32.gif", {42, 32}}, {"jpg43x33.jpg", {43, 33}},
      {"ico32x32.ico", {32, 32}}, {"photo640x480.jpg", {640, 480}},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(LoadOlePicture(FixturePath(c.file), 96)->Size(), c.size);
  }
  EXPECT_EQ(LoadOlePicture(temp / "frame.wmf", 96)->Size(), (PixelSize{96, 48}));
  EXPECT_EQ(LoadOlePicture(temp / "frame.emf", 96)->Size(), (PixelSize{96, 48}));
  EXPECT_EQ(LoadOlePicture(temp / "pointer.cur", 96)->Size(), (PixelSize{32, 32}));
}

TEST(OlePictures, MetafilesScaleWithTheScreenWhileBitmapsKeepTheirPixels) {
  TempFolder temp;
  WriteBytes(temp / "frame.wmf", MakePlaceableWmf(1000, 1000, 500));
  EXPECT_EQ(LoadOlePicture(temp / "frame.wmf", 144)->Size(), (PixelSize{144, 72}));
  EXPECT_EQ(LoadOlePicture(FixturePath("bmp40x30.bmp"), 144)->Size(), (PixelSize{40, 30}));
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
    static_cast<const OlePicture&>(picture).Render(dc_, x, y, part);
  }
  COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

TEST(OlePictures, TransparentPartsShowTheGroundBeneath) {
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
    green.Draw(*LoadOlePicture(c.path, 96), 10, 10, RECT{0, 0, 80, 60});
    EXPECT_EQ(green.Pixel(10 + c.clear.x, 10 + c.clear.y), RGB(0, 192, 0));
    EXPECT_EQ(green.Pixel(10 + c.opaque.x, 10 + c.opaque.y), c.drawn);
  }
}

TEST(OlePictures, AnOpaqueBitmapDrawsOnlyThePartAskedFor) {
  Surface white(60, 50, RGB(255, 255, 255));
  white.Draw(*LoadOlePicture(FixturePath("bmp40x30.bmp"), 96), 0, 0, RECT{30, 20, 60, 50});
  EXPECT_EQ(white.Pixel(35, 25), RGB(255, 0, 0)) << "inside the part: the picture";
  EXPECT_EQ(white.Pixel(5, 5), RGB(255, 255, 255)) << "outside the part: untouched";
}

TEST(OlePictures, FilesThatAreNoPictureFailWithAReason) {
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
      LoadOlePicture(c.path, 96);
      ADD_FAILURE() << "loaded";
    } catch (const Error& e) {
      const std::string text = e.what();
      EXPECT_TRUE(std::any_of(c.reasons.begin(), c.reasons.end(),
                              [&](const char* r) { return text.find(r) != std::string::npos; }))
          << text;
    }
  }
}

}  // namespace
}  // namespace corvane::win32::testing
