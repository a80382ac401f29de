// The command line both programs take, and the message a second start hands over.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <optional>

#include "app/hand_over.h"
#include "platform/platform.h"

namespace corvane::testing {
namespace {

TEST(CommandLine, TakesPicturesAndAnswersHelpVersionAndMistakes) {
  using Action = CommandLine::Action;
  struct Case {
    std::vector<std::string> arguments;
    Action action;
    std::vector<std::string> paths;
    std::string mistake;
  };
  const Case cases[] = {
      {{}, Action::Run, {}, ""},
      {{"a.png", "C:\\b c.jpg"}, Action::Run, {"a.png", "C:\\b c.jpg"}, ""},
      {{"--help"}, Action::Help, {}, ""},
      {{"a.png", "-h"}, Action::Help, {}, ""},
      {{"/?"}, Action::Help, {}, ""},
      {{"--version", "--help"}, Action::Version, {}, ""},
      {{"--frobnicate", "a.png"}, Action::Mistake, {}, "unknown option '--frobnicate'"},
      {{"-x"}, Action::Mistake, {}, "unknown option '-x'"},
      {{"--", "--help", "-"}, Action::Run, {"--help", "-"}, ""},
      {{"-", ""}, Action::Run, {"-"}, ""},
  };
  for (const Case& c : cases) {
    const CommandLine line = ParseCommandLine(c.arguments);
    EXPECT_EQ(line.action, c.action);
    EXPECT_EQ(line.paths, c.paths);
    EXPECT_EQ(line.mistake, c.mistake);
  }
}

TEST(CommandLine, TakesTheClickThroughRequestAlongsidePictures) {
  struct Case {
    std::vector<std::string> arguments;
    std::optional<ClickThroughRequest> request;
    std::string mistake;
  };
  const Case cases[] = {
      {{"--click-through=off"}, ClickThroughRequest::Off, ""},
      {{"a.png", "--click-through=on"}, ClickThroughRequest::On, ""},
      {{"--click-through=on", "--click-through=toggle"}, ClickThroughRequest::Toggle, ""},
      {{"--click-through"}, std::nullopt, "--click-through needs a value: --click-through=off, =on or =toggle"},
      {{"--click-through=maybe"}, std::nullopt, "unknown value 'maybe' of --click-through (off, on or toggle)"},
      {{"--click-through="}, std::nullopt, "unknown value '' of --click-through (off, on or toggle)"},
      {{"--click-throughs=on"}, std::nullopt, "unknown option '--click-throughs=on'"},
      {{"--", "--click-through=on"}, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    const CommandLine line = ParseCommandLine(c.arguments);
    EXPECT_EQ(line.clickThrough, c.request) << c.arguments.back();
    EXPECT_EQ(line.mistake, c.mistake) << c.arguments.back();
    EXPECT_EQ(line.action, c.mistake.empty() ? CommandLine::Action::Run : CommandLine::Action::Mistake);
  }
  EXPECT_EQ(ParseCommandLine({"a.png", "--click-through=off"}).paths, std::vector<std::string>{"a.png"});
}

TEST(CommandLine, TheUsageNamesThePicturesTheOptionsAndTheSettings) {
  const std::string usage = UsageText("corvane", "Settings: ~/.config/corvane/corvane.ini.");
  for (const char* part : {"Usage: corvane [PICTURE...]", "--help", "--version", "--click-through=off|on|toggle",
                           "~/.config/corvane/corvane.ini"})
    EXPECT_NE(usage.find(part), std::string::npos) << part;
  EXPECT_EQ(VersionText(), "Corvane 1.00");
}

TEST(HandOver, RoundTripsAndRefusesEverythingElse) {
  const HandOver two{kOpenVerb, {"C:\\ads\\box.png", "/home/me/caf\xC3\xA9.png"}};
  EXPECT_EQ(DecodeHandOver(EncodeHandOver(two)), two);
  EXPECT_EQ(DecodeHandOver(EncodeHandOver({kOpenVerb, {}})), (HandOver{kOpenVerb, {}}));
  const std::string good = EncodeHandOver(two);
  const std::string prefix("corvane\0open\0", 13);
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case refused[] = {
      {"nothing", ""},
      {"another prefix", "Corvane" + good.substr(7)},
      {"another verb", std::string("corvane\0close\0a\0", 16)},
      {"no verb terminator", std::string("corvane\0open", 12)},
      {"an argument without its terminator", good.substr(0, good.size() - 1)},
      {"an empty argument", prefix + std::string("\0", 1)},
      {"a control character", prefix + "a\nb" + std::string("\0", 1)},
      {"not UTF-8", prefix + "caf\xE9" + std::string("\0", 1)},
      {"an overlong form", prefix + "\xC0\xAF" + std::string("\0", 1)},
      {"a surrogate", prefix + "\xED\xA0\x80" + std::string("\0", 1)},
      {"a path too long", prefix + std::string(kLongestHandOverArgument + 1, 'x') + std::string("\0", 1)},
  };
  for (const Case& c : refused) EXPECT_EQ(DecodeHandOver(c.bytes), std::nullopt) << c.what;

  std::string many = prefix;
  for (std::size_t n = 0; n <= kMostHandOverArguments; ++n) many += "a" + std::string("\0", 1);
  EXPECT_EQ(DecodeHandOver(many), std::nullopt) << "more pictures than a message carries";
  EXPECT_THROW(EncodeHandOver({kOpenVerb, std::vector<std::string>(kMostHandOverArguments + 1, "a")}), Error);
  EXPECT_THROW(EncodeHandOver({kOpenVerb, {std::string("a\0b", 3)}}), Error);
}

TEST(HandOver, CarriesOneClickThroughRequest) {
  for (const char* word : {"off", "on", "toggle"}) {
    const HandOver request{kClickThroughVerb, {word}};
    EXPECT_EQ(DecodeHandOver(EncodeHandOver(request)), request) << word;
  }
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, {"on", "off"}, {"maybe"}, {"/home/me/a.png"}}) {
    EXPECT_EQ(DecodeHandOver(EncodeHandOver({kClickThroughVerb, arguments})), std::nullopt)
        << arguments.size() << " arguments";
  }
}

}  // namespace
}  // namespace corvane::testing
