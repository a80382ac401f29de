// Clipboard pictures made into files a decoder reads, checked against the bytes there are.
#include "pictures/clipboard_bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace corvane::pictures {
namespace {

using ByteVector = std::vector<std::uint8_t>;

void Put32(ByteVector& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint32_t Get32(const ByteVector& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24);
}

struct DibSpec {
  const char* name;
  std::uint32_t headerSize;
  std::int32_t width, height;
  std::uint16_t bitCount;
  std::uint32_t compression;
  std::uint32_t colorsUsed;
  std::size_t extraBytes;  // after the header: masks, palette and rows as the DIB holds them
};

ByteVector MakeDib(const DibSpec& s) {
  ByteVector dib(s.headerSize + s.extraBytes, 0x5A);
  Put32(dib, 0, s.headerSize);
  Put32(dib, 4, static_cast<std::uint32_t>(s.width));
  Put32(dib, 8, static_cast<std::uint32_t>(s.height));
  dib[12] = 1;
  dib[13] = 0;
  dib[14] = static_cast<std::uint8_t>(s.bitCount);
  dib[15] = 0;
  Put32(dib, 16, s.compression);
  Put32(dib, 32, s.colorsUsed);
  return dib;
}

TEST(BmpFileFromDib, PutsTheFileHeaderInFrontWithThePixelsOffsetPastMasksAndPalette) {
  struct Case {
    DibSpec dib;
    std::uint32_t pixelOffset;
  };
  const Case cases[] = {
      {{"24-bit, rows padded to 8 bytes", 40, 2, 2, 24, 0, 0, 16}, 14 + 40},
      {{"top-down 32-bit", 40, 3, -2, 32, 0, 0, 24}, 14 + 40},
      {{"32-bit with masks after the header", 40, 1, 1, 32, 3, 0, 12 + 4}, 14 + 40 + 12},
      {{"version 5 header holding its masks", 124, 1, 1, 32, 3, 0, 4}, 14 + 124},
      {{"8-bit with a full palette", 40, 4, 1, 8, 0, 0, 1024 + 4}, 14 + 40 + 1024},
      {{"8-bit with a palette of 2", 40, 4, 1, 8, 0, 2, 8 + 4}, 14 + 40 + 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dib.name);
    const ByteVector dib = MakeDib(c.dib);
    const ClipboardPictureBytes bmp = BmpFileFromDib(dib);
    ASSERT_EQ(bmp.problem, "");
    ASSERT_EQ(bmp.file.size(), 14 + dib.size());
    EXPECT_EQ(bmp.file[0], 'B');
    EXPECT_EQ(bmp.file[1], 'M');
    EXPECT_EQ(Get32(bmp.file, 2), bmp.file.size());
    EXPECT_EQ(Get32(bmp.file, 10), c.pixelOffset);
    EXPECT_TRUE(std::equal(dib.begin(), dib.end(), bmp.file.begin() + 14));
  }
}

TEST(BmpFileFromDib, RefusesWhatTheBytesDoNotHoldBeforeCopyingAnything) {
  struct Case {
    DibSpec dib;
    const char* said;
  };
  const Case cases[] = {
      {{"a claimed 20000 x 20000 bitmap", 40, 20000, 20000, 32, 0, 0, 0}, "20000 x 20000 pixels"},
      {{"no area", 40, 0, 5, 24, 0, 0, 64}, "nothing to show"},
      {{"rows missing", 40, 10, 10, 24, 0, 0, 100}, "holds 140 bytes of the 360"},
      {{"the palette missing", 40, 1, 1, 8, 0, 0, 4}, "damaged"},
      {{"an old core header", 12, 1, 1, 24, 0, 0, 40}, "no known kind"},
      {{"a header longer than the data", 400, 1, 1, 24, 0, 0, 0}, "damaged"},
      {{"run-length compressed", 40, 2, 2, 8, 1, 0, 2048}, "compressed"},
      {{"7 bits per pixel", 40, 2, 2, 7, 0, 0, 64}, "7 bits per pixel"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dib.name);
    ByteVector dib = MakeDib(c.dib);
    if (c.dib.headerSize == 400) dib.resize(40);
    const ClipboardPictureBytes bmp = BmpFileFromDib(dib);
    EXPECT_NE(bmp.problem.find(c.said), std::string::npos) << bmp.problem;
    EXPECT_TRUE(bmp.file.empty());
  }
  EXPECT_NE(BmpFileFromDib(ByteVector(39, 0)).problem, "");
}

ByteVector PngHead(std::uint32_t width, std::uint32_t height) {
  ByteVector png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (std::uint32_t v : {width, height}) {
    for (int i = 3; i >= 0; --i) png.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  png.insert(png.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0});  // depth, colour type, ..., CRC
  return png;
}

TEST(CheckedPictureFile, PassesAPictureOfAKnownSizeAndRefusesTheRest) {
  ByteVector png = PngHead(3, 2);
  png.insert(png.end(), {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82});
  const ClipboardPictureBytes ok = CheckedPictureFile(png);
  EXPECT_EQ(ok.problem, "");
  EXPECT_EQ(ok.file, png);

  // Bytes after the end chunk are no reason to refuse it; a chunk claiming more than there is.
  ByteVector trailing = png;
  trailing.resize(png.size() + 5000, 'Z');
  EXPECT_EQ(CheckedPictureFile(trailing).problem, "");
  ByteVector lying = PngHead(3, 2);
  lying.insert(lying.end(), {0x40, 0, 0, 0, 'i', 'T', 'X', 't', 'x'});
  EXPECT_EQ(CheckedPictureFile(lying).problem,
            "The picture on the clipboard is damaged: a PNG chunk at byte 33 claims 1073741828 bytes, more than the 1 "
            "byte left.");
  // A GIF without its trailer passes with the trailer put back.
  const ByteVector gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0,    0, 0x2C,
                          0,   0,   0,   0,   1,   0,   1, 0, 0, 2, 2, 0x4C, 1, 0};
  ByteVector withTrailer = gif;
  withTrailer.push_back(';');
  EXPECT_EQ(CheckedPictureFile(gif).file, withTrailer);

