// The picture window of a pin: the borderless, top-most window showing either the help panel
// or the chosen picture.
#pragma once

#include <array>

#include "controls/form.h"
#include "windows/picture/click_through.h"
#include "windows/picture/pin.h"

namespace corvane {

// The help panel's size, in twips.
inline constexpr float kHelpPanelWidth = 6960;
inline constexpr float kHelpPanelHeight = 5145;

class PictureWindow : public Form {
 public:
  PictureWindow(ControlRuntime& runtime, Pin& pin);

  // The controls, from the top of the drawing order down.
  TextBox PathBox{"PathBox"};  // hidden: holds the chosen path on its way in
  Label PreviewUsage{"PreviewUsage"};
  Label SiteLink{"SiteLink"};  // the maker's site, over the picture's top-left corner
  Label FollowMe{"FollowMe"};
  Label CoverHeading{"CoverHeading"};
  Label CoverUsage{"CoverUsage"};
  Label PreviewHeading{"PreviewHeading"};
  Label Step2Heading{"Step2Heading"};
  Label Step1Heading{"Step1Heading"};
  Label Step2Text{"Step2Text"};
  Label Step1Text{"Step1Text"};
  Label Title{"Title"};
  Image PictureBox{"PictureBox"};

  // The help panel's ten lines, from the title down the panel's reading order.
  std::array<Label*, 10> HelpLines();

  // The pin the window shows.
  Pin& ThisPin() const { return pin_; }

  // A left press moves the window through the system as if its title bar were dragged; a
  // right press opens the menu at the cursor.
  void MoveOrOpenMenu(const MouseArgs& args);
  // --click-through=...: click-through on, off or switched, as Ctrl+T and the way back do.
  void AskClickThrough(ClickThroughRequest request) { clickThrough_.Ask(request); }

 protected:
  void Form_Load() override;
  void OnClosedByUser() override;
  // A window that its new size leaves on no monitor comes back to the default place.
  void AfterResize() override;
  void AfterDpiChange() override;

 private:
  void PointerOverPicture();
  void PointerOverSiteLink();
  void OpenSite();
  void FilesDroppedOn(const FileDrop& drop);
  bool Nudge(Key key, int shift);
  // Ctrl+wheel scales the picture about the pointer, Shift+wheel changes the window's opacity;
  // a plain wheel does nothing.
  void WheelTurned(const WheelEvent& e);
  // Ctrl+T switches click-through; Ctrl+0 brings the picture back to its own size; Ctrl+N,
  // Ctrl+Shift+V and Ctrl+W open and close pins.
  bool ShortcutTyped(char key, int shift);

  Pin& pin_;
  // Ctrl+T and the system-wide way back.
  ClickThroughSwitch clickThrough_{*this};
};

}  // namespace corvane
