// Corvane as the end-to-end suites set it up and look at it: its measures and colours, the
// settings record, the files put beside Corvane.exe before a start (the build's fixtures,
// pictures made with ImageMagick, and bitmaps, cursors and metafiles written byte by byte, since
// no tool here makes them), its icon, screenshots checked spot by spot, and its windows: the
// picture window, the popup menu and its items, message boxes and the open-file dialog.
// Header-only: each suite includes it.
#pragma once

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/picture_bytes.h"
#include "e2e.h"

namespace corvane::e2e {

// --- measures and names ------------------------------------------------------------------------

// At 96 DPI: 15 twips to the pixel, to the nearest pixel.
inline constexpr int kTwipsPerPixel = 15;
inline int Px(int twips) { return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel)); }

// The help panel's size, and where the window goes without a usable saved place: 350, 100
// twips to the nearest pixel.
inline constexpr int kHelpWidth = 464;
inline constexpr int kHelpHeight = 343;
inline constexpr Point kDefaultPlace{23, 7};

inline constexpr char kMenuClass[] = "CorvaneMenuWindow";
inline constexpr int kMenuWidth = 138;
inline constexpr int kMenuHeight = 170;
inline constexpr char kAboutTitle[] = "About Corvane";
inline constexpr char kMessageTitle[] = "Corvane";
inline constexpr char kOpenDialogTitle[] = "Select a picture file please";

// The path the settings file holds while no picture is chosen.
inline constexpr char kNoPictureMarker[] = "No select any picture";

// --- colours -----------------------------------------------------------------------------------

// How far a screenshot's colour may be from the one painted.
inline constexpr int kTolerance = 4;

// The picture tooltip's usage line, after the size and the path.
inline constexpr char kPictureUsage[] =
    "Right-click to open menu, Double-click to exit, Ctrl+wheel to scale (Ctrl+0: 100%), Shift+wheel for opacity, "
    "Ctrl+T to click through (Ctrl+Alt+T: back), drop a file or Ctrl+V to show another, "
    "Ctrl+N or Ctrl+drop or Ctrl+Shift+V for one more picture, Ctrl+W to close it, arrows to nudge";

inline constexpr Rgb kGroundGreen = Rgb::FromHex(0x00C000);  // the help panel's ground, a picture's clear parts
inline constexpr Rgb kBlue = Rgb::FromHex(0x0000FF);         // the help panel's blue labels, the About links
inline constexpr Rgb kWhite = Rgb::FromHex(0xFFFFFF);
inline constexpr Rgb kLinkLabelBlue = Rgb::FromHex(0x0000C0);  // the text of the link label over a picture
inline constexpr Rgb kRed = Rgb::FromHex(0xFF0000);
inline constexpr Rgb kOrange = Rgb::FromHex(0xFF8000);  // the metafiles' rectangle, the fixtures' orange

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

// --- the settings record -----------------------------------------------------------------------

// Left and top in twips (little-endian int32), the path's length (uint16) and the path's bytes
// in the ANSI code page.
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

// The extension block after `record`: "CVX1", the fields' length, scale (millionths),
// opacity (percent), and the CRC-32 of everything before the checksum.
inline std::vector<std::uint8_t> WithLook(std::vector<std::uint8_t> record, std::uint32_t scale,
                                          std::uint32_t opacity) {
  test_files::LittleEndian block;
  block.Append("CVX1").U16(6).U32(scale).U16(opacity);
  record.insert(record.end(), block.Bytes().begin(), block.Bytes().end());
  const uLong crc = crc32(crc32(0, nullptr, 0), record.data(), static_cast<uInt>(record.size()));
  const std::string sum = test_files::LittleEndian().U32(static_cast<std::uint32_t>(crc)).Bytes();
  record.insert(record.end(), sum.begin(), sum.end());
  return record;
}

inline std::optional<SettingsRecord> ReadSettingsRecord(const App& app) {
  const auto bytes = app.ReadSettings();
  if (!bytes) return std::nullopt;
  return DecodeSettings(*bytes);
}

// UTF-8 text in Windows-1252, for text of ASCII and Latin-1 letters (all the tests use).
inline std::string Cp1252(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
      out += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    } else {
      throw std::invalid_argument("no Latin-1 letter in \"" + utf8 + "\"");
    }
  }
  return out;
}

