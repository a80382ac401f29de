// The program's command line, the same for Corvane.exe and corvane: pictures to open, and the
// options that answer without starting the program.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/click_through_option.h"

namespace corvane {

struct CommandLine {
  enum class Action { Run, Help, Version, Mistake };
  Action action = Action::Run;
  std::vector<std::string> paths;  // as given, relative ones too
  std::string mistake;             // Mistake: what was wrong, in one line
  // --click-through=...: for the Corvane running, or this one when none runs.
  std::optional<ClickThroughRequest> clickThrough;
};

// `arguments` are those after the program's name. "--help" (or "-h", "-?", "/?") and
// "--version" answer at once; "--click-through=off|on|toggle" asks for click-through (the last
// one given counts); "--" makes every later argument a path; any other argument
// starting with '-' is a mistake. The rest are paths of pictures to open.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The usage --help prints: what the program is, the paths it takes, the options and where
// `settingsPlace` (a sentence naming the settings file's place on this system) says its
// settings live. `program` is the name it is started by.
std::string UsageText(const std::string& program, const std::string& settingsPlace);

// "Corvane 1.00".
std::string VersionText();

}  // namespace corvane
