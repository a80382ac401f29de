// The Linux entry point.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/command_line.h"
#include "platform/gtk/gtk_layer.h"
#include "platform/gtk/gtk_platform.h"
#include "platform/gtk/hand_over_socket.h"
#include "platform/gtk/instance_lock.h"
#include "windows/maker.h"

namespace {

constexpr const char* kSettingsPlace =
    "Settings are kept in corvane.ini beside the program when its folder is writable, else in\n"
    "$XDG_CONFIG_HOME/corvane/corvane.ini (~/.config/corvane/ when XDG_CONFIG_HOME is unset).";

}  // namespace

int main(int argc, char** argv) {
  // An ordinary Wayland window can neither choose its place nor stay above others: under a
  // Wayland compositor with layer surfaces the windows are those, under any other through
  // XWayland.
  corvane::gtk::ChooseDisplayBackend();
  // GTK's own options (--display, --class...) are taken out first; this opens no display.
  if (!gtk_parse_args(&argc, &argv)) {
    std::fprintf(stderr, "corvane: GTK could not read its options\n");
    return 2;
  }
  // The program's own options answer before anything else: --help and --version need no
  // display, and a mistake is told before a window could appear.
  const corvane::CommandLine command =
      corvane::ParseCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  switch (command.action) {
    case corvane::CommandLine::Action::Help:
      std::fputs(corvane::UsageText("corvane", kSettingsPlace).c_str(), stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    case corvane::CommandLine::Action::Version:
      std::printf("%s\n", corvane::VersionText().c_str());
      return std::fflush(stdout) == 0 ? 0 : 1;
    case corvane::CommandLine::Action::Mistake:
      std::fprintf(stderr, "corvane: %s\n%s", command.mistake.c_str(),
                   corvane::UsageText("corvane", kSettingsPlace).c_str());
      return 2;
    case corvane::CommandLine::Action::Run: break;
  }
  if (!gtk_init_check(&argc, &argv)) {
    std::fprintf(stderr, "Corvane needs a display (X, XWayland or a Wayland compositor): none could be opened.\n");
    return 1;
  }
  const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
  const std::string lockPath = corvane::gtk::InstanceLockPath(
      runtimeDir ? runtimeDir : "", gdk_display_get_name(gdk_display_get_default()), static_cast<unsigned>(getuid()));
  // Taken before any window exists; held until the process ends, however it ends.
  const corvane::gtk::InstanceLock lock(lockPath);
  try {
    corvane::gtk::GtkPlatform platform(lock.AnotherInstanceRuns(), corvane::gtk::HandOverSocketPath(lockPath));
    // The icon the tarball puts beside the program names its windows in task lists; an
    // installed copy finds it in the icon theme under the app id.
    const std::string icon = platform.AppPath() + "/corvane.png";
    if (g_file_test(icon.c_str(), G_FILE_TEST_IS_REGULAR)) {
      gtk_window_set_default_icon_from_file(icon.c_str(), nullptr);
    } else {
      gtk_window_set_default_icon_name(CORVANE_APP_ID);
    }
    corvane::ControlRuntime runtime(platform, corvane::kAppTitle);
    corvane::Application app(runtime);
    // Full paths, so that a second start's pictures mean the same to the Corvane it hands them
    // to, whatever folder that one was started in.
    std::vector<std::string> paths;
    for (const std::string& path : command.paths) paths.push_back(platform.FullPath(path));
    app.OpenAtStart(std::move(paths));
    app.ClickThroughAtStart(command.clickThrough);
    app.Run();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Corvane: %s\n", e.what());
    return 1;
  }
  return 0;
}
