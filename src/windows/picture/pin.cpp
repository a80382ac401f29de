#include "windows/picture/pin.h"

#include "windows/about/about_window.h"
#include "windows/picture/display_modes.h"
#include "windows/picture/picture_selection.h"
#include "windows/picture/picture_window.h"

namespace corvane {

Pin::Pin(PinHost& host)
    : host_(host),
      window_([this] { return std::make_unique<PictureWindow>(host_.Runtime(), *this); }),
      menu_([this] {
        MenuActions& actions = *this;
        return std::make_unique<MenuWindow>(host_.Runtime(), actions, menuAnchor_);
      }),
      about_([this] { return std::make_unique<AboutWindow>(host_.Runtime(), [this] { return MenuOwner(); }); }) {}

Pin::~Pin() = default;

PictureWindow& Pin::Window() { return window_(); }
bool Pin::WindowLoaded() const { return window_.Loaded(); }
MenuWindow& Pin::Menu() { return menu_(); }
bool Pin::MenuLoaded() const { return menu_.Loaded(); }
AboutWindow& Pin::About() { return about_(); }
bool Pin::AboutLoaded() const { return about_.Loaded(); }

void Pin::CloseMenuAndAbout() {
  if (MenuLoaded()) Menu().Unload();
  if (AboutLoaded()) About().Unload();
}

void Pin::RetireWindows() {
  window_.Retire();
  menu_.Retire();
  about_.Retire();
}

PictureLook Pin::Look() {
  PictureWindow& form = Window();
  return {picturePath_ != NoPictureMarker ? form.PictureBox.Scale() : pictures::kScaleOne, form.Opacity()};
}

const Form* Pin::MenuOwner() { return WindowLoaded() ? &Window() : nullptr; }

bool Pin::PictureShown() { return Window().PictureBox.Visible(); }

bool Pin::HasPicture() { return picturePath_ != NoPictureMarker; }

void Pin::ShowHelp() { ShowHelpMode(Window()); }

void Pin::ShowPicture() { ShowPictureMode(Window()); }

void Pin::Exit() { host_.SaveAndExit(ExitFrom::Menu); }

void Pin::SelectPicture() { SelectPictureFile(*this); }

void Pin::ShowAbout() { About().ShowModal(); }

}  // namespace corvane
