// The portable readers that look at a picture file before any decoder does: the Exif
// orientation of a JPEG, the format, claimed size and cut-short ends of the common formats, and
// the walk over their containers' lengths.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pictures/container_walk.h"
#include "pictures/exif_orientation.h"
#include "pictures/picture_header.h"

namespace corvane::pictures {
namespace {

using ByteString = std::string;

std::span<const std::uint8_t> Span(const ByteString& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

ByteString Be16(unsigned v) { return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)}; }
ByteString Le16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
ByteString Le32(unsigned v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }
ByteString Be32(unsigned v) { return Be16(v >> 16) + Be16(v & 0xFFFF); }

// A JPEG segment: marker, length, body.
ByteString Segment(unsigned marker, const ByteString& body) {
  return ByteString("\xFF") + static_cast<char>(marker) + Be16(static_cast<unsigned>(body.size() + 2)) + body;
}

// The TIFF body of an Exif block with one directory entry (tag, type, count, value).
ByteString Tiff(bool bigEndian, unsigned tag, unsigned type, unsigned count, unsigned value,
                unsigned directoryOffset = 8, unsigned entries = 1) {
  const auto u16 = bigEndian ? Be16 : Le16;
  const auto u32 = bigEndian ? Be32 : Le32;
  ByteString t = bigEndian ? "MM" : "II";
  t += u16(42) + u32(directoryOffset) + u16(entries) + u16(tag) + u16(type) + u32(count);
  t += u16(value) + u16(0) + u32(0);
  return t;
}

ByteString Exif(const ByteString& tiff) { return Segment(0xE1, ByteString("Exif\0\0", 6) + tiff); }
const ByteString kSoi = "\xFF\xD8";
const ByteString kApp0 = Segment(0xE0, ByteString("JFIF\0\1\1\0\0\1\0\1\0\0", 14));
const ByteString kScan = Segment(0xDA, "\1\1\0\0?\0") + "\x12\x34" + "\xFF\xD9";

TEST(ExifOrientation, ReadsTheTagAndGivesUpSafelyOnAnythingElse) {
  struct Case {
    const char* name;
    ByteString bytes;
    Orientation expected;
  };
  const Case cases[] = {
      {"little-endian, turned left", kSoi + Exif(Tiff(false, 0x0112, 3, 1, 6)) + kScan, Orientation::TurnedLeft},
      {"big-endian, turned right", kSoi + Exif(Tiff(true, 0x0112, 3, 1, 8)) + kScan, Orientation::TurnedRight},
      {"after a JFIF segment", kSoi + kApp0 + Exif(Tiff(false, 0x0112, 3, 1, 3)) + kScan, Orientation::UpsideDown},
      {"fill bytes before a marker", kSoi + "\xFF\xFF" + Exif(Tiff(true, 0x0112, 3, 1, 5)), Orientation::Transposed},
      {"an XMP block first",
       kSoi + Segment(0xE1, "http://ns.adobe.com/xap/1.0/\0x") + Exif(Tiff(false, 0x0112, 3, 1, 7)),
       Orientation::Transversed},
      {"no Exif", kSoi + kApp0 + kScan, Orientation::Upright},
      {"Exif only after the image data", kSoi + kScan + Exif(Tiff(false, 0x0112, 3, 1, 6)), Orientation::Upright},
      {"not a JPEG", "\x89PNG\r\n\x1A\n" + Exif(Tiff(false, 0x0112, 3, 1, 6)), Orientation::Upright},
      {"value out of range", kSoi + Exif(Tiff(false, 0x0112, 3, 1, 9)), Orientation::Upright},
      {"value zero", kSoi + Exif(Tiff(false, 0x0112, 3, 1, 0)), Orientation::Upright},
      {"wrong type", kSoi + Exif(Tiff(false, 0x0112, 4, 1, 6)), Orientation::Upright},
      {"two values", kSoi + Exif(Tiff(false, 0x0112, 3, 2, 6)), Orientation::Upright},
      {"another tag", kSoi + Exif(Tiff(false, 0x0110, 3, 1, 6)), Orientation::Upright},
      {"directory past the end", kSoi + Exif(Tiff(false, 0x0112, 3, 1, 6, 0xFFFFFFF0u)), Orientation::Upright},
      {"more entries claimed than present", kSoi + Exif(Tiff(false, 0x0110, 3, 1, 6, 8, 0xFFFF)), Orientation::Upright},
      {"bad byte order mark", kSoi + Exif("XX" + Tiff(false, 0x0112, 3, 1, 6).substr(2)), Orientation::Upright},
      {"segment length below two", kSoi + "\xFF\xE1\x00\x01" + "Exif", Orientation::Upright},
      {"Exif segment cut short", (kSoi + Exif(Tiff(false, 0x0112, 3, 1, 6))).substr(0, 20), Orientation::Upright},
      {"Exif body shorter than its name", kSoi + Segment(0xE1, "Exi") + "Exif\0\0", Orientation::Upright},
      {"empty", "", Orientation::Upright},
      {"only the start marker", kSoi, Orientation::Upright},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadJpegOrientation(Span(c.bytes)), c.expected);
  }
}

