// CorvaneAbout: the product line, the maker's notice, the date and the maker's two links,
// lit under the pointer and handed to the shell when clicked.
#pragma once

#include "controls/form.h"

namespace corvane {

class CorvaneAbout : public Form {
 public:
  CorvaneAbout();

  // The controls, from the top of the drawing order down.
  Label Label8{"Label8"};
  Label Label7{"Label7"};
  Label Label3{"Label3"};
  Label Label2{"Label2"};
  Label Label4{"Label4"};
  Label Label6{"Label6"};
  Label Label5{"Label5"};
  Label Label1{"Label1"};

 protected:
  void Form_Load() override;
  // The picture window: the window stays above it.
  const Form* Owner() const override;

 private:
  void Form_MouseMove(const MouseArgs& args);
  void Label2_MouseMove(const MouseArgs& args);
  void Label3_MouseMove(const MouseArgs& args);
  void Label2_Click();
  void Label3_Click();
};

inline constexpr Color kLinkAtRest = 0xE0E0E0;
inline constexpr Color kLinkLit = 0xFFFFFF;

CorvaneAbout& AboutWindow();
bool AboutWindowLoaded();

}  // namespace corvane
