#include "app/startup.h"

#include "app/app_state.h"
#include "app/numbers.h"
#include "app/settings_file.h"
#include "windows/about/corvane_about.h"
#include "windows/menu/corvane_menu.h"
#include "windows/picture/corvane_form1.h"
#include "windows/picture/display_modes.h"

namespace corvane {

SettingsRecordData SettingsRecord;
std::string CurrentPicturePath = NoPictureMarker;
CursorPoint MenuAnchor;

void RunApplication() {
  SetErrorTitle(kAppTitle);
  RunHandler([] { PictureWindow().Show(); });
  Sys().RunEventLoop([] { FreeRetiredForms(); });
}

void RunStartup(CorvaneForm1& form) {
  try {
    if (Sys().PrevInstance()) End();
    Sys().MakeTopMost(form.hWnd(), std::nullopt);
    EnsureSettingsFile();
    PictureLook look;
    SettingsRecord = ReadSettings(&look);
    form.SetLeft(static_cast<float>(SettingsRecord.WindowLeft));
    form.SetTop(static_cast<float>(SettingsRecord.WindowTop));
    form.SetOpacity(look.opacity);
    CurrentPicturePath = SettingsRecord.PicturePath;
    if (CurrentPicturePath != NoPictureMarker) {
      ShowPictureMode();
      ApplyPicture();
      // The saved place is the scaled window's: the picture grows from its top-left corner.
      if (look.scale != pictures::kScaleOne) ScalePicture(look.scale, std::nullopt);
    } else {
      ShowHelpMode();
    }
  } catch (const std::exception&) {
    // Whatever failed, the program starts on the help panel and forgets the saved picture.
    CurrentPicturePath = NoPictureMarker;
    ShowHelpMode();
  }
  // A window saved where no monitor shows any of it (a monitor since removed) would be out of
  // reach: it starts at the default place instead.
  BringIntoReach(form);
}

void SaveAndExit(ExitFrom from) {
  CorvaneForm1& form = PictureWindow();
  SettingsRecord.WindowLeft = RoundHalfEven(form.Left());
  SettingsRecord.WindowTop = RoundHalfEven(form.Top());
  SettingsRecord.PicturePath = CurrentPicturePath;
  const PictureLook look{CurrentPicturePath != NoPictureMarker ? form.Image1.Scale() : pictures::kScaleOne,
                         form.Opacity()};
  try {
    WriteSettings(SettingsRecord, look);
  } catch (const Error& e) {
    Sys().ShowMessage(form.hWnd(),
                      "Corvane could not save its window position and picture in\n" + SettingsFilePath() +
                          "\n\n" + e.what() + "\n\nThe settings saved before are kept.",
                      kAppTitle);
  }
  form.Unload();
  if (from == ExitFrom::Menu && MenuWindowLoaded()) MenuWindow().Unload();
  End();
}

void EndWithoutSaving() {
  if (MenuWindowLoaded()) MenuWindow().Unload();
  if (AboutWindowLoaded()) AboutWindow().Unload();
  if (PictureWindowLoaded()) PictureWindow().Unload();
  End();
}

}  // namespace corvane
