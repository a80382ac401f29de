// What a person can tell of the picture window's state: whether a picture shows, the window's
// size, the tooltip, the chosen path and the path box's text. A refused choice leaves all of it
// as it was.
#pragma once

#include <string>

#include "app/application.h"
#include "windows/picture/picture_window.h"

namespace corvane::testing {

struct PictureState {
  bool picture;
  float width, height;
  std::string tip, path, text;
  bool operator==(const PictureState&) const = default;
};

inline PictureState PictureStateOf(Pin& pin) {
  PictureWindow& f = pin.Window();
  return {f.PictureBox.Visible(), f.Width(), f.Height(), f.PictureBox.ToolTipText, pin.PicturePath(), f.PathBox.Text()};
}

}  // namespace corvane::testing
