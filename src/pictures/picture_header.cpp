#include "pictures/picture_header.h"

#include <algorithm>
#include <string_view>

#include "pictures/byte_reader.h"

namespace corvane::pictures {

namespace {

using Bytes = ByteReader;

void Claim(PictureHeader& h, std::int64_t width, std::int64_t height) {
  h.width = width;
  h.height = height;
  h.sizeKnown = true;
}

bool WithinSides(const PictureHeader& h) {
  return h.width > 0 && h.height > 0 && h.width <= kMaxPictureSide && h.height <= kMaxPictureSide;
}

void ReadBmp(const Bytes& b, std::uint64_t fileSize, PictureHeader& h) {
  const std::uint32_t infoSize = b.Le32(14);
  std::uint32_t bitCount = 0;
  std::uint32_t compression = 0;
  if (infoSize == 12) {  // the old OS/2 header: 16-bit sides
    Claim(h, b.Le16(18), b.Le16(20));
    bitCount = b.Le16(24);
  } else if (infoSize >= 40 && b.Has(0, 34)) {
    const auto height = static_cast<std::int32_t>(b.Le32(22));
    Claim(h, static_cast<std::int32_t>(b.Le32(18)), height < 0 ? -static_cast<std::int64_t>(height) : height);
    bitCount = b.Le16(28);
    compression = b.Le32(30);
  } else {
    return;
  }
  // Uncompressed rows have a known length: the file must hold them all.
  const bool uncompressed = compression == 0 || compression == 3;
  if (uncompressed && bitCount > 0 && bitCount <= 32 && WithinSides(h)) {
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(h.width) * bitCount + 31) / 32 * 4;
    const std::uint64_t needed = b.Le32(10) + rowBytes * static_cast<std::uint64_t>(h.height);
    h.cutShort = fileSize < needed;
  }
}

// A GIF's logical screen, widened to every image within the bytes seen: a decoder may size its
// buffers by either.
void ReadGif(const Bytes& b, PictureHeader& h) {
  std::int64_t width = b.Le16(6);
  std::int64_t height = b.Le16(8);
  const std::uint32_t flags = b.U8(10);
  std::size_t at = 13 + ((flags & 0x80) ? 3u << ((flags & 7) + 1) : 0u);
  const auto skipSubBlocks = [&] {
    while (b.Has(at, 1)) {
      const std::uint32_t n = b.U8(at);
      at += 1 + n;
      if (n == 0) return;
    }
  };
  while (b.Has(at, 1)) {
    const std::uint32_t block = b.U8(at);
    if (block == 0x21) {
      at += 2;
      skipSubBlocks();
    } else if (block == 0x2C && b.Has(at, 10)) {
      width = std::max<std::int64_t>(width, std::int64_t{b.Le16(at + 1)} + b.Le16(at + 5));
      height = std::max<std::int64_t>(height, std::int64_t{b.Le16(at + 3)} + b.Le16(at + 7));
      const std::uint32_t local = b.U8(at + 9);
      at += 10 + ((local & 0x80) ? 3u << ((local & 7) + 1) : 0u) + 1;
      skipSubBlocks();
    } else {
      break;  // the trailer, or bytes no GIF block starts with
    }
  }
  Claim(h, width, height);
}

void ReadJpeg(const Bytes& b, const Bytes& tail, PictureHeader& h) {
  std::size_t at = 2;
  while (b.Has(at, 4) && b.U8(at) == 0xFF) {
    const std::uint32_t marker = b.U8(at + 1);
    if (marker == 0xFF) {
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      at += 2;
      continue;
    }
    if (marker == 0xDA) {
      h.scanStart = at;
      break;
    }
    if (marker == 0xD9) break;
    const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (startOfFrame && b.Has(at, 9) && !h.sizeKnown && b.Be16(at + 5) != 0) {
      // A height of 0 is given later in the scan (DNL): the decoder tells it then.
      Claim(h, b.Be16(at + 7), b.Be16(at + 5));
    }
    const std::uint32_t length = b.Be16(at + 2);
    if (length < 2) break;
    at += 2 + length;
  }
  // Inside the coded data 0xFF is always followed by 0 or a restart marker, so the end marker
  // within the last bytes means the scan was written to its end.
  h.cutShort = !tail.Contains("\xFF\xD9");
}

void ReadWebp(const Bytes& b, PictureHeader& h) {
  if (b.Is(12, "VP8X")) {
    Claim(h, std::int64_t{b.Le24(24)} + 1, std::int64_t{b.Le24(27)} + 1);
  } else if (b.Is(12, "VP8 ") && b.Is(23, "\x9D\x01\x2A")) {
    Claim(h, b.Le16(26) & 0x3FFF, b.Le16(28) & 0x3FFF);
  } else if (b.Is(12, "VP8L") && b.U8(20) == 0x2F) {
    const std::uint32_t bits = b.Le32(21);
    Claim(h, std::int64_t{bits & 0x3FFF} + 1, std::int64_t{(bits >> 14) & 0x3FFF} + 1);
  }
}

}  // namespace

