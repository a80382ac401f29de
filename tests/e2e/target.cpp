#include "target.h"

#include <cstdlib>
#include <string_view>

namespace corvane::e2e {

Target CurrentTarget() {
  const char* target = std::getenv("CORVANE_E2E_TARGET");
  return target && std::string_view(target) == "linux" ? Target::Linux : Target::Windows;
}

std::string TargetDisplay() {
  if (NativeTarget()) {
    const char* managed = std::getenv("CORVANE_LINUX_DISPLAY");
    if (managed && *managed) {
      // The program inherits the tests' environment: it opens the same display.
      setenv("DISPLAY", managed, 1);
      return managed;
    }
  }
  const char* display = std::getenv("DISPLAY");
  return display ? display : "";
}

}  // namespace corvane::e2e
