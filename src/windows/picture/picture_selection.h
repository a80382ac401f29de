// The menu's Select item: a picture file chosen in the system's open-file dialog becomes the
// pin's picture at once.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace corvane {

class Pin;

inline constexpr const char* kAllFilesFilter = "All files";
inline constexpr const char* kOpenDialogTitle = "Select a picture file please";

// The dialog's filters: one entry naming every extension the system can show (each once, in
// the order given, lower case) so the dialog lists them all at first, then all files.
std::vector<FileFilter> PictureFilters(const std::vector<std::string>& extensions);

// The dialog request as the pin's Select item makes it.
OpenFileRequest MakePictureFileRequest(Pin& pin);

// Hides the pin's menu and asks for a picture file; a chosen one that shows closes the menu,
// a cancel leaves it loaded and hidden.
void SelectPictureFile(Pin& pin);

// Makes `chosen` the pin's picture as the Select item does with the dialog's choice: the same
// checks, the same messages, the same path kept for the settings file. True when the picture
// shows; otherwise the user has been told why and everything is as it was.
bool ShowChosenPicture(Pin& pin, const std::string& chosen);

}  // namespace corvane
