// Fuzzes the readers that look at a picture file's bytes before any decoder does: the JPEG
// Exif orientation and the picture header. Neither may read outside its input, and what they
// report must hold together.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "pictures/exif_orientation.h"
#include "pictures/picture_header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane::pictures;
  // An exact-size copy, so that AddressSanitizer sees any read past the end.
  const std::vector<std::uint8_t> bytes(data, data + size);
  const std::span<const std::uint8_t> all(bytes.data(), bytes.size());

  const Orientation orientation = ReadJpegOrientation(all);
  const int value = static_cast<int>(orientation);
  if (value < 1 || value > 8) std::abort();

  const std::size_t tail = size < kTailBytes ? size : kTailBytes;
  const PictureHeader header =
      ReadPictureHeader(all.first(size < kHeadBytes ? size : kHeadBytes), all.last(tail), size);
  if (!header.sizeKnown && (header.width != 0 || header.height != 0)) std::abort();
  if (header.sizeKnown) (void)SizeProblem(header.width, header.height);
  if (header.scanStart > 0) {
    if (header.scanStart >= size) std::abort();
    // Whole or byte by byte, the end marker is found alike.
    JpegEndFinder whole;
    JpegEndFinder bytewise;
    const bool found = whole.Feed(all.subspan(header.scanStart));
    bool foundBytewise = false;
    for (std::size_t i = header.scanStart; i < size; ++i) foundBytewise = bytewise.Feed(all.subspan(i, 1));
    if (found != foundBytewise) std::abort();
  }

  // Standing a small picture upright moves every pixel exactly once.
  if (size >= 2) {
    const int width = 1 + data[0] % 7;
    const int height = 1 + data[1] % 5;
    std::vector<std::uint32_t> stored(static_cast<std::size_t>(width * height));
    for (std::size_t i = 0; i < stored.size(); ++i) stored[i] = static_cast<std::uint32_t>(i);
    std::vector<std::uint32_t> upright(stored.size(), 0xFFFFFFFFu);
    StandUpright(stored.data(), width, height, orientation, upright.data());
    std::vector<bool> seen(stored.size());
    for (std::uint32_t v : upright) {
      if (v >= seen.size() || seen[v]) std::abort();
      seen[v] = true;
    }
  }
  return 0;
}
