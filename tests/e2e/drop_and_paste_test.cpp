// A file dropped on the picture window (XDND from a source of the tests' own), and a picture
// pasted with Ctrl+V (put on the X clipboard by xclip, or on the Windows clipboard by a Windows
// program), are shown as if chosen in the Select dialog and come back at the next start.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <string>

#include "corvane.h"
#include "input.h"
#include "xdnd.h"

namespace corvane::e2e {
namespace {

namespace fs = std::filesystem;

// A second picture, of another size, whose name needs escaping in a URI.
constexpr char kSecondName[] = "second picture, 100%.bmp";
constexpr int kSecondWidth = 120;
constexpr int kSecondHeight = 90;
constexpr Rgb kSecondColours[4] = {Rgb::FromHex(0x20C0C0), Rgb::FromHex(0xC020C0), Rgb::FromHex(0x808080),
                                   Rgb::FromHex(0xF0A000)};

// The picture's four quadrants, seen at their centres, on the window at `window`.
testing::AssertionResult ShowsQuadrants(const Rect& window, const Rgb (&colours)[4], const std::string& label,
                                        int tolerance = kTolerance) {
  return WaitForScreen(
      window, "the picture's quadrants",
      [&](const Image& shot) -> testing::AssertionResult {
        for (int q = 0; q < 4; ++q) {
          const Point centre{window.x + window.width * (q % 2 == 0 ? 1 : 3) / 4,
                             window.y + window.height * (q < 2 ? 1 : 3) / 4};
          if (!Near(shot.At(centre), colours[q], tolerance)) {
            return testing::AssertionFailure() << "quadrant " << q << " at " << centre << " is " << shot.At(centre);
          }
        }
        return testing::AssertionSuccess();
      },
      label);
}

// Waits until the screen shows `colour` at `at`, on the window at `window`.
testing::AssertionResult ShowsColourAt(const Rect& window, Point at, Rgb colour, const std::string& label) {
  return WaitForScreen(
      window, "the frame",
      [&](const Image& shot) -> testing::AssertionResult {
        if (Near(shot.At(at), colour, kTolerance)) return testing::AssertionSuccess();
        return testing::AssertionFailure() << at << " is " << shot.At(at);
      },
      label);
}

// A PNG file's size and colour type (2 RGB, 6 RGB with alpha) from its header.
struct PngFacts {
  int width = 0;
  int height = 0;
  int colourType = -1;
};
PngFacts ReadPngFacts(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  unsigned char head[26] = {};
  in.read(reinterpret_cast<char*>(head), sizeof head);
  if (!in || head[1] != 'P' || head[12] != 'I') return {};
  const auto be32 = [&](int at) { return head[at] << 24 | head[at + 1] << 16 | head[at + 2] << 8 | head[at + 3]; };
  return {be32(16), be32(20), head[25]};
}

class DropAndPaste : public FirstStartWithAPicture {
 protected:
  Rect PictureAt(int width, int height) const { return {window_.rect.x, window_.rect.y, width, height}; }
  // On the help panel's ground, and on each picture of the suite.
  Point OnWindow() const { return {window_.rect.x + 20, window_.rect.y + 60}; }

  testing::AssertionResult DropFile(const fs::path& file, Point at) {
    return DropUriList(window_.id, at, "# from a test\r\n" + FileUri(file) + "\r\n");
  }

  // The pasted-*.png files in the program's folder.
  std::vector<std::string> PastedFiles() const {
    static const std::regex kName(R"(pasted-\d{8}-\d{6}(-\d+)?\.png)");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(app_.Folder())) {
      const std::string name = entry.path().filename().string();
      if (std::regex_match(name, kName)) names.push_back(name);
    }
    return names;
  }

  // Offers the file's bytes on the X clipboard as `type`, through xclip in the foreground, and
  // waits until the program's side can see them.
  void PutOnXClipboard(const std::string& type, const fs::path& file) {
    xclip_ = ChildProcess::Start({"xclip", "-quiet", "-selection", "clipboard", "-t", type, "-i", file.string()});
    ASSERT_TRUE(Eventually("xclip to own the clipboard", [&] {
      const CommandResult targets = RunCommand({"xclip", "-o", "-selection", "clipboard", "-t", "TARGETS"}, 10s);
      return targets.Succeeded() && targets.out.find(type) != std::string::npos;
    }));
    if (!NativeTarget()) WaitForWindowsClipboard(type == "image/png" ? "PNG" : "CF_HDROP");
  }

