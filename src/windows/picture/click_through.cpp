#include "windows/picture/click_through.h"

#include <string>
#include <utility>

#include "windows/maker.h"

namespace corvane {

namespace {

constexpr WayBackKey kWayBackKeys[] = {
    {kCtrl | kAlt, 'T', "Ctrl+Alt+T"},
    {kCtrl | kAlt | kShift, 'T', "Ctrl+Alt+Shift+T"},
};

}  // namespace

std::span<const WayBackKey> WayBackKeys() { return kWayBackKeys; }

void ClickThroughSwitch::Toggle() {
  if (On()) {
    End();
  } else {
    Begin();
  }
}

void ClickThroughSwitch::Ask(ClickThroughRequest request) {
  if (request == ClickThroughRequest::Toggle || (request == ClickThroughRequest::On) != On()) Toggle();
}

void ClickThroughSwitch::WayBackPressed() {
  if (On()) End();
}

void ClickThroughSwitch::Begin() {
  if (!RegisterWayBack()) return;
  try {
    form_.SetClickThrough(true);
  } catch (const Error& e) {
    form_.UnregisterHotKey();
    form_.System().ShowMessage(
        form_.hWnd(), std::string("The mouse cannot pass through the Corvane window.\n\n") + e.what(), kAppTitle);
  }
}

void ClickThroughSwitch::End() {
  form_.UnregisterHotKey();
  form_.SetClickThrough(false);
}

const WayBackKey* ClickThroughSwitch::RegisterWayBack() {
  const WayBackKey& first = kWayBackKeys[0];
  const WayBackKey& fallBack = kWayBackKeys[1];
  std::string refusal;
  try {
    if (form_.RegisterHotKey(first.modifiers, first.letter)) return &first;
    if (form_.RegisterHotKey(fallBack.modifiers, fallBack.letter)) {
      if (!std::exchange(toldOfFallBack_, true)) {
        form_.System().ShowMessage(
            form_.hWnd(),
            std::string(first.name) + " is taken by another program.\n\nWhile the mouse passes through " +
                "the Corvane window, press " + fallBack.name + " to make it take the mouse again.",
            kAppTitle);
      }
      return &fallBack;
    }
    refusal = std::string("both ") + first.name + " and " + fallBack.name + " are taken by other programs.";
  } catch (const Error& e) {
    refusal = std::string("no key to take the mouse back could be registered.\n\n") + e.what();
  }
  form_.System().ShowMessage(form_.hWnd(), "The mouse cannot pass through the Corvane window: " + refusal, kAppTitle);
  return nullptr;
}

}  // namespace corvane
