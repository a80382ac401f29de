// Fuzzes the message a second start hands to the running Corvane. For any bytes: the decoder
// reads nothing past them (the sanitizers watch), a message it accepts holds the verb it knows
// and arguments within the limits, and encodes back to exactly the bytes it came from.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/hand_over.h"

namespace {

void Check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "hand-over: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<HandOver> message = DecodeHandOver(bytes);
  if (!message) return 0;
  Check(message->verb == kOpenVerb || message->verb == kClickThroughVerb, "only a known verb is accepted");
  if (message->verb == kClickThroughVerb) {
    Check(message->arguments.size() == 1, "click-through carries one request");
    const std::string& request = message->arguments.front();
    Check(request == "off" || request == "on" || request == "toggle", "click-through carries off, on or toggle");
  }
  Check(message->arguments.size() <= kMostHandOverArguments, "at most the arguments a message carries");
  for (const std::string& argument : message->arguments)
    Check(!argument.empty() && argument.size() <= kLongestHandOverArgument, "every argument within the limits");
  Check(EncodeHandOver(*message) == bytes, "an accepted message encodes back to its bytes");
  return 0;
}
