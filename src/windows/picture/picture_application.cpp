#include <algorithm>

#include "app/app_state.h"
#include "app/numbers.h"
#include "pictures/picture_header.h"
#include "pictures/picture_scale.h"
#include "windows/picture/corvane_form1.h"
#include "windows/picture/display_modes.h"

namespace corvane {

inline constexpr const char* kPictureUsage =
    "Right-click to open menu, Double-click to exit, Ctrl+wheel to scale (Ctrl+0: 100%), Shift+wheel for opacity, "
    "Ctrl+T to click through (Ctrl+Alt+T: back), drop a file or Ctrl+V to show another";

// Image1's tooltip: the window's size in pixels (with the scale when it is not 100 %), the
// path and the usage line.
void WritePictureTooltip() {
  CorvaneForm1& form = PictureWindow();
  const float tx = Sys().TwipsPerPixelX();
  const float ty = Sys().TwipsPerPixelY();
  const float width = form.Width();
  const float height = form.Height();
  const char separator = Sys().DecimalSeparator();
  std::string size = FormatGeneralNumber(DivideSingle(width, tx), separator) + "X" +
                     FormatGeneralNumber(DivideSingle(height, ty), separator);
  if (const std::int32_t scale = form.Image1.Scale(); scale != pictures::kScaleOne)
    size += " (" + FormatGeneralNumber(static_cast<float>(pictures::ScalePercent(scale)), separator) + "%)";
  form.Image1.ToolTipText = size + "," + CurrentPicturePath + "," + kPictureUsage;
}

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

  WritePictureTooltip();
}

namespace {

// The picture point the last scaling kept under the pointer, while neither the pointer nor the
// window has moved since: the next step keeps that exact point rather than the one the rounded
// window shows, so that many steps do not add up their roundings.
struct ScaleAnchor {
  const Picture* picture = nullptr;
  PixelPoint pointer;
  PixelRect placed;
  pictures::PicturePoint point;
};
ScaleAnchor lastAnchor;

}  // namespace

void ScalePicture(std::int32_t scale, std::optional<PixelPoint> pointer) {
  CorvaneForm1& form = PictureWindow();
  const Picture* picture = form.Image1.GetPicture().get();
  if (!form.Image1.Visible() || !picture) return;
  const PixelSize natural = picture->Size();
  const PixelRect before = form.ScreenBounds();
  form.Image1.SetScale(std::min(scale, pictures::LargestScale(natural)));
  const PixelSize size = form.Image1.ShownSize();
  PixelRect place{before.left, before.top, before.left + size.width, before.top + size.height};
  if (pointer && before.Contains(*pointer)) {
    const bool same = lastAnchor.picture == picture && lastAnchor.pointer == *pointer && lastAnchor.placed == before;
    const pictures::PicturePoint point = same ? lastAnchor.point : pictures::PointUnder(before, natural, *pointer);
    place = pictures::PlaceShowing(point, natural, size, *pointer);
    lastAnchor = {picture, *pointer, place, point};
  }
  form.SetScreenBounds(place);
  // What the window really got (a system may refuse a place): the next step starts afresh then.
  if (lastAnchor.placed != place || form.ScreenBounds() != place) lastAnchor = {};
  WritePictureTooltip();
}

}  // namespace corvane
