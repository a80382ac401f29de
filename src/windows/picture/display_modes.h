// The picture window's two faces: the help panel and the picture. Image1.Visible is the mode.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/platform.h"

namespace corvane {

class CorvaneForm1;

// Moves the picture window to the default place when no monitor shows any of it: after a start
// at a saved place that no monitor shows now, or a change of size that left the window wholly
// off the screens (a window partly off the top-left that becomes smaller).
void BringIntoReach(CorvaneForm1& form);

// Help labels shown, picture and link label hidden, window 6960 by 5145 twips.
void ShowHelpMode();
// Help labels hidden, picture and link label shown, window sized to Image1.
void ShowPictureMode();
// Loads CurrentPicturePath into Image1, fits the window to it, applies the link-label rule and
// writes Image1's tooltip. Throws Error when the file cannot be shown.
void ApplyPicture();
// Shows the picture at `scale` (millionths of its own size) and fits the window to it. With
// `pointer` (screen pixels) over the window, the picture point under it stays where it is;
// otherwise the window keeps its top-left corner. Does nothing on the help panel.
void ScalePicture(std::int32_t scale, std::optional<PixelPoint> pointer);

}  // namespace corvane
