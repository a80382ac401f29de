// CorvaneForm1, the picture window: the start-up window, showing either the help panel or the
// chosen picture in a borderless, top-most window.
#pragma once

#include <array>

#include "controls/form.h"
#include "windows/picture/click_through.h"

namespace corvane {

class CorvaneForm1 : public Form {
 public:
  CorvaneForm1();

  // The controls, from the top of the drawing order down.
  TextBox Text100{"Text100"};
  Label Label4{"Label4"};
  Label Labelmy2{"Labelmy2"};
  Label Label10{"Label10"};
  Label Label9{"Label9"};
  Label Label8{"Label8"};
  Label Label7{"Label7"};
  Label Label6{"Label6"};
  Label Label5{"Label5"};
  Label Label3{"Label3"};
  Label Label2{"Label2"};
  Label Label1{"Label1"};
  Image Image1{"Image1"};

  // The ten help labels, Label1 to Label10 in numeric order.
  std::array<Label*, 10> HelpLabels();

  void Form_MouseDown(const MouseArgs& args);

 protected:
  void Form_Load() override;
  void OnClosedByUser() override;
  // A window that its new size leaves on no monitor comes back to the default place.
  void AfterResize() override;

 private:
  void Form_DblClick();
  void Image1_DblClick();
  void Image1_MouseMove(const MouseArgs& args);
  void Labelmy2_MouseMove(const MouseArgs& args);
  void Labelmy2_Click();
  // Ctrl+wheel scales the picture about the pointer, Shift+wheel changes the window's opacity;
  // a plain wheel does nothing. Ctrl+0 brings the picture back to its own size.
  void Form_MouseWheel(const WheelEvent& e);
  bool Form_KeyShortcut(char key, int shift);

  // Ctrl+T and the system-wide way back.
  ClickThroughSwitch clickThrough_{*this};
};

// The one picture window, loaded on first reference.
CorvaneForm1& PictureWindow();
bool PictureWindowLoaded();

}  // namespace corvane
