#include "platform/gtk/font_map.h"

#include <cmath>

namespace corvane::gtk {

FaceChoice ChooseFace(const FontSpec& font, double dpi) {
  const double resolution = dpi > 0 ? dpi : 96.0;
  const int pixels = static_cast<int>(std::lround(static_cast<double>(font.points) * resolution / 72.0));
  return {kFaceFamilies, pixels < 1 ? 1 : pixels, font.bold, font.underline};
}

}  // namespace corvane::gtk
