// The Linux program's own decisions: the face for the layouts' sizes, the kept font answers,
// where the settings file goes, the single-instance lock and double clicks; the owners of its
// handles and the errors of its file steps.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/gtk/click_counter.h"
#include "platform/gtk/font_cache.h"
#include "platform/gtk/font_map.h"
#include "platform/gtk/instance_lock.h"
#include "platform/gtk/posix_scoped.h"
#include "platform/gtk/settings_place.h"
#include "platform/gtk/uri_list.h"

namespace corvane::gtk::testing {
namespace {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "corvane-gtk-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

TEST(FaceChoice, TheLayoutsSizesBecomeGdiPixelHeightsInAWidthCompatibleSans) {
  struct Case {
    float points;
    double dpi;
    int pixels;
  };
  const Case cases[] = {
      {8.25f, 96, 11},  {9.75f, 96, 13}, {12, 96, 16}, {13.5f, 96, 18},  // the layouts' sizes at 100 %
      {8.25f, 144, 17}, {12, 144, 24},                                   // a 150 % screen
      {8.25f, 0, 11},                                                    // an unknown resolution counts as 96
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.points) + " pt at " + std::to_string(c.dpi));
    const FaceChoice face = ChooseFace({c.points, false, false}, c.dpi);
    EXPECT_EQ(face.pixelSize, c.pixels);
    EXPECT_EQ(face.families.rfind("Liberation Sans,", 0), 0u) << "Arial's widths come first";
    EXPECT_NE(face.families.find("sans-serif"), std::string::npos) << "some sans always answers";
  }
  const FaceChoice link = ChooseFace({12, true, true}, 96);
  EXPECT_TRUE(link.bold);
  EXPECT_TRUE(link.underline);
  EXPECT_EQ(ChooseFace({0.1f, false, false}, 96).pixelSize, 1) << "never a zero-pixel face";
}

FontAnswers SomeAnswers(const TempFolder& temp) {
  std::ofstream(temp / "fonts.conf") << "<fontconfig/>";
  fs::create_directory(temp / "fonts");
  FontAnswers answers;
  answers.context = "fontconfig 21401 cairo 1.16.0 HOME=/home/ann";
  answers.stamps = {StampOf(temp / "fonts.conf"), StampOf(temp / "fonts"), StampOf(temp / "user.conf")};
  answers.faces[":pixelsize=16:weight=200"] = ":file=/usr/share/fonts/a b.ttf:index=0:antialias=True";
  answers.faces[":pixelsize=13:weight=80"] = ":file=/usr/share/fonts/c\\:d.ttf:hintstyle=1";
  return answers;
}

TEST(FontAnswers, AreReadBackAsWrittenAndAMissingFolderIsMade) {
  TempFolder temp;
  const FontAnswers answers = SomeAnswers(temp);
  EXPECT_TRUE(answers.stamps[0].exists);
  EXPECT_FALSE(answers.stamps[2].exists) << "an absent file has a stamp too";
  const std::string path = temp / "cache/corvane/fonts";
  ASSERT_TRUE(WriteFontAnswers(path, answers));
  EXPECT_EQ(fs::status(temp / "cache/corvane").permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_EQ(ReadFontAnswers(path), answers);
  for (const auto& entry : fs::directory_iterator(temp / "cache/corvane")) {
    EXPECT_EQ(entry.path().filename(), "fonts") << "no temporary file is left behind";
  }
  EXPECT_EQ(ReadFontAnswers(temp / "missing"), std::nullopt);

  // The same answers padded past the largest file a start reads.
  FontAnswers padded = answers;
  padded.context.append(kLargestFile, 'x');
  ASSERT_TRUE(WriteFontAnswers(path, padded));
  EXPECT_EQ(ReadFontAnswers(path), std::nullopt);

  // Only a regular file is read: a folder or a FIFO in its place (nobody writing) is nothing,
  // and reading it does not wait.
  EXPECT_EQ(ReadFontAnswers(temp / "cache"), std::nullopt);
  const std::string fifo = temp / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadFontAnswers(fifo), std::nullopt);
}

