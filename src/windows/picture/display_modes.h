// The picture window's two faces: the help panel and the picture. PictureBox.Visible is the
// mode.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/platform.h"

namespace corvane {

class Pin;
class PictureWindow;

// Moves the picture window to the default place when no monitor shows any of it: after a start
// at a saved place that no monitor shows now, or a change of size that left the window wholly
// off the screens (a window partly off the top-left that becomes smaller).
void BringIntoReach(PictureWindow& form);

// Help lines shown, picture and link label hidden, window the help panel's size.
void ShowHelpMode(PictureWindow& form);
// Help lines hidden, picture and link label shown, window sized to the picture.
void ShowPictureMode(PictureWindow& form);
// Loads the pin's picture path into its window, fits the window to it, applies the link-label
// rule and writes the picture's tooltip. Throws Error when the file cannot be shown.
void ApplyPicture(Pin& pin);
// Shows the pin's picture at `scale` (millionths of its own size) and fits the window to it.
// With `pointer` (screen pixels) over the window, the picture point under it stays where it
// is; otherwise the window keeps its top-left corner. Does nothing on the help panel.
void ScalePicture(Pin& pin, std::int32_t scale, std::optional<PixelPoint> pointer);

}  // namespace corvane
