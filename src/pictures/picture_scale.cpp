#include "pictures/picture_scale.h"

#include <algorithm>
#include <cmath>

#include "pictures/picture_header.h"

namespace corvane::pictures {

namespace {

constexpr std::int64_t kSnapToOne = 1'000;  // 0.1 %

std::int64_t RoundedRatio(std::int64_t value, std::int64_t numerator, std::int64_t denominator) {
  return (value * numerator * 2 + denominator) / (denominator * 2);
}

int ScaledSide(int natural, std::int32_t scale) {
  const std::int64_t side = RoundedRatio(natural, scale, kScaleOne);
  return static_cast<int>(std::clamp<std::int64_t>(side, 1, 0x7FFFFFFF));
}

// Where along a side of `before` pixels the centre of pointer pixel `offset` lies, as a
// fraction, carried to a side of `after` pixels: the new offset of the window's edge.
int AnchoredEdge(int edge, int before, int after, int pointer) {
  const double fraction = (static_cast<double>(pointer - edge) + 0.5) / static_cast<double>(std::max(1, before));
  return pointer - static_cast<int>(std::floor(fraction * after));
}

}  // namespace

bool ScaleInRange(std::int32_t scale) { return scale >= kScaleMin && scale <= kScaleMax; }

std::int32_t StepScale(std::int32_t scale, int steps) {
  std::int64_t s = std::clamp<std::int64_t>(scale, kScaleMin, kScaleMax);
  for (int i = 0; i < std::abs(steps); ++i) {
    s = steps > 0 ? RoundedRatio(s, 11, 10) : RoundedRatio(s, 10, 11);
    s = std::clamp<std::int64_t>(s, kScaleMin, kScaleMax);
    if (std::abs(s - kScaleOne) < kSnapToOne) s = kScaleOne;
  }
  return static_cast<std::int32_t>(s);
}

std::int32_t LargestScale(PixelSize natural) {
  std::int64_t scale = kScaleMax;
  const auto fits = [&](std::int64_t s) {
    const PixelSize size = ScaledSize(natural, static_cast<std::int32_t>(s));
    return size.width <= kMaxPictureSide && size.height <= kMaxPictureSide &&
           static_cast<std::int64_t>(size.width) * size.height <= kMaxPicturePixels;
  };
  if (fits(scale)) return static_cast<std::int32_t>(scale);
  std::int64_t low = kScaleMin;  // the largest known to fit, or the floor
  std::int64_t high = scale;     // the smallest known not to fit
  while (high - low > 1) {
    const std::int64_t middle = low + (high - low) / 2;
    (fits(middle) ? low : high) = middle;
  }
  return static_cast<std::int32_t>(low);
}

PixelSize ScaledSize(PixelSize natural, std::int32_t scale) {
  return {ScaledSide(natural.width, scale), ScaledSide(natural.height, scale)};
}

bool IsWholeEnlargement(PixelSize natural, PixelSize shown) {
  if (natural.width <= 0 || natural.height <= 0) return false;
  if (shown.width % natural.width != 0 || shown.height % natural.height != 0) return false;
  const int times = shown.width / natural.width;
  return times >= 2 && shown.height / natural.height == times;
}

PixelRect AnchoredPlace(const PixelRect& before, PixelSize after, PixelPoint pointer) {
  const int left = AnchoredEdge(before.left, before.Width(), after.width, pointer.x);
  const int top = AnchoredEdge(before.top, before.Height(), after.height, pointer.y);
  return {left, top, left + after.width, top + after.height};
}

PicturePoint PointUnder(const PixelRect& shown, PixelSize natural, PixelPoint pointer) {
  return {(pointer.x - shown.left + 0.5) * natural.width / std::max(1, shown.Width()),
          (pointer.y - shown.top + 0.5) * natural.height / std::max(1, shown.Height())};
}

PixelRect PlaceShowing(PicturePoint point, PixelSize natural, PixelSize after, PixelPoint pointer) {
  const auto edge = [](double at, int naturalSide, int afterSide, int pointerAt) {
    return pointerAt - static_cast<int>(std::floor(at / std::max(1, naturalSide) * afterSide));
  };
  const int left = edge(point.x, natural.width, after.width, pointer.x);
  const int top = edge(point.y, natural.height, after.height, pointer.y);
  return {left, top, left + after.width, top + after.height};
}

PixelRect ScaledArea(const PixelRect& changed, PixelSize natural, const PixelRect& shown) {
  if (changed.Empty() || natural.width <= 0 || natural.height <= 0) return {};
  const auto along = [](int value, int from, int to, bool up) {
    const double exact = static_cast<double>(value) * to / from;
    return static_cast<int>(up ? std::ceil(exact) : std::floor(exact));
  };
  return PixelRect{shown.left + along(changed.left, natural.width, shown.Width(), false),
                   shown.top + along(changed.top, natural.height, shown.Height(), false),
                   shown.left + along(changed.right, natural.width, shown.Width(), true),
                   shown.top + along(changed.bottom, natural.height, shown.Height(), true)}
      .Intersect(shown);
}

double ScalePercent(std::int32_t scale) { return std::round(static_cast<double>(scale) / 1000.0) / 10.0; }

}  // namespace corvane::pictures
