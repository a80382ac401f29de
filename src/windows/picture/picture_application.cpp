#include <algorithm>

#include "controls/numbers.h"
#include "pictures/picture_header.h"
#include "pictures/picture_scale.h"
#include "windows/picture/display_modes.h"
#include "windows/picture/picture_window.h"

namespace corvane {

inline constexpr const char* kPictureUsage =
    "Right-click to open menu, Double-click to exit, Ctrl+wheel to scale (Ctrl+0: 100%), Shift+wheel for opacity, "
    "Ctrl+T to click through (Ctrl+Alt+T: back), drop a file or Ctrl+V to show another, "
    "Ctrl+N or Ctrl+drop or Ctrl+Shift+V for one more picture, Ctrl+W to close it, arrows to nudge";

namespace {

// The picture's tooltip: the window's size in pixels (with the scale when it is not 100 %),
// the path and the usage line.
void WritePictureTooltip(Pin& pin) {
  PictureWindow& form = pin.Window();
  const Platform& system = pin.System();
  const float tx = form.TwipsPerPixelX();
  const float ty = form.TwipsPerPixelY();
  const float width = form.Width();
  const float height = form.Height();
  const char separator = system.DecimalSeparator();
  std::string size = FormatGeneralNumber(DivideSingle(width, tx), separator) + "X" +
                     FormatGeneralNumber(DivideSingle(height, ty), separator);
  if (const std::int32_t scale = form.PictureBox.Scale(); scale != pictures::kScaleOne)
    size += " (" + FormatGeneralNumber(static_cast<float>(pictures::ScalePercent(scale)), separator) + "%)";
  form.PictureBox.ToolTipText = size + "," + pin.PicturePath() + "," + kPictureUsage;
}

}  // namespace

void ApplyPicture(Pin& pin) {
  PictureWindow& form = pin.Window();

  std::shared_ptr<Picture> picture = pin.System().LoadPicture(pin.PicturePath());
  // A picture with no area (a metafile with an empty or inverted frame) would leave a window
  // nobody can see or reach, and one beyond the ceiling a window no screen holds: either counts
  // as a picture that cannot be shown.
  const PixelSize size = picture->Size();
  if (const std::string problem = pictures::SizeProblem(size.width, size.height); !problem.empty())
    throw Error(problem);
  form.PictureBox.SetPicture(std::move(picture));

  form.SetWidth(form.PictureBox.Width());
  form.SetHeight(form.PictureBox.Height());

  // A window exactly twice as tall as the link label loses the label.
  const float labelHeight = form.SiteLink.Height();
  const float windowHeight = form.Height();
  if (DoubleOf(labelHeight) == windowHeight) form.SiteLink.SetVisible(false);

  WritePictureTooltip(pin);
}

void ScalePicture(Pin& pin, std::int32_t scale, std::optional<PixelPoint> pointer) {
  PictureWindow& form = pin.Window();
  ScaleAnchor& lastAnchor = pin.LastScaleAnchor();
  const Picture* picture = form.PictureBox.GetPicture().get();
  if (!form.PictureBox.Visible() || !picture) return;
  const PixelSize natural = picture->Size();
  const PixelRect before = form.ScreenBounds();
  form.PictureBox.SetScale(std::min(scale, pictures::LargestScale(natural)));
  const PixelSize size = form.PictureBox.ShownSize();
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
  WritePictureTooltip(pin);
}

}  // namespace corvane
