// The picture window's two faces: the help panel and the picture. Image1.Visible is the mode.
#pragma once

namespace corvane {

// Help labels shown, picture and link label hidden, window 6960 by 5145 twips.
void ShowHelpMode();
// Help labels hidden, picture and link label shown, window sized to Image1.
void ShowPictureMode();
// Loads CurrentPicturePath into Image1, fits the window to it, applies the link-label rule and
// writes Image1's tooltip. Throws Error when the file cannot be shown.
void ApplyPicture();

}  // namespace corvane
