// Where the settings file lives on Linux, and the file-system steps the program's own files
// share.
//
// Beside the program when its folder is writable and is not one of the system's own (/usr/...,
// /bin: the portable way, as on Windows: the whole folder carries its settings). Otherwise, as
// in an installed copy, in
// $XDG_CONFIG_HOME/corvane/ ($HOME/.config/corvane/ when that variable is unset or not an
// absolute path, as the XDG base directory rules say).
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace corvane::gtk {

// The error of a system call that failed on `object` (a path) with errno `code`:
// "<call> failed on <object>: <the system's reason>".
Error SystemCallFailed(std::string_view call, std::string_view object, int code);

struct SettingsPlaceFacts {
  std::string programFolder;
  bool programFolderWritable = false;
  std::string xdgConfigHome;  // empty when unset
  std::string home;
};

// An XDG base folder: `value` (an XDG_*_HOME variable) when it is an absolute path, else `home`
// followed by `fallback` (e.g. "/.config"), as the XDG base directory rules say; no trailing '/'
// except at the root.
std::string XdgBaseFolder(const std::string& value, const std::string& home, const char* fallback);

// The folder the settings file goes in (no trailing '/' except at the root).
std::string SettingsFolder(const SettingsPlaceFacts& facts);

// The facts of this process: the program's folder and its environment.
SettingsPlaceFacts CurrentSettingsPlaceFacts(const std::string& programFolder);

// Creates `folder` and any missing parents (mode 0700 for new ones). Throws Error naming the
// folder that could not be made and the call that failed.
void MakeFolders(const std::string& folder);

// Writes `bytes` as a new file of `mode`; an existing file is never replaced, and a file left
// half written is removed. Throws Error naming the call, the file and the system's reason.
void WriteNewFile(const std::string& path, std::string_view bytes, mode_t mode);

// `path` made absolute against `folder` (an absolute path): kept as it is when it starts with
// '/', else joined to the folder with one '/'. The bytes are not normalised: "..", "." and
// links stay as given, and the file need not exist.
std::string AbsolutePath(const std::string& folder, const std::string& path);

// The process's working folder. Throws Error naming getcwd when it cannot be told (removed,
// or out of reach).
std::string WorkingFolder();

}  // namespace corvane::gtk
