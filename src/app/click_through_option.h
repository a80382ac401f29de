// `--click-through=off|on|toggle`: the way back from click-through where the system has no
// system-wide hot key for the program (Wayland), bound to a key in the desktop's own settings.
// A second start hands it to the Corvane running, as it hands pictures over.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

enum class ClickThroughRequest { Off, On, Toggle };

inline constexpr std::string_view kClickThroughOption = "--click-through";

// The request a word names ("off", "on", "toggle"); nullopt for any other.
std::optional<ClickThroughRequest> ClickThroughFromWord(std::string_view word);
const char* ClickThroughWord(ClickThroughRequest request);

// Whether `argument` is the option (with or without its value). When it is, `request` takes its
// value, or `mistake` says what is wrong with it.
bool ParseClickThroughOption(std::string_view argument, std::optional<ClickThroughRequest>& request,
                             std::string& mistake);

}  // namespace corvane