  // Runs clipboard_dib.exe with these arguments until the clipboard holds its bitmap.
  testing::AssertionResult PutOnWindowsClipboard(const std::vector<std::string>& args) {
    std::vector<std::string> argv{WineProgram(), CORVANE_CLIPBOARD_TOOL};
    argv.insert(argv.end(), args.begin(), args.end());
    const fs::path output = app_.Folder() / ".." / "clipboard_dib.out";
    fs::remove(output);
    windowsOwner_ = ChildProcess::Start(argv, {}, output);
    return Eventually(
        "the bitmap on the clipboard",
        [&] {
          std::ifstream in(output);
          std::string word;
          return in >> word && word == "ready";
        },
        60s);
  }

  void WaitForWindowsClipboard(const std::string& format) {
    ASSERT_TRUE(Eventually("the Windows clipboard to offer " + format, [&] {
      return RunCommand({WineProgram(), CORVANE_CLIPBOARD_TOOL, "has", format}, 30s).Succeeded();
    }));
  }

  // Ctrl+V with the pointer (and so, without a window manager, the keyboard) on the window.
  void Paste() {
    MoveTo(OnWindow());
    PressKey("Ctrl+v");
  }

  // Double-clicks the picture at `window` and checks the saved record names `path`.
  void SaveAndCheck(const Rect& window, const std::string& path) {
    DoubleClick({window.x + window.width / 2, window.y + window.height / 2});
    ASSERT_TRUE(app_.WaitForExit());
    const auto saved = ReadSettingsRecord(app_);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->path, NativeTarget() ? path : Cp1252(path));
    EXPECT_EQ(saved->left, window.x * kTwipsPerPixel);
  }

  // Starts a fresh copy of the program with this folder's settings and files.
  testing::AssertionResult BackAtTheNextStart(const Rect& window, const Rgb (&colours)[4]) {
    next_.emplace();
    for (const auto& entry : fs::directory_iterator(app_.Folder())) {
      if (entry.path().filename() != app_.Exe().filename())
        fs::copy(entry.path(), next_->Folder() / entry.path().filename());
    }
    next_->Start();
    if (auto shown = WaitForPictureWindowAt(*next_, window); !shown) return shown;
    return ShowsQuadrants(window, colours, "next-start");
  }

  ChildProcess xclip_;
  ChildProcess windowsOwner_;  // clipboard_dib.exe
  std::optional<App> next_;
};

TEST_F(DropAndPaste, AFileDroppedOnTheHelpPanelThenOnThePictureIsShownAndSavedAsIfChosen) {
  const Rect first = PictureAt(kQuadrantPictureWidth, kQuadrantPictureHeight);
  ASSERT_TRUE(DropFile(app_.Folder() / "pic.bmp", OnWindow()));
  ASSERT_TRUE(WaitForPictureWindowAt(app_, first));
  EXPECT_TRUE(ShowsQuadrants(first, kQuadrantColours, "on-the-help-panel"));

  const std::string second = AddFile(app_, kSecondName, MakeQuadrantBmp(kSecondWidth, kSecondHeight, kSecondColours));
  const Rect shown = PictureAt(kSecondWidth, kSecondHeight);
  ASSERT_TRUE(DropFile(app_.Folder() / kSecondName, {first.x + 30, first.y + 30}));
  ASSERT_TRUE(WaitForPictureWindowAt(app_, shown));
  EXPECT_TRUE(ShowsQuadrants(shown, kSecondColours, "on-the-picture"));

  SaveAndCheck(shown, second);
  EXPECT_TRUE(BackAtTheNextStart(shown, kSecondColours));
}