TEST(ExifOrientation, StandsEachOrientationUpright) {
  // A 4 by 2 stored picture, each pixel its own value (10 * y + x); where the stored top-left
  // (0,0) and top-right (3,0) pixels belong once upright, from the Exif definitions.
  struct Case {
    Orientation o;
    int uprightWidth;
    std::pair<int, int> topLeft, topRight;
  };
  const Case cases[] = {
      {Orientation::Upright, 4, {0, 0}, {3, 0}},     {Orientation::MirroredHorizontally, 4, {3, 0}, {0, 0}},
      {Orientation::UpsideDown, 4, {3, 1}, {0, 1}},  {Orientation::MirroredVertically, 4, {0, 1}, {3, 1}},
      {Orientation::Transposed, 2, {0, 0}, {0, 3}},  {Orientation::TurnedLeft, 2, {1, 0}, {1, 3}},
      {Orientation::Transversed, 2, {1, 3}, {1, 0}}, {Orientation::TurnedRight, 2, {0, 3}, {0, 0}},
  };
  const std::uint32_t stored[] = {0, 1, 2, 3, 10, 11, 12, 13};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.o));
    std::uint32_t upright[8];
    std::fill(std::begin(upright), std::end(upright), 99u);
    StandUpright(stored, 4, 2, c.o, upright);
    EXPECT_EQ(SwapsSides(c.o), c.uprightWidth == 2);
    const auto at = [&](std::pair<int, int> p) { return upright[p.second * c.uprightWidth + p.first]; };
    EXPECT_EQ(at(c.topLeft), 0u);
    EXPECT_EQ(at(c.topRight), 3u);
    std::vector<std::uint32_t> sorted(std::begin(upright), std::end(upright));
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::uint32_t>{0, 1, 2, 3, 10, 11, 12, 13})) << "every pixel once";
  }
}

ByteString Bmp(int width, int height, unsigned bitCount, unsigned pixelBytes) {
  ByteString b = "BM" + Le32(54 + pixelBytes) + Le32(0) + Le32(54);
  b += Le32(40) + Le32(static_cast<unsigned>(width)) + Le32(static_cast<unsigned>(height)) + Le16(1) + Le16(bitCount);
  b += Le32(0) + Le32(pixelBytes) + Le32(2835) + Le32(2835) + Le32(0) + Le32(0);
  return b + ByteString(pixelBytes, '\x7F');
}

ByteString Gif(unsigned screenW, unsigned screenH, unsigned imageW, unsigned imageH) {
  ByteString g = "GIF89a" + Le16(screenW) + Le16(screenH) + ByteString("\x80\0\0", 3) + ByteString(6, '\0');
  g += ByteString("\x21\xF9\x04\x01\x0A\x00\x00\x00", 8);  // graphic control extension
  g += "\x2C" + Le16(0) + Le16(0) + Le16(imageW) + Le16(imageH) + ByteString("\0\x02\x02\x4C\x01\0", 6);
  return g + ";";
}

ByteString Png(unsigned w, unsigned h, bool withEnd) {
  ByteString p = ByteString("\x89PNG\r\n\x1A\n") + Be32(13) + "IHDR" + Be32(w) + Be32(h) +
                 ByteString("\x08\x06\0\0\0", 5) + Be32(0) + Be32(2) + "IDAT" + "xx" + Be32(0);
  if (withEnd) p += Be32(0) + "IEND" + Be32(0xAE426082);
  return p;
}

