#include "app/settings_file.h"

#include <cctype>

#include "app/pins_block.h"
#include "pictures/byte_reader.h"

namespace corvane {

namespace {

using pictures::AppendLittleEndian;

// The callers have checked that the bytes hold the number.
std::uint32_t GetLittleEndian(std::string_view in, std::size_t offset, int bytes) {
  const pictures::ByteReader reader(in);
  return bytes == 2 ? reader.Le16(offset) : reader.Le32(offset);
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

constexpr std::string_view kExtensionSignature = "CVX1";
constexpr std::size_t kChecksumSize = 4;

// `bytes` followed by the block of `signature` that the file holds right after them, as far as
// the block's own length (of `lengthBytes` bytes, at most `limit`) says, or just `bytes` when
// the file ends first or holds another block there.
std::string WithBlockFromFile(BinaryFile& file, std::string bytes, std::string_view signature, int lengthBytes,
                              std::size_t limit) {
  const std::size_t prefixSize = signature.size() + static_cast<std::size_t>(lengthBytes);
  try {
    const std::string prefix = file.Read(bytes.size(), prefixSize);
    const std::size_t fields = GetLittleEndian(prefix, signature.size(), lengthBytes);
    if (prefix.substr(0, signature.size()) != signature || fields > limit) return bytes;
    const std::string rest = file.Read(bytes.size() + prefixSize, fields + kChecksumSize);
    return bytes + prefix + rest;
  } catch (const Error&) {
    return bytes;  // the file ends before the block does: there is none
  }
}

// The record's header, or as many of its whole numbers as a file cut short within it holds.
std::string HeaderFromFile(BinaryFile& file) {
  for (const std::size_t size : {kSettingsHeaderSize, std::size_t{8}, std::size_t{4}}) {
    try {
      return file.Read(0, size);
    } catch (const Error&) {
      // fewer bytes than that: try the numbers before
    }
  }
  return {};
}

// The record followed by the extension block the file holds after it, if any.
std::string WithLookBlockFromFile(BinaryFile& file, std::string record) {
  return WithBlockFromFile(file, std::move(record), kExtensionSignature, 2, kExtensionFieldsLimit);
}

// The record and its extension block followed by the pins block the file holds after them.
std::string WithPinsBlockFromFile(BinaryFile& file, std::string recordAndLook) {
  return WithBlockFromFile(file, std::move(recordAndLook), kPinsSignature, 4, kPinsFieldsLimit);
}

// The further pins the file holds after `recordAndLook` (a record and its trusted extension
// block, as the file starts), or nullopt when it holds none to trust.
std::optional<std::vector<StoredPin>> FurtherPinsFromFile(BinaryFile& file, const std::string& recordAndLook) {
  return DecodePinsBlock(WithPinsBlockFromFile(file, recordAndLook), recordAndLook.size());
}

void WriteRecord(Platform& system, const SettingsRecord& record, const PictureLook& look,
                 const std::vector<StoredPin>& furtherPins) {
  const std::optional<std::string> ansiPath = system.ToAnsi(record.PicturePath);
  if (!ansiPath) throw Error("the picture path cannot be written in the system's code page");
  if (ansiPath->size() > 0xFFFF) throw Error("the picture path is too long to be stored");
  const std::string bytes = EncodeSettingsRecord(record.WindowLeft, record.WindowTop, *ansiPath);
  const std::unique_ptr<BinaryFile> file = system.OpenReadWrite(SettingsFilePath(system));
  // The default look needs no block, and the record alone stays byte for byte what it has
  // always been; but a trusted block already after it would bring back a look given up since.
  // The same holds for the pins block, which follows the extension block.
  const std::string before = WithLookBlockFromFile(*file, bytes);
  const bool trustedLook = DecodeSettingsExtension(before).has_value();
  const bool trustedPins = trustedLook && FurtherPinsFromFile(*file, before).has_value();
  std::string out = bytes;
  if (look != PictureLook{} || trustedLook || !furtherPins.empty()) out += EncodeSettingsExtension(bytes, look);
  if (!furtherPins.empty() || trustedPins) out += EncodePinsBlock(out, furtherPins);
  file->Write(0, out);
}

}  // namespace

std::uint32_t SettingsChecksum(std::string_view bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char c : bytes) {
    crc ^= static_cast<unsigned char>(c);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::string SettingsFilePath(const Platform& system) { return system.SettingsFilePath(kSettingsFileName); }

std::string EncodeSettingsRecord(std::int32_t left, std::int32_t top, std::string_view ansiPath) {
  std::string bytes;
  bytes.reserve(kSettingsHeaderSize + ansiPath.size());
  AppendLittleEndian(bytes, static_cast<std::uint32_t>(left), 4);
  AppendLittleEndian(bytes, static_cast<std::uint32_t>(top), 4);
  AppendLittleEndian(bytes, static_cast<std::uint32_t>(ansiPath.size()), 2);
  bytes += ansiPath;
  return bytes;
}

std::optional<SettingsHeader> DecodeSettingsHeader(std::string_view bytes) {
  if (bytes.size() < kSettingsHeaderSize) return std::nullopt;
  SettingsHeader header;
  header.left = static_cast<std::int32_t>(GetLittleEndian(bytes, 0, 4));
  header.top = static_cast<std::int32_t>(GetLittleEndian(bytes, 4, 4));
  header.pathLength = static_cast<std::uint16_t>(GetLittleEndian(bytes, 8, 2));
  return header;
}

DecodedSettings DecodeSettingsRecord(std::string_view bytes) {
  const std::optional<SettingsHeader> header = DecodeSettingsHeader(bytes);
  if (!header) {
    // Cut short within the header: the numbers there are whole, then the defaults.
    DecodedSettings record;
    if (bytes.size() >= 4) record.left = static_cast<std::int32_t>(GetLittleEndian(bytes, 0, 4));
    if (bytes.size() >= 8) record.top = static_cast<std::int32_t>(GetLittleEndian(bytes, 4, 4));
    return record;
  }
  DecodedSettings record{header->left, header->top, std::nullopt};
  const std::string_view rest = bytes.substr(kSettingsHeaderSize);
  if (rest.size() < header->pathLength) return record;  // the path is cut short
  const std::string_view path = rest.substr(0, header->pathLength);
  // A NUL would end the path early wherever the system reads it, naming another file.
  if (path.find('\0') != std::string_view::npos) return record;
  record.ansiPath = std::string(path);
  return record;
}

std::string EncodeSettingsExtension(std::string_view record, const PictureLook& look) {
  std::string block(kExtensionSignature);
  AppendLittleEndian(block, static_cast<std::uint32_t>(kExtensionFieldsSize), 2);
  AppendLittleEndian(block, static_cast<std::uint32_t>(look.scale), 4);
  AppendLittleEndian(block, static_cast<std::uint32_t>(look.opacity), 2);
  std::string covered(record);
  covered += block;
  AppendLittleEndian(block, SettingsChecksum(covered), 4);
  return block;
}

std::optional<PictureLook> DecodeSettingsExtension(std::string_view bytes) {
  const std::optional<SettingsHeader> header = DecodeSettingsHeader(bytes);
  if (!header) return std::nullopt;
  const std::size_t at = kSettingsHeaderSize + header->pathLength;
  if (bytes.size() < at + kExtensionPrefixSize || bytes.substr(at, 4) != kExtensionSignature) return std::nullopt;
  const std::size_t fields = GetLittleEndian(bytes, at + 4, 2);
  if (fields < kExtensionFieldsSize || fields > kExtensionFieldsLimit) return std::nullopt;
  const std::size_t end = at + kExtensionPrefixSize + fields;
  if (bytes.size() < end + kChecksumSize) return std::nullopt;
  if (SettingsChecksum(bytes.substr(0, end)) != GetLittleEndian(bytes, end, 4)) return std::nullopt;
  const PictureLook look{static_cast<std::int32_t>(GetLittleEndian(bytes, at + 6, 4)),
                         static_cast<int>(GetLittleEndian(bytes, at + 10, 2))};
  if (!pictures::ScaleInRange(look.scale) || look.opacity < kOpacityMin || look.opacity > kOpacityMax)
    return std::nullopt;
  return look;
}

void EnsureSettingsFile(Platform& system) {
  if (SameNameIgnoringCase(system.FindFileName(SettingsFilePath(system)), kSettingsFileName)) return;
  WriteRecord(system, DefaultSettings(), PictureLook{}, {});
}

SettingsRecord ReadSettings(Platform& system, PictureLook* look, std::vector<StoredPin>* furtherPins) {
  // Read only: a file no one may write still gives what was saved in it.
  const std::unique_ptr<BinaryFile> file = system.OpenToRead(SettingsFilePath(system));
  std::string bytes = HeaderFromFile(*file);
  bool whole = bytes.size() == kSettingsHeaderSize;
  if (whole) {
    try {
      bytes += file->Read(kSettingsHeaderSize, DecodeSettingsHeader(bytes).value().pathLength);
    } catch (const Error&) {
      // The path cannot be read in full: the record decodes as damaged and keeps its position.
      whole = false;
    }
  }
  const DecodedSettings record = DecodeSettingsRecord(bytes);
  if (look || furtherPins) {
    const std::string withLook = whole ? WithLookBlockFromFile(*file, bytes) : bytes;
    const std::optional<PictureLook> stored = whole ? DecodeSettingsExtension(withLook) : std::nullopt;
    if (look) *look = stored.value_or(PictureLook{});
    if (furtherPins) {
      std::optional<std::vector<StoredPin>> pins;
      if (stored) pins = FurtherPinsFromFile(*file, withLook);
      *furtherPins = pins.value_or(std::vector<StoredPin>{});
    }
  }
  return {record.left, record.top, record.ansiPath ? system.FromAnsi(*record.ansiPath) : NoPictureMarker};
}

std::string TrustedSettingsBytes(BinaryFile& file) {
  std::string bytes = file.Read(0, kSettingsHeaderSize);
  bytes += file.Read(kSettingsHeaderSize, DecodeSettingsHeader(bytes).value().pathLength);
  const std::string withLook = WithLookBlockFromFile(file, bytes);
  if (!DecodeSettingsExtension(withLook)) return bytes;
  const std::string withPins = WithPinsBlockFromFile(file, withLook);
  return DecodePinsBlock(withPins, withLook.size()) ? withPins : withLook;
}

void WriteSettings(Platform& system, const SettingsRecord& record, const PictureLook& look,
                   const std::vector<StoredPin>& furtherPins) {
  WriteRecord(system, record, look, furtherPins);
}

}  // namespace corvane
