// What the end-to-end suites put beside Corvane.exe before a start, and how they look at the
// window it shows: settings records, pictures (the build's fixtures, pictures made with
// ImageMagick, and cursors and metafiles written byte by byte, since no tool here makes them),
// the picture window's place and its pixels.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "e2e.h"

namespace corvane::e2e {

// The path the settings file holds while no picture is chosen.
inline constexpr char kNoPicture[] = "No select any picture";

constexpr Rgb kGroundGreen = Rgb::FromHex(0x00C000);
constexpr Rgb kLinkBlue = Rgb::FromHex(0x0000C0);
constexpr Rgb kLinkWhite = Rgb::FromHex(0xFFFFFF);

// One settings record: left and top in twips (little-endian int32), the path's length
// (uint16) and the path's bytes in the ANSI code page.
inline std::vector<std::uint8_t> SettingsRecord(std::int32_t left, std::int32_t top, const std::string& ansiPath) {
  std::vector<std::uint8_t> bytes;
  const auto put = [&](std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  };
  put(static_cast<std::uint32_t>(left), 4);
  put(static_cast<std::uint32_t>(top), 4);
  put(static_cast<std::uint32_t>(ansiPath.size()), 2);
  bytes.insert(bytes.end(), ansiPath.begin(), ansiPath.end());
  return bytes;
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

// The program's name for a file in its folder (UTF-8).
inline std::string WindowsPathOf(const App& app, const std::string& name) { return app.WindowsFolder() + "\\" + name; }

// Copies one of the pictures the build makes (tests/fixtures) into the program's folder, under
// its own name or `name`, and returns the program's path for it.
inline std::string AddFixture(const App& app, const std::string& fixture, std::string name = {}) {
  if (name.empty()) name = fixture;
  std::filesystem::copy_file(std::filesystem::path(CORVANE_FIXTURES_DIR) / fixture, app.Folder() / name);
  return WindowsPathOf(app, name);
}

// Writes a file of these bytes into the program's folder and returns the program's path for it.
inline std::string AddFile(const App& app, const std::string& name, const std::string& bytes) {
  std::ofstream out(app.Folder() / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + (app.Folder() / name).string());
  return WindowsPathOf(app, name);
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
  return WindowsPathOf(app, name);
}

// Little-endian bytes, written in order: LittleEndian().U16(1).U32(40).Bytes().
class LittleEndian {
 public:
  LittleEndian& U8(std::uint32_t value) { return Put(value, 1); }
  LittleEndian& U16(std::uint32_t value) { return Put(value, 2); }
  LittleEndian& U32(std::uint32_t value) { return Put(value, 4); }
  LittleEndian& I32(std::int32_t value) { return Put(static_cast<std::uint32_t>(value), 4); }
  LittleEndian& Append(const std::string& more) {
    bytes_ += more;
    return *this;
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  LittleEndian& Put(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes_ += static_cast<char>((value >> (8 * i)) & 0xFF);
    return *this;
  }
  std::string bytes_;
};

// A 32 by 32 cursor, hot spot (5, 7): black where 8 <= x, y < 24, transparent elsewhere.
inline std::string MakeCursor() {
  LittleEndian out;
  out.U16(0).U16(2).U16(1);                          // a cursor directory of one image:
  out.U8(32).U8(32).U8(0).U8(0).U16(5).U16(7);       //   32 by 32, hot spot (5, 7),
  out.U32(40 + 8 + 32 * 4 + 32 * 4).U32(22);         //   its size and where it starts
  out.U32(40).I32(32).I32(64).U16(1).U16(1).U32(0);  // a 1-bit image over its mask, twice as tall
  out.U32(32 * 4 * 2).U32(0).U32(0).U32(2).U32(0);
  out.U32(0x000000).U32(0xFFFFFF);          // palette: black, white
  for (int y = 0; y < 32; ++y) out.U32(0);  // colours: all black
  for (int y = 0; y < 32; ++y) {            // mask, 1 where transparent: the bytes
    const bool inside = y >= 8 && y < 24;   // FF 00 00 FF draw columns 8..23
    out.U32(inside ? 0xFF0000FFu : 0xFFFFFFFFu);
  }
  return out.Bytes();
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

// Moves the pointer to the screen's bottom-right pixel, away from the windows the tests place,
// so that no mouse move reaches them unasked.
inline void ParkPointer() {
  const Rect screen = ScreenRect();
  MoveTo({screen.Right() - 1, screen.Bottom() - 1});
}

// The shown X window of this Corvane now, if there is one.
inline std::optional<XTopLevel> ShownWindowOf(App& app) {
  for (const XTopLevel& window : TopLevelWindows()) {
    if (window.mapped && window.name == kHelpTitle && window.pid == app.Pid()) return window;
  }
  return std::nullopt;
}

// Waits until the program's window has exactly this place and size.
inline testing::AssertionResult WaitForWindowRect(App& app, const Rect& expected, Millis timeout = 10s) {
  std::ostringstream wanted;
  wanted << "Corvane's window at " << expected;
  return Eventually(
      wanted.str(),
      [&]() -> testing::AssertionResult {
        const auto window = ShownWindowOf(app);
        if (!window) return testing::AssertionFailure() << "no shown window";
        if (window->rect != expected) return testing::AssertionFailure() << "the window is at " << window->rect;
        return testing::AssertionSuccess();
      },
      timeout);
}

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
  int tolerance = 4;
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

}  // namespace corvane::e2e