TEST_F(DropAndPaste, AFileThatIsNoPictureDroppedGetsTheSelectItemsMessageAndTheHelpPanelStays) {
  const std::string path = AddFile(app_, "notes.txt", "not a picture\n");
  ASSERT_TRUE(DropFile(app_.Folder() / "notes.txt", OnWindow()));
  if (NativeTarget()) {
    // The message is a dialog of its own over the help panel.
    EXPECT_TRUE(WaitForShownWindow(kMessageTitle, nullptr));
    EXPECT_TRUE(WaitForPictureWindowAt(app_, window_.rect));
    return;
  }
  DialogFacts box;
  std::string dropped;
  ASSERT_TRUE(WaitForOneLineMessage(&box, &dropped));
  EXPECT_NE(dropped.find(path), std::string::npos) << dropped;
  ASSERT_TRUE(DismissMessage(box));
  EXPECT_TRUE(WaitForPictureWindowAt(app_, window_.rect));

  // The same file through the Select item.
  WindowFacts menu;
  ASSERT_TRUE(OpenMenu(OnWindow(), &menu));
  Click(MenuItemPoint(menu.rect, MenuItem::Select));
  ASSERT_TRUE(WaitForDialog(kOpenDialogTitle));
  TypeText(path);
  PressKey("Return");
  ASSERT_TRUE(WaitForDialog(kMessageTitle, &box));
  EXPECT_EQ(MessageTexts(box), std::vector<std::string>{dropped});
  ASSERT_TRUE(DismissMessage(box));
  EXPECT_TRUE(app_.Running());
}

TEST_F(DropAndPaste, APngPastedIsSavedBesideTheSettingsShownAndBackAtTheNextStart) {
  AddConvertedPicture(app_, {(app_.Folder() / "pic.bmp").string()}, "copied.png");
  fs::rename(app_.Folder() / "copied.png", app_.Folder() / ".." / "copied.png");
  PutOnXClipboard("image/png", app_.Folder() / ".." / "copied.png");
  Paste();
  const Rect shown = PictureAt(kQuadrantPictureWidth, kQuadrantPictureHeight);
  ASSERT_TRUE(WaitForPictureWindowAt(app_, shown));
  EXPECT_TRUE(ShowsQuadrants(shown, kQuadrantColours, "pasted"));
  const std::vector<std::string> pasted = PastedFiles();
  ASSERT_EQ(pasted.size(), 1u);
  const PngFacts png = ReadPngFacts(app_.Folder() / pasted[0]);
  EXPECT_EQ(png.width, kQuadrantPictureWidth);
  EXPECT_EQ(png.height, kQuadrantPictureHeight);

  SaveAndCheck(shown, app_.ProgramPath(pasted[0]));
  EXPECT_TRUE(BackAtTheNextStart(shown, kQuadrantColours));
}

// A PNG whose chunk claims a gigabyte in a file of a few hundred bytes: refused as damaged,
// dropped and pasted alike, and the program goes on.
TEST_F(DropAndPaste, APngWhoseChunkClaimsAGigabyteIsRefusedAsDamagedDroppedAndPasted) {
  AddFixture(app_, "itxt-claims-1g.png");
  fs::copy_file(app_.Folder() / "itxt-claims-1g.png", app_.Folder() / ".." / "copied.png");
  const auto refusedAsDamaged = [&](const char* label) {
    SCOPED_TRACE(label);
    if (NativeTarget()) {
      ASSERT_TRUE(DismissNativeMessage());
    } else {
      DialogFacts box;
      ASSERT_TRUE(WaitForDialog(kMessageTitle, &box));
      const std::vector<std::string> lines = MessageTexts(box);
      EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("damaged") != std::string::npos;
      })) << testing::PrintToString(lines);
      ASSERT_TRUE(DismissMessage(box));
    }
    EXPECT_TRUE(WaitForPictureWindowAt(app_, window_.rect)) << "the help panel stays";
  };
  ASSERT_TRUE(DropFile(app_.Folder() / "itxt-claims-1g.png", OnWindow()));
  refusedAsDamaged("dropped");

  PutOnXClipboard("image/png", app_.Folder() / ".." / "copied.png");
  Paste();
  refusedAsDamaged("pasted");
  EXPECT_TRUE(PastedFiles().empty());
  EXPECT_TRUE(app_.Running());
}

