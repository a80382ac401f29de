#include "pictures/container_walk.h"

#include <algorithm>
#include <cstring>

#include "pictures/byte_reader.h"

namespace corvane::pictures {

namespace {

constexpr std::size_t kWindowBytes = 64 * 1024;

// Gives the walk the few bytes it asks for at rising offsets, from the head the caller read,
// then from windows read ahead of them; a window keeps what the last one had left unused, so
// no byte is read twice, and a step beyond a window reads nothing in between.
class ForwardBytes {
 public:
  ForwardBytes(std::uint64_t size, std::span<const std::uint8_t> head, const ReadBytesAt& read)
      : size_(size),
        head_(head.first(static_cast<std::size_t>(std::min<std::uint64_t>(head.size(), size)))),
        read_(read) {}

  std::uint64_t Size() const { return size_; }
  std::uint64_t Left(std::uint64_t at) const { return at < size_ ? size_ - at : 0; }

  // The `count` bytes at `at` (at least every offset asked before), or an empty reader when
  // the data ends first.
  ByteReader At(std::uint64_t at, std::size_t count) {
    if (Left(at) < count) return ByteReader(std::span<const std::uint8_t>());
    if (at + count <= head_.size()) return ByteReader(head_.subspan(static_cast<std::size_t>(at), count));
    if (at < windowAt_ || at + count > windowAt_ + window_.size()) Refill(at, count);
    if (at < windowAt_ || at + count > windowAt_ + window_.size()) return ByteReader(std::span<const std::uint8_t>());
    return ByteReader(std::span<const std::uint8_t>(window_).subspan(static_cast<std::size_t>(at - windowAt_), count));
  }

 private:
  void Refill(std::uint64_t at, std::size_t count) {
    // What is known already from `at` on: the head's end, or the last window's.
    std::vector<std::uint8_t> next;
    std::uint64_t known = at;
    if (at < head_.size()) {
      next.assign(head_.begin() + static_cast<std::ptrdiff_t>(at), head_.end());
      known = head_.size();
    } else if (at >= windowAt_ && at < windowAt_ + window_.size()) {
      next.assign(window_.begin() + static_cast<std::ptrdiff_t>(at - windowAt_), window_.end());
      known = windowAt_ + window_.size();
    }
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(std::max(kWindowBytes, count), Left(known)));
    const std::size_t kept = next.size();
    next.resize(kept + want);
    const std::size_t got = want == 0 ? 0 : read_(known, std::span<std::uint8_t>(next).subspan(kept, want));
    next.resize(kept + std::min(got, want));
    window_ = std::move(next);
    windowAt_ = at;
  }

