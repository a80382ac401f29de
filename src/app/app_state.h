// Application-wide state: one of each for the whole run, read and written by the handlers.
#pragma once

#include <cstdint>
#include <string>

#include "pictures/picture_scale.h"
#include "platform/platform.h"

namespace corvane {

// The program's name as its message boxes show it.
inline constexpr const char* kAppTitle = "Corvane";

// Stands for "no picture chosen" wherever a path is held or stored; compared exactly.
inline constexpr const char* NoPictureMarker = "No select any picture";

struct SettingsRecordData {
  std::int32_t WindowLeft = 0;  // twips
  std::int32_t WindowTop = 0;   // twips
  std::string PicturePath;      // a full path, or NoPictureMarker
  friend bool operator==(const SettingsRecordData&, const SettingsRecordData&) = default;
};

inline SettingsRecordData DefaultSettings() { return {350, 100, NoPictureMarker}; }

// How the picture window shows its picture: the picture's scale and the window's opacity.
// Kept in the settings file's extension block; the defaults when there is none.
struct PictureLook {
  std::int32_t scale = pictures::kScaleOne;  // millionths of the picture's own size
  int opacity = 100;                         // percent, 10 to 100
  friend bool operator==(const PictureLook&, const PictureLook&) = default;
};
inline constexpr int kOpacityMin = 10;
inline constexpr int kOpacityMax = 100;
inline constexpr int kOpacityStep = 5;

// The values read at start-up and written at exit.
extern SettingsRecordData SettingsRecord;
// The picture path in force, or NoPictureMarker.
extern std::string CurrentPicturePath;
// Where the right press that opens the menu happened, in screen pixels.
extern CursorPoint MenuAnchor;

}  // namespace corvane
