// The popup menu: seven item labels on a white ground in a drawn frame. Behind each label lies
// a command button with the same caption and access key, off the visible area; nothing runs
// when one takes the focus. An item runs by a click on its label, by its access key, or by
// Enter or Space while it is highlighted; the arrow keys and Tab move the highlight, Escape or
// a press outside the menu closes it. What the items do to the picture window is asked of
// MenuActions, so the menu knows nothing of the window it was opened from.
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

// How the menu was opened: by the mouse no item is highlighted until the pointer or a key
// moves there; from the keyboard the first one is.
enum class MenuOpening { Mouse, Keyboard };

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
  // Takes the focus when the menu opens (it comes first in the tab order); it lies outside the
  // visible area.
  CommandButton RestingButton{"RestingButton"};
  // The drawn frame.
  Line RightEdge{"RightEdge"};
  Line BottomEdge{"BottomEdge"};
  Line TopEdge{"TopEdge"};
  Line LeftEdge{"LeftEdge"};

  // The items in menu order.
  std::array<MenuItem*, 7> Items();
  std::array<Label*, 7> ItemLabels();

  // Shows the menu modally; returns once it is hidden or closed.
  void Open(MenuOpening how);

  // Every item back to the menu colour.
  void ResetMenuHighlight();
  // The highlighted item (white), in menu order, or -1 for none.
  int Highlighted() const { return highlighted_; }

  void ChooseHomepage();
  void ChooseProfessional();
  void ChooseExit();
  void ChooseShow();
  // Closes the menu, then shows the About window.
  void ChooseAbout();
  void ChooseClose();
  void ChooseSelect();

 protected:
  void Form_Load() override;
  const Form* Owner() const override { return actions_.MenuOwner(); }

 private:
  void Highlight(int item);
  bool KeyPressed(const KeyEvent& e);

  MenuActions& actions_;
  CursorPoint anchor_;
  int highlighted_ = -1;
};

inline constexpr const char* kShowHelpCaption = "Sho&w help text";
inline constexpr const char* kShowPictureCaption = "Sho&w Picture";
inline constexpr const char* kNoPictureMessage =
    "You have not selected any picture file, please Select a picture file ";

}  // namespace corvane
