#include "platform/gtk/uri_list.h"

namespace corvane::gtk {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> LocalPathOfUri(std::string_view uri, std::string_view hostName) {
  constexpr std::string_view kScheme = "file://";
  if (uri.size() < kScheme.size() || !SameLetters(uri.substr(0, kScheme.size()), kScheme)) return std::nullopt;
  uri.remove_prefix(kScheme.size());
  const std::size_t slash = uri.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::string_view host = uri.substr(0, slash);
  if (!host.empty() && !SameLetters(host, "localhost") && (hostName.empty() || !SameLetters(host, hostName))) {
    return std::nullopt;
  }
  std::string_view path = uri.substr(slash);
  // A query or fragment is no part of a file's name.
  if (path.find_first_of("?#") != std::string_view::npos) return std::nullopt;
  std::string decoded;
  decoded.reserve(path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] != '%') {
      decoded += path[i];
      continue;
    }
    if (i + 2 >= path.size()) return std::nullopt;
    const int high = HexValue(path[i + 1]);
    const int low = HexValue(path[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    const char c = static_cast<char>(high * 16 + low);
    if (c == '\0') return std::nullopt;
    decoded += c;
    i += 2;
  }
  return decoded;
}

std::vector<std::string> LocalPathsOfUriList(std::string_view list, std::string_view hostName) {
  std::vector<std::string> paths;
  while (!list.empty()) {
    const std::size_t end = list.find('\n');
    std::string_view line = list.substr(0, end);
    list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.empty() || line.front() == '#') continue;
    if (auto path = LocalPathOfUri(line, hostName)) paths.push_back(std::move(*path));
  }
  return paths;
}

}  // namespace corvane::gtk
