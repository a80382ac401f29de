// The menu's Select item: a picture file chosen in the system's open-file dialog becomes the
// picture in force at once.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace corvane {

class CorvaneMenu;

inline constexpr const char* kAllFilesFilter = "All files";
inline constexpr const char* kOpenDialogTitle = "Select a picture file please";

// The dialog's filters: one entry naming every extension the system can show (each once, in
// the order given, lower case) so the dialog lists them all at first, then all files.
std::vector<FileFilter> PictureFilters(const std::vector<std::string>& extensions);

// The dialog request as the Select item makes it.
OpenFileRequest MakePictureFileRequest();

void SelectPictureFile(CorvaneMenu& menu);

// Makes `chosen` the picture in force as the Select item does with the dialog's choice: the
// same checks, the same messages, the same path kept for the settings file. True when the
// picture shows; otherwise the user has been told why and everything is as it was.
bool ShowChosenPicture(const std::string& chosen);

}  // namespace corvane
