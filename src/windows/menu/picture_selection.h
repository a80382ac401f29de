// The menu's Select item: a picture file chosen in the system's open-file dialog becomes the
// picture in force at once.
#pragma once

#include <string>

#include "platform/platform.h"

namespace corvane {

class CorvaneMenu;

inline constexpr const char* kPictureFilterName = "Pictures (bmp;gif;jpg;dib;wmf;emf;ico;cur)";
inline constexpr const char* kPictureFilterPatterns = "*.bmp;*.gif;*.jpg;*.dib;*.wmf;*.emf;*.ico;*.cur";
inline constexpr const char* kOpenDialogTitle = "Select a picture file please";

// The dialog request as the Select item makes it.
OpenFileRequest MakePictureFileRequest();

void SelectPictureFile(CorvaneMenu& menu);

}  // namespace corvane