  EXPECT_NE(CheckedPictureFile(PngHead(20000, 20000)).problem.find("20000 x 20000"), std::string::npos);
  EXPECT_NE(CheckedPictureFile(ByteVector{'h', 'e', 'l', 'l', 'o'}).problem.find("not a picture"), std::string::npos);
  EXPECT_NE(CheckedPictureFile({}).problem, "");
}

}  // namespace
}  // namespace corvane::pictures

namespace corvane::pictures {
namespace {

// A 2 x 2 DIB of 32-bit pixels; rows as stored (bottom-up unless the height is negative).
ByteVector Dib32(std::uint32_t headerSize, std::int32_t height, std::uint32_t compression,
                 std::vector<std::uint32_t> masks, const ByteVector& rows) {
  ByteVector dib = MakeDib({"", headerSize, 2, height, 32, compression, 0, 0});
  for (std::size_t i = 0; i < masks.size(); ++i) {
    if (headerSize == 40) dib.resize(dib.size() + 4);
    Put32(dib, 40 + i * 4, masks[i]);
  }
  dib.insert(dib.end(), rows.begin(), rows.end());
  return dib;
}

TEST(Bgra32Pixels, GivesTopDownRowsAndKeepsAlphaOnlyWhereTheHeaderNamesIt) {
  const ByteVector rows = {1, 2, 3, 0x40, 4,  5,  6,  0x80,   // the first row stored
                           7, 8, 9, 0x00, 10, 11, 12, 0xFF};  // the second
  const ByteVector flippedOpaque = {7, 8, 9, 0xFF, 10, 11, 12, 0xFF, 1, 2, 3, 0xFF, 4, 5, 6, 0xFF};
  const ByteVector asStored = rows;
  const std::vector<std::uint32_t> bgra = {0xFF0000, 0xFF00, 0xFF, 0xFF000000u};
  EXPECT_EQ(Bgra32Pixels(Dib32(40, 2, 0, {}, rows)), flippedOpaque) << "bottom-up, the fourth byte unused";
  EXPECT_EQ(Bgra32Pixels(Dib32(124, -2, 3, bgra, rows)), asStored) << "top-down, alpha named by the header";
  ByteVector flippedWithAlpha = {7, 8, 9, 0x00, 10, 11, 12, 0xFF, 1, 2, 3, 0x40, 4, 5, 6, 0x80};
  EXPECT_EQ(Bgra32Pixels(Dib32(40, 2, 6, bgra, rows)), flippedWithAlpha) << "alpha bit fields after the header";
  EXPECT_EQ(Bgra32Pixels(Dib32(40, 2, 3, {0xFF0000, 0xFF00, 0xFF}, rows)), flippedOpaque);
  EXPECT_TRUE(Bgra32Pixels(Dib32(40, 2, 3, {0xFF, 0xFF00, 0xFF0000}, rows)).empty()) << "red and blue swapped";
  EXPECT_TRUE(Bgra32Pixels(MakeDib({"", 40, 2, 2, 24, 0, 0, 16})).empty()) << "24-bit goes to the decoder";
  EXPECT_TRUE(Bgra32Pixels(MakeDib({"", 40, 20000, 20000, 32, 0, 0, 0})).empty());
}

}  // namespace
}  // namespace corvane::pictures
