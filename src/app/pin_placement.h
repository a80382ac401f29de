// Where a new pin goes: beside the pin it came from, wholly on that pin's monitor.
#pragma once

#include <vector>

#include "platform/platform.h"

namespace corvane {

// How far right of and below the pin it came from a new pin appears, in pixels.
inline constexpr int kNewPinOffset = 24;

// The monitor that holds most of `window` (the nearest when none does); `monitors` may not be
// empty.
PixelRect MonitorHolding(const PixelRect& window, const std::vector<PixelRect>& monitors);

// The top-left corner of a window of `size` placed kNewPinOffset pixels right of and below
// `from`, moved back as little as it takes to lie wholly on `monitor` (its top-left corner on
// it when it is larger than the monitor).
PixelPoint PlaceBeside(const PixelRect& from, PixelSize size, const PixelRect& monitor);

// The top-left corner of `window` moved by `by`: a step towards the monitor's edge stops at
// it, and a window already past an edge does not move further out that way. With no step, the
// corner that puts the window wholly on `monitor` (its top-left corner on it, for a window
// larger than the monitor).
PixelPoint NudgedOnto(const PixelRect& window, PixelPoint by, const PixelRect& monitor);

// Where a window saved at `window` while on monitor `savedOn` comes back among `monitors`
// (not empty): where it was while that monitor is still there; else at the same relative place
// on the remaining monitor nearest it (most overlap first), wholly on it.
PixelPoint ReturnedPlace(const PixelRect& window, const PixelRect& savedOn, const std::vector<PixelRect>& monitors);

}  // namespace corvane