TEST(FontAnswers, AFileNotWhollyOfTheFormatIsNotUsed) {
  TempFolder temp;
  const std::string text = FormatFontAnswers(SomeAnswers(temp));
  ASSERT_TRUE(ParseFontAnswers(text).has_value());
  const std::string header = text.substr(0, text.find('\n') + 1);
  const std::string cases[] = {
      "",
      text.substr(0, text.size() - 4),  // cut short: no end line
      text.substr(0, text.size() - 1),  // cut within the end line
      text + "face\ta\tb\n",            // something after the end
      "corvane font answers 2" + text.substr(text.find('\n')),
      header + "end\n",  // no context
      header + "context\tx\nstamp\t/a\t1\t12x\t3\nend\n",
      header + "context\tx\nstamp\t/a\t2\t1\t3\nend\n",
      header + "context\tx\nstamp\t/a\t1\t99999999999999999999\t3\nend\n",
      header + "context\tx\nface\t\tb\nend\n",
      header + "context\tx\nface\ta\tb\tc\nend\n",
      header + "context\tx\ncontext\ty\nend\n",
      header + "context\tx\nsomething\nend\n",
  };
  for (const std::string& bad : cases) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(ParseFontAnswers(bad), std::nullopt);
  }
  FontAnswers unstorable = SomeAnswers(temp);
  unstorable.faces["a"] = "b\nface\tc\td";
  EXPECT_EQ(FormatFontAnswers(unstorable), "") << "a line break inside a field would make another line";
  EXPECT_FALSE(WriteFontAnswers(temp / "fonts-unstorable", unstorable));
  EXPECT_FALSE(fs::exists(temp / "fonts-unstorable"));
}

