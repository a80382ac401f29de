// Fuzzes what the loaders learn of a picture's bytes before any decoder sees them: the walk over
// the container's lengths, and the file check built on it and the header reader. The walk reads
// nothing outside the bytes, asks for each byte at most once and in increasing order, never
// past the size it was given, and judges the same whether it is handed the bytes whole or a
// head and then the rest; a whole container ends within the bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "pictures/container_walk.h"
#include "pictures/picture_header.h"

namespace {

using namespace corvane::pictures;

void Check(bool holds) {
  if (!holds) std::abort();
}

// The bytes as a file read in pieces, every read checked against those before it.
struct CheckedReads {
  std::span<const std::uint8_t> file;
  std::uint64_t readUpTo = 0;
  ReadBytesAt Reader() {
    return [this](std::uint64_t at, std::span<std::uint8_t> into) -> std::size_t {
      Check(at >= readUpTo);
      Check(at + into.size() <= file.size());
      std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(at), into.size(), into.begin());
      readUpTo = at + into.size();
      return into.size();
    };
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An exact-size copy, so that AddressSanitizer sees any read past the end.
  const std::vector<std::uint8_t> bytes(data, data + size);
  const std::span<const std::uint8_t> all(bytes.data(), bytes.size());
  const std::size_t headSize = size == 0 ? 0 : static_cast<std::size_t>(data[0] % 64);

  for (const PictureFormat format :
       {PictureFormat::Png, PictureFormat::Jpeg, PictureFormat::Gif, PictureFormat::Webp}) {
    const ContainerWalk whole = WalkContainer(format, all);
    Check(whole.verdict != ContainerWalk::Verdict::NotWalked);
    Check(whole.verdict == ContainerWalk::Verdict::Whole ? whole.end <= size : !whole.reason.empty());
    Check(!whole.gifTrailerMissing || format == PictureFormat::Gif);

    CheckedReads reads{all};
    reads.readUpTo = std::min(headSize, size);
    const ContainerWalk pieces = WalkContainer(format, size, all.first(reads.readUpTo), reads.Reader());
    Check(pieces.verdict == whole.verdict && pieces.end == whole.end && pieces.reason == whole.reason &&
          pieces.gifTrailerMissing == whole.gifTrailerMissing);
  }

  // The file check: a refusal always says why, and a JPEG's end is searched only within the file.
  const std::span<const std::uint8_t> head = all.first(std::min(size, kHeadBytes));
  const std::span<const std::uint8_t> tail = all.last(std::min(size, kTailBytes));
  const ReadBytesAt read = [&](std::uint64_t at, std::span<std::uint8_t> into) -> std::size_t {
    Check(at + into.size() <= size);
    std::copy_n(all.begin() + static_cast<std::ptrdiff_t>(at), into.size(), into.begin());
    return into.size();
  };
  const PictureFileCheck check = CheckPictureFile(head, tail, size, read);
  Check(check.header.format == ReadPictureHeader(head, tail, size).format);
  if (check.walk.verdict == ContainerWalk::Verdict::Damaged) Check(!check.problem.empty());
  return 0;
}
