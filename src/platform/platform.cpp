#include "platform/platform.h"

#include <algorithm>

namespace corvane {

PixelRect PixelRect::Intersect(const PixelRect& o) const {
  return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
}

std::optional<PixelRect> StraightLineBand(PixelPoint from, PixelPoint to, int width) {
  const int before = width / 2;  // a wide line is centred on its segment
  if (from.y == to.y)
    return PixelRect{std::min(from.x, to.x), from.y - before, std::max(from.x, to.x) + 1, from.y - before + width};
  if (from.x == to.x)
    return PixelRect{from.x - before, std::min(from.y, to.y), from.x - before + width, std::max(from.y, to.y) + 1};
  return std::nullopt;
}

}  // namespace corvane
