// Pictures as clipboards hold them, made ready for a picture decoder. Portable and bounded: a
// size or length the bytes claim is checked against the bytes there are before anything is
// made for it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace corvane::pictures {

struct ClipboardPictureBytes {
  std::vector<std::uint8_t> file;  // the picture as a file a decoder reads
  std::string problem;             // why it cannot be shown; empty when it can
};

// A device-independent bitmap as the clipboard holds it (an info header of 40 bytes or more,
// any colour masks and palette, then the rows, with no file header) as a BMP file: the file
// header is put in front, its pixel offset counted from the info header, masks and palette.
// Refused: a header too short or of no known kind, a compression other than none or bit fields,
// a size the picture ceiling refuses (judged from the header, before anything is copied), and
// rows the bytes do not hold.
ClipboardPictureBytes BmpFileFromDib(std::span<const std::uint8_t> dib);

// The pixels of a 32-bit DIB laid out as blue, green, red and a fourth byte (no compression, or
// bit fields with those masks), as top-down rows of BGRA; the fourth byte is kept as alpha only
// when the header names it so (an alpha mask of 0xFF000000), otherwise every pixel is opaque.
// Empty for any other DIB, and for one BmpFileFromDib refuses.
std::vector<std::uint8_t> Bgra32Pixels(std::span<const std::uint8_t> dib);

// A picture file the clipboard holds whole (PNG, say), judged as a file of that length would
// be: refused when its header claims a size beyond the ceiling, a length in its container claims
// more than the bytes hold, or it visibly ends too early. The bytes are copied only when they
// pass, a GIF without its trailer with the trailer put back.
ClipboardPictureBytes CheckedPictureFile(std::span<const std::uint8_t> bytes);

}  // namespace corvane::pictures
