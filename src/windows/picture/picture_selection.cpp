#include "windows/picture/picture_selection.h"

#include <algorithm>

#include "windows/maker.h"
#include "windows/picture/display_modes.h"
#include "windows/picture/picture_window.h"

namespace corvane {

namespace {

std::string TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// What a failed selection must leave as it found it.
struct PictureWindowState {
  explicit PictureWindowState(Pin& pin) : PictureWindowState(pin, pin.Window()) {}
  PictureWindowState(const Pin& pin, PictureWindow& form)
      : text(form.PathBox.Text()),
        path(pin.PicturePath()),
        picture(form.PictureBox.GetPicture()),
        imageBounds{form.PictureBox.Left(), form.PictureBox.Top(), form.PictureBox.Width(), form.PictureBox.Height()},
        imageVisible(form.PictureBox.Visible()),
        toolTip(form.PictureBox.ToolTipText),
        linkVisible(form.SiteLink.Visible()),
        linkGround(form.SiteLink.GroundStyle()),
        width(form.Width()),
        height(form.Height()) {}

  void Restore(Pin& pin) const {
    PictureWindow& form = pin.Window();
    form.PathBox.SetText(text);
    pin.SetPicturePath(path);
    form.PictureBox.SetPicture(picture);
    form.PictureBox.Move(imageBounds);
    form.PictureBox.ToolTipText = toolTip;
    form.PictureBox.SetVisible(imageVisible);
    for (Label* label : form.HelpLines()) label->SetVisible(!imageVisible);
    form.SiteLink.SetVisible(linkVisible);
    form.SiteLink.SetGround(linkGround);
    form.SetHeight(height);
    form.SetWidth(width);
  }

  std::string text;
  std::string path;
  std::shared_ptr<Picture> picture;
  TwipsRect imageBounds;
  bool imageVisible;
  std::string toolTip;
  bool linkVisible;
  Ground linkGround;
  float width;
  float height;
};

// The path as the settings file can keep it: as chosen, or its short form when only that fits
// the ANSI code page. Empty when neither does.
std::string StorablePath(const Platform& system, const std::string& chosen) {
  if (system.ToAnsi(chosen)) return chosen;
  const std::string shortPath = system.ShortPathName(chosen);
  if (!shortPath.empty() && system.ToAnsi(shortPath)) return shortPath;
  return {};
}

}  // namespace

std::vector<FileFilter> PictureFilters(const std::vector<std::string>& extensions) {
  std::vector<std::string> seen;
  std::string names;
  std::string patterns;
  for (std::string extension : extensions) {
    for (char& c : extension) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (extension.empty() || std::find(seen.begin(), seen.end(), extension) != seen.end()) continue;
    seen.push_back(extension);
    names += (names.empty() ? "" : ";") + extension;
    patterns += (patterns.empty() ? "*." : ";*.") + extension;
  }
  return {{"Pictures (" + names + ")", patterns}, {kAllFilesFilter, "*.*"}};
}

OpenFileRequest MakePictureFileRequest(Pin& pin) {
  OpenFileRequest request;
  request.owner = pin.Window().hWnd();
  request.title = kOpenDialogTitle;
  request.filters = PictureFilters(pin.System().PictureExtensions());
  request.initialFolder = pin.System().AppPath();
  return request;
}

void SelectPictureFile(Pin& pin) {
  MenuWindow& menu = pin.Menu();
  menu.Hide();
  Platform& system = pin.System();
  const OpenFileAnswer answer = system.ChooseFileToOpen(MakePictureFileRequest(pin));
  PictureWindow& form = pin.Window();
  if (answer.outcome != OpenFileAnswer::Outcome::Chosen) {
    if (answer.outcome == OpenFileAnswer::Outcome::Failed) {
      system.ShowMessage(form.hWnd(),
                         "The file dialog could not be shown (error code " + std::to_string(answer.failure) +
                             "). No picture was selected.",
                         kAppTitle);
    }
    return;  // the menu stays loaded and hidden
  }

  if (ShowChosenPicture(pin, answer.path)) menu.Unload();
}

bool ShowChosenPicture(Pin& pin, const std::string& choice) {
  PictureWindow& form = pin.Window();
  Platform& system = pin.System();
  const std::string chosen = TrimBlanks(choice);
  const std::string path = StorablePath(system, chosen);
  if (path.empty()) {
    system.ShowMessage(form.hWnd(),
                       "Corvane cannot remember the picture\n" + chosen +
                           "\n\nbecause its name has characters that this system's code page cannot hold. "
                           "Rename the file or move it to a folder with a plainer name, then select it again.",
                       kAppTitle);
    return false;
  }

  const PictureWindowState before(pin);
  try {
    form.PictureBox.SetVisible(true);
    form.PathBox.SetText(path);
    pin.SetPicturePath(TrimBlanks(form.PathBox.Text()));
    ShowPictureMode(form);
    ApplyPicture(pin);
  } catch (const Error& e) {
    before.Restore(pin);
    system.ShowMessage(form.hWnd(), "Corvane cannot show the picture\n" + path + "\n\n" + e.what(), kAppTitle);
    return false;
  }
  return true;
}

}  // namespace corvane
