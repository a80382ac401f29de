#include "app/click_through_option.h"

namespace corvane {

std::optional<ClickThroughRequest> ClickThroughFromWord(std::string_view word) {
  if (word == "off") return ClickThroughRequest::Off;
  if (word == "on") return ClickThroughRequest::On;
  if (word == "toggle") return ClickThroughRequest::Toggle;
  return std::nullopt;
}

const char* ClickThroughWord(ClickThroughRequest request) {
  switch (request) {
    case ClickThroughRequest::Off: return "off";
    case ClickThroughRequest::On: return "on";
    case ClickThroughRequest::Toggle: return "toggle";
  }
  return "off";
}

bool ParseClickThroughOption(std::string_view argument, std::optional<ClickThroughRequest>& request,
                             std::string& mistake) {
  if (argument.substr(0, kClickThroughOption.size()) != kClickThroughOption) return false;
  const std::string_view rest = argument.substr(kClickThroughOption.size());
  if (rest.empty()) {
    mistake = "--click-through needs a value: --click-through=off, =on or =toggle";
    return true;
  }
  if (rest[0] != '=') return false;  // another option that begins alike
  request = ClickThroughFromWord(rest.substr(1));
  if (!request) mistake = "unknown value '" + std::string(rest.substr(1)) + "' of --click-through (off, on or toggle)";
  return true;
}

}  // namespace corvane