// A PNG followed by 5000 bytes more and a GIF missing its trailer, as viewers show them: shown
// dropped, the PNG pasted too, and the pasted picture kept as the saved one.
TEST_F(DropAndPaste, APngWithBytesAfterItsEndAndAGifWithoutItsTrailerAreShownDroppedAndPasted) {
  AddFixture(app_, "trailing48x36.png");
  AddFixture(app_, "no-trailer42x32.gif");
  const Rect png = PictureAt(48, 36);
  const Rect gif = PictureAt(42, 32);
  const auto shows = [&](const Rect& window, const PixelSpot& spot, const std::string& label) {
    return WaitForScreen(
        window, label,
        [&](const Image& shot) {
          return SpotsHold(shot, {{spot.what, {window.x + spot.at.x, window.y + spot.at.y}, spot.colour, 4}});
        },
        label);
  };
  const PixelSpot blue{"opaque blue", {10, 20}, Rgb::FromHex(0x0000FF), 4};
  const PixelSpot orange{"orange", {20, 16}, Rgb::FromHex(0xFF8000), 4};

  ASSERT_TRUE(DropFile(app_.Folder() / "trailing48x36.png", OnWindow()));
  ASSERT_TRUE(WaitForPictureWindowAt(app_, png));
  EXPECT_TRUE(shows(png, blue, "dropped-png"));

  ASSERT_TRUE(DropFile(app_.Folder() / "no-trailer42x32.gif", {png.x + 20, png.y + 10}));
  ASSERT_TRUE(WaitForPictureWindowAt(app_, gif));
  EXPECT_TRUE(shows(gif, orange, "dropped-gif"));

  fs::copy_file(app_.Folder() / "trailing48x36.png", app_.Folder() / ".." / "copied.png");
  PutOnXClipboard("image/png", app_.Folder() / ".." / "copied.png");
  MoveTo({gif.x + 20, gif.y + 10});
  PressKey("Ctrl+v");
  ASSERT_TRUE(WaitForPictureWindowAt(app_, png));
  EXPECT_TRUE(shows(png, blue, "pasted-png"));
  const std::vector<std::string> pasted = PastedFiles();
  ASSERT_EQ(pasted.size(), 1u);
  SaveAndCheck(png, app_.ProgramPath(pasted[0]));
}

TEST_F(DropAndPaste, ACopiedFilePastedIsShownWhereItIsWithoutACopy) {
  const std::string second = AddFile(app_, kSecondName, MakeQuadrantBmp(kSecondWidth, kSecondHeight, kSecondColours));
  const fs::path list = app_.Folder() / ".." / "copied.uris";
  std::ofstream(list) << FileUri(app_.Folder() / kSecondName) << "\r\n";
  PutOnXClipboard("text/uri-list", list);
  Paste();
  const Rect shown = PictureAt(kSecondWidth, kSecondHeight);
  ASSERT_TRUE(WaitForPictureWindowAt(app_, shown));
  EXPECT_TRUE(ShowsQuadrants(shown, kSecondColours, "pasted-file"));
  EXPECT_TRUE(PastedFiles().empty());
  SaveAndCheck(shown, second);
}

TEST_F(DropAndPaste, APasteIntoAFolderThatCannotBeWrittenSaysSoAndThePictureStays) {
  AddConvertedPicture(app_, {(app_.Folder() / "pic.bmp").string()}, "copied.png");
  fs::rename(app_.Folder() / "copied.png", app_.Folder() / ".." / "copied.png");
  PutOnXClipboard("image/png", app_.Folder() / ".." / "copied.png");
  // Root writes anywhere: only an immutable folder takes no new file.
  if (!RunCommand({"chattr", "+i", app_.Folder().string()}, 10s).Succeeded())
    GTEST_SKIP() << "chattr +i is refused here";
  struct Unlock {
    fs::path folder;
    void operator()() const { RunCommand({"chattr", "-i", folder.string()}, 10s); }
    ~Unlock() { (*this)(); }
  } unlock{app_.Folder()};
  Paste();
  if (NativeTarget()) {
    // The message's own window, which takes the keyboard: Return is its OK button.
    ASSERT_TRUE(DismissNativeMessage());
  } else {
    DialogFacts box;
    std::string text;
    ASSERT_TRUE(WaitForOneLineMessage(&box, &text));
    EXPECT_NE(text.find("cannot save the pasted picture"), std::string::npos) << text;
    EXPECT_NE(text.find(app_.ProgramPath("pasted-")), std::string::npos) << text;
    ASSERT_TRUE(DismissMessage(box));
  }
  EXPECT_TRUE(WaitForPictureWindowAt(app_, window_.rect));
  EXPECT_TRUE(PastedFiles().empty());
  EXPECT_TRUE(app_.Running());

  // The same clipboard pastes once the folder takes files: the folder was the reason.
  unlock();
  Paste();
  EXPECT_TRUE(WaitForPictureWindowAt(app_, PictureAt(kQuadrantPictureWidth, kQuadrantPictureHeight)));
  EXPECT_EQ(PastedFiles().size(), 1u);
}