// Moves the pointer to the screen's bottom-right pixel, away from the windows the tests place,
// so that no mouse move reaches them unasked.
inline void ParkPointer() {
  const Rect screen = ScreenRect();
  MoveTo({screen.Right() - 1, screen.Bottom() - 1});
}

// Writes the settings file, parks the pointer and starts Corvane; success once its picture
// window shows.
inline testing::AssertionResult StartWithSettings(App& app, const std::vector<std::uint8_t>& settings) {
  app.WriteSettings(settings);
  ParkPointer();
  app.Start();
  return app.WaitForWindow(kHelpTitle, nullptr);
}

// --- files beside the program ------------------------------------------------------------------

// A file in the program's folder by the name Windows gives it (UTF-8).
inline std::string WindowsPath(const App& app, const std::string& name) { return app.ProgramPath(name); }

// Writes a file of these bytes into the program's folder and returns the program's path for it.
inline std::string AddFile(const App& app, const std::string& name, const std::string& bytes) {
  std::ofstream out(app.Folder() / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + (app.Folder() / name).string());
  return WindowsPath(app, name);
}

// Copies one of the pictures the build makes (tests/fixtures) into the program's folder, under
// its own name or `name`, and returns the program's path for it.
inline std::string AddFixture(const App& app, const std::string& fixture, std::string name = {}) {
  if (name.empty()) name = fixture;
  std::filesystem::copy_file(std::filesystem::path(CORVANE_FIXTURES_DIR) / fixture, app.Folder() / name);
  return WindowsPath(app, name);
}

// Makes a picture with ImageMagick: `convert args... <folder>/<target>`, where target may carry
// a format prefix ("bmp3:big.bmp") that is not part of the file's name.
inline std::string AddConvertedPicture(const App& app, const std::vector<std::string>& args,
                                       const std::string& target) {
  const size_t colon = target.find(':');
  const std::string name = colon == std::string::npos ? target : target.substr(colon + 1);
  const std::string prefix = colon == std::string::npos ? "" : target.substr(0, colon + 1);
  std::vector<std::string> argv{"convert"};
  argv.insert(argv.end(), args.begin(), args.end());
  argv.push_back(prefix + (app.Folder() / name).string());
  const CommandResult made = RunCommand(argv, 60s);
  if (!made.Succeeded()) throw std::runtime_error("convert could not make " + name + ": " + made.err);
  return WindowsPath(app, name);
}

// Little-endian bytes, and the cursor file the Windows tests load too.
using test_files::LittleEndian;
using test_files::MakeCursor;

// A 24-bit bottom-up BMP of four quadrants, top-left, top-right, bottom-left, bottom-right:
// exact colours that a screenshot can find again.
inline std::string MakeQuadrantBmp(int width, int height, const Rgb (&quadrants)[4]) {
  const int rowSize = (width * 3 + 3) / 4 * 4;
  const auto dataSize = static_cast<std::uint32_t>(rowSize * height);
  LittleEndian out;
  out.Append("BM").U32(14 + 40 + dataSize).U32(0).U32(14 + 40);            // the file's size, the pixels' start
  out.U32(40).I32(width).I32(height).U16(1).U16(24).U32(0).U32(dataSize);  // 24 bits, no compression
  out.U32(3780).U32(3780).U32(0).U32(0);                                   // 96 DPI, no palette
  for (int y = height - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < width; ++x) {
      const Rgb& c = quadrants[(y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1)];
      row += static_cast<char>(c.b);
      row += static_cast<char>(c.g);
      row += static_cast<char>(c.r);
    }
    row.resize(static_cast<std::size_t>(rowSize), '\0');
    out.Append(row);
  }
  return out.Bytes();
}

// The quadrant picture the suites choose and save: pic.bmp, 200 by 150 pixels.
inline constexpr int kQuadrantPictureWidth = 200;
inline constexpr int kQuadrantPictureHeight = 150;
inline constexpr Rgb kQuadrantColours[4] = {Rgb::FromHex(0xC02020), Rgb::FromHex(0x2040C0), Rgb::FromHex(0xE0C020),
                                            Rgb::FromHex(0x208040)};

