// What a person can tell of the picture window's state: whether a picture shows, the window's
// size, the tooltip, the chosen path and the path box's text. A refused choice leaves all of it
// as it was.
#pragma once

#include <string>

#include "app/app_state.h"
#include "windows/picture/corvane_form1.h"

namespace corvane::testing {

struct PictureState {
  bool picture;
  float width, height;
  std::string tip, path, text;
  bool operator==(const PictureState&) const = default;
};

inline PictureState PictureStateOf(CorvaneForm1& f) {
  return {f.Image1.Visible(), f.Width(), f.Height(), f.Image1.ToolTipText, CurrentPicturePath, f.Text100.Text()};
}

}  // namespace corvane::testing