ByteString Jpeg(unsigned w, unsigned h, bool withEnd) {
  ByteString j = kSoi + kApp0 + Segment(0xDB, ByteString(65, '\1')) +
                 Segment(0xC0, ByteString("\x08") + Be16(h) + Be16(w) + ByteString("\x01\x01\x11\0", 4)) +
                 Segment(0xDA, "\1\1\0\0?\0") + "\x12\xFF\x00\x34";
  return withEnd ? j + "\xFF\xD9" : j;
}

ByteString Webp(const ByteString& chunk) { return "RIFF" + Le32(100) + "WEBP" + chunk; }

TEST(PictureHeader, TellsTheFormatTheClaimedSizeAndACutShortEnd) {
  struct Case {
    const char* name;
    ByteString bytes;
    PictureFormat format;
    std::int64_t width, height;  // 0, 0: not known
    bool cutShort;
  };
  const Case cases[] = {
      {"bmp", Bmp(3, 2, 24, 24), PictureFormat::Bmp, 3, 2, false},
      {"bmp top-down", Bmp(3, -2, 24, 24), PictureFormat::Bmp, 3, 2, false},
      {"bmp missing rows", Bmp(3, 4, 24, 24), PictureFormat::Bmp, 3, 4, true},
      {"bmp claiming 60000 x 60000", Bmp(60000, 60000, 24, 16), PictureFormat::Bmp, 60000, 60000, false},
      {"gif", Gif(42, 32, 42, 32), PictureFormat::Gif, 42, 32, false},
      {"gif claiming 65535 x 65535", Gif(65535, 65535, 1, 1), PictureFormat::Gif, 65535, 65535, false},
      {"gif with an image past its screen", Gif(10, 10, 40000, 3), PictureFormat::Gif, 40000, 10, false},
      {"png", Png(7, 5, true), PictureFormat::Png, 7, 5, false},
      {"png without its end (judged by the walk)", Png(7, 5, false), PictureFormat::Png, 7, 5, false},
      {"jpeg", Jpeg(43, 33, true), PictureFormat::Jpeg, 43, 33, false},
      {"jpeg claiming 20000 x 20000", Jpeg(20000, 20000, true), PictureFormat::Jpeg, 20000, 20000, false},
      {"jpeg without its end", Jpeg(43, 33, false), PictureFormat::Jpeg, 43, 33, true},
      {"jpeg with a height given later", Jpeg(43, 0, true), PictureFormat::Jpeg, 0, 0, false},
      {"webp extended", Webp("VP8X" + Le32(10) + Le32(0) + ByteString("\x3F\x01\0\xC7\0\0", 6)), PictureFormat::Webp,
       320, 200, false},
      {"webp lossy", Webp("VP8 " + Le32(10) + ByteString("\0\0\0\x9D\x01\x2A", 6) + Le16(640) + Le16(480)),
       PictureFormat::Webp, 640, 480, false},
      {"webp lossless", Webp("VP8L" + Le32(5) + "\x2F" + Le32(99 | (49u << 14))), PictureFormat::Webp, 100, 50, false},
      {"tiff", ByteString("II*\0", 4) + Le32(8), PictureFormat::Tiff, 0, 0, false},
      {"ico", ByteString("\0\0\1\0\1\0", 6), PictureFormat::Ico, 0, 0, false},
      {"placeable wmf", ByteString("\xD7\xCD\xC6\x9A") + ByteString(20, '\0'), PictureFormat::Wmf, 0, 0, false},
      {"text", "just some text, not a picture\n", PictureFormat::Unknown, 0, 0, false},
      {"a lone BMP mark", "BM", PictureFormat::Bmp, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t tail = std::min<std::size_t>(c.bytes.size(), 16);
    const PictureHeader h =
        ReadPictureHeader(Span(c.bytes), Span(c.bytes).subspan(c.bytes.size() - tail), c.bytes.size());
    EXPECT_EQ(h.format, c.format);
    EXPECT_EQ(h.sizeKnown, c.width != 0);
    EXPECT_EQ(h.width, c.width);
    EXPECT_EQ(h.height, c.height);
    EXPECT_EQ(h.cutShort, c.cutShort);
  }
}

TEST(PictureHeader, AJpegsEndIsFoundAfterItsFirstScanWhateverFollowsIt) {
  const ByteString cut = Jpeg(43, 33, false);
  const ByteString whole = Jpeg(43, 33, true) + ByteString(9000, '\x5A');  // a video after the picture
  for (const ByteString* file : {&cut, &whole}) {
    const PictureHeader h = ReadPictureHeader(Span(*file), Span(*file).last(16), file->size());
    EXPECT_TRUE(h.cutShort) << "the last bytes hold no end marker";
    ASSERT_GT(h.scanStart, 0u);
    // Fed in chunks of every size from 1 to 7 bytes, so the marker may straddle two.
    for (std::size_t size = 1; size <= 7; ++size) {
      pictures::JpegEndFinder finder;
      bool found = false;
      for (std::size_t at = h.scanStart; at < file->size() && !found; at += size) {
        found = finder.Feed(Span(*file).subspan(at, std::min(size, file->size() - at)));
      }
      EXPECT_EQ(found, file == &whole) << "chunks of " << size;
    }
  }
  // An Exif thumbnail's end marker before the scan does not count.
  const ByteString thumbnail =
      kSoi + Segment(0xE1, ByteString("Exif\0\0", 6) + "\xFF\xD8\xFF\xD9") + Jpeg(4, 4, false).substr(2);
  const PictureHeader t = ReadPictureHeader(Span(thumbnail), Span(thumbnail).last(4), thumbnail.size());
  pictures::JpegEndFinder finder;
  EXPECT_FALSE(finder.Feed(Span(thumbnail).subspan(t.scanStart)));
}

TEST(PictureHeader, TheSizeCeilingAndTheEmptySize) {
  struct Case {
    std::int64_t width, height;
    const char* problem;  // a part of the reason, or nullptr for none
  };
  const Case cases[] = {
      {6000, 4000, nullptr},
      {8000, 8000, nullptr},
      {32767, 1, nullptr},
      {32768, 1, "32768 x 1 pixels, larger than Corvane shows: at most 32767 pixels a side and 64 million pixels"},
      {8001, 8000, "larger than Corvane shows"},
      {20000, 20000, "20000 x 20000"},
      {0, 10, "0 x 10 pixels, so there is nothing to show"},
      {10, -3, "nothing to show"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    const std::string problem = SizeProblem(c.width, c.height);
    if (!c.problem) {
      EXPECT_EQ(problem, "");
    } else {
      EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
  }
}

}  // namespace
}  // namespace corvane::pictures

namespace corvane::pictures {
namespace {

ByteString PngChunk(const ByteString& type, const ByteString& data) {
  return Be32(static_cast<unsigned>(data.size())) + type + data + Be32(0);
}

ByteString RiffWebp(const ByteString& chunks) {
  return "RIFF" + Le32(static_cast<unsigned>(4 + chunks.size())) + "WEBP" + chunks;
}
ByteString WebpChunk(const ByteString& type, const ByteString& data) {
  return type + Le32(static_cast<unsigned>(data.size())) + data + (data.size() % 2 ? ByteString(1, '\0') : "");
}

ContainerWalk Walk(PictureFormat format, const ByteString& bytes) { return WalkContainer(format, Span(bytes)); }

TEST(ContainerWalk, AcceptsWholeContainersAndWhatFollowsThemAndRefusesEveryLengthThatLies) {
  const ByteString png = Png(7, 5, true);
  const ByteString jpeg = Jpeg(43, 33, true);
  const ByteString gif = Gif(42, 32, 42, 32);
  const ByteString webp = RiffWebp(WebpChunk("VP8L", ByteString(5, '\x2F')) + WebpChunk("EXIF", "abc"));
  const ByteString extra(5000, 'Z');
  // The iTXt chunk of a few hundred bytes that claims a gigabyte.
  const ByteString pngLie = png.substr(0, 33) + Be32(0x40000000) + "iTXt" + ByteString(300, 'x');
  struct Case {
    const char* name;
    PictureFormat format;
    ByteString bytes;
    ContainerWalk::Verdict verdict;
    std::uint64_t end;  // Whole: where the container ends
    bool gifTrailerMissing;
  };
  using V = ContainerWalk::Verdict;
  const Case cases[] = {
      {"png", PictureFormat::Png, png, V::Whole, png.size(), false},
      {"png and 5000 bytes more", PictureFormat::Png, png + extra, V::Whole, png.size(), false},
      {"png chunk claiming a gigabyte", PictureFormat::Png, pngLie, V::Damaged, 0, false},
      {"png chunk claiming 2^32 - 1", PictureFormat::Png, png.substr(0, 33) + Be32(0xFFFFFFFF) + "tEXt", V::Damaged, 0,
       false},
      {"png cut inside its data", PictureFormat::Png, png.substr(0, 40), V::Damaged, 0, false},
      {"png cut between chunks", PictureFormat::Png, Png(7, 5, false), V::Damaged, 0, false},
      {"png cut in its last checksum", PictureFormat::Png, png.substr(0, png.size() - 1), V::Damaged, 0, false},
      {"jpeg up to its scan", PictureFormat::Jpeg, jpeg, V::Whole, jpeg.find("\x12\xFF\x00"), false},
      {"jpeg segment claiming more", PictureFormat::Jpeg, kSoi + "\xFF\xE1" + Be16(60000) + "Exif", V::Damaged, 0,
       false},
      {"jpeg segment shorter than its length", PictureFormat::Jpeg, kSoi + "\xFF\xE1" + Be16(1) + "xx", V::Damaged, 0,
       false},
      {"jpeg ending before its scan", PictureFormat::Jpeg, kSoi + kApp0, V::Damaged, 0, false},
      {"jpeg with fill bytes", PictureFormat::Jpeg, kSoi + "\xFF\xFF" + kApp0.substr(1) + kScan, V::Whole,
       (kSoi + "\xFF" + kApp0 + Segment(0xDA, "\1\1\0\0?\0")).size(), false},
      {"gif", PictureFormat::Gif, gif, V::Whole, gif.size(), false},
      {"gif and 5000 bytes more", PictureFormat::Gif, gif + extra, V::Whole, gif.size(), false},
      {"gif without its trailer", PictureFormat::Gif, gif.substr(0, gif.size() - 1), V::Whole, gif.size() - 1, true},
      {"gif with other bytes for a trailer", PictureFormat::Gif, gif.substr(0, gif.size() - 1) + "\x99zz", V::Whole,
       gif.size() - 1, true},
      {"gif data block claiming more", PictureFormat::Gif, gif.substr(0, gif.size() - 3) + "\xFF" + "abc", V::Damaged,
       0, false},
      {"gif cut in its colour table", PictureFormat::Gif, gif.substr(0, 15), V::Damaged, 0, false},
      {"gif cut before a block's end", PictureFormat::Gif, gif.substr(0, gif.size() - 2), V::Damaged, 0, false},
      {"gif cut in its header", PictureFormat::Gif, gif.substr(0, 10), V::Damaged, 0, false},
      {"webp", PictureFormat::Webp, webp, V::Whole, webp.size(), false},
      {"webp and 5000 bytes more", PictureFormat::Webp, webp + extra, V::Whole, webp.size(), false},
      {"webp claiming more than the file", PictureFormat::Webp, webp.substr(0, webp.size() - 2), V::Damaged, 0, false},
      {"webp chunk past its container", PictureFormat::Webp, RiffWebp("VP8L" + Le32(0x7FFFFFF0) + "x"), V::Damaged, 0,
       false},
      {"bmp is not walked", PictureFormat::Bmp, "BM" + Le32(0x7FFFFFFF), V::NotWalked, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ContainerWalk walk = Walk(c.format, c.bytes);
    EXPECT_EQ(walk.verdict, c.verdict) << walk.reason;
    if (c.verdict == V::Whole) {
      EXPECT_EQ(walk.end, c.end);
    }
    if (c.verdict == V::Damaged) {
      EXPECT_FALSE(walk.reason.empty());
    }
    EXPECT_EQ(walk.gifTrailerMissing, c.gifTrailerMissing);
  }
  EXPECT_EQ(Walk(PictureFormat::Png, pngLie).reason,
            "a PNG chunk at byte 33 claims 1073741828 bytes, more than the 300 bytes left.");
}

// Reads served from a file in memory, each recorded.
struct RecordedReads {
  explicit RecordedReads(const ByteString& bytes) : file(bytes) {}
  ReadBytesAt Reader() {
    return [this](std::uint64_t at, std::span<std::uint8_t> into) -> std::size_t {
      reads.push_back({at, into.size()});
      if (at >= file.size()) return 0;
      const std::size_t n = std::min<std::size_t>(into.size(), file.size() - static_cast<std::size_t>(at));
      std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(at), n, into.begin());
      return n;
    };
  }
  const ByteString& file;
  std::vector<std::pair<std::uint64_t, std::size_t>> reads;
};

TEST(ContainerWalk, ReadsEachByteAtMostOnceAndStepsOverWhatTheLengthsSkip) {
  // A PNG of three chunks of 200 KB each, and 16 bytes already read by the caller.
  ByteString png = Png(7, 5, false);
  for (int i = 0; i < 3; ++i) png += PngChunk("IDAT", ByteString(200'000, 'd'));
  png += PngChunk("IEND", "");
  RecordedReads recorded(png);
  const ContainerWalk walk = WalkContainer(PictureFormat::Png, png.size(), Span(png).first(16), recorded.Reader());
  EXPECT_EQ(walk.verdict, ContainerWalk::Verdict::Whole) << walk.reason;
  EXPECT_EQ(walk.end, png.size());
  std::uint64_t readUpTo = 16;
  std::uint64_t total = 0;
  for (const auto& [at, count] : recorded.reads) {
    EXPECT_GE(at, readUpTo) << "read again at " << at;
    EXPECT_LE(at + count, png.size()) << "read past the end";
    readUpTo = at + count;
    total += count;
  }
  EXPECT_LT(total, 4 * 64 * 1024u) << "the chunks' data are stepped over, not read";

  // A GIF's sub-blocks are read in order, a window at a time.
  ByteString gif = Gif(2, 2, 2, 2);
  gif.pop_back();
  for (int i = 0; i < 2000; ++i) gif += ByteString("\x21\xFE\xFE", 3) + ByteString(0xFE, 'c') + ByteString(1, '\0');
  gif += ";";
  RecordedReads gifReads(gif);
  EXPECT_EQ(WalkContainer(PictureFormat::Gif, gif.size(), {}, gifReads.Reader()).end, gif.size());
  readUpTo = 0;
  for (const auto& [at, count] : gifReads.reads) {
    EXPECT_GE(at, readUpTo);
    readUpTo = at + count;
  }
  EXPECT_EQ(readUpTo, gif.size());
}

TEST(CheckPictureFile, RefusesDamagedAndCutShortFilesAndFindsAJpegsEndPastItsLastBytes) {
  struct Case {
    const char* name;
    ByteString bytes;
    const char* problem;  // a part of the message, or nullptr for none
  };
  const ByteString motionPhoto = Jpeg(43, 33, true) + ByteString(9000, 'Z');
  const Case cases[] = {
      {"png", Png(7, 5, true) + ByteString(9000, 'Z'), nullptr},
      {"png with a lying chunk", Png(7, 5, true).substr(0, 33) + Be32(0x40000000) + "iTXt",
       "The file is damaged or cut short: a PNG chunk at byte 33 claims"},
      {"jpeg cut in its scan", Jpeg(8000, 8000, false) + ByteString(100, '\x12'), "The file is cut short"},
      {"jpeg with data after it", motionPhoto, nullptr},
      {"gif without its trailer", Gif(4, 4, 4, 4).substr(0, Gif(4, 4, 4, 4).size() - 1), nullptr},
      {"bmp missing rows", Bmp(3, 4, 24, 24), "cut short"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordedReads recorded(c.bytes);
    const std::size_t tail = std::min<std::size_t>(c.bytes.size(), 16);
    const PictureFileCheck check =
        CheckPictureFile(Span(c.bytes), Span(c.bytes).last(tail), c.bytes.size(), recorded.Reader());
    if (c.problem) {
      EXPECT_NE(check.problem.find(c.problem), std::string::npos) << check.problem;
    } else {
      EXPECT_EQ(check.problem, "");
    }
  }
}

}  // namespace
}  // namespace corvane::pictures
