// The settings file and start-up: the saved place and picture come back and are stored again
// at the double click, a place no monitor shows is given up (also when a change of size leaves
// the window off the screen), a record whose path is damaged keeps its place, a picture that
// cannot be shown and a settings file that cannot be written fall back to the help panel, and a
// settings file of another letter case or with hidden and system attributes is the program's own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "corvane.h"

namespace corvane::e2e {
namespace {

// Bytes after the record that the program neither reads nor removes.
const std::vector<std::uint8_t> kLeftovers{'l', 'e', 'f', 't', 'o', 'v', 'e', 'r', 0x00, 0xFF};

std::vector<std::uint8_t> operator+(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The file after an exit that saves `record` where the file held `before`: the record is written
// over the start of the old bytes and the file is not cut short, so whatever lies beyond stays.
std::vector<std::uint8_t> WrittenOver(std::vector<std::uint8_t> before, const SettingsRecord& record) {
  const std::vector<std::uint8_t> bytes = EncodeSettings(record);
  if (before.size() < bytes.size()) before.resize(bytes.size());
  std::copy(bytes.begin(), bytes.end(), before.begin());
  return before;
}

// The help panel's bare green ground beside Label8 (300, 2250 twips): a double click there saves
// and exits.
Point HelpGround(Point window) { return {window.x + 20, window.y + 150}; }

testing::AssertionResult DoubleClickAndWaitForTheEnd(App& app, Point at) {
  DoubleClick(at);
  const testing::AssertionResult ended = app.WaitForExit(10s);
  if (!ended) return ended;
  if (!app.Exit()->Exited() || app.Exit()->code != 0) {
    return testing::AssertionFailure() << "Corvane ended with " << app.Exit()->Describe();
  }
  return testing::AssertionSuccess();
}

// --- the saved place ------------------------------------------------------------------------

struct PlaceCase {
  const char* name;
  std::int32_t left;  // twips, as saved
  std::int32_t top;
  const char* picture;  // its name beside the program
  Point shown;          // pixels
  std::int32_t storedLeft;
  std::int32_t storedTop;
};

void PrintTo(const PlaceCase& c, std::ostream* out) { *out << c.name; }

const PlaceCase kPlaces[] = {
    {"OnScreenWithAnAnsiPath", 1500, 3000, "Été 40x30.bmp", {100, 200}, 1500, 3000},
    // 100.47 and 199.53 pixels: the nearest pixels, stored back as whole pixels.
    {"BetweenPixels", 1507, 2993, "bmp40x30.bmp", {100, 200}, 1500, 3000},
    {"PartlyOffTheTopLeft", -300, -150, "bmp40x30.bmp", {-20, -10}, -300, -150},
    {"PartlyOffTheBottomRight", 18750, 15000, "bmp40x30.bmp", {1250, 1000}, 18750, 15000},
    // No monitor shows any of it: the default place, stored as its pixels.
    {"WhollyOffScreen", 30000, 30000, "bmp40x30.bmp", kDefaultPlace, 23 * 15, 7 * 15},
};

class SavedPlace : public testing::TestWithParam<PlaceCase> {};

TEST_P(SavedPlace, ComesBackAndIsStoredAgainAtTheDoubleClick) {
  const PlaceCase& c = GetParam();
  App app;
  const std::string path = Cp1252(AddFixture(app, "bmp40x30.bmp", c.picture));
  ASSERT_TRUE(StartWithSettings(app, EncodeSettings({c.left, c.top, path}) + kLeftovers));
  ASSERT_TRUE(WaitForPictureWindowAt(app, {c.shown.x, c.shown.y, 40, 30}));

  // On the picture, below the link label, inside the screen.
  ASSERT_TRUE(DoubleClickAndWaitForTheEnd(app, {c.shown.x + 25, c.shown.y + 20}));
  EXPECT_EQ(app.ReadSettings(), EncodeSettings({c.storedLeft, c.storedTop, path}) + kLeftovers);
}

INSTANTIATE_TEST_SUITE_P(Settings, SavedPlace, testing::ValuesIn(kPlaces),
                         [](const testing::TestParamInfo<PlaceCase>& test) { return std::string(test.param.name); });

// Where the window starts when its saved place is at or just past a screen edge: one pixel on
// the screen is enough to stay, none gives the default place. The window's own size counts: a
// small picture can be off the screen where the help panel would not be.
struct EdgeCase {
  const char* name;
  int left;  // pixels
  int top;
  bool withPicture;  // bmp40x30.bmp, else the help panel
  bool stays;
};

void PrintTo(const EdgeCase& c, std::ostream* out) { *out << c.name; }

const EdgeCase kEdges[] = {
    {"OnePixelInFromTheRight", 1279, 100, false, true},
    {"JustOffTheRight", 1280, 100, false, false},
    {"OnePixelInFromTheLeft", -(kHelpWidth - 1), 100, false, true},
    {"JustOffTheLeft", -kHelpWidth, 100, false, false},
    {"OnePixelInFromTheTop", 100, -(kHelpHeight - 1), false, true},
    {"JustOffTheTop", 100, -kHelpHeight, false, false},
    {"JustOffTheBottom", 100, 1024, false, false},
    {"PictureJustOffTheLeft", -40, 100, true, false},
};

class StartPlace : public testing::TestWithParam<EdgeCase> {};

TEST_P(StartPlace, IsTheSavedPlaceWhileAnyOfTheWindowIsOnTheScreen) {
  const EdgeCase& c = GetParam();
  App app;
  const std::string picture = c.withPicture ? Cp1252(AddFixture(app, "bmp40x30.bmp")) : kNoPictureMarker;
  ASSERT_TRUE(StartWithSettings(app, EncodeSettings({c.left * kTwipsPerPixel, c.top * kTwipsPerPixel, picture})));
  const Point place = c.stays ? Point{c.left, c.top} : kDefaultPlace;
  const Rect expected = c.withPicture ? Rect{place.x, place.y, 40, 30}
                                      : Rect{place.x, place.y, kHelpWidth, kHelpHeight};
  EXPECT_TRUE(WaitForPictureWindowAt(app, expected));
}

INSTANTIATE_TEST_SUITE_P(Settings, StartPlace, testing::ValuesIn(kEdges),
                         [](const testing::TestParamInfo<EdgeCase>& test) { return std::string(test.param.name); });

// --- a window that a change of size would leave off the screen --------------------------------

// The large picture partly off the top-left corner (40 by 80 pixels of it on the screen); the
// help panel there would be wholly off, so it comes to the default place instead.
TEST(Settings, AWindowTheHelpPanelWouldLeaveOffTheScreenComesToTheDefaultPlace) {
  App app;
  const std::string path = Cp1252(AddFixture(app, "photo640x480.jpg"));
  const Point saved{-600, -400};
  ASSERT_TRUE(StartWithSettings(app, EncodeSettings({saved.x * kTwipsPerPixel, saved.y * kTwipsPerPixel, path})));
  ASSERT_TRUE(WaitForPictureWindowAt(app, {saved.x, saved.y, 640, 480}));

  WindowFacts menu;
  ASSERT_TRUE(OpenMenu({20, 60}, &menu));
  Click(MenuItemPoint(menu.rect, MenuItem::Show));
  ASSERT_TRUE(WaitForNoMenu());
  ASSERT_TRUE(WaitForPictureWindowAt(app, {kDefaultPlace.x, kDefaultPlace.y, kHelpWidth, kHelpHeight}));
  EXPECT_TRUE(WaitForScreen(
      {kDefaultPlace.x, kDefaultPlace.y, kHelpWidth, kHelpHeight}, "the help panel",
      [](const Image& shot) {
        return SpotsHold(shot, {{"the green ground", HelpGround(kDefaultPlace), kGroundGreen}});
      },
      "rescued-help-panel"));

  ASSERT_TRUE(DoubleClickAndWaitForTheEnd(app, HelpGround(kDefaultPlace)));
  EXPECT_EQ(app.ReadSettings(),
            EncodeSettings({kDefaultPlace.x * kTwipsPerPixel, kDefaultPlace.y * kTwipsPerPixel, path}));
}

// --- a damaged settings record -----------------------------------------------------------------

// The header is whole but the path is not usable: the saved place stays, with the help panel,
// and the double click stores that place with no picture.
struct DamagedCase {
  const char* name;
  std::function<std::vector<std::uint8_t>(const std::vector<std::uint8_t>& record)> damage;
};

void PrintTo(const DamagedCase& c, std::ostream* out) { *out << c.name; }

class DamagedRecord : public testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedRecord, KeepsTheSavedPlaceWithTheHelpPanel) {
  App app;
  const std::string path = Cp1252(AddFixture(app, "bmp40x30.bmp"));
  const std::vector<std::uint8_t> damaged = GetParam().damage(EncodeSettings({3000, 1500, path}));
  ASSERT_TRUE(StartWithSettings(app, damaged));
  const Point place{200, 100};
  ASSERT_TRUE(WaitForPictureWindowAt(app, {place.x, place.y, kHelpWidth, kHelpHeight}));
  EXPECT_TRUE(ProbeDialogs().empty()) << "the damage is passed over without a word";

