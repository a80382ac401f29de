// A fresh headless system and application for each test, with helpers that deliver input the way the window
// system does: to the control's place on the window, and only to windows that take input.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/application.h"
#include "app/settings_file.h"
#include "controls/form.h"
#include "platform/headless/headless_platform.h"
#include "windows/about/about_window.h"
#include "windows/menu/menu_window.h"
#include "windows/picture/picture_window.h"

namespace corvane::testing {

class ProgramTest : public ::testing::Test {
 public:
  ProgramTest() {
    NewRun();
    sys.calls.clear();
  }

  // Starts over as a new run of the program on the same system: the application and control
  // runtime of the run before go, with every window they held, and fresh ones are made.
  void NewRun();

  Application& App() { return *app; }
  Pin& FirstPin() { return app->FirstPin(); }
  // The first pin's windows, made and loaded on first reference as the program makes them.
  PictureWindow& PictureForm() { return FirstPin().Window(); }
  MenuWindow& MenuForm() { return FirstPin().Menu(); }
  AboutWindow& AboutForm() { return FirstPin().About(); }

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
  MenuWindow& OpenMenu(int x = 600, int y = 400);
  // Shows the picture at `path`, of `size` pixels, as a chosen picture is shown.
  void ShowPicture(const std::string& path, PixelSize size);

  // The settings file's bytes, and a settings file holding `record`.
  std::string SettingsBytes();
  void PutSettings(std::int32_t left, std::int32_t top, const std::string& path);

  HeadlessPlatform sys;
  std::optional<ControlRuntime> runtime;  // made before the application, and gone after it
  std::optional<Application> app;
  bool ended = false;
};

// Bytes as written in a hex dump, e.g. "5E 01 00 00".
std::string Bytes(const std::string& hex);

}  // namespace corvane::testing
