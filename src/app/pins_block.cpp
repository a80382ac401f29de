#include "app/pins_block.h"

#include "app/settings_file.h"
#include "pictures/byte_reader.h"
#include "pictures/picture_scale.h"

namespace corvane {

namespace {

constexpr std::size_t kChecksumSize = 4;
constexpr std::size_t kPinFixedSize = 16;  // left, top, scale, opacity, path length

}  // namespace

std::string EncodePinsBlock(std::string_view before, const std::vector<StoredPin>& pins) {
  if (pins.size() > kMostFurtherPins) throw Error("there are more pins than the settings file keeps");
  std::string fields;
  pictures::AppendLittleEndian(fields, static_cast<std::uint32_t>(pins.size()), 2);
  for (const StoredPin& pin : pins) {
    if (pin.ansiPath.size() > kLongestStoredPath) throw Error("a pinned picture's path is too long to be stored");
    pictures::AppendLittleEndian(fields, static_cast<std::uint32_t>(pin.left), 4);
    pictures::AppendLittleEndian(fields, static_cast<std::uint32_t>(pin.top), 4);
    pictures::AppendLittleEndian(fields, static_cast<std::uint32_t>(pin.look.scale), 4);
    pictures::AppendLittleEndian(fields, static_cast<std::uint32_t>(pin.look.opacity), 2);
    pictures::AppendLittleEndian(fields, static_cast<std::uint32_t>(pin.ansiPath.size()), 2);
    fields += pin.ansiPath;
  }
  std::string block(kPinsSignature);
  pictures::AppendLittleEndian(block, static_cast<std::uint32_t>(fields.size()), 4);
  block += fields;
  std::string covered(before);
  covered += block;
  pictures::AppendLittleEndian(block, SettingsChecksum(covered), 4);
  return block;
}

std::optional<std::vector<StoredPin>> DecodePinsBlock(std::string_view bytes, std::size_t at) {
  const pictures::ByteReader reader(bytes);
  if (!reader.Is(at, kPinsSignature) || !reader.Has(at, kPinsPrefixSize)) return std::nullopt;
  const std::size_t length = reader.Le32(at + 4);
  if (length < 2 || length > kPinsFieldsLimit) return std::nullopt;
  const std::size_t fields = at + kPinsPrefixSize;
  const std::size_t end = fields + length;
  if (!reader.Has(fields, length + kChecksumSize)) return std::nullopt;
  if (SettingsChecksum(bytes.substr(0, end)) != reader.Le32(end)) return std::nullopt;

  const std::size_t count = reader.Le16(fields);
  if (count > kMostFurtherPins) return std::nullopt;
  std::vector<StoredPin> pins;
  pins.reserve(count);
  std::size_t next = fields + 2;
  for (std::size_t n = 0; n < count; ++n) {
    if (next + kPinFixedSize > end) return std::nullopt;
    StoredPin pin;
    pin.left = static_cast<std::int32_t>(reader.Le32(next));
    pin.top = static_cast<std::int32_t>(reader.Le32(next + 4));
    pin.look = {static_cast<std::int32_t>(reader.Le32(next + 8)), static_cast<int>(reader.Le16(next + 12))};
    const std::size_t pathLength = reader.Le16(next + 14);
    next += kPinFixedSize;
    if (pathLength > end - next) return std::nullopt;
    pin.ansiPath = std::string(bytes.substr(next, pathLength));
    next += pathLength;
    // A path holding a NUL would name another file wherever the system reads it.
    if (pin.ansiPath.empty() || pin.ansiPath.find('\0') != std::string::npos) return std::nullopt;
    if (!pictures::ScaleInRange(pin.look.scale) || pin.look.opacity < kOpacityMin || pin.look.opacity > kOpacityMax)
      return std::nullopt;
    pins.push_back(std::move(pin));
  }
  return pins;
}

}  // namespace corvane
