#include "platform/gtk/picture_limits.h"

namespace corvane::gtk {

std::string RefuseSize(PixelSize size) {
  const long long area = static_cast<long long>(size.width) * size.height;
  if (size.width <= 0 || size.height <= 0) return "The picture has no pixels to show.";
  if (size.width > kLargestSide || size.height > kLargestSide || area > kLargestArea) {
    return "The picture is too large to show (" + std::to_string(size.width) + " x " + std::to_string(size.height) +
           " pixels).";
  }
  return {};
}

}  // namespace corvane::gtk
