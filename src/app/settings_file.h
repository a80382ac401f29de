// The settings record file: "corvane.ini" beside the program, a little-endian binary record of
// the window position and the picture path. Each operation opens and closes the file itself.
//
//   offset 0   int32   WindowLeft (twips)
//   offset 4   int32   WindowTop (twips)
//   offset 8   uint16  N, the path's length in bytes
//   offset 10  N bytes the path in the system's ANSI code page, no terminator
//   then       leftovers of an earlier, longer record, never read
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/app_state.h"

namespace corvane {

inline constexpr const char* kSettingsFileName = "corvane.ini";

std::string SettingsFilePath();

// The record's bytes for a path already in the ANSI code page.
std::string EncodeSettingsRecord(std::int32_t left, std::int32_t top, std::string_view ansiPath);

struct SettingsHeader {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::uint16_t pathLength = 0;
};
inline constexpr std::size_t kSettingsHeaderSize = 10;
SettingsHeader DecodeSettingsHeader(std::string_view bytes);

// Creates the file holding DefaultSettings unless it is there already. A file is there when
// its name matches in any letter case, hidden and system files included.
void EnsureSettingsFile();
// Throws Error when the file cannot be opened or is shorter than the record it announces.
SettingsRecordData ReadSettings();
// Writes the record at offset 0 over what the file holds; never shortens the file.
void WriteSettings(const SettingsRecordData& record);

}  // namespace corvane
