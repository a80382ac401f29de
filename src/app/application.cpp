#include "app/application.h"

#include "controls/numbers.h"
#include "windows/maker.h"
#include "windows/picture/display_modes.h"
#include "windows/picture/picture_window.h"

namespace corvane {

Application::Application(ControlRuntime& runtime) : runtime_(runtime) {
  pins_.push_back(std::make_unique<Pin>(*this));
}

Application::~Application() { runtime_.UnloadAll(); }

void Application::Start() {
  runtime_.RunHandler([this] { FirstPin().Window().Show(); });
}

void Application::Run() {
  Start();
  System().RunEventLoop([this] { runtime_.FreeRetiredForms(); });
}

void Application::RunStartup(Pin& pin) {
  Platform& system = System();
  PictureWindow& form = pin.Window();
  try {
    if (system.PrevInstance()) runtime_.End();
    system.MakeTopMost(form.hWnd(), std::nullopt);
    EnsureSettingsFile(system);
    PictureLook look;
    settings_ = ReadSettings(system, &look);
    form.SetLeft(static_cast<float>(settings_.WindowLeft));
    form.SetTop(static_cast<float>(settings_.WindowTop));
    form.SetOpacity(look.opacity);
    pin.SetPicturePath(settings_.PicturePath);
    if (pin.PicturePath() != NoPictureMarker) {
      ShowPictureMode(form);
      ApplyPicture(pin);
      // The saved place is the scaled window's: the picture grows from its top-left corner.
      if (look.scale != pictures::kScaleOne) ScalePicture(pin, look.scale, std::nullopt);
    } else {
      ShowHelpMode(form);
    }
  } catch (const std::exception&) {
    // Whatever failed, the program starts on the help panel and forgets the saved picture.
    pin.SetPicturePath(NoPictureMarker);
    ShowHelpMode(form);
  }
  // A window saved where no monitor shows any of it (a monitor since removed) would be out of
  // reach: it starts at the default place instead.
  BringIntoReach(form);
}

void Application::SaveAndExit(ExitFrom from) {
  Pin& pin = FirstPin();
  PictureWindow& form = pin.Window();
  settings_.WindowLeft = RoundHalfEven(form.Left());
  settings_.WindowTop = RoundHalfEven(form.Top());
  settings_.PicturePath = pin.PicturePath();
  try {
    WriteSettings(System(), settings_, pin.Look());
  } catch (const Error& e) {
    System().ShowMessage(form.hWnd(),
                         "Corvane could not save its window position and picture in\n" + SettingsFilePath(System()) +
                             "\n\n" + e.what() + "\n\nThe settings saved before are kept.",
                         kAppTitle);
  }
  form.Unload();
  if (from == ExitFrom::Menu && pin.MenuLoaded()) pin.Menu().Unload();
  runtime_.End();
}

void Application::EndWithoutSaving() {
  for (const std::unique_ptr<Pin>& pin : pins_) {
    pin->CloseMenuAndAbout();
    if (pin->WindowLoaded()) pin->Window().Unload();
  }
  runtime_.End();
}

}  // namespace corvane
