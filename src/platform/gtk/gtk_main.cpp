// The Linux entry point.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "app/application.h"
#include "platform/gtk/gtk_platform.h"
#include "platform/gtk/instance_lock.h"
#include "windows/maker.h"

int main(int argc, char** argv) {
  // Wayland lets no program place its own windows or keep them above others; under a Wayland
  // session the program runs through XWayland.
  gdk_set_allowed_backends("x11");
  if (!gtk_init_check(&argc, &argv)) {
    std::fprintf(stderr, "Corvane needs an X display (XWayland under Wayland): none could be opened.\n");
    return 1;
  }
  const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
  // Taken before any window exists; held until the process ends, however it ends.
  const corvane::gtk::InstanceLock lock(corvane::gtk::InstanceLockPath(
      runtimeDir ? runtimeDir : "", gdk_display_get_name(gdk_display_get_default()), static_cast<unsigned>(getuid())));
  try {
    corvane::gtk::GtkPlatform platform(lock.AnotherInstanceRuns());
    // The icon the release puts beside the program names its windows in task lists.
    const std::string icon = platform.AppPath() + "/corvane.png";
    if (g_file_test(icon.c_str(), G_FILE_TEST_IS_REGULAR)) gtk_window_set_default_icon_from_file(icon.c_str(), nullptr);
    corvane::ControlRuntime runtime(platform, corvane::kAppTitle);
    corvane::Application app(runtime);
    app.Run();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Corvane: %s\n", e.what());
    return 1;
  }
  return 0;
}
