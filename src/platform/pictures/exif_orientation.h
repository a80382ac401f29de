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
  Transposed = 5,    // mirrored along the top-left to bottom-right diagonal
  TurnedLeft = 6,    // shows upright after a quarter turn clockwise
  Transversed = 7,   // mirrored along the other diagonal
  TurnedRight = 8,   // shows upright after a quarter turn anticlockwise
};

// The orientation tag of the first Exif block of a JPEG that starts with `bytes` (the block
// normally lies within the first 64 KB); Upright when the file is no JPEG, has no Exif block
// before its image data, or the tag is missing, damaged or out of range.
Orientation ReadJpegOrientation(std::span<const std::uint8_t> bytes);

// One elementary turn or mirror; applying a short list of them in order stands a picture
// upright.
enum class Turn { MirrorHorizontally, MirrorVertically, Clockwise90, Clockwise180, Clockwise270 };

struct TurnSteps {
  Turn steps[2]{};
  int count = 0;
};
TurnSteps StepsToUpright(Orientation orientation);

// True when the upright picture is the stored one with width and height exchanged.
bool SwapsSides(Orientation orientation);

}  // namespace corvane::pictures
