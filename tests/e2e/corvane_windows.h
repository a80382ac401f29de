// Corvane's own windows as the end-to-end tests find and work them: the picture window, the
// popup menu and its items, the About window, message boxes and the open-file dialog, the
// settings record, and small pictures written for a test. Header-only: each suite includes it.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "e2e.h"

namespace corvane::e2e {

// At 96 DPI: 15 twips to the pixel, to the nearest pixel.
inline constexpr int kTwipsPerPixel = 15;
inline int Px(int twips) { return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel)); }

inline constexpr char kMenuClass[] = "CorvaneMenuWindow";
inline constexpr int kMenuWidth = 138;
inline constexpr int kMenuHeight = 170;
inline constexpr char kAboutTitle[] = "About Corvane";
inline constexpr char kMessageTitle[] = "Corvane";
inline constexpr char kOpenDialogTitle[] = "Select a picture file please";
inline constexpr char kNoPictureMarker[] = "No select any picture";
inline constexpr int kHelpWidth = 464;
inline constexpr int kHelpHeight = 343;

// A parameterised case's name from its description: "the link label" gives "TheLinkLabel".
inline std::string CaseName(const std::string& what) {
  std::string name;
  bool startWord = true;
  for (char c : what) {
    const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!alnum) {
      startWord = true;
      continue;
    }
    name += startWord && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    startWord = false;
  }
  return name;
}

// --- the settings record -------------------------------------------------------------------

struct SettingsRecord {
  std::int32_t left = 0;  // twips
  std::int32_t top = 0;   // twips
  std::string path;       // as stored, in the ANSI code page
  friend bool operator==(const SettingsRecord&, const SettingsRecord&) = default;
  friend std::ostream& operator<<(std::ostream& out, const SettingsRecord& r) {
    return out << "{left " << r.left << ", top " << r.top << ", \"" << r.path << "\"}";
  }
};

inline std::vector<std::uint8_t> EncodeSettings(const SettingsRecord& record) {
  std::vector<std::uint8_t> bytes;
  const auto put = [&](std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  };
  put(static_cast<std::uint32_t>(record.left), 4);
  put(static_cast<std::uint32_t>(record.top), 4);
  put(static_cast<std::uint32_t>(record.path.size()), 2);
  bytes.insert(bytes.end(), record.path.begin(), record.path.end());
  return bytes;
}

// The record at the start of the file (bytes after it are leftovers of a longer one), or nothing
// when the file is too short for the record it announces.
inline std::optional<SettingsRecord> DecodeSettings(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < 10) return std::nullopt;
  const auto get = [&](std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i) value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
    return value;
  };
  SettingsRecord record;
  record.left = static_cast<std::int32_t>(get(0, 4));
  record.top = static_cast<std::int32_t>(get(4, 4));
  const std::size_t length = get(8, 2);
  if (bytes.size() < 10 + length) return std::nullopt;
  record.path.assign(bytes.begin() + 10, bytes.begin() + 10 + static_cast<std::ptrdiff_t>(length));
  return record;
}

inline std::optional<SettingsRecord> ReadSettingsRecord(const App& app) {
  const auto bytes = app.ReadSettings();
  if (!bytes) return std::nullopt;
  return DecodeSettings(*bytes);
}

// --- pictures --------------------------------------------------------------------------------

// A 24-bit bottom-up BMP of four quadrants, top-left, top-right, bottom-left, bottom-right:
// exact colours that a screenshot can find again.
inline void WriteQuadrantBmp(const std::filesystem::path& file, int width, int height, const Rgb (&quadrants)[4]) {
  const int rowSize = (width * 3 + 3) / 4 * 4;
  const std::uint32_t dataSize = static_cast<std::uint32_t>(rowSize * height);
  std::string out;
  const auto put = [&](std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
  };
  out += "BM";
  put(14 + 40 + dataSize, 4);
  put(0, 4);
  put(14 + 40, 4);
  put(40, 4);
  put(static_cast<std::uint32_t>(width), 4);
  put(static_cast<std::uint32_t>(height), 4);
  put(1, 2);
  put(24, 2);
  put(0, 4);  // no compression
  put(dataSize, 4);
  put(3780, 4);  // 96 DPI
  put(3780, 4);
  put(0, 4);
  put(0, 4);
  for (int y = height - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < width; ++x) {
      const Rgb& c = quadrants[(y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1)];
      row += static_cast<char>(c.b);
      row += static_cast<char>(c.g);
      row += static_cast<char>(c.r);
    }
    row.resize(static_cast<std::size_t>(rowSize), '\0');
    out += row;
  }
  std::ofstream stream(file, std::ios::binary | std::ios::trunc);
  stream.write(out.data(), static_cast<std::streamsize>(out.size()));
  if (!stream) throw std::runtime_error("cannot write " + file.string());
}