inline std::string AddQuadrantPicture(const App& app) {
  return AddFile(app, "pic.bmp", MakeQuadrantBmp(kQuadrantPictureWidth, kQuadrantPictureHeight, kQuadrantColours));
}

// A placeable metafile framed 0,0 .. right,bottom at unitsPerInch: an orange rectangle (black
// outline) over the middle half of the frame each way, nothing drawn elsewhere.
inline std::string MakePlaceableWmf(int unitsPerInch, int right, int bottom) {
  LittleEndian records;
  const auto record = [&](std::uint16_t function, const std::vector<int>& params) {
    records.U32(static_cast<std::uint32_t>(3 + params.size())).U16(function);  // size in words
    for (int p : params) records.U16(static_cast<std::uint16_t>(p));
  };
  record(0x020B, {0, 0});                                                  // SetWindowOrg(y, x)
  record(0x020C, {bottom, right});                                         // SetWindowExt(y, x)
  record(0x02FC, {0, 0x80FF, 0x0000, 0});                                  // a solid RGB(255,128,0) brush
  record(0x012D, {0});                                                     // SelectObject(brush)
  record(0x041B, {bottom * 3 / 4, right * 3 / 4, bottom / 4, right / 4});  // Rectangle
  record(0x0000, {});                                                      // the end

  const auto word = [](int value) { return static_cast<std::uint16_t>(value); };
  const std::uint16_t placeable[10] = {0xCDD7, 0x9AC6, 0, 0, 0, word(right), word(bottom), word(unitsPerInch), 0, 0};
  LittleEndian out;
  std::uint16_t checksum = 0;
  for (std::uint16_t w : placeable) out.U16(w), checksum ^= w;
  out.U16(checksum);
  // The metafile's header: in memory, 9 words long, version 3, its size in words, one object,
  // the largest record's size (7 words), no parameters.
  out.U16(1).U16(9).U16(0x0300).U32(static_cast<std::uint32_t>(9 + records.Bytes().size() / 2));
  out.U16(1).U32(7).U16(0);
  return out.Append(records.Bytes()).Bytes();
}

// An enhanced metafile whose frame is frameWidth by frameHeight hundredths of a millimetre,
// recorded on a 96 DPI screen: an orange rectangle (black outline) over the middle half of the
// frame each way, nothing drawn elsewhere.
inline std::string MakeEmf(int frameWidth, int frameHeight) {
  const int width = frameWidth * 96 / 2540;  // the frame in the recording screen's pixels
  const int height = frameHeight * 96 / 2540;
  LittleEndian records;
  records.U32(39).U32(24).U32(1).U32(0).U32(0x0080FF).U32(0);  // brush #1: solid RGB(255,128,0)
  records.U32(37).U32(12).U32(1);                              // SelectObject(#1)
  records.U32(43).U32(24);                                     // Rectangle
  records.I32(width / 4).I32(height / 4).I32(width * 3 / 4).I32(height * 3 / 4);
  records.U32(14).U32(20).U32(0).U32(16).U32(20);  // the end, no palette

  constexpr std::uint32_t kHeaderSize = 108;
  LittleEndian out;
  out.U32(1).U32(kHeaderSize);                                                // the header record:
  out.I32(0).I32(0).I32(width - 1).I32(height - 1);                           //   bounds in pixels
  out.I32(0).I32(0).I32(frameWidth).I32(frameHeight);                         //   frame in 0.01 mm
  out.U32(0x464D4520).U32(0x10000);                                           //   " EMF", version
  out.U32(static_cast<std::uint32_t>(kHeaderSize + records.Bytes().size()));  //   bytes,
  out.U32(5).U16(2).U16(0);                                                   //   records, handles
  out.U32(0).U32(0).U32(0);                                                   //   no description, palette
  out.U32(1280).U32(1024).U32(339).U32(271);                                  //   a 96 DPI screen
  out.U32(0).U32(0).U32(0);                                                   //   no pixel format, OpenGL
  out.U32(338667).U32(270933);                                                //   the screen in micrometres
  return out.Append(records.Bytes()).Bytes();
}

// --- the program's icon ------------------------------------------------------------------------

// The icon the program carries, in the source tree.
inline constexpr char kIconFile[] = CORVANE_ICON_FILE;