TEST(FontAnswers, HoldOnlyWhileEveryStampedFileIsAsItWas) {
  TempFolder temp;
  const FontAnswers answers = SomeAnswers(temp);
  EXPECT_TRUE(StampsHold(answers.stamps));
  EXPECT_TRUE(StampsHold({}));

  const auto later = [](const std::string& path) {
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(2));
  };
  struct Case {
    const char* what;
    std::function<void()> change;
    std::function<void()> undo;
  };
  const Case cases[] = {
      {"a configuration file edited", [&] { later(temp / "fonts.conf"); }, [] {}},
      {"a configuration file of another size",
       [&] { std::ofstream(temp / "fonts.conf") << "<fontconfig></fontconfig>"; }, [] {}},
      {"a font added to a font folder", [&] { std::ofstream(temp / "fonts/new.ttf") << "x"; }, [] {}},
      {"a user's configuration made", [&] { std::ofstream(temp / "user.conf") << "<fontconfig/>"; },
       [&] { fs::remove(temp / "user.conf"); }},
      {"a configuration file removed", [&] { fs::remove(temp / "fonts.conf"); }, [] {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const FontAnswers fresh = SomeAnswers(temp);
    ASSERT_TRUE(StampsHold(fresh.stamps));
    c.change();
    EXPECT_FALSE(StampsHold(fresh.stamps));
    c.undo();
  }
}

TEST(FontAnswers, LiveInTheUsersCacheFolder) {
  EXPECT_EQ(FontAnswersPath("/home/ann/.c", "/home/ann"), "/home/ann/.c/corvane/fonts");
  EXPECT_EQ(FontAnswersPath("/home/ann/.c//", "/home/ann"), "/home/ann/.c/corvane/fonts");
  EXPECT_EQ(FontAnswersPath(nullptr, "/home/ann"), "/home/ann/.cache/corvane/fonts");
  EXPECT_EQ(FontAnswersPath("", "/home/ann"), "/home/ann/.cache/corvane/fonts");
  EXPECT_EQ(FontAnswersPath("relative", "/home/ann"), "/home/ann/.cache/corvane/fonts") << "not absolute: ignored";
  EXPECT_EQ(FontAnswersPath(nullptr, nullptr), "");
  EXPECT_EQ(FontAnswersPath(nullptr, "relative"), "") << "no place to keep them";
}

TEST(SettingsPlace, BesideTheProgramWhenItsFolderIsWritableElseInTheUsersConfigFolder) {
  struct Case {
    SettingsPlaceFacts facts;
    std::string folder;
  };
  const Case cases[] = {
      {{"/opt/corvane", true, "/home/ann/.cfg", "/home/ann"}, "/opt/corvane"},
      {{"/usr/bin", false, "/home/ann/.cfg", "/home/ann"}, "/home/ann/.cfg/corvane"},
      {{"/usr/bin", false, "/home/ann/.cfg/", "/home/ann"}, "/home/ann/.cfg/corvane"},
      {{"/usr/bin", false, "", "/home/ann"}, "/home/ann/.config/corvane"},
      {{"/usr/bin", false, "relative/cfg", "/home/ann"}, "/home/ann/.config/corvane"},  // not absolute: ignored
      {{"/usr/bin", false, "/", "/home/ann"}, "/corvane"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.facts.programFolder + " " + c.facts.xdgConfigHome);
    EXPECT_EQ(SettingsFolder(c.facts), c.folder);
  }
}

TEST(SettingsPlace, TheFactsComeFromTheFolderAndTheEnvironmentAndMissingFoldersAreMade) {
  TempFolder temp;
  EXPECT_TRUE(CurrentSettingsPlaceFacts(temp.Path()).programFolderWritable);
  fs::permissions(temp.Path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  if (geteuid() != 0) {
    EXPECT_FALSE(CurrentSettingsPlaceFacts(temp.Path()).programFolderWritable);
  }
  fs::permissions(temp.Path(), fs::perms::owner_all, fs::perm_options::add);

  setenv("XDG_CONFIG_HOME", (temp / "config").c_str(), 1);
  EXPECT_EQ(CurrentSettingsPlaceFacts("/x").xdgConfigHome, temp / "config");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(CurrentSettingsPlaceFacts("/x").xdgConfigHome, "");

  const std::string deep = temp / "config/corvane";
  MakeFolders(deep);
  EXPECT_TRUE(fs::is_directory(deep));
  MakeFolders(deep);  // already there: nothing to do
  std::ofstream(temp / "file") << "x";
  EXPECT_THROW(MakeFolders(temp / "file/corvane"), Error) << "a file where a folder must go";
}

TEST(SettingsPlace, AFileStepThatFailsNamesTheCallAndThePath) {
  TempFolder temp;
  std::ofstream(temp / "taken") << "kept";
  struct Case {
    const char* what;
    std::string path;
    const char* call;
    int code;
  };
  const Case cases[] = {
      {"an existing file is never replaced", temp / "taken", "open", EEXIST},
      {"a missing folder", temp / "missing/new.png", "open", ENOENT},
      {"a file where a folder must go", temp / "taken/new.png", "open", ENOTDIR},
  };
  for (const Case& c : cases) {
    try {
      WriteNewFile(c.path, "bytes", 0644);
      ADD_FAILURE() << c.what << ": written";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), std::string(c.call) + " failed on " + c.path + ": " + std::strerror(c.code))
          << c.what;
    }
  }
  std::ifstream kept(temp / "taken");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "kept");

  try {
    MakeFolders(temp / "taken/corvane");
    ADD_FAILURE() << "a folder made inside a file";
  } catch (const Error& e) {
    const std::string text = e.what();
    EXPECT_NE(text.find(temp / "taken/corvane"), std::string::npos) << text;
    EXPECT_NE(text.find("mkdir"), std::string::npos) << text;
  }

  const std::string written = temp / "new.png";
  WriteNewFile(written, "bytes", 0600);
  std::ifstream in(written);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "bytes");
  EXPECT_EQ(fs::status(written).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

// A stand-in handle type whose releases are recorded.
std::vector<int> released;
void RecordRelease(int handle) { released.push_back(handle); }
using Recorded = Scoped<int, RecordRelease, -1>;

TEST(Scoped, EachHandleIsReleasedOnceByWhicheverOwnerHoldsItLast) {
  struct Case {
    const char* what;
    std::function<void()> steps;
    std::vector<int> releases;
  };
  const Case cases[] = {
      {"at the end of its owner", [] { const Recorded a(1); }, {1}},
      {"an empty owner releases nothing", [] { const Recorded a; }, {}},
      {"moved: by the new owner only",
       [] {
         Recorded a(2);
         const Recorded b(std::move(a));
         EXPECT_FALSE(a);
         EXPECT_EQ(b.Get(), 2);
       },
       {2}},
      {"moved over another: the replaced one at once",
       [] {
         Recorded a(3);
         Recorded b(4);
         b = std::move(a);
         EXPECT_EQ(released, std::vector<int>{4});
       },
       {4, 3}},
      {"given up: never",
       [] {
         Recorded a(5);
         EXPECT_EQ(a.Take(), 5);
         EXPECT_FALSE(a);
       },
       {}},
      {"reset: the old at once, the new at the end",
       [] {
         Recorded a(6);
         a.Reset(7);
         EXPECT_EQ(released, std::vector<int>{6});
       },
       {6, 7}},
      {"put: the old at once, the one written through the pointer at the end",
       [] {
         Recorded a(8);
         *a.Put() = 9;
         EXPECT_EQ(released, std::vector<int>{8});
       },
       {8, 9}},
      {"zero is a handle when the empty mark is -1", [] { const Recorded a(0); }, {0}},
  };
  for (const Case& c : cases) {
    released.clear();
    c.steps();
    EXPECT_EQ(released, c.releases) << c.what;
  }
}

TEST(Scoped, FileOwnersCloseWhatTheyHold) {
  TempFolder temp;
  int fd = -1;
  {
    const ScopedFd owned(open((temp / "f").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    ASSERT_TRUE(owned);
    fd = owned.Get();
    EXPECT_NE(fcntl(fd, F_GETFD), -1);
  }
  errno = 0;
  EXPECT_EQ(fcntl(fd, F_GETFD), -1) << "closed with its owner";
  EXPECT_EQ(errno, EBADF);

  {
    const ScopedFile file(std::fopen((temp / "f").c_str(), "we"));
    ASSERT_TRUE(file);
    std::fputs("flushed", file.Get());
  }
  std::ifstream in(temp / "f");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "flushed") << "closed, so written out";
}

TEST(InstanceLock, TheLockFileIsPerRuntimeFolderAndDisplay) {
  EXPECT_EQ(InstanceLockPath("/run/user/1000", ":0", 1000), "/run/user/1000/corvane-_0.lock");
  EXPECT_EQ(InstanceLockPath("/run/user/1000/", "localhost:10.0", 1000), "/run/user/1000/corvane-localhost_10.0.lock");
  EXPECT_EQ(InstanceLockPath("/run/user/1000", "../../etc/x", 1000), "/run/user/1000/corvane-.._.._etc_x.lock")
      << "a display name never leaves the folder";
  EXPECT_EQ(InstanceLockPath("", ":1", 1000), "/tmp/corvane-1000-_1.lock");
  EXPECT_EQ(InstanceLockPath("relative", ":1", 7), "/tmp/corvane-7-_1.lock");
  EXPECT_NE(InstanceLockPath("/run/user/1000", ":0", 1000), InstanceLockPath("/run/user/1000", ":1", 1000));
}

TEST(InstanceLock, TheFirstHolderIsAloneAndTheNextSeesIt) {
  TempFolder temp;
  const std::string path = temp / "corvane-_0.lock";
  auto first = std::make_unique<InstanceLock>(path);
  EXPECT_FALSE(first->AnotherInstanceRuns());
  {
    const InstanceLock second(path);
    EXPECT_TRUE(second.AnotherInstanceRuns());
  }
  first.reset();
  const InstanceLock third(path);
  EXPECT_FALSE(third.AnotherInstanceRuns()) << "released when the holder goes";
}

TEST(InstanceLock, ALeftoverFileOrADeadHolderNeverBlocksAStart) {
  TempFolder temp;
  const std::string path = temp / "corvane-_0.lock";
  std::ofstream(path) << "12345\n";  // a file from a program that crashed
  EXPECT_FALSE(InstanceLock(path).AnotherInstanceRuns());

  // A holder that dies without cleaning up: the kernel drops its lock.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const InstanceLock held(path);
    std::abort();
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_FALSE(InstanceLock(path).AnotherInstanceRuns());
}

TEST(InstanceLock, ProgramsStartedFromCorvaneDoNotKeepTheLock) {
  TempFolder temp;
  const InstanceLock lock(temp / "corvane-_0.lock");
  ASSERT_GE(lock.Descriptor(), 0);
  EXPECT_NE(fcntl(lock.Descriptor(), F_GETFD) & FD_CLOEXEC, 0);
}

TEST(InstanceLock, ALockThatCannotBeMadeLetsTheProgramStart) {
  const InstanceLock lock("/nonexistent-folder/corvane-_0.lock");
  EXPECT_FALSE(lock.AnotherInstanceRuns());
}

TEST(ClickCounter, ASecondPressOfTheSameButtonSoonAndNearIsADoubleClick) {
  const ClickRules rules{400, 5};
  struct Press {
    int button;
    PixelPoint at;
    std::uint32_t time;
    bool twice;
  };
  const Press story[] = {
      {1, {10, 10}, 1000, false},     {1, {12, 13}, 1300, true},   // within time and distance
      {1, {12, 13}, 1400, false},                                  // a third press starts afresh
      {1, {12, 13}, 1801, false},                                  // too late after the last
      {2, {12, 13}, 1900, false},                                  // another button
      {1, {12, 13}, 2000, false},     {1, {18, 13}, 2100, false},  // too far
      {1, {18, 13}, 2200, true},      {1, {0, 0}, 0xFFFFFF00u, false},
      {1, {0, 0}, 0x00000010u, true},  // the server's clock wrapped between the presses
  };
  ClickCounter counter;
  for (const Press& p : story) {
    SCOPED_TRACE(std::to_string(p.time));
    EXPECT_EQ(counter.Press(p.button, p.at, p.time, rules), p.twice);
  }
}

TEST(UriList, FileUrisOnThisComputerBecomePathsWithTheirEscapesDecoded) {
  struct Case {
    const char* uri;
    std::optional<std::string> path;
  };
  const Case cases[] = {
      {"file:///home/ann/cat.png", "/home/ann/cat.png"},
      {"file://localhost/tmp/a%20b%2Cc.png", "/tmp/a b,c.png"},
      {"FILE://LocalHost/tmp/x.png", "/tmp/x.png"},
      {"file://desk7/tmp/x.png", "/tmp/x.png"},  // this computer's own name
      {"file:///tmp/%E6%97%A5%e6%9c%ac.png", "/tmp/\xE6\x97\xA5\xE6\x9C\xAC.png"},
      {"file:///tmp/100%25.png", "/tmp/100%.png"},
      {"file://server/share/x.png", std::nullopt},  // another computer
      {"http://example.com/x.png", std::nullopt},
      {"sftp:///tmp/x.png", std::nullopt},
      {"file:x.png", std::nullopt},
      {"file://", std::nullopt},
      {"file:///tmp/bad%2.png", std::nullopt},
      {"file:///tmp/bad%zz.png", std::nullopt},
      {"file:///tmp/end%4", std::nullopt},
      {"file:///tmp/nul%00.png", std::nullopt},
      {"file:///tmp/x.png?size=2", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.uri);
    EXPECT_EQ(LocalPathOfUri(c.uri, "desk7"), c.path);
  }
}

TEST(UriList, ListsKeepTheirOrderAndSkipCommentsBlankLinesAndOtherComputers) {
  const std::string list =
      "# dropped by a file manager\r\n"
      "file:///tmp/first.png\r\n"
      "\r\n"
      "https://example.com/web.png\r\n"
      "  file:///tmp/second%20one.gif  \n"
      "file:///tmp/third.jpg";
  EXPECT_EQ(LocalPathsOfUriList(list),
            (std::vector<std::string>{"/tmp/first.png", "/tmp/second one.gif", "/tmp/third.jpg"}));
  EXPECT_TRUE(LocalPathsOfUriList("").empty());
  EXPECT_TRUE(LocalPathsOfUriList("http://example.com/x.png\r\n").empty());
}

}  // namespace
}  // namespace corvane::gtk::testing