// A Windows program's copy: a bitmap as CF_DIB, and one with transparency as CF_DIBV5.
TEST_F(DropAndPaste, ABitmapCopiedByAWindowsProgramIsPastedWithItsTransparency) {
  if (NativeTarget()) GTEST_SKIP() << "the Windows clipboard's bitmaps";
  const auto hex = [](Rgb c) { return c.Hex().substr(1); };
  const std::vector<std::string> colours{hex(kSecondColours[0]), hex(kSecondColours[1]), hex(kSecondColours[2]),
                                         hex(kSecondColours[3])};
  const Rect shown = PictureAt(kSecondWidth, kSecondHeight);
  for (const bool alpha : {false, true}) {
    SCOPED_TRACE(alpha ? "CF_DIBV5 with alpha" : "CF_DIB");
    std::vector<std::string> args{std::to_string(kSecondWidth), std::to_string(kSecondHeight)};
    args.insert(args.end(), colours.begin(), colours.end());
    if (alpha) args.push_back("alpha");
    ASSERT_TRUE(PutOnWindowsClipboard(args));
    const std::vector<std::string> before = PastedFiles();
    Paste();
    std::string name;
    ASSERT_TRUE(Eventually("a new pasted file", [&] {
      for (const std::string& file : PastedFiles()) {
        if (std::find(before.begin(), before.end(), file) == before.end()) name = file;
      }
      return !name.empty();
    }));
    ASSERT_TRUE(WaitForPictureWindowAt(app_, shown));
    const PngFacts png = ReadPngFacts(app_.Folder() / name);
    EXPECT_EQ(png.width, kSecondWidth);
    EXPECT_EQ(png.height, kSecondHeight);
    EXPECT_EQ(png.colourType, alpha ? 6 : 2) << name;
    if (!alpha) {
      EXPECT_TRUE(ShowsQuadrants(shown, kSecondColours, "cf-dib"));
    } else {
      // The left half opaque; the right half half-way between its colour and the green ground.
      const auto blend = [](Rgb c, Rgb ground) {
        return Rgb{static_cast<std::uint8_t>((c.r + ground.r) / 2), static_cast<std::uint8_t>((c.g + ground.g) / 2),
                   static_cast<std::uint8_t>((c.b + ground.b) / 2)};
      };
      const Rgb expected[4] = {kSecondColours[0], blend(kSecondColours[1], kGroundGreen), kSecondColours[2],
                               blend(kSecondColours[3], kGroundGreen)};
      EXPECT_TRUE(ShowsQuadrants(shown, expected, "cf-dibv5-alpha", 8));
    }
    windowsOwner_.Kill();
  }
}

// A bitmap whose header claims 20000 x 20000 pixels, with 64 bytes of them: refused from the
// header, before anything is made for it, and the help panel stays.
TEST_F(DropAndPaste, ABitmapClaimingAnAbsurdSizeIsRefusedWithTheReason) {
  if (NativeTarget()) GTEST_SKIP() << "the Windows clipboard's bitmaps";
  ASSERT_TRUE(PutOnWindowsClipboard({"20000", "20000", "0", "0", "0", "0", "claim"}));
  Paste();
  DialogFacts box;
  std::string text;
  ASSERT_TRUE(WaitForOneLineMessage(&box, &text));
  EXPECT_NE(text.find("20000 x 20000 pixels"), std::string::npos) << text;
  ASSERT_TRUE(DismissMessage(box));
  EXPECT_TRUE(WaitForPictureWindowAt(app_, window_.rect));
  EXPECT_TRUE(PastedFiles().empty());
  EXPECT_TRUE(app_.Running());
}