// The first image of a .ico file, which must use a palette (1, 4 or 8 bits per pixel), as
// _NET_WM_ICON holds it: rows from the top, 0xAARRGGBB, opaque where the mask is 0, alpha 0
// (the palette colour kept) where it makes the icon transparent.
inline XIcon ReadIconFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto u16 = [&](std::size_t at) { return static_cast<std::uint32_t>(d.at(at) | d.at(at + 1) << 8); };
  const auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
  if (d.size() < 22 || u16(0) != 0 || u16(2) != 1 || u16(4) < 1) {
    throw std::runtime_error(file.string() + " is no icon file");
  }
  const std::size_t image = u32(18);
  const int width = static_cast<int>(u32(image + 4));
  const int height = static_cast<int>(u32(image + 8)) / 2;  // colour and mask
  const int bits = static_cast<int>(u16(image + 14));
  if (bits != 1 && bits != 4 && bits != 8) {
    throw std::runtime_error(file.string() + ": only palette icons are read here");
  }
  const std::size_t colours = u32(image + 32) ? u32(image + 32) : (1u << bits);
  const std::size_t palette = image + u32(image);
  const std::size_t pixels = palette + 4 * colours;
  const std::size_t stride = static_cast<std::size_t>((width * bits + 31) / 32 * 4);
  const std::size_t mask = pixels + stride * static_cast<std::size_t>(height);
  const std::size_t maskStride = static_cast<std::size_t>((width + 31) / 32 * 4);
  XIcon icon{width, height, {}};
  for (int y = 0; y < height; ++y) {
    const std::size_t row = static_cast<std::size_t>(height - 1 - y);  // stored bottom-up
    for (int x = 0; x < width; ++x) {
      const std::size_t bit = static_cast<std::size_t>(x * bits);
      const int index = (d.at(pixels + row * stride + bit / 8) >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
      const std::size_t entry = palette + 4 * static_cast<std::size_t>(index);  // blue, green, red, 0
      const bool transparent = (d.at(mask + row * maskStride + static_cast<std::size_t>(x) / 8) >> (7 - x % 8)) & 1;
      icon.argb.push_back((transparent ? 0u : 0xFF000000u) | static_cast<std::uint32_t>(d.at(entry + 2)) << 16 |
                          static_cast<std::uint32_t>(d.at(entry + 1)) << 8 | d.at(entry));
    }
  }
  return icon;
}

// --- screenshots -------------------------------------------------------------------------------

// Waits until check holds for a screenshot of `area` (Wine paints after the window appears),
// then saves the last screenshot under build/e2e-screenshots/ with `label`.
inline testing::AssertionResult WaitForScreen(const Rect& area, const std::string& what,
                                              const std::function<testing::AssertionResult(const Image&)>& check,
                                              const std::string& label = {}, Millis timeout = 10s) {
  Image shot;
  testing::AssertionResult result = Eventually(
      what,
      [&] {
        shot = Capture(area);
        return check(shot);
      },
      timeout);
  const auto file = SaveScreenshot(shot, label);
  if (!result) result << "\n  screenshot: " << file.string();
  return result;
}

// A screen point and the colour expected there.
struct PixelSpot {
  std::string what;
  Point at;
  Rgb colour;
  int tolerance = kTolerance;
};

// Every spot has its colour; the failure lists those that do not.
inline testing::AssertionResult SpotsHold(const Image& shot, const std::vector<PixelSpot>& spots) {
  testing::AssertionResult result = testing::AssertionSuccess();
  bool ok = true;
  for (const PixelSpot& spot : spots) {
    const Rgb seen = shot.At(spot.at);
    if (Near(seen, spot.colour, spot.tolerance)) continue;
    if (ok) result = testing::AssertionFailure();
    ok = false;
    result << "\n  " << spot.what << " at " << spot.at << ": " << seen << ", expected " << spot.colour;
  }
  return result;
}