  ASSERT_TRUE(DoubleClickAndWaitForTheEnd(app, HelpGround(place)));
  EXPECT_EQ(app.ReadSettings(), WrittenOver(damaged, {3000, 1500, kNoPictureMarker}));
}

INSTANTIATE_TEST_SUITE_P(Settings, DamagedRecord,
                         testing::Values(DamagedCase{"PathCutShort",
                                                     [](const std::vector<std::uint8_t>& r) {
                                                       return std::vector<std::uint8_t>(r.begin(), r.end() - 5);
                                                     }},
                                         DamagedCase{"HeaderOnly",
                                                     [](const std::vector<std::uint8_t>& r) {
                                                       return std::vector<std::uint8_t>(r.begin(), r.begin() + 10);
                                                     }},
                                         DamagedCase{"AbsurdLength",
                                                     [](std::vector<std::uint8_t> r) {
                                                       r[8] = r[9] =
                                                           0xFF;  // 65535 bytes announced, the real path after it
                                                       return r;
                                                     }},
                                         DamagedCase{"NulInsideThePath",
                                                     [](std::vector<std::uint8_t> r) {
                                                       // The picture's whole path, a NUL, and more: read up to the NUL, it would
                                                       // name the picture.
                                                       const std::vector<std::uint8_t> more{0x00, '.', 'b', 'a', 'k'};
                                                       r.insert(r.end(), more.begin(), more.end());
                                                       const auto length = static_cast<std::uint16_t>(r.size() - 10);
                                                       r[8] = static_cast<std::uint8_t>(length & 0xFF);
                                                       r[9] = static_cast<std::uint8_t>(length >> 8);
                                                       return r;
                                                     }}),
                         [](const testing::TestParamInfo<DamagedCase>& test) { return std::string(test.param.name); });

// --- pictures that cannot be shown ----------------------------------------------------------

struct BadPictureCase {
  const char* name;
  const char* fixture;  // copied beside the program as bad-picture.jpg; none for a missing file
};

void PrintTo(const BadPictureCase& c, std::ostream* out) { *out << c.name; }

class BadPicture : public testing::TestWithParam<BadPictureCase> {};

TEST_P(BadPicture, GivesTheHelpPanelAtTheSavedPlaceAndIsForgottenAtTheDoubleClick) {
  const BadPictureCase& c = GetParam();
  App app;
  const std::string path = c.fixture ? AddFixture(app, c.fixture, "bad-picture.jpg")
                                     : WindowsPath(app, "bad-picture.jpg");
  const std::vector<std::uint8_t> saved = EncodeSettings({3000, 1500, Cp1252(path)});
  ASSERT_GT(saved.size(), EncodeSettings({0, 0, kNoPictureMarker}).size())
      << "the test needs a longer path than the marker";
  ASSERT_TRUE(StartWithSettings(app, saved));
  const Point place{200, 100};
  ASSERT_TRUE(WaitForPictureWindowAt(app, {place.x, place.y, kHelpWidth, kHelpHeight}));
  EXPECT_TRUE(ProbeDialogs().empty()) << "the picture is given up without a word";

  ASSERT_TRUE(DoubleClickAndWaitForTheEnd(app, HelpGround(place)));
  // The marker's record over the start of the old one; the old one's tail stays.
  EXPECT_EQ(app.ReadSettings(), WrittenOver(saved, {3000, 1500, kNoPictureMarker}));
}

INSTANTIATE_TEST_SUITE_P(Settings, BadPicture,
                         testing::Values(BadPictureCase{"Missing", nullptr}, BadPictureCase{"NotAPicture", "text.jpg"},
                                         BadPictureCase{"Empty", "empty.bmp"},
                                         BadPictureCase{"CutShort", "cut-short.png"},
                                         BadPictureCase{"ClaimingAnAbsurdSize", "huge20000.jpg"},
                                         BadPictureCase{"MetafileWithNoArea", "empty-frame.emf"},
                                         BadPictureCase{"WithoutADecoder", "webp46x36.webp"}),
                         [](const testing::TestParamInfo<BadPictureCase>& test) {
                           return std::string(test.param.name);
                         });

// --- a settings file that cannot be written -------------------------------------------------

// A file no one may write is read all the same: the saved place and picture come back, and the
// double click says that they cannot be saved there.
TEST(Settings, AReadOnlyFileIsReadAndAtTheDoubleClickAMessageNamesIt) {
  App app;
  const std::string picture = AddFixture(app, "bmp40x30.bmp");
  const std::vector<std::uint8_t> saved = EncodeSettings({3000, 1500, NativeTarget() ? picture : Cp1252(picture)});
  app.WriteSettings(saved);
  // Wine reports a file nobody may write as FILE_ATTRIBUTE_READONLY.
  ASSERT_EQ(chmod(app.SettingsFile().c_str(), 0444), 0) << std::strerror(errno);
  ParkPointer();
  app.Start();
  ASSERT_TRUE(app.WaitForWindow(kHelpTitle, nullptr));
  const Rect window{200, 100, 40, 30};
  ASSERT_TRUE(WaitForPictureWindowAt(app, window)) << "the saved picture at the saved place";
  EXPECT_TRUE(WaitForScreen(
      window, "the saved picture",
      [&](const Image& shot) {
        return SpotsHold(shot, {{"red", {window.x + 30, window.y + 22}, kRed, 8}});
      },
      "read-only"));

  DoubleClick({window.x + 30, window.y + 22});
  if (NativeTarget()) {
    ASSERT_TRUE(DismissNativeMessage());
  } else {
    DialogFacts message;
    ASSERT_TRUE(WaitForDialog(kMessageTitle, &message));
    SaveScreenshot(Capture(message.rect), "message");
    std::string text;
    for (const ControlFacts& control : message.controls) {
      if (control.className == "Static") text += control.text + "\n";
    }
    EXPECT_NE(text.find(WindowsPath(app, kSettingsFileName)), std::string::npos) << text;
    EXPECT_NE(text.find("Access denied."), std::string::npos) << text;
    EXPECT_TRUE(app.Running()) << "the program waits for the message to be read";
    ProbeClickButton(message, "OK");
  }
  ASSERT_TRUE(app.WaitForExit(10s));
  EXPECT_TRUE(app.Exit()->Exited()) << app.Exit()->Describe();
  EXPECT_EQ(app.ReadSettings(), saved);
}

// --- a record cut short within its numbers ----------------------------------------------------

struct ShortRecordCase {
  const char* name;
  std::size_t size;  // the first bytes of a record of 3000, 1500 and a path
  Point place;       // where the window shows
};

void PrintTo(const ShortRecordCase& c, std::ostream* out) { *out << c.size << " bytes"; }

class ShortRecord : public testing::TestWithParam<ShortRecordCase> {};

// Every whole number the file holds is kept, the default place stands for the rest, and the
// double click saves the place the window had.
TEST_P(ShortRecord, KeepsItsWholeNumbersAndTheDoubleClickSavesThePlace) {
  const ShortRecordCase& c = GetParam();
  App app;
  std::vector<std::uint8_t> saved = EncodeSettings({3000, 1500, "x.bmp"});
  saved.resize(c.size);
  ASSERT_TRUE(StartWithSettings(app, saved));
  ASSERT_TRUE(WaitForPictureWindowAt(app, {c.place.x, c.place.y, kHelpWidth, kHelpHeight}));
  ASSERT_TRUE(DoubleClickAndWaitForTheEnd(app, HelpGround(c.place)));
  EXPECT_EQ(ReadSettingsRecord(app),
            (SettingsRecord{c.place.x * kTwipsPerPixel, c.place.y * kTwipsPerPixel, kNoPictureMarker}));
}

INSTANTIATE_TEST_SUITE_P(Settings, ShortRecord,
                         testing::Values(ShortRecordCase{"ThreeBytes", 3, {23, 7}},
                                         ShortRecordCase{"TheLeftOnly", 7, {200, 7}},
                                         ShortRecordCase{"TheLeftAndTop", 9, {200, 100}}),
                         [](const testing::TestParamInfo<ShortRecordCase>& test) {
                           return std::string(test.param.name);
                         });

// --- a path that is not UTF-8 -----------------------------------------------------------------

// A Linux file name is bytes: one written under a Latin-1 locale shows, and the double click
// saves it as those bytes, so it comes back at the next start.
TEST(Settings, APathThatIsNotUtf8IsShownAndSavedAsItsBytes) {
  if (!NativeTarget()) GTEST_SKIP() << "a Windows path is always Unicode text";
  App app;
  const std::string name = "caf\xE9.bmp";  // "café" in Latin-1, not valid UTF-8
  std::filesystem::copy_file(std::filesystem::path(CORVANE_FIXTURES_DIR) / "bmp40x30.bmp", app.Folder() / name);
  const std::string path = (app.Folder() / name).string();
  ASSERT_TRUE(StartWithSettings(app, EncodeSettings({3000, 1500, path})));
  const Rect window{200, 100, 40, 30};
  ASSERT_TRUE(WaitForPictureWindowAt(app, window));
  MoveTo({window.x + 30, window.y + 22});
  ASSERT_TRUE(DoubleClickAndWaitForTheEnd(app, {window.x + 30, window.y + 22}));
  EXPECT_TRUE(app.Exit()->Exited()) << app.Exit()->Describe();
  EXPECT_EQ(ReadSettingsRecord(app), (SettingsRecord{3000, 1500, path}));
}

// --- the settings file under another name ---------------------------------------------------

struct NameCase {
  const char* name;
  const char* fileName;
  const char* dosAttributes;  // as Wine keeps them (user.DOSATTRIB), or none
};

void PrintTo(const NameCase& c, std::ostream* out) { *out << c.name; }

std::set<std::string> FilesIn(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

std::string DosAttributes(const std::filesystem::path& file) {
  char value[64] = {};
  const ssize_t size = getxattr(file.c_str(), "user.DOSATTRIB", value, sizeof value - 1);
  return size < 0 ? std::string() : std::string(value, static_cast<size_t>(size));
}

class SettingsFileName : public testing::TestWithParam<NameCase> {};

TEST_P(SettingsFileName, OfAnotherCaseOrHiddenIsReadAndWrittenInPlace) {
  const NameCase& c = GetParam();
  App app;
  const std::string path = Cp1252(AddFixture(app, "bmp40x30.bmp"));
  const std::filesystem::path file = app.Folder() / c.fileName;
  // 3001 twips: 200.07 pixels, stored back as 200 pixels (3000 twips) at the double click.
  const std::vector<std::uint8_t> saved = EncodeSettings({3001, 1500, path});
  AddFile(app, c.fileName, std::string(saved.begin(), saved.end()));
  if (c.dosAttributes) {
    ASSERT_EQ(setxattr(file.c_str(), "user.DOSATTRIB", c.dosAttributes, std::strlen(c.dosAttributes), 0), 0)
        << std::strerror(errno);
  }
  const std::set<std::string> before = FilesIn(app.Folder());
  ParkPointer();
  app.Start();
  ASSERT_TRUE(app.WaitForWindow(kHelpTitle, nullptr));
  ASSERT_TRUE(WaitForPictureWindowAt(app, {200, 100, 40, 30})) << "the saved place and picture";
  EXPECT_EQ(FilesIn(app.Folder()), before) << "no second settings file";

  ASSERT_TRUE(DoubleClickAndWaitForTheEnd(app, {225, 120}));
  EXPECT_EQ(FilesIn(app.Folder()), before) << "no second settings file";
  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> now((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(now, EncodeSettings({3000, 1500, path})) << "written in place";
  if (c.dosAttributes) {
    EXPECT_EQ(DosAttributes(file), c.dosAttributes) << "the attributes stay";
  }
}

INSTANTIATE_TEST_SUITE_P(Settings, SettingsFileName,
                         testing::Values(NameCase{"UpperCase", "CORVANE.INI", nullptr},
                                         NameCase{"Hidden", "corvane.ini", "0x2"},
                                         NameCase{"HiddenSystemMixedCase", "Corvane.Ini", "0x6"}),
                         [](const testing::TestParamInfo<NameCase>& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace corvane::e2e
