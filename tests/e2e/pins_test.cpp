// Several pictures at once, each in its own picture window (a pin): pictures named on the
// command line, handed over by a second start, or chosen with Ctrl+N open beside the pin they
// came from; Ctrl+W and the window manager's close take one away; the arrow keys nudge one; a
// double click saves them all (the first where the record always kept the picture, the others
// in the pins block after the extension block) and the next start brings them back; there are
// at most 64.
#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "corvane.h"

namespace corvane::e2e {
namespace {

// How far right and down of the pin it came from a new pin opens.
constexpr int kBeside = 24;

// A second picture, 60 by 80, and a third, 80 by 100, in colours of their own: tall enough that
// the link label over a picture's top-left corner leaves the top quadrants' middles in sight.
constexpr int kSmallWidth = 60;
constexpr int kSmallHeight = 80;
constexpr Rgb kSmallColours[4] = {Rgb::FromHex(0x1070E0), Rgb::FromHex(0xE07010), Rgb::FromHex(0x70E010),
                                  Rgb::FromHex(0x801080)};
constexpr int kMidWidth = 80;
constexpr int kMidHeight = 100;
constexpr Rgb kMidColours[4] = {Rgb::FromHex(0x40E0E0), Rgb::FromHex(0xE040E0), Rgb::FromHex(0x404040),
                                Rgb::FromHex(0xE0E040)};

std::string AddSmallPicture(const App& app, const std::string& name = "small.bmp") {
  return AddFile(app, name, MakeQuadrantBmp(kSmallWidth, kSmallHeight, kSmallColours));
}

std::string AddMidPicture(const App& app) {
  return AddFile(app, "mid.bmp", MakeQuadrantBmp(kMidWidth, kMidHeight, kMidColours));
}

// A path as the settings file holds it: the ANSI code page under Windows, UTF-8 natively.
std::string Stored(const std::string& path) { return NativeTarget() ? path : Cp1252(path); }

// One pin as a settings file keeps it.
struct SavedPin {
  Point place;  // pixels
  std::string path;
  std::uint32_t scale = 1'000'000;
  std::uint32_t opacity = 100;
};

// The settings file for these pins: the record with the first pin's place and path, the
// extension block with its look (when it is not the default, or further pins follow), then the
// pins block: "CVP1", the fields' length, the count, each further pin (left, top in twips,
// scale, opacity, the path's length and bytes), and the CRC-32 of the whole file before it.
std::vector<std::uint8_t> PinsFile(const std::vector<SavedPin>& pins) {
  const SavedPin& first = pins.front();
  std::vector<std::uint8_t> bytes =
      EncodeSettings({first.place.x * kTwipsPerPixel, first.place.y * kTwipsPerPixel, Stored(first.path)});
  if (pins.size() == 1 && first.scale == 1'000'000 && first.opacity == 100) return bytes;
  bytes = WithLook(bytes, first.scale, first.opacity);
  if (pins.size() == 1) return bytes;
  LittleEndian fields;
  fields.U16(static_cast<std::uint32_t>(pins.size() - 1));
  for (std::size_t n = 1; n < pins.size(); ++n) {
    const std::string path = Stored(pins[n].path);
    fields.I32(pins[n].place.x * kTwipsPerPixel).I32(pins[n].place.y * kTwipsPerPixel);
    fields.U32(pins[n].scale).U16(pins[n].opacity).U16(static_cast<std::uint32_t>(path.size())).Append(path);
  }
  LittleEndian block;
  block.Append("CVP1").U32(static_cast<std::uint32_t>(fields.Bytes().size())).Append(fields.Bytes());
  bytes.insert(bytes.end(), block.Bytes().begin(), block.Bytes().end());
  const uLong crc = crc32(crc32(0, nullptr, 0), bytes.data(), static_cast<uInt>(bytes.size()));
  const std::string sum = LittleEndian().U32(static_cast<std::uint32_t>(crc)).Bytes();
  bytes.insert(bytes.end(), sum.begin(), sum.end());
  return bytes;
}

// The number of further pins this program reads from the file `bytes`: those of a pins block
// that follows a trusted extension block of the default look and is whole with its checksum
// right; none when the bytes after the record are leftovers or no block. Nothing when the
// extension block is trusted but holds another look.
std::optional<std::size_t> FurtherPinsWithDefaultLook(const std::vector<std::uint8_t>& bytes) {
  const auto get = [&](std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i)
      value |= static_cast<std::uint32_t>(bytes[at + static_cast<std::size_t>(i)]) << (8 * i);
    return value;
  };
  // A block of `prefix` bytes whose fields' length has `lengthSize` bytes, at `at`: where it
  // ends (after its checksum) when its signature is there and its checksum is right.
  const auto trusted = [&](std::size_t at, const std::string& name, int lengthSize) -> std::optional<std::size_t> {
    const std::size_t prefix = 4 + static_cast<std::size_t>(lengthSize);
    if (bytes.size() < at + prefix) return std::nullopt;
    if (std::string(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                    bytes.begin() + static_cast<std::ptrdiff_t>(at + 4)) != name) {
      return std::nullopt;
    }
    const std::size_t fieldsEnd = at + prefix + get(at + 4, lengthSize);
    if (bytes.size() < fieldsEnd + 4) return std::nullopt;
    const uLong crc = crc32(crc32(0, nullptr, 0), bytes.data(), static_cast<uInt>(fieldsEnd));
    if (get(fieldsEnd, 4) != static_cast<std::uint32_t>(crc)) return std::nullopt;
    return fieldsEnd + 4;
  };
  if (bytes.size() < 10) return std::nullopt;
  const std::size_t look = 10 + get(8, 2);
  const std::optional<std::size_t> lookEnd = trusted(look, "CVX1", 2);
  if (!lookEnd) return 0;
  if (get(look + 6, 4) != 1'000'000 || get(look + 10, 2) != 100) return std::nullopt;
  if (!trusted(*lookEnd, "CVP1", 4)) return 0;
  return get(*lookEnd + 8, 2);
}

// The picture's four quadrants, seen at their centres, on the window at `window`.
testing::AssertionResult ShowsQuadrants(const Rect& window, const Rgb (&colours)[4], const std::string& label) {
  return WaitForScreen(
      window, "the picture's quadrants",
      [&](const Image& shot) {
        const int w = window.width;
        const int h = window.height;
        return SpotsHold(shot, {{"top-left", {window.x + w / 4, window.y + h / 4}, colours[0]},
                                {"top-right", {window.x + w * 3 / 4, window.y + h / 4}, colours[1]},
                                {"bottom-left", {window.x + w / 4, window.y + h * 3 / 4}, colours[2]},
                                {"bottom-right", {window.x + w * 3 / 4, window.y + h * 3 / 4}, colours[3]}});
      },
      label);
}

// A point on the pin at `pin`, clear of the link label in its top-left corner.
Point OnPin(const Rect& pin) { return {pin.x + pin.width * 3 / 4, pin.y + pin.height * 3 / 4}; }

// Whether the pin at `pin` has the keyboard: Windows' foreground window under Wine without a
// window manager, X's input focus under one.
bool HasKeyboard(const App& app, const Rect& pin) {
  if (NativeTarget() || UnderWindowManager()) {
    for (const XTopLevel& w : ShownPictureWindows(app)) {
      if (w.rect == pin) return HasInputFocus(w);
    }
    return false;
  }
  for (const WindowFacts& facts : ProbeWindows({"--title", kHelpTitle})) {
    if (facts.visible && facts.rect == pin) return facts.foreground;
  }
  return false;
}

// Gives the keyboard to the pin at `pin` as a person does, with a click on it when it does not
// have it already, and leaves the pointer on it.
testing::AssertionResult KeyboardTo(const App& app, const Rect& pin) {
  MoveTo(OnPin(pin));
  if (HasKeyboard(app, pin)) return testing::AssertionSuccess();
  Click(OnPin(pin));
  std::ostringstream what;
  what << "the keyboard on the pin at " << pin;
  return Eventually(what.str(), [&] { return HasKeyboard(app, pin); });
}

// The opacity in percent that the window system holds for the pin at `pin`; 100 when it is not
// see-through, -1 when there is no such pin.
int OpacityOf(const App& app, const Rect& pin) {
  if (NativeTarget()) {
    for (const XTopLevel& w : ShownPictureWindows(app)) {
      if (w.rect != pin) continue;
      const std::optional<std::uint32_t> opacity = WindowOpacity(w.id);
      return opacity ? static_cast<int>(std::lround(*opacity / 4294967295.0 * 100)) : 100;
    }
    return -1;
  }
  for (const WindowFacts& facts : ProbeWindows({"--title", kHelpTitle})) {
    if (!facts.visible || facts.rect != pin) continue;
    if (!(facts.exStyle & win::kExLayered)) return 100;
    return facts.alpha < 0 ? -1 : static_cast<int>(std::lround(facts.alpha * 100 / 255.0));
  }
  return -1;
}

testing::AssertionResult WaitForOpacity(const App& app, const Rect& pin, int percent) {
  int seen = 0;
  testing::AssertionResult result = Eventually("the pin's opacity at " + std::to_string(percent) + " %", [&] {
    seen = OpacityOf(app, pin);
    return seen == percent;
  });
  if (!result) result << " (it is " << seen << " %)";
  return result;
}

// Waits for the end, which must be a plain one with exit code 0.
testing::AssertionResult EndsWithZero(App& app, Millis timeout = kDefaultTimeout) {
  if (testing::AssertionResult ended = app.WaitForExit(timeout); !ended) return ended;
  if (!app.Exit()->Exited() || app.Exit()->code != 0) {
    return testing::AssertionFailure() << "it ended: " << app.Exit()->Describe();
  }
  return testing::AssertionSuccess();
}

// Double-clicks the pin at `pin`, which saves every pin and ends.
testing::AssertionResult SaveWithADoubleClick(App& app, const Rect& pin) {
  DoubleClick(OnPin(pin));
  return EndsWithZero(app);
}

Rect At(Point place, int width, int height) { return {place.x, place.y, width, height}; }

// Waits for a message whose one line holds `part` (the native program's text cannot be read
// from outside, only its window) while no open-file dialog shows, and dismisses it.
testing::AssertionResult MessageSayingDismissed(const std::string& part) {
  if (NativeTarget()) return DismissNativeMessage();
  DialogFacts box;
  std::string text;
  if (testing::AssertionResult shown = WaitForOneLineMessage(&box, &text); !shown) return shown;
  if (text.find(part) == std::string::npos) {
    return testing::AssertionFailure() << "the message says \"" << text << "\", not \"" << part << "\"";
  }
  if (ShownDialog(kOpenDialogTitle)) return testing::AssertionFailure() << "the open-file dialog shows as well";
  return DismissMessage(box);
}

constexpr char kTooMany[] = "at most 64 pictures";

// --- the command line and a second start -------------------------------------------------------

// At a first start the first path takes the help panel's window; a path that is no picture
// gets the Select item's message; the next one opens 24 px right of and below the first pin.
// Relative paths are taken against the working folder.
TEST(Pins, TheCommandLineAtAFirstStartOpensEachPictureAndTheFirstTakesTheHelpPanelsWindow) {
  App app;
  const std::string pic = AddQuadrantPicture(app);
  const std::string notes = AddFile(app, "notes.txt", "not a picture\n");
  const std::string small = AddSmallPicture(app);
  ParkPointer();
  app.Start({"pic.bmp", "notes.txt", small});

  ASSERT_TRUE(MessageSayingDismissed(notes)) << "the message names the file in full";
  const Rect first = At(kDefaultPlace, kQuadrantPictureWidth, kQuadrantPictureHeight);
  const Rect second = At({kDefaultPlace.x + kBeside, kDefaultPlace.y + kBeside}, kSmallWidth, kSmallHeight);
  ASSERT_TRUE(WaitForPictureWindowsAt(app, {first, second}));
  EXPECT_TRUE(ShowsQuadrants(second, kSmallColours, "pins-command-line-second"));
  // The second pin covers the first one's top-left quadrant: the right-hand ones are in sight.
  EXPECT_TRUE(WaitForScreen(
      first, "the first picture's right-hand quadrants",
      [&](const Image& shot) {
        return SpotsHold(
            shot,
            {{"top-right", {first.x + first.width * 3 / 4, first.y + first.height / 4}, kQuadrantColours[1]},
             {"bottom-right", {first.x + first.width * 3 / 4, first.y + first.height * 3 / 4}, kQuadrantColours[3]}});
      },
      "pins-command-line-first"));

  ASSERT_TRUE(SaveWithADoubleClick(app, first));
  EXPECT_EQ(app.ReadSettings(), PinsFile({{kDefaultPlace, pic}, {{second.x, second.y}, small}}))
      << "the relative path saved in full, the second pin in the pins block";
}

// A second start from another folder hands its picture, named relative to that folder, to the
// Corvane running, which opens it beside its pin; the second start ends at once with 0.
TEST(Pins, ASecondStartHandsItsPictureToTheRunningOneAndEndsAtOnce) {
  App first;
  const std::string pic = AddQuadrantPicture(first);
  const Point place{100, 100};
  ASSERT_TRUE(StartWithSettings(first, PinsFile({{place, pic}})));
  const Rect pin = At(place, kQuadrantPictureWidth, kQuadrantPictureHeight);
  ASSERT_TRUE(WaitForPictureWindowsAt(first, {pin}));

  App second;
  const std::string other = AddSmallPicture(second, "other.bmp");
  second.Start({"other.bmp"});
  ASSERT_TRUE(EndsWithZero(second, 10s));
  EXPECT_FALSE(second.ReadSettings().has_value()) << "the second start wrote " << kSettingsFileName;

  const Rect handed = At({place.x + kBeside, place.y + kBeside}, kSmallWidth, kSmallHeight);
  ASSERT_TRUE(WaitForPictureWindowsAt(first, {pin, handed}));
  EXPECT_TRUE(ShowsQuadrants(handed, kSmallColours, "pins-handed-over"));
  ASSERT_TRUE(first.Running());

  ASSERT_TRUE(SaveWithADoubleClick(first, pin));
  EXPECT_EQ(first.ReadSettings(), PinsFile({{place, pic}, {{handed.x, handed.y}, other}}))
      << "the handed-over path in full, as the second start's folder names it";
}

// A second start without a path ends at once with 0 and changes nothing: no pin, no write to
// the settings file. A third start with a picture, handed over after it, shows that the running
// Corvane has taken the second's turn.
TEST(Pins, ASecondStartWithoutAPathEndsAtOnceAndChangesNothing) {
  App first;
  const std::string pic = AddQuadrantPicture(first);
  const Point place{100, 100};
  const std::vector<std::uint8_t> settings = PinsFile({{place, pic}});
  ASSERT_TRUE(StartWithSettings(first, settings));
  const Rect pin = At(place, kQuadrantPictureWidth, kQuadrantPictureHeight);
  ASSERT_TRUE(WaitForPictureWindowsAt(first, {pin}));
  const auto stamp = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  std::filesystem::last_write_time(first.SettingsFile(), stamp);

  App second;
  second.Start();
  ASSERT_TRUE(EndsWithZero(second, 10s));

  App third;
  third.Start({AddSmallPicture(third)});
  ASSERT_TRUE(EndsWithZero(third, 10s));
  ASSERT_TRUE(
      WaitForPictureWindowsAt(first, {pin, At({place.x + kBeside, place.y + kBeside}, kSmallWidth, kSmallHeight)}));
  EXPECT_EQ(first.ReadSettings(), settings);
  EXPECT_EQ(std::filesystem::last_write_time(first.SettingsFile()), stamp);
  EXPECT_TRUE(first.Running());
}

// --- keys on a pin -----------------------------------------------------------------------------

// Ctrl+N asks for a picture in the Select dialog: a cancel opens nothing, a chosen picture opens
// beside the pin the keys were pressed on.
TEST(Pins, CtrlNOpensTheChosenPictureBesideThePinAndACancelOpensNothing) {
  App app;
  const std::string pic = AddQuadrantPicture(app);
  const std::string small = AddSmallPicture(app);
  const Point place{100, 100};
  ASSERT_TRUE(StartWithSettings(app, PinsFile({{place, pic}})));
  const Rect pin = At(place, kQuadrantPictureWidth, kQuadrantPictureHeight);
  ASSERT_TRUE(WaitForPictureWindowsAt(app, {pin}));

  ASSERT_TRUE(KeyboardTo(app, pin));
  PressKey("Ctrl+n");
  ASSERT_TRUE(WaitForDialog(kOpenDialogTitle));
  PressKey("Escape");
  ASSERT_TRUE(WaitForNoDialog(kOpenDialogTitle));

  ASSERT_TRUE(KeyboardTo(app, pin));
  PressKey("Ctrl+n");
  ASSERT_TRUE(WaitForDialog(kOpenDialogTitle));
  TypeText(small);
  PressKey("Return");
  ASSERT_TRUE(WaitForNoDialog(kOpenDialogTitle));
  const Rect chosen = At({place.x + kBeside, place.y + kBeside}, kSmallWidth, kSmallHeight);
  ASSERT_TRUE(WaitForPictureWindowsAt(app, {pin, chosen})) << "the cancel opened nothing";
  EXPECT_TRUE(ShowsQuadrants(chosen, kSmallColours, "pins-ctrl-n"));

  // Once more from the new pin: the next opens beside that one.
  ASSERT_TRUE(KeyboardTo(app, chosen));
  PressKey("Ctrl+n");
  ASSERT_TRUE(WaitForDialog(kOpenDialogTitle));
  TypeText(pic);
  PressKey("Return");
  ASSERT_TRUE(WaitForNoDialog(kOpenDialogTitle));
  const Rect third = At({chosen.x + kBeside, chosen.y + kBeside}, kQuadrantPictureWidth, kQuadrantPictureHeight);
  ASSERT_TRUE(WaitForPictureWindowsAt(app, {pin, chosen, third}));
}

// Ctrl+W closes the pin it is pressed on while another is open, the first one too (the next
// then takes the record's place); on the last pin it does nothing.
TEST(Pins, CtrlWClosesThePinWhileAnotherIsOpenAndLeavesTheLast) {
  App app;
  const std::string pic = AddQuadrantPicture(app);
  const std::string small = AddSmallPicture(app);
  const std::string mid = AddMidPicture(app);
  const Point a{100, 100};
  const Point b{400, 300};
  const Point c{600, 100};
  ASSERT_TRUE(StartWithSettings(app, PinsFile({{a, pic}, {b, small}, {c, mid}})));
  const Rect pinA = At(a, kQuadrantPictureWidth, kQuadrantPictureHeight);
  const Rect pinB = At(b, kSmallWidth, kSmallHeight);
  const Rect pinC = At(c, kMidWidth, kMidHeight);
  ASSERT_TRUE(WaitForPictureWindowsAt(app, {pinA, pinB, pinC}));

  ASSERT_TRUE(KeyboardTo(app, pinA));
  PressKey("Ctrl+w");
  ASSERT_TRUE(WaitForPictureWindowsAt(app, {pinB, pinC}));
  ASSERT_TRUE(KeyboardTo(app, pinC));
  PressKey("Ctrl+w");
  ASSERT_TRUE(WaitForPictureWindowsAt(app, {pinB}));
  ASSERT_TRUE(KeyboardTo(app, pinB));
  PressKey("Ctrl+w");  // the last: nothing happens, so the double click after it saves

  ASSERT_TRUE(SaveWithADoubleClick(app, pinB));
  const std::optional<std::vector<std::uint8_t>> saved = app.ReadSettings();
  ASSERT_TRUE(saved);
  EXPECT_EQ(DecodeSettings(*saved), (SettingsRecord{b.x * kTwipsPerPixel, b.y * kTwipsPerPixel, Stored(small)}))
      << "the pin left takes the record";
  EXPECT_EQ(FurtherPinsWithDefaultLook(*saved), std::optional<std::size_t>(0)) << "and no other pin is saved";
}

// The arrow keys move the pin they are pressed on by a pixel, with Shift by ten, never past
// the screen's edge; the places are saved.
TEST(Pins, ArrowKeysNudgeThePinByOneOrTenPixelsOnTheScreenAndThePlaceIsSaved) {
  App app;
  const std::string pic = AddQuadrantPicture(app);
  const std::string small = AddSmallPicture(app);
  ASSERT_TRUE(StartWithSettings(app, PinsFile({{{300, 200}, pic}, {{3, 500}, small}})));
  Rect pinA = At({300, 200}, kQuadrantPictureWidth, kQuadrantPictureHeight);
  Rect pinB = At({3, 500}, kSmallWidth, kSmallHeight);
  ASSERT_TRUE(WaitForPictureWindowsAt(app, {pinA, pinB}));

  struct Nudge {
    const char* key;
    Point by;
  };
  const Nudge onA[] = {{"Right", {1, 0}}, {"Down", {0, 1}}, {"Shift+Left", {-10, 0}}, {"Shift+Up", {0, -10}}};
  for (const Nudge& nudge : onA) {
    ASSERT_TRUE(KeyboardTo(app, pinA));
    PressKey(nudge.key);
    pinA.x += nudge.by.x;
    pinA.y += nudge.by.y;
    ASSERT_TRUE(WaitForPictureWindowsAt(app, {pinA, pinB})) << nudge.key;
  }
  EXPECT_EQ(pinA, At({291, 191}, kQuadrantPictureWidth, kQuadrantPictureHeight));

  // Three pixels from the left edge: Shift+Left stops at the edge, Left there does nothing
  // (the Down after it is the next change seen).
  ASSERT_TRUE(KeyboardTo(app, pinB));
  PressKey("Shift+Left");
  pinB.x = 0;
  ASSERT_TRUE(WaitForPictureWindowsAt(app, {pinA, pinB})) << "kept on the screen";
  PressKey("Left");
  PressKey("Down");
  pinB.y += 1;
  ASSERT_TRUE(WaitForPictureWindowsAt(app, {pinA, pinB}));

  ASSERT_TRUE(SaveWithADoubleClick(app, pinA));
  EXPECT_EQ(app.ReadSettings(), PinsFile({{{pinA.x, pinA.y}, pic}, {{pinB.x, pinB.y}, small}}));
}

// --- saving and the next start -----------------------------------------------------------------

// Three pins scaled and made see-through each their own way are saved in order (the first in
// the record and the extension block, the others in the pins block), an older reader finds the
// first pin's place and path where it always did, and the next start brings all three back.
TEST(Pins, ThreePinsAreSavedWithTheirScalesAndOpacitiesAndComeBack) {
  App app;
  const std::string pic = AddQuadrantPicture(app);
  const std::string small = AddSmallPicture(app);
  const std::string mid = AddMidPicture(app);
  const Point a{100, 100};
  const Point b{500, 100};
  const Point c{100, 400};
  ASSERT_TRUE(StartWithSettings(app, PinsFile({{a, pic}, {b, small}, {c, mid}})));
  ASSERT_TRUE(WaitForPictureWindowsAt(app, {At(a, kQuadrantPictureWidth, kQuadrantPictureHeight),
                                            At(b, kSmallWidth, kSmallHeight), At(c, kMidWidth, kMidHeight)}));

  // Each scaled about its top-left pixel, so that it stays where it is.
  struct Look {
    Point place;
    int ctrlNotches;
    int shiftNotches;
    Rect shown;
    std::uint32_t scale;
    std::uint32_t opacity;
  };
  const Look looks[] = {
      {a, 2, -4, At(a, 242, 182), 1'210'000, 80},
      {b, 1, -10, At(b, 66, 88), 1'100'000, 50},
      {c, 0, -7, At(c, kMidWidth, kMidHeight), 1'000'000, 65},
  };
  std::vector<Rect> shown{At(a, kQuadrantPictureWidth, kQuadrantPictureHeight), At(b, kSmallWidth, kSmallHeight),
                          At(c, kMidWidth, kMidHeight)};
  for (std::size_t n = 0; n < std::size(looks); ++n) {
    const Look& look = looks[n];
    MoveTo(look.place);
    if (look.ctrlNotches != 0) Wheel(look.ctrlNotches, {"Ctrl"});
    shown[n] = look.shown;
    ASSERT_TRUE(WaitForPictureWindowsAt(app, shown)) << "pin " << n;
    Wheel(look.shiftNotches, {"Shift"});
    ASSERT_TRUE(WaitForOpacity(app, look.shown, static_cast<int>(look.opacity))) << "pin " << n;
  }
  for (const Look& look : looks) {
    EXPECT_TRUE(WaitForOpacity(app, look.shown, static_cast<int>(look.opacity))) << "each pin keeps its own";
  }

  ASSERT_TRUE(SaveWithADoubleClick(app, looks[0].shown));
  const std::optional<std::vector<std::uint8_t>> saved = app.ReadSettings();
  ASSERT_TRUE(saved);
  EXPECT_EQ(*saved, PinsFile({{a, pic, looks[0].scale, looks[0].opacity},
                              {b, small, looks[1].scale, looks[1].opacity},
                              {c, mid, looks[2].scale, looks[2].opacity}}));
  // What an older program reads: the record's first 10 + N bytes.
  EXPECT_EQ(DecodeSettings(*saved), (SettingsRecord{a.x * kTwipsPerPixel, a.y * kTwipsPerPixel, Stored(pic)}));

  App again;  // the pictures stay in the first folder
  ASSERT_TRUE(StartWithSettings(again, *saved));
  ASSERT_TRUE(WaitForPictureWindowsAt(again, shown));
  for (const Look& look : looks) EXPECT_TRUE(WaitForOpacity(again, look.shown, static_cast<int>(look.opacity)));
}

// With 64 pins open, one more is refused with a message, by Ctrl+N before any dialog and for a
// picture handed over by a second start; nothing opens.
TEST(Pins, ThereAreAtMost64) {
  App app;
  constexpr int kSide = 16;
  const std::string tiny = AddFile(app, "tiny.bmp", MakeQuadrantBmp(kSide, kSide, kSmallColours));
  std::vector<SavedPin> pins;
  std::vector<Rect> rects;
  for (int n = 0; n < 64; ++n) {
    const Point place{60 + 40 * (n % 16), 60 + 40 * (n / 16)};
    pins.push_back({place, tiny});
    rects.push_back(At(place, kSide, kSide));
  }
  ASSERT_TRUE(StartWithSettings(app, PinsFile(pins)));
  ASSERT_TRUE(WaitForPictureWindowsAt(app, rects, 60s));

  ASSERT_TRUE(KeyboardTo(app, rects.back()));
  PressKey("Ctrl+n");
  ASSERT_TRUE(MessageSayingDismissed(kTooMany));

  App second;
  second.Start({AddSmallPicture(second)});
  ASSERT_TRUE(EndsWithZero(second, 10s));
  ASSERT_TRUE(MessageSayingDismissed(kTooMany));
  ASSERT_TRUE(WaitForPictureWindowsAt(app, rects));
  EXPECT_TRUE(app.Running());
}

// --- under a window manager --------------------------------------------------------------------

// The window manager's close (Alt+F4) on one of several pins closes that pin; on the last it
// ends the program without saving.
TEST(PinsUnderWindowManager, AltF4ClosesThatPinAndOnTheLastEndsWithoutSaving) {
  ASSERT_TRUE(WindowManagerPlaces()) << "this suite belongs on a display with a window manager";
  App app;
  const std::string pic = AddQuadrantPicture(app);
  const std::string small = AddSmallPicture(app);
  const std::vector<std::uint8_t> settings = PinsFile({{{300, 200}, pic}, {{600, 400}, small}});
  ASSERT_TRUE(StartWithSettings(app, settings));
  const Rect pinA = At({300, 200}, kQuadrantPictureWidth, kQuadrantPictureHeight);
  const Rect pinB = At({600, 400}, kSmallWidth, kSmallHeight);
  ASSERT_TRUE(WaitForPictureWindowsAt(app, {pinA, pinB}));

  ASSERT_TRUE(KeyboardTo(app, pinB));
  PressKey("Alt+F4");
  ASSERT_TRUE(WaitForPictureWindowsAt(app, {pinA}));
  ASSERT_TRUE(app.Running());

  ASSERT_TRUE(KeyboardTo(app, pinA));
  PressKey("Alt+F4");
  ASSERT_TRUE(app.WaitForExit());
  EXPECT_TRUE(app.Exit()->Exited()) << app.Exit()->Describe();
  EXPECT_EQ(app.ReadSettings(), settings) << "the close saved the settings";
}

}  // namespace
}  // namespace corvane::e2e