// Ten thousand frames of 0 ms: the animation plays (each frame for 100 ms) and the program
// answers the mouse meanwhile.
TEST_F(DropAndPaste, ALongAnimationDroppedPlaysWhileTheMenuADragAndTheDoubleClickAnswer) {
  if (!NativeTarget()) GTEST_SKIP() << "the frame under Wine's unmanaged window is not seen yet";
  const std::string path = AddFixture(app_, "frames10000.gif");
  ASSERT_TRUE(DropFile(app_.Folder() / "frames10000.gif", OnWindow()));
  const Rect shown = PictureAt(40, 30);
  ASSERT_TRUE(WaitForPictureWindowAt(app_, shown));
  for (const Rgb colour : {kRed, kBlue})
    EXPECT_TRUE(ShowsColourAt(shown, {shown.x + 20, shown.y + 15}, colour, "long-animation"));
  // While it plays: the menu opens and closes, a drag moves the window, and the double click
  // saves the new place and ends.
  const Point middle{shown.x + 20, shown.y + 15};
  ASSERT_TRUE(OpenMenu(middle));
  PressKey("Alt+c");  // the Close item
  ASSERT_TRUE(WaitForNoMenu());
  const Point to{middle.x + 70, middle.y + 50};
  Drag(middle, to);
  const Rect moved{shown.x + 70, shown.y + 50, shown.width, shown.height};
  ASSERT_TRUE(WaitForPictureWindowAt(app_, moved));
  EXPECT_TRUE(ShowsColourAt(moved, {moved.x + 20, moved.y + 15}, kRed, "long-animation-moved"));
  SaveAndCheck(moved, path);
}

// A picture followed by gigabytes (a sparse file) is refused at once by its length, as any
// file beyond the limit: the message comes, and the program answers the double click after it.
TEST_F(DropAndPaste, AFileOfGigabytesThatStartsAsAPictureIsRefusedAndTheProgramAnswers) {
  AddConvertedPicture(app_, {(app_.Folder() / "pic.bmp").string()}, "huge.png");
  fs::resize_file(app_.Folder() / "huge.png", std::uintmax_t{3} << 30);
  ASSERT_TRUE(DropFile(app_.Folder() / "huge.png", OnWindow()));
  if (NativeTarget()) {
    ASSERT_TRUE(DismissNativeMessage());
  } else {
    DialogFacts box;
    std::string said;
    ASSERT_TRUE(WaitForOneLineMessage(&box, &said));
    EXPECT_NE(said.find("at most 1024 MB"), std::string::npos) << said;
    ASSERT_TRUE(DismissMessage(box));
  }
  DoubleClick(OnWindow());
  ASSERT_TRUE(app_.WaitForExit());
  const auto saved = ReadSettingsRecord(app_);
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->path, kNoPictureMarker) << "the help panel stays";
}

// An animation copied as a GIF is kept as the GIF it came as, and plays: a PNG would hold its
// first frame only. (The Windows clipboard offers a GIF to no program as such.)
TEST_F(DropAndPaste, AnAnimatedGifPastedIsKeptAsAGifAndPlays) {
  if (!NativeTarget()) GTEST_SKIP() << "the X clipboard's image/gif";
  fs::copy_file(fs::path(CORVANE_FIXTURES_DIR) / "frames10000.gif", app_.Folder() / ".." / "copied.gif");
  PutOnXClipboard("image/gif", app_.Folder() / ".." / "copied.gif");
  Paste();
  const Rect shown = PictureAt(40, 30);
  ASSERT_TRUE(WaitForPictureWindowAt(app_, shown));
  // Red and blue frames in turn, seen below the link label.
  for (const Rgb colour : {kRed, kBlue, kRed})
    EXPECT_TRUE(ShowsColourAt(shown, {shown.x + 20, shown.y + 22}, colour, "pasted-animation"));
  std::vector<std::string> kept;
  for (const auto& entry : fs::directory_iterator(app_.Folder())) {
    if (std::regex_match(entry.path().filename().string(), std::regex(R"(pasted-\d{8}-\d{6}\.gif)")))
      kept.push_back(entry.path().filename().string());
  }
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(fs::file_size(app_.Folder() / kept[0]), fs::file_size(app_.Folder() / ".." / "copied.gif"));
  SaveAndCheck(shown, app_.ProgramPath(kept[0]));
}

}  // namespace
}  // namespace corvane::e2e
