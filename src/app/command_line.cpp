#include "app/command_line.h"

#include <utility>

#include "version.h"

namespace corvane {
namespace {

// An answer in place of a run: help, the version or a mistake.
CommandLine Answer(CommandLine::Action action, std::string mistake = {}) {
  CommandLine line;
  line.action = action;
  line.mistake = std::move(mistake);
  return line;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  bool options = true;
  for (const std::string& argument : arguments) {
    if (options && argument == "--") {
      options = false;
    } else if (options && (argument == "--help" || argument == "-h" || argument == "-?" || argument == "/?")) {
      return Answer(CommandLine::Action::Help);
    } else if (options && argument == "--version") {
      return Answer(CommandLine::Action::Version);
    } else if (options && ParseClickThroughOption(argument, line.clickThrough, line.mistake)) {
      if (!line.mistake.empty()) return Answer(CommandLine::Action::Mistake, line.mistake);
    } else if (options && argument.size() > 1 && argument[0] == '-') {
      return Answer(CommandLine::Action::Mistake, "unknown option '" + argument + "'");
    } else if (!argument.empty()) {
      line.paths.push_back(argument);
    }
  }
  return line;
}

std::string UsageText(const std::string& program, const std::string& settingsPlace) {
  return "Usage: " + program +
         " [PICTURE...]\n"
         "\n"
         "Corvane shows pictures in small borderless windows that stay on top of every other\n"
         "window: to preview how an image advert will look on a real page, or to cover an advert\n"
         "with a picture you like better. Drag a picture with the left mouse button, right-click it\n"
         "for its menu, and double-click it to remember every picture's place and quit.\n"
         "\n"
         "Each PICTURE opens in a window of its own. When Corvane already runs, the pictures open\n"
         "there and this start ends at once.\n"
         "\n"
         "Options:\n"
         "  --help       print this help and exit\n"
         "  --version    print the version and exit\n"
         "  --click-through=off|on|toggle\n"
         "               let the mouse pass through the pictures, or take it again (to bind to a\n"
         "               key where no system-wide key reaches Corvane, as under Wayland)\n"
         "  --           take every later argument as a picture, even one starting with '-'\n"
         "\n" +
         settingsPlace + "\n";
}

std::string VersionText() { return std::string("Corvane ") + CORVANE_VERSION_TEXT; }

}  // namespace corvane
