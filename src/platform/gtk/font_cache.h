// The answers fontconfig gave for the program's faces, kept in the user's cache folder.
//
// Reading fontconfig's configuration (some fifty files on Debian) is the slowest step before
// the first text can be measured, and for the same request its answer, the font file and how
// to render it, stays the same until that configuration, the installed fonts or the request
// change. So each answer is kept with the request it answers, what else it depends on (the
// library's version and the environment fontconfig reads) and a stamp (modification time and
// size, or absence) of every file and folder it was read from: the configuration files and
// their folders, the font folders, the answers' font files and the places where a user's own
// configuration or fonts would go. A start whose stamps all still hold uses the answers without
// loading fontconfig's configuration; any difference and they are asked for again. Font
// folders are judged as fontconfig judges its own caches, by their modification time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::gtk {

// A file or folder as it was: absent, or its modification time and size.
struct FileStamp {
  std::string path;
  bool exists = false;
  std::int64_t modified = 0;  // nanoseconds since the epoch
  std::int64_t size = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of `path` now.
FileStamp StampOf(const std::string& path);

// True when every stamp still describes its file as it is now.
bool StampsHold(const std::vector<FileStamp>& stamps);

struct FontAnswers {
  std::string context;            // the library's version and environment
  std::vector<FileStamp> stamps;  // what the answers were read from
  std::map<std::string, std::string>
      faces;  // a request → the font that answers it (both patterns in fontconfig's name syntax)
  friend bool operator==(const FontAnswers&, const FontAnswers&) = default;
};

// The file's text. Empty when a field holds a tab or a line break, which the format cannot
// hold: such answers are not kept.
std::string FormatFontAnswers(const FontAnswers& answers);
// Nothing when `text` is not a whole file of this format.
std::optional<FontAnswers> ParseFontAnswers(std::string_view text);

// $XDG_CACHE_HOME/corvane/fonts ($HOME/.cache/corvane/fonts when that variable is unset or not
// an absolute path); empty when neither names a place.
std::string FontAnswersPath(const char* xdgCacheHome, const char* home);

// A few kilobytes are usual: anything over this is not a file the program wrote.
inline constexpr std::size_t kLargestFile = 1 << 20;

// The answers in the file at `path`; nothing when it is missing, larger than kLargestFile or not
// of this format.
std::optional<FontAnswers> ReadFontAnswers(const std::string& path);
// Writes the file whole or not at all (a new file renamed over the old one), making its folder
// (mode 0700) if needed. False when it could not be written.
bool WriteFontAnswers(const std::string& path, const FontAnswers& answers);

}  // namespace corvane::gtk