  std::uint64_t size_;
  std::span<const std::uint8_t> head_;
  const ReadBytesAt& read_;
  std::vector<std::uint8_t> window_;
  std::uint64_t windowAt_ = 0;
};

ContainerWalk Whole(std::uint64_t end) {
  ContainerWalk walk;
  walk.verdict = ContainerWalk::Verdict::Whole;
  walk.end = end;
  return walk;
}

ContainerWalk Damaged(std::string reason) {
  ContainerWalk walk;
  walk.verdict = ContainerWalk::Verdict::Damaged;
  walk.reason = std::move(reason);
  return walk;
}

std::string Count(std::uint64_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

std::string ClaimsMore(const char* what, std::uint64_t at, std::uint64_t claimed, std::uint64_t left) {
  return std::string(what) + " at byte " + std::to_string(at) + " claims " + Count(claimed) + ", more than the " +
         Count(left) + " left.";
}

ContainerWalk WalkPng(ForwardBytes& in) {
  std::uint64_t at = 8;
  for (;;) {
    const ByteReader chunk = in.At(at, 8);
    if (chunk.Size() == 0) return Damaged("it ends before its last PNG chunk (IEND).");
    const std::uint64_t length = chunk.Be32(0);
    const std::uint64_t left = in.Left(at + 8);
    // The chunk's data and its 4-byte checksum.
    if (length > 0x7FFFFFFF || length + 4 > left) return Damaged(ClaimsMore("a PNG chunk", at, length + 4, left));
    const std::uint64_t end = at + 12 + length;
    if (chunk.Is(4, "IEND")) return Whole(end);
    at = end;
  }
}

// Segments up to the first scan; the coded data after it has no lengths to walk.
ContainerWalk WalkJpeg(ForwardBytes& in) {
  std::uint64_t at = 2;
  for (;;) {
    const ByteReader marker = in.At(at, 2);
    if (marker.Size() == 0) return Damaged("it ends before the JPEG picture's data begins.");
    if (marker.U8(0) != 0xFF) return Whole(at);  // not a marker: what a decoder makes of it is its own
    const std::uint32_t code = marker.U8(1);
    if (code == 0xFF) {  // fill byte
      at += 1;
      continue;
    }
    if (code == 0x01 || (code >= 0xD0 && code <= 0xD8)) {  // markers without a length
      at += 2;
      continue;
    }
    if (code == 0xD9) return Whole(at + 2);
    const ByteReader length = in.At(at + 2, 2);
    if (length.Size() == 0) return Damaged("it ends inside a JPEG segment's header.");
    const std::uint64_t claimed = length.Be16(0);
    const std::uint64_t left = in.Left(at + 2);
    if (claimed < 2) return Damaged("a JPEG segment at byte " + std::to_string(at) + " has a length below its own.");
    if (claimed > left) return Damaged(ClaimsMore("a JPEG segment", at, claimed, left));
    at += 2 + claimed;
    if (code == 0xDA) return Whole(at);
  }
}

std::uint64_t GifColourTable(std::uint32_t flags) { return (flags & 0x80) ? 3u << ((flags & 7) + 1) : 0u; }

ContainerWalk WalkGif(ForwardBytes& in) {
  const ByteReader screen = in.At(0, 13);
  if (screen.Size() == 0) return Damaged("it ends inside the GIF's header.");
  std::uint64_t at = 13;
  const auto skip = [&](std::uint64_t count) {
    if (count > in.Left(at)) return false;
    at += count;
    return true;
  };
  const auto subBlocks = [&]() -> std::string {
    for (;;) {
      const ByteReader size = in.At(at, 1);
      if (size.Size() == 0) return "it ends inside a GIF block's data.";
      const std::uint64_t n = size.U8(0);
      at += 1;
      if (n == 0) return {};
      if (n > in.Left(at)) return ClaimsMore("a GIF data block", at - 1, n, in.Left(at));
      at += n;
    }
  };
  if (!skip(GifColourTable(screen.U8(10)))) return Damaged("it ends inside the GIF's colour table.");
  for (;;) {
    if (in.Left(at) == 0) {
      ContainerWalk walk = Whole(at);
      walk.gifTrailerMissing = true;
      return walk;
    }
    const std::uint32_t block = in.At(at, 1).U8(0);
    if (block == 0x3B) return Whole(at + 1);
    if (block == 0x21) {
      if (!skip(2)) return Damaged("it ends inside a GIF extension's header.");
    } else if (block == 0x2C) {
      const ByteReader image = in.At(at, 10);
      if (image.Size() == 0) return Damaged("it ends inside a GIF image's header.");
      at += 10;
      if (!skip(GifColourTable(image.U8(9)) + 1)) return Damaged("it ends inside a GIF image's colour table.");
    } else {
      // Bytes no block starts with: decoders end the picture here, as at a trailer.
      ContainerWalk walk = Whole(at);
      walk.gifTrailerMissing = true;
      return walk;
    }
    if (std::string problem = subBlocks(); !problem.empty()) return Damaged(std::move(problem));
  }
}

ContainerWalk WalkWebp(ForwardBytes& in) {
  const ByteReader riff = in.At(0, 12);
  if (riff.Size() == 0) return Damaged("it ends inside the WebP's header.");
  const std::uint64_t claimed = riff.Le32(4);
  if (claimed > in.Left(8)) return Damaged(ClaimsMore("the WebP's RIFF container", 0, claimed, in.Left(8)));
  const std::uint64_t end = 8 + claimed;
  std::uint64_t at = 12;
  while (at < end) {
    const ByteReader chunk = in.At(at, 8);
    if (chunk.Size() == 0 || at + 8 > end) return Damaged("it ends inside a WebP chunk's header.");
    const std::uint64_t length = chunk.Le32(4);
    if (length > end - at - 8) return Damaged(ClaimsMore("a WebP chunk", at, length, end - at - 8));
    at += 8 + length + (length & 1);  // chunks are padded to an even length
  }
  return Whole(end);
}

}  // namespace

ContainerWalk WalkContainer(PictureFormat format, std::uint64_t size, std::span<const std::uint8_t> head,
                            const ReadBytesAt& read) {
  ForwardBytes in(size, head, read);
  switch (format) {
    case PictureFormat::Png: return WalkPng(in);
    case PictureFormat::Jpeg: return WalkJpeg(in);
    case PictureFormat::Gif: return WalkGif(in);
    case PictureFormat::Webp: return WalkWebp(in);
    default: return {};
  }
}

ContainerWalk WalkContainer(PictureFormat format, std::span<const std::uint8_t> bytes) {
  const ReadBytesAt none = [](std::uint64_t, std::span<std::uint8_t>) -> std::size_t { return 0; };
  return WalkContainer(format, bytes.size(), bytes, none);
}

PictureFileCheck CheckPictureFile(std::span<const std::uint8_t> head, std::span<const std::uint8_t> tail,
                                  std::uint64_t size, const ReadBytesAt& read) {
  PictureFileCheck check;
  check.header = ReadPictureHeader(head, tail, size);
  check.walk = WalkContainer(check.header.format, size, head, read);
  if (check.walk.verdict == ContainerWalk::Verdict::Damaged) {
    check.problem = "The file is damaged or cut short: " + check.walk.reason;
    return check;
  }
  PictureHeader& h = check.header;
  if (h.format == PictureFormat::Jpeg && h.cutShort && check.walk.verdict == ContainerWalk::Verdict::Whole) {
    // The last bytes lack the end marker, but data may follow the picture: the coded data is
    // read from where the walk left the segments, a window at a time, up to the marker.
    JpegEndFinder finder;
    std::vector<std::uint8_t> chunk(kWindowBytes);
    std::uint64_t at = check.walk.end;
    while (h.cutShort && at < size) {
      const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), size - at));
      const std::size_t got = read(at, std::span<std::uint8_t>(chunk).first(want));
      if (got == 0) break;
      if (finder.Feed(std::span<const std::uint8_t>(chunk).first(std::min(got, want)))) h.cutShort = false;
      at += got;
    }
  }
  if (h.cutShort) check.problem = "The file is cut short: it ends before the picture it holds does.";
  return check;
}

}  // namespace corvane::pictures
