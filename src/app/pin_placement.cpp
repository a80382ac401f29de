#include "app/pin_placement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace corvane {

namespace {

std::int64_t Area(const PixelRect& r) { return r.Empty() ? 0 : static_cast<std::int64_t>(r.Width()) * r.Height(); }

// How far the rectangles lie apart: 0 when they touch or overlap.
std::int64_t Distance(const PixelRect& a, const PixelRect& b) {
  const std::int64_t dx = std::max({0, b.left - a.right, a.left - b.right});
  const std::int64_t dy = std::max({0, b.top - a.bottom, a.top - b.bottom});
  return dx * dx + dy * dy;
}

// `start` on one axis for a window `size` long, kept within [low, high).
int KeepWithin(int start, int size, int low, int high) { return std::max(low, std::min(start, high - size)); }

// `start` on one axis, from a span [from, fromEnd) to [to, toEnd), keeping the share of the
// free room before the window: a window against an edge stays against it, a centred one centred.
int SameRelativePlace(int start, int size, int from, int fromEnd, int to, int toEnd) {
  const std::int64_t roomBefore = fromEnd - from - size;
  const std::int64_t roomAfter = toEnd - to - size;
  if (roomBefore <= 0 || roomAfter <= 0) return KeepWithin(to + (start - from), size, to, toEnd);
  const std::int64_t before = std::clamp<std::int64_t>(start - from, 0, roomBefore);
  // Rounded to the nearest pixel, halves away from the monitor's start.
  return to + static_cast<int>((before * roomAfter * 2 + roomBefore) / (roomBefore * 2));
}

}  // namespace

PixelRect MonitorHolding(const PixelRect& window, const std::vector<PixelRect>& monitors) {
  const PixelRect* best = &monitors.front();
  std::int64_t bestArea = -1;
  std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
  for (const PixelRect& m : monitors) {
    const std::int64_t area = Area(m.Intersect(window));
    const std::int64_t distance = Distance(m, window);
    if (area > bestArea || (area == 0 && bestArea == 0 && distance < bestDistance)) {
      best = &m;
      bestArea = area;
      bestDistance = distance;
    }
  }
  return *best;
}

PixelPoint PlaceBeside(const PixelRect& from, PixelSize size, const PixelRect& monitor) {
  return {KeepWithin(from.left + kNewPinOffset, size.width, monitor.left, monitor.right),
          KeepWithin(from.top + kNewPinOffset, size.height, monitor.top, monitor.bottom)};
}

PixelPoint NudgedOnto(const PixelRect& window, PixelPoint by, const PixelRect& monitor) {
  if (by == PixelPoint{}) {
    return {KeepWithin(window.left, window.Width(), monitor.left, monitor.right),
            KeepWithin(window.top, window.Height(), monitor.top, monitor.bottom)};
  }
  // A step towards an edge stops there; a window already past it does not move further out.
  const auto axis = [](int start, int step, int size, int low, int high) {
    if (step > 0) return start >= high - size ? start : std::min(start + step, high - size);
    if (step < 0) return start <= low ? start : std::max(start + step, low);
    return start;
  };
  return {axis(window.left, by.x, window.Width(), monitor.left, monitor.right),
          axis(window.top, by.y, window.Height(), monitor.top, monitor.bottom)};
}

PixelPoint ReturnedPlace(const PixelRect& window, const PixelRect& savedOn, const std::vector<PixelRect>& monitors) {
  if (std::find(monitors.begin(), monitors.end(), savedOn) != monitors.end()) return {window.left, window.top};
  const PixelRect to = MonitorHolding(savedOn, monitors);
  return {SameRelativePlace(window.left, window.Width(), savedOn.left, savedOn.right, to.left, to.right),
          SameRelativePlace(window.top, window.Height(), savedOn.top, savedOn.bottom, to.top, to.bottom)};
}

}  // namespace corvane
