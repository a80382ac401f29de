#include "platform/platform.h"

#include <cstdlib>

#include "platform/controls/form.h"

namespace corvane {

namespace {
Platform* g_platform = nullptr;
std::unique_ptr<ControlRuntime> g_runtime;
}  // namespace

Platform& Sys() {
  if (!g_platform) throw Error("no platform has been set");
  return *g_platform;
}

ControlRuntime& Runtime() {
  if (!g_runtime) throw Error("no platform has been set");
  return *g_runtime;
}

void SetPlatform(Platform* platform) {
  // The old runtime's windows are unloaded while it and its platform are still installed: the
  // system may deliver events to them on the way out.
  if (g_runtime) g_runtime->UnloadAll();
  g_runtime.reset();
  g_platform = platform;
  if (platform) g_runtime = std::make_unique<ControlRuntime>();
}

void End() {
  Sys().EndProgram();
  std::abort();  // a platform's EndProgram never returns
}

}  // namespace corvane
