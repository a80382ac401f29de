#include "windows/menu/picture_selection.h"

#include <algorithm>

#include "app/app_state.h"
#include "windows/menu/corvane_menu.h"
#include "windows/picture/corvane_form1.h"
#include "windows/picture/display_modes.h"

namespace corvane {

namespace {

std::string TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// What a failed selection must leave as it found it.
struct PictureWindowState {
  explicit PictureWindowState(CorvaneForm1& form)
      : text(form.Text100.Text()),
        path(CurrentPicturePath),
        picture(form.Image1.GetPicture()),
        imageBounds{form.Image1.Left(), form.Image1.Top(), form.Image1.Width(), form.Image1.Height()},
        imageVisible(form.Image1.Visible()),
        toolTip(form.Image1.ToolTipText),
        linkVisible(form.Labelmy2.Visible()),
        linkBackStyle(form.Labelmy2.BackStyle()),
        width(form.Width()),
        height(form.Height()) {}

  void Restore(CorvaneForm1& form) const {
    form.Text100.SetText(text);
    CurrentPicturePath = path;
    form.Image1.SetPicture(picture);
    form.Image1.Move(imageBounds);
    form.Image1.ToolTipText = toolTip;
    form.Image1.SetVisible(imageVisible);
    for (Label* label : form.HelpLabels()) label->SetVisible(!imageVisible);
    form.Labelmy2.SetVisible(linkVisible);
    form.Labelmy2.SetBackStyle(linkBackStyle);
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
  int linkBackStyle;
  float width;
  float height;
};

// The path as the settings file can keep it: as chosen, or its short form when only that fits
// the ANSI code page. Empty when neither does.
std::string StorablePath(const std::string& chosen) {
  if (Sys().ToAnsi(chosen)) return chosen;
  const std::string shortPath = Sys().ShortPathName(chosen);
  if (!shortPath.empty() && Sys().ToAnsi(shortPath)) return shortPath;
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

OpenFileRequest MakePictureFileRequest() {
  OpenFileRequest request;
  request.owner = PictureWindow().hWnd();
  request.title = kOpenDialogTitle;
  request.filters = PictureFilters(Sys().PictureExtensions());
  request.initialFolder = Sys().AppPath();
  return request;
}

void SelectPictureFile(CorvaneMenu& menu) {
  menu.Hide();
  const OpenFileAnswer answer = Sys().ChooseFileToOpen(MakePictureFileRequest());
  CorvaneForm1& form = PictureWindow();
  if (answer.outcome != OpenFileAnswer::Outcome::Chosen) {
    if (answer.outcome == OpenFileAnswer::Outcome::Failed) {
      Sys().ShowMessage(form.hWnd(),
                        "The file dialog could not be shown (error code " + std::to_string(answer.failure) +
                            "). No picture was selected.",
                        kAppTitle);
    }
    return;  // the menu stays loaded and hidden
  }

  if (ShowChosenPicture(answer.path)) menu.Unload();
}

bool ShowChosenPicture(const std::string& choice) {
  CorvaneForm1& form = PictureWindow();
  const std::string chosen = TrimBlanks(choice);
  const std::string path = StorablePath(chosen);
  if (path.empty()) {
    Sys().ShowMessage(form.hWnd(),
                      "Corvane cannot remember the picture\n" + chosen +
                          "\n\nbecause its name has characters that this system's code page cannot hold. "
                          "Rename the file or move it to a folder with a plainer name, then select it again.",
                      kAppTitle);
    return false;
  }

  const PictureWindowState before(form);
  try {
    form.Image1.SetVisible(true);
    form.Text100.SetText(path);
    CurrentPicturePath = TrimBlanks(form.Text100.Text());
    ShowPictureMode();
    ApplyPicture();
  } catch (const Error& e) {
    before.Restore(form);
    Sys().ShowMessage(form.hWnd(), "Corvane cannot show the picture\n" + path + "\n\n" + e.what(), kAppTitle);
    return false;
  }
  return true;
}

}  // namespace corvane
