// A pin: one picture window with its own picture path, look and menu anchor, and the menu and
// About window opened from it. The application holds its pins; a pin reaches the application
// through PinHost, so the windows depend on no more of it than that.
#pragma once

#include <cstdint>
#include <string>

#include "controls/runtime.h"
#include "pictures/picture_scale.h"
#include "platform/platform.h"
#include "windows/menu/menu_window.h"

namespace corvane {

class AboutWindow;
class PictureWindow;
class Pin;

// Stands for "no picture chosen" wherever a path is held or stored; compared exactly.
inline constexpr const char* NoPictureMarker = "No select any picture";

// Where a picture window starts when no place was saved, or when no monitor shows the saved
// one: in twips from the screen's top-left corner.
inline constexpr std::int32_t kDefaultWindowLeft = 350;
inline constexpr std::int32_t kDefaultWindowTop = 100;

// How a pin shows its picture: the picture's scale and the window's opacity. Kept in the
// settings file's extension block; the defaults when there is none.
struct PictureLook {
  std::int32_t scale = pictures::kScaleOne;  // millionths of the picture's own size
  int opacity = 100;                         // percent, 10 to 100
  friend bool operator==(const PictureLook&, const PictureLook&) = default;
};
inline constexpr int kOpacityMin = 10;
inline constexpr int kOpacityMax = 100;
inline constexpr int kOpacityStep = 5;

// What a pin asks of the application that holds it.
class PinHost {
 public:
  virtual ControlRuntime& Runtime() = 0;
  // The picture window's load: the start-up sequence for the program's first pin.
  virtual void PinLoaded(Pin& pin) = 0;
  enum class ExitFrom { PictureWindow, Menu };
  // Stores every pin's place, picture and look, unloads the windows and ends the program.
  [[noreturn]] virtual void SaveAndExit(ExitFrom from) = 0;
  // Ends the program without writing the settings.
  [[noreturn]] virtual void EndWithoutSaving() = 0;
  // The user closed the pin's window through the system (Alt+F4, a window manager's close):
  // the pin goes, or the program ends without saving when it was the last.
  virtual void ClosedByUser(Pin& pin) = 0;
  // Ctrl+W: closes the pin when another is open.
  virtual void ClosePin(Pin& pin) = 0;
  // Ctrl+N: the open-file dialog, and a new pin next to `from` for the picture chosen.
  virtual void NewPinFromDialog(Pin& from) = 0;
  // Ctrl+Shift+V: the clipboard's picture in a new pin next to `from`.
  virtual void PasteIntoNewPin(Pin& from) = 0;
  // A file dropped with Ctrl held: a new pin with its top-left corner at `at` (screen pixels).
  virtual void DropIntoNewPin(Pin& from, const std::string& path, PixelPoint at) = 0;
  // The arrow keys: moves the pin's window by `by` pixels, kept on its monitor.
  virtual void NudgePin(Pin& pin, PixelPoint by) = 0;
  // The pin took input: it is the one a command line's pictures open next to.
  virtual void PinUsed(Pin& pin) = 0;

 protected:
  ~PinHost() = default;
};
using ExitFrom = PinHost::ExitFrom;

// The picture point the last scaling kept under the pointer, while neither the pointer nor the
// window has moved since: the next step keeps that exact point rather than the one the rounded
// window shows, so that many steps do not add up their roundings.
struct ScaleAnchor {
  const Picture* picture = nullptr;
  PixelPoint pointer;
  PixelRect placed;
  pictures::PicturePoint point;
};

class Pin final : private MenuActions {
 public:
  explicit Pin(PinHost& host);
  ~Pin();
  Pin(const Pin&) = delete;
  Pin& operator=(const Pin&) = delete;

  PinHost& Host() const { return host_; }
  Platform& System() const { return host_.Runtime().System(); }

  // The picture window, made and loaded (running the start-up sequence) on first reference.
  PictureWindow& Window();
  bool WindowLoaded() const;
  // The menu, made on first reference at the menu anchor, and the About window.
  MenuWindow& Menu();
  bool MenuLoaded() const;
  AboutWindow& About();
  bool AboutLoaded() const;
  // Unloads the menu and the About window when they are loaded.
  void CloseMenuAndAbout();
  // Hands the pin's windows, unloaded, to the runtime to be freed once no handler runs inside
  // them; the pin can then go.
  void RetireWindows();

  // The picture path in force, or NoPictureMarker.
  const std::string& PicturePath() const { return picturePath_; }
  void SetPicturePath(std::string path) { picturePath_ = std::move(path); }
  // Where the right press that opened the menu happened, in screen pixels.
  CursorPoint MenuAnchor() const { return menuAnchor_; }
  void SetMenuAnchor(CursorPoint anchor) { menuAnchor_ = anchor; }
  // The look to save: the picture's scale (100 % on the help panel) and the window's opacity.
  PictureLook Look();
  ScaleAnchor& LastScaleAnchor() { return scaleAnchor_; }

 private:
  // What the menu's items do to this pin.
  bool PictureShown() override;
  const Form* MenuOwner() override;
  bool HasPicture() override;
  void ShowHelp() override;
  void ShowPicture() override;
  void Exit() override;
  void SelectPicture() override;
  void ShowAbout() override;

  PinHost& host_;
  std::string picturePath_ = NoPictureMarker;
  CursorPoint menuAnchor_;
  ScaleAnchor scaleAnchor_;
  FormSlot<PictureWindow> window_;
  FormSlot<MenuWindow> menu_;
  FormSlot<AboutWindow> about_;
};

}  // namespace corvane
