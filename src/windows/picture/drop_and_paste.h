// Two more ways to choose the picture: a file dropped on the picture window, and a picture
// pasted into it. Both end where the Select item ends, with the same checks and messages.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace corvane {

class Pin;

// The first dropped file is shown as if chosen in the Select dialog; the others are left.
void ShowDroppedFiles(Pin& pin, const std::vector<std::string>& paths);

// The clipboard's picture: a copied file is shown as it is; a bitmap or picture is first
// written beside the settings file as a PNG (so it comes back at the next start) and then shown.
// With nothing to paste, the user is told so; nothing else changes.
void PasteClipboardPicture(Pin& pin);

// The path of the clipboard's picture as PasteClipboardPicture takes it (a copied file, or a
// picture first written beside the settings), or nullopt once the user has been told why there
// is none; `pin` owns the messages.
std::optional<std::string> TakeClipboardPicture(Pin& pin);

// "pasted-YYYYMMDD-HHMMSS.png" (or another extension) for the time given; the `attempt`th name
// from 2 on carries "-<attempt>" before the extension, for a time that already has its file.
std::string PastedFileName(const LocalTime& time, int attempt, const std::string& extension = "png");

// The settings folder's first pasted-file name for `time` that no file holds yet.
std::string FreePastedFilePath(Platform& system, const LocalTime& time, const std::string& extension = "png");

}  // namespace corvane
