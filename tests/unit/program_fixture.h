// A fresh headless system for each test, with helpers that deliver input the way the window
// system does: to the control's place on the window, and only to windows that take input.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/app_state.h"
#include "app/settings_file.h"
#include "controls/form.h"
#include "platform/headless/headless_platform.h"

namespace corvane {
class CorvaneMenu;
}

namespace corvane::testing {

class ProgramTest : public ::testing::Test {
 public:
  ProgramTest() {
    ResetProgramState();
    sys.calls.clear();
  }
  ~ProgramTest() override { SetPlatform(nullptr); }

  // Starts over as a new run of the program on the same system: every window of the run before
  // unloaded and freed, the control model's and the application's state as before start-up.
  void ResetProgramState();

  // Runs the program's start: the picture window loads (running the start-up sequence) and
  // shows. Returns false when the program ended instead.
  bool Start();

  // Runs `action` as the window system would run a handler, noting whether the program ended.
  void Deliver(const std::function<void()>& action);

  HeadlessWindow& WindowOf(const Form& form) const;

  // A point inside `control` that no control above it covers, in client pixels.
  PixelPoint PointOn(const Form& form, const Control& control) const;

  void Press(Form& form, const Control* control, MouseButton button, int shift = 0);
  void Release(Form& form, const Control* control, MouseButton button);
  void ClickOn(Form& form, const Control& control);
  void DoubleClickOn(Form& form, const Control* control);
  void MoveOver(Form& form, const Control* control);
  void Type(Form& form, Key key, char character = 0, int shift = 0);

  // Right-clicks the picture window with the cursor at (x, y) and returns the menu that opens
  // (its modal loop finds nothing queued, so it returns at once); the record starts afresh.
  CorvaneMenu& OpenMenu(int x = 600, int y = 400);
  // Shows the picture at `path`, of `size` pixels, as a chosen picture is shown.
  void ShowPicture(const std::string& path, PixelSize size);

  // The settings file's bytes, and a settings file holding `record`.
  std::string SettingsBytes();
  void PutSettings(std::int32_t left, std::int32_t top, const std::string& path);

  HeadlessPlatform sys;
  bool ended = false;
};

// Bytes as written in a hex dump, e.g. "5E 01 00 00".
std::string Bytes(const std::string& hex);

}  // namespace corvane::testing
