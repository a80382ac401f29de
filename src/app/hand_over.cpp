#include "app/hand_over.h"

#include "app/click_through_option.h"
#include "platform/platform.h"

namespace corvane {

namespace {

constexpr std::string_view kPrefix{"corvane\0", 8};

// True when `text` is well-formed UTF-8 with no control character below a space.
bool PlainUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x20 || lead == 0x7F) return false;
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead < 0x80) {
      length = 1;
      code = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      code = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      code = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      code = lead & 0x07u;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3Fu);
    }
    // Overlong forms, surrogates and code points past Unicode's are not UTF-8.
    constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
    i += length;
  }
  return true;
}

}  // namespace

std::string EncodeHandOver(const HandOver& message) {
  if (message.arguments.size() > kMostHandOverArguments) throw Error("too many pictures to hand over at once");
  std::string bytes(kPrefix);
  bytes += message.verb;
  bytes += '\0';
  for (const std::string& argument : message.arguments) {
    if (argument.size() > kLongestHandOverArgument || argument.find('\0') != std::string::npos)
      throw Error("a path cannot be handed over: " + argument);
    bytes += argument;
    bytes += '\0';
  }
  return bytes;
}

std::optional<HandOver> DecodeHandOver(std::string_view bytes) {
  if (bytes.size() > kLongestHandOver || bytes.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
  bytes.remove_prefix(kPrefix.size());
  const std::size_t verbEnd = bytes.find('\0');
  if (verbEnd == std::string_view::npos) return std::nullopt;
  HandOver message{std::string(bytes.substr(0, verbEnd)), {}};
  if (message.verb != kOpenVerb && message.verb != kClickThroughVerb) return std::nullopt;
  bytes.remove_prefix(verbEnd + 1);
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\0');
    if (end == std::string_view::npos || end == 0 || end > kLongestHandOverArgument) return std::nullopt;
    if (message.arguments.size() == kMostHandOverArguments) return std::nullopt;
    const std::string_view argument = bytes.substr(0, end);
    if (!PlainUtf8(argument)) return std::nullopt;
    message.arguments.emplace_back(argument);
    bytes.remove_prefix(end + 1);
  }
  if (message.verb == kClickThroughVerb &&
      (message.arguments.size() != 1 || !ClickThroughFromWord(message.arguments.front()))) {
    return std::nullopt;
  }
  return message;
}

}  // namespace corvane
