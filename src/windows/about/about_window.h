// The About window: the product line, the maker's notice, the date and the maker's two links,
// lit under the pointer and handed to the shell when clicked.
#pragma once

#include <functional>

#include "controls/form.h"

namespace corvane {

class AboutWindow : public Form {
 public:
  // `owner` answers the loaded window the About window stays above, or nullptr.
  AboutWindow(ControlRuntime& runtime, std::function<const Form*()> owner);

  // The controls, from the top of the drawing order down.
  Label FooterDate{"FooterDate"};
  Label NoticeDate{"NoticeDate"};
  Label HomepageLink{"HomepageLink"};
  Label EmailLink{"EmailLink"};
  Label HomepageCaption{"HomepageCaption"};
  Label EmailCaption{"EmailCaption"};
  Label OwnershipNotice{"OwnershipNotice"};
  Label ProductLine{"ProductLine"};

 protected:
  void Form_Load() override;
  const Form* Owner() const override { return owner_(); }

 private:
  // The pointer lights the link under it and puts the other back.
  void LightLinks(const Label* lit);
  void WriteToTheMaker();
  void OpenHomepage();

  std::function<const Form*()> owner_;
};

inline constexpr Color kLinkAtRest = 0xE0E0E0;
inline constexpr Color kLinkLit = 0xFFFFFF;

}  // namespace corvane
