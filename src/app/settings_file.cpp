#include "app/settings_file.h"

#include <cctype>

namespace corvane {

namespace {

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t GetLittleEndian(std::string_view in, std::size_t offset, int bytes) {
  std::uint32_t value = 0;
  for (int i = 0; i < bytes; ++i)
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[offset + static_cast<std::size_t>(i)])) << (8 * i);
  return value;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

void WriteRecord(const SettingsRecordData& record) {
  const std::optional<std::string> ansiPath = Sys().ToAnsi(record.PicturePath);
  if (!ansiPath) throw Error("the picture path cannot be written in the system's code page");
  if (ansiPath->size() > 0xFFFF) throw Error("the picture path is too long to be stored");
  const std::string bytes = EncodeSettingsRecord(record.WindowLeft, record.WindowTop, *ansiPath);
  Sys().OpenReadWrite(SettingsFilePath())->Write(0, bytes);
}

}  // namespace

std::string SettingsFilePath() { return Sys().SettingsFilePath(kSettingsFileName); }

std::string EncodeSettingsRecord(std::int32_t left, std::int32_t top, std::string_view ansiPath) {
  std::string bytes;
  bytes.reserve(kSettingsHeaderSize + ansiPath.size());
  PutLittleEndian(bytes, static_cast<std::uint32_t>(left), 4);
  PutLittleEndian(bytes, static_cast<std::uint32_t>(top), 4);
  PutLittleEndian(bytes, static_cast<std::uint32_t>(ansiPath.size()), 2);
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

std::optional<DecodedSettings> DecodeSettingsRecord(std::string_view bytes) {
  const std::optional<SettingsHeader> header = DecodeSettingsHeader(bytes);
  if (!header) return std::nullopt;
  DecodedSettings record{header->left, header->top, std::nullopt};
  const std::string_view rest = bytes.substr(kSettingsHeaderSize);
  if (rest.size() < header->pathLength) return record;  // the path is cut short
  const std::string_view path = rest.substr(0, header->pathLength);
  // A NUL would end the path early wherever the system reads it, naming another file.
  if (path.find('\0') != std::string_view::npos) return record;
  record.ansiPath = std::string(path);
  return record;
}

void EnsureSettingsFile() {
  if (SameNameIgnoringCase(Sys().FindFileName(SettingsFilePath()), kSettingsFileName)) return;
  WriteRecord(DefaultSettings());
}

SettingsRecordData ReadSettings() {
  const std::unique_ptr<BinaryFile> file = Sys().OpenReadWrite(SettingsFilePath());
  std::string bytes = file->Read(0, kSettingsHeaderSize);  // a file shorter than the header fails here
  const std::uint16_t pathLength = DecodeSettingsHeader(bytes).value().pathLength;
  try {
    bytes += file->Read(kSettingsHeaderSize, pathLength);
  } catch (const Error&) {
    // The path cannot be read in full: the record decodes as damaged and keeps its position.
  }
  const DecodedSettings record = DecodeSettingsRecord(bytes).value();
  return {record.left, record.top, record.ansiPath ? Sys().FromAnsi(*record.ansiPath) : NoPictureMarker};
}

void WriteSettings(const SettingsRecordData& record) { WriteRecord(record); }

}  // namespace corvane
