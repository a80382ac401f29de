// Which program the end-to-end tests drive. The shared suites run once against Corvane.exe
// under Wine (ctest label e2e) and once against the native Linux program (label e2e-linux):
// CORVANE_E2E_TARGET=linux picks the native one, anything else the Windows one.
//
// The native program is tested under a window manager: with CORVANE_LINUX_DISPLAY set (the
// openbox display scripts/test.sh starts), the tests and the program use that display.
#pragma once

#include <string>

namespace corvane::e2e {

enum class Target { Windows, Linux };

Target CurrentTarget();
inline bool NativeTarget() { return CurrentTarget() == Target::Linux; }

// The X display the tests use for the current target.
std::string TargetDisplay();

}  // namespace corvane::e2e
