#include "pictures/exif_orientation.h"

#include <cstring>

#include "pictures/byte_reader.h"

namespace corvane::pictures {

namespace {

// A bounds-checked view of bytes in one byte order.
class Reader {
 public:
  Reader(std::span<const std::uint8_t> bytes, bool bigEndian) : bytes_(bytes), bigEndian_(bigEndian) {}
  bool Has(std::size_t offset, std::size_t count) const { return bytes_.Has(offset, count); }
  std::uint32_t U16(std::size_t offset) const { return bytes_.U16(offset, bigEndian_); }
  std::uint32_t U32(std::size_t offset) const { return bytes_.U32(offset, bigEndian_); }

 private:
  ByteReader bytes_;
  bool bigEndian_;
};

constexpr std::uint32_t kOrientationTag = 0x0112;
constexpr std::uint32_t kShortType = 3;

// The orientation tag in the first directory of a TIFF block (the body of an Exif segment).
Orientation OrientationInTiff(std::span<const std::uint8_t> tiff) {
  if (tiff.size() < 8) return Orientation::Upright;
  bool bigEndian = false;
  if (tiff[0] == 'M' && tiff[1] == 'M') {
    bigEndian = true;
  } else if (!(tiff[0] == 'I' && tiff[1] == 'I')) {
    return Orientation::Upright;
  }
  const Reader r(tiff, bigEndian);
  if (r.U16(2) != 42) return Orientation::Upright;
  const std::size_t directory = r.U32(4);
  if (!r.Has(directory, 2)) return Orientation::Upright;
  const std::size_t entries = r.U16(directory);
  for (std::size_t i = 0; i < entries; ++i) {
    const std::size_t entry = directory + 2 + i * 12;
    if (!r.Has(entry, 12)) break;
    if (r.U16(entry) != kOrientationTag) continue;
    if (r.U16(entry + 2) != kShortType || r.U32(entry + 4) != 1) return Orientation::Upright;
    const std::uint32_t value = r.U16(entry + 8);
    return value >= 1 && value <= 8 ? static_cast<Orientation>(value) : Orientation::Upright;
  }
  return Orientation::Upright;
}

}  // namespace

Orientation ReadJpegOrientation(std::span<const std::uint8_t> bytes) {
  const Reader r(bytes, true);
  if (!r.Has(0, 2) || bytes[0] != 0xFF || bytes[1] != 0xD8) return Orientation::Upright;
  std::size_t at = 2;
  // Every step moves forward by at least two bytes, so the walk ends within the bytes given.
  while (r.Has(at, 4)) {
    if (bytes[at] != 0xFF) return Orientation::Upright;
    const std::uint8_t marker = bytes[at + 1];
    if (marker == 0xFF) {  // fill byte before a marker
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // markers without a length
      at += 2;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return Orientation::Upright;  // image data: no Exif before it
    const std::size_t length = r.U16(at + 2);
    if (length < 2) return Orientation::Upright;
    const std::size_t body = at + 4;
    const std::size_t bodySize = length - 2;
    if (marker == 0xE1 && bodySize >= 6 && r.Has(body, 6) && std::memcmp(bytes.data() + body, "Exif\0\0", 6) == 0) {
      const std::size_t available = r.Has(body, bodySize) ? bodySize : bytes.size() - body;
      return OrientationInTiff(bytes.subspan(body + 6, available - 6));
    }
    at = body + bodySize;
  }
  return Orientation::Upright;
}

bool SwapsSides(Orientation orientation) { return static_cast<int>(orientation) >= 5; }

void StandUpright(const std::uint32_t* stored, int width, int height, Orientation orientation, std::uint32_t* upright) {
  const int outWidth = SwapsSides(orientation) ? height : width;
  const int w1 = width - 1;
  const int h1 = height - 1;
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row = stored + static_cast<std::ptrdiff_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      // Where the stored pixel (x, y) belongs, by the Exif definition of each value: which
      // side of the upright picture the stored top row and left column make.
      int ux = x, uy = y;
      switch (orientation) {
        case Orientation::Upright: break;
        case Orientation::MirroredHorizontally: ux = w1 - x; break;
        case Orientation::UpsideDown: ux = w1 - x, uy = h1 - y; break;
        case Orientation::MirroredVertically: uy = h1 - y; break;
        case Orientation::Transposed: ux = y, uy = x; break;
        case Orientation::TurnedLeft: ux = h1 - y, uy = x; break;
        case Orientation::Transversed: ux = h1 - y, uy = w1 - x; break;
        case Orientation::TurnedRight: ux = y, uy = w1 - x; break;
      }
      upright[static_cast<std::ptrdiff_t>(uy) * outWidth + ux] = row[x];
    }
  }
}

}  // namespace corvane::pictures
