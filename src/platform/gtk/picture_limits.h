// The largest picture the native program shows, checked from the file's header before any
// pixel is decoded.
#pragma once

#include <string>

#include "platform/platform.h"

namespace corvane::gtk {

// X windows and cairo surfaces end at 32767 pixels a side.
inline constexpr int kLargestSide = 32767;
// Four bytes a pixel: a gigabyte of pixels at most.
inline constexpr long long kLargestArea = 256LL * 1024 * 1024;

// The message refusing a picture of `size`, or the empty text when it can be shown.
std::string RefuseSize(PixelSize size);

}  // namespace corvane::gtk
