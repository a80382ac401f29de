#include "facts.h"

#include "target.h"
#include "x11.h"

namespace corvane::e2e {

namespace {

constexpr char kMenuClassName[] = "CorvaneMenuWindow";

bool Has(const std::vector<std::string>& names, const std::string& name) {
  for (const std::string& n : names) {
    if (n == name) return true;
  }
  return false;
}

WindowFacts FactsOf(const XTopLevel& w) {
  WindowFacts facts;
  facts.hwnd = w.id;
  facts.pid = w.pid;
  facts.title = w.name;
  facts.rect = w.frameRect;
  facts.client = w.rect;
  facts.visible = w.mapped;
  facts.enabled = true;
  facts.topmost = Has(WindowStates(w.id), "_NET_WM_STATE_ABOVE");
  facts.owner = TransientFor(w.id);
  return facts;
}

bool IsTooltip(const XTopLevel& w) { return WindowType(w.id) == "_NET_WM_WINDOW_TYPE_TOOLTIP"; }

}  // namespace

std::optional<WindowFacts> ShownMenu() {
  if (!NativeTarget()) {
    for (const WindowFacts& w : ProbeWindows()) {
      if (w.className == kMenuClassName && w.visible) return w;
    }
    return std::nullopt;
  }
  // The program's one untitled window that belongs to another and is no tooltip.
  for (const XTopLevel& w : TopLevelWindows()) {
    if (!w.mapped || w.pid == 0 || !w.name.empty() || IsTooltip(w) || TransientFor(w.id) == 0) continue;
    WindowFacts facts = FactsOf(w);
    facts.className = kMenuClassName;
    return facts;
  }
  return std::nullopt;
}

std::optional<WindowFacts> ShownWindow(const std::string& title) {
  if (!NativeTarget()) return ProbeWindow(title);
  for (const XTopLevel& w : TopLevelWindows()) {
    if (w.mapped && w.pid != 0 && w.name == title) return FactsOf(w);
  }
  return std::nullopt;
}

std::vector<TooltipFacts> ShownTooltips() {
  if (!NativeTarget()) return ProbeTooltips();
  std::vector<TooltipFacts> tips;
  for (const XTopLevel& w : TopLevelWindows()) {
    if (w.mapped && IsTooltip(w)) tips.push_back({w.rect, ""});
  }
  return tips;
}

bool TooltipTextsKnown() { return !NativeTarget(); }

std::optional<DialogFacts> ShownDialog(const std::string& title) {
  if (!NativeTarget()) {
    for (const DialogFacts& d : ProbeDialogs()) {
      if (d.title == title) return d;
    }
    return std::nullopt;
  }
  for (const XTopLevel& w : TopLevelWindows()) {
    if (w.mapped && w.pid != 0 && w.name == title) {
      DialogFacts dialog;
      dialog.hwnd = w.id;
      dialog.pid = w.pid;
      dialog.title = w.name;
      dialog.rect = w.frameRect;
      dialog.owner = TransientFor(w.id);
      return dialog;
    }
  }
  return std::nullopt;
}

std::vector<Rgb> SystemColours(const std::vector<int>& indexes) {
  if (!NativeTarget()) return ProbeSysColors(indexes);
  std::vector<Rgb> colours;
  for (const int index : indexes) {
    switch (index) {
      case 2: colours.push_back(Rgb::FromHex(0x99B4D1)); break;  // active title
      case 3: colours.push_back(Rgb::FromHex(0xBFCDDB)); break;  // inactive title
      case 9:
      case 18: colours.push_back(Rgb::FromHex(0x000000)); break;  // title and button text
      default: colours.push_back(Rgb::FromHex(0xF0F0F0)); break;  // menu, button face
    }
  }
  return colours;
}

}  // namespace corvane::e2e
