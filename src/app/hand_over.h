// The message a second start hands to the Corvane already running: what to do, and the
// pictures to do it with.
//
//   "corvane\0" VERB "\0" then each argument followed by "\0"
//
// in UTF-8. The verb "open" has full paths of pictures to open as new pins for arguments;
// "click-through" has one, "off", "on" or "toggle", for every pin. A reader accepts a message only when it is whole and within the limits below;
// anything else is ignored.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

struct HandOver {
  std::string verb;
  std::vector<std::string> arguments;
  friend bool operator==(const HandOver&, const HandOver&) = default;
};

inline constexpr const char* kOpenVerb = "open";
inline constexpr const char* kClickThroughVerb = "click-through";
// The most arguments one message carries, and the longest one, in bytes.
inline constexpr std::size_t kMostHandOverArguments = 64;
inline constexpr std::size_t kLongestHandOverArgument = 32767;
// The longest message a reader takes.
inline constexpr std::size_t kLongestHandOver = 16 + kMostHandOverArguments * (kLongestHandOverArgument + 1);

// Throws Error when there are more arguments, or a longer one, than a reader takes, or an
// argument holds a NUL.
std::string EncodeHandOver(const HandOver& message);
// nullopt for anything that is not a whole message within the limits: a wrong prefix, an
// unknown verb, a missing terminator, an empty argument, too many or too long arguments, or
// text that is not UTF-8.
std::optional<HandOver> DecodeHandOver(std::string_view bytes);

}  // namespace corvane