// The box of the control around `inside`: from there out to the green ground each way.
inline Rect BoxOnTheGround(const Image& shot, Point inside) {
  const auto ground = [&](int x, int y) {
    return !shot.Area().Contains({x, y}) || Near(shot.At({x, y}), kGroundGreen, 4);
  };
  int left = inside.x;
  while (!ground(left - 1, inside.y)) --left;
  int right = inside.x;
  while (!ground(right + 1, inside.y)) ++right;
  int top = inside.y;
  while (!ground(inside.x, top - 1)) --top;
  int bottom = inside.y;
  while (!ground(inside.x, bottom + 1)) ++bottom;
  return Rect::FromEdges(left, top, right + 1, bottom + 1);
}

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

// --- windows -----------------------------------------------------------------------------------
//
// Without a window manager the X keyboard focus follows the pointer: a key pressed while the
// pointer rests on the bare screen reaches no window. Keep the pointer on one of Corvane's
// windows before PressKey or TypeText.

// The shown picture window of this Corvane now, if there is one.
inline std::optional<XTopLevel> ShownPictureWindow(const App& app) {
  for (const XTopLevel& window : TopLevelWindows()) {
    if (window.mapped && window.name == kHelpTitle && window.pid == app.Pid()) return window;
  }
  return std::nullopt;
}

// The picture windows of this Corvane now shown, one for each pin (all are named alike).
inline std::vector<XTopLevel> ShownPins(const App& app) {
  std::vector<XTopLevel> pins;
  for (const XTopLevel& window : TopLevelWindows()) {
    if (window.mapped && window.name == kHelpTitle && window.pid == app.Pid()) pins.push_back(window);
  }
  return pins;
}

// Every shown picture window of this Corvane (each picture it holds has one), from the top of
// the screen down and then from the left.
inline std::vector<XTopLevel> ShownPictureWindows(const App& app) {
  std::vector<XTopLevel> windows = ShownPins(app);
  std::sort(windows.begin(), windows.end(), [](const XTopLevel& a, const XTopLevel& b) {
    return a.rect.y != b.rect.y ? a.rect.y < b.rect.y : a.rect.x < b.rect.x;
  });
  return windows;
}

// Waits until this Corvane shows exactly these picture windows (in any order), each with that
// place and size, and no other.
inline testing::AssertionResult WaitForPictureWindowsAt(const App& app, std::vector<Rect> expected,
                                                        Millis timeout = kDefaultTimeout) {
  const auto byPlace = [](const Rect& a, const Rect& b) {
    return a.y != b.y           ? a.y < b.y
           : a.x != b.x         ? a.x < b.x
           : a.width != b.width ? a.width < b.width
                                : a.height < b.height;
  };
  std::sort(expected.begin(), expected.end(), byPlace);
  std::ostringstream what;
  what << expected.size() << " picture windows at";
  for (const Rect& r : expected) what << " " << r;
  return Eventually(
      what.str(),
      [&]() -> testing::AssertionResult {
        std::vector<Rect> seen;
        for (const XTopLevel& window : ShownPictureWindows(app)) seen.push_back(window.rect);
        std::sort(seen.begin(), seen.end(), byPlace);
        if (seen == expected) return testing::AssertionSuccess();
        testing::AssertionResult failure = testing::AssertionFailure();
        failure << "shown:";
        for (const Rect& r : seen) failure << " " << r;
        return failure;
      },
      timeout);
}

// Waits until the picture window of this Corvane has exactly this place and size.
inline testing::AssertionResult WaitForPictureWindowAt(const App& app, const Rect& expected, XTopLevel* found = nullptr,
                                                       Millis timeout = kDefaultTimeout) {
  std::ostringstream what;
  what << "the picture window at " << expected;
  std::optional<XTopLevel> last;
  // Under a window manager a window can pass through the place on its way: it counts once it
  // stays there.
  SettledPlace place;
  const testing::AssertionResult result = Eventually(
      what.str(),
      [&]() -> testing::AssertionResult {
        last = ShownPictureWindow(app);
        if (!last) {
          place.Forget();
          return testing::AssertionFailure() << "it is not shown";
        }
        if (!place.Holds(last->rect) || last->rect != expected) {
          return testing::AssertionFailure() << "it is at " << last->rect;
        }
        return testing::AssertionSuccess();
      },
      timeout);
  if (result && found) *found = *last;
  return result;
}

// Whether Windows lets the picture window take input now.
inline bool PictureWindowEnabled() {
  const auto facts = ProbeWindow(kHelpTitle);
  return facts && facts->enabled;
}

