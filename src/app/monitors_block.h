// The settings file's block of monitors: for every pin, the first one first, the rectangle of
// the monitor that held it when it was saved, so that a pin whose monitor has gone since comes
// back at the same relative place on the nearest one left. It follows the record and whatever
// trusted extension and pins blocks follow it:
//
//   +0    4 bytes   "CVM1"
//   +4    uint16    L, the length of the fields; a later version may add fields after these
//   +6    uint16    N, the number of pins, 1 to 64
//   then N times:   int32 left, top, right, bottom (pixels)
//   +6+L  uint32    CRC-32 of every byte from offset 0 to the end of the fields
//
// It is written only while the system has more than one monitor (or over a trusted block, to
// keep it current), so a file written with one monitor stays as it was. Like the other blocks,
// it is trusted only when whole, current and in range; an untrusted block only means that pins
// come back where their place says, as before.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace corvane {

inline constexpr std::string_view kMonitorsSignature = "CVM1";
inline constexpr std::size_t kMostSavedMonitors = 64;

// The block for `monitors` (one per pin), to follow `before` in the file.
std::string EncodeMonitorsBlock(std::string_view before, const std::vector<PixelRect>& monitors);
// The monitors of a trusted block that starts at `at` in `bytes`; nullopt when there is none to
// trust.
std::optional<std::vector<PixelRect>> DecodeMonitorsBlock(std::string_view bytes, std::size_t at);

// The monitor each pin was saved on, as the settings file holds them; empty when it holds none
// to trust or cannot be read.
std::vector<PixelRect> ReadSavedMonitors(Platform& system);
// Stores the monitor of each pin after what WriteSettings wrote. Throws Error when the file
// cannot be written.
void WriteSavedMonitors(Platform& system, const std::vector<PixelRect>& monitors);

}  // namespace corvane
