// What a picture file's first and last bytes tell before any decoder runs: its format, the
// size its header claims, and whether the file visibly ends too early. Portable, bounded: it
// reads only the bytes it is given.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace corvane::pictures {

// The largest picture Corvane shows: no side longer than a window can be, and no more pixels
// than 256 MB of 32-bit pixels hold (an 8000 by 8000 picture, a 6000 by 4000 photo with room
// to spare).
inline constexpr std::int64_t kMaxPictureSide = 32767;
inline constexpr std::int64_t kMaxPicturePixels = 64'000'000;
// The largest picture file Corvane reads, 1 GiB: twice what the largest picture takes in its
// plainest form (64 million pixels of 16-bit RGBA, 512 MB), so no picture Corvane can show is
// refused, and a file of mostly something else (a picture followed by gigabytes) is refused at
// once instead of read to its end.
inline constexpr std::uint64_t kMaxPictureFileBytes = std::uint64_t{1} << 30;

// How many bytes of the file's start and end the reader wants to see.
inline constexpr std::size_t kHeadBytes = 64 * 1024;
inline constexpr std::size_t kTailBytes = 4 * 1024;

enum class PictureFormat { Unknown, Bmp, Gif, Png, Jpeg, Tiff, Ico, Cur, Webp, Wmf, Emf };

struct PictureHeader {
  PictureFormat format = PictureFormat::Unknown;
  // The size the header claims, zero when the reader could not find it.
  std::int64_t width = 0;
  std::int64_t height = 0;
  bool sizeKnown = false;
  // The file ends where its own structure says more must follow: a BMP's rows, a JPEG's end
  // marker. For a JPEG this is judged by its last bytes only: see JpegEndFinder for files with
  // data after the picture. PNG, GIF and WebP are judged by their lengths (container_walk.h).
  bool cutShort = false;
  // For a JPEG: where its first scan's coded data starts, 0 when not within the bytes seen.
  std::uint64_t scanStart = 0;
};

// Finds a JPEG's end marker in its bytes from the first scan on, fed in order in chunks of any
// size. Coded data never holds the marker, so the first one seen is the picture's end, even
// where more data follows it (a phone's motion photo appends a video).
class JpegEndFinder {
 public:
  // True once the end marker has been seen.
  bool Feed(std::span<const std::uint8_t> chunk);

 private:
  bool afterFF_ = false;
  bool found_ = false;
};

// `head` is the file's first bytes (up to kHeadBytes), `tail` its last (up to kTailBytes),
// `fileSize` its whole length.
PictureHeader ReadPictureHeader(std::span<const std::uint8_t> head, std::span<const std::uint8_t> tail,
                                std::uint64_t fileSize);

// Empty when a picture of this size can be shown; otherwise the reason it cannot, for the
// message that names the file.
std::string SizeProblem(std::int64_t width, std::int64_t height);
// Empty when a file of this length may hold a picture Corvane reads; otherwise why not.
std::string FileSizeProblem(std::uint64_t bytes);

// The format's usual name in messages ("PNG", "WebP"); empty for Unknown.
const char* FormatName(PictureFormat format);
// The format's usual file name extension ("png", "jpg"); empty for Unknown.
const char* FormatExtension(PictureFormat format);

}  // namespace corvane::pictures
