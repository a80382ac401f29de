#include "app/app_state.h"
#include "app/numbers.h"
#include "platform/pictures/picture_header.h"
#include "windows/picture/corvane_form1.h"
#include "windows/picture/display_modes.h"

namespace corvane {

inline constexpr const char* kPictureUsage = "Right-click to open menu, Double-click to exit";

void ApplyPicture() {
  CorvaneForm1& form = PictureWindow();

  std::shared_ptr<Picture> picture = Sys().LoadPicture(CurrentPicturePath);
  // A picture with no area (a metafile with an empty or inverted frame) would leave a window
  // nobody can see or reach, and one beyond the ceiling a window no screen holds: either counts
  // as a picture that cannot be shown.
  const PixelSize size = picture->Size();
  if (const std::string problem = pictures::SizeProblem(size.width, size.height); !problem.empty()) throw Error(problem);
  form.Image1.SetPicture(std::move(picture));

  form.SetWidth(form.Image1.Width());
  form.SetHeight(form.Image1.Height());

  // A window exactly twice as tall as the link label loses the label.
  const float labelHeight = form.Labelmy2.Height();
  const float windowHeight = form.Height();
  if (DoubleOf(labelHeight) == windowHeight) form.Labelmy2.SetVisible(false);

  const float tx = Sys().TwipsPerPixelX();
  const float ty = Sys().TwipsPerPixelY();
  const float width = form.Width();
  const float height = form.Height();
  const char separator = Sys().DecimalSeparator();
  form.Image1.ToolTipText = FormatGeneralNumber(DivideSingle(width, tx), separator) + "X" +
                            FormatGeneralNumber(DivideSingle(height, ty), separator) + "," + CurrentPicturePath +
                            "," + kPictureUsage;
}

}  // namespace corvane
