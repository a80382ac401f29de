// Fuzzes the checks of what a clipboard holds before a decoder sees it: a device-independent
// bitmap made into a BMP file, its 32-bit pixels, and a picture file held whole (PNG, GIF, ...).
// None may read outside its input; what passes holds together: a BMP file is its header and the
// bitmap's bytes, pixels come four bytes to a pixel within the ceiling, a picture file passes with its
// own bytes (a GIF without its trailer with the trailer put back).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "pictures/clipboard_bitmap.h"
#include "pictures/picture_header.h"

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane::pictures;
  // An exact-size copy, so that AddressSanitizer sees any read past the end.
  const std::vector<std::uint8_t> bytes(data, data + size);
  const std::span<const std::uint8_t> all(bytes.data(), bytes.size());

  const ClipboardPictureBytes bmp = BmpFileFromDib(all);
  if (bmp.problem.empty()) {
    Check(bmp.file.size() > 14 + 40 && bmp.file.size() <= 14 + size);
    Check(bmp.file[0] == 'B' && bmp.file[1] == 'M');
    Check(std::equal(bmp.file.begin() + 14, bmp.file.end(), all.begin()));
  } else {
    Check(bmp.file.empty());
  }

  const std::vector<std::uint8_t> pixels = Bgra32Pixels(all);
  Check(pixels.empty() || bmp.problem.empty());
  Check(pixels.size() % 4 == 0 && pixels.size() / 4 <= static_cast<std::size_t>(kMaxPicturePixels));

  const ClipboardPictureBytes file = CheckedPictureFile(all);
  if (file.problem.empty()) {
    const bool sameBytes = file.file.size() == size && std::equal(all.begin(), all.end(), file.file.begin());
    const bool trailerPutBack = !file.file.empty() && file.file.back() == ';' && file.file.size() <= size + 1 &&
                                std::equal(file.file.begin(), file.file.end() - 1, all.begin());
    Check(sameBytes || trailerPutBack);
  } else {
    Check(file.file.empty());
  }
  return 0;
}
