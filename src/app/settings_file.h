// The settings record file: "corvane.ini" beside the program, a little-endian binary record of
// the window position and the picture path. Each operation opens and closes the file itself.
//
//   offset 0   int32   WindowLeft (twips)
//   offset 4   int32   WindowTop (twips)
//   offset 8   uint16  N, the path's length in bytes
//   offset 10  N bytes the path in the system's ANSI code page, no terminator
//   then       the extension block (below), or leftovers of an earlier, longer record
//
// The extension block, written only by this program and only when the look it holds is not
// the default one (or a trusted block already stands there and must be made to say so):
//   +0   4 bytes   "CVX1"
//   +4   uint16    L, the length of the fields; a later version may add fields after these
//   +6   int32     the picture's scale in millionths, 50000 to 10000000
//   +10  uint16    the window's opacity in percent, 10 to 100
//   +6+L uint32    CRC-32 of every byte from offset 0 to the end of the fields
// The checksum covers the position and the path as well: a block that an older program left
// behind when it rewrote the record before it is seen as stale. A block that is missing, cut
// short, of an unknown length, with a wrong checksum or a field out of range is not trusted at
// all: the picture shows at 100 % and opaque. Older programs read the record and never look
// further.
//
// A damaged record keeps what it can: each of the header's numbers that the file holds whole
// is taken, the default stands for each it does not (a file of 4 to 9 bytes keeps its left,
// of 8 or 9 its top too), and a record whose path is cut short (or holds a NUL byte, which no
// path can) gives the saved position with no picture.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/pins_block.h"
#include "platform/platform.h"
#include "windows/picture/pin.h"

namespace corvane {

inline constexpr const char* kSettingsFileName = "corvane.ini";

// The values read at start-up and written at exit.
struct SettingsRecord {
  std::int32_t WindowLeft = 0;  // twips
  std::int32_t WindowTop = 0;   // twips
  std::string PicturePath;      // a full path, or NoPictureMarker
  friend bool operator==(const SettingsRecord&, const SettingsRecord&) = default;
};

inline SettingsRecord DefaultSettings() { return {kDefaultWindowLeft, kDefaultWindowTop, NoPictureMarker}; }

std::string SettingsFilePath(const Platform& system);

// The record's bytes for a path already in the ANSI code page.
std::string EncodeSettingsRecord(std::int32_t left, std::int32_t top, std::string_view ansiPath);

struct SettingsHeader {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::uint16_t pathLength = 0;
};
inline constexpr std::size_t kSettingsHeaderSize = 10;
// The header at the start of `bytes`, or nullopt when they are fewer than 10.
std::optional<SettingsHeader> DecodeSettingsHeader(std::string_view bytes);

// A record as decoded: the position, and the path in the ANSI code page unless it is damaged.
struct DecodedSettings {
  std::int32_t left = kDefaultWindowLeft;
  std::int32_t top = kDefaultWindowTop;
  std::optional<std::string> ansiPath;
  friend bool operator==(const DecodedSettings&, const DecodedSettings&) = default;
};
// Decodes the record at the start of `bytes` (a whole file, leftovers allowed): every whole
// number they hold, the default position for the rest, and no path unless it is whole. Reads
// nothing past the end of `bytes`.
DecodedSettings DecodeSettingsRecord(std::string_view bytes);

// The extension block for a record whose bytes (header and path) are `record`.
std::string EncodeSettingsExtension(std::string_view record, const PictureLook& look);
inline constexpr std::size_t kExtensionPrefixSize = 6;      // signature and length
inline constexpr std::size_t kExtensionFieldsSize = 6;      // the fields this version writes
inline constexpr std::size_t kExtensionFieldsLimit = 1024;  // the longest block a reader accepts
// The look held by a trusted extension block right after the record at the start of `bytes`
// (a whole file, leftovers allowed); nullopt when there is none to trust.
std::optional<PictureLook> DecodeSettingsExtension(std::string_view bytes);

// Creates the file holding DefaultSettings unless it is there already. A file is there when
// its name matches in any letter case, hidden and system files included.
void EnsureSettingsFile(Platform& system);
// Reads a read-only file too. Throws Error when the file cannot be opened. A record whose
// header is cut short keeps the numbers it holds whole, and one whose path is damaged reads as
// the saved position with NoPictureMarker.
// With `look`, fills it from the extension block, or with the defaults when there is no block
// to trust.
// With `furtherPins`, fills it with the pins after the first that a trusted pins block holds
// (app/pins_block.h), or with none.
SettingsRecord ReadSettings(Platform& system, PictureLook* look = nullptr,
                            std::vector<StoredPin>* furtherPins = nullptr);
// Writes the record at offset 0 over what the file holds, the extension block after it when
// `look` is not the default, there are further pins, or a trusted block stands there already,
// and the pins block after that when there are further pins or a trusted pins block stands
// there already; never shortens the file.
void WriteSettings(Platform& system, const SettingsRecord& record, const PictureLook& look = {},
                   const std::vector<StoredPin>& furtherPins = {});

// The record and the trusted blocks that follow it (extension, pins), as the file starts: what
// a further block follows. Throws Error when the record itself cannot be read whole.
std::string TrustedSettingsBytes(BinaryFile& file);

// The CRC-32 that closes the extension and pins blocks.
std::uint32_t SettingsChecksum(std::string_view bytes);

}  // namespace corvane
