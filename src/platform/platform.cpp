#include "platform/platform.h"

#include <cstdlib>

namespace corvane {

namespace {
Platform* g_platform = nullptr;
}

Platform& Sys() {
  if (!g_platform) throw Error("no platform has been set");
  return *g_platform;
}

void SetPlatform(Platform* platform) { g_platform = platform; }

void End() {
  Sys().EndProgram();
  std::abort();  // a platform's EndProgram never returns
}

}  // namespace corvane