inline testing::AssertionResult WaitForPictureWindowEnabled(Millis timeout = kDefaultTimeout) {
  return Eventually(
      "the picture window enabled", [] { return PictureWindowEnabled(); }, timeout);
}

// Waits for a tooltip of the Corvane process(es); on success *text is the first one's text.
inline testing::AssertionResult WaitForTooltip(std::string* text, Millis timeout = kDefaultTimeout) {
  return Eventually(
      "a tooltip",
      [&] {
        const auto tips = ProbeTooltips();
        if (tips.empty()) return false;
        *text = tips.front().text;
        return true;
      },
      timeout);
}

// The first window of the Corvane process(es) of that class that is shown.
inline std::optional<WindowFacts> ShownWindowOfClass(const std::string& className) {
  for (const WindowFacts& w : ProbeWindows()) {
    if (w.className == className && w.visible) return w;
  }
  return std::nullopt;
}

// Under a window manager the keyboard reaches the menu once the window manager has given it
// the focus, a moment after it shows: the wait lasts until then.
inline testing::AssertionResult WaitForMenu(WindowFacts* found = nullptr, Millis timeout = kDefaultTimeout) {
  return Eventually(
      "the menu to show",
      [&] {
        const auto menu = ShownMenu();
        if (menu && found) *found = *menu;
        if (!menu || !UnderWindowManager()) return menu.has_value();
        // The menu is the program's one window without a title.
        for (const XTopLevel& w : TopLevelWindows()) {
          if (w.mapped && w.name.empty() && w.pid != 0 && HasInputFocus(w)) return true;
        }
        return false;
      },
      timeout);
}

inline testing::AssertionResult WaitForNoMenu(Millis timeout = kDefaultTimeout) {
  return Eventually(
      "the menu to go", [] { return !ShownMenu(); }, timeout);
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
  return Eventually(
      "no dialog titled \"" + title + "\"", [&] { return !ShownDialog(title); }, timeout);
}

// The texts of a message box's static controls (its icon has none).
inline std::vector<std::string> MessageTexts(const DialogFacts& box) {
  std::vector<std::string> texts;
  for (const ControlFacts& c : box.controls) {
    if (c.className == "Static" && c.visible && !c.text.empty()) texts.push_back(c.text);
  }
  return texts;
}

// Waits for a message box with one line of text; on success *box is the box and *text its line.
inline testing::AssertionResult WaitForOneLineMessage(DialogFacts* box, std::string* text) {
  if (testing::AssertionResult shown = WaitForDialog(kMessageTitle, box); !shown) return shown;
  const std::vector<std::string> texts = MessageTexts(*box);
  if (texts.size() != 1) return testing::AssertionFailure() << "the message has " << texts.size() << " texts";
  *text = texts[0];
  return testing::AssertionSuccess();
}

// Presses the message box's OK button and waits until the box has gone.
inline testing::AssertionResult DismissMessage(const DialogFacts& box) {
  ProbeClickButton(box, "OK");
  return WaitForNoDialog(kMessageTitle);
}

// The Linux program's message box, whose text is not readable from outside: waits for its
// window, which takes the keyboard, presses Return (its OK button) and waits until it has gone.
inline testing::AssertionResult DismissNativeMessage() {
  if (testing::AssertionResult shown = WaitForShownWindow(kMessageTitle, nullptr); !shown) return shown;
  PressKey("Return");
  return WaitForNoShownWindow(kMessageTitle);
}

// --- fixtures ----------------------------------------------------------------------------------

// A first start, no settings file yet, with the quadrant picture (pic.bmp) beside the program:
// set up once the help panel shows and the start has written its settings file.
class FirstStartWithAPicture : public testing::Test {
 protected:
  void SetUp() override {
    picturePath_ = AddQuadrantPicture(app_);
    app_.Start();
    ASSERT_TRUE(app_.WaitForWindow(kHelpTitle, &window_));
    ASSERT_TRUE(Eventually("the settings file", [&] { return ReadSettingsRecord(app_).has_value(); }));
  }

  App app_;
  XTopLevel window_;         // the help panel's window as it first showed
  std::string picturePath_;  // pic.bmp as the program names it
};

}  // namespace corvane::e2e
