// Fuzzes the settings record. For any bytes: decoding reads nothing past them (the sanitizers
// watch), fewer than the header keep each whole number of it and default the rest, a whole
// header always gives its position, a
// path that decodes encodes back to the same bytes, a damaged path gives the position alone,
// every shorter cut of a record keeps the position, and ReadSettings on a file of those bytes
// agrees with the decoder. The extension block after the path: a trusted one holds fields in
// range, encodes back to its bytes, is lost by any cut or any changed byte before its end, and
// ReadSettings gives its look (the default look when there is none to trust); a look written
// after the record reads back. The pins block after it: trusted pins are in range and encode
// back to their bytes; further pins written after the record read back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/monitors_block.h"
#include "app/settings_file.h"
#include "platform/headless/headless_platform.h"

namespace corvane {
namespace {

void Check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "settings record: %s\n", what);
  std::abort();
}

// The decoder on exactly these bytes, from a copy that ends where they end.
DecodedSettings DecodeExactly(std::string_view bytes) {
  const std::string copy(bytes);
  return DecodeSettingsRecord(copy);
}

void CheckDecoding(std::string_view bytes) {
  const DecodedSettings record = DecodeSettingsRecord(bytes);
  const std::optional<SettingsHeader> header = DecodeSettingsHeader(bytes);
  Check(header.has_value() == (bytes.size() >= kSettingsHeaderSize), "a header exactly when it is whole");
  if (!header) {
    Check(!record.ansiPath, "a record cut within its header has no path");
    return;
  }
  Check(record.left == header->left && record.top == header->top, "the position is the header's");

  const std::string_view rest = bytes.substr(kSettingsHeaderSize);
  const bool whole = rest.size() >= header->pathLength;
  const bool clean = whole && rest.substr(0, header->pathLength).find('\0') == std::string_view::npos;
  Check(record.ansiPath.has_value() == clean, "a path exactly when it is whole and holds no NUL");
  if (record.ansiPath) {
    const std::string encoded = EncodeSettingsRecord(record.left, record.top, *record.ansiPath);
    Check(encoded == bytes.substr(0, encoded.size()), "a decoded record encodes back to its bytes");
  }
}

// Every cut of the record these bytes hold keeps the position; only the whole one has the path.
void CheckCuts(const DecodedSettings& record) {
  const std::string path = record.ansiPath.value_or("C:\\pictures\\sea.jpg");
  const std::string encoded = EncodeSettingsRecord(record.left, record.top, path);
  // Every cut around the header's end and the record's end, and about 64 spread in between.
  std::vector<std::size_t> cuts;
  for (std::size_t size = 0; size <= kSettingsHeaderSize + 2 && size <= encoded.size(); ++size) cuts.push_back(size);
  for (std::size_t size = 0; size < encoded.size(); size += encoded.size() / 64 + 1) cuts.push_back(size);
  for (std::size_t back = 0; back < 3 && back <= encoded.size(); ++back) cuts.push_back(encoded.size() - back);
  for (const std::size_t size : cuts) {
    const DecodedSettings cut = DecodeExactly(std::string_view(encoded).substr(0, size));
    Check(cut.left == (size >= 4 ? record.left : kDefaultWindowLeft), "a cut keeps its left when it holds it whole");
    Check(cut.top == (size >= 8 ? record.top : kDefaultWindowTop), "a cut keeps its top when it holds it whole");
    Check(cut.ansiPath.has_value() == (size == encoded.size()), "only the whole record has its path");
  }
}

void CheckExtension(std::string_view bytes) {
  const std::optional<PictureLook> look = DecodeSettingsExtension(bytes);
  if (!look) return;
  Check(pictures::ScaleInRange(look->scale) && look->opacity >= kOpacityMin && look->opacity <= kOpacityMax,
        "a trusted block's fields are in range");
  const std::size_t at = kSettingsHeaderSize + DecodeSettingsHeader(bytes)->pathLength;
  const std::size_t fields = static_cast<unsigned char>(bytes[at + 4]) | static_cast<unsigned char>(bytes[at + 5]) << 8;
  const std::size_t end = at + kExtensionPrefixSize + fields + 4;
  Check(end <= bytes.size(), "a trusted block lies within the bytes");
  if (fields == kExtensionFieldsSize) {
    Check(EncodeSettingsExtension(bytes.substr(0, at), *look) == bytes.substr(at, end - at),
          "a trusted block of this version encodes back to its bytes");
  }
  for (std::size_t size = at; size < end; size += (end - at) / 16 + 1)
    Check(!DecodeSettingsExtension(std::string(bytes.substr(0, size))), "a cut block is not trusted");
  std::string changed(bytes);
  for (std::size_t i = 0; i < end; i += end / 32 + 1) {
    changed[i] = static_cast<char>(changed[i] ^ 0x5A);
    Check(!DecodeSettingsExtension(changed), "a changed byte is seen");
    changed[i] = bytes[i];
  }
}