PictureHeader ReadPictureHeader(std::span<const std::uint8_t> head, std::span<const std::uint8_t> tail,
                                std::uint64_t fileSize) {
  const Bytes b(head);
  const Bytes end(tail);
  PictureHeader h;
  if (b.Is(0, "BM")) {
    h.format = PictureFormat::Bmp;
    ReadBmp(b, fileSize, h);
  } else if (b.Is(0, "GIF87a") || b.Is(0, "GIF89a")) {
    h.format = PictureFormat::Gif;
    ReadGif(b, h);
  } else if (b.Is(0, "\x89PNG\r\n\x1A\n")) {
    h.format = PictureFormat::Png;
    if (b.Is(12, "IHDR")) Claim(h, b.Be32(16), b.Be32(20));
  } else if (b.Is(0, "\xFF\xD8\xFF")) {
    h.format = PictureFormat::Jpeg;
    ReadJpeg(b, end, h);
  } else if (b.Is(0, "II*") || b.Is(0, "MM\0*")) {
    h.format = PictureFormat::Tiff;
  } else if (b.Is(0, std::string_view("\0\0\1\0", 4))) {
    h.format = PictureFormat::Ico;
  } else if (b.Is(0, std::string_view("\0\0\2\0", 4))) {
    h.format = PictureFormat::Cur;
  } else if (b.Is(0, "RIFF") && b.Is(8, "WEBP")) {
    h.format = PictureFormat::Webp;
    ReadWebp(b, h);
  } else if (b.Is(0, "\xD7\xCD\xC6\x9A")) {
    h.format = PictureFormat::Wmf;
  } else if (b.Le32(0) == 1 && b.Is(40, " EMF")) {
    h.format = PictureFormat::Emf;
  }
  return h;
}

bool JpegEndFinder::Feed(std::span<const std::uint8_t> chunk) {
  for (const std::uint8_t byte : chunk) {
    if (found_) break;
    found_ = afterFF_ && byte == 0xD9;
    afterFF_ = byte == 0xFF;
  }
  return found_;
}

std::string SizeProblem(std::int64_t width, std::int64_t height) {
  const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
  if (width <= 0 || height <= 0) return "The picture's size comes out as " + size + ", so there is nothing to show.";
  if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels) {
    return "The picture claims to be " + size +
           ", larger than Corvane shows: at most 32767 pixels a side and 64 million pixels in all.";
  }
  return {};
}

std::string FileSizeProblem(std::uint64_t bytes) {
  if (bytes == 0) return "The file is empty.";
  if (bytes > kMaxPictureFileBytes) {
    return "The file is " + std::to_string(bytes / (1024 * 1024)) +
           " MB long, larger than any picture Corvane shows: a picture file may be at most 1024 MB.";
  }
  return {};
}

const char* FormatName(PictureFormat format) {
  switch (format) {
    case PictureFormat::Bmp: return "BMP";
    case PictureFormat::Gif: return "GIF";
    case PictureFormat::Png: return "PNG";
    case PictureFormat::Jpeg: return "JPEG";
    case PictureFormat::Tiff: return "TIFF";
    case PictureFormat::Ico: return "icon";
    case PictureFormat::Cur: return "cursor";
    case PictureFormat::Webp: return "WebP";
    case PictureFormat::Wmf: return "Windows metafile";
    case PictureFormat::Emf: return "enhanced metafile";
    case PictureFormat::Unknown: break;
  }
  return "";
}

const char* FormatExtension(PictureFormat format) {
  switch (format) {
    case PictureFormat::Bmp: return "bmp";
    case PictureFormat::Gif: return "gif";
    case PictureFormat::Png: return "png";
    case PictureFormat::Jpeg: return "jpg";
    case PictureFormat::Tiff: return "tif";
    case PictureFormat::Ico: return "ico";
    case PictureFormat::Cur: return "cur";
    case PictureFormat::Webp: return "webp";
    case PictureFormat::Wmf: return "wmf";
    case PictureFormat::Emf: return "emf";
    case PictureFormat::Unknown: break;
  }
  return "";
}

}  // namespace corvane::pictures
