// Corvane.exe's command line: --help, --version and a mistake answer at once, on the output the
// program was started with (a pipe or a file), or in a message box when none takes it; and
// the pictures a start names open as pins, in the Corvane already running when there is one.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "corvane.h"
#include "version.h"

namespace corvane::e2e {
namespace {

constexpr char kUsageStart[] = "Usage: Corvane.exe [PICTURE...]\n";
constexpr char kSettingsPlace[] = "corvane.ini beside Corvane.exe";
constexpr char kVersionLine[] = "Corvane " CORVANE_VERSION_TEXT "\n";

struct Answer {
  const char* what;
  std::vector<std::string> args;
  int code;
  std::string out;  // exactly, or when it starts with the usage, the start of the text
  std::string err;  // the first line of the error output; empty when there is none
};

const std::vector<Answer>& Answers() {
  static const std::vector<Answer> answers = {
      {"--help", {"--help"}, 0, kUsageStart, ""},
      {"-h", {"-h"}, 0, kUsageStart, ""},
      {"/?", {"/?"}, 0, kUsageStart, ""},
      {"--version", {"--version"}, 0, kVersionLine, ""},
      {"--version after a picture", {"a.png", "--version"}, 0, kVersionLine, ""},
      {"--bogus", {"--bogus"}, 2, "", "Corvane.exe: unknown option '--bogus'"},
  };
  return answers;
}

// The error output's first line; the usage follows it.
std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

void ExpectAnswered(const Answer& a, const std::string& out, const std::string& err) {
  if (std::string(a.out) == kUsageStart) {
    EXPECT_EQ(out.rfind(kUsageStart, 0), 0u) << out;
    EXPECT_NE(out.find(kSettingsPlace), std::string::npos) << out;
  } else {
    EXPECT_EQ(out, a.out);
  }
  if (a.err.empty()) {
    EXPECT_EQ(err, "");
  } else {
    EXPECT_EQ(FirstLine(err), a.err);
    EXPECT_NE(err.find(kUsageStart), std::string::npos) << err;
  }
}

TEST(CommandLine, EachOptionAnswersOnAPipeWithItsExitCodeAndStartsNothing) {
  for (const Answer& a : Answers()) {
    SCOPED_TRACE(a.what);
    App app;
    std::vector<std::string> argv = app.Command();
    argv.insert(argv.end(), a.args.begin(), a.args.end());
    const CommandResult result = RunCommand(argv, 60s);
    ASSERT_TRUE(result.status.has_value()) << "Corvane.exe still ran at the deadline";
    ASSERT_TRUE(result.status->Exited()) << result.status->Describe();
    EXPECT_EQ(result.status->code, a.code);
    ExpectAnswered(a, result.out, result.err);
    EXPECT_FALSE(app.ReadSettings().has_value()) << "the answer started the program";
  }
}

TEST(CommandLine, TheAnswerGoesToAFileTheOutputIsRedirectedTo) {
  App app;
  const std::filesystem::path file = app.Folder() / "answer.txt";
  std::vector<std::string> argv = app.Command();
  argv.push_back("--version");
  ChildProcess process = ChildProcess::Start(argv, app.Folder(), file);
  const auto status = process.Wait(60s);
  ASSERT_TRUE(status.has_value()) << "Corvane.exe still runs";
  EXPECT_EQ(status->code, 0) << status->Describe();
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), kVersionLine);
}

TEST(CommandLine, WithNoOutputThatTakesItTheAnswerShowsInAMessageBox) {
  for (const Answer& a : Answers()) {
    SCOPED_TRACE(a.what);
    App app;
    // Standard output and error open for reading only: they take nothing, and there is no
    // console to attach to. (Closed ones would not do: Wine would hand their numbers to files
    // of its own.)
    std::vector<std::string> argv = {"sh", "-c", "exec \"$@\" 1</dev/null 2</dev/null", "sh"};
    for (const std::string& part : app.Command()) argv.push_back(part);
    argv.insert(argv.end(), a.args.begin(), a.args.end());
    ChildProcess process = ChildProcess::Start(argv, app.Folder());
    DialogFacts box;
    ASSERT_TRUE(WaitForDialog(kMessageTitle, &box));
    const std::vector<std::string> texts = MessageTexts(box);
    ASSERT_EQ(texts.size(), 1u);
    const std::string& text = texts[0];
    if (a.code == 0) {
      // The box shows the text without the line break that ends it on an output.
      ExpectAnswered(a, text + "\n", "");
    } else {
      ExpectAnswered(a, "", text);
    }
    ProbeClickButton(box, "OK");
    const auto status = process.Wait(30s);
    ASSERT_TRUE(status.has_value()) << "Corvane.exe still runs after its message box";
    EXPECT_EQ(status->code, a.code) << status->Describe();
  }
}

// Whether one of the pins shows a picture of this size.
bool PinOfSize(const App& app, int width, int height) {
  for (const XTopLevel& pin : ShownPins(app)) {
    if (pin.rect.width == width && pin.rect.height == height) return true;
  }
  return false;
}

TEST(CommandLine, APictureNamedAtAFirstStartShowsInTheFirstPin) {
  App app;
  AddFixture(app, "bmp40x30.bmp");
  // Relative to the folder it was started in.
  app.Start({"bmp40x30.bmp"});
  ASSERT_TRUE(Eventually("a pin showing the 40x30 picture", [&] { return PinOfSize(app, 40, 30); }));
  EXPECT_EQ(ShownPins(app).size(), 1u);
}

TEST(CommandLine, ASecondStartHandsItsPicturesToTheRunningCorvaneAndEnds) {
  App first;
  first.Start();
  ASSERT_TRUE(first.WaitForWindow(kHelpTitle, nullptr));

  App second;
  AddFixture(second, "bmp40x30.bmp");
  // A relative name, made whole against the second start's own folder.
  second.Start({"bmp40x30.bmp"});
  ASSERT_TRUE(second.WaitForExit(20s));
  EXPECT_TRUE(second.Exit()->Exited()) << second.Exit()->Describe();
  EXPECT_EQ(second.Exit()->code, 0);

  ASSERT_TRUE(Eventually("a new pin showing the 40x30 picture", [&] { return PinOfSize(first, 40, 30); }));
  EXPECT_EQ(ShownPins(first).size(), 2u);
  EXPECT_TRUE(first.Running());
}

}  // namespace
}  // namespace corvane::e2e
