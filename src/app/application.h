// The application: the settings record and the pins, for the whole run, on the control
// runtime and platform that `main` owns beside it. Its run is the start-up sequence with its
// one recovery, the event loop, and the two ways to end: save-and-exit, and the plain end when
// the picture window is closed some other way.
#pragma once

#include <memory>
#include <vector>

#include "app/settings_file.h"
#include "controls/runtime.h"
#include "windows/picture/pin.h"

namespace corvane {

class Application final : public PinHost {
 public:
  explicit Application(ControlRuntime& runtime);
  // Unloads every window while the runtime and its platform are still there to hear of it.
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  ControlRuntime& Runtime() override { return runtime_; }
  Platform& System() const { return runtime_.System(); }

  // Shows the first pin's picture window (its load runs the start-up sequence).
  void Start();
  // Starts, then runs the event loop until the program ends.
  void Run();

  // The values read at start-up and written at exit.
  SettingsRecord& Settings() { return settings_; }
  // The pin the program starts with; today it is the only one.
  Pin& FirstPin() { return *pins_.front(); }

  // The picture window's load: single instance, top-most, settings, position, mode.
  void RunStartup(Pin& pin) override;
  // Stores the window position, the picture in force and its look, unloads the windows and
  // ends the program. Does not return.
  [[noreturn]] void SaveAndExit(ExitFrom from) override;
  [[noreturn]] void EndWithoutSaving() override;

 private:
  ControlRuntime& runtime_;
  SettingsRecord settings_;
  std::vector<std::unique_ptr<Pin>> pins_;
};

}  // namespace corvane
