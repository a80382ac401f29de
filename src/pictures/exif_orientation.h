// The orientation a JPEG's Exif block gives its picture, read from the file's bytes with a
// small bounded reader: it never reads outside the bytes it is given and gives up on anything
// malformed. No OS headers; the Win32 backend applies what it finds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace corvane::pictures {

// The Exif orientation values: how the stored rows and columns must turn to stand upright.
enum class Orientation : int {
  Upright = 1,
  MirroredHorizontally = 2,
  UpsideDown = 3,
  MirroredVertically = 4,
  Transposed = 5,   // mirrored along the top-left to bottom-right diagonal
  TurnedLeft = 6,   // shows upright after a quarter turn clockwise
  Transversed = 7,  // mirrored along the other diagonal
  TurnedRight = 8,  // shows upright after a quarter turn anticlockwise
};

// The orientation tag of the first Exif block of a JPEG that starts with `bytes` (the block
// normally lies within the first 64 KB); Upright when the file is no JPEG, has no Exif block
// before its image data, or the tag is missing, damaged or out of range.
Orientation ReadJpegOrientation(std::span<const std::uint8_t> bytes);

// True when the upright picture is the stored one with width and height exchanged.
bool SwapsSides(Orientation orientation);

// Writes the `width` by `height` stored pixels (rows top first, tightly packed) into `upright`
// as they stand upright: `height` by `width` pixels when the orientation swaps the sides.
// `upright` must not overlap `stored`.
void StandUpright(const std::uint32_t* stored, int width, int height, Orientation orientation, std::uint32_t* upright);

}  // namespace corvane::pictures
