// The popup menu: seven item labels on a white ground in a drawn frame. Behind each label lies
// a command button, off the visible area, whose focus runs the item's choice; a click on the
// label runs the same choice. What the items do to the picture window is asked of MenuActions,
// so the menu knows nothing of the window it was opened from.
#pragma once

#include <array>

#include "controls/form.h"

namespace corvane {

// What the menu's items do, answered by the pin the menu was opened from.
class MenuActions {
 public:
  // The loaded window the menu stays above, or nullptr.
  virtual const Form* MenuOwner() = 0;
  // True while the picture (not the help panel) is shown.
  virtual bool PictureShown() = 0;
  // True when a picture has been chosen.
  virtual bool HasPicture() = 0;
  virtual void ShowHelp() = 0;
  virtual void ShowPicture() = 0;
  // Saves and ends the program.
  virtual void Exit() = 0;
  // The open-file dialog for a picture to show.
  virtual void SelectPicture() = 0;
  // The About window, shown modally.
  virtual void ShowAbout() = 0;

 protected:
  ~MenuActions() = default;
};

// One item: its label, and the command button behind it.
struct MenuItem {
  explicit MenuItem(const std::string& name) : label(name + "Label"), button(name + "Button") {}
  Label label;
  CommandButton button;
};

class MenuWindow : public Form {
 public:
  // The menu opens with its bottom-right corner at `anchor` (screen pixels), or its top-left
  // corner where it would otherwise start off the screen.
  MenuWindow(ControlRuntime& runtime, MenuActions& actions, CursorPoint anchor);

  // The items, from the top of the menu down.
  MenuItem HomepageItem{"Homepage"};
  MenuItem ProfessionalItem{"Professional"};
  MenuItem ExitItem{"Exit"};
  MenuItem ShowItem{"Show"};
  MenuItem AboutItem{"About"};
  MenuItem CloseItem{"Close"};
  MenuItem SelectItem{"Select"};
  // Takes the focus when the menu opens (it comes first in the tab order), so that no item
  // runs; it lies outside the visible area.
  CommandButton RestingButton{"RestingButton"};
  // The drawn frame.
  Line RightEdge{"RightEdge"};
  Line BottomEdge{"BottomEdge"};
  Line TopEdge{"TopEdge"};
  Line LeftEdge{"LeftEdge"};

  // The items in menu order.
  std::array<MenuItem*, 7> Items();
  std::array<Label*, 7> ItemLabels();

  // Every item back to the menu colour.
  void ResetMenuHighlight();

  void ChooseHomepage();
  void ChooseProfessional();
  void ChooseExit();
  void ChooseShow();
  // The About item's button closes the menu; its label also shows the About window.
  void ChooseAbout();
  void ChooseClose();
  void ChooseSelect();

 protected:
  void Form_Load() override;
  const Form* Owner() const override { return actions_.MenuOwner(); }

 private:
  void ChooseAboutAndShowIt();

  MenuActions& actions_;
  CursorPoint anchor_;
};

inline constexpr const char* kShowHelpCaption = "Sho&w help text";
inline constexpr const char* kShowPictureCaption = "Sho&w Picture";
inline constexpr const char* kNoPictureMessage =
    "You have not selected any picture file, please Select a picture file ";

}  // namespace corvane
