// The settings file's block of further pins. The record keeps the first pin where it has always
// kept the picture (position, then path) and the extension block its look; every pin after the
// first goes in this block, right after the extension block (which a file with further pins
// always has):
//
//   +0    4 bytes   "CVP1"
//   +4    uint32    L, the length of the fields; a later version may add fields after the pins
//   +8    uint16    N, the number of further pins, 0 to kMostFurtherPins
//   then N times:   int32 left, int32 top (twips), int32 scale (millionths), uint16 opacity
//                   (percent), uint16 P, then the path's P bytes as the record holds a path
//   +8+L  uint32    CRC-32 of every byte from offset 0 to the end of the fields
//
// Like the extension block, it is trusted only when whole, current (the checksum covers the
// record and the extension block before it) and in range; otherwise there are no further pins.
// A damaged block loses at most the further pins, never the first pin or its look, and an older
// program reads the record as it always has.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "windows/picture/pin.h"

namespace corvane {

// One further pin as the block keeps it.
struct StoredPin {
  std::int32_t left = 0;  // twips
  std::int32_t top = 0;   // twips
  std::string ansiPath;   // in the system's ANSI code page, as the record keeps its path
  PictureLook look;
  friend bool operator==(const StoredPin&, const StoredPin&) = default;
};

inline constexpr std::string_view kPinsSignature = "CVP1";
inline constexpr std::size_t kPinsPrefixSize = 8;  // signature and length
// The pins a file holds besides the first; 64 in all.
inline constexpr std::size_t kMostFurtherPins = 63;
// The longest path the block keeps, in bytes.
inline constexpr std::size_t kLongestStoredPath = 32767;
// The longest fields a reader accepts: every pin with the longest path, and room for more.
inline constexpr std::size_t kPinsFieldsLimit = 2 + kMostFurtherPins * (16 + kLongestStoredPath) + 1024;

// The block for `pins`, to follow `before` (the record and its extension block) in the file.
// Throws Error when there are too many pins or a path is too long.
std::string EncodePinsBlock(std::string_view before, const std::vector<StoredPin>& pins);

// The further pins of a trusted block that starts at `at` in `bytes` (a whole file, leftovers
// allowed); nullopt when there is none to trust.
std::optional<std::vector<StoredPin>> DecodePinsBlock(std::string_view bytes, std::size_t at);

}  // namespace corvane
