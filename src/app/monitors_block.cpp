#include "app/monitors_block.h"

#include "app/settings_file.h"
#include "pictures/byte_reader.h"

namespace corvane {

namespace {

constexpr std::size_t kPrefixSize = 6;  // signature and length
constexpr std::size_t kChecksumSize = 4;
constexpr std::size_t kRectSize = 16;
constexpr std::size_t kFieldsLimit = 2 + kMostSavedMonitors * kRectSize + 1024;

// The block the file holds at `at`, as far as its own length says, or nothing.
std::string BlockFromFile(BinaryFile& file, std::size_t at) {
  try {
    const std::string prefix = file.Read(at, kPrefixSize);
    const std::size_t fields = pictures::ByteReader(prefix).Le16(4);
    if (prefix.substr(0, kMonitorsSignature.size()) != kMonitorsSignature || fields > kFieldsLimit) return {};
    return prefix + file.Read(at + kPrefixSize, fields + kChecksumSize);
  } catch (const Error&) {
    return {};  // the file ends first
  }
}

}  // namespace

std::string EncodeMonitorsBlock(std::string_view before, const std::vector<PixelRect>& monitors) {
  if (monitors.empty() || monitors.size() > kMostSavedMonitors)
    throw Error("the settings file keeps the monitors of 1 to 64 pins");
  std::string fields;
  pictures::AppendLittleEndian(fields, static_cast<std::uint32_t>(monitors.size()), 2);
  for (const PixelRect& m : monitors) {
    for (const int edge : {m.left, m.top, m.right, m.bottom})
      pictures::AppendLittleEndian(fields, static_cast<std::uint32_t>(edge), 4);
  }
  std::string block(kMonitorsSignature);
  pictures::AppendLittleEndian(block, static_cast<std::uint32_t>(fields.size()), 2);
  block += fields;
  std::string covered(before);
  covered += block;
  pictures::AppendLittleEndian(block, SettingsChecksum(covered), 4);
  return block;
}

std::optional<std::vector<PixelRect>> DecodeMonitorsBlock(std::string_view bytes, std::size_t at) {
  const pictures::ByteReader reader(bytes);
  if (!reader.Is(at, kMonitorsSignature) || !reader.Has(at, kPrefixSize)) return std::nullopt;
  const std::size_t length = reader.Le16(at + 4);
  const std::size_t fields = at + kPrefixSize;
  if (length < 2 || !reader.Has(fields, length + kChecksumSize)) return std::nullopt;
  if (SettingsChecksum(bytes.substr(0, fields + length)) != reader.Le32(fields + length)) return std::nullopt;
  const std::size_t count = reader.Le16(fields);
  if (count == 0 || count > kMostSavedMonitors || 2 + count * kRectSize > length) return std::nullopt;
  std::vector<PixelRect> monitors;
  for (std::size_t n = 0; n < count; ++n) {
    const std::size_t r = fields + 2 + n * kRectSize;
    const auto edge = [&](std::size_t k) {
      return static_cast<int>(static_cast<std::int32_t>(reader.Le32(r + 4 * k)));
    };
    const PixelRect m{edge(0), edge(1), edge(2), edge(3)};
    if (m.Empty()) return std::nullopt;
    monitors.push_back(m);
  }
  return monitors;
}

std::vector<PixelRect> ReadSavedMonitors(Platform& system) {
  try {
    const std::unique_ptr<BinaryFile> file = system.OpenReadWrite(SettingsFilePath(system));
    const std::string before = TrustedSettingsBytes(*file);
    return DecodeMonitorsBlock(before + BlockFromFile(*file, before.size()), before.size())
        .value_or(std::vector<PixelRect>{});
  } catch (const Error&) {
    return {};
  }
}

void WriteSavedMonitors(Platform& system, const std::vector<PixelRect>& monitors) {
  const std::unique_ptr<BinaryFile> file = system.OpenReadWrite(SettingsFilePath(system));
  const std::string before = TrustedSettingsBytes(*file);
  file->Write(before.size(), EncodeMonitorsBlock(before, monitors));
}

}  // namespace corvane
