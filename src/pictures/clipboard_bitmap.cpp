#include "pictures/clipboard_bitmap.h"

#include "pictures/byte_reader.h"
#include "pictures/container_walk.h"
#include "pictures/picture_header.h"

namespace corvane::pictures {

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint32_t kNoCompression = 0;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

std::uint32_t Le16(std::span<const std::uint8_t> b, std::size_t at) { return ByteReader(b).Le16(at); }
std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at) { return ByteReader(b).Le32(at); }

ClipboardPictureBytes Refused(std::string why) { return {{}, std::move(why)}; }

}  // namespace

ClipboardPictureBytes BmpFileFromDib(std::span<const std::uint8_t> dib) {
  constexpr const char* kDamaged = "The bitmap on the clipboard is damaged: ";
  if (dib.size() < 40) return Refused(std::string(kDamaged) + "it is shorter than its header.");
  const std::uint32_t headerSize = Le32(dib, 0);
  if (headerSize < 40 || headerSize > dib.size() || headerSize > 1024) {
    return Refused(std::string(kDamaged) + "its header is of no known kind.");
  }
  const auto width = static_cast<std::int32_t>(Le32(dib, 4));
  const auto rawHeight = static_cast<std::int32_t>(Le32(dib, 8));
  const std::int64_t height = rawHeight < 0 ? -static_cast<std::int64_t>(rawHeight) : rawHeight;
  if (const std::string problem = SizeProblem(width, height); !problem.empty()) return Refused(problem);
  const std::uint32_t bitCount = Le16(dib, 14);
  const std::uint32_t compression = Le32(dib, 16);
  const std::uint32_t colorsUsed = Le32(dib, 32);
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) {
    return Refused(std::string(kDamaged) + "it claims " + std::to_string(bitCount) + " bits per pixel.");
  }
  if (compression != kNoCompression && compression != kBitFields && compression != kAlphaBitFields) {
    return Refused("The bitmap on the clipboard is compressed in a way Corvane does not read.");
  }
  // Masks follow a 40-byte header; a longer header holds them itself.
  std::uint64_t masks = 0;
  if (headerSize == 40 && compression == kBitFields) masks = 12;
  if (headerSize == 40 && compression == kAlphaBitFields) masks = 16;
  const std::uint64_t colors = colorsUsed != 0 ? colorsUsed : (bitCount <= 8 ? 1u << bitCount : 0u);
  if (colors > 65536)
    return Refused(std::string(kDamaged) + "it claims a palette of " + std::to_string(colors) + " colours.");
  const std::uint64_t pixelOffset = headerSize + masks + colors * 4;
  const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
  const std::uint64_t needed = pixelOffset + stride * static_cast<std::uint64_t>(height);
  if (needed > dib.size()) {
    return Refused(std::string(kDamaged) + "it holds " + std::to_string(dib.size()) + " bytes of the " +
                   std::to_string(needed) + " its header promises.");
  }

  ClipboardPictureBytes out;
  out.file.resize(kFileHeaderBytes + static_cast<std::size_t>(needed));
  out.file[0] = 'B';
  out.file[1] = 'M';
  PutLittleEndian32(out.file, 2, static_cast<std::uint32_t>(out.file.size()));
  PutLittleEndian32(out.file, 10, static_cast<std::uint32_t>(kFileHeaderBytes + pixelOffset));
  std::copy(dib.begin(), dib.begin() + static_cast<std::ptrdiff_t>(needed), out.file.begin() + kFileHeaderBytes);
  return out;
}

std::vector<std::uint8_t> Bgra32Pixels(std::span<const std::uint8_t> dib) {
  if (!BmpFileFromDib(dib).problem.empty() || Le16(dib, 14) != 32) return {};
  const std::uint32_t headerSize = Le32(dib, 0);
  const std::uint32_t compression = Le32(dib, 16);
  bool alpha = false;
  std::size_t pixels = headerSize;
  if (compression == kBitFields || compression == kAlphaBitFields) {
    // The masks sit after a 40-byte header, or inside a longer one at the same place.
    const std::size_t at = 40;
    const std::size_t maskCount = compression == kAlphaBitFields || headerSize >= 56 ? 4 : 3;
    if (Le32(dib, at) != 0xFF0000 || Le32(dib, at + 4) != 0xFF00 || Le32(dib, at + 8) != 0xFF) return {};
    alpha = maskCount == 4 && Le32(dib, at + 12) == 0xFF000000u;
    if (headerSize == 40) pixels += compression == kAlphaBitFields ? 16 : 12;
  } else if (compression != kNoCompression) {
    return {};
  }
  pixels += static_cast<std::size_t>(Le32(dib, 32)) * 4;  // a palette a 32-bit DIB may still carry
  const auto width = static_cast<std::size_t>(static_cast<std::int32_t>(Le32(dib, 4)));
  const auto rawHeight = static_cast<std::int32_t>(Le32(dib, 8));
  const bool topDown = rawHeight < 0;
  const std::size_t height = static_cast<std::size_t>(topDown ? -static_cast<std::int64_t>(rawHeight) : rawHeight);
  const std::size_t stride = width * 4;
  std::vector<std::uint8_t> out(stride * height);
  for (std::size_t y = 0; y < height; ++y) {
    const std::uint8_t* from = dib.data() + pixels + (topDown ? y : height - 1 - y) * stride;
    std::uint8_t* to = out.data() + y * stride;
    std::copy(from, from + stride, to);
    if (!alpha) {
      for (std::size_t x = 0; x < width; ++x) to[x * 4 + 3] = 0xFF;
    }
  }
  return out;
}

ClipboardPictureBytes CheckedPictureFile(std::span<const std::uint8_t> bytes) {
  const std::span<const std::uint8_t> head = bytes.first(std::min(bytes.size(), kHeadBytes));
  const std::span<const std::uint8_t> tail = bytes.last(std::min(bytes.size(), kTailBytes));
  const PictureHeader header = ReadPictureHeader(head, tail, bytes.size());
  // Nothing is decoded whose size is not known first.
  if (!header.sizeKnown) return Refused("The clipboard's data is not a picture Corvane reads.");
  if (const std::string problem = SizeProblem(header.width, header.height); !problem.empty()) return Refused(problem);
  const ContainerWalk walk = WalkContainer(header.format, bytes);
  if (walk.verdict == ContainerWalk::Verdict::Damaged)
    return Refused("The picture on the clipboard is damaged: " + walk.reason);
  if (header.cutShort) return Refused("The picture on the clipboard is damaged: it ends too early.");
  ClipboardPictureBytes checked{{bytes.begin(), bytes.end()}, {}};
  // Decoders that insist on a GIF's trailer read the picture whole with it put back.
  if (walk.gifTrailerMissing) {
    checked.file.resize(static_cast<std::size_t>(walk.end));
    checked.file.push_back(';');
  }
  return checked;
}

}  // namespace corvane::pictures
