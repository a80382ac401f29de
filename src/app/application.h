// The application: the settings record and the pins, for the whole run, on the control
// runtime and platform that `main` owns beside it. Its run is the start-up sequence with its
// one recovery, the event loop, and the two ways to end: save-and-exit, and the plain end when
// the last picture window is closed some other way.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/click_through_option.h"
#include "app/settings_file.h"
#include "controls/runtime.h"
#include "windows/picture/pin.h"

namespace corvane {

class Application final : public PinHost {
 public:
  // The most pins open at once.
  static constexpr std::size_t kMostPins = 1 + kMostFurtherPins;

  explicit Application(ControlRuntime& runtime);
  // Unloads every window while the runtime and its platform are still there to hear of it.
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  ControlRuntime& Runtime() override { return runtime_; }
  Platform& System() const { return runtime_.System(); }

  // Pictures to open at start (full paths): the first takes the first pin when nothing but the
  // help panel was saved, the others open as new pins. A second start hands them over to the
  // Corvane already running instead.
  void OpenAtStart(std::vector<std::string> paths) { startPaths_ = std::move(paths); }
  // --click-through=...: handed to the Corvane running by a second start, else done once this
  // one has started.
  void ClickThroughAtStart(std::optional<ClickThroughRequest> request) { waitingClickThrough_ = request; }

  // Shows the first pin's picture window (its load runs the start-up sequence), then brings
  // back the further pins saved with it and opens the pictures asked for, and from then on
  // takes the pictures a second start hands over.
  void Start();
  // A message a second start handed over (app/hand_over.h): its pictures open as new pins once
  // no handler or dialog runs. Anything else is ignored.
  void HandOverReceived(const std::string& bytes);
  // Starts, then runs the event loop until the program ends.
  void Run();
  // Frees the windows and pins closed meanwhile, unless a handler is running.
  void FreeClosed();

  // The values read at start-up and written at exit.
  SettingsRecord& Settings() { return settings_; }
  // The pins, in the order they were opened; the first is the one the record keeps.
  const std::vector<std::unique_ptr<Pin>>& Pins() const { return pins_; }
  Pin& FirstPin() { return *pins_.front(); }
  // The pin that last took input (or was opened last).
  Pin& LastActivePin() { return *lastActive_; }

  // Opens a new pin showing `path`, placed beside `from` (or with its top-left corner at `at`),
  // and brings it to the front. When it cannot (the picture cannot be shown, too many pins) the
  // user is told why and nullptr comes back.
  Pin* OpenPin(Pin& from, const std::string& path, std::optional<PixelPoint> at = std::nullopt);

  void PinLoaded(Pin& pin) override;
  // Stores every pin's place, picture and look, unloads the windows and ends the program.
  [[noreturn]] void SaveAndExit(ExitFrom from) override;
  [[noreturn]] void EndWithoutSaving() override;
  void ClosedByUser(Pin& pin) override;
  void ClosePin(Pin& pin) override;
  void NewPinFromDialog(Pin& from) override;
  void PasteIntoNewPin(Pin& from) override;
  void DropIntoNewPin(Pin& from, const std::string& path, PixelPoint at) override;
  void PinUsed(Pin& pin) override { lastActive_ = &pin; }
  void NudgePin(Pin& pin, PixelPoint by) override;

 private:
  // The first pin's load: single instance, top-most, settings, position, mode.
  void RunStartup(Pin& pin);
  // Brings back the n-th pin saved at the last exit (1 for the first further one); one whose picture cannot be shown any
  // more is left out.
  void RestorePin(const StoredPin& stored, std::size_t n);
  // Moves the pin saved as the n-th (0 for the first) back onto the monitor it was saved on,
  // or to the same relative place on the nearest one left when that monitor has gone.
  void ReturnToSavedMonitor(PictureWindow& form, std::size_t n);
  // False, after telling the user, when no more pins may open.
  bool RoomForAnotherPin(Pin& from);
  // Unloads the pin's windows and lets it go once no handler runs inside them.
  void Remove(Pin& pin);
  // A second start's pictures, to the Corvane already running.
  void HandOverToRunningInstance();
  // Opens the pictures waiting to open, unless a handler or dialog is running.
  void OpenWaitingPictures();
  // A click-through request waiting, done for every pin once no handler runs.
  void DoWaitingClickThrough();
  Pin& AddPin();

  ControlRuntime& runtime_;
  SettingsRecord settings_;
  std::vector<StoredPin> savedPins_;      // read at start-up, opened once the first pin shows
  std::vector<PixelRect> savedMonitors_;  // the monitor each saved pin was on, read with them
  bool monitorsSaved_ = false;            // the file held them: they are kept current at exit
  std::vector<std::string> startPaths_;
  std::optional<ClickThroughRequest> waitingClickThrough_;
  std::vector<std::string> waitingPictures_;  // handed over, to open as new pins
  std::vector<std::unique_ptr<Pin>> pins_;
  std::vector<std::unique_ptr<Pin>> closedPins_;  // kept until no handler runs inside them
  Pin* lastActive_ = nullptr;
};

}  // namespace corvane
