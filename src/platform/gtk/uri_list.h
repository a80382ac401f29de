// What a text/uri-list (a drop, or files copied in a file manager) names on this computer.
// GTK-free, so that it is unit-tested natively.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::gtk {

// The local path of one file URI: "file:///path" or "file://localhost/path" (or the host named
// `hostName`), percent escapes decoded. nullopt for any other scheme or host, for a relative
// path, a query or fragment, a malformed escape, or an escaped NUL (no file name holds one).
std::optional<std::string> LocalPathOfUri(std::string_view uri, std::string_view hostName = {});

// The local paths of a text/uri-list, in its order: one URI a line (CRLF or LF), comment lines
// (starting with '#') and empty lines skipped, URIs naming no local file left out.
std::vector<std::string> LocalPathsOfUriList(std::string_view list, std::string_view hostName = {});

}  // namespace corvane::gtk
