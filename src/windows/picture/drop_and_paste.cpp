#include "windows/picture/drop_and_paste.h"

#include <cstdio>

#include "windows/maker.h"
#include "windows/picture/picture_selection.h"
#include "windows/picture/picture_window.h"

namespace corvane {

namespace {

// Names tried for one second before giving up: far more than a user can paste in a second.
constexpr int kPastedNameAttempts = 100;

void Tell(Pin& pin, const std::string& text) { pin.System().ShowMessage(pin.Window().hWnd(), text, kAppTitle); }

// As after a file chosen through the Select item: a menu left loaded and hidden by a cancelled
// dialog goes, so that the next one opens at the cursor with the Show item of the new mode.
void ShowAsChosen(Pin& pin, const std::string& path) {
  if (ShowChosenPicture(pin, path) && pin.MenuLoaded()) pin.Menu().Unload();
}

}  // namespace

void ShowDroppedFiles(Pin& pin, const std::vector<std::string>& paths) {
  if (paths.empty()) {
    Tell(pin,
         "Corvane can show only a picture file on this computer. Drop a picture file, or copy the picture and "
         "paste it with Ctrl+V.");
    return;
  }
  ShowAsChosen(pin, paths.front());
}

std::string PastedFileName(const LocalTime& t, int attempt, const std::string& extension) {
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "pasted-%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  std::string name = stamp;
  if (attempt > 1) {
    name += '-';
    name += std::to_string(attempt);
  }
  name += '.';
  name += extension;
  return name;
}

std::string FreePastedFilePath(Platform& system, const LocalTime& time, const std::string& extension) {
  for (int attempt = 1; attempt <= kPastedNameAttempts; ++attempt) {
    const std::string path = system.SettingsFilePath(PastedFileName(time, attempt, extension));
    if (system.FindFileName(path).empty()) return path;
  }
  throw Error("Every name for a picture pasted at this time is taken: " + PastedFileName(time, 1, extension) +
              " and on.");
}

std::optional<std::string> TakeClipboardPicture(Pin& pin) {
  Platform& system = pin.System();
  ClipboardPicture pasted;
  try {
    pasted = system.ReadClipboardPicture();
  } catch (const Error& e) {
    Tell(pin, std::string("Corvane cannot paste the picture on the clipboard.\n\n") + e.what());
    return std::nullopt;
  }
  if (!pasted.file.empty()) return pasted.file;
  if (!pasted.image) {
    Tell(pin, "The clipboard holds no picture. Copy a picture or a picture file, then paste it with Ctrl+V.");
    return std::nullopt;
  }
  std::string path;
  try {
    path = FreePastedFilePath(system, system.Now(), pasted.image->Extension());
    pasted.image->Save(path);
  } catch (const Error& e) {
    Tell(pin, "Corvane cannot save the pasted picture" + (path.empty() ? std::string() : " as\n" + path) + "\n\n" +
                  e.what() +
                  "\n\nA pasted picture is kept beside Corvane's settings, so that folder must be writable. "
                  "The picture shown stays.");
    return std::nullopt;
  }
  return path;
}

void PasteClipboardPicture(Pin& pin) {
  if (const std::optional<std::string> path = TakeClipboardPicture(pin)) ShowAsChosen(pin, *path);
}

}  // namespace corvane
