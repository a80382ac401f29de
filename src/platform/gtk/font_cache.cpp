#include "platform/gtk/font_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>

#include "platform/gtk/posix_scoped.h"
#include "platform/gtk/settings_place.h"
#include "platform/platform.h"

namespace corvane::gtk {

namespace {

constexpr std::string_view kHeader = "corvane font answers 1";

bool Storable(std::string_view field) { return field.find_first_of("\t\n\r") == std::string_view::npos; }

// The fields of one line, split at tabs.
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

// A whole decimal number, optionally negative; nothing for anything else or one out of range.
std::optional<std::int64_t> Number(std::string_view text) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

FileStamp StampOf(const std::string& path) {
  FileStamp stamp{path};
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return stamp;
  stamp.exists = true;
  stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  stamp.size = static_cast<std::int64_t>(info.st_size);
  return stamp;
}

bool StampsHold(const std::vector<FileStamp>& stamps) {
  for (const FileStamp& stamp : stamps) {
    if (StampOf(stamp.path) != stamp) return false;
  }
  return true;
}

std::string FormatFontAnswers(const FontAnswers& answers) {
  if (!Storable(answers.context)) return {};
  std::string text(kHeader);
  text += "\ncontext\t" + answers.context + "\n";
  for (const FileStamp& stamp : answers.stamps) {
    if (!Storable(stamp.path)) return {};
    text += "stamp\t" + stamp.path + "\t" + (stamp.exists ? "1" : "0") + "\t" + std::to_string(stamp.modified) + "\t" +
            std::to_string(stamp.size) + "\n";
  }
  for (const auto& [request, answer] : answers.faces) {
    if (!Storable(request) || !Storable(answer)) return {};
    text += "face\t" + request + "\t" + answer + "\n";
  }
  return text + "end\n";
}

std::optional<FontAnswers> ParseFontAnswers(std::string_view text) {
  FontAnswers answers;
  bool header = false;
  bool context = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;  // cut short
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (!header) {
      if (line != kHeader) return std::nullopt;
      header = true;
      continue;
    }
    const std::vector<std::string_view> fields = Fields(line);
    if (fields[0] == "end" && fields.size() == 1) {
      if (!text.empty() || !context) return std::nullopt;
      return answers;
    }
    if (fields[0] == "context" && fields.size() == 2 && !context) {
      answers.context = fields[1];
      context = true;
    } else if (fields[0] == "stamp" && fields.size() == 5 && !fields[1].empty() &&
               (fields[2] == "0" || fields[2] == "1")) {
      const std::optional<std::int64_t> modified = Number(fields[3]);
      const std::optional<std::int64_t> size = Number(fields[4]);
      if (!modified || !size) return std::nullopt;
      answers.stamps.push_back({std::string(fields[1]), fields[2] == "1", *modified, *size});
    } else if (fields[0] == "face" && fields.size() == 3 && !fields[1].empty() && !fields[2].empty()) {
      answers.faces[std::string(fields[1])] = std::string(fields[2]);
    } else {
      return std::nullopt;
    }
  }
  return std::nullopt;  // no end line
}

std::string FontAnswersPath(const char* xdgCacheHome, const char* home) {
  const auto absolute = [](const char* path) { return path && path[0] == '/'; };
  if (!absolute(xdgCacheHome) && !absolute(home)) return {};  // no cache folder named anywhere
  const std::string base = XdgBaseFolder(xdgCacheHome ? xdgCacheHome : "", home ? home : "", "/.cache");
  return (base == "/" ? std::string() : base) + "/corvane/fonts";
}

// Read with plain system calls into a buffer of the file's own size: a file stream would set up
// the C++ locale machinery, and a buffer of the largest size would be a megabyte zeroed at every
// start. Only a regular file is read (a FIFO put there would otherwise block the start).
std::optional<FontAnswers> ReadFontAnswers(const std::string& path) {
  const ScopedFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd) return std::nullopt;
  std::string text;
  struct stat status {};
  bool whole = fstat(fd.Get(), &status) == 0 && S_ISREG(status.st_mode) &&
               static_cast<std::uint64_t>(status.st_size) <= kLargestFile;
  if (whole) {
    // The size is a hint: the file may change while it is read, and at most one byte more than
    // the limit is taken to tell.
    text.resize(static_cast<std::size_t>(status.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
      if (got == text.size()) text.resize(std::min(text.size() * 2, kLargestFile + 1));
      if (got == text.size()) break;  // over the limit
      const ssize_t n = read(fd.Get(), text.data() + got, text.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        whole = n == 0;
        break;
      }
      got += static_cast<std::size_t>(n);
    }
    text.resize(got);
  }
  if (!whole || text.size() > kLargestFile) return std::nullopt;
  return ParseFontAnswers(text);
}

bool WriteFontAnswers(const std::string& path, const FontAnswers& answers) {
  const std::string text = FormatFontAnswers(answers);
  const std::size_t slash = path.rfind('/');
  if (text.empty() || slash == std::string::npos) return false;
  const std::string temporary = path + "." + std::to_string(getpid()) + ".new";
  unlink(temporary.c_str());  // left by an earlier process of the same number
  try {
    if (slash > 0) MakeFolders(path.substr(0, slash));
    WriteNewFile(temporary, text, 0600);
  } catch (const Error&) {
    return false;
  }
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace corvane::gtk