// The pins block after a trusted extension block: trusted pins are in range, and a block of
// this version encodes back to its bytes.
void CheckPins(std::string_view bytes) {
  if (!DecodeSettingsExtension(bytes)) return;
  const std::size_t look = kSettingsHeaderSize + DecodeSettingsHeader(bytes)->pathLength;
  const std::size_t fields = static_cast<unsigned char>(bytes[look + 4]) | static_cast<unsigned char>(bytes[look + 5])
                                                                               << 8;
  const std::size_t at = look + kExtensionPrefixSize + fields + 4;
  const std::optional<std::vector<StoredPin>> pins = DecodePinsBlock(bytes, at);
  if (!pins) return;
  Check(pins->size() <= kMostFurtherPins, "a trusted block holds at most the pins a file keeps");
  for (const StoredPin& pin : *pins) {
    Check(pictures::ScaleInRange(pin.look.scale) && pin.look.opacity >= kOpacityMin && pin.look.opacity <= kOpacityMax,
          "a trusted pin's look is in range");
    Check(!pin.ansiPath.empty() && pin.ansiPath.find('\0') == std::string::npos, "a trusted pin's path is whole");
  }
  const std::string encoded = EncodePinsBlock(bytes.substr(0, at), *pins);
  const std::string_view stored = bytes.substr(at, encoded.size());
  if (stored.substr(4, 4) == std::string_view(encoded).substr(4, 4))
    Check(stored == encoded, "a trusted pins block of this version encodes back to its bytes");
}

void CheckReading(HeadlessPlatform& sys, std::string_view bytes) {
  const std::string file = sys.appPath + "\\" + kSettingsFileName;
  sys.files.clear();
  sys.calls.clear();
  sys.PutFile(file, std::string(bytes));
  const DecodedSettings record = DecodeSettingsRecord(bytes);
  try {
    PictureLook look{0, 0};
    const SettingsRecord read = ReadSettings(sys, &look);
    const std::optional<SettingsHeader> header = DecodeSettingsHeader(bytes);
    const bool pathWhole = header && bytes.size() >= kSettingsHeaderSize + header->pathLength;
    Check(look == (pathWhole ? DecodeSettingsExtension(bytes).value_or(PictureLook{}) : PictureLook{}),
          "the look read is the trusted block's, or the default");
    Check(read.WindowLeft == record.left && read.WindowTop == record.top, "the file's position is read");
    Check(read.PicturePath == (record.ansiPath ? sys.FromAnsi(*record.ansiPath) : NoPictureMarker),
          "a damaged path reads as no picture");
  } catch (const Error&) {
    Check(false, "a file that is there is always read");
  }
  Check(sys.FindFile(file)->bytes == bytes, "reading leaves the file as it was");

  // A look written over these bytes reads back, and so does the default look after it.
  if (!record.ansiPath) return;
  const SettingsRecord data{record.left, record.top, sys.FromAnsi(*record.ansiPath)};
  if (sys.ToAnsi(data.PicturePath) != *record.ansiPath) return;
  const PictureLook written{pictures::StepScale(pictures::kScaleOne, static_cast<int>(bytes.size() % 50) - 25),
                            kOpacityMin + static_cast<int>(bytes.size() % 19) * kOpacityStep};
  for (const PictureLook& look : {written, PictureLook{}}) {
    WriteSettings(sys, data, look);
    PictureLook read{0, 0};
    ReadSettings(sys, &read);
    Check(read == look, "a written look reads back");
  }
  // Further pins written over these bytes read back, and so does having none again.
  const std::vector<StoredPin> pins(bytes.size() % 4, StoredPin{record.top, record.left, *record.ansiPath, written});
  if (!pins.empty() && record.ansiPath->empty()) return;
  for (const std::vector<StoredPin>& further : {pins, std::vector<StoredPin>{}}) {
    WriteSettings(sys, data, written, further);
    std::vector<StoredPin> read(1);
    PictureLook look{0, 0};
    Check(ReadSettings(sys, &look, &read) == data, "the record reads back beside the pins");
    Check(read == further && look == written, "written pins read back");
  }
}

// The monitors block after whatever the file holds: any bytes read as whole monitors or none,
// and monitors written after them read back unless the record itself cannot be read.
void CheckMonitors(HeadlessPlatform& sys, std::string_view bytes) {
  sys.files.clear();
  sys.PutFile(sys.appPath + "\\" + kSettingsFileName, std::string(bytes));
  for (const PixelRect& monitor : ReadSavedMonitors(sys)) Check(!monitor.Empty(), "a trusted monitor has an area");
  const std::vector<PixelRect> saved{{1280, -200, 3200, 880}, {0, 0, 1280, 1024}};
  try {
    WriteSavedMonitors(sys, saved);
    Check(ReadSavedMonitors(sys) == saved, "written monitors read back");
  } catch (const Error&) {
    const std::optional<SettingsHeader> header = DecodeSettingsHeader(bytes);
    Check(!header || bytes.size() < kSettingsHeaderSize + header->pathLength, "only an unreadable record fails");
  }
}

}  // namespace
}  // namespace corvane

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane;
  static HeadlessPlatform sys;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckDecoding(bytes);
  CheckExtension(bytes);
  CheckCuts(DecodeSettingsRecord(bytes));
  CheckPins(bytes);
  CheckReading(sys, bytes);
  CheckMonitors(sys, bytes);
  return 0;
}
