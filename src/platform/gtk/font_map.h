// Which installed face stands in for the layouts' one face, and at what size.
//
// The layouts name "MS Sans Serif" at 8.25, 9.75, 12 and 13.5 points. Debian has no such face;
// Liberation Sans (fonts-liberation) has Arial's advance widths, and Arial's widths are within
// a pixel of MS Sans Serif's at these sizes, so every caption fits the box it was laid out for.
// Arimo is the same design under another name; Nimbus Sans (Helvetica's widths, always on
// Debian with Ghostscript's fonts) and any sans follow where neither is installed.
#pragma once

#include <string>

#include "platform/platform.h"

namespace corvane::gtk {

inline constexpr const char* kFaceFamilies = "Liberation Sans,Arimo,Arial,Nimbus Sans,Helvetica,sans-serif";

// The fonts the windows' layouts use, the help panel's first: loaded ahead at start.
inline constexpr FontSpec kLayoutFonts[] = {
    {12, true, false}, {12, false, false}, {9.75f, true, false}, {13.5f, false, false}};

struct FaceChoice {
  std::string families;  // a comma-separated list, best first
  int pixelSize = 0;     // the em height in pixels
  bool bold = false;
  bool underline = false;
  friend bool operator==(const FaceChoice&, const FaceChoice&) = default;
};

// The face for `font` on a screen of `dpi` dots per inch: the em height is the point size at
// that resolution, rounded to the nearest pixel, as the Windows program asks of GDI.
FaceChoice ChooseFace(const FontSpec& font, double dpi);

}  // namespace corvane::gtk
