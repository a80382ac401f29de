#include "app/application.h"

#include <algorithm>
#include <utility>

#include "app/hand_over.h"
#include "app/monitors_block.h"
#include "app/pin_placement.h"
#include "controls/numbers.h"
#include "windows/maker.h"
#include "windows/picture/display_modes.h"
#include "windows/picture/drop_and_paste.h"
#include "windows/picture/picture_selection.h"
#include "windows/picture/picture_window.h"

namespace corvane {

Application::Application(ControlRuntime& runtime) : runtime_(runtime) { AddPin(); }

Application::~Application() { runtime_.UnloadAll(); }

Pin& Application::AddPin() {
  pins_.push_back(std::make_unique<Pin>(*this));
  lastActive_ = pins_.back().get();
  return *pins_.back();
}

void Application::Start() {
  runtime_.RunHandler([this] {
    Pin& first = FirstPin();
    first.Window().Show();
    const std::vector<StoredPin> saved = std::exchange(savedPins_, {});
    for (std::size_t n = 0; n < saved.size(); ++n) RestorePin(saved[n], n + 1);
    savedMonitors_.clear();
    std::vector<std::string> paths = std::exchange(startPaths_, {});
    if (!paths.empty() && pins_.size() == 1 && first.PicturePath() == NoPictureMarker) {
      ShowChosenPicture(first, paths.front());
      paths.erase(paths.begin());
    }
    for (const std::string& path : paths) {
      if (!OpenPin(LastActivePin(), path) && pins_.size() >= kMostPins) break;
    }
  });
  DoWaitingClickThrough();
  System().ListenForHandOver([this](const std::string& bytes) { HandOverReceived(bytes); });
}

void Application::HandOverReceived(const std::string& bytes) {
  const std::optional<HandOver> message = DecodeHandOver(bytes);
  if (!message) return;
  if (message->verb == kClickThroughVerb) {
    waitingClickThrough_ = ClickThroughFromWord(message->arguments.front());
    DoWaitingClickThrough();
    return;
  }
  waitingPictures_.insert(waitingPictures_.end(), message->arguments.begin(), message->arguments.end());
  OpenWaitingPictures();
}

void Application::OpenWaitingPictures() {
  if (waitingPictures_.empty() || runtime_.HandlerRunning()) return;
  runtime_.RunHandler([this] {
    const std::vector<std::string> paths = std::exchange(waitingPictures_, {});
    for (const std::string& path : paths) {
      if (!OpenPin(LastActivePin(), path) && pins_.size() >= kMostPins) break;
    }
  });
}

void Application::DoWaitingClickThrough() {
  if (!waitingClickThrough_ || runtime_.HandlerRunning()) return;
  runtime_.RunHandler([this] {
    const ClickThroughRequest request = *std::exchange(waitingClickThrough_, std::nullopt);
    for (const std::unique_ptr<Pin>& pin : pins_) pin->Window().AskClickThrough(request);
  });
}

void Application::Run() {
  Start();
  System().RunEventLoop([this] { FreeClosed(); });
}

void Application::FreeClosed() {
  if (runtime_.HandlerRunning()) return;
  closedPins_.clear();
  runtime_.FreeRetiredForms();
  OpenWaitingPictures();
  DoWaitingClickThrough();
}

void Application::PinLoaded(Pin& pin) {
  if (&pin == pins_.front().get() && pins_.size() == 1) {
    RunStartup(pin);
    return;
  }
  System().MakeTopMost(pin.Window().hWnd(), std::nullopt);
  ShowHelpMode(pin.Window());
}

void Application::RunStartup(Pin& pin) {
  Platform& system = System();
  PictureWindow& form = pin.Window();
  try {
    if (system.PrevInstance()) {
      // A second start hands its pictures and its click-through request to the Corvane
      // running and ends; without either it just ends.
      if (!startPaths_.empty()) HandOverToRunningInstance();
      if (waitingClickThrough_) {
        try {
          system.HandOverToRunningInstance(
              EncodeHandOver({kClickThroughVerb, {ClickThroughWord(*waitingClickThrough_)}}));
        } catch (const Error&) {
          // Nothing runs to take it: the second start ends all the same.
        }
      }
      runtime_.End();
    }
    system.MakeTopMost(form.hWnd(), std::nullopt);
    EnsureSettingsFile(system);
    PictureLook look;
    settings_ = ReadSettings(system, &look, &savedPins_);
    savedMonitors_ = ReadSavedMonitors(system);
    monitorsSaved_ = !savedMonitors_.empty();
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
  ReturnToSavedMonitor(form, 0);
  // A window saved where no monitor shows any of it (a monitor since removed) would be out of
  // reach: it starts at the default place instead.
  BringIntoReach(form);
}

void Application::ReturnToSavedMonitor(PictureWindow& form, std::size_t n) {
  const std::vector<PixelRect> monitors = System().Monitors();
  if (n >= savedMonitors_.size() || monitors.empty()) return;
  const PixelRect frame = form.ScreenBounds();
  const PixelPoint place = ReturnedPlace(frame, savedMonitors_[n], monitors);
  if (place != PixelPoint{frame.left, frame.top})
    form.SetScreenBounds({place.x, place.y, place.x + frame.Width(), place.y + frame.Height()});
}

void Application::HandOverToRunningInstance() {
  std::vector<std::string> paths = startPaths_;
  if (paths.size() > kMostHandOverArguments) paths.resize(kMostHandOverArguments);
  std::erase_if(paths, [](const std::string& path) { return path.size() > kLongestHandOverArgument; });
  try {
    System().HandOverToRunningInstance(EncodeHandOver({kOpenVerb, paths}));
  } catch (const Error&) {
    // Nothing runs to take them, or it cannot be reached: the second start ends all the same.
  }
}

void Application::RestorePin(const StoredPin& stored, std::size_t n) {
  if (pins_.size() >= kMostPins) return;
  Pin& pin = AddPin();
  try {
    PictureWindow& form = pin.Window();
    form.SetLeft(static_cast<float>(stored.left));
    form.SetTop(static_cast<float>(stored.top));
    form.SetOpacity(stored.look.opacity);
    const std::string path = System().FromAnsi(stored.ansiPath);
    if (path != NoPictureMarker) {
      pin.SetPicturePath(path);
      ShowPictureMode(form);
      ApplyPicture(pin);
      if (stored.look.scale != pictures::kScaleOne) ScalePicture(pin, stored.look.scale, std::nullopt);
    }
    ReturnToSavedMonitor(form, n);
    BringIntoReach(form);
    form.Show();
  } catch (const Error&) {
    // A picture gone or damaged since: that pin is not brought back.
    Remove(pin);
  }
}

bool Application::RoomForAnotherPin(Pin& from) {
  if (pins_.size() < kMostPins) return true;
  System().ShowMessage(from.Window().hWnd(),
                       "Corvane shows at most " + std::to_string(kMostPins) +
                           " pictures at once. Close one with Ctrl+W, then open the new one.",
                       kAppTitle);
  return false;
}

Pin* Application::OpenPin(Pin& from, const std::string& path, std::optional<PixelPoint> at) {
  if (!RoomForAnotherPin(from)) return nullptr;
  const PixelRect beside = from.Window().ScreenBounds();
  Pin& pin = AddPin();
  PictureWindow& form = pin.Window();
  if (!ShowChosenPicture(pin, path)) {
    Remove(pin);
    return nullptr;
  }
  const PixelRect shown = form.ScreenBounds();
  const PixelSize size{shown.Width(), shown.Height()};
  const std::vector<PixelRect> monitors = System().Monitors();
  PixelPoint place = at.value_or(PixelPoint{beside.left + kNewPinOffset, beside.top + kNewPinOffset});
  if (!monitors.empty()) {
    const PixelRect monitor = MonitorHolding(at ? PixelRect{at->x, at->y, at->x + 1, at->y + 1} : beside, monitors);
    place = at ? NudgedOnto({at->x, at->y, at->x + size.width, at->y + size.height}, {}, monitor)
               : PlaceBeside(beside, size, monitor);
  }
  form.SetScreenBounds({place.x, place.y, place.x + size.width, place.y + size.height});
  form.Show();
  return &pin;
}

void Application::SaveAndExit(ExitFrom from) {
  Pin& first = FirstPin();
  PictureWindow& form = first.Window();
  settings_.WindowLeft = RoundHalfEven(form.Left());
  settings_.WindowTop = RoundHalfEven(form.Top());
  settings_.PicturePath = first.PicturePath();
  try {
    std::vector<StoredPin> further;
    for (std::size_t n = 1; n < pins_.size(); ++n) {
      Pin& pin = *pins_[n];
      const std::optional<std::string> ansiPath = System().ToAnsi(pin.PicturePath());
      if (!ansiPath) throw Error("a pinned picture's path cannot be written in the system's code page");
      further.push_back({RoundHalfEven(pin.Window().Left()), RoundHalfEven(pin.Window().Top()), *ansiPath, pin.Look()});
    }
    WriteSettings(System(), settings_, first.Look(), further);
    const std::vector<PixelRect> monitors = System().Monitors();
    if (monitors.size() > 1 || monitorsSaved_) {
      std::vector<PixelRect> savedOn;
      for (const std::unique_ptr<Pin>& pin : pins_)
        savedOn.push_back(MonitorHolding(pin->Window().ScreenBounds(), monitors));
      WriteSavedMonitors(System(), savedOn);
    }
  } catch (const Error& e) {
    System().ShowMessage(form.hWnd(),
                         "Corvane could not save its window position and picture in\n" + SettingsFilePath(System()) +
                             "\n\n" + e.what() + "\n\nThe settings saved before are kept.",
                         kAppTitle);
  }
  for (const std::unique_ptr<Pin>& pin : pins_) {
    if (pin->WindowLoaded()) pin->Window().Unload();
    if (from == ExitFrom::Menu && pin->MenuLoaded()) pin->Menu().Unload();
  }
  runtime_.End();
}

void Application::EndWithoutSaving() {
  for (const std::unique_ptr<Pin>& pin : pins_) {
    pin->CloseMenuAndAbout();
    if (pin->WindowLoaded()) pin->Window().Unload();
  }
  runtime_.End();
}

void Application::ClosedByUser(Pin& pin) {
  if (pins_.size() == 1) EndWithoutSaving();
  Remove(pin);
}

void Application::ClosePin(Pin& pin) {
  if (pins_.size() > 1) Remove(pin);
}

void Application::NewPinFromDialog(Pin& from) {
  if (!RoomForAnotherPin(from)) return;
  Platform& system = System();
  const OpenFileAnswer answer = system.ChooseFileToOpen(MakePictureFileRequest(from));
  if (answer.outcome == OpenFileAnswer::Outcome::Failed) {
    system.ShowMessage(from.Window().hWnd(),
                       "The file dialog could not be shown (error code " + std::to_string(answer.failure) +
                           "). No picture was selected.",
                       kAppTitle);
  }
  if (answer.outcome == OpenFileAnswer::Outcome::Chosen) OpenPin(from, answer.path);
}

void Application::PasteIntoNewPin(Pin& from) {
  if (!RoomForAnotherPin(from)) return;
  if (const std::optional<std::string> path = TakeClipboardPicture(from)) OpenPin(from, *path);
}

void Application::NudgePin(Pin& pin, PixelPoint by) {
  PictureWindow& form = pin.Window();
  const PixelRect frame = form.ScreenBounds();
  const std::vector<PixelRect> monitors = System().Monitors();
  const PixelPoint place = monitors.empty() ? PixelPoint{frame.left + by.x, frame.top + by.y}
                                            : NudgedOnto(frame, by, MonitorHolding(frame, monitors));
  form.SetScreenBounds({place.x, place.y, place.x + frame.Width(), place.y + frame.Height()});
}

void Application::DropIntoNewPin(Pin& from, const std::string& path, PixelPoint at) { OpenPin(from, path, at); }

void Application::Remove(Pin& pin) {
  const auto at =
      std::find_if(pins_.begin(), pins_.end(), [&](const std::unique_ptr<Pin>& p) { return p.get() == &pin; });
  if (at == pins_.end()) return;
  pin.CloseMenuAndAbout();
  if (pin.WindowLoaded()) pin.Window().Unload();
  pin.RetireWindows();
  closedPins_.push_back(std::move(*at));
  pins_.erase(at);
  if (lastActive_ == &pin) lastActive_ = pins_.empty() ? nullptr : pins_.back().get();
}

}  // namespace corvane
