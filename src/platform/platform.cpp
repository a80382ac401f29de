#include "platform/platform.h"

#include <algorithm>
#include <cstdlib>

#include "controls/form.h"

namespace corvane {

namespace {
Platform* g_platform = nullptr;
std::unique_ptr<ControlRuntime> g_runtime;
}  // namespace

PixelRect PixelRect::Intersect(const PixelRect& o) const {
  return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
}

std::optional<PixelRect> StraightLineBand(PixelPoint from, PixelPoint to, int width) {
  const int before = width / 2;  // a wide line is centred on its segment
  if (from.y == to.y)
    return PixelRect{std::min(from.x, to.x), from.y - before, std::max(from.x, to.x) + 1, from.y - before + width};
  if (from.x == to.x)
    return PixelRect{from.x - before, std::min(from.y, to.y), from.x - before + width, std::max(from.y, to.y) + 1};
  return std::nullopt;
}

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
