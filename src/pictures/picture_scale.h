// The picture's scale: wheel steps, bounds, the scaled size and where the window goes so that
// the picture point under the pointer stays there. A scale is held in millionths (1000000 is
// the picture's own size), so that steps are exact and one step back undoes one step.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace corvane::pictures {

inline constexpr std::int32_t kScaleOne = 1'000'000;   // 100 %
inline constexpr std::int32_t kScaleMin = 50'000;      // 5 %
inline constexpr std::int32_t kScaleMax = 10'000'000;  // 1000 %

bool ScaleInRange(std::int32_t scale);

// `steps` wheel notches from `scale`: each one away from the user multiplies by 1.1, each one
// towards divides by 1.1, rounded to the nearest millionth and kept within 5 % to 1000 %. A
// step that lands within 0.1 % of 100 % lands on 100 % (no other step comes that close).
std::int32_t StepScale(std::int32_t scale, int steps);

// The largest scale (at most 1000 %) at which the picture stays within the size ceiling of
// every picture shown: no side above 32767 pixels, no more than 64 million pixels.
std::int32_t LargestScale(PixelSize natural);

// The picture's size at `scale`: each side to the nearest pixel, never below one.
PixelSize ScaledSize(PixelSize natural, std::int32_t scale);

// True when `shown` is `natural` enlarged the same whole number of times (2 or more) on both
// sides: such a picture is drawn as sharp square pixels.
bool IsWholeEnlargement(PixelSize natural, PixelSize shown);

// Where a window showing the picture at `before` (its outer rectangle on the screen) goes when
// the picture takes the size `after`, so that the picture point under the pointer pixel
// `pointer` stays under it: the window's new outer rectangle, `after` in size. The point's
// place is exact to within one pixel.
PixelRect AnchoredPlace(const PixelRect& before, PixelSize after, PixelPoint pointer);

// A point of the picture, in its own pixels (0.5 is the middle of the first pixel).
struct PicturePoint {
  double x = 0;
  double y = 0;
  friend bool operator==(const PicturePoint&, const PicturePoint&) = default;
};
// The point of a picture `natural` in size and shown over `shown` (screen pixels) that the
// middle of the pointer pixel `pointer` shows.
PicturePoint PointUnder(const PixelRect& shown, PixelSize natural, PixelPoint pointer);
// The outer rectangle, `after` in size, of a window showing that picture so that `point` lies
// in the pointer pixel `pointer`, as near its middle as whole pixels allow. Taken from the
// same point step after step, the place never drifts, however many steps there are.
PixelRect PlaceShowing(PicturePoint point, PixelSize natural, PixelSize after, PixelPoint pointer);

// The part of a picture shown at `shown` that a change of `changed` (picture pixels of a
// picture `natural` in size) touches, rounded outwards to whole shown pixels.
PixelRect ScaledArea(const PixelRect& changed, PixelSize natural, const PixelRect& shown);

// The scale as the tooltip shows it: a percentage to one decimal, as a number (110, 5.5).
double ScalePercent(std::int32_t scale);

}  // namespace corvane::pictures