inline void WriteTextFile(const std::filesystem::path& file, const std::string& text) {
  std::ofstream stream(file, std::ios::binary | std::ios::trunc);
  stream << text;
  if (!stream) throw std::runtime_error("cannot write " + file.string());
}

// A file in the program's folder by the name Windows gives it.
inline std::string WindowsPath(const App& app, const std::string& name) { return app.WindowsFolder() + "\\" + name; }

// --- screenshots ------------------------------------------------------------------------------

// The colour most pixels of an area have: a label's background between its letters.
inline Rgb DominantColour(const Image& shot, const Rect& area) {
  std::map<std::uint32_t, int> counts;
  for (int y = area.y; y < area.Bottom(); ++y) {
    for (int x = area.x; x < area.Right(); ++x) {
      const Rgb c = shot.At({x, y});
      ++counts[static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b)];
    }
  }
  auto best = counts.begin();
  for (auto it = counts.begin(); it != counts.end(); ++it) {
    if (it->second > best->second) best = it;
  }
  return best == counts.end() ? Rgb{} : Rgb::FromHex(best->first);
}

// --- windows ---------------------------------------------------------------------------------
//
// Without a window manager the X keyboard focus follows the pointer: a key pressed while the
// pointer rests on the bare screen reaches no window. Keep the pointer on one of Corvane's
// windows before PressKey or TypeText.

// The first window of the Corvane process(es) of that class that is shown.
inline std::optional<WindowFacts> ShownWindowOfClass(const std::string& className) {
  for (const WindowFacts& w : ProbeWindows()) {
    if (w.className == className && w.visible) return w;
  }
  return std::nullopt;
}

inline testing::AssertionResult WaitForMenu(WindowFacts* found = nullptr, Millis timeout = kDefaultTimeout) {
  return Eventually(
      "the menu to show",
      [&] {
        const auto menu = ShownWindowOfClass(kMenuClass);
        if (menu && found) *found = *menu;
        return menu.has_value();
      },
      timeout);
}

inline testing::AssertionResult WaitForNoMenu(Millis timeout = kDefaultTimeout) {
  return Eventually("the menu to go", [] { return !ShownWindowOfClass(kMenuClass); }, timeout);
}

// Right-clicks at `at` and waits for the menu.
inline testing::AssertionResult OpenMenu(Point at, WindowFacts* menu = nullptr) {
  Click(at, Button::Right);
  return WaitForMenu(menu);
}

// The menu's items from the top; their labels start 30 twips from the left, 375 twips high.
enum class MenuItem { Homepage, GetProfessional, Exit, Show, About, Close, Select };
inline constexpr int kMenuItemTops[] = {35, 395, 755, 1110, 1475, 1835, 2195};

// A point on the item's label, left of its text's middle and clear of the frame.
inline Point MenuItemPoint(const Rect& menu, MenuItem item) {
  const int top = kMenuItemTops[static_cast<int>(item)];
  return {menu.x + Px(30) + 30, menu.y + Px(top + 375 / 2)};
}

inline testing::AssertionResult WaitForPictureWindowAt(const Rect& expected, XTopLevel* found = nullptr,
                                                        Millis timeout = kDefaultTimeout) {
  std::ostringstream what;
  what << "the picture window at " << expected;
  std::optional<XTopLevel> last;
  const testing::AssertionResult result = Eventually(
      what.str(),
      [&]() -> testing::AssertionResult {
        last = FindShownWindow(kHelpTitle);
        if (!last) return testing::AssertionFailure() << "it is not shown";
        if (last->rect != expected) return testing::AssertionFailure() << "it is at " << last->rect;
        return testing::AssertionSuccess();
      },
      timeout);
  if (result && found) *found = *last;
  return result;
}

inline std::optional<DialogFacts> ShownDialog(const std::string& title) {
  for (const DialogFacts& d : ProbeDialogs()) {
    if (d.title == title) return d;
  }
  return std::nullopt;
}

inline testing::AssertionResult WaitForDialog(const std::string& title, DialogFacts* found = nullptr,
                                              Millis timeout = kDefaultTimeout) {
  return Eventually(
      "a dialog titled \"" + title + "\"",
      [&] {
        const auto dialog = ShownDialog(title);
        if (dialog && found) *found = *dialog;
        return dialog.has_value();
      },
      timeout);
}

inline testing::AssertionResult WaitForNoDialog(const std::string& title, Millis timeout = kDefaultTimeout) {
  return Eventually("no dialog titled \"" + title + "\"", [&] { return !ShownDialog(title); }, timeout);
}

// The texts of a message box's static controls (its icon has none).
inline std::vector<std::string> MessageTexts(const DialogFacts& box) {
  std::vector<std::string> texts;
  for (const ControlFacts& c : box.controls) {
    if (c.className == "Static" && c.visible && !c.text.empty()) texts.push_back(c.text);
  }
  return texts;
}

}  // namespace corvane::e2e
