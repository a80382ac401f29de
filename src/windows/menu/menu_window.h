// CorvaneMenu, the popup menu: seven item labels on a white ground in a drawn frame. Behind
// each label lies a command button, off the visible area, whose focus handler is the item's
// action; the label's click calls the same handler.
#pragma once

#include <array>

#include "controls/form.h"

namespace corvane {

class CorvaneMenu : public Form {
 public:
  CorvaneMenu();

  // The controls, from the top of the drawing order down.
  CommandButton Command1{"Command1"};
  CommandButton Command7{"Command7"};
  CommandButton Command6{"Command6"};
  CommandButton Command5{"Command5"};
  CommandButton Command4{"Command4"};
  CommandButton Command3{"Command3"};
  CommandButton Command2{"Command2"};
  CommandButton Command1000{"Command1000"};
  Line Line4{"Line4"};
  Line Line3{"Line3"};
  Line Line2{"Line2"};
  Line Line1{"Line1"};
  Label Label7{"Label7"};
  Label Label6{"Label6"};
  Label Label5{"Label5"};
  Label Label4{"Label4"};
  Label Label3{"Label3"};
  Label Label2{"Label2"};
  Label Label1{"Label1"};

  // Label1 to Label7, in item order.
  std::array<Label*, 7> ItemLabels();

  void Command1_GotFocus();
  void Command2_GotFocus();
  void Command3_GotFocus();
  void Command4_GotFocus();
  void Command5_GotFocus();
  void Command6_GotFocus();
  void Command7_GotFocus();

 protected:
  void Form_Load() override;
  // The picture window: the window stays above it.
  const Form* Owner() const override;

 private:
  void Label5_Click();
};

inline constexpr const char* kShowHelpCaption = "Sho&w help text";
inline constexpr const char* kShowPictureCaption = "Sho&w Picture";
inline constexpr const char* kNoPictureMessage = "You have not selected any picture file, please Select a picture file ";

// Every item back to the menu colour.
void ResetMenuHighlight();

CorvaneMenu& MenuWindow();
bool MenuWindowLoaded();

}  // namespace corvane
